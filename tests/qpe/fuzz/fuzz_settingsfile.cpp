// A settings file is text anyone can edit. Whatever it holds, Config reads
// it as QSettings reads it, or sets it aside whole; and a rewrite keeps
// every key, as Config and QSettings read it, and is the same again when
// rewritten.
#include "settingsfuzz.h"

namespace {

const QString ProbeGroup = QStringLiteral("fuzz probe");

// Config writes the file anew: a key more, then without it.
QByteArray rewrite(Config &config)
{
    config.setGroup(ProbeGroup);
    config.writeEntry(QStringLiteral("k"), QStringLiteral("1"));
    const bool added = config.write();
    config.removeEntry(QStringLiteral("k"));
    if (!added || !config.write())
        fuzz::finding("a write failed");
    return fuzz::readFile(config.fileName());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzz::root().filePath(QStringLiteral("fuzz.conf"));
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::replaceFile(path, bytes);
    fuzz::Settings read;
    const bool whole = size > 0 && fuzz::configRead(bytes, read);
    if (read.contains(ProbeGroup + QStringLiteral("/k")))
        return 0;
    Config config(path, Config::File);
    if (!whole) {
        if (fuzz::readFile(BoundedFile::asideName(path)) != bytes)
            fuzz::finding("a settings file that does not read whole was not set aside whole", bytes);
        // the settings held go back where they were
        config.write();
        return 0;
    }
    fuzz::expectConfigReads(config, read, bytes);
    fuzz::expectReadAsQSettings(bytes, "Config reads the file otherwise than QSettings");

    const QByteArray written = rewrite(config);
    fuzz::Settings again;
    if (!fuzz::configRead(written, again))
        fuzz::finding("the rewrite does not read", bytes, written);
    if (again != read)
        fuzz::finding("a rewrite changed the settings", fuzz::describe(read), fuzz::describe(again));
    fuzz::expectReadAsQSettings(written, "QSettings reads the rewrite otherwise");
    fuzz::replaceFile(path, written);
    Config reread(path, Config::File);
    if (rewrite(reread) != written)
        fuzz::finding("read -> rewrite -> read -> rewrite changed the bytes", written, fuzz::readFile(path));
    return 0;
}
