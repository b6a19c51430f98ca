#include "pimcsvwriter.h"

#include "pimrecordarray.h"
#include "task.h"
#include "ymrpim.h"

#include <QHash>
#include <QTextStream>

namespace {

// The stored date and time of day as they are: no time zone shifts them.
QString format(const YMRUtil::DatePattern &pattern, const QDate &date, const QTime &time)
{
    QString text;
    text.reserve(32);
    pattern.append(text, date, time);
    return text;
}

} // namespace

PIMCsvWriter::PIMCsvWriter(const QString &dateFormat, const QString &dateTimeFormat,
                           const QString &qualifier, const QString &delimiter,
                           const QString &multiline)
    : m_dateFormat(dateFormat),
      m_dateTimeFormat(dateTimeFormat),
      m_qualifier(qualifier),
      m_delimiter(delimiter),
      m_multiline(multiline)
{
}

void PIMCsvWriter::write(QTextStream &out, const PIMRecordArray &records) const
{
    QString row;
    writeRow(out, row,
             {tr("Date"), tr("Type"), tr("Amount"), tr("Currency"), tr("City"), tr("Account"),
              tr("Description"), tr("Created Date"), tr("Updated Date"), tr("Categories")});
    // many expenses share a day: its text is made once
    QHash<qint64, QString> days;
    for (const PIMRecord *r : records) {
        const auto *t = dynamic_cast<const Task *>(r);
        if (!t)
            continue;
        const qint64 day = t->date.toJulianDay();
        auto date = days.constFind(day);
        if (date == days.constEnd())
            date = days.insert(day, format(m_dateFormat, t->date, QTime(0, 0)));
        QDate createdDate, updatedDate;
        QTime createdTime, updatedTime;
        t->createdParts(createdDate, createdTime);
        t->updatedParts(updatedDate, updatedTime);
        const QString created = format(m_dateTimeFormat, createdDate, createdTime);
        // a record never changed was updated when it was created
        const QString updated = updatedDate == createdDate && updatedTime == createdTime
                                    ? created
                                    : format(m_dateTimeFormat, updatedDate, updatedTime);
        writeRow(out, row,
                 {*date, t->type, t->amount, t->currency, t->city, t->account,
                  QString(t->description).replace(QLatin1Char('\n'), m_multiline), created,
                  updated, t->categoryTitles().join(QStringLiteral(", "))});
    }
}

void PIMCsvWriter::writeRow(QTextStream &out, QString &row,
                            std::initializer_list<QString> fields) const
{
    row.truncate(0);
    for (const QString &field : fields)
        YMRPIM::csvQuote(row, field, m_qualifier, m_delimiter);
    // csvQuote ends every field with the delimiter; the row's last has none
    row.chop(m_delimiter.size());
    row += QLatin1Char('\n');
    out << row;
}
