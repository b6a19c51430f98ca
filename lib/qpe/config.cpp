#include "config.h"
#include "qpeglobal.h"

#include <QSettings>

QString Config::configFileName(const QString &name, Domain domain)
{
    if (domain == File)
        return name;
    return Qpe::settingsDir() + QLatin1Char('/') + name + QStringLiteral(".conf");
}

Config::Config(const QString &name, Domain domain)
    : m_settings(new QSettings(configFileName(name, domain), QSettings::IniFormat))
{
    m_settings->setIniCodec("UTF-8");
}

Config::~Config()
{
    if (m_changed)
        m_settings->sync();
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
    // never store a null QString: it would read back as missing
    m_settings->setValue(path(key), value.isNull() ? QLatin1String("") : value);
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
    m_settings->sync();
    m_changed = false;
}
