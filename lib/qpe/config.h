#ifndef CONFIG_H
#define CONFIG_H

#include <QString>
#include <QStringList>

// Per-user settings file <root>/Settings/<name>.conf, kept per group and key.
// A present empty value reads back empty; the default applies only to a
// missing key. Changes reach the file at destruction or on write().
//
// The file is shared (SharedFile): every copy of the program on a home,
// and every Config on it in this process, writes it. A Config reads it when
// made (again only when another wrote it since); a write merges this
// process's changes onto the file as it is then, under the folder's lock,
// so what another copy wrote meanwhile stays (where both changed one key,
// the later write holds). A write refused or failed (the folder held, a
// full disk) is named in UnsavedFiles and retried, the change kept here
// meanwhile. A file that does not read whole (no settings text, a value
// cut short, too large, a FIFO, a link) is set aside and the settings
// start from their defaults. Where this copy or another set the file aside
// after this one read it, the settings held here stay, and the next write
// puts them all there; a file removed holds none. The text is INI as
// QSettings wrote it (IniText). GUI thread only.
class Config
{
public:
    enum Domain { File, User };

    explicit Config(const QString &name, Domain domain = User);
    ~Config();

    Config(const Config &) = delete;
    Config &operator=(const Config &) = delete;

    void setGroup(const QString &group);
    QString group() const { return m_group; }
    bool hasKey(const QString &key) const;

    QString readEntry(const QString &key, const QString &deflt = QString()) const;
    int readNumEntry(const QString &key, int deflt = -1) const;
    bool readBoolEntry(const QString &key, bool deflt = false) const;
    QStringList readListEntry(const QString &key, QChar sep) const;

    void writeEntry(const QString &key, const QString &value);
    void writeEntry(const QString &key, const char *value);
    void writeEntry(const QString &key, int value);
    void writeEntry(const QString &key, bool value);
    void writeEntry(const QString &key, const QStringList &list, QChar sep);

    void removeEntry(const QString &key);
    void clearGroup();
    // Writes this process's changes of the file now; false when they are
    // not on disk (kept and retried, see above).
    bool write();

    QString fileName() const;

    // The file a Config of this name and domain uses.
    static QString configFileName(const QString &name, Domain domain = User);
    // The largest settings file read; a larger one, or one that is no
    // regular file, is set aside and the settings start from their
    // defaults. For tests, 0 brings back the default.
    static void setMaxFileSize(qint64 size);

private:
    class Store;
    // The key of the store's entry for key in the current group.
    QByteArray entryKey(const QString &key) const;

    Store *m_store;
    QString m_group;
    bool m_changed = false;
};

#endif
