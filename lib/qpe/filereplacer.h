#ifndef FILEREPLACER_H
#define FILEREPLACER_H

#include <QString>

class QByteArray;
class QFile;

// The one way the program replaces a file: the new content goes to a
// temporary file of its own, created exclusively and owner-only under a
// short fresh name beside the file (so it fits beside any name the file
// system allows, and no two writers ever share one), then takes the old
// file's mode and owner, reaches the disk and is renamed over the old file
// in one step, and the rename is made durable. A symbolic link is followed
// to the file it names, and the link stays. Nothing but the temporary file
// it created is ever removed. Every failure names a reason.
class FileReplacer
{
public:
    // NotDurable: the new file took the old one's place, but the disk did
    // not confirm the rename (the folder could not be synced).
    enum Failure { NoFailure, NoSpace, ReadOnly, NotAFile, Permission, InUse, OtherFailure, NotDurable };

    // The file a replacement of path replaces: path, or what a link there names.
    static QString replacedFile(const QString &path);
    // Creates the temporary file beside the replaced file and opens it in
    // file for writing. It gets the old file's mode; when there is no old
    // file, newMode (permission bits) or, when negative, what the umask
    // leaves of 0666. A file without any write permission, or in a folder
    // without any, fails as ReadOnly.
    static bool open(QFile &file, const QString &path, int newMode = -1);
    // Ends the write opened by open(): with written, forces the bytes to
    // disk and puts the file in place; otherwise (or when that fails) the
    // temporary file goes. True when the new file is in place and the disk
    // confirmed it; a rename the folder's sync did not confirm is in place
    // all the same, and fails as NotDurable.
    static bool commit(QFile &file, bool written);
    // Forces what was written to file (by open()) to disk ahead of
    // commit(), which then does not do it again; nothing is written after.
    static bool sync(QFile &file);
    // Starts writing size bytes of file from offset from to the disk, and
    // does not wait for it: a large file then goes to disk while it is still
    // being written. Where the system cannot, nothing happens.
    static void startWriteback(QFile &file, qint64 from, qint64 size);
    // The whole of bytes as the new content of the file at exactly path: a
    // link there is not followed, and it or anything else but a regular
    // file at the name fails as NotAFile (the caller sets it aside first).
    static bool write(const QString &path, const QByteArray &bytes);
    // The temporary file an open() of file created.
    static QString newFileName(const QFile &file);
    // The file a commit() of file replaces.
    static QString targetName(const QFile &file);

    // A new file at exactly path holding bytes, with the permission bits
    // mode, on disk before it appears under that name; never in place of
    // anything already there (that fails as InUse). False: nothing was made.
    static bool create(const QString &path, const QByteArray &bytes, int mode);
    // Renames from to to unless something is there already (InUse then).
    // False: from keeps its name.
    static bool renameNoReplace(const QString &from, const QString &to);
    // Makes the names in folder durable (after a rename or a new file there).
    static bool syncFolder(const QString &folder);
    // The new name path of the file open at fd made durable; when the disk
    // does not confirm it the name goes again (while it still names that
    // file) and false says why.
    static bool keepNewName(const QString &path, int fd);
    // All of size bytes written at fd, whatever pieces the system takes;
    // false with errno saying why.
    static bool writeWhole(int fd, const char *data, qint64 size);
    // Whether nobody may write the file or folder at path, whoever the
    // program runs as: the user made it read-only.
    static bool writeProtected(const QString &path);
    // A new, empty, owner-only file of a fresh short name in folder, open
    // for reading and writing and locked (flock) while the descriptor stays
    // open: its descriptor, or -1 (lastFailure() says why). name receives
    // its path.
    static int createUnique(const QString &folder, QString *name);
    // Removes the temporary files of this program's own naming in folder
    // that nobody holds (a copy killed while it saved) and that were last
    // written a while ago; one being written is never touched. How many.
    static int removeLeftovers(const QString &folder);
    // Whether a file of bytes fits where the space is limited for tests.
    static bool fitsSpaceLeft(qint64 bytes);

    // Why the last call of this thread failed.
    static Failure lastFailure();
    // The system's error number behind it, 0 for none.
    static int lastError();
    static QString lastFailureText();
    static QString failureText(Failure failure, int error = 0);
    static Failure failureOf(int error);

    // For tests: new files hold at most this many bytes, more fails as a
    // full disk would; negative is no limit. The environment variable
    // YMR_SPACE_LEFT gives the starting value.
    static void setSpaceLeft(qint64 bytes);
    // For tests: called with the descriptor of each temporary file as it is created.
    static void setCreatedHook(void (*hook)(int fd));
    // For tests: every forcing of a new file's bytes to disk fails with
    // error (an I/O error of the disk); 0 lets them through again.
    static void setSyncFault(int error);
    // For tests: how many times a file or a folder was forced to disk.
    static int syncCount();
    // For tests: how long ago a leftover must have been written last to go
    // (seconds); negative brings back the default.
    static void setLeftoverAge(int seconds);

private:
    static bool fail(int error);
    // open() of the file target, itself (atName) or what a link there names
    static bool openFor(QFile &file, const QString &target, int newMode, bool atName);
};

#endif
