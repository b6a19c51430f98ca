// A settings file is text anyone can edit. Whatever it holds, Config reads
// it as QSettings reads it, or sets it aside whole; and a rewrite keeps
// every key, as Config and QSettings read it, and is the same again when
// rewritten.
#include "settingsfuzz.h"

#include "qpe/config.h"

namespace {

const QString ProbeGroup = QStringLiteral("fuzz probe");
const QString ProbeKey = QStringLiteral("fuzz probe/k");

// Config writes the file anew: a key more, then without it.
QByteArray rewrite(Config &config)
{
    config.setGroup(ProbeGroup);
    config.writeEntry(QStringLiteral("k"), QStringLiteral("1"));
    if (!config.write())
        fuzz::finding("a write failed");
    config.removeEntry(QStringLiteral("k"));
    if (!config.write())
        fuzz::finding("a write failed");
    return fuzz::readFile(config.fileName());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::useRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzz::settingsDir() + QStringLiteral("/fuzz.conf");
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::removeAsides(path);
    fuzz::replaceFile(path, bytes);
    fuzz::Settings read;
    const bool whole = size > 0 && fuzz::configRead(bytes, read);
    if (read.contains(ProbeKey))
        return 0;
    Config config(path, Config::File);
    if (!whole) {
        if (fuzz::readFile(BoundedFile::asideName(path)) != bytes)
            fuzz::finding("a settings file that does not read whole was not set aside whole", bytes);
        // the settings held go back where they were
        config.write();
        return 0;
    }
    for (auto it = read.begin(); it != read.end(); ++it) {
        const QString value = it.value() == QLatin1String("<none>") ? QString() : it.value();
        if (!config.hasKey(it.key()) || config.readEntry(it.key(), QStringLiteral("<none>")) != it.value())
            fuzz::finding("Config reads a key otherwise than its reader", it.key().toUtf8(), value.toUtf8());
    }
    fuzz::Settings ours, theirs;
    if (!fuzz::readAsQSettings(bytes, ours, theirs))
        fuzz::finding("Config reads the file otherwise than QSettings", fuzz::describe(ours), fuzz::describe(theirs));

    const QByteArray written = rewrite(config);
    fuzz::Settings again;
    if (!fuzz::configRead(written, again))
        fuzz::finding("the rewrite does not read", bytes, written);
    if (again != read)
        fuzz::finding("a rewrite changed the settings", fuzz::describe(read), fuzz::describe(again));
    if (!fuzz::readAsQSettings(written, ours, theirs))
        fuzz::finding("QSettings reads the rewrite otherwise", fuzz::describe(ours), fuzz::describe(theirs));
    fuzz::replaceFile(path, written);
    Config reread(path, Config::File);
    const QByteArray second = rewrite(reread);
    if (second != written)
        fuzz::finding("read -> rewrite -> read -> rewrite changed the bytes", written, second);
    return 0;
}
