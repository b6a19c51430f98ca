#include "sharedfile.h"

#include "boundedfile.h"
#include "filereplacer.h"
#include "folderlock.h"
#include "loadbudget.h"
#include "unsavedfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>

namespace {

// never destroyed, nor what it holds: a retry may come while the program ends
QHash<QString, SharedFile *> &files()
{
    static auto *all = new QHash<QString, SharedFile *>;
    return *all;
}

QString heldText()
{
    return QCoreApplication::translate("SharedFile",
                                       "another copy of the program is writing in its folder");
}

// What stands at path, the name itself and not what a link there names.
enum Standing { Nothing, Link, Empty, Regular, Other };

Standing standing(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return Nothing;
    if (S_ISLNK(st.st_mode))
        return Link;
    if (!S_ISREG(st.st_mode))
        return Other;
    return st.st_size == 0 ? Empty : Regular;
}

// The lock of the folder that holds path; none is needed where there is no
// folder yet (nobody wrote there either).
struct PathLock
{
    explicit PathLock(const QString &path)
    {
        const QString folder = FolderLock::folderOf(path);
        if (QFileInfo(folder).isDir())
            lock.reset(new FolderLock(folder));
    }
    bool isLocked() const { return !lock || lock->isLocked(); }
    std::unique_ptr<FolderLock> lock;
};

} // namespace

SharedFile::SharedFile(const QString &path) : m_path(path)
{
}

SharedFile *SharedFile::at(const QString &path)
{
    SharedFile *&file = files()[path];
    if (!file)
        file = new SharedFile(path);
    return file;
}

bool SharedFile::setAsideIfForeign(const QString &path)
{
    const Standing s = standing(path);
    if (s != Link && s != Empty)
        return false;
    PathLock lock(path);
    // another copy may have put a whole file there meanwhile
    const Standing now = standing(path);
    if (!lock.isLocked() || (now != Link && now != Empty))
        return false;
    return BoundedFile::setAside(path);
}

SharedFile::Result SharedFile::read(const Reader &kind, KeyedMerge::Entries &entries)
{
    PathLock lock(m_path);
    if (lock.isLocked())
        return readLocked(kind, entries);
    entries.clear();
    const Standing s = standing(m_path);
    if (s != Regular)
        return s == Nothing ? Missing : Failed;
    QByteArray bytes;
    if (BoundedFile::readAll(m_path, kind.maxSize(), bytes, BoundedFile::NoLinks) != BoundedFile::Ok)
        return Failed;
    return readsAs(kind, bytes, entries) ? Done : Failed;
}

SharedFile::Result SharedFile::readLocked(const Reader &kind, KeyedMerge::Entries &entries)
{
    entries.clear();
    m_failure.clear();
    const Standing s = standing(m_path);
    if (s == Nothing)
        return Missing;
    // a link is set aside itself: what it names is none of ours
    if (s != Regular)
        return setAsideLocked(s);
    QByteArray bytes;
    const BoundedFile::Result r = BoundedFile::readAll(m_path, kind.maxSize(), bytes, BoundedFile::NoLinks);
    if (r == BoundedFile::Missing)
        return Missing;
    if (r == BoundedFile::Unreadable) {
        m_failure = QCoreApplication::translate("SharedFile", "it could not be read");
        return Failed;
    }
    bool whole = r == BoundedFile::Ok;
    bool kept = false;
    if (whole) {
        LoadBudget budget(bytes.size(), kind.maxEntries());
        // the bytes are held while their entries are made
        budget.charge(bytes.size());
        whole = kind.read(bytes, entries, budget) && budget.outcome() == LoadBudget::Within;
        if (!whole && budget.outcome() == LoadBudget::Stopped) {
            // the program ends: nothing is wrong with the file
            entries.clear();
            m_failure = QCoreApplication::translate("SharedFile", "the program was asked to end while it was read");
            return Failed;
        }
        kept = kind.keepsWhatReads() && budget.outcome() == LoadBudget::Within;
    }
    if (whole)
        return Done;
    if (!kept)
        entries.clear();
    const Result aside = setAsideLocked(Regular);
    if (aside != SetAside)
        entries.clear();
    return aside;
}

SharedFile::Result SharedFile::setAsideLocked(int found)
{
    QString why;
    if (BoundedFile::setAside(m_path, false, &why))
        return SetAside;
    // a folder at the name, or a name that cannot be moved: nothing is
    // written, and the write waits as on a full disk
    m_failure = found == Link
                    ? QCoreApplication::translate("SharedFile",
                                                  "a symbolic link stands at its name and could not be set aside (%1)")
                    : QCoreApplication::translate("SharedFile", "it does not read, and could not be set aside (%1)");
    m_failure = m_failure.arg(why);
    return Failed;
}

bool SharedFile::clearNameLocked()
{
    // what killed copies left in the folder goes, as in a book's folder
    FileReplacer::removeLeftovers(FolderLock::folderOf(m_path));
    // a write never goes through a link nor into anything but a file: what
    // stands there is set aside first, and kept where it cannot be
    const Standing s = standing(m_path);
    return s == Nothing || s == Regular || s == Empty || setAsideLocked(s) == SetAside;
}

bool SharedFile::mergeLocked(const Reader &kind, const KeyedMerge::Entries &base, const KeyedMerge::Entries &ours,
                             KeyedMerge::Entries &merged, QVector<bool> &theirs)
{
    KeyedMerge::Entries onDisk;
    switch (readLocked(kind, onDisk)) {
    case Done:
        break;
    case Missing:
    case SetAside: {
        // nothing there, or nothing that reads: nothing of the others to
        // keep but what read of it, as they left it (what it lacks may be
        // lost to the damage, not removed)
        QHash<QByteArray, QByteArray> onDiskValues;
        for (const KeyedMerge::Entry &e : qAsConst(onDisk))
            onDiskValues.insert(e.key, e.value);
        KeyedMerge::Entries kept = base;
        for (KeyedMerge::Entry &e : kept) {
            const auto there = onDiskValues.find(e.key);
            if (there != onDiskValues.end()) {
                e.value = there.value();
                onDiskValues.erase(there);
            }
        }
        for (const KeyedMerge::Entry &e : qAsConst(onDisk)) {
            if (onDiskValues.contains(e.key))
                kept.append(e);
        }
        onDisk = kept;
        break;
    }
    default:
        // what the others did is not known: writing would undo it
        return false;
    }
    merged = KeyedMerge::merge(base, ours, onDisk, &theirs);
    return true;
}

SharedFile::Result SharedFile::save(const KindPtr &kind, const KeyedMerge::Entries &base,
                                    const KeyedMerge::Entries &ours, const Taken &taken,
                                    const Settle &settle)
{
    return saveOrReplace(kind, &base, ours, taken, settle);
}

SharedFile::Result SharedFile::replace(const KindPtr &kind, const KeyedMerge::Entries &entries)
{
    return saveOrReplace(kind, nullptr, entries, Taken(), Settle());
}

SharedFile::Result SharedFile::saveOrReplace(const KindPtr &kind, const KeyedMerge::Entries *base,
                                             const KeyedMerge::Entries &ours, const Taken &taken,
                                             const Settle &settle)
{
    const Result r = write(*kind, base, ours, taken, settle);
    if (r == Done) {
        // what was kept is in what was written: the caller continued from it
        m_pending.reset();
        UnsavedFiles::instance()->remove(m_path);
        return r;
    }
    // the retry merges the same change onto the file as it is then
    m_pending.reset(new Pending{kind, !base, base ? *base : KeyedMerge::Entries(), ours, taken, settle});
    keepUnsaved(kind->what(), [this] { return writePending(); });
    return r;
}

bool SharedFile::writePending()
{
    if (!m_pending)
        return true;
    // taken() may save this file again, and keep a newer change
    const Pending *kept = m_pending.get();
    const Pending p = *kept;
    if (write(*p.kind, p.replacing ? nullptr : &p.base, p.ours, p.taken, p.settle) != Done)
        return false;
    if (m_pending.get() == kept)
        m_pending.reset();
    return true;
}

SharedFile::Result SharedFile::view(const Reader &kind, KeyedMerge::Entries &entries,
                                    KeyedMerge::Entries *base)
{
    const Result r = read(kind, entries);
    if (base)
        *base = entries;
    if (!m_pending)
        return r;
    if (m_pending->replacing) {
        entries = m_pending->ours;
        return Done;
    }
    // a file not read holds nothing to keep, as in write()
    if (r != Done) {
        entries = m_pending->base;
        if (base)
            *base = entries;
    }
    entries = KeyedMerge::merge(m_pending->base, m_pending->ours, entries);
    return Done;
}

bool SharedFile::pendingChange(KeyedMerge::Entries *base, KeyedMerge::Entries *ours,
                               bool *replacing) const
{
    if (!m_pending)
        return false;
    if (base)
        *base = m_pending->base;
    if (ours)
        *ours = m_pending->ours;
    if (replacing)
        *replacing = m_pending->replacing;
    return true;
}

SharedFile::Result SharedFile::write(const Kind &kind, const KeyedMerge::Entries *base,
                                     const KeyedMerge::Entries &ours, const Taken &taken,
                                     const Settle &settle)
{
    PathLock lock(m_path);
    if (!lock.isLocked()) {
        m_failure = heldText();
        return Refused;
    }
    if (!clearNameLocked())
        return Failed;
    KeyedMerge::Entries merged = ours;
    QVector<bool> fromDisk(ours.size(), false);
    if (base && !mergeLocked(kind, *base, ours, merged, fromDisk))
        return Failed;
    // a replacement keeps what it replaces when that does not read: set
    // aside, never written over
    KeyedMerge::Entries onDisk;
    if (!base && readLocked(kind, onDisk) == Failed)
        return Failed;
    if (settle)
        merged = settle(merged, fromDisk);
    const QByteArray bytes = kind.write(merged);
    // what this program would refuse to read is never written
    if (bytes.size() > kind.maxSize()) {
        m_failure = QCoreApplication::translate("SharedFile", "it would be larger than the program reads");
        return Failed;
    }
    if (!FileReplacer::write(m_path, bytes)) {
        m_failure = FileReplacer::lastFailureText();
        qWarning("cannot write %s: %s", qPrintable(m_path), qPrintable(m_failure));
        return Failed;
    }
    m_failure.clear();
    m_unsaved = false;
    if (taken)
        taken(merged, fromDisk);
    return Done;
}

SharedFile::Result SharedFile::saveStore(const QString &what, const std::function<StoreChange()> &change)
{
    Result r = Done;
    {
        PathLock lock(m_path);
        if (!lock.isLocked()) {
            m_failure = heldText();
            r = Refused;
        } else {
            const StoreChange c = change();
            KeyedMerge::Entries merged = c.ours;
            QVector<bool> fromDisk(c.ours.size(), false);
            QString failure;
            if (c.write && !clearNameLocked()) {
                r = Failed;
            } else if (c.write && c.reader && !mergeLocked(*c.reader, c.base, c.ours, merged, fromDisk)) {
                r = Failed;
            } else if (c.write && !c.write(merged, fromDisk, &failure)) {
                m_failure = failure;
                r = Failed;
            }
        }
    }
    if (r == Done) {
        m_failure.clear();
        m_unsaved = false;
        UnsavedFiles::instance()->remove(m_path);
        return r;
    }
    keepUnsaved(what, [this, what, change] { return saveStore(what, change) == Done; });
    return r;
}

std::function<SharedFile::StoreChange()> SharedFile::unmerged(const std::function<bool(QString *reason)> &write)
{
    return [write] {
        StoreChange change;
        change.write = [write](const KeyedMerge::Entries &, const QVector<bool> &, QString *failure) {
            return write(failure);
        };
        return change;
    };
}

void SharedFile::keepUnsaved(const QString &what, const std::function<bool()> &retry)
{
    m_unsaved = true;
    m_what = what;
    qWarning("%s was not saved: %s", qPrintable(m_path), qPrintable(m_failure));
    UnsavedFiles::instance()->add(m_path, what, m_failure, retry);
}

bool SharedFile::isUnsaved() const
{
    return m_unsaved;
}

bool SharedFile::readsAs(const Reader &kind, const QByteArray &bytes, KeyedMerge::Entries &entries,
                         bool *stopped)
{
    entries.clear();
    if (stopped)
        *stopped = false;
    if (bytes.size() > kind.maxSize())
        return false;
    LoadBudget budget(bytes.size(), kind.maxEntries());
    budget.charge(bytes.size());
    if (kind.read(bytes, entries, budget) && budget.outcome() == LoadBudget::Within)
        return true;
    if (stopped)
        *stopped = budget.outcome() == LoadBudget::Stopped;
    entries.clear();
    return false;
}

SharedFile::Result SharedFile::writeReceived(const Kind &kind, const QByteArray &bytes)
{
    KeyedMerge::Entries entries;
    if (!readsAs(kind, bytes, entries)) {
        m_failure = QCoreApplication::translate("SharedFile", "it does not read as %1").arg(kind.what());
        return Failed;
    }
    // a write of this copy's that is still to be done stays so
    const bool unsaved = m_unsaved;
    const Result r = write(kind, nullptr, entries, Taken(), Settle());
    m_unsaved = unsaved;
    return r;
}
