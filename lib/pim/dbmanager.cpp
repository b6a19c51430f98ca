#include "dbmanager.h"

#include "bookfile.h"
#include "dbrecord.h"
#include "movejournal.h"
#include "pimtextreader.h"
#include "pimtextwriter.h"
#include "recordfilereader.h"
#include "sharedrecords.h"
#include "taskmanager.h"
#include "ymrpim.h"

#include "qpe/loadbudget.h"
#include "qpe/utf8text.h"
#include "qt/ymrapplication.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <vector>

namespace {

// The file's name without folder and without its ".exp" ending: the title
// the book editor makes the same file name of again ("v1.5.exp" is "v1.5").
QString titleOfPath(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const QLatin1String ending(".exp");
    return name.endsWith(ending) ? name.left(name.size() - ending.size()) : name;
}

// Loads a book's header. A file without the header block is no book
// (opening and saving it would rewrite it); an empty file is an empty book.
bool loadBookHeader(TaskManager &book)
{
    return book.load()
        && (book.recordOffset() > 0 || QFileInfo(book.fileName()).size() == 0);
}

// Thousands of books take a few hundred KB.
const qint64 MaxIndexSize = 16 * 1024 * 1024;
qint64 s_maxFileSize = MaxIndexSize;
// icon, title, description, password, folder
const int IndexColumns = 5;

// What a header line of the main index holds of a book: its path, from an
// "I=" line; false for any other line.
bool bookPath(QStringList &parts, QString *path)
{
    if (parts.value(0) != QLatin1String("I"))
        return false;
    *path = YMRPIM::decodeValue(parts);
    return true;
}

// What a book of the main index costs once the header is read: its record.
qint64 bookCost(const QString &path)
{
    return LoadBudget::heapBytes(sizeof(DBRecord)) + 2 * qint64(path.size()) + 64;
}

// The main index as its owner reads it for a merge: the books' paths of
// its header ("I=" lines), each a key, read by the index's own reader.
class IndexReader : public SharedFile::Reader
{
public:
    QString what() const override { return DBManager::tr("the book index"); }
    qint64 maxSize() const override { return s_maxFileSize; }
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override
    {
        RecordFileReader::Result result;
        const auto line = [&entries, &budget](QStringList &parts) {
            QString path;
            if (!bookPath(parts, &path))
                return;
            budget.charge(bookCost(path));
            entries.append({path.toUtf8(), QByteArray()});
        };
        std::vector<PIMRecord *> none;
        DBManager::fileReader(false).read(bytes, &budget, line, RecordFileReader::Cost(), false, none, result);
        return !result.failed && result.damage == RecordFileReader::Whole && !budget.isSpent();
    }
};

DBManager::CheckPrompt checkPrompt;
DBManager::OpenPrompt openPrompt;

} // namespace

DBManager::DBManager(bool ext)
    : PIMManager(YMRPIM::applicationName(),
                 ext ? QStringLiteral("ymrOutlaysIDX_EXT") : QStringLiteral("ymrOutlaysIDX"),
                 false, !ext, nullptr)
    , m_ext(ext)
{
    // every copy of the program on this home keeps its books in the one index
    if (!ext)
        setShared(true);
    connect(this, &PIMManager::saved, this, [this](bool ok) {
        if (!ok)
            return;
        for (auto &move : m_moves)
            move->end();
        m_moves.clear();
    });
}

DBManager::~DBManager()
{
    // merged while the index is whole
    saveOnDestroy();
}

qint64 DBManager::maxFileSize()
{
    return s_maxFileSize;
}

void DBManager::setMaxFileSize(qint64 size)
{
    s_maxFileSize = size > 0 ? size : MaxIndexSize;
}

qint64 DBManager::fileSizeLimit() const
{
    return s_maxFileSize;
}

qint64 DBManager::recordLimit() const
{
    return MaxBooks;
}

bool DBManager::mayAdd(const PIMRecord *record, QString *why)
{
    const auto *book = dynamic_cast<const DBRecord *>(record);
    if (!book)
        return true;
    if (m_ext) {
        if (records()->count() < MaxBooks)
            return true;
        *why = tr("The book list holds %1 books, the most it may hold.").arg(MaxBooks);
        return false;
    }
    if (m_paths.contains(book->path()))
        return true;
    // the index as it would be written, read by its own reader
    QBuffer header;
    header.open(QIODevice::WriteOnly);
    {
        PIMTextWriter out(&header);
        out.writeLine("FOLDER");
        writeHeader(out);
        out.writeValue("I=", book->path());
        out.writeLine("END");
        out.flush();
    }
    KeyedMerge::Entries entries;
    bool stopped = false;
    // a read the program's end stopped says nothing of the index
    if (SharedFile::readsAs(IndexReader(), header.data(), entries, &stopped) || stopped)
        return true;
    *why = tr("The book index cannot take one more book: it would be more than the program reads back.\n"
              "%1 is not added to it.").arg(book->path());
    return false;
}

int DBManager::sortColumnCount() const
{
    return IndexColumns;
}

PIMRecord *DBManager::createRecord()
{
    return new DBRecord(this);
}

DBRecord *DBManager::findBy(QString (DBRecord::*field)() const, const QString &text)
{
    PIMRecordArray *all = records();
    for (int i = 0; i < all->count(); ++i) {
        DBRecord *r = dynamic_cast<DBRecord *>(all->at(i));
        if (r && (r->*field)() == text)
            return r;
    }
    return nullptr;
}

DBRecord *DBManager::findByTitle(const QString &title)
{
    return findBy(&DBRecord::title, title);
}

DBRecord *DBManager::findByPath(const QString &path)
{
    return findBy(&DBRecord::path, path);
}

void DBManager::refreshRecord(DBRecord *record)
{
    if (m_ext || !record)
        return;
    const QString path = record->path();
    record->setTitle(titleOfPath(path));
    TaskManager book(path, false, true);
    const bool available = loadBookHeader(book);
    record->setAvailable(available);
    if (available) {
        if (!book.icon().isEmpty())
            record->setIconName(book.icon());
        record->setDescription(book.description());
        record->setPassword(book.password());
    }
}

void DBManager::refreshAll()
{
    PIMRecordArray *all = records();
    for (int i = 0; i < all->count(); ++i) {
        if (DBRecord *r = dynamic_cast<DBRecord *>(all->at(i)))
            refreshRecord(r);
    }
}

QString DBManager::iconPrefix()
{
    return QStringLiteral("icons/");
}

bool DBManager::isIconName(const QString &iconName)
{
    if (iconName.isEmpty() || iconName == QLatin1String(".") || iconName == QLatin1String(".."))
        return false;
    for (const QChar c : iconName) {
        if (c == QLatin1Char('/') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString DBManager::defaultIconName()
{
    return QStringLiteral("12");
}

QString DBManager::iconPicture(const QString &iconName)
{
    return iconPrefix() + (isIconName(iconName) ? iconName : defaultIconName());
}

QString DBManager::iconDirectory()
{
    return YMRApplication::qpeDir()
        + (YMRApplication::isVGAScreen() ? QStringLiteral("/pics144/ymrOutlays/")
                                         : QStringLiteral("/pics/ymrOutlays/"))
        + iconPrefix();
}

void DBManager::clearHeader()
{
    PIMManager::clearHeader();
    m_paths.clear();
}

void DBManager::readHeader(QStringList &parts)
{
    QString path;
    if (bookPath(parts, &path))
        m_paths.append(path);
    else
        PIMManager::readHeader(parts);
}

qint64 DBManager::headerCost(const QStringList &parts) const
{
    // each path becomes a book record once the header is read
    QStringList line = parts;
    QString path;
    return bookPath(line, &path) ? bookCost(path) : 0;
}

RecordFileReader DBManager::fileReader(bool ext)
{
    return RecordFileReader([] { return new DBRecord(nullptr); }, !ext);
}

bool DBManager::readsWhole(const QByteArray &bytes, bool ext, LoadBudget &budget)
{
    KeyedMerge::Entries entries;
    return ext ? deviceListCheck()->read(bytes, entries, budget) : IndexReader().read(bytes, entries, budget);
}

std::shared_ptr<const SharedFile::Reader> DBManager::deviceListCheck()
{
    return SharedRecords::check(new DBManager(true));
}

void DBManager::writeHeader(PIMTextWriter &out)
{
    PIMManager::writeHeader(out);
    for (const QString &path : qAsConst(m_paths))
        out.writeValue("I=", path);
}

void DBManager::loaded()
{
    if (m_ext)
        return;
    PIMRecordArray *all = records();
    all->clear();
    for (const QString &path : qAsConst(m_paths)) {
        DBRecord *r = new DBRecord(this);
        r->setPath(path);
        all->append(r);
    }
}

std::shared_ptr<const SharedFile::Reader> DBManager::sharedReader()
{
    return std::make_shared<IndexReader>();
}

KeyedMerge::Entries DBManager::sharedEntries() const
{
    return KeyedMerge::keysOnly(m_paths);
}

void DBManager::takeMerged(const KeyedMerge::Entries &merged, const QVector<bool> &)
{
    QStringList paths;
    paths.reserve(merged.size());
    for (const KeyedMerge::Entry &e : merged)
        paths.append(Utf8Text::decode(e.key));
    if (paths == m_paths)
        return;
    m_paths = paths;
    // the records follow: those of paths gone leave (their files stay),
    // those of paths come get read from their books
    QHash<QString, PIMRecord *> byPath;
    PIMRecordArray *all = records();
    for (int i = all->count() - 1; i >= 0; --i) {
        if (auto *r = dynamic_cast<DBRecord *>(all->at(i)))
            byPath.insert(r->path(), r);
    }
    std::vector<PIMRecord *> kept;
    for (const QString &path : qAsConst(m_paths)) {
        PIMRecord *r = byPath.take(path);
        if (!r) {
            auto *book = new DBRecord(this);
            book->setPath(path);
            refreshRecord(book);
            r = book;
        }
        kept.push_back(r);
    }
    SharedRecords::replace(*this, kept);
}

void DBManager::recordAdded(PIMRecord *record)
{
    recordUpdated(nullptr, record);
}

bool DBManager::writeBookHeader(DBRecord *record, const QString &path, bool create)
{
    m_bookFailure.clear();
    m_bookHeld = false;
    // The open store of this book writes the new values itself; a header
    // written beside it would be overwritten by its next save.
    if (TaskManager *open = TaskManager::openStore(path)) {
        open->setIcon(record->iconName());
        open->setDescription(record->description());
        open->setPassword(record->password());
        if (open->save())
            return true;
        m_bookFailure = open->saveFailure();
        return false;
    }
    TaskManager book(path, false, true);
    const bool loaded = loadBookHeader(book);
    if (!loaded && !create)
        return false;
    // nothing to write: the book's own header says so already
    if (loaded && book.icon() == record->iconName() && book.description() == record->description()
        && book.password() == record->password())
        return true;
    // a writer of the book like any other: never behind the back of a copy
    // of the program that has it open
    QString holder;
    if (!book.lockFile(&holder)) {
        m_bookFailure = BookFile::tr("it is open in another program: %1").arg(holder);
        m_bookHeld = true;
        return false;
    }
    book.setIcon(record->iconName());
    book.setDescription(record->description());
    book.setPassword(record->password());
    // a book that does not read whole is saved whole by its store, its
    // bytes kept as a copy first
    if (book.save())
        return true;
    m_bookFailure = book.saveFailure();
    book.forgetChanges();
    return false;
}

void DBManager::revertPath(DBRecord *record, const QString &oldPath)
{
    record->setPath(oldPath);
    record->setTitle(titleOfPath(oldPath));
    haveChange();
}

void DBManager::recordUpdated(PIMRecord *old, PIMRecord *record)
{
    if (m_ext)
        return;
    DBRecord *rec = dynamic_cast<DBRecord *>(record);
    if (!rec)
        return;
    const bool stored = contains(record);
    // After a removal the base names the record that moved into the gap;
    // nothing about that book changed.
    if (!old && stored)
        return;
    if (!stored) {
        m_paths.append(rec->path());
        markDirty();
    }

    DBRecord *before = dynamic_cast<DBRecord *>(old);
    if (!before) {
        const QString path = rec->path();
        if (QFileInfo::exists(path)) {
            // An existing file is only read: it may be no book at all, and a
            // book already carries its header.
            TaskManager book(path, false, true);
            rec->setAvailable(loadBookHeader(book));
        } else {
            rec->setAvailable(writeBookHeader(rec, path, true));
        }
        if (!rec->isAvailable())
            haveChange();
        return;
    }

    const QString oldPath = before->path();
    const bool available = writeBookHeader(rec, oldPath, false);
    // a book another copy holds is there all the same
    rec->setAvailable(available || m_bookHeld);
    if (!available) {
        revertPath(rec, oldPath);
        return;
    }
    const QString newPath = rec->path();
    if (QDir::cleanPath(oldPath) == QDir::cleanPath(newPath))
        return;
    // An open store of the book was saved with the header above; it moves
    // the file itself and takes its lock, stamp and kept copies along, so
    // that it never writes the book back at the old place.
    // The book's move and the index's write are one change: a kill between
    // them is finished by the next start, which finds the book moved.
    auto journal = std::make_unique<MoveJournal>();
    if (!journal->begin(MoveJournal::Rename, oldPath, newPath, {})) {
        m_bookFailure = journal->failure();
        revertPath(rec, oldPath);
        return;
    }
    bool moved;
    if (TaskManager *open = TaskManager::openStore(oldPath)) {
        moved = open->moveFile(newPath);
        m_bookFailure = open->bookFile()->failure();
    } else {
        BookFile book(oldPath);
        moved = book.moveTo(newPath);
        m_bookFailure = book.failure();
    }
    if (moved) {
        m_paths.removeAll(oldPath);
        m_paths.append(newPath);
        markDirty();
        m_moves.push_back(std::move(journal));
    } else {
        journal->end();
        revertPath(rec, oldPath);
    }
}

void DBManager::recordRemoved(PIMRecord *record)
{
    if (m_ext)
        return;
    DBRecord *rec = dynamic_cast<DBRecord *>(record);
    if (!rec)
        return;
    m_paths.removeAll(rec->path());
    markDirty();
}

bool DBManager::canRemove(PIMRecord *record)
{
    DBRecord *rec = dynamic_cast<DBRecord *>(record);
    if (m_ext || !rec || !rec->deleteFile())
        return true;
    // An open store of the book deletes it itself: its changes go with the
    // book, and it never writes the deleted file back. A book file that
    // stays keeps its place in the index.
    bool removed;
    if (TaskManager *open = TaskManager::openStore(rec->path())) {
        open->forgetChanges();
        removed = open->bookFile()->remove();
        m_bookFailure = open->bookFile()->failure();
    } else {
        BookFile book(rec->path());
        removed = book.remove();
        m_bookFailure = book.failure();
    }
    return removed || !QFileInfo::exists(rec->path());
}

bool DBManager::sortKeyText(const PIMRecord *record, int column, QString &text) const
{
    const DBRecord *r = dynamic_cast<const DBRecord *>(record);
    if (!r)
        return false;
    switch (column) {
    case 0: text = r->iconName(); return true;
    case 1: text = r->title(); return true;
    case 2: text = YMRPIM::sortKey(!r->description().isEmpty()); return true;
    case 3: text = YMRPIM::sortKey(!r->password().isEmpty()); return true;
    case 4: text = QFileInfo(r->path()).path(); return true;
    default: return false;
    }
}

bool DBManager::needsResort(PIMRecord *old, PIMRecord *record)
{
    DBRecord *a = dynamic_cast<DBRecord *>(old);
    DBRecord *b = dynamic_cast<DBRecord *>(record);
    if (!a || !b)
        return false;
    switch (sortColumn()) {
    case 0: return a->iconName() != b->iconName();
    case 1: return a->title() != b->title();
    case 2: return a->description().isEmpty() != b->description().isEmpty();
    case 3: return a->password().isEmpty() != b->password().isEmpty();
    case 4: return QFileInfo(a->path()).path() != QFileInfo(b->path()).path();
    default: return false;
    }
}

void DBManager::setPasswordPrompts(const CheckPrompt &check, const OpenPrompt &open)
{
    checkPrompt = check;
    openPrompt = open;
}

bool DBManager::checkPassword(DBRecord *record)
{
    if (!record || record->password().isEmpty())
        return true;
    return checkPrompt && checkPrompt(record);
}

DBRecord *DBManager::askPassword(DBRecord *record, bool *managerRequested)
{
    bool requested = false;
    DBRecord *chosen = record;
    if (record && !record->password().isEmpty())
        chosen = openPrompt ? openPrompt(this, record, requested) : nullptr;
    if (managerRequested)
        *managerRequested = requested;
    return requested ? nullptr : chosen;
}
