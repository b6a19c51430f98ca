// Settings files QSettings wrote (the earlier versions' settings): Config
// reads every key of them as QSettings reads it, and where QSettings loses
// a byte-order mark it wrote, Config keeps it.
#include "settingsfuzz.h"

#include "qpe/config.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::useRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // a new name each time: QSettings keeps what it wrote of a file
    static int serial = 0;
    const QString written = fuzz::settingsDir() + QStringLiteral("/written%1.conf").arg(++serial);
    const QVector<fuzz::Setting> settings = fuzz::settingsOf(fuzz::bytesOf(data, size));
    {
        QSettings qs(written, QSettings::IniFormat);
        qs.setIniCodec("UTF-8");
        for (const fuzz::Setting &s : settings) {
            const QString at = IniText::normalizedPath(s.group + QLatin1Char('/') + s.key);
            if (at.isEmpty())
                continue;
            if (s.list.size() > 1)
                qs.setValue(at, s.list);
            else
                qs.setValue(at, s.text);
        }
    }
    const QByteArray bytes = fuzz::readFile(written);
    QFile::remove(written);
    fuzz::Settings ours, theirs;
    if (!fuzz::readAsQSettings(bytes, ours, theirs))
        fuzz::finding("Config reads a file QSettings wrote otherwise", fuzz::describe(ours), fuzz::describe(theirs));
    // Config itself, on the file as another copy left it (an empty one is
    // set aside, as damage)
    if (bytes.isEmpty())
        return 0;
    static const QString path = fuzz::settingsDir() + QStringLiteral("/fromqsettings.conf");
    fuzz::replaceFile(path, bytes);
    fuzz::Settings read;
    if (!fuzz::configRead(bytes, read))
        fuzz::finding("a file QSettings wrote does not read whole", bytes);
    Config config(path, Config::File);
    // what was written last under each key
    fuzz::Settings values;
    for (const fuzz::Setting &s : settings)
        values.insert(IniText::normalizedPath(s.group + QLatin1Char('/') + s.key),
                      s.list.size() > 1 ? s.list.join(QLatin1Char(',')) : s.text);
    for (auto it = read.begin(); it != read.end(); ++it) {
        if (config.readEntry(it.key(), QStringLiteral("<none>")) != it.value())
            fuzz::finding("Config reads a key otherwise than its reader", it.key().toUtf8(), bytes);
        const QString value = values.value(it.key());
        if (value.contains(QChar(0xfeff)) && it.value() != value
            && QString(value).remove(QChar(0xfeff)) == QString(theirs.value(it.key())).remove(QChar(0xfeff)))
            fuzz::finding("a byte-order mark QSettings wrote was lost", value.toUtf8(), it.value().toUtf8());
    }
    return 0;
}
