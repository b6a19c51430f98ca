#ifndef FOLDERLOCK_H
#define FOLDERLOCK_H

#include <QString>

// A short exclusive lock on a folder, held around the few steps that must
// not interleave with another copy of the program writing there: a file's
// stamp compared and the new file renamed over it, or a shared list read
// again, merged and replaced. It is an advisory lock on the folder itself,
// so no lock file is left behind and a read-only folder locks too; the
// system drops it when the process dies.
//
// Held for milliseconds only. Within one process a second lock on a folder
// already locked here is granted at once (the locks nest); across processes
// a lock waits at most the given time, then isLocked() is false and the
// caller refuses its write (SharedFile tells and retries it).
//
// Any thread may take it, the GUI thread included: the default wait is a
// short moment (DefaultWaitMs, and none at all within a second of a default
// wait for the folder that ran out), so that a copy holding the folder
// never freezes this one's window for longer. A longer wait belongs on a
// worker thread.
class FolderLock
{
public:
    enum { DefaultWaitMs = 250 };

    explicit FolderLock(const QString &folder, int waitMs = DefaultWaitMs);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool isLocked() const { return m_locked; }
    // Lets go early; the destructor does nothing more.
    void unlock();
    // The folder that holds path (a link followed to the file it names
    // belongs to the caller: this takes path as it is).
    static QString folderOf(const QString &path);

private:
    int m_fd = -1;
    bool m_locked = false;
    quint64 m_key[2] = {0, 0};
};

#endif
