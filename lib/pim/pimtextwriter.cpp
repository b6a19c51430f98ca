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
    writeRaw(text, qint64(strlen(text)));
}

void PIMTextWriter::putValue(const QString &value)
{
    // A reader takes a carriage return before the line feed for a CRLF
    // line end: a value's trailing ones are left out once here, else the
    // value would lose one on every save.
    int n = value.size();
    while (n > 0 && value.at(n - 1) == QLatin1Char('\r'))
        --n;
    putUtf8(value.utf16(), n, true);
}

void PIMTextWriter::putUtf8(const QString &value, bool escape)
{
    putUtf8(value.utf16(), value.size(), escape);
}

void PIMTextWriter::putUtf8(const ushort *p, int size, bool escape)
{
    const ushort *end = p + size;
    while (p < end) {
        // at most three bytes per UTF-16 unit (four per surrogate pair)
        const qint64 chunk = qMin<qint64>(end - p, Capacity / 3 - 1);
        if (m_used + chunk * 3 + 1 > Capacity)
            flush();
        char *out = m_buffer + m_used;
        const ushort *stop = p + chunk;
        while (p < stop) {
            uint c = *p++;
            if (c < 0x80) {
                *out++ = char(escape && c == '\n' ? '|' : c);
            } else if (c < 0x800) {
                *out++ = char(0xc0 | (c >> 6));
                *out++ = char(0x80 | (c & 0x3f));
            } else {
                if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
                    c = QChar::surrogateToUcs4(ushort(c), *p++);
                    *out++ = char(0xf0 | (c >> 18));
                    *out++ = char(0x80 | ((c >> 12) & 0x3f));
                } else {
                    if (QChar::isSurrogate(c))
                        c = 0xfffd; // a lone surrogate has no UTF-8 form
                    *out++ = char(0xe0 | (c >> 12));
                }
                *out++ = char(0x80 | ((c >> 6) & 0x3f));
                *out++ = char(0x80 | (c & 0x3f));
            }
        }
        m_used = int(out - m_buffer);
    }
}

void PIMTextWriter::putNumber(qint64 value)
{
    char digits[24];
    int n = 24;
    quint64 v = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    do {
        digits[--n] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        digits[--n] = '-';
    writeRaw(digits + n, 24 - n);
}

void PIMTextWriter::writeLine(const char *text)
{
    putText(text);
    put('\n');
}

void PIMTextWriter::writeValue(const char *key, const QString &value)
{
    putText(key);
    putValue(value);
    put('\n');
}

void PIMTextWriter::writeNamedValue(const char *key, const QString &name, const QString &value)
{
    putText(key);
    putUtf8(name, false);
    put('=');
    putValue(value);
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
    writeDateTime(key, value.date(), value.time());
}

void PIMTextWriter::writeDateTime(const char *key, const QDate &d, const QTime &t)
{
    putText(key);
    if (d.isValid() && t.isValid()) {
        int y = 0, m = 0, day = 0;
        d.getDate(&y, &m, &day);
        const int fields[6] = {day, m, y, t.hour(), t.minute(), t.second()};
        for (int i = 0; i < 6; ++i) {
            if (i > 0)
                put(' ');
            putNumber(fields[i]);
        }
    }
    put('\n');
}

void PIMTextWriter::writeDateAsDateTime(const char *key, const QDate &value)
{
    writeDateTime(key, value, QTime(0, 0));
}
