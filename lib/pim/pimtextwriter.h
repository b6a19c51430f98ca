#ifndef PIMTEXTWRITER_H
#define PIMTEXTWRITER_H

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstring>
#include <limits>

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

    // The keys are short texts, mostly literals: these stay inline so that
    // their lengths are known where they are written.

    // text and a line feed
    void writeLine(const char *text)
    {
        putText(text);
        put('\n');
    }
    // key (with its "="), the escaped value, a line feed
    void writeValue(const char *key, const QString &value)
    {
        putText(key);
        putValue(value);
        put('\n');
    }
    // writeValue(), or no line at all when the value is empty as written
    // (carriage returns only): what the next load finds is what this save
    // meant, so a second save writes the same
    void writeValueIfAny(const char *key, const QString &value)
    {
        if (writtenSize(value) > 0)
            writeValue(key, value);
    }
    // the texts escaped and joined by "|", as writeValue() writes them
    // joined by line feeds; the reader drops empty texts, so they are not
    // written, nor is a line without any text
    void writeValues(const char *key, const QStringList &values);
    // key, name unescaped, "=", escaped value, line feed
    void writeNamedValue(const char *key, const QString &name, const QString &value)
    {
        putText(key);
        putUtf8(name, false);
        put('=');
        putValue(value);
        put('\n');
    }
    void writeNumber(const char *key, qint64 value)
    {
        putText(key);
        putNumber(value);
        put('\n');
    }
    // the date-time text; an empty value for an invalid date-time
    void writeDateTime(const char *key, const QDateTime &value) { writeDateTime(key, value.date(), value.time()); }
    void writeDateTime(const char *key, const QDate &date, const QTime &time)
    {
        putText(key);
        putDateTime(date, time);
    }
    // the date-time text of a Julian day and a time of day
    void writeDateTime(const char *key, qint64 julianDay, int hour, int minute, int second)
    {
        putText(key);
        putDateTime(julianDay, hour, minute, second);
    }
    // a date written as the date-time text of that day at 00:00:00
    void writeDateAsDateTime(const char *key, const QDate &value)
    {
        putText(key);
        if (value.isValid())
            putDateTime(value.toJulianDay(), 0, 0, 0);
        else
            put('\n');
    }
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
    void putText(const char *text) { putBytes(text, strlen(text)); }
    void putBytes(const char *text, size_t size)
    {
        if (size > 64) {
            writeRaw(text, qint64(size));
            return;
        }
        memcpy(reserve(int(size)), text, size);
        m_used += int(size);
    }
    // room for n more bytes in the buffer
    char *reserve(int n)
    {
        if (m_used + n > Capacity)
            flush();
        return m_buffer + m_used;
    }
    void putUtf8(const QString &value, bool escape);
    void putUtf8(const ushort *text, int size, bool escape);
    // an escaped value without trailing carriage returns
    void putValue(const QString &value);
    // the size of the value without its trailing carriage returns
    static int writtenSize(const QString &value)
    {
        int n = value.size();
        while (n > 0 && value.at(n - 1) == QLatin1Char('\r'))
            --n;
        return n;
    }
    void putNumber(qint64 value);
    // the date-time text and the line feed
    void putDateTime(const QDate &date, const QTime &time);
    void putDateTime(qint64 julianDay, int hour, int minute, int second);

    enum { Capacity = 64 * 1024, DayCacheSize = 64 };
    // a Julian day and its date, or none (a day no date has)
    struct Day
    {
        qint64 julianDay = std::numeric_limits<qint64>::min();
        int day = 0, month = 0, year = 0;
    };
    QIODevice *m_device;
    Day m_days[DayCacheSize];
    char *m_buffer;
    int m_used = 0;
    qint64 m_written = 0;
    bool m_error = false;
};

#endif
