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
class YMRNextInput;

// A one-line editor for a date, a time or a duration, edited section by
// section: Left/Right or a tap choose the section, digits type into it,
// Up/Down or the arrows step it. The sections follow the platform's date
// order and clock setting.
//
// Digits typed one after another are one entry, taken when the last
// section is filled, a separator follows the last, the field is left, a
// step is taken, the value is asked for (askedDateTime()) or
// finishTyping() is called. While it is typed, the value is the date the field shows when
// that date exists, else the one from before the entry; an entry that does
// not make a date (31 April, 29 February 2025) or that types a number no
// section has (day 32, month 13, minute 61) is refused with a hint at the
// field, which goes back to the value from before the entry; the keys
// typed after a refusal change nothing until the field is started again
// (a tap, the field entered, an arrow key). A separator typed into a date ends the section it follows; a year of one or two
// digits is one of this century, one of three or four the year typed.
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

    // Whether digits are being typed (an entry is open).
    bool isTyping() const { return m_typing; }
    // Ends the entry being typed: false when it was refused (the field
    // shows why and the value from before it). The field ends its entry
    // itself as it is left or its value is asked for (askedDateTime()); a
    // refusal made then answers false here, once, to the action that made
    // it (a click on a button takes the focus before the button acts). The
    // next key or click after that action, a new entry, a step or a value
    // set from outside forgets it.
    bool finishTyping();
    // The value a window takes: an entry still open is ended first (taken,
    // or refused with the hint), unless the field is telling its own
    // change. dateTime(), date() and time() only look.
    QDateTime askedDateTime();
    // The object name of the hint label, a child of the line edit.
    static QString hintName();

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
    void emitChanged();
    void updateDisplay();
    QDate shownDate() const;
    void takeTyped(YMDateTimeSection *s);
    // what was typed is refused: the value from before the entry comes back
    // and the hint says why (half: what was typed into AM or PM)
    void refuse(const QString &what, bool half = false);
    QString numberName(const YMDateTimeSection *s, int number) const;
    void setCurrent(int index);
    int sectionAt(int x) const;
    bool handleKey(QKeyEvent *k);
    // arrows, and the keys the field leaves to its owner
    bool handleOtherKey(int key);
    // the current section is filled: the next is current, or the entry ends
    void sectionFilled();
    bool isSeparator(const QKeyEvent *k) const;
    // Ends the current section as its last digit would.
    void endSection();
    // Every end of an entry: taken, or refused with the hint.
    bool endEntry();
    // A refusal made as the field was left or asked waits for the action
    // that made it (a click: until its release), then is forgotten.
    void holdRefusal(bool click);
    void forgetRefusal();
    int lastDigitSection() const;
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
    bool m_typing = false;
    // the value when the entry began, kept when it is refused
    QDateTime m_typedFrom;
    // the entry ended by leaving the field or asking was refused: the
    // action that did it has not asked finishTyping() yet
    bool m_refusalHeld = false;
    YMRNextInput *m_nextInput = nullptr;
    // the changed signals are being emitted
    bool m_telling = false;
    QString m_hint;
    // the last key filled a section: a separator after it only confirms
    bool m_sectionFilled = false;
    // an entry was refused: the rest of its keys change nothing until the
    // field is started again (tapped, entered, stepped, moved in, set)
    bool m_refused = false;
    // the clock's hour taken whole from one digit by the last key ("2"),
    // and that digit with the minute's first after it ("23"): a ":" next
    // says the hour typed was the two
    int m_oneDigitHour = -1;
    int m_splitHour = -1;
};

#endif
