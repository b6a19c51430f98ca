#include "pimsortkeys.h"

#include "ymrpim.h"

#include <QHash>
#include <QThread>
#include <QtConcurrentRun>

#include <algorithm>
#include <climits>

namespace {

enum Kind : quint32 { Empty, Number, Text };

const quint64 Bias = quint64(1) << 63;

inline Kind kindOf(quint32 shape)
{
    return Kind(shape >> 30);
}

size_t partsFor(size_t n)
{
    return n < 65536 ? 1 : size_t(qBound(1, QThread::idealThreadCount(), 16));
}

// Runs job(0) to job(parts - 1) on Qt's thread pool at once, job(0) on
// this thread, and waits for all.
template <typename Job>
void inParts(size_t parts, Job job)
{
    std::vector<QFuture<void>> jobs;
    for (size_t i = 1; i < parts; ++i)
        jobs.push_back(QtConcurrent::run([&job, i] { job(i); }));
    job(0);
    for (QFuture<void> &j : jobs)
        j.waitForFinished();
}

// Sorts v by less, a strict order of all its elements: a large array in
// parts at once, the parts then merged pairwise, level by level, between v
// and one scratch array. Fresh memory costs a large array more than the
// merging itself: a temporary buffer per merge would cost it at every level.
template <typename T, typename Less>
void sortInParts(std::vector<T> &v, Less less)
{
    const size_t n = v.size();
    const size_t parts = partsFor(n);
    if (parts == 1) {
        std::sort(v.begin(), v.end(), less);
        return;
    }
    const auto at = [&](size_t part) { return std::ptrdiff_t(n * qMin(part, parts) / parts); };
    inParts(parts, [&](size_t i) { std::sort(v.begin() + at(i), v.begin() + at(i + 1), less); });
    std::vector<T> scratch(n);
    std::vector<T> *from = &v;
    std::vector<T> *to = &scratch;
    for (size_t width = 1; width < parts; width *= 2) {
        const size_t merges = (parts + 2 * width - 1) / (2 * width);
        inParts(merges, [&](size_t k) {
            const size_t i = k * 2 * width;
            const auto lo = at(i);
            const auto mid = at(i + width);
            const auto hi = at(i + 2 * width);
            std::merge(from->begin() + lo, from->begin() + mid, from->begin() + mid, from->begin() + hi,
                       to->begin() + lo, less);
        });
        std::swap(from, to);
    }
    if (from != &v)
        v.swap(scratch);
}

} // namespace

void PIMSortKeys::clear()
{
    // the buffers keep their memory for the next keys
    m_entries.clear();
    m_texts.resize(0);
    m_plain = false;
}

void PIMSortKeys::build(int count, const std::function<bool(int, QString &)> &keyOf, bool inParts)
{
    clear();
    const size_t n = size_t(qMax(count, 0));
    const size_t parts = inParts ? partsFor(n) : 1;
    const auto from = [&](size_t part) { return n * part / parts; };
    // The records are spread over the heap, and reading them is the cost:
    // each part writes the entries of its records from where they would
    // stand were all taken, and its texts into a buffer of its own (the
    // first into the held one).
    m_entries.resize(n);
    std::vector<QString> texts(parts);
    std::vector<size_t> taken(parts, 0);
    std::vector<char> plain(parts, 0);
    ::inParts(parts, [&](size_t part) {
        QString &buffer = part == 0 ? m_texts : texts[part];
        QString text;
        // A long text many records share (a category title) is held once:
        // the strings are kept here, so that no address seen is reused.
        QHash<const QChar *, std::pair<quint32, int>> seen;
        std::vector<QString> held;
        size_t to = from(part);
        for (size_t k = from(part); k < from(part + 1); ++k) {
            if (!keyOf(int(k), text))
                continue;
            Entry &e = m_entries[to++];
            e.index = quint32(k);
            e.length = quint32(text.size());
            if (!prepare(text, e))
                plain[part] = 1;
            if (text.size() > SharedTextLength) {
                const auto it = seen.constFind(text.constData());
                if (it != seen.constEnd() && it.value().second == text.size()) {
                    e.offset = it.value().first;
                    continue;
                }
                seen.insert(text.constData(), {quint32(buffer.size()), text.size()});
                held.push_back(text);
            }
            e.offset = quint32(buffer.size());
            buffer.append(text);
        }
        taken[part] = to - from(part);
    });
    m_plain = std::find(plain.begin(), plain.end(), 1) != plain.end();
    // the entries of the parts side by side, each part's texts after those
    // of the parts before it
    size_t entries = taken[0];
    for (size_t part = 1; part < parts; ++part) {
        if (entries != from(part))
            std::copy(m_entries.begin() + std::ptrdiff_t(from(part)),
                      m_entries.begin() + std::ptrdiff_t(from(part) + taken[part]),
                      m_entries.begin() + std::ptrdiff_t(entries));
        entries += taken[part];
    }
    m_entries.resize(entries);
    if (parts == 1)
        return;
    std::vector<size_t> base(parts, 0);
    std::vector<size_t> first(parts, 0);
    base[1] = size_t(m_texts.size());
    first[1] = taken[0];
    for (size_t i = 2; i < parts; ++i) {
        base[i] = base[i - 1] + size_t(texts[i - 1].size());
        first[i] = first[i - 1] + taken[i - 1];
    }
    const size_t chars = base.back() + size_t(texts.back().size());
    // more than one string holds: out of memory, as a string would say
    if (chars > size_t(INT_MAX) / 2)
        qBadAlloc();
    m_texts.resize(int(chars));
    QChar *joined = m_texts.data();
    ::inParts(parts - 1, [&](size_t i) {
        const size_t part = i + 1;
        std::copy(texts[part].constBegin(), texts[part].constEnd(), joined + base[part]);
        for (size_t k = first[part]; k < first[part] + taken[part]; ++k)
            m_entries[k].offset += quint32(base[part]);
        texts[part].clear();
    });
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
