// Whatever text a setting holds under whatever group and key (a zero, a
// byte-order mark, a half of a UTF-16 pair, line breaks, quotes, "@",
// ";"), Config gives it back as it was written: at once, from the file it
// wrote, and QSettings reads the same from that file.
#include "settingsfuzz.h"

#include "qpe/config.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::useRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzz::settingsDir() + QStringLiteral("/values.conf");
    QFile::remove(path);
    fuzz::removeAsides(path);
    fuzz::Settings written;
    {
        Config config(path, Config::File);
        for (const fuzz::Setting &s : fuzz::settingsOf(fuzz::bytesOf(data, size))) {
            config.setGroup(s.group);
            config.writeEntry(s.key, s.text);
            const QString at = IniText::normalizedPath(s.group + QLatin1Char('/') + s.key);
            if (at.isEmpty())
                continue;
            written.insert(at, s.text);
            if (config.readEntry(s.key, QStringLiteral("<none>")) != s.text)
                fuzz::finding("a value reads back otherwise at once", at.toUtf8(), s.text.toUtf8());
        }
        if (!config.write())
            fuzz::finding("the settings were not written");
    }
    const QByteArray bytes = fuzz::readFile(path);
    fuzz::Settings read;
    if (!fuzz::configRead(bytes, read) || read != written)
        fuzz::finding("the settings written read back otherwise", fuzz::describe(written), fuzz::describe(read));
    // read again from the file by Config itself (nothing written, no file)
    if (bytes.isEmpty())
        return 0;
    fuzz::replaceFile(path, bytes);
    {
        Config config(path, Config::File);
        for (auto it = written.begin(); it != written.end(); ++it) {
            if (config.readEntry(it.key(), QStringLiteral("<none>")) != it.value())
                fuzz::finding("Config reads a value it wrote otherwise", it.key().toUtf8(), bytes);
        }
    }
    const fuzz::Settings theirs = fuzz::qsettingsRead(bytes);
    if (theirs != written)
        fuzz::finding("QSettings reads the settings written otherwise", fuzz::describe(written),
                      fuzz::describe(theirs));
    return 0;
}
