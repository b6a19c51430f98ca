#ifndef SHAREDWRITE_H
#define SHAREDWRITE_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Telling the user of a write of a file this home shares with other copies
// of the program (a value or format list, the templates) that did not
// reach the disk. What was meant to be written is kept and retried by the
// file's owner (SharedFile, through UnsavedFiles), not here.
class SharedWrite
{
    Q_DECLARE_TR_FUNCTIONS(SharedWrite)
public:
    // A message, once the dialog that wrote has gone: what could not be
    // written, why, and that it is kept. Nothing while the session ends.
    static void tell(const QString &what, const QString &reason);
    // The same for the shared file at path, as its owner names it.
    static void tellUnsaved(const QString &path);

    // A list as an editor leaves it (list), given the one it started from
    // (base, from YMRPIM::loadList()); the user is told when it is not
    // written.
    static bool saveList(const QString &name, const QString &what, const QStringList &list,
                         const QStringList &base);
};

#endif
