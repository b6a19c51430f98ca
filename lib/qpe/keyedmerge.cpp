#include "keyedmerge.h"

#include <QHash>
#include <QSet>

namespace {

// Where each key first stands.
QHash<QByteArray, int> firstPlaces(const KeyedMerge::Entries &entries)
{
    QHash<QByteArray, int> at;
    at.reserve(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        if (!at.contains(entries.at(i).key))
            at.insert(entries.at(i).key, i);
    }
    return at;
}

} // namespace

KeyedMerge::Entries KeyedMerge::merge(const Entries &base, const Entries &ours,
                                      const Entries &theirs, QVector<bool> *theirsTaken)
{
    const QHash<QByteArray, int> baseAt = firstPlaces(base);
    const QHash<QByteArray, int> theirsAt = firstPlaces(theirs);

    // this side's entries, each with the value that holds now
    Entries kept;
    QVector<bool> keptTheirs;
    QSet<QByteArray> ourKeys, keptKeys;
    kept.reserve(ours.size());
    for (const Entry &o : ours) {
        ourKeys.insert(o.key);
        const auto b = baseAt.constFind(o.key);
        const auto t = theirsAt.constFind(o.key);
        bool fromTheirs = false;
        if (b != baseAt.constEnd()) {
            const QByteArray &was = base.at(*b).value;
            const bool oursChanged = o.value != was;
            if (t == theirsAt.constEnd()) {
                // the other side removed it; a change made here keeps it
                if (!oursChanged)
                    continue;
            } else {
                fromTheirs = !oursChanged && theirs.at(*t).value != was;
            }
        }
        kept.append(fromTheirs ? theirs.at(*t) : o);
        keptTheirs.append(fromTheirs);
        keptKeys.insert(o.key);
    }

    // the other side's additions, grouped behind the nearest entry before
    // them there that is kept here
    QHash<QByteArray, QVector<int>> behind;
    QVector<int> first;
    QSet<QByteArray> added;
    const QByteArray *anchor = nullptr;
    for (int i = 0; i < theirs.size(); ++i) {
        const QByteArray &key = theirs.at(i).key;
        if (keptKeys.contains(key)) {
            anchor = &key;
            continue;
        }
        if (baseAt.contains(key) || ourKeys.contains(key) || added.contains(key))
            continue;
        added.insert(key);
        (anchor ? behind[*anchor] : first).append(i);
    }

    Entries out;
    QVector<bool> taken;
    out.reserve(kept.size() + added.size());
    taken.reserve(kept.size() + added.size());
    for (int i : qAsConst(first)) {
        out.append(theirs.at(i));
        taken.append(true);
    }
    for (int k = 0; k < kept.size(); ++k) {
        out.append(kept.at(k));
        taken.append(keptTheirs.at(k));
        const QVector<int> next = behind.take(kept.at(k).key);
        for (int i : next) {
            out.append(theirs.at(i));
            taken.append(true);
        }
    }
    if (theirsTaken)
        *theirsTaken = taken;
    return out;
}

KeyedMerge::Entries KeyedMerge::keysOnly(const QStringList &keys)
{
    Entries entries;
    entries.reserve(keys.size());
    for (const QString &key : keys)
        entries.append({key.toUtf8(), QByteArray()});
    return entries;
}
