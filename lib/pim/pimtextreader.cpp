#include "pimtextreader.h"

#include "qpe/loadbudget.h"
#include "qpe/utf8text.h"

#include <QIODevice>

#include <cstring>

namespace {
const int BlockSize = 64 * 1024;
// The budget is told of charges in sums of at least this (readers on
// several threads share it), and asked whether it is spent every so many
// lines: a signal is answered within moments, a line costs nothing more.
const qint64 SettleBytes = 256 * 1024;
const int LinesPerCheck = 4096;
int s_maxLineLength = PIMTextReader::DefaultMaxLineLength;

QString decodeBars(const char *p, int len)
{
    QString s = Utf8Text::decode(p, len);
    if (memchr(p, '|', size_t(len)))
        s.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return s;
}
}

int PIMTextReader::maxLineLength()
{
    return s_maxLineLength;
}

void PIMTextReader::setMaxLineLength(int length)
{
    s_maxLineLength = length > 0 ? length : DefaultMaxLineLength;
}

PIMTextReader::PIMTextReader(QIODevice *device)
    : m_device(device)
{
}

PIMTextReader::PIMTextReader(const QByteArray &bytes)
    : m_buffer(bytes), m_end(bytes.size()), m_eof(true)
{
}

bool PIMTextReader::fill()
{
    if (m_eof)
        return false;
    // keep the unread tail, make room for one more block
    if (m_begin > 0) {
        const int rest = m_end - m_begin;
        if (rest > 0)
            memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(rest));
        m_end = rest;
        m_begin = 0;
    }
    if (m_buffer.size() < m_end + BlockSize)
        m_buffer.resize(m_end + BlockSize);
    const qint64 got = m_device->read(m_buffer.data() + m_end, BlockSize);
    if (got <= 0) {
        if (got < 0)
            m_error = true;
        m_eof = true;
        return false;
    }
    m_end += int(got);
    return true;
}

void PIMTextReader::endEntry(qint64 bytes)
{
    m_charge += bytes - m_entryCharge;
    m_entryCharge = 0;
    ++m_entries;
    if (m_charge >= SettleBytes)
        settle();
}

bool PIMTextReader::settle()
{
    if (!m_budget || m_stopped)
        return !m_stopped;
    const bool within = m_budget->charge(m_charge, m_entries);
    m_charge = 0;
    m_entries = 0;
    m_linesUnchecked = 0;
    m_stopped = !within;
    return within;
}

bool PIMTextReader::readLine()
{
    if (m_stopped)
        return false;
    if (m_budget && (++m_linesUnchecked >= LinesPerCheck || m_charge >= SettleBytes) && !settle())
        return false;
    if (m_pushedBack) {
        m_pushedBack = false;
        m_consumed = m_lineEndPos;
        return true;
    }
    if (m_error)
        return false;
    const int maxLine = s_maxLineLength;
    // one pass splits the lines and passes over those holding a zero byte
    for (;;) {
        m_lineStartPos = m_consumed;
        int scanFrom = m_begin;
        for (;;) {
            const char *start = m_buffer.constData() + m_begin;
            const char *nl = static_cast<const char *>(
                memchr(m_buffer.constData() + scanFrom, '\n', size_t(m_end - scanFrom)));
            if (nl) {
                m_line = start;
                m_size = int(nl - start);
                m_begin += m_size + 1;
                m_consumed += m_size + 1;
                break;
            }
            const int scanned = m_end - m_begin;
            // the buffer never grows much past one line of the longest kind
            if (scanned > maxLine + 1) {
                m_tooLong = m_error = true;
                return false;
            }
            if (!fill()) {
                if (m_end == m_begin)
                    return false;
                // last line without a line feed
                m_line = m_buffer.constData() + m_begin;
                m_size = m_end - m_begin;
                m_consumed += m_size;
                m_begin = m_end;
                break;
            }
            scanFrom = m_begin + scanned;
        }
        if (m_size > 0 && m_line[m_size - 1] == '\r')
            --m_size;
        if (m_size > maxLine) {
            m_tooLong = m_error = true;
            return false;
        }
        if (m_skipZero && memchr(m_line, '\0', size_t(m_size))) {
            m_skippedZero = true;
            continue;
        }
        break;
    }
    const void *eq = memchr(m_line, '=', size_t(m_size));
    m_eq = eq ? int(static_cast<const char *>(eq) - m_line) : -1;
    m_lineEndPos = m_consumed;
    return true;
}

void PIMTextReader::unreadLine()
{
    m_pushedBack = true;
    m_consumed = m_lineStartPos;
}

bool PIMTextReader::atEnd()
{
    if (m_pushedBack || m_begin < m_end)
        return false;
    return !fill();
}

int PIMTextReader::pieceStart(int n, int *len) const
{
    int start = 0;
    for (int i = 0; i < n; ++i) {
        const void *eq = memchr(m_line + start, '=', size_t(m_size - start));
        if (!eq)
            return -1;
        start = int(static_cast<const char *>(eq) - m_line) + 1;
    }
    const void *eq = memchr(m_line + start, '=', size_t(m_size - start));
    *len = (eq ? int(static_cast<const char *>(eq) - m_line) : m_size) - start;
    return start;
}

QString PIMTextReader::value() const
{
    if (m_eq < 0)
        return QString();
    return decodeBars(m_line + m_eq + 1, m_size - m_eq - 1);
}

QString PIMTextReader::sharedValue()
{
    if (m_eq < 0)
        return QString();
    const int len = m_size - m_eq - 1;
    if (len > 64 || m_shared.size() > 4096)
        return value();
    const QByteArray key = QByteArray::fromRawData(m_line + m_eq + 1, len);
    const auto it = m_shared.constFind(key);
    if (it != m_shared.constEnd())
        return it.value();
    const QString v = value();
    m_shared.insert(QByteArray(key.constData(), key.size()), v);
    return v;
}

QString PIMTextReader::valueAfter(int n) const
{
    int len = 0;
    const int start = pieceStart(n, &len);
    if (start < 0)
        return QString();
    return decodeBars(m_line + start, m_size - start);
}

QString PIMTextReader::piece(int n) const
{
    int len = 0;
    const int start = pieceStart(n, &len);
    if (start < 0)
        return QString();
    return Utf8Text::decode(m_line + start, len);
}

void PIMTextReader::parseNumbers(const char *text, int len, int *numbers, int count)
{
    for (int i = 0; i < count; ++i)
        numbers[i] = 0;
    int i = 0;
    int n = 0;
    while (i < len && n < count) {
        while (i < len && text[i] == ' ')
            ++i;
        if (i >= len)
            break;
        int j = i;
        while (j < len && text[j] != ' ')
            ++j;
        // one piece [i, j)
        int k = i;
        bool neg = false;
        if (k < j && (text[k] == '-' || text[k] == '+')) {
            neg = text[k] == '-';
            ++k;
        }
        qint64 v = 0;
        bool ok = k < j;
        for (; k < j && ok; ++k) {
            const char c = text[k];
            if (c < '0' || c > '9' || v > 100000000000LL)
                ok = false;
            else
                v = v * 10 + (c - '0');
        }
        if (ok && v <= 2147483647LL)
            numbers[n] = int(neg ? -v : v);
        ++n;
        i = j;
    }
}

QDate PIMTextReader::dateValue(int n) const
{
    int len = 0;
    const int start = pieceStart(n, &len);
    if (start < 0 || len == 0)
        return QDate();
    int v[3];
    parseNumbers(m_line + start, len, v, 3);
    return calendarDate(v[0], v[1], v[2]);
}

QDate PIMTextReader::calendarDate(int day, int month, int year)
{
    if (year < 1 || year > 9999)
        return QDate();
    return QDate(year, month, day);
}

bool PIMTextReader::numbers(int n, int *numbers, int count) const
{
    int len = 0;
    const int start = pieceStart(n, &len);
    if (start < 0 || len == 0)
        return false;
    parseNumbers(m_line + start, len, numbers, count);
    return true;
}

QString PIMTextReader::line() const
{
    return Utf8Text::decode(m_line, m_size);
}

QStringList PIMTextReader::pieces() const
{
    return line().split(QLatin1Char('='), Qt::KeepEmptyParts);
}
