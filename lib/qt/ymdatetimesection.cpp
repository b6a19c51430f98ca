#include "ymdatetimesection.h"

#include "ymcalendar.h"
#include "ymdatetimeedit.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace {

QString zeroFilled(int n, int width)
{
    static const QRegularExpression blank(QStringLiteral("\\s"));
    return QStringLiteral("%1").arg(n, width).replace(blank, QStringLiteral("0"));
}

int daysIn(int year, int month)
{
    return QDate(year, month, 1).daysInMonth();
}

int twelveHour(int h)
{
    if (h > 12)
        return h - 12;
    return h == 0 ? 12 : h;
}

} // namespace

YMDateTimeSection::YMDateTimeSection(int type, YMDateTimeEdit *edit)
    : m_type(type), m_edit(edit)
{
}

int YMDateTimeSection::minimum() const
{
    switch (m_type) {
    case Year:
        // Year 0 does not exist; a value there could never be left again.
        return 1;
    case Month:
    case Day:
    case Hour12:
        return 1;
    case DurationDays:
        return m_edit && m_edit->isDurationAllDay() ? 2 : 1;
    default:
        return 0;
    }
}

int YMDateTimeSection::maximum() const
{
    switch (m_type) {
    case Hour24:
        return 23;
    case Minute:
    case Second:
        return 59;
    case Year:
        return 9999;
    case Month:
        return 12;
    case Day:
    case DurationDays:
        return m_dateTime.date().daysInMonth();
    case Hour12:
        return 12;
    default:
        return 1;
    }
}

int YMDateTimeSection::typingMaximum() const
{
    return m_type == Day ? 31 : maximum();
}

bool YMDateTimeSection::awaitsDigit() const
{
    if (m_type == Year)
        return m_typed > 2 && m_digits < minimum();
    return m_typed > 0 && m_digits < minimum();
}

QString YMDateTimeSection::text() const
{
    if (awaitsDigit())
        return zeroFilled(m_type == DurationDays ? m_digits - 1 : m_digits, m_type == Year ? 4 : 2);
    switch (m_type) {
    case Year:
        return zeroFilled(m_value, 4);
    case Month:
        if (m_edit && m_edit->isMonthLong())
            return YMCalendar::monthName(m_value - 1, true);
        return zeroFilled(m_value, 2);
    case DurationDays:
        return zeroFilled(m_value - 1, 2);
    case AmPm:
        return m_value == 0 ? QStringLiteral("AM") : QStringLiteral("PM");
    default:
        return zeroFilled(m_value, 2);
    }
}

void YMDateTimeSection::setDateTime(const QDateTime &dt, int wishedDay)
{
    // a new value drops a leading zero still waiting for its digit
    if (awaitsDigit())
        m_typed = 0;
    m_dateTime = dt;
    m_wishedDay = wishedDay;
    const QTime t = dt.time();
    const QDate d = dt.date();
    m_afternoon = t.hour() >= 12;
    switch (m_type) {
    case Hour24:
        m_value = t.hour();
        break;
    case Minute:
        m_value = t.minute();
        break;
    case Second:
        m_value = t.second();
        break;
    case Year:
        m_value = d.year();
        break;
    case Month:
        m_value = d.month();
        break;
    case Day:
    case DurationDays:
        m_value = d.day();
        break;
    case Hour12:
        m_value = twelveHour(t.hour());
        break;
    case AmPm:
        m_value = m_afternoon ? 1 : 0;
        break;
    default:
        break;
    }
}

void YMDateTimeSection::apply()
{
    QDate d = m_dateTime.date();
    QTime t = m_dateTime.time();
    switch (m_type) {
    case Hour24:
        t = QTime(m_value, t.minute(), t.second());
        break;
    case Minute:
        t = QTime(t.hour(), m_value, t.second());
        break;
    case Second:
        t = QTime(t.hour(), t.minute(), m_value);
        break;
    case Year:
        d = QDate(m_value, d.month(), qMin(m_wishedDay, daysIn(m_value, d.month())));
        break;
    case Month:
        d = QDate(d.year(), m_value, qMin(m_wishedDay, daysIn(d.year(), m_value)));
        break;
    case Day:
    case DurationDays:
        d = QDate(d.year(), d.month(), m_value);
        break;
    case Hour12:
        t = QTime(to24Hour(m_value, !m_afternoon), t.minute(), t.second());
        break;
    case AmPm:
        t = QTime(to24Hour(twelveHour(t.hour()), m_value == 0), t.minute(), t.second());
        break;
    default:
        break;
    }
    // a value without a time zone, as the edit holds it
    m_dateTime = QDateTime(d, t, Qt::UTC);
}

void YMDateTimeSection::stepUp()
{
    switch (m_type) {
    case Hour12:
        if (m_value == 11 && m_afternoon)
            return;
        if (m_value == 12) {
            m_value = 1;
        } else if (++m_value == 12) {
            m_afternoon = !m_afternoon;
        }
        break;
    case AmPm:
        m_value = m_value ? 0 : 1;
        break;
    default:
        m_value = qMin(m_value + 1, maximum());
        break;
    }
    apply();
}

void YMDateTimeSection::stepDown()
{
    switch (m_type) {
    case Hour12:
        if (m_value == 12 && !m_afternoon)
            return;
        if (m_value == 1) {
            m_value = 12;
        } else if (m_value == 12) {
            m_afternoon = !m_afternoon;
            m_value = 11;
        } else {
            --m_value;
        }
        break;
    case AmPm:
        m_value = m_value ? 0 : 1;
        break;
    default:
        m_value = qMax(m_value - 1, minimum());
        break;
    }
    apply();
}

YMDateTimeSection::Typed YMDateTimeSection::typeDigit(QChar c, int *number, bool last)
{
    const int digit = c.digitValue();
    // AM or PM takes letters only
    if (digit < 0 || digit > 9 || m_type == AmPm) {
        if (number)
            *number = digit;
        return Refused;
    }
    int candidate;
    if (m_type == Year) {
        if (m_typed >= 4)
            m_typed = 0;
        if (m_typed == 0)
            m_digits = 0;
        const int digits = m_digits * 10 + digit;
        // a year is what was typed: one or two digits are this century's
        // ("4" 2004, "26" 2026), three or four the year as typed; no digit
        // of the year shown before fills in what was not typed
        candidate = m_typed < 2 ? 2000 + digits : digits;
        if (number)
            *number = candidate;
        m_digits = digits;
        ++m_typed;
        // "000" may still become year 1 ("0001"), ended there it is refused
        if (candidate < minimum()) {
            if (m_typed < 4)
                return Waits;
            m_typed = 0;
            return Refused;
        }
        m_value = candidate;
        if (m_typed < 4)
            return Taken;
        m_typed = 0;
        return Filled;
    }
    if (m_type == DurationDays) {
        // The field shows the days of the duration, one less than its value.
        candidate = (m_typed == 0 ? digit : (m_digits - 1) * 10 + digit) + 1;
    } else {
        candidate = m_typed == 0 ? digit : m_digits * 10 + digit;
    }
    if (number)
        *number = m_type == DurationDays ? candidate - 1 : candidate;
    const int top = typingMaximum();
    const int more = m_type == DurationDays ? (candidate - 1) * 10 + 1 : candidate * 10;
    // A first "0" in a field from 1 leads two digits ("01" is 1 and moves
    // on), so it waits for the second with the value unchanged.
    const bool leadingZero = m_typed == 0 && candidate < minimum() && more <= top
                             && text().length() > 1;
    if (leadingZero) {
        m_digits = candidate;
        ++m_typed;
        return Waits;
    }
    if (candidate < minimum() || candidate > top)
        return Refused;
    m_value = candidate;
    m_digits = candidate;
    ++m_typed;
    // a date part waits for the others: the edit puts the date together
    if (!isDatePart())
        apply();
    // two digits fill a field, as does one no second can follow where the
    // next digit has a field of its own
    const bool complete = m_typed >= 2 || (more > top && !last);
    if (!complete)
        return Taken;
    m_typed = 0;
    return Filled;
}

namespace {

// Each letter that types AM, and each that types PM, lower case.
void amPmLetters(QString *am, QString *pm)
{
    *am = QStringLiteral("a");
    *pm = QStringLiteral("p");
    const auto first = [](const QString &text) { return text.isEmpty() ? QChar() : text.at(0).toLower(); };
    const auto add = [&](const QString &amText, const QString &pmText) {
        const QChar a = first(amText), p = first(pmText);
        if (a == p || !a.isLetter() || !p.isLetter())
            return;
        if (!am->contains(a))
            am->append(a);
        if (!pm->contains(p))
            pm->append(p);
    };
    // the program runs in the C locale: the user's language is the system's
    const QLocale system = QLocale::system(), shown;
    add(system.amText(), system.pmText());
    add(shown.amText(), shown.pmText());
    add(QCoreApplication::translate("YMDateTimeEdit", "AM"),
        QCoreApplication::translate("YMDateTimeEdit", "PM"));
    // a letter of both halves types neither
    for (int i = am->size() - 1; i >= 0; --i) {
        const QChar c = am->at(i);
        if (pm->contains(c)) {
            am->remove(i, 1);
            pm->remove(c);
        }
    }
}

QString keyList(const QString &letters)
{
    QStringList keys;
    for (QChar c : letters)
        keys << (c.unicode() < 0x80 ? QString(c.toUpper()) : QString(c));
    if (keys.size() < 2)
        return keys.value(0);
    const QString last = keys.takeLast();
    return QCoreApplication::translate("YMDateTimeEdit", "%1 or %2").arg(keys.join(QStringLiteral(", ")), last);
}

} // namespace

YMDateTimeSection::Typed YMDateTimeSection::typeLetter(QChar c)
{
    if (m_type != AmPm || !c.isLetter())
        return Refused;
    QString am, pm;
    amPmLetters(&am, &pm);
    const QChar letter = c.toLower();
    const bool isPm = pm.contains(letter);
    if (!isPm && !am.contains(letter))
        return Refused;
    m_value = isPm ? 1 : 0;
    apply();
    m_typed = 0;
    return Filled;
}

void YMDateTimeSection::amPmKeys(QString *am, QString *pm)
{
    QString a, p;
    amPmLetters(&a, &p);
    *am = keyList(a);
    *pm = keyList(p);
}

int YMDateTimeSection::to24Hour(int h, bool morning)
{
    if (h == 12)
        return morning ? 0 : 12;
    return morning ? h : h + 12;
}
