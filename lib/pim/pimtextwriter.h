#ifndef PIMTEXTWRITER_H
#define PIMTEXTWRITER_H

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

class QIODevice;

// Line writer of the record files: UTF-8, a line feed after every line,
// written to the device in large blocks. Values written through
// writeValue() are escaped on the way (a line feed becomes "|") and lose
// trailing carriage returns, which no reader could tell from a CRLF end.
class PIMTextWriter
{
public:
    explicit PIMTextWriter(QIODevice *device);
    ~PIMTextWriter();

    PIMTextWriter(const PIMTextWriter &) = delete;
    PIMTextWriter &operator=(const PIMTextWriter &) = delete;

    // text and a line feed
    void writeLine(const char *text);
    // key (with its "="), the escaped value, a line feed
    void writeValue(const char *key, const QString &value);
    // key, name unescaped, "=", escaped value, line feed
    void writeNamedValue(const char *key, const QString &name, const QString &value);
    void writeNumber(const char *key, qint64 value);
    // the date-time text; an empty value for an invalid date-time
    void writeDateTime(const char *key, const QDateTime &value);
    void writeDateTime(const char *key, const QDate &date, const QTime &time);
    // a date written as the date-time text of that day at 00:00:00
    void writeDateAsDateTime(const char *key, const QDate &value);
    void writeRaw(const char *data, qint64 size);

    // Hands the buffered bytes to the device; false when a write failed.
    bool flush();
    bool hasError() const { return m_error; }
    // Bytes written so far (buffered ones included).
    qint64 pos() const { return m_written + m_used; }
    // The bytes not yet handed to the device, and dropping them: a store
    // renders a record here to compare it with the text it was read from.
    const char *buffered() const { return m_buffer; }
    int bufferedSize() const { return m_used; }
    void discard() { m_used = 0; }

private:
    void put(char c)
    {
        if (m_used == Capacity)
            flush();
        m_buffer[m_used++] = c;
    }
    void putText(const char *text);
    void putUtf8(const QString &value, bool escape);
    void putUtf8(const ushort *text, int size, bool escape);
    // an escaped value without trailing carriage returns
    void putValue(const QString &value);
    void putNumber(qint64 value);

    enum { Capacity = 64 * 1024 };
    QIODevice *m_device;
    char *m_buffer;
    int m_used = 0;
    qint64 m_written = 0;
    bool m_error = false;
};

#endif
