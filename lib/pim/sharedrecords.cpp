#include "sharedrecords.h"

#include "pimmanager.h"
#include "pimrecord.h"
#include "pimtextreader.h"
#include "pimtextwriter.h"
#include "recordfilereader.h"

#include "bookfile.h"
#include "qpe/boundedfile.h"
#include "qpe/loadbudget.h"

#include <QBuffer>
#include <QFile>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace {

QByteArray uidOf(const PIMRecord &record)
{
    return QByteArray(reinterpret_cast<const char *>(record.uid()), sizeof(uuid_t));
}

QByteArray textOf(const PIMRecord &record)
{
    QBuffer text;
    text.open(QIODevice::WriteOnly);
    {
        PIMTextWriter out(&text);
        record.write(out);
        out.flush();
    }
    // no room held beyond the text
    return QByteArray(text.data().constData(), text.data().size());
}

// The PC link's check: the records of a store that is only there to read.
class Check : public SharedRecords
{
public:
    explicit Check(PIMManager *store) : SharedRecords(store), m_owned(store) {}
    bool read(const QByteArray &bytes, KeyedMerge::Entries &, LoadBudget &budget) const override
    {
        std::vector<PIMRecord *> records;
        const bool whole = readRecords(bytes, budget, records);
        qDeleteAll(records);
        return whole;
    }

private:
    std::unique_ptr<PIMManager> m_owned;
};

} // namespace

SharedRecords::SharedRecords(PIMManager *store) : m_store(store)
{
}

std::shared_ptr<const SharedFile::Reader> SharedRecords::check(PIMManager *store)
{
    return std::make_shared<Check>(store);
}

bool SharedRecords::save(PIMManager &store)
{
    QPointer<PIMManager> self(&store);
    SharedFile *file = SharedFile::at(store.fileName());
    const bool ok = file->saveStore(store.sharedName(), [self] {
        SharedFile::StoreChange change;
        if (!self || !self->m_dirty)
            return change;
        change.write = [self](const KeyedMerge::Entries &merged, const QVector<bool> &theirs, QString *failure) {
            return self && writeMerged(*self, merged, theirs, failure);
        };
        // a subclass gone (the base's own destructor) cannot read its
        // records back: its destructor saved already (saveOnDestroy()); a
        // store that did not read its file whole writes nothing
        if (!self->m_destroying && self->m_loadOutcome == LoadBudget::Within) {
            change.reader = self->sharedReader();
            change.base = self->m_mergeBase;
            change.ours = self->sharedEntries();
        }
        return change;
    }) == SharedFile::Done;
    // a lock not had, or a file that could not be read (no write was
    // tried): the store says so as for any refused save
    if (!ok && store.saveFailure() != file->failure())
        store.bookFile()->refuseSave(file->failure());
    return ok;
}

bool SharedRecords::writeMerged(PIMManager &store, const KeyedMerge::Entries &merged, const QVector<bool> &theirs,
                                QString *failure)
{
    if (store.m_loadOutcome != LoadBudget::Within) {
        *failure = PIMManager::tr("the file was not read whole");
        store.bookFile()->refuseSave(*failure);
        return false;
    }
    if (!store.m_destroying)
        store.takeMerged(merged, theirs);
    if (store.m_headerOnly) {
        // the record part kept behind the new header is the one of the file
        // as it is now, behind its own header
        QFile current;
        if (store.bookFile()->openCurrent(current, store.fileSizeLimit()) == BoundedFile::Ok) {
            PIMTextReader in(&current);
            RecordFileReader::Result header;
            store.storeReader().readHeader(in, RecordFileReader::HeaderLine(), header);
            if (!in.hasError())
                store.m_offset = header.offset;
        }
    }
    if (!store.writeFile()) {
        *failure = store.saveFailure();
        return false;
    }
    if (!store.m_destroying)
        store.keepMergeBase();
    return true;
}

QString SharedRecords::what() const
{
    return m_store->sharedName();
}

qint64 SharedRecords::maxSize() const
{
    return m_store->fileSizeLimit();
}

qint64 SharedRecords::maxEntries() const
{
    return m_store->recordLimit();
}

bool SharedRecords::readRecords(const QByteArray &bytes, LoadBudget &budget, std::vector<PIMRecord *> &records) const
{
    // the records as the store's load made them: their times, and the
    // UIDs of those read without one, are the same while the file is
    RecordFileReader::Result result;
    PIMRecord::LoadScope scope(m_store->m_loadTime);
    m_store->readKind(bytes, &budget, RecordFileReader::HeaderLine(), records, result);
    // a file not read whole is no file the store takes
    return !result.failed && result.damage == RecordFileReader::Whole && !budget.isSpent();
}

bool SharedRecords::read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const
{
    std::vector<PIMRecord *> records;
    const bool whole = readRecords(bytes, budget, records);
    // then its text is what stays of each record (charged with it)
    entries.reserve(int(records.size()));
    for (PIMRecord *record : records) {
        const std::unique_ptr<PIMRecord> r(record);
        entries.append({uidOf(*r), textOf(*r)});
    }
    return whole;
}

KeyedMerge::Entries SharedRecords::entriesOf(const PIMManager &store)
{
    KeyedMerge::Entries entries;
    entries.reserve(store.m_records.count());
    for (const PIMRecord *r : store.m_records)
        entries.append({uidOf(*r), textOf(*r)});
    return entries;
}

void SharedRecords::take(PIMManager &store, const KeyedMerge::Entries &merged, const QVector<bool> &theirs)
{
    QHash<QByteArray, QVector<PIMRecord *>> ours;
    for (PIMRecord *r : store.m_records)
        ours[uidOf(*r)].append(r);
    std::vector<PIMRecord *> records;
    records.reserve(size_t(merged.size()));
    for (int i = 0; i < merged.size(); ++i) {
        if (theirs.value(i)) {
            PIMRecord *r = store.createRecord();
            r->setManager(&store);
            PIMTextReader in(merged.at(i).value);
            r->read(in);
            records.push_back(r);
            continue;
        }
        auto it = ours.find(merged.at(i).key);
        if (it != ours.end() && !it->isEmpty())
            records.push_back(it->takeFirst());
    }
    replace(store, records);
}

void SharedRecords::replace(PIMManager &store, const std::vector<PIMRecord *> &records)
{
    PIMRecordArray &all = store.m_records;
    if (std::equal(records.begin(), records.end(), all.begin(), all.end()))
        return;
    // records another copy removed or changed leave: whoever shows them
    // lets go first
    const QSet<PIMRecord *> kept(records.begin(), records.end());
    std::vector<PIMRecord *> leaving;
    for (PIMRecord *r : all) {
        if (kept.contains(r))
            continue;
        leaving.push_back(r);
        const int at = store.m_view.find(r);
        if (at >= 0)
            store.m_view.take(at);
        emit store.taskRemoved(r);
    }
    while (all.count() > 0)
        all.take(all.count() - 1);
    qDeleteAll(leaving);
    for (PIMRecord *r : records) {
        r->setManager(&store);
        all.append(r);
    }
    store.rebuildView(false);
    emit store.updated();
    emit store.changed();
}
