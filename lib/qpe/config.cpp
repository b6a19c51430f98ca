#include "config.h"
#include "boundedfile.h"
#include "qpeglobal.h"

#include <QFile>
#include <QSettings>

#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Settings take some KB; QSettings reads the whole file at once.
const qint64 MaxSettingsSize = 16 * 1024 * 1024;
qint64 s_maxFileSize = MaxSettingsSize;

// A FIFO would block QSettings' read, a huge file exhaust it.
void setAsideUnreadable(const QString &file)
{
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return;
    if (!S_ISREG(st.st_mode) || st.st_size > s_maxFileSize)
        BoundedFile::setAside(file);
}

// QSettings guards its file with "<file>.lock" and waits up to 30 seconds
// for a lock whose owner it cannot read. A lock that no living process
// holds (left by a crash, possibly empty) is removed before a write, so a
// write never waits on a dead process.
void removeDeadLock(const QString &settingsFile)
{
    const QByteArray lock = QFile::encodeName(settingsFile + QStringLiteral(".lock"));
    const int fd = ::open(lock.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    // a live owner keeps a lock on the file's descriptor
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    char text[64] = {};
    const ssize_t got = held ? 0 : ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (held)
        return;
    const long pid = got > 0 ? strtol(text, nullptr, 10) : 0;
    const bool alive = pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
    if (!alive)
        ::unlink(lock.constData());
}
}

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

Config::Config(const QString &name, Domain domain)
{
    const QString file = configFileName(name, domain);
    setAsideUnreadable(file);
    m_settings.reset(new QSettings(file, QSettings::IniFormat));
    m_settings->setIniCodec("UTF-8");
}

Config::~Config()
{
    if (m_changed)
        write();
}

QString Config::fileName() const
{
    return m_settings->fileName();
}

QString Config::path(const QString &key) const
{
    if (m_group.isEmpty())
        return key;
    return m_group + QLatin1Char('/') + key;
}

void Config::setGroup(const QString &group)
{
    m_group = group;
}

bool Config::hasKey(const QString &key) const
{
    return m_settings->contains(path(key));
}

QString Config::readEntry(const QString &key, const QString &deflt) const
{
    const QVariant v = m_settings->value(path(key));
    if (!v.isValid())
        return deflt;
    // QSettings hands a comma-containing unquoted value back as a list
    if (v.type() == QVariant::StringList)
        return v.toStringList().join(QLatin1Char(','));
    // a text kept as its UTF-8 bytes (see writeEntry), a zero byte included
    if (v.type() == QVariant::ByteArray) {
        const QByteArray bytes = v.toByteArray();
        return QString::fromUtf8(bytes.constData(), bytes.size());
    }
    QString s = v.toString();
    if (s.isNull())
        s = QLatin1String("");
    return s;
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
    // an unchanged value leaves the file alone
    const QString k = path(key);
    if (m_settings->contains(k) && readEntry(key) == value)
        return;
    // never store a null QString: it would read back as missing
    if (value.isNull()) {
        m_settings->setValue(k, QLatin1String(""));
    } else if (std::any_of(value.begin(), value.end(), [](QChar c) { return c.isSurrogate(); })) {
        // the settings file is written one UTF-16 unit at a time, which loses
        // a character beyond them (a pair of units); such a text is kept as
        // its UTF-8 bytes, which readEntry() turns back into the text
        m_settings->setValue(k, value.toUtf8());
    } else {
        m_settings->setValue(k, value);
    }
    m_changed = true;
}

void Config::writeEntry(const QString &key, const char *value)
{
    writeEntry(key, QString::fromUtf8(value ? value : ""));
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
    m_settings->remove(path(key));
    m_changed = true;
}

void Config::clearGroup()
{
    m_settings->beginGroup(m_group);
    m_settings->remove(QString());
    m_settings->endGroup();
    m_changed = true;
}

void Config::write()
{
    removeDeadLock(m_settings->fileName());
    m_settings->sync();
    m_changed = false;
}
