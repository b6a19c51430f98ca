#include "config.h"

#include "boundedfile.h"
#include "filestamp.h"
#include "initext.h"
#include "keyedmerge.h"
#include "qpeglobal.h"
#include "sharedfile.h"
#include "utf8text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {
// Settings take some KB.
const qint64 MaxSettingsSize = 16 * 1024 * 1024;
qint64 s_maxFileSize = MaxSettingsSize;

// A settings file as a shared file: its entries keyed by their paths.
class SettingsKind : public SharedFile::Kind
{
public:
    explicit SettingsKind(const QString &path)
        : m_what(QCoreApplication::translate("Config", "the settings %1").arg(QFileInfo(path).fileName()))
    {
    }
    QString what() const override { return m_what; }
    qint64 maxSize() const override { return s_maxFileSize; }
    bool read(const QByteArray &bytes, KeyedMerge::Entries &entries, LoadBudget &budget) const override
    {
        return IniText::read(bytes, entries, budget);
    }
    QByteArray write(const KeyedMerge::Entries &entries) const override { return IniText::write(entries); }

private:
    QString m_what;
};
} // namespace

// The settings of one file as this process holds them, shared by every
// Config on it: one per path, made on first use and never destroyed (a
// retry of its write may come when no Config is left).
class Config::Store
{
public:
    static Store *at(const QString &path)
    {
        static auto *files = new QHash<QString, Store *>;
        Store *&file = (*files)[path];
        if (!file)
            file = new Store(path);
        return file;
    }

    QString path() const { return m_path; }

    // Reads the file again when another wrote it since the last read or
    // write here; the changes not written yet stay on it.
    void refresh()
    {
        const FileStamp stamp = FileStamp::of(m_path);
        if (m_read && stamp == m_stamp)
            return;
        KeyedMerge::Entries onDisk;
        const SharedFile::Result r = SharedFile::at(m_path)->read(SettingsKind(m_path), onDisk);
        // not read (another copy held the folder and the file did not read
        // without it): looked at again next time
        if (r == SharedFile::Failed)
            return;
        m_read = true;
        if (r == SharedFile::SetAside || (r == SharedFile::Missing && setAsideSinceRead())) {
            // out of the way now, here or by another copy that could not
            // read it: what is held here is all there is, and the next
            // write puts it there. Nothing stood at the name as read: a
            // file another copy writes there meanwhile is read next time.
            m_stamp = FileStamp();
            m_base.clear();
            m_changed = m_changed || !m_entries.isEmpty();
            return;
        }
        // a file removed holds nothing: no setting
        m_stamp = r == SharedFile::Missing ? FileStamp() : stamp;
        setEntries(m_changed ? KeyedMerge::merge(m_base, m_entries, onDisk) : onDisk);
        m_base = onDisk;
    }

    const QByteArray *find(const QByteArray &key) const
    {
        const auto it = m_places.constFind(key);
        return it == m_places.constEnd() ? nullptr : &m_entries.at(*it).value;
    }

    void set(const QByteArray &key, const QByteArray &value)
    {
        const auto it = m_places.constFind(key);
        if (it != m_places.constEnd()) {
            m_entries[*it].value = value;
        } else {
            m_places.insert(key, m_entries.size());
            m_entries.append({key, value});
        }
        m_changed = true;
    }

    // Removes the entry of key, or with under every entry below it.
    bool remove(const QByteArray &key, bool under)
    {
        const QByteArray below = key.isEmpty() ? key : key + '/';
        KeyedMerge::Entries kept;
        for (const KeyedMerge::Entry &e : qAsConst(m_entries)) {
            if (under ? !e.key.startsWith(below) : e.key != key)
                kept.append(e);
        }
        if (kept.size() == m_entries.size())
            return false;
        setEntries(kept);
        m_changed = true;
        return true;
    }

    bool save()
    {
        if (!m_changed)
            return true;
        // the first settings of a home make their folder
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        const KeyedMerge::Entries saved = m_entries;
        Store *self = this;
        const SharedFile::Taken taken = [self, saved](const KeyedMerge::Entries &merged, const QVector<bool> &) {
            self->takeWritten(saved, merged);
        };
        return SharedFile::at(m_path)->save(SharedFile::KindPtr(new SettingsKind(m_path)), m_base, saved, taken)
               == SharedFile::Done;
    }

private:
    explicit Store(const QString &path) : m_path(path) {}

    // Whether the file read here last was set aside since: a copy of it
    // under an aside name that went there after it was made.
    bool setAsideSinceRead() const
    {
        if (!m_stamp.exists)
            return false;
        for (int n = 1; n <= BoundedFile::MaxAsideNames; ++n) {
            const FileStamp aside = FileStamp::of(BoundedFile::asideName(m_path, n));
            if (!aside.exists && !aside.other)
                return false;
            if (aside.changed >= m_stamp.changed)
                return true;
        }
        return false;
    }

    void setEntries(const KeyedMerge::Entries &entries)
    {
        m_entries = entries;
        m_places.clear();
        m_places.reserve(entries.size());
        for (int i = 0; i < entries.size(); ++i)
            m_places.insert(entries.at(i).key, i);
    }

    // A write of saved is on disk as merged: the new base. Changes made
    // here since (a write that waited for its retry) stay changes on it.
    void takeWritten(const KeyedMerge::Entries &saved, const KeyedMerge::Entries &merged)
    {
        m_changed = m_entries != saved;
        setEntries(m_changed ? KeyedMerge::merge(saved, m_entries, merged) : merged);
        m_base = merged;
        m_stamp = FileStamp::of(m_path);
        m_read = true;
    }

    QString m_path;
    // the file as last read or written here: what the merge compares with
    KeyedMerge::Entries m_base;
    KeyedMerge::Entries m_entries;
    QHash<QByteArray, int> m_places;
    FileStamp m_stamp;
    bool m_read = false;
    // m_entries hold changes not written yet
    bool m_changed = false;
};

QString Config::configFileName(const QString &name, Domain domain)
{
    if (domain == File)
        return name;
    return Qpe::settingsDir() + QLatin1Char('/') + name + QStringLiteral(".conf");
}

void Config::setMaxFileSize(qint64 size)
{
    s_maxFileSize = size > 0 ? size : MaxSettingsSize;
}

Config::Config(const QString &name, Domain domain) : m_store(Store::at(configFileName(name, domain)))
{
    m_store->refresh();
}

Config::~Config()
{
    if (m_changed)
        write();
}

QString Config::fileName() const
{
    return m_store->path();
}

QByteArray Config::entryKey(const QString &key) const
{
    return IniText::keyOf(IniText::normalizedPath(m_group.isEmpty() ? key : m_group + QLatin1Char('/') + key));
}

void Config::setGroup(const QString &group)
{
    m_group = group;
}

bool Config::hasKey(const QString &key) const
{
    return m_store->find(entryKey(key));
}

QString Config::readEntry(const QString &key, const QString &deflt) const
{
    const QByteArray *text = m_store->find(entryKey(key));
    if (!text)
        return deflt;
    const QString value = IniText::value(*text);
    // "@Invalid()" holds no value
    return value.isNull() ? deflt : value;
}

int Config::readNumEntry(const QString &key, int deflt) const
{
    const QString s = readEntry(key);
    if (s.isNull())
        return deflt;
    bool ok = false;
    const int n = s.trimmed().toInt(&ok);
    return ok ? n : deflt;
}

bool Config::readBoolEntry(const QString &key, bool deflt) const
{
    const QString s = readEntry(key);
    if (s.isNull())
        return deflt;
    const QString t = s.trimmed().toLower();
    if (t == QLatin1String("true"))
        return true;
    if (t == QLatin1String("false"))
        return false;
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok ? n != 0 : deflt;
}

QStringList Config::readListEntry(const QString &key, QChar sep) const
{
    const QString s = readEntry(key);
    if (s.isEmpty())
        return QStringList();
    return s.split(sep, Qt::SkipEmptyParts);
}

void Config::writeEntry(const QString &key, const QString &value)
{
    const QByteArray k = entryKey(key);
    // no key: nothing any reader could find
    if (k.isEmpty())
        return;
    // an unchanged value leaves the file alone
    const QByteArray *text = m_store->find(k);
    if (text) {
        const QString now = IniText::value(*text);
        if (!now.isNull() && now == value)
            return;
    }
    // never a null text: it would read back as missing
    m_store->set(k, IniText::valueText(value.isNull() ? QLatin1String("") : value));
    m_changed = true;
}

void Config::writeEntry(const QString &key, const char *value)
{
    writeEntry(key, value ? Utf8Text::decode(value, int(qstrlen(value))) : QLatin1String(""));
}

void Config::writeEntry(const QString &key, int value)
{
    writeEntry(key, QString::number(value));
}

void Config::writeEntry(const QString &key, bool value)
{
    writeEntry(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void Config::writeEntry(const QString &key, const QStringList &list, QChar sep)
{
    writeEntry(key, list.join(sep));
}

void Config::removeEntry(const QString &key)
{
    if (m_store->remove(entryKey(key), false))
        m_changed = true;
}

void Config::clearGroup()
{
    const QString group = IniText::normalizedPath(m_group);
    if (m_store->remove(group.isEmpty() ? QByteArray() : IniText::keyOf(group), true))
        m_changed = true;
}

bool Config::write()
{
    m_changed = false;
    return m_store->save();
}
