#ifndef YMCALENDAR_H
#define YMCALENDAR_H

#include <QDate>
#include <QFrame>
#include <QString>

class QToolButton;
class HBox;
class YMCalendarView;
class YMRComboBox;
class YMRSpinBox;

// The month calendar: a bar with back and forward arrows, a month choice and
// a year spin box above the month grid. Keys, the bar and taps move the
// date; a tap that ends on the grid, or Return, picks it (and closes the
// popup it sits in, when asked to).
//
// The class also holds the calendar module's month and weekday names and
// its date arithmetic. Month index 0 is January; weekday index 0 is Monday,
// 6 Sunday.
class YMCalendar : public QFrame
{
    Q_OBJECT
public:
    explicit YMCalendar(bool closeParentOnPick = false, QWidget *parent = nullptr,
                        const char *name = nullptr);
    ~YMCalendar() override;

    QDate date() const;

    YMCalendarView *view() const { return m_view; }
    YMRComboBox *monthCombo() const { return m_month; }
    YMRSpinBox *yearSpin() const { return m_year; }
    QToolButton *backButton() const { return m_back; }
    QToolButton *forwardButton() const { return m_forward; }
    // The object name of the year box's hint, a child of its line edit.
    static QString hintName() { return QStringLiteral("YMCalendar hint"); }

    static QString monthName(int index, bool translate = true);
    static QString shortMonthName(int index, bool translate = true);
    static QString dayName(int index, bool translate = true);
    static QString shortDayName(int index, bool translate = true);

    // The same day n years or months on, or the target month's last day
    // when that month is shorter.
    static QDate addYears(const QDate &d, int n);
    static QDate addMonths(const QDate &d, int n);
    // Week 1 holds the year's first Thursday; weeks start on Monday or on
    // Sunday as the platform's settings say.
    static QDate firstDayOfWeek(int week, int year);
    static void weekNumber(const QDate &d, int &week, int &year);

public slots:
    void setDate(const QDate &d);
    void setToday();
    void setDateInternal(const QDate &d);
    void monthForward();
    void monthBackward();
    void createDateBar();
    void updateDate(const QDate &d);
    void setMonth(int index);
    void setYear(int year);

signals:
    void dateClicked(int year, int month, int day);
    void dateClicked(const QDate &date);
    void dateChanged(const QDate &date);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void createMonthCombo();
    void createYearSpin();
    // The year typed into the year box, when it is one; the keys go back
    // to the grid.
    void takeTypedYear();

    YMRSpinBox *m_year = nullptr;
    YMRComboBox *m_month = nullptr;
    YMCalendarView *m_view = nullptr;
    bool m_closeParentOnPick;
    HBox *m_bar = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
    // the year box took the keys by a click: the year shown is selected,
    // to be typed over, once the click is done
    bool m_selectYear = false;
};

#endif
