#ifndef PIMTEXTREADER_H
#define PIMTEXTREADER_H

#include <QByteArray>
#include <QHash>
#include <QDate>
#include <QDateTime>
#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <cstring>

class LoadBudget;
class QIODevice;

// Line reader of the record files. It reads the device in large blocks and
// hands out one line at a time as raw UTF-8 bytes, so that the loader decodes
// only the values it keeps and knows the exact byte offset of every line.
// A line ends at a line feed (a carriage return before it is dropped) or at
// the end of the device. A line longer than maxLineLength() ends the
// reading as a failed read does: such a file is damaged, and a line of that
// length could not be held as text anyway.
class PIMTextReader
{
public:
    // Generous for real records (a line is tens of bytes, a long
    // description a few KB).
    static const int DefaultMaxLineLength = 1024 * 1024;
    static int maxLineLength();
    // For tests; 0 brings back the default.
    static void setMaxLineLength(int length);

    explicit PIMTextReader(QIODevice *device);
    // Reads the bytes in place (they are shared, not copied).
    explicit PIMTextReader(const QByteArray &bytes);

    // What the lines read make in memory is charged on budget (their
    // readers tell what they keep); once it is spent readLine() reads
    // nothing more, as at the end of the input, and stopped() says so.
    void setBudget(LoadBudget *budget) { m_budget = budget; }
    LoadBudget *budget() const { return m_budget; }
    // Bytes of memory that what was read keeps (nothing without a budget).
    void charge(qint64 bytes) { m_charge += bytes; m_entryCharge += bytes; }
    // One entry (a record) begins, and ends having taken bytes in all, what
    // was charged while it was read included.
    void beginEntry() { m_entryCharge = 0; }
    void endEntry(qint64 bytes);
    // Hands what was charged on to the budget; false once it is spent.
    bool settle();
    bool stopped() const { return m_stopped; }

    // Reads the next line; false when the device holds no further line.
    bool readLine();
    // Lines that hold a zero byte are passed over (no text of a record
    // file holds one: such a line is damage); skippedZeroLine() tells
    // whether one was.
    void setSkipZeroLines(bool skip) { m_skipZero = skip; }
    bool skippedZeroLine() const { return m_skippedZero; }
    // Hands the current line out again on the next readLine().
    void unreadLine();
    bool atEnd();
    // Bytes consumed up to the end of the current line, its line feed included.
    qint64 pos() const { return m_consumed; }
    // A read of the device failed, or a line was too long.
    bool hasError() const { return m_error; }
    bool lineTooLong() const { return m_tooLong; }

    const char *data() const { return m_line; }
    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    bool is(const char *text) const
    {
        const size_t len = strlen(text);
        return size_t(m_size) == len && memcmp(m_line, text, len) == 0;
    }
    bool is(QLatin1String text) const
    {
        return m_size == text.size() && memcmp(m_line, text.data(), size_t(m_size)) == 0;
    }

    // The text before the first "=" (the whole line when it holds none).
    QLatin1String key() const { return QLatin1String(m_line, m_eq < 0 ? m_size : m_eq); }
    bool hasValue() const { return m_eq >= 0; }
    // Everything after the first "=", decoded whole (Utf8Text: a zero byte
    // or a leading byte-order mark stays; a "|" becomes a line feed); a
    // null string when the line holds no "=".
    QString value() const;
    // value() for texts that repeat across records (types, cities...): equal
    // texts share one string, which keeps a large book small in memory.
    QString sharedValue();
    // The n-th piece of the line split at every "=" (0 is the key), not
    // decoded; a null string when the line has fewer pieces.
    QString piece(int n) const;
    // Everything after the n-th "=" (n >= 1), decoded; null when missing.
    QString valueAfter(int n) const;
    // The n-th piece's date text, read without a QString.
    QDate dateValue(int n = 1) const;
    // The numbers of the n-th piece's date text (see parseNumbers); false
    // when the piece is missing or empty.
    bool numbers(int n, int *numbers, int count) const;
    QString line() const;
    // The line split at every "=", empty pieces kept.
    QStringList pieces() const;

    // Date texts of a byte range: up to count numbers separated by blanks;
    // a piece that is not a number, or a missing one, reads 0.
    static void parseNumbers(const char *text, int len, int *numbers, int count);
    // The date of a file's day, month and year; null for an impossible day
    // and for a year outside 1 to 9999, which no calendar of the program
    // shows and whose times would overflow.
    static QDate calendarDate(int day, int month, int year);

private:
    bool fill();
    int pieceStart(int n, int *len) const;

    QIODevice *m_device = nullptr;
    LoadBudget *m_budget = nullptr;
    qint64 m_charge = 0;      // not yet handed to the budget
    qint64 m_entryCharge = 0;
    qint64 m_entries = 0;     // ended, not yet handed on
    int m_linesUnchecked = 0;
    bool m_stopped = false;
    QHash<QByteArray, QString> m_shared;
    QByteArray m_buffer;
    int m_begin = 0;     // first unread byte of the buffer
    int m_end = 0;       // end of the valid bytes
    bool m_eof = false;
    bool m_error = false;
    bool m_tooLong = false;
    bool m_pushedBack = false;
    bool m_skipZero = false;
    bool m_skippedZero = false;
    const char *m_line = nullptr;
    int m_size = 0;
    int m_eq = -1;
    qint64 m_consumed = 0;
    qint64 m_lineStartPos = 0;
    qint64 m_lineEndPos = 0;
};

#endif
