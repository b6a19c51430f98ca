#ifndef UNSAVEDFILES_H
#define UNSAVEDFILES_H

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The shared files of the home (lists, index, categories, alarm list) whose
// last write did not reach the disk, each with the way to write it again.
// Their owner (SharedFile) registers each once, with its own retry; the
// main window tells the user, retries them on its clock and names what is
// still unsaved when the program ends.
// Used on the GUI thread only.
class UnsavedFiles : public QObject
{
    Q_OBJECT
public:
    static UnsavedFiles *instance();

    // A shared file whose write was refused or failed: key is its path (one
    // entry per file, a later add replaces the earlier), what names it for
    // the user ("the value list \"Type\"", "the alarm list", ...), reason says
    // why (the lock is held by another program, the disk is full, ...), and
    // retry writes it again, true when it is on disk now.
    void add(const QString &key, const QString &what, const QString &reason,
             const std::function<bool()> &retry);
    // The file is on disk now: its entry goes.
    void remove(const QString &key);
    bool isEmpty() const;
    // One line each: "<what>: <reason>".
    QStringList lines() const;
    // Calls every retry once; what is still unsaved stays. Returns how many remain.
    int retryAll();

signals:
    void changed();

private:
    UnsavedFiles() = default;

    struct Entry
    {
        QString key;
        QString what;
        QString reason;
        std::function<bool()> retry;
        // tells an entry apart from one added for the same key later
        quint64 serial = 0;
    };
    int indexOf(const QString &key) const;

    QVector<Entry> m_entries;
    quint64 m_serial = 0;
    bool m_retrying = false;
};

#endif
