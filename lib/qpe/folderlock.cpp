#include "folderlock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Key = QPair<quint64, quint64>;
struct Held {
    int fd;
    int count;
};

// The folders this process holds: a second open of the folder would be a
// lock of its own, which the first one's would refuse.
QMutex s_mutex;
QHash<Key, Held> &held()
{
    static QHash<Key, Held> folders;
    return folders;
}

// When a default wait for a folder last ran out: the next default wait
// within a second tries once, so that a save's few steps refused one after
// another freeze the window once, not at each step.
const qint64 RefusalMemoryMs = 1000;
QHash<Key, QElapsedTimer> &refused()
{
    static QHash<Key, QElapsedTimer> folders;
    return folders;
}

} // namespace

QString FolderLock::folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

FolderLock::FolderLock(const QString &folder, int waitMs)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return;
    }
    const Key key(quint64(st.st_dev), quint64(st.st_ino));
    m_key[0] = key.first;
    m_key[1] = key.second;
    {
        QMutexLocker guard(&s_mutex);
        auto it = held().find(key);
        if (it != held().end()) {
            ++it->count;
            ::close(fd);
            m_locked = true;
            return;
        }
    }
    if (waitMs == DefaultWaitMs) {
        QMutexLocker guard(&s_mutex);
        const auto it = refused().constFind(key);
        if (it != refused().constEnd() && !it->hasExpired(RefusalMemoryMs))
            waitMs = 0;
    }
    // polled rather than blocking: a copy that hangs while holding it must
    // not hang this one too
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            break;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() >= waitMs) {
            ::close(fd);
            QMutexLocker guard(&s_mutex);
            refused()[key].start();
            return;
        }
        QThread::msleep(2);
    }
    QMutexLocker guard(&s_mutex);
    refused().remove(key);
    held().insert(key, Held{fd, 1});
    m_locked = true;
}

FolderLock::~FolderLock()
{
    unlock();
}

void FolderLock::unlock()
{
    if (!m_locked)
        return;
    m_locked = false;
    QMutexLocker guard(&s_mutex);
    const Key key(m_key[0], m_key[1]);
    auto it = held().find(key);
    if (it == held().end())
        return;
    if (--it->count > 0)
        return;
    // closing the last descriptor of the folder lets the lock go
    ::close(it->fd);
    held().erase(it);
}
