// Whatever text a setting holds under whatever group and key (a zero, a
// byte-order mark, a half of a UTF-16 pair, line breaks, quotes, "@",
// ";"), Config gives it back as it was written: at once, and from the file
// it wrote, which QSettings reads the same. A file QSettings wrote of them
// (as the earlier versions did) Config reads as QSettings does, and where
// QSettings loses a byte-order mark it wrote, Config keeps it.
#include "settingsfuzz.h"

namespace {

// One setting an input describes: written as a list of texts by QSettings
// when it holds several.
struct Setting
{
    QString path;
    QString group;
    QString key;
    QString text;
    QStringList list;
};

// The settings an input describes: its bytes as UTF-16 units (any unit, a
// half of a pair or a zero included), fields parted by U+0001 as group,
// key, text, group, ...; a text with U+0002 in it is also a list of the
// texts between them.
QVector<Setting> settingsOf(const QByteArray &bytes)
{
    const QString all(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
    const QStringList fields = all.split(QChar(1));
    QVector<Setting> settings;
    for (int i = 0; i + 2 < fields.size(); i += 3) {
        const QString &group = fields.at(i), &key = fields.at(i + 1), &text = fields.at(i + 2);
        settings.append({IniText::normalizedPath(group + QLatin1Char('/') + key), group, key, text,
                         text.split(QChar(2))});
    }
    return settings;
}

void writtenByConfig(const QVector<Setting> &settings)
{
    static const QString path = fuzz::root().filePath(QStringLiteral("values.conf"));
    QFile::remove(path);
    fuzz::Settings written;
    {
        Config config(path, Config::File);
        for (const Setting &s : settings) {
            config.setGroup(s.group);
            config.writeEntry(s.key, s.text);
            if (s.path.isEmpty())
                continue;
            written.insert(s.path, s.text);
            if (config.readEntry(s.key, fuzz::None) != s.text)
                fuzz::finding("a value reads back otherwise at once", s.path.toUtf8(), s.text.toUtf8());
        }
        if (!config.write())
            fuzz::finding("the settings were not written");
    }
    const QByteArray bytes = fuzz::readFile(path);
    fuzz::Settings read;
    if (!fuzz::configRead(bytes, read) || read != written)
        fuzz::finding("the settings written read back otherwise", fuzz::describe(written), fuzz::describe(read));
    // nothing written: no file
    if (bytes.isEmpty())
        return;
    fuzz::replaceFile(path, bytes);
    fuzz::expectConfigReads(Config(path, Config::File), written, bytes);
    if (fuzz::qsettingsRead(bytes) != written)
        fuzz::finding("QSettings reads the settings written otherwise", fuzz::describe(written),
                      fuzz::describe(fuzz::qsettingsRead(bytes)));
}

void writtenByQSettings(const QVector<Setting> &settings)
{
    // a new name each time: QSettings keeps what it wrote of a file
    static int serial = 0;
    const QString qsPath = fuzz::root().filePath(QStringLiteral("written%1.conf").arg(++serial));
    fuzz::Settings values;
    {
        QSettings qs(qsPath, QSettings::IniFormat);
        qs.setIniCodec("UTF-8");
        for (const Setting &s : settings) {
            if (s.path.isEmpty())
                continue;
            qs.setValue(s.path, s.list.size() > 1 ? QVariant(s.list) : QVariant(s.text));
            values.insert(s.path, s.list.join(QLatin1Char(',')));
        }
    }
    const QByteArray bytes = fuzz::readFile(qsPath);
    QFile::remove(qsPath);
    fuzz::Settings theirs;
    fuzz::expectReadAsQSettings(bytes, "Config reads a file QSettings wrote otherwise", &theirs);
    // Config itself, on the file as another copy left it (an empty one is
    // set aside, as damage)
    if (bytes.isEmpty())
        return;
    static const QString path = fuzz::root().filePath(QStringLiteral("fromqsettings.conf"));
    fuzz::replaceFile(path, bytes);
    fuzz::Settings read;
    if (!fuzz::configRead(bytes, read))
        fuzz::finding("a file QSettings wrote does not read whole", bytes);
    fuzz::expectConfigReads(Config(path, Config::File), read, bytes);
    for (auto it = read.begin(); it != read.end(); ++it) {
        const QString value = values.value(it.key());
        if (value.contains(QChar(0xfeff)) && it.value() != value
            && QString(value).remove(QChar(0xfeff)) == theirs.value(it.key()))
            fuzz::finding("a byte-order mark QSettings wrote was lost", value.toUtf8(), it.value().toUtf8());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QVector<Setting> settings = settingsOf(fuzz::bytesOf(data, size));
    writtenByConfig(settings);
    writtenByQSettings(settings);
    return 0;
}
