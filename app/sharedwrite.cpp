#include "sharedwrite.h"

#include "pim/ymrpim.h"
#include "qpe/qpeapplication.h"
#include "qpe/sharedfile.h"
#include "qt/ymrdialog.h"

#include <QTimer>

void SharedWrite::tell(const QString &what, const QString &reason)
{
    if (QPEApplication::isEndingSession())
        return;
    // after the dialog that wrote it has gone (many write as they close)
    QTimer::singleShot(0, [what, reason] {
        YMRDialog::critical(YMRPIM::applicationName(),
                            tr("Could not write %1: %2.\n"
                               "What was entered is kept and written once that is possible.")
                                .arg(what, reason));
    });
}

void SharedWrite::tellUnsaved(const QString &path)
{
    const SharedFile *file = SharedFile::at(path);
    if (file->isUnsaved())
        tell(file->what(), file->failure());
}

bool SharedWrite::saveList(const QString &name, const QString &what, const QStringList &list,
                           const QStringList &base)
{
    if (YMRPIM::saveList(name, list, base, nullptr, what))
        return true;
    tellUnsaved(YMRPIM::userListPath(name));
    return false;
}
