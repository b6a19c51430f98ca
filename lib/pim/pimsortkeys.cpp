#include "pimsortkeys.h"

#include "ymrpim.h"

#include <QThread>
#include <QtConcurrentRun>

#include <algorithm>

namespace {

enum Kind : quint32 { Empty, Number, Text };

const quint64 Bias = quint64(1) << 63;

inline Kind kindOf(quint32 shape)
{
    return Kind(shape >> 30);
}

// Sorts v by less, a strict order of all its elements: a large array in
// parts on Qt's thread pool at once, the parts then merged pairwise.
template <typename T, typename Less>
void sortInParts(std::vector<T> &v, Less less)
{
    const size_t n = v.size();
    const size_t parts = n < 65536 ? 1 : size_t(qBound(1, QThread::idealThreadCount(), 16));
    if (parts == 1) {
        std::sort(v.begin(), v.end(), less);
        return;
    }
    const auto at = [&](size_t part) { return v.begin() + std::ptrdiff_t(n * qMin(part, parts) / parts); };
    std::vector<QFuture<void>> jobs;
    for (size_t i = 0; i < parts; ++i)
        jobs.push_back(QtConcurrent::run([=] { std::sort(at(i), at(i + 1), less); }));
    for (QFuture<void> &job : jobs)
        job.waitForFinished();
    for (size_t width = 1; width < parts; width *= 2) {
        jobs.clear();
        for (size_t i = 0; i + width < parts; i += 2 * width)
            jobs.push_back(QtConcurrent::run([=] { std::inplace_merge(at(i), at(i + width), at(i + 2 * width), less); }));
        for (QFuture<void> &job : jobs)
            job.waitForFinished();
    }
}

} // namespace

void PIMSortKeys::clear()
{
    m_entries.clear();
    m_texts.resize(0);
    m_plain = false;
}

void PIMSortKeys::reserve(int n)
{
    m_entries.reserve(size_t(n));
}

void PIMSortKeys::add(const QString &text, int index)
{
    Entry e;
    e.index = quint32(index);
    e.offset = quint32(m_texts.size());
    e.length = quint32(text.size());
    m_texts += text;
    if (!prepare(text, e))
        m_plain = true;
    m_entries.push_back(e);
}

// The order of YMRPIM::compareKeys from a few inline words: empty keys, then
// decimal numbers by value, then texts. False when the text is a number too
// long to hold inline.
bool PIMSortKeys::prepare(const QString &text, Entry &e) const
{
    e.major = e.minor = 0;
    e.shape = quint32(Empty) << 30;
    const int len = text.size();
    if (len == 0)
        return true;
    const ushort *p = text.utf16();
    const ushort *end = p + len;
    // a decimal number: optional "-", digits, optional "." and digits
    const ushort *q = p;
    const bool minus = *q == '-';
    if (minus)
        ++q;
    const ushort *intStart = q;
    while (q < end && *q >= '0' && *q <= '9')
        ++q;
    const int intLen = int(q - intStart);
    const bool point = q < end && *q == '.';
    const ushort *fracStart = point ? q + 1 : q;
    if (point) {
        ++q;
        while (q < end && *q >= '0' && *q <= '9')
            ++q;
    }
    const int fracLen = int(q - fracStart);
    if (q != end || intLen + fracLen == 0) {
        e.shape = quint32(Text) << 30;
        for (int i = 0; i < 4; ++i)
            e.major = (e.major << 16) | (i < len ? p[i] : 0);
        return true;
    }
    const ushort *digits = intStart;
    while (digits < intStart + intLen && *digits == '0')
        ++digits;
    const int significant = int(intStart + intLen - digits);
    if (significant > 17 || fracLen > 18 || intLen >= (1 << 14))
        return false;
    qint64 whole = 0;
    for (const ushort *d = digits; d < intStart + intLen; ++d)
        whole = whole * 10 + (*d - '0');
    quint64 fraction = 0;
    for (int i = 0; i < 18; ++i)
        fraction = fraction * 10 + (i < fracLen ? quint64(fracStart[i] - '0') : 0);
    if (minus && (whole != 0 || fraction != 0)) {
        // -(w + f) as (-w - 1) + (1 - f)
        if (fraction != 0) {
            whole = -whole - 1;
            fraction = quint64(1000000000000000000ULL) - fraction;
        } else {
            whole = -whole;
        }
    }
    e.major = quint64(whole) ^ Bias;
    e.minor = fraction;
    e.shape = (quint32(Number) << 30) | (minus ? 1u : 0u) | (point ? 2u : 0u) | (quint32(intLen) << 2)
              | (quint32(fracLen) << 16);
    return true;
}

int PIMSortKeys::compareTexts(const Entry &a, const Entry &b) const
{
    const QStringView ta(m_texts.constData() + a.offset, qsizetype(a.length));
    const QStringView tb(m_texts.constData() + b.offset, qsizetype(b.length));
    const int c = ta.compare(tb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int PIMSortKeys::compare(const Entry &a, const Entry &b) const
{
    const Kind kind = kindOf(a.shape);
    if (kind != kindOf(b.shape))
        return kind < kindOf(b.shape) ? -1 : 1;
    if (a.major != b.major)
        return a.major < b.major ? -1 : 1;
    switch (kind) {
    case Empty:
        return 0;
    case Number:
        if (a.minor != b.minor)
            return a.minor < b.minor ? -1 : 1;
        // equal values written alike are the same text
        return a.shape == b.shape ? 0 : compareTexts(a, b);
    default:
        return compareTexts(a, b);
    }
}

void PIMSortKeys::sort()
{
    if (m_plain) {
        const QChar *texts = m_texts.constData();
        sortInParts(m_entries, [texts](const Entry &a, const Entry &b) {
            const int c = YMRPIM::compareKeys(QString::fromRawData(texts + a.offset, int(a.length)),
                                              QString::fromRawData(texts + b.offset, int(b.length)));
            return c != 0 ? c < 0 : a.index < b.index;
        });
        return;
    }
    sortInParts(m_entries, [this](const Entry &a, const Entry &b) {
        const int c = compare(a, b);
        return c != 0 ? c < 0 : a.index < b.index;
    });
}
