#include "ymcalendar.h"

#include "ymrapplication.h"

namespace {

const char *const LongMonths[12] = {
    QT_TRANSLATE_NOOP("YMCalendar", "January"),   QT_TRANSLATE_NOOP("YMCalendar", "February"),
    QT_TRANSLATE_NOOP("YMCalendar", "March"),     QT_TRANSLATE_NOOP("YMCalendar", "April"),
    QT_TRANSLATE_NOOP("YMCalendar", "May"),       QT_TRANSLATE_NOOP("YMCalendar", "June"),
    QT_TRANSLATE_NOOP("YMCalendar", "July"),      QT_TRANSLATE_NOOP("YMCalendar", "August"),
    QT_TRANSLATE_NOOP("YMCalendar", "September"), QT_TRANSLATE_NOOP("YMCalendar", "October"),
    QT_TRANSLATE_NOOP("YMCalendar", "November"),  QT_TRANSLATE_NOOP("YMCalendar", "December")};
const char *const ShortMonths[12] = {
    QT_TRANSLATE_NOOP("YMCalendar", "Jan"), QT_TRANSLATE_NOOP("YMCalendar", "Feb"),
    QT_TRANSLATE_NOOP("YMCalendar", "Mar"), QT_TRANSLATE_NOOP("YMCalendar", "Apr"),
    QT_TRANSLATE_NOOP("YMCalendar", "May"), QT_TRANSLATE_NOOP("YMCalendar", "Jun"),
    QT_TRANSLATE_NOOP("YMCalendar", "Jul"), QT_TRANSLATE_NOOP("YMCalendar", "Aug"),
    QT_TRANSLATE_NOOP("YMCalendar", "Sep"), QT_TRANSLATE_NOOP("YMCalendar", "Oct"),
    QT_TRANSLATE_NOOP("YMCalendar", "Nov"), QT_TRANSLATE_NOOP("YMCalendar", "Dec")};
const char *const LongDays[7] = {
    QT_TRANSLATE_NOOP("YMCalendar", "Monday"),   QT_TRANSLATE_NOOP("YMCalendar", "Tuesday"),
    QT_TRANSLATE_NOOP("YMCalendar", "Wednesday"), QT_TRANSLATE_NOOP("YMCalendar", "Thursday"),
    QT_TRANSLATE_NOOP("YMCalendar", "Friday"),   QT_TRANSLATE_NOOP("YMCalendar", "Saturday"),
    QT_TRANSLATE_NOOP("YMCalendar", "Sunday")};
const char *const ShortDays[7] = {
    QT_TRANSLATE_NOOP("YMCalendar", "Mon"), QT_TRANSLATE_NOOP("YMCalendar", "Tue"),
    QT_TRANSLATE_NOOP("YMCalendar", "Wed"), QT_TRANSLATE_NOOP("YMCalendar", "Thu"),
    QT_TRANSLATE_NOOP("YMCalendar", "Fri"), QT_TRANSLATE_NOOP("YMCalendar", "Sat"),
    QT_TRANSLATE_NOOP("YMCalendar", "Sun")};

QString name(const char *const *table, int index, bool translate)
{
    return translate ? YMCalendar::tr(table[index]) : QString::fromLatin1(table[index]);
}

bool weekStartsOnMonday()
{
    return ymrApp && ymrApp->weekStartsOnMonday();
}

QDate clampedDate(int y, int m, int day)
{
    const QDate first(y, m, 1);
    return QDate(y, m, qMin(day, first.daysInMonth()));
}

} // namespace

QString YMCalendar::monthName(int index, bool translate)
{
    return name(LongMonths, index, translate);
}

QString YMCalendar::shortMonthName(int index, bool translate)
{
    return name(ShortMonths, index, translate);
}

QString YMCalendar::dayName(int index, bool translate)
{
    return name(LongDays, index, translate);
}

QString YMCalendar::shortDayName(int index, bool translate)
{
    return name(ShortDays, index, translate);
}

QDate YMCalendar::addYears(const QDate &d, int n)
{
    return clampedDate(d.year() + n, d.month(), d.day());
}

QDate YMCalendar::addMonths(const QDate &d, int n)
{
    int y = d.year();
    int m = d.month();
    while (n >= 12) {
        ++y;
        n -= 12;
    }
    while (n < -11) {
        --y;
        n += 12;
    }
    m += n;
    if (m > 12) {
        m -= 12;
        ++y;
    } else if (m < 1) {
        m += 12;
        --y;
    }
    return clampedDate(y, m, d.day());
}

QDate YMCalendar::firstDayOfWeek(int week, int year)
{
    const QDate jan1(year, 1, 1);
    const int j = jan1.dayOfWeek();   // 1 = Monday .. 7 = Sunday
    int offset;
    if (weekStartsOnMonday()) {
        offset = j <= 4 ? (week - 1) * 7 - j + 1 : week * 7 - j + 1;
    } else {
        const int js = j % 7;         // Sunday 0
        offset = js <= 4 ? (week - 1) * 7 - js : week * 7 - js;
    }
    return jan1.addDays(offset);
}

void YMCalendar::weekNumber(const QDate &d, int &week, int &year)
{
    // find the week-numbering year whose week 1 starts on or before d
    int y = d.year();
    QDate start = firstDayOfWeek(1, y + 1);
    if (d >= start) {
        ++y;
    } else {
        start = firstDayOfWeek(1, y);
        if (d < start) {
            --y;
            start = firstDayOfWeek(1, y);
        }
    }
    year = y;
    week = int(start.daysTo(d) / 7) + 1;
}
