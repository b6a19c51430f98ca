// Each kind of record file (the categories, the templates' book, the book
// index, the device's book list, a book) read from arbitrary bytes by the
// store's load, by the read before a merge and by the PC link's check: all
// three take the file whole or none does, and when they do, the load and
// the merge read the same entries. The load reads large texts in parts at
// times, the merge always in one go.
#include "fuzzcommon.h"

#include "pim/categorymanager.h"
#include "pim/dbmanager.h"
#include "pim/pimmanager.h"
#include "pim/pimrecord.h"
#include "pim/pimtextreader.h"
#include "pim/sharedrecords.h"
#include "pim/taskmanager.h"
#include "qpe/loadbudget.h"
#include "qpe/sharedfile.h"

#include <QDateTime>

#include <memory>

FUZZ_INIT

namespace {

// A store of the kind whose merge reader and entries the target reaches.
template <class Store> class Open : public Store
{
public:
    using Store::Store;
    using Store::sharedEntries;
    using Store::sharedReader;
};

enum Kind { Categories, Templates, BookIndex, DeviceIndex, Book, Kinds };

PIMManager *makeStore(Kind kind, const QString &book)
{
    switch (kind) {
    case Categories: return new Open<CategoryManager>();
    case Templates: return new Open<TaskManager>(QStringLiteral("fuzz"), true, false);
    case BookIndex: return new Open<DBManager>(false);
    case DeviceIndex: return new Open<DBManager>(true);
    default: return new Open<TaskManager>(book, false, false);
    }
}

template <class Store> bool readWith(PIMManager *store, const QByteArray &bytes, KeyedMerge::Entries &entries,
                                     KeyedMerge::Entries &loaded)
{
    auto *open = static_cast<Open<Store> *>(store);
    const bool whole = SharedFile::readsAs(*open->sharedReader(), bytes, entries);
    loaded = open->sharedEntries();
    return whole;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const Kind kind = Kind(data[0] % Kinds);
    const bool inParts = data[0] & 0x80;
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    // lines and files near the limits; the load reads in parts of 64 bytes
    PIMTextReader::setMaxLineLength(fuzz::LineLimit);
    CategoryManager::setMaxFileSize(fuzz::FileLimit);
    DBManager::setMaxFileSize(fuzz::FileLimit);
    TaskManager::setMaxBookSize(fuzz::FileLimit);
    PIMManager::setPartReadBytes(inParts ? 64 : 0);
    {
        // the times a load gives records without their own, the merge's as well
        PIMRecord::LoadScope scope(QDateTime(QDate(2020, 2, 2), QTime(2, 2, 2)));
        const QString book = fuzz::root().filePath(QStringLiteral("book.exp"));
        std::unique_ptr<PIMManager> store(makeStore(kind, book));
        const QString path = store->fileName();
        fuzz::writeFile(path, bytes);
        // the store's own read, with no owner to set the file aside first
        store->setShared(false);
        const bool loaded = store->load() && !store->isDamaged();
        KeyedMerge::Entries merged, held;
        bool whole = false;
        switch (kind) {
        case Categories: whole = readWith<CategoryManager>(store.get(), bytes, merged, held); break;
        case BookIndex: whole = readWith<DBManager>(store.get(), bytes, merged, held); break;
        case DeviceIndex:
            // no copy merges it: read as a store of records reads its file
            whole = SharedFile::readsAs(SharedRecords(store.get()), bytes, merged);
            held = SharedRecords::entriesOf(*store);
            break;
        default: whole = readWith<TaskManager>(store.get(), bytes, merged, held); break;
        }
        if (whole != loaded)
            fuzz::finding(loaded ? "the load takes a file the merge does not" : "the merge takes a file the load does not",
                          bytes);
        if (whole && merged != held)
            fuzz::finding("the load and the merge read other entries", bytes);
        // the PC link's check of the kinds a peer sends as they are
        LoadBudget budget(bytes.size());
        budget.charge(bytes.size());
        if (kind == Categories && CategoryManager::readsWhole(bytes, budget) != loaded)
            fuzz::finding("the link's check of a category file differs from the load", bytes);
        if (kind == DeviceIndex && DBManager::readsWhole(bytes, true, budget) != loaded)
            fuzz::finding("the link's check of a book list differs from the load", bytes);
        if (kind == Book && TaskManager::readsWhole(path) != loaded)
            fuzz::finding("the check of a received book differs from its load", bytes);
        store->forgetChanges();
        store.reset();
        QFile::remove(path);
    }
    PIMTextReader::setMaxLineLength(0);
    CategoryManager::setMaxFileSize(0);
    DBManager::setMaxFileSize(0);
    TaskManager::setMaxBookSize(0);
    PIMManager::setPartReadBytes(0);
    return 0;
}
