#ifndef SETTINGSFUZZ_H
#define SETTINGSFUZZ_H

// What the settings fuzz targets share: a settings file put there as a copy
// of the program or an editor puts it, what Config, its reader and
// QSettings read of it, and their texts compared.

#include "fuzzfiles.h"
#include "qsettingsread.h"

#include "qpe/boundedfile.h"
#include "qpe/config.h"
#include "qpe/initext.h"
#include "qpe/loadbudget.h"

#include <QDateTime>
#include <QMap>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::useRoot();
    return 0;
}

namespace fuzz {

// Every key and its text; "<none>" for a key without one.
using Settings = QMap<QString, QString>;
const QString None = QStringLiteral("<none>");

// bytes in place of path as a save puts them (a new file renamed there),
// with a time of its own: Config then reads it again whatever the clock's
// grain. Every copy set aside of path goes first, so that the next input's
// finds a free name.
inline void replaceFile(const QString &path, const QByteArray &bytes)
{
    for (int n = 1; QFile::remove(BoundedFile::asideName(path, n)); ++n) {
    }
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

// The settings of bytes as Config's reader takes them; false when Config
// would set them aside. What QSettings makes of a serialised value is left
// out when told.
inline bool configRead(const QByteArray &bytes, Settings &out, bool skipSerialised = false)
{
    KeyedMerge::Entries entries;
    LoadBudget budget(bytes.size());
    if (!IniText::read(bytes, entries, budget))
        return false;
    for (const KeyedMerge::Entry &e : entries) {
        if (skipSerialised && (e.value.contains("@Variant(") || e.value.contains("@DateTime(")))
            continue;
        const QString value = IniText::value(e.value);
        out.insert(IniText::pathOf(e.key), value.isNull() ? None : value);
    }
    return true;
}

// The settings of bytes as QSettings reads them.
inline Settings qsettingsRead(const QByteArray &bytes)
{
    return qsettingsread::read(bytes, root().path(), None);
}

inline QByteArray describe(const Settings &s)
{
    QByteArray out;
    for (auto it = s.begin(); it != s.end(); ++it)
        out += it.key().toUtf8() + " = " + it.value().toUtf8() + '\n';
    return out;
}

// QSettings reads bytes as Config does, serialised values and byte-order
// marks left out (QSettings drops one at the start of a run of text, Config
// keeps it); theirs, what it read so.
inline void expectReadAsQSettings(const QByteArray &bytes, const char *what, Settings *theirs = nullptr)
{
    Settings all, ours;
    configRead(bytes, all);
    configRead(bytes, ours, true);
    Settings qs = qsettingsRead(bytes);
    const QString markedType = QString(QChar(0xfeff)) + QLatin1Char('@');
    const auto withoutMarks = [](const Settings &s) {
        Settings out;
        for (auto it = s.begin(); it != s.end(); ++it)
            out.insert(QString(it.key()).remove(QChar(0xfeff)), QString(it.value()).remove(QChar(0xfeff)));
        return out;
    };
    for (auto it = all.begin(); it != all.end(); ++it) {
        // a mark before "@": QSettings, without it, read a type there
        if (!ours.contains(it.key()) || it.value().contains(markedType)) {
            ours.remove(it.key());
            qs.remove(it.key());
        }
    }
    ours = withoutMarks(ours);
    qs = withoutMarks(qs);
    if (theirs)
        *theirs = qs;
    if (ours != qs)
        finding(what, describe(ours), describe(qs));
}

// Config gives every key of expected its text.
inline void expectConfigReads(const Config &config, const Settings &expected, const QByteArray &bytes)
{
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (!config.hasKey(it.key()) || config.readEntry(it.key(), None) != it.value())
            finding("Config reads a key otherwise than its reader", it.key().toUtf8(), bytes);
    }
}

} // namespace fuzz

#endif
