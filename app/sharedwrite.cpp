#include "sharedwrite.h"

#include "pim/ymrpim.h"
#include "qpe/filereplacer.h"
#include "qpe/keyedmerge.h"
#include "qpe/qpeapplication.h"
#include "qpe/unsavedfiles.h"
#include "qt/ymrdialog.h"

#include <QHash>
#include <QTimer>

namespace {
struct PendingList
{
    QStringList list;
    QStringList base;
};

// The lists whose last save failed, by name: an editor opened meanwhile
// starts from what the user last saw, so a second failure keeps both changes
QHash<QString, PendingList> &pendingLists()
{
    static QHash<QString, PendingList> lists;
    return lists;
}

bool writePending(const QString &name)
{
    auto it = pendingLists().find(name);
    if (it == pendingLists().end())
        return true;
    const PendingList pending = it.value();
    if (!YMRPIM::saveList(name, pending.list, pending.base))
        return false;
    pendingLists().remove(name);
    return true;
}
} // namespace

QString SharedWrite::failureText()
{
    // a write refused before any file was opened: the folder's lock
    if (FileReplacer::lastFailure() == FileReplacer::NoFailure)
        return tr("another copy of the program does not let go of the folder");
    return FileReplacer::lastFailureText();
}

QString SharedWrite::listWhat(const QString &label)
{
    return tr("the list \"%1\"").arg(label);
}

bool SharedWrite::write(const QString &key, const QString &what, const std::function<bool()> &write)
{
    return keep(write(), key, what, write);
}

bool SharedWrite::keep(bool written, const QString &key, const QString &what,
                       const std::function<bool()> &retry)
{
    if (written) {
        UnsavedFiles::instance()->remove(key);
        return true;
    }
    const QString reason = failureText();
    UnsavedFiles::instance()->add(key, what, reason, retry);
    tell(what, reason);
    return false;
}

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

bool SharedWrite::saveList(const QString &name, const QString &what, const QStringList &list,
                           const QStringList &base)
{
    pendingLists().insert(name, {list, base});
    return write(YMRPIM::userListPath(name), what, [name] { return writePending(name); });
}

QStringList SharedWrite::loadList(const QString &name, QStringList *base)
{
    const QStringList list = YMRPIM::loadList(name);
    const auto it = pendingLists().constFind(name);
    if (it != pendingLists().constEnd()) {
        // what a save would make of the file as it is now: the same once
        // a retry (this one's or the list owner's) has written it
        if (base)
            *base = it->base;
        QStringList merged;
        const KeyedMerge::Entries entries = KeyedMerge::merge(
            KeyedMerge::keysOnly(it->base), KeyedMerge::keysOnly(it->list), KeyedMerge::keysOnly(list));
        for (const KeyedMerge::Entry &e : entries)
            merged << QString::fromUtf8(e.key);
        return merged;
    }
    if (base)
        *base = list;
    return list;
}
