#include "lockfile.h"

#include "filereplacer.h"
#include "folderlock.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

LockFile::Look LockFile::look(const QString &path, qint64 maxSize, bool readText)
{
    Look l;
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0) {
        l.error = errno;
        l.found = l.error == ENOENT ? Nothing : Failed;
        return l;
    }
    if (S_ISDIR(st.st_mode)) {
        l.found = Folder;
        return l;
    }
    // a FIFO would block an ordinary open, a device do who knows what
    l.found = NoLock;
    if (!S_ISREG(st.st_mode) || (maxSize >= 0 && st.st_size > maxSize))
        return l;
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES)
            l.found = Denied;
        return l;
    }
    // the look above may have seen another file than the one opened
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (maxSize < 0 || st.st_size <= maxSize)) {
        l.device = st.st_dev;
        l.inode = st.st_ino;
        l.found = Free;
        if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
            l.error = errno;
            l.found = l.error == EWOULDBLOCK ? Held : Failed;
        }
        if (l.found == Held && readText) {
            char buffer[MaxBytes];
            const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
            l.text = QByteArray(buffer, int(qMax<ssize_t>(n, 0)));
        }
    }
    ::close(fd);
    return l;
}

int LockFile::create(const QString &path, int *error)
{
    const QString folder = FolderLock::folderOf(path);
    QString temp;
    // made locked: held before it has the name
    const int fd = FileReplacer::createUnique(folder, &temp);
    if (fd < 0) {
        *error = FileReplacer::lastError() ? FileReplacer::lastError() : EIO;
        return -1;
    }
    const QByteArray text = ownText();
    const mode_t mask = ::umask(0);
    ::umask(mask);
    *error = 0;
    if (!FileReplacer::fitsSpaceLeft(text.size()))
        *error = ENOSPC;
    // others may see who holds it
    else if (::fchmod(fd, 0644 & ~mask) != 0 || !FileReplacer::writeWhole(fd, text.constData(), text.size())
             || ::flock(fd, LOCK_EX | LOCK_NB) != 0
             || ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        *error = errno ? errno : EIO;
    if (*error) {
        ::unlink(QFile::encodeName(temp).constData());
        ::close(fd);
        return -1;
    }
    return fd;
}

void LockFile::release(int fd, const QString &path)
{
    if (fd < 0)
        return;
    const QByteArray name = QFile::encodeName(path);
    struct stat mine, there;
    if (::fstat(fd, &mine) == 0) {
        FolderLock guard(FolderLock::folderOf(path));
        if (::lstat(name.constData(), &there) == 0 && there.st_dev == mine.st_dev && there.st_ino == mine.st_ino)
            ::unlink(name.constData());
    }
    ::close(fd);
}

QByteArray LockFile::ownText()
{
    const QString app = QCoreApplication::applicationName();
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n'
           + (app.isEmpty() ? QByteArray("ymrOutlays") : app.toUtf8()) + '\n'
           + QSysInfo::machineHostName().toUtf8() + '\n';
}
