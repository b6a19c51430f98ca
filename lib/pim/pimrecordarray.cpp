#include "pimrecordarray.h"

#include "pimmanager.h"
#include "pimrecord.h"

#include <QString>

#include <algorithm>

namespace {

// A record's sort key prepared for comparing without following pointers:
// the order of YMRPIM::compareKeys (empty keys, then decimal numbers by
// value, then texts) from a few inline words; only texts that start alike
// and numbers of equal value but different texts look at the texts again.
struct SortEntry
{
    enum Kind : quint32 { Empty, Number, Text };
    quint64 major;  // number: biased whole part; text: its first four UTF-16 units
    quint64 minor;  // number: the fraction in units of 1e-18
    const QString *text;
    // the kind in the top two bits; a number's sign, point and digit counts
    // as written below them
    quint32 shape;
    quint32 index;  // of the record in the array
    Kind kind() const { return Kind(shape >> 30); }
};

const quint64 Bias = quint64(1) << 63;

// False when the text is a number too long to hold inline.
bool prepare(const QString &text, SortEntry &e)
{
    e.text = &text;
    e.major = e.minor = 0;
    e.shape = quint32(SortEntry::Empty) << 30;
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
        e.shape = quint32(SortEntry::Text) << 30;
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
    e.shape = (quint32(SortEntry::Number) << 30) | (minus ? 1u : 0u) | (point ? 2u : 0u) | (quint32(intLen) << 2)
              | (quint32(fracLen) << 16);
    return true;
}

int compareTexts(const QString *a, const QString *b)
{
    const int c = QString::compare(*a, *b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

inline int compareEntries(const SortEntry &a, const SortEntry &b)
{
    const SortEntry::Kind kind = a.kind();
    if (kind != b.kind())
        return kind < b.kind() ? -1 : 1;
    if (a.major != b.major)
        return a.major < b.major ? -1 : 1;
    switch (kind) {
    case SortEntry::Empty:
        return 0;
    case SortEntry::Number:
        if (a.minor != b.minor)
            return a.minor < b.minor ? -1 : 1;
        // equal values written alike are the same text
        return a.shape == b.shape ? 0 : compareTexts(a.text, b.text);
    default:
        return compareTexts(a.text, b.text);
    }
}

} // namespace

PIMRecordArray::~PIMRecordArray()
{
    clear();
}

int PIMRecordArray::find(const PIMRecord *record) const
{
    const auto it = std::find(m_items.begin(), m_items.end(), record);
    return it == m_items.end() ? -1 : int(it - m_items.begin());
}

void PIMRecordArray::insert(int index, PIMRecord *record)
{
    if (index < 0)
        index = 0;
    if (index > count())
        index = count();
    m_items.insert(m_items.begin() + index, record);
}

void PIMRecordArray::remove(PIMRecord *record)
{
    const auto it = std::find(m_items.begin(), m_items.end(), record);
    if (it == m_items.end())
        return;
    m_items.erase(it);
    if (m_autoDelete && record)
        delete record;
}

PIMRecord *PIMRecordArray::take(int index)
{
    PIMRecord *r = m_items[size_t(index)];
    m_items.erase(m_items.begin() + index);
    return r;
}

void PIMRecordArray::clear()
{
    std::vector<PIMRecord *> items;
    items.swap(m_items);
    if (m_autoDelete) {
        for (PIMRecord *r : items)
            delete r;
    }
}

void PIMRecordArray::sort()
{
    if (m_items.size() < 2)
        return;
    const PIMManager *owner = m_items.front()->manager();
    sort(owner ? owner->sortOrder() : true);
}

void PIMRecordArray::sort(bool ascending)
{
    if (m_items.size() < 2)
        return;
    // Decorate, sort, undecorate: each key is read once into an entry next
    // to its record, and the comparisons stay within the entries.
    static const QString none;
    std::vector<SortEntry> entries(m_items.size());
    bool prepared = true;
    for (size_t i = 0; i < m_items.size() && prepared; ++i) {
        const QStringList &key = m_items[i]->sortKey();
        entries[i].index = quint32(i);
        prepared = key.size() <= 1 && prepare(key.isEmpty() ? none : key.first(), entries[i]);
    }
    if (!prepared) {
        // keys of several texts or huge numbers: the records' own comparison
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const PIMRecord *a, const PIMRecord *b) { return a->lessThan(b); });
        return;
    }
    if (ascending)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const SortEntry &a, const SortEntry &b) { return compareEntries(a, b) < 0; });
    else
        std::stable_sort(entries.begin(), entries.end(),
                         [](const SortEntry &a, const SortEntry &b) { return compareEntries(a, b) > 0; });
    std::vector<PIMRecord *> sorted(m_items.size());
    for (size_t i = 0; i < entries.size(); ++i)
        sorted[i] = m_items[entries[i].index];
    m_items.swap(sorted);
}

int PIMRecordArray::compareRecords(const void *a, const void *b)
{
    const PIMRecord *ra = *static_cast<PIMRecord *const *>(a);
    const PIMRecord *rb = *static_cast<PIMRecord *const *>(b);
    if (ra->lessThan(rb))
        return -1;
    return rb->lessThan(ra) ? 1 : 0;
}
