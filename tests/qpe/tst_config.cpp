#include "ymrtest.h"

#include "filebytes.h"

#include "lockholder.h"
#include "qsettingsread.h"

#include "qpe/boundedfile.h"
#include "qpe/config.h"
#include "qpe/global.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpeglobal.h"
#include "qpe/unsavedfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSettings>

#include <sys/stat.h>

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void roundTrips_data();
    void roundTrips();
    void missingVersusEmpty();
    void numbersBoolsLists();
    void removeAndClearGroup();
    void writtenAtDestructionAndOnWrite();
    void overlappingConfigsKeepBothWrites();
    void deadLockIsNotWaitedOn_data();
    void deadLockIsNotWaitedOn();
    void unchangedValuesLeaveTheFile();
    void sameFilesAsQSettings_data();
    void sameFilesAsQSettings();
    void anotherCopysWritesStay();
    void heldSettingsStay_data();
    void heldSettingsStay();
    void applicationFileName();
    void directories();
};

namespace {
// Every key of a file as QSettings reads it, each as "path=text", "path"
// alone for no value, in order.
QStringList readByQSettings(const QString &file)
{
    const QMap<QString, QString> read = qsettingsread::read(readAll(file), QFileInfo(file).absolutePath());
    QStringList keys;
    for (auto it = read.begin(); it != read.end(); ++it)
        keys << (it.value().isNull() ? it.key() : it.key() + QLatin1Char('=') + it.value());
    return keys;
}

// The same keys as Config reads them.
QStringList readByConfig(const QString &file, const QStringList &paths)
{
    Config config(file, Config::File);
    QStringList keys;
    for (QString path : paths) {
        path = path.left(path.indexOf(QLatin1Char('=')));
        if (!config.hasKey(path)) {
            keys << path + QStringLiteral(" (none)");
            continue;
        }
        const QString text = config.readEntry(path);
        keys << (text.isNull() ? path : path + QLatin1Char('=') + text);
    }
    return keys;
}
} // namespace

// Whatever a group, key or value holds comes back whole: from Config at
// once and from its file, and in QSettings (as the earlier versions read
// the settings) from that file; a value QSettings wrote (as they wrote
// them) reads the same in Config.
void TestConfig::roundTrips_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const auto value = [](const char *name, const QString &v) {
        QTest::newRow(name) << QStringLiteral("Options") << QStringLiteral("key") << v;
    };
    value("number format", QStringLiteral("@#,#"));
    value("list text", QStringLiteral("6;0;1;7"));
    value("colour", QStringLiteral("#336699"));
    value("blank", QStringLiteral(" "));
    value("comma", QStringLiteral("a,b,c"));
    value("equals", QStringLiteral("a=b=="));
    value("japanese", QString::fromUtf8("\xe9\xa3\x9f\xe8\xb2\xbb"));
    value("path", QStringLiteral("/tmp/x y/Book1.exp"));
    // two UTF-16 units each
    value("beyond 16 bits", QString::fromUtf8("/h\xf0\x9f\x8f\xa0/\xf0\xb0\xb0\xb0 x"));
    value("beyond 16 bits, zeros", QString::fromUtf8("a\0b\xf0\xb0\xb0\xb0\0", 8));
    value("half of a pair", QString(QChar(0xd800)) + QStringLiteral("1"));
    value("a leading byte-order mark", QString(QChar(0xfeff)) + QStringLiteral("v"));
    value("byte-order marks only", QString(2, QChar(0xfeff)));
    value("a mark after a zero", QString(QChar(0)) + QChar(0xfeff) + QStringLiteral("a"));
    value("a backslash at the end", QStringLiteral("c:\\dir\\"));
    value("a line break at the end", QStringLiteral("abc\r"));
    value("comment and quote", QStringLiteral("25 ; \"rows"));
    value("commas and semicolons", QStringLiteral("6;0;1;7,a, b"));
    value("quotes and backslashes", QStringLiteral("say \"hi\" \\ c:\\x"));
    value("leading and trailing blanks", QStringLiteral("  lead and trail "));
    value("a blank at the end", QStringLiteral("25 rows "));
    value("line breaks and tabs", QStringLiteral("a\nb\r\nc\td"));
    value("control characters before hex digits", QStringLiteral("\x01" "abc\x7f" "1"));
    value("empty", QLatin1String(""));
    value("an @ in front", QStringLiteral("@@x"));
    value("a zero", QString::fromUtf8("a\0" "1b", 4));
    const auto named = [](const char *name, const QString &group, const QString &key) {
        QTest::newRow(name) << group << key << QStringLiteral("v");
    };
    named("a zero in a key", QStringLiteral("Options"), QString::fromUtf8("x\0y", 3));
    named("a zero in a group", QString::fromUtf8("a\0b", 3), QStringLiteral("key"));
    named("a key's leading mark", QStringLiteral("Options"), QString(QChar(0xfeff)) + QStringLiteral("k"));
    named("a group's leading mark", QString(QChar(0xfeff)) + QStringLiteral("g"), QStringLiteral("key"));
    named("a group named General", QStringLiteral("General"), QStringLiteral("key"));
    named("a group named general", QStringLiteral("general"), QStringLiteral("key"));
    named("a key named General", QString(), QStringLiteral("General"));
    named("levels in a key", QStringLiteral("main_columns"), QStringLiteral("sub level/w%dth"));
    named("escaped group and key", QStringLiteral("main_columns/sub level"), QString::fromUtf8("w\xc3\xa9 dth/2"));
    named("the top level", QString(), QStringLiteral("top"));
}

void TestConfig::roundTrips()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QString tag = QString::number(qHash(QString::fromLatin1(QTest::currentDataTag())));
    const QString name = QStringLiteral("rt") + tag;
    const QString file = Config::configFileName(name);
    const QString path = group.isEmpty() ? key : group + QLatin1Char('/') + key;
    {
        Config c(name);
        c.setGroup(group);
        c.writeEntry(key, value);
        QCOMPARE(c.readEntry(key, QStringLiteral("default")), value);
        c.setGroup(QStringLiteral("Other"));
        c.writeEntry(QStringLiteral("key"), QStringLiteral("other"));
    }
    QStringList both{QStringLiteral("Other/key=other"), path + QLatin1Char('=') + value};
    both.sort();
    QCOMPARE(readByQSettings(file), both);
    // read from the file, not from memory
    setNewFileTime(file);
    {
        Config c(name);
        QVERIFY(!QFile::exists(BoundedFile::asideName(file)));
        c.setGroup(group);
        QCOMPARE(c.readEntry(key, QStringLiteral("default")), value);
    }
    // what UTF-8 holds QSettings writes too, beyond 16 bits as UTF-8 bytes
    if (QString::fromUtf8((path + value).toUtf8()) != path + value)
        return;
    const QString written = Qpe::settingsDir() + QStringLiteral("/qs") + tag + QStringLiteral(".conf");
    {
        QSettings settings(written, QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        const bool pairs = std::any_of(value.begin(), value.end(), [](QChar c) { return c.isSurrogate(); });
        settings.setValue(path, pairs ? QVariant(value.toUtf8()) : QVariant(value));
    }
    Config c(written, Config::File);
    // (QSettings writes a group "general" as "General")
    c.setGroup(group == QLatin1String("general") ? QStringLiteral("General") : group);
    QCOMPARE(c.readEntry(key, QStringLiteral("missing")), value);
}

void TestConfig::missingVersusEmpty()
{
    {
        Config c(QStringLiteral("empty"));
        c.setGroup(QStringLiteral("Date"));
        c.writeEntry(QStringLiteral("Separator"), QString());
    }
    Config c(QStringLiteral("empty"));
    c.setGroup(QStringLiteral("Date"));
    const QString present = c.readEntry(QStringLiteral("Separator"), QStringLiteral("/"));
    QVERIFY(present.isEmpty());
    QVERIFY(!present.isNull());
    QVERIFY(c.hasKey(QStringLiteral("Separator")));
    QCOMPARE(c.readEntry(QStringLiteral("Missing"), QStringLiteral("/")), QStringLiteral("/"));
    QVERIFY(c.readEntry(QStringLiteral("Missing")).isNull());
}

void TestConfig::numbersBoolsLists()
{
    Config c(QStringLiteral("types"));
    c.setGroup(QStringLiteral("G"));
    c.writeEntry(QStringLiteral("n"), 42);
    c.writeEntry(QStringLiteral("neg"), -7);
    c.writeEntry(QStringLiteral("b"), true);
    c.writeEntry(QStringLiteral("lit"), "literal");
    c.writeEntry(QStringLiteral("text"), QStringLiteral("abc"));
    c.writeEntry(QStringLiteral("list"), QStringList{"a", "b c", "d"}, QLatin1Char(';'));
    c.write();

    Config r(QStringLiteral("types"));
    r.setGroup(QStringLiteral("G"));
    QCOMPARE(r.readNumEntry(QStringLiteral("n")), 42);
    QCOMPARE(r.readNumEntry(QStringLiteral("neg")), -7);
    QCOMPARE(r.readNumEntry(QStringLiteral("text"), 5), 5);
    QCOMPARE(r.readNumEntry(QStringLiteral("missing")), -1);
    QCOMPARE(r.readBoolEntry(QStringLiteral("b")), true);
    QCOMPARE(r.readBoolEntry(QStringLiteral("missing"), true), true);
    // a C string literal must be stored as text, not as a bool
    QCOMPARE(r.readEntry(QStringLiteral("lit")), QStringLiteral("literal"));
    QCOMPARE(r.readListEntry(QStringLiteral("list"), QLatin1Char(';')),
             (QStringList{"a", "b c", "d"}));
    QVERIFY(r.readListEntry(QStringLiteral("missing"), QLatin1Char(';')).isEmpty());
}

void TestConfig::removeAndClearGroup()
{
    {
        Config c(QStringLiteral("rm"));
        c.setGroup(QStringLiteral("A"));
        c.writeEntry(QStringLiteral("x"), 1);
        c.writeEntry(QStringLiteral("y"), 2);
        c.setGroup(QStringLiteral("B"));
        c.writeEntry(QStringLiteral("z"), 3);
    }
    {
        Config c(QStringLiteral("rm"));
        c.setGroup(QStringLiteral("A"));
        c.removeEntry(QStringLiteral("x"));
        c.setGroup(QStringLiteral("B"));
        c.clearGroup();
    }
    Config c(QStringLiteral("rm"));
    c.setGroup(QStringLiteral("A"));
    QVERIFY(!c.hasKey(QStringLiteral("x")));
    QCOMPARE(c.readNumEntry(QStringLiteral("y")), 2);
    c.setGroup(QStringLiteral("B"));
    QVERIFY(!c.hasKey(QStringLiteral("z")));
}

void TestConfig::writtenAtDestructionAndOnWrite()
{
    const QString file = Qpe::userRoot() + QStringLiteral("/Settings/disk.conf");
    {
        Config c(QStringLiteral("disk"));
        c.setGroup(QStringLiteral("G"));
        c.writeEntry(QStringLiteral("k"), QStringLiteral("v1"));
        c.write();
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("k=v1"));
        c.writeEntry(QStringLiteral("k"), QStringLiteral("v2"));
    }
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("k=v2"));
}

void TestConfig::overlappingConfigsKeepBothWrites()
{
    {
        Config a(QStringLiteral("both"));
        Config b(QStringLiteral("both"));
        a.setGroup(QStringLiteral("G"));
        b.setGroup(QStringLiteral("G"));
        a.writeEntry(QStringLiteral("a"), 1);
        b.writeEntry(QStringLiteral("b"), 2);
    }
    Config c(QStringLiteral("both"));
    c.setGroup(QStringLiteral("G"));
    QCOMPARE(c.readNumEntry(QStringLiteral("a")), 1);
    QCOMPARE(c.readNumEntry(QStringLiteral("b")), 2);
}

void TestConfig::deadLockIsNotWaitedOn_data()
{
    QTest::addColumn<QByteArray>("lockText");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("dead process") << QByteArray("999999999\nymrOutlays\nhost\n");
    QTest::newRow("garbage") << QByteArray("\x01\x02");
}

void TestConfig::deadLockIsNotWaitedOn()
{
    QFETCH(QByteArray, lockText);
    const QString file = Config::configFileName(QStringLiteral("locked"));
    QDir().mkpath(QFileInfo(file).path());
    QFile lock(file + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write(lockText);
    lock.close();
    QElapsedTimer timer;
    timer.start();
    {
        Config c(QStringLiteral("locked"));
        c.writeEntry(QStringLiteral("k"), QString::fromLatin1(QTest::currentDataTag()));
    }
    // QSettings alone would wait 30 seconds for the lock
    QVERIFY2(timer.elapsed() < 10000, QByteArray::number(timer.elapsed()));
    Config c(QStringLiteral("locked"));
    QCOMPARE(c.readEntry(QStringLiteral("k")), QString::fromLatin1(QTest::currentDataTag()));
}

void TestConfig::unchangedValuesLeaveTheFile()
{
    const QString file = Config::configFileName(QStringLiteral("same"));
    {
        Config c(QStringLiteral("same"));
        c.setGroup(QStringLiteral("G"));
        c.writeEntry(QStringLiteral("s"), QStringLiteral("v"));
        c.writeEntry(QStringLiteral("n"), 3);
        c.writeEntry(QStringLiteral("e"), QString());
    }
    // a rewrite replaces the file, giving it a new inode
    const QFileInfo before(file);
    QVERIFY(before.exists());
    const auto modified = before.fileTime(QFileDevice::FileModificationTime);
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(file).constData(), &st) == 0);
    const ino_t ino = st.st_ino;
    {
        Config c(QStringLiteral("same"));
        c.setGroup(QStringLiteral("G"));
        c.writeEntry(QStringLiteral("s"), QStringLiteral("v"));
        c.writeEntry(QStringLiteral("n"), 3);
        c.writeEntry(QStringLiteral("e"), QStringLiteral(""));
    }
    QVERIFY(::stat(QFile::encodeName(file).constData(), &st) == 0);
    QCOMPARE(st.st_ino, ino);
    QCOMPARE(QFileInfo(file).fileTime(QFileDevice::FileModificationTime), modified);
    {
        Config c(QStringLiteral("same"));
        c.setGroup(QStringLiteral("G"));
        c.writeEntry(QStringLiteral("s"), QStringLiteral("w"));
    }
    QVERIFY(::stat(QFile::encodeName(file).constData(), &st) == 0);
    QVERIFY(st.st_ino != ino);
}

// A settings file written by hand reads alike in Config and in QSettings,
// also once Config rewrote it with a key more: a value is written from
// what it means, never as the bytes it was read from. A file whose text
// ends inside a value (a quote left open, a "\" with nothing after it) is
// kept whole under its aside name and told; the write holds what this
// copy has.
void TestConfig::sameFilesAsQSettings_data()
{
    QTest::addColumn<QByteArray>("handWritten");
    QTest::addColumn<bool>("setAside");
    const auto hand = [](const char *name, const QByteArray &text, bool setAside = false) {
        QTest::newRow(name) << text << setAside;
    };
    hand("by hand: quotes, lists, blanks",
         "[G]\n a = x , y \nb= \" q \" , z\nd= \"ab\"cd \"ef\" \ne=\\x41\\x4a\\101\\e\n");
    hand("by hand: continued lines, comments, a bad line",
         "\xef\xbb\xbf; a \"comment\r\n[G]\r\nc=a\\\n  b\r\nbad line\ni=\"multi\nline\"\n#hash=2\n[general]\ntop=1\n"
         "k=a\\\n;z=1\nl=b\\\r\nc\nm=b\\\n\rc=4\nd\\\n=6\n");
    hand("by hand: groups, repeated keys, typed values",
         "[X\\Y]\nk\\j=2\n[A%2FB]\n sp ace =1\n[G]\na=1\nk2=@Invalid()\nk3=@@x,@@y\nk4=@x,y\n"
         "r=@Rect(1 2 3 4)\n[G]\na=second\nu=@Foo(x)\n[unclosed\nu=1\n");
    hand("by hand: General, comments after values",
         "[%General]\nk=v\n[General]\ntop=1\n[Options]\nperpage=25 ; rows per page\nsort=2;by date\n"
         "q=\"x;y\" ; c\nr=a\\;b\n[x;y]\nz=1\n");
    hand("by hand: typed list elements, escaped names",
         "[G]\nl=a, @String(b\\0c), d\nm=@ByteArray(x), y\nn=@x, y\nr=@Rect(1 2 3)4)\ns=@Rect(1 2 3 4)(x)\n"
         "k%3Bx=1\nk%20%U00e9=2\nk% F=3\n[%67eneral]\nk=4\n[]\nlost=1\n[/o/]\nlost=1\n[G\\\r]\nlost=1\n"
         "[ H \v]\nk=5\n");
    hand("by hand: a byte-order mark before the first key", "\xef\xbb\xbf" "a=1\n[H]\nb=1\nc=x\nd=2\n");
    hand("a backslash before the last CR", "[a]\r\nk=abc\\\r");
    hand("a backslash before a CR LF, a line after", "[a]\r\nk=abc\\\r\nj=2\r\nl=3\r\n");
    hand("a line continued at the end", "[a]\nk=abc\\\n");
    hand("a quoted line break, a group after", "[a]\nk=\"x\ny\"\n[b]\nj=2\n");
    hand("a comment after a value, the last line", "[a]\nk=25 ; rows \"per page");
    hand("an open quote at the end", "[a]\nk=\"abc", true);
    hand("an open quote, a group before it again", "[a]\nm=1\n[b]\nj=2\n[a]\nk=\"x\n", true);
    hand("a stray quote", "[a]\nsize=5\" screen\n[b]\nj=2\n", true);
    hand("a backslash at the very end", "[a]\nk=abc\\", true);
    hand("a zero byte inside a line", QByteArray("[a]\nk=ab") + '\0' + QByteArray("cd\n[b]\nj=2\n"), true);
}

void TestConfig::sameFilesAsQSettings()
{
    QFETCH(QByteArray, handWritten);
    QFETCH(bool, setAside);
    const QString name = QStringLiteral("hand") + QString::number(qHash(QString::fromLatin1(QTest::currentDataTag())));
    const QString file = Config::configFileName(name);
    writeAll(file, handWritten);
    const QStringList keys = readByQSettings(file);
    QVERIFY(!keys.isEmpty());
    if (!setAside)
        QCOMPARE(readByConfig(file, keys), keys);
    QStringList told;
    BoundedFile::setNotifier([&told](const QString &, const QString &aside) { told << aside; });
    const auto quiet = qScopeGuard([] { BoundedFile::setNotifier({}); });
    // a downgrade finds them all again, as much as what Config added
    {
        Config config(name);
        config.setGroup(QStringLiteral("a"));
        config.writeEntry(QStringLiteral("added"), QStringLiteral("1"));
        QVERIFY(config.write());
    }
    QCOMPARE(told, setAside ? QStringList{BoundedFile::asideName(file)} : QStringList());
    QCOMPARE(readAll(BoundedFile::asideName(file)), setAside ? handWritten : QByteArray());
    QStringList after = (setAside ? QStringList() : keys) + QStringList{QStringLiteral("a/added=1")};
    after.sort();
    QCOMPARE(readByQSettings(file), after);
}

// Another copy of the program writes the settings between this copy's read
// and its write: the keys of both stay; one the other removed stays
// removed, and where both changed a key the later write holds.
void TestConfig::anotherCopysWritesStay()
{
    const QString file = Config::configFileName(QStringLiteral("shared"));
    writeAll(file, "[G]\nkept=1\ngone=1\nboth=1\n");
    Config here(QStringLiteral("shared"));
    here.setGroup(QStringLiteral("G"));
    QCOMPARE(here.readEntry(QStringLiteral("gone")), QStringLiteral("1"));
    writeAll(file, "[G]\nkept=1\nboth=theirs\ntheirs=1\n");
    here.writeEntry(QStringLiteral("both"), QStringLiteral("ours"));
    here.writeEntry(QStringLiteral("ours"), QStringLiteral("1"));
    QVERIFY(here.write());
    QSettings disk(file, QSettings::IniFormat);
    QCOMPARE(disk.allKeys(), QStringList({"G/both", "G/kept", "G/ours", "G/theirs"}));
    QCOMPARE(disk.value("G/both").toString(), QStringLiteral("ours"));
    QCOMPARE(here.readEntry(QStringLiteral("theirs")), QStringLiteral("1"));
    QVERIFY(!here.hasKey(QStringLiteral("gone")));
}

// What this copy holds of the settings, read or changed and not written
// yet, whatever another copy does with the file meanwhile: it writes the
// file anew, it sets a damaged one aside, or the write waits for a retry
// while this copy changes more. Steps, on group G of one file:
//   open                a Config made (it reads the file when it changed)
//   set k v             a change, not written
//   write, refused      Config::write, on disk or refused
//   hold, release       another copy takes the folder's lock, lets it go
//   retry               the retries of the unsaved files
//   other:<text>        another copy writes the file so
//   damage, aside       the file becomes no settings file; another copy
//                       sets it aside
//   remove              the file is removed
//   then:<text>         another copy writes the file so as this one sets
//                       it aside
void TestConfig::heldSettingsStay_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("held");   // what Config reads of G at the end
    QTest::addColumn<QStringList>("onDisk"); // what the file holds then
    const auto row = [](const char *name, const char *steps, const char *held, const char *onDisk = nullptr) {
        QTest::newRow(name) << QString::fromLatin1(steps).split(QStringLiteral("; "))
                            << QString::fromLatin1(held).split(QLatin1Char(' '))
                            << QString::fromLatin1(onDisk ? onDisk : held).split(QLatin1Char(' '));
    };
    row("a change not written yet, another copy writes", "open; set a 2; other:[G]\na=1\nb=3\nc=1\n; open; write",
        "a=2 b=3 c=1");
    row("a refused change, another copy writes, the retry",
        "open; set a 2; hold; refused; other:[G]\na=1\nb=3\nc=1\n; open; release; retry", "a=2 b=3 c=1");
    row("a change made while a retry waits, another copy writes",
        "open; set a 2; hold; refused; set b 2; other:[G]\na=1\nb=1\nc=1\n; open; release; retry", "a=2 b=2 c=1",
        "a=2 b=1 c=1");
    row("a change made while a retry waits, then written",
        "open; set a 2; hold; refused; set b 2; release; retry; write", "a=2 b=2");
    row("a newer change than the retry's", "open; set a 2; hold; refused; set a 3; release; retry; open", "a=3 b=1",
        "a=2 b=1");
    row("a newer change than the retry's, then written",
        "open; set a 2; hold; refused; set a 3; release; retry; write; open", "a=3 b=1");
    row("a newer change than another copy's, the retry",
        "open; set a 2; hold; refused; set b 2; other:[G]\na=1\nb=3\n; release; retry; write", "a=2 b=2");
    row("a newer change than another copy's new key, the retry",
        "open; set a 2; hold; refused; set b 2; other:[G]\na=1\nb=1\nc=1\n; release; retry", "a=2 b=2 c=1",
        "a=2 b=1 c=1");
    row("a newer change refused too", "open; set a 2; hold; refused; set a 3; refused; release; retry; open",
        "a=3 b=1");
    row("set aside by another copy, then a change", "open; damage; aside; open; set c 1; write", "a=1 b=1 c=1");
    row("set aside by another copy with a change not written", "open; set c 1; damage; aside; open; write",
        "a=1 b=1 c=1");
    row("set aside here, written with nothing changed", "open; damage; open; write", "a=1 b=1");
    row("found damaged by the write", "open; damage; set c 1; write", "a=1 b=1 c=1");
    row("removed: no settings", "open; remove; open; set c 1; write", "c=1");
    row("written by another copy as set aside here", "open; damage; then:[G]\nc=5\n; open; open", "a=1 b=1 c=5", "c=5");
}

void TestConfig::heldSettingsStay()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, held);
    QFETCH(QStringList, onDisk);
    const QString name = QStringLiteral("held") + QString::number(qHash(QString::fromLatin1(QTest::currentDataTag())));
    const QString path = Config::configFileName(name);
    const auto replace = [&path](const QByteArray &text) {
        // as a copy of the program writes: a new file renamed there
        QSaveFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        QVERIFY(f.commit());
    };
    replace("[G]\na=1\nb=1\n");
    BoundedFile::setNotifier({});
    const auto quiet = qScopeGuard([] { BoundedFile::setNotifier({}); });
    std::vector<std::unique_ptr<Config>> configs;
    pid_t holder = 0;
    const auto release = qScopeGuard([&holder] { killLockHolder(holder); });
    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (step == "open") {
            configs.emplace_back(new Config(name));
            configs.back()->setGroup(QStringLiteral("G"));
        } else if (words.first() == "set") {
            configs.back()->writeEntry(words.at(1), words.at(2));
        } else if (step == "write" || step == "refused") {
            QCOMPARE(configs.back()->write(), step == "write");
        } else if (step == "hold") {
            holder = holdFolderInChild(Qpe::settingsDir());
            QVERIFY(holder > 0);
        } else if (step == "release") {
            killLockHolder(holder);
            holder = 0;
        } else if (step == "retry") {
            UnsavedFiles::instance()->retryAll();
            QVERIFY(!UnsavedFiles::instance()->lines().join('\n').contains(QFileInfo(path).fileName()));
        } else if (step.startsWith("other:")) {
            replace(step.mid(6).toUtf8());
        } else if (step == "damage") {
            replace(QByteArray("these bytes are no settings\0\1", 29));
        } else if (step == "aside") {
            QVERIFY(QFile::rename(path, BoundedFile::asideName(path)));
        } else if (step.startsWith("then:")) {
            const QByteArray text = step.mid(5).toUtf8();
            BoundedFile::setNotifier([text, &replace](const QString &, const QString &) { replace(text); });
        } else if (step == "remove") {
            QVERIFY(QFile::remove(path));
        } else {
            QFAIL(qPrintable(step));
        }
    }
    QStringList read;
    Config &config = *configs.back();
    for (const char *key : {"a", "b", "c"}) {
        if (config.hasKey(QLatin1String(key)))
            read << QLatin1String(key) + QLatin1Char('=') + config.readEntry(QLatin1String(key));
    }
    QCOMPARE(read, held);
    QStringList disk;
    for (const QString &key : readByQSettings(path))
        disk << key.mid(2);
    QCOMPARE(disk, onDisk);
}

void TestConfig::applicationFileName()
{
    const QString root = QDir::cleanPath(Qpe::userRoot());
    const QString folder = Global::applicationFileName(QStringLiteral("ymrFindFile"), QString());
    QCOMPARE(folder, root + QStringLiteral("/Applications/ymrFindFile/"));
    QVERIFY(QDir(folder).exists());

    // files are written there at once, without anyone creating the folder
    QFile f(Global::applicationFileName(QStringLiteral("ymrOutlaysData"), QStringLiteral("types")));
    QVERIFY(f.open(QIODevice::WriteOnly));
}

void TestConfig::directories()
{
    QVERIFY(QDir(QPEApplication::documentDir()).exists());
    QVERIFY(QPEApplication::documentDir().startsWith(Qpe::userRoot()));
    QVERIFY(!QPEApplication::qpeDir().endsWith(QLatin1Char('/')));
    QCOMPARE(QPEApplication::qpeDir(), QDir::cleanPath(QString::fromLocal8Bit(qgetenv("QPE_DATA_DIR"))));
}

QPE_TEST_MAIN(TestConfig)
#include "tst_config.moc"
