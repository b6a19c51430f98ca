#include "filestamp.h"

#include <QFile>

#include <sys/stat.h>

namespace {
FileStamp stampOfStat(const struct stat &st)
{
    FileStamp stamp;
    if (!S_ISREG(st.st_mode)) {
        stamp.other = true;
        return stamp;
    }
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changed = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.mode = st.st_mode & 07777;
    return stamp;
}
} // namespace

FileStamp FileStamp::of(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? stampOfStat(st) : FileStamp();
}

FileStamp FileStamp::of(int fd)
{
    struct stat st;
    return fd >= 0 && ::fstat(fd, &st) == 0 ? stampOfStat(st) : FileStamp();
}

bool FileStamp::sameButChangeTime(const FileStamp &o) const
{
    return exists == o.exists && other == o.other && device == o.device && inode == o.inode
           && size == o.size && modified == o.modified;
}
