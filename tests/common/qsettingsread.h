#ifndef QSETTINGSREAD_H
#define QSETTINGSREAD_H

// QSettings as the reference reader of settings files: what the earlier
// versions, which read them with it, found in them.

#include "qpe/utf8text.h"

#include <QFile>
#include <QMap>
#include <QSettings>
#include <QStringList>

namespace qsettingsread {

// What Config reads of a value QSettings holds: a list joined by ",", bytes
// as UTF-8 text; a null text when it holds none, an empty one when it holds
// something other than text.
inline QString textOf(const QVariant &v)
{
    if (v.type() == QVariant::StringList || v.type() == QVariant::List) {
        QStringList texts;
        for (const QVariant &e : v.toList()) {
            if (e.type() != QVariant::String && e.type() != QVariant::ByteArray)
                return QLatin1String("");
            texts << textOf(e);
        }
        return texts.join(QLatin1Char(','));
    }
    if (v.type() == QVariant::ByteArray)
        return Utf8Text::decode(v.toByteArray());
    if (v.type() != QVariant::String)
        return v.isValid() ? QLatin1String("") : QString();
    return v.toString().isNull() ? QLatin1String("") : v.toString();
}

// Every key of a file's bytes as QSettings reads them, with its text (none
// where it holds none). Read afresh, under a name of folder it never saw
// (it keeps what it read of a file); a key listed with an empty level,
// looked up as another and never found, is left out.
inline QMap<QString, QString> read(const QByteArray &bytes, const QString &folder, const QString &none = QString())
{
    static int serial = 0;
    const QString path = folder + QStringLiteral("/fresh%1.ini").arg(++serial);
    QMap<QString, QString> keys;
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return keys;
    }
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        for (const QString &key : settings.allKeys()) {
            if (key.isEmpty() || key.startsWith(QLatin1Char('/')) || key.endsWith(QLatin1Char('/'))
                || key.contains(QLatin1String("//")))
                continue;
            const QString text = textOf(settings.value(key));
            keys.insert(key, text.isNull() ? none : text);
        }
    }
    QFile::remove(path);
    return keys;
}

} // namespace qsettingsread

#endif
