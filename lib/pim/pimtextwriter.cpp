#include "pimtextwriter.h"

#include <QIODevice>

#include <cstring>

PIMTextWriter::PIMTextWriter(QIODevice *device)
    : m_device(device), m_buffer(new char[Capacity])
{
}

PIMTextWriter::~PIMTextWriter()
{
    flush();
    delete[] m_buffer;
}

bool PIMTextWriter::flush()
{
    if (m_used > 0) {
        if (!m_error && m_device->write(m_buffer, m_used) != m_used)
            m_error = true;
        m_written += m_used;
        m_used = 0;
    }
    return !m_error;
}

void PIMTextWriter::writeRaw(const char *data, qint64 size)
{
    if (size <= 0)
        return;
    if (m_used + size <= Capacity) {
        memcpy(m_buffer + m_used, data, size_t(size));
        m_used += int(size);
        return;
    }
    flush();
    if (!m_error && m_device->write(data, size) != size)
        m_error = true;
    m_written += size;
}

void PIMTextWriter::putText(const char *text)
{
    while (*text)
        put(*text++);
}

void PIMTextWriter::putUtf8(const QString &value, bool escape)
{
    const ushort *p = value.utf16();
    const ushort *end = p + value.size();
    while (p < end) {
        // room for the longest sequence
        if (m_used > Capacity - 4)
            flush();
        uint c = *p++;
        if (c < 0x80) {
            if (escape && c == '\n')
                c = '|';
            m_buffer[m_used++] = char(c);
        } else if (c < 0x800) {
            m_buffer[m_used++] = char(0xc0 | (c >> 6));
            m_buffer[m_used++] = char(0x80 | (c & 0x3f));
        } else {
            if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
                c = QChar::surrogateToUcs4(ushort(c), *p++);
                m_buffer[m_used++] = char(0xf0 | (c >> 18));
                m_buffer[m_used++] = char(0x80 | ((c >> 12) & 0x3f));
            } else {
                if (QChar::isSurrogate(c))
                    c = 0xfffd; // a lone surrogate has no UTF-8 form
                m_buffer[m_used++] = char(0xe0 | (c >> 12));
            }
            m_buffer[m_used++] = char(0x80 | ((c >> 6) & 0x3f));
            m_buffer[m_used++] = char(0x80 | (c & 0x3f));
        }
    }
}

void PIMTextWriter::putNumber(qint64 value)
{
    char digits[24];
    int n = 0;
    quint64 v = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        put('-');
    while (n)
        put(digits[--n]);
}

void PIMTextWriter::writeLine(const char *text)
{
    putText(text);
    put('\n');
}

void PIMTextWriter::writeValue(const char *key, const QString &value)
{
    putText(key);
    putUtf8(value, true);
    put('\n');
}

void PIMTextWriter::writeNamedValue(const char *key, const QString &name, const QString &value)
{
    putText(key);
    putUtf8(name, false);
    put('=');
    putUtf8(value, true);
    put('\n');
}

void PIMTextWriter::writeNumber(const char *key, qint64 value)
{
    putText(key);
    putNumber(value);
    put('\n');
}

void PIMTextWriter::writeDateTime(const char *key, const QDateTime &value)
{
    putText(key);
    const QDate d = value.date();
    const QTime t = value.time();
    if (d.isValid() && t.isValid()) {
        putNumber(d.day());
        put(' ');
        putNumber(d.month());
        put(' ');
        putNumber(d.year());
        put(' ');
        putNumber(t.hour());
        put(' ');
        putNumber(t.minute());
        put(' ');
        putNumber(t.second());
    }
    put('\n');
}

void PIMTextWriter::writeDateAsDateTime(const char *key, const QDate &value)
{
    putText(key);
    if (value.isValid()) {
        putNumber(value.day());
        put(' ');
        putNumber(value.month());
        put(' ');
        putNumber(value.year());
        putText(" 0 0 0");
    }
    put('\n');
}
