#include "filereplacer.h"

#include "folderlock.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QVariant>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char NewFileProperty[] = "ymrNewFile";
const char TargetProperty[] = "ymrTarget";
const char SyncedProperty[] = "ymrSynced";
// ".ymr", eight letters or digits, ".new"
const int TempNameLength = 16;
// A leftover last written this long ago is nobody's: a save writes its file
// without pause, and one in progress holds its lock besides.
const int DefaultLeftoverAge = 60;
std::atomic<int> s_leftoverAge(DefaultLeftoverAge);
std::atomic<int> s_syncs(0);

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

std::atomic<int> s_syncFault(0);

// The bytes of a new file, and its size, on disk: what reading it back needs.
bool syncData(int fd)
{
    ++s_syncs;
    if (const int fault = s_syncFault) {
        errno = fault;
        return false;
    }
    return ::fdatasync(fd) == 0;
}

bool isTempName(const char *name)
{
    if (strlen(name) != TempNameLength || strncmp(name, ".ymr", 4) != 0 || strcmp(name + 12, ".new") != 0)
        return false;
    for (int i = 4; i < 12; ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace

bool FileReplacer::writeWhole(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool FileReplacer::writeProtected(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & 0222) == 0;
}

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

QString FileReplacer::targetName(const QFile &file)
{
    return file.property(TargetProperty).toString();
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

int FileReplacer::lastError()
{
    return t_error;
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
    case NotDurable:
        return QCoreApplication::translate("FileReplacer", "the disk did not confirm the write (%1)")
            .arg(QString::fromLocal8Bit(std::strerror(error ? error : EIO)));
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

void FileReplacer::setSyncFault(int error)
{
    s_syncFault = error;
}

int FileReplacer::syncCount()
{
    return s_syncs;
}

void FileReplacer::setLeftoverAge(int seconds)
{
    s_leftoverAge = seconds >= 0 ? seconds : DefaultLeftoverAge;
}

bool FileReplacer::fitsSpaceLeft(qint64 bytes)
{
    const qint64 left = spaceLeft();
    return left < 0 || bytes <= left;
}

int FileReplacer::createUnique(const QString &folder, QString *name)
{
    // ".ymr" and eight letters or digits: short beside any name, hidden
    // from the file lists, and one of about 2.8e12 for each writer
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int tries = 0; tries < 64; ++tries) {
        QByteArray leaf(".ymr");
        for (int i = 0; i < 8; ++i)
            leaf += letters[QRandomGenerator::global()->bounded(36)];
        leaf += ".new";
        const QString path = folder + QLatin1Char('/') + QString::fromLatin1(leaf);
        // owner-only from the first byte: nobody opens it before it has its mode
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // in use for as long as it is open: no cleaner takes it for a
            // leftover (on a file system without flock none is ever taken)
            ::flock(fd, LOCK_EX | LOCK_NB);
            if (name)
                *name = path;
            if (s_createdHook)
                s_createdHook(fd);
            return fd;
        }
        if (errno != EEXIST) {
            fail(errno);
            return -1;
        }
    }
    fail(EEXIST);
    return -1;
}

bool FileReplacer::open(QFile &file, const QString &path, int newMode)
{
    return openFor(file, replacedFile(path), newMode, false);
}

bool FileReplacer::openFor(QFile &file, const QString &target, int newMode, bool atName)
{
    t_failure = NoFailure;
    t_error = 0;
    if (file.isOpen())
        file.close();
    file.setProperty(NewFileProperty, QVariant());
    file.setProperty(TargetProperty, QVariant());
    const QByteArray targetName = QFile::encodeName(target);

    struct stat old;
    const bool hasOld = (atName ? ::lstat(targetName.constData(), &old) : ::stat(targetName.constData(), &old)) == 0;
    if (hasOld && !S_ISREG(old.st_mode)) {
        fail(S_ISDIR(old.st_mode) ? EISDIR : S_ISLNK(old.st_mode) ? ELOOP : EINVAL);
        // whatever it is, no file of ours is there to replace
        if (atName)
            t_failure = NotAFile;
        return false;
    }
    if ((hasOld && writeProtected(target)) || writeProtected(FolderLock::folderOf(target)))
        return fail(EROFS);

    QString newPath;
    const int fd = createUnique(FolderLock::folderOf(target), &newPath);
    if (fd < 0)
        return false;
    const QByteArray newName = QFile::encodeName(newPath);
    mode_t mode;
    if (hasOld) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd, uid_t(-1), old.st_gid);
        mode = old.st_mode & 07777;
    } else if (newMode >= 0) {
        mode = mode_t(newMode) & 07777;
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
    file.setProperty(TargetProperty, target);
    errno = 0;
    return true;
}

bool FileReplacer::commit(QFile &file, bool written)
{
    const QString newPath = newFileName(file);
    const QString target = targetName(file);
    if (newPath.isEmpty() || target.isEmpty()) {
        if (file.isOpen())
            file.close();
        return fail(EINVAL);
    }
    file.setProperty(NewFileProperty, QVariant());
    file.setProperty(TargetProperty, QVariant());
    const QByteArray newName = QFile::encodeName(newPath);
    const QVariant synced = file.property(SyncedProperty);
    file.setProperty(SyncedProperty, QVariant());
    int error = written ? 0 : (errno ? errno : EIO);
    // the bytes reach the disk before the new file takes the old one's
    // place: after a power loss the old file or the new one is there
    if (!error && !file.flush())
        error = errno ? errno : EIO;
    if (!error && !fitsSpaceLeft(file.size()))
        error = ENOSPC;
    if (!error && !(synced.isValid() && synced.toLongLong() == file.size()) && !syncData(file.handle()))
        error = errno;
    if (!error && file.error() != QFileDevice::NoError)
        error = EIO;
    // rename() puts it in place in one step; a failure leaves the old file.
    // The file stays open (and locked) until it has its name.
    if (!error && ::rename(newName.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(newName.constData());
        file.close();
        return fail(error);
    }
    file.close();
    // and the folder, so that the rename itself survives a power loss
    if (!syncFolder(FolderLock::folderOf(target))) {
        t_failure = NotDurable;
        return false;
    }
    t_failure = NoFailure;
    t_error = 0;
    return true;
}

bool FileReplacer::sync(QFile &file)
{
    if (newFileName(file).isEmpty())
        return fail(EINVAL);
    if (!file.flush())
        return fail(errno ? errno : EIO);
    if (!syncData(file.handle()))
        return fail(errno);
    file.setProperty(SyncedProperty, file.size());
    return true;
}

void FileReplacer::startWriteback(QFile &file, qint64 from, qint64 size)
{
    if (file.handle() >= 0 && size > 0)
        ::sync_file_range(file.handle(), from, size, SYNC_FILE_RANGE_WRITE);
}

bool FileReplacer::write(const QString &path, const QByteArray &bytes)
{
    QFile file;
    if (!openFor(file, path, -1, true))
        return false;
    return commit(file, file.write(bytes) == bytes.size());
}

bool FileReplacer::renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray src = QFile::encodeName(from), dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return fail(errno);
    // a file system without that rename: a second name, which fails on
    // anything there, then the first name goes; when it cannot, the second
    // goes again and the file keeps the name it had
    if (::link(src.constData(), dst.constData()) != 0)
        return fail(errno);
    if (::unlink(src.constData()) != 0) {
        const int error = errno;
        ::unlink(dst.constData());
        return fail(error);
    }
    return true;
}

bool FileReplacer::create(const QString &path, const QByteArray &bytes, int mode)
{
    t_failure = NoFailure;
    t_error = 0;
    QString temp;
    const int fd = createUnique(FolderLock::folderOf(path), &temp);
    if (fd < 0)
        return false;
    int error = 0;
    if (!fitsSpaceLeft(bytes.size()))
        error = ENOSPC;
    else if (::fchmod(fd, mode_t(mode) & 07777) != 0 || !writeWhole(fd, bytes.constData(), bytes.size())
             || !syncData(fd))
        error = errno ? errno : EIO;
    if (error) {
        ::unlink(QFile::encodeName(temp).constData());
        ::close(fd);
        return fail(error);
    }
    // held until it has its name, and that name is on disk
    const bool named = renameNoReplace(temp, path);
    if (!named)
        ::unlink(QFile::encodeName(temp).constData());
    const bool kept = named && keepNewName(path, fd);
    ::close(fd);
    return kept;
}

int FileReplacer::removeLeftovers(const QString &folder)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    const time_t before = ::time(nullptr) - s_leftoverAge;
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (!isTempName(entry->d_name))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // ours, written a while ago, held by nobody, and still the file of
        // that name once held here
        struct stat opened, there;
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid()
            && opened.st_mtime <= before && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(dirFd, entry->d_name, &there, AT_SYMLINK_NOFOLLOW) == 0
            && there.st_dev == opened.st_dev && there.st_ino == opened.st_ino
            && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

bool FileReplacer::syncFolder(const QString &folder)
{
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return fail(errno);
    ++s_syncs;
    // a file system that syncs no folders (EINVAL) has nothing to confirm
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(dir);
    return synced || fail(error);
}

bool FileReplacer::keepNewName(const QString &path, int fd)
{
    if (syncFolder(FolderLock::folderOf(path)))
        return true;
    const int error = t_error;
    const QByteArray name = QFile::encodeName(path);
    struct stat mine, there;
    if (::fstat(fd, &mine) == 0 && ::lstat(name.constData(), &there) == 0 && mine.st_dev == there.st_dev
        && mine.st_ino == there.st_ino)
        ::unlink(name.constData());
    return fail(error);
}
