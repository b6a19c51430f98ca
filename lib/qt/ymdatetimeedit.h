#ifndef YMDATETIMEEDIT_H
#define YMDATETIMEEDIT_H

#include <QDateTime>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
class YMRSpinWidget;
class YMDateTimeSection;

// A one-line editor for a date, a time or a duration, edited section by
// section: Left/Right or a tap choose the section, digits type into it,
// Up/Down or the arrows step it. The sections follow the platform's date
// order and clock setting.
class YMDateTimeEdit : public QWidget
{
    Q_OBJECT
public:
    enum Mode { Date = 0, Time = 1, Duration = 2 };
    // Posted to itself on the first show, to rebuild the sections once the
    // widget knows where it lives.
    enum { RebuildEvent = 1001 };

    explicit YMDateTimeEdit(int mode, QWidget *parent = nullptr, const char *name = nullptr);
    ~YMDateTimeEdit() override;

    int mode() const { return m_mode; }
    // The local date and time (null for "None"); on a day whose clocks skip
    // the time, an invalid QDateTime that still holds both.
    QDateTime dateTime() const;
    QDate date() const;
    QTime time() const;
    QString text() const;

    bool isDurationAllDay() const { return m_durationAllDay; }
    bool isMonthLong() const { return m_monthLong; }

    int sectionCount() const { return int(m_sections.size()); }
    const YMDateTimeSection *section(int index) const;
    int currentSection() const { return m_current; }
    QLineEdit *lineEdit() const { return m_edit; }
    YMRSpinWidget *spinWidget() const { return m_spin; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setDateTime(const QDateTime &dt);
    void setDurationAllDay(bool on);
    void setMonthLong(bool on);
    void stepUp();
    void stepDown();
    void dateTimeSettingChanged();

signals:
    void changed();
    void changed(const QDate &date);
    void changed(const QTime &time);
    void next();
    void prev();

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void buildLayout();
    void updateSections();
    void updateDisplay();
    void setCurrent(int index);
    int sectionAt(int x) const;
    bool handleKey(QKeyEvent *k);
    QString textFor(const QDateTime &value) const;

    int m_mode;
    YMRSpinWidget *m_spin = nullptr;
    QLineEdit *m_edit = nullptr;
    std::vector<std::unique_ptr<YMDateTimeSection>> m_sections;
    QStringList m_separators;
    QDateTime m_dateTime;
    int m_current = 0;
    int m_wishedDay = 1;
    bool m_durationAllDay = false;
    bool m_monthLong = false;
    bool m_layoutFinal = false;
};

#endif
