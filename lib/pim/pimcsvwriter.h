#ifndef PIMCSVWRITER_H
#define PIMCSVWRITER_H

#include "qt/ymrutil.h"

#include <QCoreApplication>
#include <QString>

#include <initializer_list>

class PIMRecordArray;
class QIODevice;
class QTextCodec;
class QTextStream;

// Expenses as CSV: a header row, then one row per expense, every field
// quoted by YMRPIM::csvQuote and the fields joined by the delimiter. The
// stream's codec makes the bytes; its status tells whether all went out.
class PIMCsvWriter
{
    Q_DECLARE_TR_FUNCTIONS(PIMCsvWriter)
public:
    // The expense's date is written by the pattern dateFormat, the created
    // and updated stamps by dateTimeFormat (see YMRUtil::formatDateTime);
    // each line feed of a description becomes multiline.
    PIMCsvWriter(const QString &dateFormat, const QString &dateTimeFormat,
                 const QString &qualifier, const QString &delimiter, const QString &multiline);

    // Records that are no expense are left out.
    void write(QTextStream &out, const PIMRecordArray &records) const;
    // The same, encoded by codec (null: the locale's) into device; UTF-16 and
    // UTF-32 start with a byte order mark. False when not all went out.
    bool write(QIODevice *device, QTextCodec *codec, const PIMRecordArray &records) const;

private:
    // row: the buffer the row is made in
    void writeRow(QTextStream &out, QString &row, std::initializer_list<QString> fields) const;

    YMRUtil::DatePattern m_dateFormat;
    YMRUtil::DatePattern m_dateTimeFormat;
    QString m_qualifier;
    QString m_delimiter;
    QString m_multiline;
};

#endif
