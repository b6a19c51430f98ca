#include "pimcsvwriter.h"

#include "pimrecordarray.h"
#include "task.h"
#include "ymrpim.h"

#include <QHash>
#include <QIODevice>
#include <QTextCodec>
#include <QTextStream>
#include <QtEndian>

namespace {

// The stored date and time of day as they are: no time zone shifts them.
QString format(const YMRUtil::DatePattern &pattern, const QDate &date, const QTime &time)
{
    QString text;
    text.reserve(32);
    pattern.append(text, date, time);
    return text;
}

// Qt's UTF-32 encoders garble every character beyond the basic plane (four
// junk bytes follow it): UTF-32 is encoded here.
QByteArray toUtf32(const QString &text, bool bigEndian, bool byteOrderMark)
{
    QVector<uint> points = text.toUcs4();
    if (byteOrderMark)
        points.prepend(0xfeff);
    for (uint &p : points)
        p = bigEndian ? qToBigEndian(p) : qToLittleEndian(p);
    return QByteArray(reinterpret_cast<const char *>(points.constData()), points.size() * 4);
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

bool PIMCsvWriter::write(QIODevice *device, QTextCodec *codec,
                         const PIMRecordArray &records) const
{
    QTextStream out(device);
    if (codec)
        out.setCodec(codec);
    const int mib = out.codec()->mibEnum();
    // UTF-16 and UTF-32 without a byte order mark leave readers guessing
    const bool byteOrderMark = mib == 1015 || mib == 1017;
    out.setGenerateByteOrderMark(byteOrderMark);
    // UTF-32, UTF-32BE, UTF-32LE: the rows are gathered and encoded at once
    if (mib < 1017 || mib > 1019) {
        write(out, records);
        out.flush();
        return out.status() == QTextStream::Ok;
    }
    QString text;
    QTextStream rows(&text, QIODevice::WriteOnly);
    write(rows, records);
    rows.flush();
    // "UTF-32" (always with its mark) takes this machine's byte order, as Qt's does
    const bool bigEndian =
        mib == 1018 || (mib == 1017 && QSysInfo::ByteOrder == QSysInfo::BigEndian);
    const QByteArray bytes = toUtf32(text, bigEndian, byteOrderMark);
    return device->write(bytes) == bytes.size();
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
