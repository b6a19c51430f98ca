#ifndef SETTINGSFUZZ_H
#define SETTINGSFUZZ_H

// What the settings fuzz targets share: a settings file written as a copy
// of the program or an editor puts it there, what Config and QSettings
// read of it, and their texts compared.

#include "fuzzfiles.h"
#include "qsettingsread.h"

#include "qpe/boundedfile.h"
#include "qpe/initext.h"
#include "qpe/loadbudget.h"

#include <QDateTime>
#include <QDir>
#include <QMap>

namespace fuzz {

using Settings = QMap<QString, QString>;

inline QString settingsDir()
{
    static const QString dir = root().filePath(QStringLiteral("Settings"));
    QDir().mkpath(dir);
    return dir;
}

// bytes in place of path as a save puts them (a new file renamed there),
// with a time of its own: Config then reads it again whatever the clock's
// grain
inline void replaceFile(const QString &path, const QByteArray &bytes)
{
    static QDateTime t(QDate(2001, 1, 1), QTime(0, 0));
    t = t.addSecs(1);
    const QString temp = path + QStringLiteral(".fuzznew");
    writeFile(temp, bytes);
    QFile f(temp);
    if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(t, QFileDevice::FileModificationTime))
        abort();
    f.close();
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        abort();
}

// Every copy set aside of path goes, so that the next input's finds a free
// name.
inline void removeAsides(const QString &path)
{
    for (int n = 1; QFile::remove(BoundedFile::asideName(path, n)); ++n) {
    }
}

// The settings of bytes as Config reads them (its reader's entries, each
// value as readEntry gives it); false when it would set them aside.
inline bool configRead(const QByteArray &bytes, Settings &out, bool skipSerialised = false)
{
    KeyedMerge::Entries entries;
    LoadBudget budget(bytes.size());
    if (!IniText::read(bytes, entries, budget))
        return false;
    for (const KeyedMerge::Entry &e : entries) {
        // what QSettings makes of a serialised value is left out
        if (skipSerialised && (e.value.contains("@Variant(") || e.value.contains("@DateTime(")))
            continue;
        const QString value = IniText::value(e.value);
        out.insert(IniText::pathOf(e.key), value.isNull() ? QStringLiteral("<none>") : value);
    }
    return true;
}

// The settings of bytes as QSettings reads them.
inline Settings qsettingsRead(const QByteArray &bytes)
{
    Settings out = qsettingsread::read(bytes, settingsDir());
    for (auto it = out.begin(); it != out.end(); ++it) {
        if (it.value().isNull())
            *it = QStringLiteral("<none>");
    }
    return out;
}

// QSettings drops a byte-order mark at the start of a run of text where
// Config keeps it: compared without them.
inline Settings withoutMarks(Settings s)
{
    Settings out;
    for (auto it = s.begin(); it != s.end(); ++it)
        out.insert(QString(it.key()).remove(QChar(0xfeff)), QString(it.value()).remove(QChar(0xfeff)));
    return out;
}

// Whether QSettings reads bytes as Config does (ours and theirs, for the
// finding), serialised values and byte-order marks left out.
inline bool readAsQSettings(const QByteArray &bytes, Settings &ours, Settings &theirs)
{
    Settings all;
    ours.clear();
    configRead(bytes, all);
    configRead(bytes, ours, true);
    // a mark before "@": QSettings, without it, read a type there
    for (auto it = ours.begin(); it != ours.end();)
        it = it.value().contains(QString(QChar(0xfeff)) + QLatin1Char('@')) ? ours.erase(it) : it + 1;
    theirs = qsettingsRead(bytes);
    for (auto it = all.begin(); it != all.end(); ++it) {
        if (!ours.contains(it.key()))
            theirs.remove(it.key());
    }
    ours = withoutMarks(ours);
    theirs = withoutMarks(theirs);
    return ours == theirs;
}

// One setting an input describes.
struct Setting
{
    QString group;
    QString key;
    QString text;
    // written as a list of texts when it holds several
    QStringList list;
};

// The settings an input describes: its bytes as UTF-16 units (any unit, a
// half of a pair or a zero included), fields parted by U+0001 as group,
// key, text, group, ...; a text with U+0002 in it is also a list of the
// texts between them.
inline QVector<Setting> settingsOf(const QByteArray &bytes)
{
    const QString all(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
    const QStringList fields = all.split(QChar(1));
    QVector<Setting> settings;
    for (int i = 0; i + 2 < fields.size(); i += 3)
        settings.append({fields.at(i), fields.at(i + 1), fields.at(i + 2), fields.at(i + 2).split(QChar(2))});
    return settings;
}

inline QByteArray describe(const Settings &s)
{
    QByteArray out;
    for (auto it = s.begin(); it != s.end(); ++it)
        out += it.key().toUtf8() + " = " + it.value().toUtf8() + '\n';
    return out;
}

} // namespace fuzz

#endif
