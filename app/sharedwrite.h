#ifndef SHAREDWRITE_H
#define SHAREDWRITE_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>

// A write of a file this home shares with other copies of the program (a
// value or format list, the templates), made by a dialog: when it does not
// reach the disk the user is told at once, what was meant to be written is
// kept, and it is tried again with the other unsaved files (UnsavedFiles)
// until it is on disk or the program ends.
class SharedWrite
{
    Q_DECLARE_TR_FUNCTIONS(SharedWrite)
public:
    // Writes now; on failure registers write for the retry under key and,
    // unless the session is ending, shows a message naming what and why.
    static bool write(const QString &key, const QString &what, const std::function<bool()> &write);
    // The same for a write already made (written), retry making it again.
    static bool keep(bool written, const QString &key, const QString &what,
                     const std::function<bool()> &retry);
    // A message, once the dialog that wrote has gone: what could not be
    // written, why, and that it is kept.
    static void tell(const QString &what, const QString &reason);

    // A list as an editor leaves it (list), given the one it started from
    // (base). A list not yet written stays as meant: loadList() gives it
    // to the next editor and drop-down until it is on disk.
    static bool saveList(const QString &name, const QString &what, const QStringList &list,
                         const QStringList &base);
    // The list as the last editor left it; base receives what a save of
    // it merges against.
    static QStringList loadList(const QString &name, QStringList *base = nullptr);

    // Why the last write of this thread failed.
    static QString failureText();
    // "the value list "Type"" and the like.
    static QString listWhat(const QString &label);
};

#endif
