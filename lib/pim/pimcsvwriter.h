#ifndef PIMCSVWRITER_H
#define PIMCSVWRITER_H

#include "qt/ymrutil.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>

class PIMRecordArray;
class QIODevice;
class QTextCodec;
class QTextStream;

// Expenses as CSV: a header row, then one row per expense, every field
// quoted as YMRPIM::csvQuote does and the fields joined by the delimiter.
// Pieces of rows are made on Qt's thread pool and handed on in order, a
// block at a time, to be encoded.
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
    // Characters the codec had no bytes for: written as its stand-in (some
    // codecs write two for a character beyond the basic plane) or left out.
    struct Lost
    {
        int count = 0;        // characters, a pair of surrogates counting once
        int standIns = 0;     // stand-ins written for them
        int dropped = 0;      // of them, those left out
        QStringList first;    // the first three different ones, as met
    };
    // What the file holds in place of the lost characters, for the user.
    static QString lostText(const Lost &lost, const QString &codecName);
    // The same, encoded by codec (null: the locale's) into device; UTF-16 and
    // UTF-32 start with a byte order mark. False when not all went out.
    bool write(QIODevice *device, QTextCodec *codec, const PIMRecordArray &records,
               Lost *lost = nullptr) const;

private:
    // Hands the rows to sink a block at a time, in order.
    void writeBlocks(const PIMRecordArray &records,
                     const std::function<void(const QString &)> &sink) const;
    // The rows of records from to to (not included).
    QString rows(const PIMRecordArray &records, int from, int to) const;

    YMRUtil::DatePattern m_dateFormat;
    YMRUtil::DatePattern m_dateTimeFormat;
    QString m_qualifier;
    QString m_delimiter;
    QString m_multiline;
};

#endif
