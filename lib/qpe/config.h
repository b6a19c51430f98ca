#ifndef CONFIG_H
#define CONFIG_H

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

// Per-user settings file <root>/Settings/<name>.conf, kept per group and key.
// A present empty value reads back empty; the default applies only to a
// missing key. Changes reach the file at destruction or on write().
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
    void write();

    QString fileName() const;

    // The file a Config of this name and domain uses.
    static QString configFileName(const QString &name, Domain domain = User);
    // The largest settings file read; a larger one, or one that is no
    // regular file, is set aside and the settings start from their
    // defaults. For tests, 0 brings back the default.
    static void setMaxFileSize(qint64 size);

private:
    QString path(const QString &key) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_group;
    bool m_changed = false;
};

#endif
