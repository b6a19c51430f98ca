#include "pimmanager.h"

#include "bookfile.h"
#include "categorymanager.h"
#include "pimrecord.h"
#include "pimtextreader.h"
#include "pimtextwriter.h"
#include "recordfilereader.h"
#include "sharedrecords.h"
#include "ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/global.h"
#include "qpe/loadbudget.h"
#include "qpe/sharedfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QThread>
#include <QtConcurrentMap>
#include <QtConcurrentRun>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Records a save looks at, and renders where changed, as one piece of work
// on Qt's thread pool.
const int RecordsPerPiece = 512;
// Loaded text a save hands on at most in one write.
const qint64 LoadedRunBytes = 4 * 1024 * 1024;
// Records a load checks as one piece of work there.
const int RecordsPerCheck = 8192;
// A file of at least this many bytes is read in parts there (its text is
// parsed in parts as well: RecordFileReader).
const qint64 PartReadBytes = 4 * 1024 * 1024;
qint64 s_partReadBytes = PartReadBytes;

// Reads up to want bytes from the start of the file fd into buffer, a large
// file in parts on Qt's thread pool at once: copying it and the fresh pages
// it fills cost a large book more than anything else its load does on one
// thread. The bytes read up to the first part that came short (a file cut
// meanwhile); -1 when a read failed.
qint64 readFileInParts(int fd, char *buffer, qint64 want, qint64 partBytes)
{
    const qint64 parts = qBound<qint64>(1, qMin<qint64>(QThread::idealThreadCount(), want / partBytes), 16);
    struct Part {
        qint64 from, to, got;
        bool failed;
    };
    std::vector<Part> read;
    for (qint64 i = 0; i < parts; ++i)
        read.push_back({want * i / parts, want * (i + 1) / parts, 0, false});
    const auto readPart = [fd, buffer](Part &part) {
        while (part.from + part.got < part.to) {
            const ssize_t n = ::pread(fd, buffer + part.from + part.got, size_t(part.to - part.from - part.got),
                                      off_t(part.from + part.got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                part.failed = n < 0;
                return;
            }
            part.got += n;
        }
    };
    if (parts == 1)
        readPart(read[0]);
    else
        QtConcurrent::blockingMap(read, readPart);
    qint64 got = 0;
    for (const Part &part : read) {
        if (part.failed)
            return -1;
        got += part.got;
        if (part.from + part.got < part.to)
            break;
    }
    return got;
}

// Any record file: a 1,000,000-expense book is about 210 MB.
const qint64 MaxRecordFileSize = 512 * 1024 * 1024;
// More records than any real book within the size limit holds (a real
// expense takes 150 bytes and more).
const int MaxRecords = 4000000;
// What a record costs its store besides itself: its place in the records,
// in the view, among the sort keys, and in a part's list while it loads.
const qint64 StoreBytesPerRecord = 64;
// "UID=", a UID's text and a line break.
const qint64 UidLineBytes = 41;
// Records per page a list shows at most.
const int MaxPerPage = 10000;
// More sort columns than any store has.
const int MaxSortColumns = 64;

} // namespace

PIMManager::PIMManager(const QString &directory, const QString &fileName, bool templates,
                       bool headerOnly, CategoryManager *categoryManager)
    : m_fileName(fileName),
      m_directory(templates ? directory + QStringLiteral("templates") : directory),
      m_templates(templates),
      m_headerOnly(headerOnly),
      m_categoryManager(nullptr)
{
    setCategoryManager(categoryManager);
    qRegisterMetaType<PIMRecord *>();
    m_records.setAutoDelete(true);
    // the members start cleared; a subclass's own header starts cleared by
    // its own initialisers (no virtual call reaches it from here)
}

PIMManager::~PIMManager()
{
    // The subclass part is gone: its header lines come from the copy kept
    // at its last change.
    m_destroying = true;
    if (!m_destroySaved)
        save();
    m_view.clear();
    m_records.clear();
}

void PIMManager::saveOnDestroy()
{
    if (m_destroySaved)
        return;
    m_destroySaved = true;
    save();
}

void PIMManager::markDirty()
{
    m_dirty = true;
    keepSubclassHeader();
}

void PIMManager::keepSubclassHeader()
{
    // the subclass writes the base's lines first, then its own
    QBuffer all, base;
    all.open(QIODevice::WriteOnly);
    base.open(QIODevice::WriteOnly);
    {
        PIMTextWriter out(&all);
        writeHeader(out);
        out.flush();
        PIMTextWriter baseOut(&base);
        PIMManager::writeHeader(baseOut);
        baseOut.flush();
    }
    const QByteArray &text = all.buffer();
    m_subclassHeader = text.startsWith(base.buffer()) ? text.mid(base.buffer().size()) : QByteArray();
}

void PIMManager::setCategoryManager(CategoryManager *manager)
{
    disconnect(m_categoriesChanged);
    m_categoryManager = manager;
    if (manager)
        m_categoriesChanged = connect(manager, &PIMManager::changed, this, [this] { m_keysValid = false; });
}

QString PIMManager::fileName() const
{
    if (QDir::isRelativePath(m_fileName))
        return Global::applicationFileName(m_directory, m_fileName);
    return m_fileName;
}

BookFile *PIMManager::bookFile()
{
    if (!m_file)
        m_file = new BookFile(fileName(), this);
    return m_file;
}

void PIMManager::setFileName(const QString &fileName)
{
    m_fileName = fileName;
    delete m_file;
    m_file = nullptr;
}

bool PIMManager::moveFile(const QString &path)
{
    if (!bookFile()->moveTo(path))
        return false;
    m_fileName = path;
    return true;
}

QString PIMManager::saveFailure() const
{
    return m_file ? m_file->failure() : QString();
}

bool PIMManager::changedElsewhere() const
{
    return m_file && m_file->changedElsewhere();
}

void PIMManager::overwriteChanges()
{
    bookFile()->overwriteChanges();
}

bool PIMManager::lockFile(QString *holder)
{
    if (bookFile()->lock() != BookFile::HeldElsewhere)
        return true;
    if (holder)
        *holder = m_file->holder();
    return false;
}

bool PIMManager::hasLock() const
{
    return m_file && m_file->hasLock();
}

PIMRecord *PIMManager::findRecord(const QString &uid) const
{
    if (uid.isEmpty())
        return nullptr;
    uuid_t parsed;
    if (uuid_parse(uid.toLatin1().constData(), parsed) != 0)
        return nullptr;
    return findRecord(parsed);
}

PIMRecord *PIMManager::findRecord(const uuid_t uid) const
{
    for (PIMRecord *r : m_records) {
        if (r->hasUid(uid))
            return r;
    }
    return nullptr;
}

bool PIMManager::addRecord(PIMRecord *record)
{
    // the same record twice would be deleted twice
    m_addRefusal.clear();
    if (!record || m_records.contains(record))
        return false;
    // what its reader would refuse is never added, and so never written
    if (!mayAdd(record, &m_addRefusal))
        return false;
    record->setManager(this);
    record->m_rawStart = -1;
    recordAdded(record);
    m_records.append(record);
    m_keysValid = false;
    if (accept(record))
        insertIntoView(record);
    countChange();
    emit newTask(record);
    emit changed();
    return true;
}

bool PIMManager::updateRecord(PIMRecord *old, PIMRecord *record)
{
    if (old == record)
        old = nullptr;
    // old is ours to delete in any case; a record held elsewhere is no update
    if (!record || !m_records.contains(record)) {
        delete old;
        return false;
    }
    record->m_rawStart = -1;
    record->setUpdated(QDateTime::currentDateTime());
    recordUpdated(old, record);
    m_keysValid = false;
    const bool resort = m_sort != -1 && needsResort(old, record);
    const bool accepted = accept(record);
    delete old;
    const int index = m_view.find(record);
    if (index >= 0) {
        if (!accepted) {
            m_view.take(index);
        } else if (resort) {
            m_view.take(index);
            insertIntoView(record);
        }
    } else if (accepted) {
        insertIntoView(record);
    }
    countChange();
    emit taskUpdated(record);
    emit changed();
    return true;
}

bool PIMManager::removeRecord(PIMRecord *record)
{
    if (!record || !m_records.contains(record) || !canRemove(record))
        return false;
    recordRemoved(record);
    m_keysValid = false;
    const int viewIndex = m_view.find(record);
    if (viewIndex >= 0)
        m_view.take(viewIndex);
    emit taskRemoved(record);
    const int index = m_records.find(record);
    if (index >= 0)
        m_records.remove(record);
    countChange();
    emit changed();
    if (index >= 0 && index < m_records.count())
        recordUpdated(nullptr, m_records.at(index));
    return true;
}

int PIMManager::removeRecords(const QList<PIMRecord *> &records)
{
    // which of them the store holds, told in one pass: a search for each
    // would cost a large book the square of its size
    const QSet<const PIMRecord *> asked(records.cbegin(), records.cend());
    QList<PIMRecord *> leaving;
    QSet<const PIMRecord *> gone;
    for (PIMRecord *r : m_records) {
        if (asked.contains(r) && canRemove(r)) {
            leaving.append(r);
            gone.insert(r);
        }
    }
    if (leaving.isEmpty())
        return 0;
    recordsRemoved(leaving);
    m_keysValid = false;
    const auto leaves = [&gone](const PIMRecord *r) { return gone.contains(r); };
    m_view.takeWhere(leaves);
    m_records.takeWhere(leaves);
    for (int i = 0; i < leaving.size(); ++i)
        countChange();
    // the lists let go of their rows while the records are still there
    emit tasksRemoved(leaving);
    for (PIMRecord *r : qAsConst(leaving))
        delete r;
    emit changed();
    return leaving.size();
}

int PIMManager::updateRecords(const std::vector<Update> &updates)
{
    QSet<const PIMRecord *> asked;
    asked.reserve(int(updates.size()));
    for (const Update &u : updates)
        asked.insert(u.record);
    QSet<const PIMRecord *> held;
    for (PIMRecord *r : m_records) {
        if (asked.contains(r))
            held.insert(r);
    }
    const bool filtered = filtering();
    QSet<const PIMRecord *> shown;
    if (filtered) {
        for (PIMRecord *r : m_view)
            shown.insert(r);
    }
    const QDateTime now = QDateTime::currentDateTime();
    QList<PIMRecord *> updated;
    bool reorder = false;
    for (const Update &u : updates) {
        PIMRecord *old = u.old == u.record ? nullptr : u.old;
        PIMRecord *record = u.record;
        if (!record || !held.contains(record)) {
            delete old;
            continue;
        }
        record->m_rawStart = -1;
        record->setUpdated(now);
        recordUpdated(old, record);
        const bool moves = filtered && accept(record) != shown.contains(record);
        if (m_sort != -1) {
            reorder = reorder || moves || needsResort(old, record);
        } else if (moves) {
            // unsorted: where a change puts a record in or out of the view
            if (shown.remove(record)) {
                m_view.take(m_view.find(record));
            } else {
                shown.insert(record);
                insertIntoView(record);
            }
        }
        delete old;
        countChange();
        updated.append(record);
    }
    if (updated.isEmpty())
        return 0;
    m_keysValid = false;
    // sorted, the view made again once rather than a record taken out and
    // put back for each
    if (reorder)
        fillView();
    emit tasksUpdated(updated);
    emit changed();
    return updated.size();
}

bool PIMManager::removeAll()
{
    m_view.clear();
    m_records.clear();
    m_keysValid = false;
    m_loadedText.clear();
    m_dirty = true;
    save();
    emit updated();
    return true;
}

bool PIMManager::appendRecord(PIMRecord *record)
{
    if (!record)
        return false;
    record->setManager(this);
    m_records.append(record);
    m_keysValid = false;
    m_dirty = true;
    return true;
}

void PIMManager::select(PIMRecord *record)
{
    emit taskSelected(m_records.contains(record) ? record : nullptr);
}

void PIMManager::insertIntoView(PIMRecord *record)
{
    if (m_sort == -1) {
        if (m_sortOrder)
            m_view.append(record);
        else
            m_view.insert(0, record);
        return;
    }
    // The view is sorted: the record goes after the records of an equal
    // key, in a descending view just before them, so that either order is
    // the other read backwards.
    QString key, other;
    if (!sortKeyText(record, m_sort, key))
        key.clear();
    int low = 0;
    int high = m_view.count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (!sortKeyText(m_view.at(mid), m_sort, other))
            other.clear();
        const int c = YMRPIM::compareKeys(key, other);
        if (m_sortOrder ? c < 0 : c >= 0)
            high = mid;
        else
            low = mid + 1;
    }
    m_view.insert(low, record);
}

void PIMManager::rebuildView(bool)
{
    m_keysValid = false;
    fillView();
}

void PIMManager::refilter()
{
    fillView();
}

void PIMManager::fillView()
{
    m_view.clear();
    const int n = m_records.count();
    m_view.reserve(n);
    const bool all = !filtering();
    if (m_sort == -1) {
        for (int i = 0; i < n; ++i) {
            if (all || accept(m_records.at(i)))
                m_view.append(m_records.at(i));
        }
    } else if (m_keysValid && m_keysWhole && m_keyColumn == m_sort && m_keys.count() == n) {
        // the kept order of every record, filtered; the filter is asked in
        // the records' own order, which is their order in memory
        std::vector<char> taken(all ? 0 : size_t(n));
        for (int i = 0; i < int(taken.size()); ++i)
            taken[size_t(i)] = accept(m_records.at(i));
        for (int i = 0; i < n; ++i) {
            const int k = m_keys.index(i);
            if (all || taken[size_t(k)])
                m_view.append(m_records.at(k));
        }
    } else {
        // a filter is asked on this thread only, in the same pass that
        // reads the record for its key
        const int column = m_sort;
        m_keys.build(n, [this, column, all](int i, QString &text) {
            PIMRecord *r = m_records.at(i);
            if (!all && !accept(r))
                return false;
            if (!sortKeyText(r, column, text))
                text.clear();
            return true;
        }, all);
        m_keys.sort();
        m_keyColumn = m_sort;
        m_keysValid = true;
        m_keysWhole = m_keys.count() == n;
        for (int i = 0; i < m_keys.count(); ++i)
            m_view.append(m_records.at(m_keys.index(i)));
    }
    if (!m_sortOrder)
        m_view.reverse();
}

void PIMManager::reverseView()
{
    // keys made before the records changed since: sorted anew
    if (m_sort != -1 && !m_keysValid)
        fillView();
    else
        m_view.reverse();
}

void PIMManager::setSort(int column)
{
    if (!m_sortable)
        return;
    m_dirty = true;
    if (column == m_sort) {
        // the same column again: the view read backwards
        m_sortOrder = !m_sortOrder;
        reverseView();
    } else {
        m_sort = column;
        m_sortOrder = true;
        fillView();
    }
    emit updated();
}

void PIMManager::setSort(int column, bool ascending)
{
    if (!m_sortable || (column == m_sort && ascending == m_sortOrder))
        return;
    m_dirty = true;
    if (column == m_sort) {
        m_sortOrder = ascending;
        reverseView();
    } else {
        m_sort = column;
        m_sortOrder = ascending;
        fillView();
    }
    emit updated();
}

void PIMManager::setSortOrder(bool ascending)
{
    if (!m_sortable || ascending == m_sortOrder)
        return;
    m_sortOrder = ascending;
    m_dirty = true;
    reverseView();
    emit updated();
}

void PIMManager::setSortable(bool sortable)
{
    m_sortable = sortable;
    if (!sortable && !(m_sort == -1 && m_sortOrder)) {
        m_sort = -1;
        m_sortOrder = true;
        m_dirty = true;
        fillView();
        emit updated();
    }
}

QStringList PIMManager::sortKey(const PIMRecord *record) const
{
    QString text;
    return sortKeyText(record, m_sort, text) ? QStringList(text) : QStringList();
}

int PIMManager::perPage() const
{
    return m_perPage > 0 ? m_perPage : 15;
}

void PIMManager::setPerPage(int perPage)
{
    if (perPage != m_perPage) {
        m_perPage = perPage;
        m_dirty = true;
    }
}

void PIMManager::setLastCurrent(const QString &uid)
{
    if (uid != m_lastCurrent) {
        m_lastCurrent = uid;
        m_dirty = true;
    }
}

void PIMManager::setSyncDateTime(const QDateTime &dateTime)
{
    m_syncDateTime = dateTime;
    m_dirty = true;
}

void PIMManager::setProperty(const QString &key, const QString &value)
{
    m_properties.remove(key);
    m_properties.insert(key, value);
    m_dirty = true;
}

QString PIMManager::property(const QString &key) const
{
    return m_properties.value(key);
}

bool PIMManager::hasProperty(const QString &key) const
{
    return m_properties.contains(key);
}

void PIMManager::removeProperty(const QString &key)
{
    m_properties.remove(key);
    m_dirty = true;
}

void PIMManager::countChange()
{
    if (m_changes == -1)
        return;
    ++m_changes;
    m_dirty = true;
    askAutoSave();
}

void PIMManager::holdAutoSave(bool hold)
{
    m_autoSaveHolds += hold ? 1 : -1;
    if (!hold)
        askAutoSave();
}

void PIMManager::askAutoSave()
{
    if (m_changes > 10 && m_autoSaveHolds == 0) {
        m_changes = -1;
        QCoreApplication::postEvent(this, new QEvent(QEvent::Type(AutoSaveEvent)));
    }
}

bool PIMManager::event(QEvent *e)
{
    if (e->type() == QEvent::Type(AutoSaveEvent)) {
        save();
        return true;
    }
    return QObject::event(e);
}

void PIMManager::reload()
{
    load();
}

void PIMManager::haveChange()
{
    m_dirty = true;
}

void PIMManager::forceSave()
{
    m_dirty = true;
    save();
}

bool PIMManager::save()
{
    if (!m_dirty)
        return true;
    // what was read of a file not read whole never takes the place of the
    // whole; a shared store's file names it as unsaved (SharedRecords::save())
    if (m_loadOutcome != LoadBudget::Within && !m_shared) {
        bookFile()->refuseSave(tr("the file was not read whole"));
        if (!m_destroying)
            emit saved(false);
        return false;
    }
    const bool ok = m_shared ? SharedRecords::save(*this) : writeFile();
    if (!m_destroying)
        emit saved(ok);
    return ok;
}

bool PIMManager::writeFile()
{
    // a header-only save keeps the record part of a file that reads whole;
    // the first record of one whose header ran on would be lost with it
    if (m_headerOnly && m_format == 0 && !recordPartReadsWhole())
        return writeWhole();
    // the reader's limits are the writer's: what this program would refuse
    // to read is never written
    const bool text = m_format != 1;
    BookFile::Writer write = [this, text](QIODevice *device) { return text ? saveText(device) : saveStream(device); };
    if (m_shared && text) {
        // a file every copy reads at its start: written only when its one
        // reader takes it whole, within its budget
        QBuffer rendered;
        rendered.open(QIODevice::WriteOnly);
        if (!saveText(&rendered))
            return bookFile()->refuseSave(tr("the file as it is now could not be read"));
        KeyedMerge::Entries entries;
        bool stopped = false;
        // the program's end stops the check, never the save it makes
        // (a zero byte is refused by the save, which says so)
        if (!SharedFile::readsAs(*sharedReader(), rendered.data(), entries, &stopped) && !stopped
            && !rendered.data().contains('\0'))
            return bookFile()->refuseSave(tr("it would be more than the program reads back"));
        const QByteArray bytes = rendered.data();
        write = [bytes](QIODevice *device) { return device->write(bytes) == bytes.size(); };
    }
    if (!bookFile()->save(write, fileSizeLimit(), text ? PIMTextReader::maxLineLength() : 0))
        return false;
    m_changes = 0;
    m_dirty = false;
    m_offset = m_writtenOffset;
    return true;
}

bool PIMManager::recordPartReadsWhole()
{
    return true;
}

bool PIMManager::writeWhole()
{
    // The header as this store holds it, taken again after the whole file
    // is read: the load keeps the damaged bytes as a copy (a save is
    // refused while none can be made) and the header then counts what
    // could be read.
    QBuffer header;
    header.open(QIODevice::WriteOnly);
    {
        PIMTextWriter out(&header);
        writeHeader(out);
        out.flush();
    }
    m_headerOnly = false;
    const bool loaded = load();
    // what the load found no fault in (the file changed meanwhile) did not
    // read whole all the same
    if (loaded && !isDamaged())
        bookFile()->keepDamaged(m_loadedText);
    clearHeader();
    PIMTextReader in(header.data());
    while (in.readLine()) {
        QStringList parts = in.pieces();
        readHeader(parts);
    }
    markDirty();
    const bool ok = loaded ? writeFile() : bookFile()->refuseSave(tr("the file was not read whole"));
    // the header alone again, in front of the record part as now written
    if (ok)
        m_total = m_records.count();
    m_headerOnly = true;
    m_view.clear();
    m_records.clear();
    m_keysValid = false;
    m_loadedText.clear();
    return ok;
}

void PIMManager::setShared(bool shared)
{
    m_shared = shared;
    if (shared)
        keepMergeBase();
}

QString PIMManager::sharedName() const
{
    return m_templates ? tr("the templates") : tr("the file \"%1\"").arg(m_fileName);
}

void PIMManager::keepMergeBase()
{
    m_mergeBase = sharedEntries();
}

std::shared_ptr<const SharedFile::Reader> PIMManager::sharedReader()
{
    return std::make_shared<SharedRecords>(this);
}

KeyedMerge::Entries PIMManager::sharedEntries() const
{
    return SharedRecords::entriesOf(*this);
}

void PIMManager::takeMerged(const KeyedMerge::Entries &merged, const QVector<bool> &theirs)
{
    SharedRecords::take(*this, merged, theirs);
}

bool PIMManager::load()
{
    // A shared file is first read as its owner reads it before a merge,
    // under the folder's lock: one that does not read whole (a link or an
    // empty file there too) is set aside then, and the user told.
    if (m_shared) {
        KeyedMerge::Entries entries;
        SharedFile::at(fileName())->read(*sharedReader(), entries);
    }
    m_view.clear();
    m_records.clear();
    m_twins.clear();
    m_keysValid = false;
    m_loadedText.clear();
    clearHeader();
    m_offset = 0;
    m_readFailed = false;
    m_damage = RecordFileReader::Whole;
    m_loadOutcome = LoadBudget::Within;
    QFile file;
    // a FIFO, a device or a file beyond any real size of its kind is no
    // store: nothing of it is read
    if (bookFile()->open(file, fileSizeLimit()) != BoundedFile::Ok) {
        // nothing there: nothing another copy wrote to keep either
        if (m_shared)
            keepMergeBase();
        return false;
    }
    if (m_format == 1)
        loadStream(&file);
    else
        loadText(&file);
    // a read that failed part way keeps what was read, and says so
    bool complete = file.error() == QFileDevice::NoError && !m_readFailed;
    file.close();
    if (complete && m_shared && isDamaged()) {
        // what others share is never taken in part: the file stays as it
        // is (it could not be set aside), and the merge of the next save
        // tries again
        m_view.clear();
        m_records.clear();
        m_twins.clear();
        m_loadedText.clear();
        clearHeader();
        complete = false;
    } else if (complete && m_format == 0 && !m_headerOnly) {
        m_file->noteRead(m_loadedText);
        if (isDamaged())
            m_file->keepDamaged(m_loadedText);
    }
    m_loadingWhole = complete && !isDamaged();
    loaded();
    m_loadingWhole = false;
    keepSubclassHeader();
    rebuildView(false);
    if (m_shared)
        keepMergeBase();
    emit updated();
    return complete;
}

bool PIMManager::loadOrSetAside()
{
    if (load())
        return true;
    // cut short for the program's end: nothing is wrong with the file; a
    // shared file's owner has set it aside under the lock where it could
    if (loadStopped() || m_shared)
        return false;
    const QFileInfo info(fileName());
    if ((!info.exists() && !info.isSymLink()) || !BoundedFile::setAside(fileName()))
        return false;
    load();
    return false;
}

bool PIMManager::saveText(QIODevice *device)
{
    PIMTextWriter out(device);
    out.writeLine("FOLDER");
    writeHeader(out);
    out.writeLine("END");
    m_writtenOffset = out.pos();
    if (m_headerOnly) {
        if (!copyRecordPart(out))
            return false;
    } else {
        writeRecords(out);
    }
    return out.flush();
}

void PIMManager::writeRecords(PIMTextWriter &out)
{
    // In file order, a stretch of records at a time, each stretch looked at
    // on Qt's thread pool while the ones before it are written: runs of
    // records unchanged since the load go out as one copy of their loaded
    // text, changed records as their stretch renders them. Looking only
    // reads the records, and nothing changes them while this waits:
    // result() does a stretch itself that no pool thread has started.
    struct Run {
        bool loaded;
        qint64 start, end; // of the loaded text, or of the stretch's rendered text
    };
    struct Stretch {
        std::vector<Run> runs;
        QByteArray rendered;
    };
    const auto look = [this](int from, int to) {
        Stretch s;
        QBuffer text(&s.rendered);
        std::unique_ptr<PIMTextWriter> rendering;
        for (int i = from; i < to; ++i) {
            const PIMRecord *r = m_records.at(i);
            if (r->m_rawStart >= 0 && r->m_owner == this) {
                if (!s.runs.empty() && s.runs.back().loaded && s.runs.back().end == r->m_rawStart)
                    s.runs.back().end += r->m_rawLength;
                else
                    s.runs.push_back({true, r->m_rawStart, r->m_rawStart + r->m_rawLength});
                continue;
            }
            if (!rendering) {
                text.open(QIODevice::WriteOnly);
                rendering.reset(new PIMTextWriter(&text));
            }
            const qint64 at = rendering->pos();
            r->write(*rendering);
            if (!s.runs.empty() && !s.runs.back().loaded)
                s.runs.back().end = rendering->pos();
            else
                s.runs.push_back({false, at, rendering->pos()});
        }
        rendering.reset();
        return s;
    };
    std::vector<QFuture<Stretch>> stretches;
    const int n = m_records.count();
    for (int i = 0; i < n; i += RecordsPerPiece)
        stretches.push_back(QtConcurrent::run([look, i, n] { return look(i, qMin(n, i + RecordsPerPiece)); }));
    // loaded text goes out in runs as long as the file has them, up to a
    // size, and whatever is in hand before waiting for a stretch
    const char *loaded = m_loadedText.constData();
    qint64 from = 0, to = 0;
    for (QFuture<Stretch> &stretch : stretches) {
        {
            if (!stretch.isFinished()) {
                out.writeRaw(loaded + from, to - from);
                from = to = 0;
            }
            const Stretch s = stretch.result();
            for (const Run &run : s.runs) {
                if (run.loaded && run.start == to && to > from && to - from < LoadedRunBytes) {
                    to = run.end;
                    continue;
                }
                out.writeRaw(loaded + from, to - from);
                from = to = 0;
                if (run.loaded) {
                    from = run.start;
                    to = run.end;
                } else {
                    out.writeRaw(s.rendered.constData() + run.start, run.end - run.start);
                }
            }
        }
        stretch = QFuture<Stretch>();   // its text is not needed again
    }
    out.writeRaw(loaded + from, to - from);
}

bool PIMManager::copyRecordPart(PIMTextWriter &out)
{
    if (!out.flush())
        return false;
    QFile current;
    // no file yet: the header alone; a file there that cannot be read must
    // not be replaced by its header
    const int opened = bookFile()->openCurrent(current, fileSizeLimit());
    if (opened != BoundedFile::Ok)
        return opened == BoundedFile::Missing;
    if (!current.seek(m_offset))
        return false;
    char block[16384];
    for (;;) {
        const qint64 got = current.read(block, sizeof block);
        if (got < 0)
            return false;
        if (got > 0)
            out.writeRaw(block, got);
        if (got < qint64(sizeof block))
            break;
    }
    return out.flush();
}

void PIMManager::writeHeader(PIMTextWriter &out)
{
    if (m_syncDateTime.date().isValid() && m_syncDateTime.time().isValid())
        out.writeDateTime("SYNCDATETIME=", m_syncDateTime);
    out.writeNumber("SORT=", m_sort);
    out.writeNumber("SORTORDER=", m_sortOrder ? 1 : 0);
    out.writeNumber("PERPAGE=", m_perPage);
    for (auto it = m_properties.constBegin(); it != m_properties.constEnd(); ++it)
        out.writeNamedValue("PROP=", it.key(), it.value());
    out.writeValueIfAny("LASTCURRENT=", m_lastCurrent);
    out.writeNumber("TOTAL=", m_headerOnly ? m_total : m_records.count());
    if (m_destroying)
        out.writeRaw(m_subclassHeader.constData(), m_subclassHeader.size());
}

void PIMManager::readHeader(QStringList &parts)
{
    if (parts.isEmpty())
        return;
    const QString key = parts.at(0);
    const QString value = parts.value(1);
    if (key == QLatin1String("SYNCDATETIME")) {
        m_syncDateTime = YMRPIM::textToDateTime(value);
    } else if (key == QLatin1String("SORT")) {
        m_sort = headerNumber(value, -1, sortColumnCount() - 1, -1);
    } else if (key == QLatin1String("SORTORDER")) {
        m_sortOrder = value.toInt() != 0;
    } else if (key == QLatin1String("PERPAGE")) {
        m_perPage = headerNumber(value, 1, MaxPerPage, 15);
    } else if (key == QLatin1String("PROP")) {
        if (parts.size() < 2)
            return;
        const QString name = parts.takeAt(1);
        m_properties.insert(name, YMRPIM::decodeValue(parts));
    } else if (key == QLatin1String("LASTCURRENT")) {
        m_lastCurrent = YMRPIM::decodeValue(parts);
    }
}

int PIMManager::headerNumber(const QString &text, int min, int max, int deflt)
{
    bool ok = false;
    qint64 v = text.toLongLong(&ok);
    if (!ok) {
        // a text that is no number reads 0, as ever; digits beyond any
        // number are out of range
        bool digits = !text.isEmpty();
        for (const QChar c : text)
            digits = digits && (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+'));
        if (digits)
            return deflt;
        v = 0;
    }
    return v >= min && v <= max ? int(v) : deflt;
}

qint64 PIMManager::fileSizeLimit() const
{
    return MaxRecordFileSize;
}

int PIMManager::sortColumnCount() const
{
    return MaxSortColumns;
}

QString PIMManager::damagedCopyName() const
{
    return m_file ? m_file->keptCopy() : QString();
}

void PIMManager::clearHeader()
{
    m_syncDateTime = QDateTime();
    m_sort = -1;
    m_sortOrder = true;
    m_perPage = 15;
    m_lastCurrent.clear();
    m_total = -1;
    m_properties.clear();
    m_streamHeaderWord = 0;
    m_streamHeaderWordRead = 0;
}

void PIMManager::loadText(QIODevice *device)
{
    // the file is at most fileSizeLimit(), even should it grow meanwhile
    const qint64 limit = fileSizeLimit();
    LoadBudget budget(qMin(device->size(), limit), recordLimit());
    m_budget = &budget;
    readText(device);
    m_budget = nullptr;
    m_loadOutcome = budget.outcome();
    if (m_loadOutcome == LoadBudget::Within)
        return;
    // refused whole: nothing of it stays, and nothing of it is ever saved
    m_loadLimit = budget.limit();
    m_view.clear();
    m_records.clear();
    m_twins.clear();
    m_loadedText = QByteArray();
    clearHeader();
    m_damage = RecordFileReader::Whole;
    m_readFailed = true;
}

void PIMManager::readText(QIODevice *device)
{
    PIMRecord::LoadScope scope;
    m_loadTime = PIMRecord::LoadScope::time();
    const auto line = [this](QStringList &parts) { readHeader(parts); };
    RecordFileReader::Result result;
    const qint64 limit = fileSizeLimit();
    // the file's bytes, as every reader of it holds them
    if (!m_budget->charge(qMin(device->size(), limit)))
        return;
    if (m_headerOnly) {
        // only the header is read, however long the file is
        PIMTextReader in(device);
        in.setBudget(m_budget);
        int sort = -1;
        storeReader().readHeader(in, chargedHeader(m_budget, &sort, line), result);
        result.failed = in.hasError();
    } else {
        const qint64 want = qMin(device->size(), limit) + 1;
        m_loadedText = QByteArray(int(want), Qt::Uninitialized);
        {
            // a large book's text in huge pages where the system offers them:
            // far fewer pages to fault in and to look up while it is parsed
            const quintptr page = 2 << 20;
            const quintptr from = (quintptr(m_loadedText.data()) + page - 1) & ~(page - 1);
            const quintptr to = (quintptr(m_loadedText.data()) + quintptr(want)) & ~(page - 1);
            if (to > from)
                madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
        }
        auto *file = qobject_cast<QFileDevice *>(device);
        const qint64 got = file && file->handle() >= 0
                               ? readFileInParts(file->handle(), m_loadedText.data(), want, s_partReadBytes)
                               : device->read(m_loadedText.data(), want);
        if (got < 0)
            m_readFailed = true;
        m_loadedText.resize(int(qMax<qint64>(got, 0)));
        if (m_loadedText.size() > limit) {
            m_loadedText.clear();
            m_readFailed = true;
            return;
        }
        std::vector<PIMRecord *> records;
        readKind(m_loadedText, m_budget, line, records, result);
        m_records.reserve(int(records.size()));
        for (PIMRecord *r : records)
            m_records.append(r);
        // the one record of the renames every follower reads (alarms, the
        // templates' names), made while the records are surely there
        for (const RecordFileReader::Result::Renamed &twin : result.renamed) {
            char text[40];
            uuid_unparse(reinterpret_cast<const unsigned char *>(twin.uid.constData()), text);
            m_twins[QByteArray(text)].append(twin.record->uidString().toLatin1());
        }
    }
    m_offset = result.offset;
    m_total = result.total;
    m_damage = result.damage;
    if (result.failed)
        m_readFailed = true;
    if (!m_headerOnly && !m_readFailed && !m_budget->isSpent())
        keepUnchangedBlocks(0);
}

RecordFileReader PIMManager::storeReader()
{
    return RecordFileReader([this] { return createRecord(); }, m_headerOnly);
}

qint64 PIMManager::recordLimit() const
{
    return MaxRecords;
}

bool PIMManager::mayAdd(const PIMRecord *, QString *)
{
    return true;
}

qint64 PIMManager::headerCost(const QStringList &) const
{
    return 0;
}

bool PIMManager::mergesRecords() const
{
    return m_templates;
}

RecordFileReader::HeaderLine PIMManager::chargedHeader(LoadBudget *budget, int *sort,
                                                       const RecordFileReader::HeaderLine &line) const
{
    return [this, budget, sort, line](QStringList &parts) {
        if (budget)
            budget->charge(headerCost(parts));
        // as readHeader() takes it
        if (parts.value(0) == QLatin1String("SORT"))
            *sort = headerNumber(parts.value(1), -1, sortColumnCount() - 1, -1);
        if (line)
            line(parts);
    };
}

void PIMManager::readKind(const QByteArray &text, LoadBudget *budget, const RecordFileReader::HeaderLine &line,
                          std::vector<PIMRecord *> &records, RecordFileReader::Result &result)
{
    int sort = -1;
    const auto cost = [this, &sort](const PIMRecord *r, QSet<const QChar *> &held) {
        return recordCost(r, sort, held);
    };
    storeReader().read(text, budget, chargedHeader(budget, &sort, line), cost, true, records, result);
}

bool PIMManager::loadStopped() const
{
    return m_loadOutcome == LoadBudget::Stopped;
}

QString PIMManager::loadFailure() const
{
    // the program speaks English or Japanese: both group thousands so
    const QLocale numbers(QLocale::English);
    const auto megabytes = [&numbers](qint64 bytes) { return numbers.toString((bytes + (1 << 20) - 1) >> 20); };
    switch (m_loadOutcome) {
    case LoadBudget::OverMemory:
        return tr("Its records would take more than %1 MB of memory, four times the size of the file and %2 MB.")
            .arg(megabytes(m_loadLimit), megabytes(LoadBudget::allowance()));
    case LoadBudget::OverCount:
        return tr("It holds more than %1 records, the most one file may hold.").arg(numbers.toString(recordLimit()));
    case LoadBudget::OverEntry:
        return tr("A record in it names more than %1 categories, the most one record may name.")
            .arg(numbers.toString(PIMRecord::MaxCategories));
    case LoadBudget::Stopped:
        return tr("The program was asked to end while the file was read.");
    case LoadBudget::Within:
        break;
    }
    return QString();
}

qint64 PIMManager::recordCost(const PIMRecord *record, int sortColumn, QSet<const QChar *> &heldKeys) const
{
    qint64 bytes = record->memorySize() + StoreBytesPerRecord;
    // the merge's base: the record's UID and its text, about as long as its
    // block (and a UID line, which one read without a UID gains)
    if (mergesRecords())
        bytes += qint64(sizeof(KeyedMerge::Entry))
                 + LoadBudget::heapBytes(qint64(sizeof(QArrayData) + sizeof(uuid_t)) + 1)
                 + LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + record->m_rawLength + UidLineBytes + 1);
    if (sortColumn == -1)
        return bytes;
    const int length = sortKeyLength(sortColumn);
    if (length >= 0)
        return bytes + 2 * length;
    QString key;
    // the view's key of the record: a long one many records share is held once
    if (sortKeyText(record, sortColumn, key) && !key.isEmpty()) {
        const bool copied = key.size() <= PIMSortKeys::SharedTextLength || key.isDetached();
        if (copied || !heldKeys.contains(key.constData())) {
            if (!copied)
                heldKeys.insert(key.constData());
            bytes += 2 * qint64(key.size());
        }
    }
    return bytes;
}

void PIMManager::setPartReadBytes(qint64 bytes)
{
    s_partReadBytes = bytes > 0 ? bytes : PartReadBytes;
    RecordFileReader::setPartBytes(bytes);
}

void PIMManager::keepUnchangedBlocks(int first)
{
    // A record keeps its block's place when writing it gives the same text.
    // Writing only reads the records, and nothing else sees them while the
    // file loads: pieces of them are checked on Qt's thread pool at once.
    const auto check = [this](int from, int to) {
        // the program is to end: the blocks are not needed
        if (m_budget && m_budget->isSpent())
            return;
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        PIMTextWriter out(&sink);
        const char *text = m_loadedText.constData();
        for (int i = from; i < to; ++i) {
            PIMRecord *r = m_records.at(i);
            if (r->m_rawStart < 0)
                continue;
            const qint64 start = r->m_rawStart;
            const qint64 length = r->m_rawLength;
            out.discard();
            const qint64 flushed = out.pos();
            r->write(out);
            if (out.pos() != flushed + length || out.bufferedSize() != length
                || memcmp(out.buffered(), text + start, size_t(length)) != 0)
                r->m_rawStart = -1;
            if (out.pos() != flushed + out.bufferedSize()) {
                // a block larger than the writer's buffer went to the sink
                sink.seek(0);
                sink.buffer().clear();
            }
        }
    };
    std::vector<QFuture<void>> pieces;
    const int n = m_records.count();
    for (int i = first; i < n; i += RecordsPerCheck)
        pieces.push_back(QtConcurrent::run([check, i, n] { check(i, qMin(n, i + RecordsPerCheck)); }));
    for (QFuture<void> &piece : pieces)
        piece.waitForFinished();
}

bool PIMManager::saveStream(QIODevice *device)
{
    QDataStream stream(device);
    stream.setVersion(QDataStream::Qt_5_15);
    writeHeader(stream);
    m_writtenOffset = device->pos();
    if (m_headerOnly)
        return copyRecordPart(device);
    for (const PIMRecord *r : m_records)
        r->write(stream);
    return stream.status() == QDataStream::Ok;
}

bool PIMManager::copyRecordPart(QIODevice *device)
{
    PIMTextWriter out(device);
    return copyRecordPart(out);
}

void PIMManager::loadStream(QIODevice *device)
{
    PIMRecord::LoadScope scope;
    QDataStream stream(device);
    stream.setVersion(QDataStream::Qt_5_15);
    readHeader(stream);
    m_offset = device->pos();
    if (m_headerOnly)
        return;
    for (int n = 0; (m_total == -1 || n < m_total) && !stream.atEnd(); ++n) {
        PIMRecord *r = createRecord();
        r->setManager(this);
        r->read(stream);
        if (stream.status() != QDataStream::Ok) {
            delete r;
            break;
        }
        m_records.append(r);
    }
}

void PIMManager::writeHeader(QDataStream &stream)
{
    stream << qint32(m_streamHeaderWord) << m_syncDateTime << qint32(m_sort)
           << qint8(m_sortOrder ? 1 : 0) << qint32(m_perPage) << m_lastCurrent
           << qint32(m_headerOnly ? m_total : m_records.count()) << qint32(m_properties.count());
    for (auto it = m_properties.constBegin(); it != m_properties.constEnd(); ++it)
        stream << it.key() << it.value();
}

void PIMManager::readHeader(QDataStream &stream)
{
    qint32 word = 0, sort = -1, perPage = 15, total = -1, count = 0;
    qint8 order = 1;
    stream >> word >> m_syncDateTime >> sort >> order >> perPage >> m_lastCurrent >> total >> count;
    m_streamHeaderWordRead = word;
    m_sort = sort >= -1 && sort < sortColumnCount() ? sort : -1;
    m_sortOrder = order != 0;
    m_perPage = perPage >= 1 && perPage <= MaxPerPage ? perPage : 15;
    m_total = total >= 0 ? total : -1;
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QString key, value;
        stream >> key >> value;
        m_properties.insert(key, value);
    }
}

PIMRecord *PIMManager::createRecord()
{
    return new PIMRecord(this);
}

bool PIMManager::accept(PIMRecord *)
{
    return true;
}

bool PIMManager::filtering() const
{
    return true;
}

void PIMManager::recordAdded(PIMRecord *)
{
}

void PIMManager::recordUpdated(PIMRecord *, PIMRecord *)
{
}

bool PIMManager::canRemove(PIMRecord *)
{
    return true;
}

void PIMManager::recordRemoved(PIMRecord *)
{
}

void PIMManager::recordsRemoved(const QList<PIMRecord *> &records)
{
    for (PIMRecord *r : records)
        recordRemoved(r);
}

void PIMManager::loaded()
{
}

bool PIMManager::sortKeyText(const PIMRecord *, int, QString &) const
{
    return false;
}

int PIMManager::sortKeyLength(int) const
{
    return -1;
}

bool PIMManager::needsResort(PIMRecord *, PIMRecord *)
{
    return false;
}
