#ifndef KEYEDMERGE_H
#define KEYEDMERGE_H

#include <QByteArray>
#include <QStringList>
#include <QVector>

// The merge of a file that several copies of the program on one home
// write: what this copy changed since it read the file is applied to what
// is on disk now, and what the other copies did meanwhile is kept.
//
// A file is an ordered list of entries, each named by a key (a record's
// UID, a book's path, a value's text) and holding a value (the record's
// text, a template's name; empty where the key is all there is). Against
// the base, the entries as this copy last read or wrote them:
// - an entry only one side changed takes that side's value;
// - an entry the other side removed goes, unless this side changed it;
// - an entry this side removed stays removed;
// - an entry the other side added comes in after the entry it follows
//   there (the first entry when it follows none);
// - where both changed an entry, this side's value holds: this copy is the
//   later writer.
// The result keeps this side's order. Keys are compared as bytes; a key
// repeated in one list counts once for the other sides.
class KeyedMerge
{
public:
    struct Entry
    {
        QByteArray key;
        QByteArray value;
        bool operator==(const Entry &o) const { return key == o.key && value == o.value; }
    };
    using Entries = QVector<Entry>;
    // A file whose entries are keys alone (paths, a list's values).
    static Entries keysOnly(const QStringList &keys);

    // theirsTaken, when given, says for each entry of the result whether it
    // came from theirs (an addition or a change of the other side).
    static Entries merge(const Entries &base, const Entries &ours, const Entries &theirs,
                         QVector<bool> *theirsTaken = nullptr);
};

#endif
