#include "ymrtest.h"

#include "filebytes.h"

#include "qpe/config.h"
#include "qpe/global.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpeglobal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
    void applicationFileName();
    void directories();
};

void TestConfig::roundTrips_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("number format") << QStringLiteral("@#,#");
    QTest::newRow("list text") << QStringLiteral("6;0;1;7");
    QTest::newRow("colour") << QStringLiteral("#336699");
    QTest::newRow("blank") << QStringLiteral(" ");
    QTest::newRow("comma") << QStringLiteral("a,b,c");
    QTest::newRow("equals") << QStringLiteral("a=b==");
    QTest::newRow("japanese") << QString::fromUtf8("\xe9\xa3\x9f\xe8\xb2\xbb");
    QTest::newRow("path") << QStringLiteral("/tmp/x y/Book1.exp");
    // two UTF-16 units each
    QTest::newRow("beyond 16 bits") << QString::fromUtf8("/h\xf0\x9f\x8f\xa0/\xf0\xb0\xb0\xb0 x");
    QTest::newRow("beyond 16 bits, zeros") << QString::fromUtf8("a\0b\xf0\xb0\xb0\xb0\0", 9);
}

void TestConfig::roundTrips()
{
    QFETCH(QString, value);
    {
        Config c(QStringLiteral("rt"));
        c.setGroup(QStringLiteral("Options"));
        c.writeEntry(QStringLiteral("key"), value);
    }
    // read from the file, not from memory
    setNewFileTime(Config::configFileName(QStringLiteral("rt")));
    Config c(QStringLiteral("rt"));
    c.setGroup(QStringLiteral("Options"));
    QCOMPARE(c.readEntry(QStringLiteral("key"), QStringLiteral("default")), value);
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

namespace {
// What Config read from a QSettings file before it wrote its own: a list
// (a "," outside quotes) joined, a text kept as UTF-8 bytes as that text.
QString readByQSettings(const QString &file, const QString &path)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    const QVariant v = settings.value(path);
    if (v.type() == QVariant::StringList)
        return v.toStringList().join(QLatin1Char(','));
    if (v.type() == QVariant::ByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.isValid() && v.toString().isNull() ? QLatin1String("") : v.toString();
}
} // namespace

// Settings files of earlier versions (written by QSettings) read the same,
// and QSettings reads what Config writes the same: a value written by one
// reads back by the other, and a file written by hand reads alike in both.
void TestConfig::sameFilesAsQSettings_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("handWritten");   // the file instead, when not empty
    const auto value = [](const char *name, const char *group, const char *key, const QString &v) {
        QTest::newRow(name) << QString::fromUtf8(group) << QString::fromUtf8(key) << v << QByteArray();
    };
    value("number format", "Options", "defcformat", QStringLiteral("@#,#"));
    value("commas and semicolons", "Options", "list", QStringLiteral("6;0;1;7,a, b"));
    value("quotes and backslashes", "Options", "q", QStringLiteral("say \"hi\" \\ c:\\x"));
    value("leading and trailing blanks", "Options", "blanks", QStringLiteral("  lead and trail "));
    value("line breaks and tabs", "Options", "breaks", QStringLiteral("a\nb\r\nc\td"));
    value("control characters before hex digits", "Options", "ctl", QStringLiteral("\x01" "abc\x7f" "1"));
    value("empty", "Date", "Separator", QLatin1String(""));
    value("an @ in front", "Options", "at", QStringLiteral("@@x"));
    value("japanese", "Default", "city", QString::fromUtf8("\xe9\xa3\x9f\xe8\xb2\xbb"));
    value("beyond UTF-16 pairs", "Options", "book", QString::fromUtf8("/h\xf0\x9f\x8f\xa0/\xf0\xb0\xb0\xb0 x.exp"));
    value("a zero", "Options", "zero", QString::fromUtf8("a\0" "1b", 4));
    value("escaped group and key", "main_columns/sub level", QString::fromUtf8("w\xc3\xa9 dth/2").toUtf8().constData(),
          QStringLiteral("80"));
    value("the top level", "", "top", QStringLiteral("t"));
    const auto hand = [](const char *name, const char *text) {
        QTest::newRow(name) << QString() << QString() << QString() << QByteArray(text);
    };
    hand("by hand: quotes, lists, blanks",
         "[G]\n a = x , y \nb= \" q \" , z\nd= \"ab\"cd \"ef\" \ne=\\x41\\x4a\\101\\e\n");
    hand("by hand: continued lines, comments, a bad line",
         "\xef\xbb\xbf; a \"comment\r\n[G]\r\nc=a\\\n  b\r\nbad line\ni=\"multi\nline\"\n#hash=2\n[general]\ntop=1\n");
    hand("by hand: groups, repeated keys, typed values",
         "[X\\Y]\nk\\j=2\n[A%2FB]\n sp ace =1\n[G]\na=1\nk2=@Invalid()\nk3=@@x,@@y\nk4=@x,y\n"
         "r=@Rect(1 2 3 4)\n[G]\na=second\nu=@Foo(x)\n[unclosed\nu=1\n");
}

void TestConfig::sameFilesAsQSettings()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, handWritten);
    // a file each, QSettings keeps what it read of a file in memory
    const QString dir = Qpe::settingsDir() + QLatin1Char('/');
    const QString tag = QString::number(qHash(QString::fromLatin1(QTest::currentDataTag())));
    const QString path = group.isEmpty() ? key : group + QLatin1Char('/') + key;
    if (!handWritten.isEmpty()) {
        writeAll(dir + "hand" + tag + ".conf", handWritten);
        QSettings settings(dir + "hand" + tag + ".conf", QSettings::IniFormat);
        const QStringList keys = settings.allKeys();
        QVERIFY(keys.size() > 3);
        Config config(dir + "hand" + tag + ".conf", Config::File);
        for (const QString &k : keys) {
            QCOMPARE(config.hasKey(k), true);
            QCOMPARE(config.readEntry(k, QStringLiteral("missing")),
                     readByQSettings(dir + "hand" + tag + ".conf", k).isNull() ? QStringLiteral("missing")
                                                                              : readByQSettings(dir + "hand" + tag + ".conf", k));
        }
        return;
    }
    // QSettings writes as the earlier versions did, Config reads
    {
        QSettings settings(dir + "qs" + tag + ".conf", QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        const bool pairs = std::any_of(value.begin(), value.end(), [](QChar c) { return c.isSurrogate(); });
        settings.setValue(path, pairs ? QVariant(value.toUtf8()) : QVariant(value));
        settings.setValue(QStringLiteral("Other/key"), QStringLiteral("other"));
    }
    {
        Config config(dir + "qs" + tag + ".conf", Config::File);
        config.setGroup(group);
        QCOMPARE(config.readEntry(key, QStringLiteral("missing")), value);
    }
    // Config writes, QSettings reads
    {
        Config config(dir + "config" + tag + ".conf", Config::File);
        config.setGroup(group);
        config.writeEntry(key, value);
        config.setGroup(QStringLiteral("Other"));
        config.writeEntry(QStringLiteral("key"), QStringLiteral("other"));
    }
    QCOMPARE(readByQSettings(dir + "config" + tag + ".conf", path), value);
    QCOMPARE(readByQSettings(dir + "config" + tag + ".conf", QStringLiteral("Other/key")), QStringLiteral("other"));
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
