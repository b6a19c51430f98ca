#ifndef BOOKFILE_H
#define BOOKFILE_H

#include "qpe/filestamp.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <future>

#include <sys/types.h>

class QFile;
class QIODevice;
class QTimer;

// The one owner of a record file on disk, an Expense Book above all: every
// read, save, move and removal of the file goes through it, and here alone
// is decided who may write the file, and how.
//
// The lock. While a book is open its lock is held: a hidden file beside it
// (".<name>.lock", or ".ymr-<hash>.lock" for a name too long for that)
// with an advisory lock (flock) on it. Whoever holds the advisory lock
// holds the book; the text in the file only names the holder to the user.
// A lock file nobody holds is stale whatever it says (an empty one after a
// power cut, one from another PID namespace); anything at that name that is
// no small regular file is no lock, is never opened blocking nor read, and
// is replaced. A book another holds is read, but not saved until the user
// opens it anyway; from then on the lock is taken as soon as it is free.
// Besides, the holder keeps an advisory lock on the book's file itself, so
// that a second name of the file (a hard link) is found held too; a save
// hands that lock on to the new file before it takes the book's place.
// Opening the book clears its folder of temporary files that copies killed
// while saving left (FileReplacer::removeLeftovers()).
//
// The save. The new content goes to a temporary file of its own beside the
// book (FileReplacer), is checked on the way against what the reader takes
// (the size limit, the line limit: a save the reader would refuse fails as
// a full disk does), and reaches the disk (one sync of the file, one of the
// folder). Then, under a short lock on the folder (FolderLock), the file's stamp (device, inode, size, modification
// and change times) is compared with the one of the last read or write, the
// new file renamed over the book and the new stamp taken. So a save reported
// done is on disk, and one that would replace another program's version, or
// bring back a book deleted or moved away, is refused as a conflict and
// left to the user (overwriteChanges()), never silent.
//
// Kept copies. The bytes of a damaged book are kept beside it, each damage
// under a name of its own ("<name>.damaged", "<name>.damaged.2", ...), no
// wider than the book, before anything is saved over them; while that copy
// cannot be made the book is read-only. The copies follow the book when it
// moves.
class BookFile : public QObject
{
    Q_OBJECT
public:
    explicit BookFile(const QString &path, QObject *parent = nullptr);
    ~BookFile() override;

    QString path() const { return m_path; }
    // The file a save replaces: path, or what a link there names.
    QString target() const;

    // ---- who may write it
    enum LockState { NotLocked, Locked, HeldElsewhere, NoLock };
    // Takes the book's lock and from then on compares the stamp before
    // every save. HeldElsewhere: another copy of the program (or another
    // store) holds it, holder() names it, and saves are refused until
    // openAnyway(). NoLock: no lock can be made there (lockFailure() says
    // why); saves are checked by the stamp alone.
    LockState lock();
    LockState lockState() const { return m_state; }
    bool hasLock() const { return m_lockFd >= 0; }
    // Who holds the lock: printable and short, whatever the file says.
    QString holder() const { return m_holder; }
    QString lockFailure() const { return m_lockFailure; }
    // The user's word to write a book another holds: saves are checked by
    // the stamp alone, and the lock is taken as soon as the holder lets go
    // of it.
    void openAnyway();
    bool isOpenedAnyway() const { return m_openedAnyway; }
    void unlock();
    static QString lockFileName(const QString &path);
    // Whether a lock of path is held by another process (never by this one).
    static bool heldElsewhere(const QString &path, QString *holder = nullptr);
    // For tests: how often a book opened anyway tries to take its lock; 0
    // brings back the default.
    static void setRetakeInterval(int ms);

    // ---- reading
    // Opens the file for reading as BoundedFile::open() does (a
    // BoundedFile::Result) and takes the stamp of what it opened.
    int open(QFile &file, qint64 maxSize);
    // The file as it is now, for a save that copies part of it: the stamp stays.
    int openCurrent(QFile &file, qint64 maxSize) const;
    // The whole of what open() read, when all of it was read.
    void noteRead(const QByteArray &bytes);

    // ---- read-only
    // The file or its folder may not be written, or a damaged file's copy
    // could not be made; the reason says which.
    bool isReadOnly() const { return !readOnlyReason().isEmpty(); }
    QString readOnlyReason() const;

    // ---- kept copies
    // The file as read is damaged: its bytes are kept as a copy before
    // anything is saved over them; at once when the book is locked, else
    // before its first save.
    void keepDamaged(const QByteArray &bytes);
    // The copy holding those bytes; empty while there is none.
    QString keptCopy() const { return m_keptCopy; }
    // Every kept copy of the file, on disk now.
    QStringList copies() const;

    // ---- saving
    using Writer = std::function<bool(QIODevice *device)>;
    // Replaces the file with what write puts on the device, refused when
    // it would exceed maxSize bytes or (maxLine > 0) a line of maxLine.
    bool save(const Writer &write, qint64 maxSize, int maxLine);
    // A save refused before it began (a merge that found the folder held):
    // false, with reason as the failure.
    bool refuseSave(const QString &reason) { return fail(reason); }
    // Why the last save, move or removal failed; empty after one that worked.
    QString failure() const { return m_failure; }
    enum Conflict { NoConflict, Changed, Gone };
    // The last save found the file changed, or gone, since it was read or
    // written here, and left it alone.
    Conflict conflict() const { return m_conflict; }
    bool changedElsewhere() const { return m_conflict != NoConflict; }
    // The next save writes whatever is there now; a file gone is written
    // again with its last mode.
    void overwriteChanges() { m_overwrite = true; }

    // ---- moving and removing
    // Moves the file to newPath with its lock, stamp and kept copies; never
    // over anything at newPath.
    bool moveTo(const QString &newPath);
    // Deletes the file (a link, not what it names); later saves are refused.
    bool remove();
    // A new file at destination holding what source holds, with its mode:
    // made beside it and renamed to that name under the lock of its folder,
    // never over anything there nor a book another copy has open (false,
    // failure says why; InUse for a name taken).
    static bool copyNew(const QString &source, const QString &destination, QString *failure = nullptr,
                        bool *taken = nullptr);

    // For tests: called under the folder's lock of a save, after the stamp
    // was compared and before the new file takes the book's place.
    static void setCommitHook(void (*hook)(const QString &path));

    class Fingerprint;

private:
    bool fail(const QString &reason);
    LockState takeLock(const QString &lockPath, int *fd);
    LockState takeFileLock();
    LockState takeLocks();
    void releaseLockFile();
    void setFileFd(int fd);
    void retake();
    void setLockFd(int fd, const QString &lockPath);
    bool makeCopy();
    void checkWritable();
    bool mayWrite();
    bool holdsWhatWasWritten(qint64 maxSize) const;
    quint64 printOfWhatWasRead() const;

    QString m_path;
    QString m_lockPath;
    int m_lockFd = -1;
    // open on the book's file and locked: the lock of every name it has
    int m_fileFd = -1;
    LockState m_state = NotLocked;
    QString m_holder;
    QString m_lockFailure;
    bool m_openedAnyway = false;
    QTimer *m_retake = nullptr;
    FileStamp m_stamp;
    // of the bytes last read whole or written (of those read, once taken)
    mutable quint64 m_print = 0;
    mutable std::future<quint64> m_printing;
    bool m_printKnown = false;
    bool m_overwrite = false;
    Conflict m_conflict = NoConflict;
    QString m_failure;
    QString m_writeProtected;
    QByteArray m_damaged;
    QString m_keptCopy;
    QString m_copyFailure;
    bool m_removed = false;
};

#endif
