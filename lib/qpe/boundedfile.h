#ifndef BOUNDEDFILE_H
#define BOUNDEDFILE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>

class QFile;

// Reading files that may be damaged or planted: only regular files (a FIFO
// would block the open, a device never ends), and only up to a size that
// the reader of that kind of file sets.
class BoundedFile
{
public:
    enum Result { Ok, Missing, NotRegular, TooLarge, Unreadable };
    // NoLinks: a symbolic link at the name is no regular file (NotRegular),
    // for a file whose owner never reads nor writes through one.
    enum Links { FollowLinks, NoLinks };

    // Opens path for reading when it is a regular file of at most maxSize
    // bytes (the QFile then has no file name: it is opened by descriptor).
    // The type is checked on the opened descriptor, so nothing can take the
    // file's place between the look and the open.
    static Result open(QFile &file, const QString &path, qint64 maxSize,
                       QIODevice::OpenMode extra = QIODevice::NotOpen, Links links = FollowLinks);
    static Result readAll(const QString &path, qint64 maxSize, QByteArray &bytes,
                          Links links = FollowLinks);

    // A start-up file that cannot be read goes out of the way as
    // "<path>.damaged", or under the next free numbered name when one was
    // set aside before (an earlier copy is never written over), so that the
    // program starts with its defaults; the notifier tells the user. A
    // folder is left where it is (false) unless folderToo. why, when given,
    // receives the reason it could not be set aside.
    static bool setAside(const QString &path, bool folderToo = false, QString *why = nullptr);
    // The n-th name (from 1) for what is kept of path: "<path>.damaged",
    // then "<path>.damaged.2", ...
    static QString asideName(const QString &path, int n = 1);
    // The most names tried before giving up.
    enum { MaxAsideNames = 999 };
    using Notifier = std::function<void(const QString &path, const QString &aside)>;
    static void setNotifier(const Notifier &notifier);
};

#endif
