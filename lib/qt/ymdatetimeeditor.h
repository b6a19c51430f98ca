#ifndef YMDATETIMEEDITOR_H
#define YMDATETIMEEDITOR_H

#include <QDateTime>
#include <QWidget>

class QLayout;
class YMDateButton;
class YMDateTimeEdit;
class YMTimeButton;

// The date and time field of the forms: a date edit with its calendar
// button and a time edit with its clock button, in one row or two.
class YMDateTimeEditor : public QWidget
{
    Q_OBJECT
public:
    explicit YMDateTimeEditor(QWidget *parent = nullptr, const char *name = nullptr,
                              bool twoRows = false);
    ~YMDateTimeEditor() override;

    // Null when the date or the time is "None". Asked, a half ends what is
    // typed into it (YMDateTimeEdit::askedDateTime). The local date-time: on a
    // day whose clocks skip that time it is invalid but holds both (see
    // YMRUtil::firstValidLocalTime).
    QDateTime dateTime() const;
    QDate date() const;
    QTime time() const;

    YMDateTimeEdit *dateEdit() const { return m_dateEdit; }
    YMDateTimeEdit *timeEdit() const { return m_timeEdit; }
    YMDateButton *dateButton() const { return m_dateButton; }
    YMTimeButton *timeButton() const { return m_timeButton; }

    // Ends what is being typed in either half (YMDateTimeEdit::finishTyping):
    // false when a typed date was refused, which its field tells.
    bool finishTyping();
    // finishTyping() of every editor within window: false when one refused
    // what was typed into it (its hint shows), which is then *refused.
    static bool finishTypingIn(QWidget *window, YMDateTimeEditor **refused = nullptr);

    void setClockIcons(bool on);
    void hideTime(bool hide);
    void hideDate(bool hide);

public slots:
    void setTime(const QTime &t);
    void setDate(const QDate &d);
    void setDateTime(const QDateTime &dt);
    void setOnlyDate(bool on);
    void setOnlyTime(bool on);
    void setMonthLong(bool on);
    void next();
    void prev();

signals:
    void changed();
    void changed(const QDate &date);
    void changed(const QTime &time);

private:
    bool m_twoRows;
    QLayout *m_layout = nullptr;
    YMDateTimeEdit *m_dateEdit = nullptr;
    YMDateTimeEdit *m_timeEdit = nullptr;
    YMDateButton *m_dateButton = nullptr;
    YMTimeButton *m_timeButton = nullptr;
};

#endif
