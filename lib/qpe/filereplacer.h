#ifndef FILEREPLACER_H
#define FILEREPLACER_H

#include <QString>

class QByteArray;
class QFile;

// The one way the program replaces a file: the new content goes to
// "<file>.new", created exclusively and owner-only, then takes the old
// file's mode and owner, reaches the disk and is renamed over the old file
// in one step, and the rename is made durable. A symbolic link is followed
// to the file it names, and the link stays. Every failure names a reason.
class FileReplacer
{
public:
    enum Failure { NoFailure, NoSpace, ReadOnly, NotAFile, Permission, InUse, OtherFailure };

    // The file a replacement of path replaces: path, or what a link there names.
    static QString replacedFile(const QString &path);
    // Creates "<replaced file>.new" and opens it in file for writing. A
    // stale ".new" is removed first only with removeStale; otherwise one
    // that is there fails as InUse. A file without any write permission,
    // or in a folder without any, fails as ReadOnly.
    static bool open(QFile &file, const QString &path, bool removeStale = true);
    // Ends the write opened by open(): with written, forces the bytes to
    // disk and puts the file in place; otherwise (or when that fails) the
    // ".new" goes. True when the new file is in place.
    static bool commit(QFile &file, bool written);
    // The whole of bytes as the new content of path.
    static bool write(const QString &path, const QByteArray &bytes);
    // The ".new" an open() of file created.
    static QString newFileName(const QFile &file);

    // Why the last open(), commit() or write() of this thread failed.
    static Failure lastFailure();
    static QString lastFailureText();
    static QString failureText(Failure failure, int error = 0);
    static Failure failureOf(int error);

    // For tests: new files hold at most this many bytes, more fails as a
    // full disk would; negative is no limit. The environment variable
    // YMR_SPACE_LEFT gives the starting value.
    static void setSpaceLeft(qint64 bytes);
    // For tests: called with the descriptor of each ".new" as it is created.
    static void setCreatedHook(void (*hook)(int fd));

private:
    static bool fail(int error);
};

#endif
