#ifndef PIMSORTKEYS_H
#define PIMSORTKEYS_H

#include <QString>

#include <functional>
#include <vector>

// The sort keys of a store's records for one column, held side by side: the
// texts in one buffer, each with a few words that order most keys without
// reading the text. sort() orders them by YMRPIM::compareKeys, records of
// equal keys by their index, so that the reverse order is the same list
// read backwards.
class PIMSortKeys
{
public:
    // Texts longer than this are held once for all the keys that share them
    // (the same string: a category title); shorter ones are copied for each.
    static const int SharedTextLength = 16;

    void clear();
    // The keys of the store's records 0 to count - 1 that keyOf(index, text)
    // gives (false: the record is left out), in place of any held. With
    // inParts many are made in parts on Qt's thread pool at once: keyOf
    // must then only read.
    void build(int count, const std::function<bool(int, QString &)> &keyOf, bool inParts);
    void sort();

    int count() const { return int(m_entries.size()); }
    // The store index of the i-th key in sorted order (after sort()).
    int index(int i) const { return int(m_entries[size_t(i)].index); }

private:
    struct Entry
    {
        // left unset: a large array is filled in parts by several threads,
        // and zeroing it first would touch all of its memory on one
        Entry() {}
        quint64 major;  // number: biased whole part; text: its first four UTF-16 units
        quint64 minor;  // number: the fraction in units of 1e-18
        // the kind in the top two bits; a number's sign, point and digit
        // counts as written below them
        quint32 shape;
        quint32 index;
        quint32 offset; // of the text in the buffer
        quint32 length;
    };
    bool prepare(const QString &text, Entry &e) const;
    int compare(const Entry &a, const Entry &b) const;
    int compareTexts(const Entry &a, const Entry &b) const;

    std::vector<Entry> m_entries;
    QString m_texts;
    // a number too long for the inline words: every key compares as text
    bool m_plain = false;
};

#endif
