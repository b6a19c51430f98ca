#ifndef LOCKFILE_H
#define LOCKFILE_H

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// A lock a process keeps for as long as it holds something (an open book,
// the ringing of the alarms): a small file whose advisory lock (flock) on an
// open descriptor says who holds it. The system lets go of it when the
// process ends, so a lock file nobody holds is stale whatever it says (an
// empty one after a power cut, one from another PID namespace). Its text
// only names the holder to the user.
//
// Whatever else stands at the name (a FIFO, a link, a device, a file too
// large to be a lock) is no lock: it is never followed, never opened
// blocking nor read, and a new lock replaces it in one step. A folder
// there stays; the caller decides what becomes of it.
//
// Look and create under the lock of the folder (FolderLock), so that no
// other copy of the program takes or replaces the lock between the two.
class LockFile
{
public:
    // Larger than any lock this program writes: more is no lock.
    enum { MaxBytes = 4096 };

    enum Found {
        // nothing at the name
        Nothing,
        // something that is no lock (a FIFO, a link, a device, too large)
        NoLock,
        // a folder
        Folder,
        // a lock nobody holds
        Free,
        // a lock another open of it holds (another process, or another
        // lock of this one)
        Held,
        // a file this user may not open: another user's lock
        Denied,
        // it could not be looked at (error says why)
        Failed,
    };
    struct Look
    {
        Found found = Nothing;
        // the file looked at (Free, Held)
        dev_t device = 0;
        ino_t inode = 0;
        int error = 0;
        // Held: the first bytes of the lock, when asked for
        QByteArray text;
    };

    // The one look at whether a regular file at path of at most maxSize
    // bytes (negative: any size) is locked: opened without following a link
    // or blocking, its advisory lock tried, never taken. With readText, a
    // held lock's first bytes come back.
    static Look look(const QString &path, qint64 maxSize = MaxBytes, bool readText = false);
    // A new lock at path naming this process, held by the descriptor
    // returned: written beside it and renamed over whatever stands there
    // (but a folder). -1 when it cannot be made, error then says why.
    static int create(const QString &path, int *error);
    // Lets go of the lock fd holds, taken at path; the name goes with it
    // when it still is that lock (never one that took its place).
    static void release(int fd, const QString &path);
    // What a lock of this process says: its process id, program and host,
    // a line each.
    static QByteArray ownText();
};

#endif
