#ifndef TYPEDDATES_H
#define TYPEDDATES_H

// Dates typed digit by digit over another date, as users reported them: the
// day typed first checked against the month shown before the month was
// typed, and dates that do not exist. Each field's digits in full ("05"),
// put in the platform's date order.

#include <QDate>
#include <QString>
#include <vector>

namespace ymrtest {

struct TypedDate {
    QDate start;
    QString day, month, year;
    // what the digits make: invalid for a date that does not exist
    QDate date() const { return QDate(year.toInt(), month.toInt(), day.toInt()); }
};

inline std::vector<TypedDate> typedDates()
{
    return {
        {QDate(2026, 4, 15), "31", "05", "2026"}, {QDate(2026, 2, 10), "30", "03", "2026"},
        {QDate(2025, 2, 28), "31", "01", "2026"}, {QDate(2026, 11, 20), "31", "12", "2026"},
        {QDate(2025, 2, 10), "29", "02", "2024"}, {QDate(2026, 4, 15), "29", "02", "2024"},
        {QDate(2025, 2, 10), "29", "02", "2025"}, {QDate(2026, 4, 15), "31", "04", "2026"},
    };
}

// The three short date orders: month/day/year, year/month/day, day/month/year.
inline const std::vector<int> &dateOrders()
{
    static const std::vector<int> orders = {266, 84, 273};
    return orders;
}

inline QString inOrder(int order, const QString &day, const QString &month, const QString &year,
                       const QString &sep = QString())
{
    if (order == 266)
        return month + sep + day + sep + year;
    if (order == 84)
        return year + sep + month + sep + day;
    return day + sep + month + sep + year;
}

inline QString inOrder(int order, const QDate &d, const QString &sep = QStringLiteral("/"))
{
    return inOrder(order, QString::number(d.day()).rightJustified(2, QLatin1Char('0')),
                   QString::number(d.month()).rightJustified(2, QLatin1Char('0')),
                   QString::number(d.year()).rightJustified(4, QLatin1Char('0')), sep);
}

// "31052026 over 15/04/2026, d/m/y": a row name.
inline QByteArray typedRowName(int order, const TypedDate &t)
{
    const char *name = order == 266 ? "m/d/y" : order == 84 ? "y/m/d" : "d/m/y";
    return (inOrder(order, t.day, t.month, t.year) + QStringLiteral(" over ")
            + inOrder(order, t.start) + QStringLiteral(", ") + QLatin1String(name))
        .toLatin1();
}

} // namespace ymrtest

#endif
