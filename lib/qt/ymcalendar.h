#ifndef YMCALENDAR_H
#define YMCALENDAR_H

#include <QCoreApplication>
#include <QDate>
#include <QString>

// The calendar module's month and weekday names and its date arithmetic.
// Month index 0 is January; weekday index 0 is Monday, 6 Sunday.
class YMCalendar
{
    Q_DECLARE_TR_FUNCTIONS(YMCalendar)
public:
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
};

#endif
