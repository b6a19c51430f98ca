#ifndef SHAREDRECORDS_H
#define SHAREDRECORDS_H

#include "qpe/sharedfile.h"

#include <QByteArray>
#include <QHash>
#include <QVector>

#include <memory>

#include <vector>

class PIMManager;
class PIMRecord;

// A record store's file that every copy of the program on this home
// writes (the categories, the templates' book, the book index). The
// store's save goes through the file's owner (SharedFile::saveStore()),
// which reads the file again under the folder's lock and merges it with
// the store's entries (PIMManager::sharedReader(), sharedEntries()); the
// store takes the merged entries in (PIMManager::takeMerged()) and its
// BookFile writes them. As a reader: records keyed by their UIDs, each
// valued by its text as the store writes it, read from the file's bytes by
// the store's own reader (RecordFileReader) as its load reads them; a file
// that reader does not take whole is none.
class SharedRecords : public SharedFile::Reader
{
public:
    explicit SharedRecords(PIMManager *store);
    // The check of a file's bytes that a peer sends or is sent (the PC
    // link's): read as a store of the kind of store reads its file, within
    // the same budget, its records let go; read() then gives no entries.
    // The check owns store, a store of the kind that holds nothing.
    static std::shared_ptr<const SharedFile::Reader> check(PIMManager *store);

    // The store's save; refused or failed, its changes stay, and the
    // retry merges afresh while the store lives.
    static bool save(PIMManager &store);

    QString what() const override;
    qint64 maxSize() const override;
    qint64 maxEntries() const override;
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override;

    // The store's records as such entries.
    static KeyedMerge::Entries entriesOf(const PIMManager &store);
    // The store's records become the merged ones: its own where they hold,
    // the others' made from their texts.
    static void take(PIMManager &store, const KeyedMerge::Entries &merged, const QVector<bool> &theirs);
    // The store's records become these (its own, or new ones it now
    // owns): those that leave are told and deleted, the view made again.
    static void replace(PIMManager &store, const std::vector<PIMRecord *> &records);

protected:
    // The store's read of bytes (PIMManager::readKind()), records as its
    // load makes them; whether the file reads whole.
    bool readRecords(const QByteArray &bytes, LoadBudget &budget, std::vector<PIMRecord *> &records) const;

private:
    static bool writeMerged(PIMManager &store, const KeyedMerge::Entries &merged, const QVector<bool> &theirs,
                            QString *failure);

    PIMManager *m_store;
};

#endif
