#ifndef FILESTAMP_H
#define FILESTAMP_H

#include <QString>

#include <sys/types.h>

// What identifies the content of a file on disk: compared with the one of
// the last read or write here, it tells whether another program changed,
// replaced or removed the file since. The change time is part of it: an
// edit in place that puts the old modification time back (cp -p, rsync -t
// --inplace) still moves that one.
struct FileStamp
{
    // a regular file is there; anything else is left for its reader or
    // writer to refuse as such
    bool exists = false;
    // something that is no regular file stands there (a FIFO, a folder)
    bool other = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    // nanoseconds since the epoch
    qint64 modified = 0;
    qint64 changed = 0;
    mode_t mode = 0;

    static FileStamp of(const QString &path);
    static FileStamp of(int fd);
    bool operator==(const FileStamp &o) const { return sameButChangeTime(o) && changed == o.changed; }
    bool operator!=(const FileStamp &o) const { return !(*this == o); }
    bool sameButChangeTime(const FileStamp &o) const;
};

#endif
