#ifndef YMDATETIMESECTION_H
#define YMDATETIMESECTION_H

#include <QDateTime>
#include <QString>

class YMDateTimeEdit;

// One field of a date-time edit (hour, minute, year, month, day...) with its
// own copy of the edited value; the edit owns its sections.
class YMDateTimeSection
{
public:
    enum Type {
        Hour24 = 0,
        Minute = 1,
        Second = 2,
        Year = 3,
        Month = 4,
        Day = 5,
        DurationDays = 6,
        Hour12 = 7,
        AmPm = 8
    };

    // What a typed digit did to the field.
    enum Typed {
        Refused, // the number it makes is no value of the field
        Waits,   // a leading zero, waiting for the digit it leads
        Taken,   // the value, and another digit may follow
        Filled   // the value, and the field is complete
    };

    YMDateTimeSection(int type, YMDateTimeEdit *edit);

    int type() const { return m_type; }
    int value() const { return m_value; }
    int typed() const { return m_typed; }
    void resetTyped() { m_typed = 0; }
    // Whether the digits typed so far are a leading zero waiting for the
    // next digit ("0" of "05" in a field from 1, "000" of the year "0001").
    bool awaitsDigit() const;
    QDateTime dateTime() const { return m_dateTime; }

    // A year, month or day: typed, it waits for the edit to put the date
    // together.
    bool isDatePart() const { return m_type == Year || m_type == Month || m_type == Day; }

    int minimum() const;
    int maximum() const;
    // The largest value a typed number may have: a day up to 31, whatever
    // month the field shows, as the month may be typed after it.
    int typingMaximum() const;
    QString text() const;

    void setDateTime(const QDateTime &dt, int wishedDay);
    void apply();
    void stepUp();
    void stepDown();
    // number (when given) is the number the digits typed so far make with
    // this one, as the field would show it. In the last section that takes
    // digits, one digit never fills the field: no section follows for the
    // next digit, which belongs to the same number ("61" a minute 61).
    Typed typeDigit(QChar c, int *number = nullptr, bool last = false);

    // AM or PM typed as a letter (amPmKeys()); Filled or, for any other
    // character, Refused.
    Typed typeLetter(QChar c);
    // The letters that type AM and PM, as "A or π": A and P, and the first
    // letters of the texts of the language the user runs in, of the
    // program's locale and of the translation; a letter both texts of one
    // of them begin with (Korean, Japanese) types neither.
    static void amPmKeys(QString *am, QString *pm);

    static int to24Hour(int h, bool morning);

private:
    int m_type;
    YMDateTimeEdit *m_edit;
    QDateTime m_dateTime;
    int m_value = 0;
    int m_typed = 0;
    // the number the digits typed so far make, which a leading zero keeps
    // apart from the value
    int m_digits = 0;
    int m_wishedDay = 1;
    bool m_afternoon = false;
};

#endif
