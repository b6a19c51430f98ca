#ifndef DATEFORMAT_H
#define DATEFORMAT_H

#include <QChar>
#include <QDataStream>
#include <QMetaType>

// The platform's date settings as carried by dateFormatChanged().
// Order codes: 273 day-month-year, 266 month-day-year, 84 year-month-day.
class DateFormat
{
public:
    enum Order { DayMonthYear = 273, MonthDayYear = 266, YearMonthDay = 84 };

    DateFormat(QChar separator = QLatin1Char('/'), int shortOrder = DayMonthYear,
               int longOrder = DayMonthYear)
        : m_separator(separator), m_shortOrder(shortOrder), m_longOrder(longOrder) {}

    QChar separator() const { return m_separator; }
    int shortOrder() const { return m_shortOrder; }
    int longOrder() const { return m_longOrder; }

    bool operator==(const DateFormat &o) const
    {
        return m_separator == o.m_separator && m_shortOrder == o.m_shortOrder
            && m_longOrder == o.m_longOrder;
    }
    bool operator!=(const DateFormat &o) const { return !(*this == o); }

private:
    QChar m_separator;
    int m_shortOrder;
    int m_longOrder;
};

inline QDataStream &operator<<(QDataStream &s, const DateFormat &f)
{
    return s << f.separator() << qint32(f.shortOrder()) << qint32(f.longOrder());
}

inline QDataStream &operator>>(QDataStream &s, DateFormat &f)
{
    QChar sep;
    qint32 shortOrder = 0, longOrder = 0;
    s >> sep >> shortOrder >> longOrder;
    if (s.status() == QDataStream::Ok)
        f = DateFormat(sep, shortOrder, longOrder);
    return s;
}

Q_DECLARE_METATYPE(DateFormat)

#endif
