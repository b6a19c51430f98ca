#include "filereplacer.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QVariant>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char NewFileProperty[] = "ymrNewFile";

thread_local FileReplacer::Failure t_failure = FileReplacer::NoFailure;
thread_local int t_error = 0;
void (*s_createdHook)(int) = nullptr;

std::atomic<qint64> &spaceLeft()
{
    static std::atomic<qint64> left(qEnvironmentVariableIsSet("YMR_SPACE_LEFT")
                                        ? qgetenv("YMR_SPACE_LEFT").toLongLong()
                                        : qint64(-1));
    return left;
}

// nobody may write it, whoever the program runs as: the user made it read-only
bool writeProtected(const struct stat &st)
{
    return (st.st_mode & 0222) == 0;
}

} // namespace

QString FileReplacer::replacedFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? info.symLinkTarget() : target;
}

QString FileReplacer::newFileName(const QFile &file)
{
    return file.property(NewFileProperty).toString();
}

bool FileReplacer::fail(int error)
{
    t_error = error;
    t_failure = failureOf(error);
    return false;
}

FileReplacer::Failure FileReplacer::failureOf(int error)
{
    switch (error) {
    case 0:
        return NoFailure;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return NoSpace;
    case EROFS:
        return ReadOnly;
    case EISDIR:
    case ENOTDIR:
    case ELOOP:
        return NotAFile;
    case EACCES:
    case EPERM:
        return Permission;
    case EEXIST:
    case EBUSY:
        return InUse;
    default:
        return OtherFailure;
    }
}

FileReplacer::Failure FileReplacer::lastFailure()
{
    return t_failure;
}

QString FileReplacer::lastFailureText()
{
    return failureText(t_failure, t_error);
}

QString FileReplacer::failureText(Failure failure, int error)
{
    switch (failure) {
    case NoFailure:
        return QString();
    case NoSpace:
        return QCoreApplication::translate("FileReplacer", "no space left on the disk");
    case ReadOnly:
        return QCoreApplication::translate("FileReplacer", "the file or its folder is read-only");
    case NotAFile:
        return QCoreApplication::translate("FileReplacer", "not a file");
    case Permission:
        return QCoreApplication::translate("FileReplacer", "permission denied");
    case InUse:
        return QCoreApplication::translate("FileReplacer", "another program is writing it");
    case OtherFailure:
        break;
    }
    return error ? QString::fromLocal8Bit(std::strerror(error))
                 : QCoreApplication::translate("FileReplacer", "write error");
}

void FileReplacer::setSpaceLeft(qint64 bytes)
{
    spaceLeft() = bytes;
}

void FileReplacer::setCreatedHook(void (*hook)(int fd))
{
    s_createdHook = hook;
}

bool FileReplacer::open(QFile &file, const QString &path, bool removeStale)
{
    t_failure = NoFailure;
    t_error = 0;
    if (file.isOpen())
        file.close();
    file.setProperty(NewFileProperty, QVariant());
    const QString target = replacedFile(path);
    const QString newPath = target + QStringLiteral(".new");
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray newName = QFile::encodeName(newPath);

    struct stat old;
    const bool hasOld = ::stat(targetName.constData(), &old) == 0;
    if (hasOld && !S_ISREG(old.st_mode))
        return fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    if (hasOld && writeProtected(old))
        return fail(EROFS);
    struct stat folder;
    if (::stat(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), &folder) == 0
        && writeProtected(folder))
        return fail(EROFS);

    // Whatever already sits at that name goes first: a stale file, or a
    // link planted there to have the save write through it. The exclusive
    // create then fails on anything that takes its place.
    if (removeStale) {
        if (::unlink(newName.constData()) != 0 && errno != ENOENT)
            return fail(errno);
    }
    // owner-only from the first byte: nobody opens it before it has its mode
    const int fd = ::open(newName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0600);
    if (fd < 0)
        return fail(errno);
    if (s_createdHook)
        s_createdHook(fd);
    mode_t mode;
    if (hasOld) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd, uid_t(-1), old.st_gid);
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(newName.constData());
        return fail(error);
    }
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(newName.constData());
        return fail(EIO);
    }
    file.setProperty(NewFileProperty, newPath);
    errno = 0;
    return true;
}

bool FileReplacer::commit(QFile &file, bool written)
{
    const QString newPath = newFileName(file);
    if (newPath.isEmpty()) {
        if (file.isOpen())
            file.close();
        return fail(EINVAL);
    }
    file.setProperty(NewFileProperty, QVariant());
    const QByteArray newName = QFile::encodeName(newPath);
    const QString target = newPath.left(newPath.size() - 4);
    int error = written ? 0 : (errno ? errno : EIO);
    // the bytes reach the disk before the new file takes the old one's
    // place: after a power loss the old file or the new one is there
    if (!error && !file.flush())
        error = errno ? errno : EIO;
    const qint64 left = spaceLeft();
    if (!error && left >= 0 && file.size() > left)
        error = ENOSPC;
    if (!error && ::fsync(file.handle()) != 0)
        error = errno;
    file.close();
    if (!error && file.error() != QFileDevice::NoError)
        error = EIO;
    // rename() puts it in place in one step; a failure leaves the old file
    if (!error && ::rename(newName.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(newName.constData());
        return fail(error);
    }
    // and the folder, so that the rename itself survives a power loss
    const int dir = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    t_failure = NoFailure;
    t_error = 0;
    return true;
}

bool FileReplacer::write(const QString &path, const QByteArray &bytes)
{
    QFile file;
    if (!open(file, path))
        return false;
    return commit(file, file.write(bytes) == bytes.size());
}
