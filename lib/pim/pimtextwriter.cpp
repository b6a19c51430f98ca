#include "pimtextwriter.h"

#include "qpe/wallclock.h"

#include <QIODevice>

#include <cstring>

namespace {

// Decimal digits of v at out; the end of them.
inline char *putDigits(char *out, quint64 v)
{
    if (v < 10) {
        *out++ = char('0' + v);
        return out;
    }
    if (v < 100) {
        *out++ = char('0' + v / 10);
        *out++ = char('0' + v % 10);
        return out;
    }
    if (v < 10000) {
        const int four = v >= 1000;
        if (four)
            *out++ = char('0' + v / 1000);
        *out++ = char('0' + v / 100 % 10);
        *out++ = char('0' + v / 10 % 10);
        *out++ = char('0' + v % 10);
        return out;
    }
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

inline char *putSigned(char *out, qint64 v)
{
    if (v < 0) {
        *out++ = '-';
        return putDigits(out, quint64(0) - quint64(v));
    }
    return putDigits(out, quint64(v));
}

// The first Julian day of year 1, from which on the clock's civil
// conversion (cheaper than the calendar's, a good part of a save) gives the
// calendar's dates.
const qint64 FirstDayOfYearOne = 1721426;

} // namespace

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

void PIMTextWriter::putValue(const QString &value)
{
    // A reader takes a carriage return before the line feed for a CRLF
    // line end: a value's trailing ones are left out once here, else the
    // value would lose one on every save.
    putUtf8(reinterpret_cast<const ushort *>(value.constData()), writtenSize(value), true);
}

void PIMTextWriter::putUtf8(const QString &value, bool escape)
{
    putUtf8(reinterpret_cast<const ushort *>(value.constData()), value.size(), escape);
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
            // runs of ASCII without a line feed, four units at a time
            while (stop - p >= 4) {
                quint64 four;
                memcpy(&four, p, sizeof four);
                if (four & 0xff80ff80ff80ff80ULL)
                    break;
                // a unit that is a line feed: (x ^ 0x0a) has a zero unit
                const quint64 x = four ^ 0x000a000a000a000aULL;
                if ((x - 0x0001000100010001ULL) & ~x & 0x8000800080008000ULL)
                    break;
                out[0] = char(p[0]);
                out[1] = char(p[1]);
                out[2] = char(p[2]);
                out[3] = char(p[3]);
                out += 4;
                p += 4;
            }
            if (p >= stop)
                break;
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
    char *out = reserve(24);
    m_used = int(putSigned(out, value) - m_buffer);
}

void PIMTextWriter::writeValues(const char *key, const QStringList &values)
{
    // The reader splits the value at every "|" and drops empty texts; texts
    // that hold no "|" or line feed are written as they are.
    bool plain = !values.isEmpty() && writtenSize(values.last()) == values.last().size();
    for (int i = 0; plain && i < values.size(); ++i) {
        const QString &v = values.at(i);
        plain = !v.isEmpty() && !v.contains(QLatin1Char('|')) && !v.contains(QLatin1Char('\n'));
    }
    QStringList texts;
    if (plain) {
        texts = values;
    } else {
        texts = values.join(QLatin1Char('\n'))
                    .replace(QLatin1Char('|'), QLatin1Char('\n'))
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // the last text loses its trailing carriage returns, as a whole
        // value would; one left empty is dropped
        while (!texts.isEmpty() && writtenSize(texts.last()) == 0)
            texts.removeLast();
        if (!texts.isEmpty())
            texts.last().truncate(writtenSize(texts.last()));
    }
    if (texts.isEmpty())
        return;
    putText(key);
    for (int i = 0; i < texts.size(); ++i) {
        if (i > 0)
            put('|');
        putUtf8(texts.at(i), false);
    }
    put('\n');
}

void PIMTextWriter::putDateTime(const QDate &d, const QTime &t)
{
    if (d.isValid() && t.isValid())
        putDateTime(d.toJulianDay(), t.hour(), t.minute(), t.second());
    else
        put('\n');
}

namespace {

// "0" to "99" and their lengths: a number below 100 is written as two
// bytes, of which the second is overwritten when it has one digit.
struct TwoDigits
{
    char text[2];
    int length;
};

struct TwoDigitTable
{
    TwoDigits entries[100];
    TwoDigitTable()
    {
        for (int v = 0; v < 100; ++v) {
            entries[v].text[0] = char(v < 10 ? '0' + v : '0' + v / 10);
            entries[v].text[1] = char(v < 10 ? ' ' : '0' + v % 10);
            entries[v].length = v < 10 ? 1 : 2;
        }
    }
};

const TwoDigitTable twoDigits;

inline char *putSmall(char *out, int v)
{
    if (uint(v) >= 100)
        return putSigned(out, v);
    const TwoDigits &d = twoDigits.entries[v];
    out[0] = d.text[0];
    out[1] = d.text[1];
    return out + d.length;
}

} // namespace

void PIMTextWriter::putDateTime(qint64 julianDay, int hour, int minute, int second)
{
    // the dates of a book repeat: the last few days converted are kept
    Day &d = m_days[quint64(julianDay) % DayCacheSize];
    if (d.julianDay != julianDay) {
        int secs;
        if (julianDay >= FirstDayOfYearOne)
            WallClock::fieldsOf((julianDay - WallClock::EpochJulianDay) * 86400, d.year, d.month, d.day, secs);
        else
            QDate::fromJulianDay(julianDay).getDate(&d.year, &d.month, &d.day);
        d.julianDay = julianDay;
    }
    char *out = reserve(96);
    out = putSmall(out, d.day);
    *out++ = ' ';
    out = putSmall(out, d.month);
    *out++ = ' ';
    out = putSigned(out, d.year);
    *out++ = ' ';
    out = putSmall(out, hour);
    *out++ = ' ';
    out = putSmall(out, minute);
    *out++ = ' ';
    out = putSmall(out, second);
    *out++ = '\n';
    m_used = int(out - m_buffer);
}
