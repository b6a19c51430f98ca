#include "ymrtest.h"

#include "bookfixtures.h"

#include "startup.h"

#include <QProcess>

using namespace fixtures;

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void language_data();
    void language();
    void programConvertsAndOpensTheFirstBook();
};

void TestStartup::language_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("unset") << false << QByteArray() << QByteArray("en");
    QTest::newRow("empty") << true << QByteArray() << QByteArray("en");
    QTest::newRow("ja") << true << QByteArray("ja") << QByteArray("ja");
    QTest::newRow("ja with a country") << true << QByteArray("ja_JP.UTF-8") << QByteArray("en");
    QTest::newRow("other language") << true << QByteArray("de_DE") << QByteArray("en");
}

void TestStartup::language()
{
    QFETCH(bool, set);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, result);
    if (set)
        qputenv("LANG", value);
    else
        qunsetenv("LANG");
    Startup::fixLanguage();
    QCOMPARE(qgetenv("LANG"), result);
}

// The program itself: started on a home with the earlier program's data it
// converts it and opens the book it made.
void TestStartup::programConvertsAndOpensTheFirstBook()
{
    const QString program = QCoreApplication::applicationDirPath() + "/../app/ymroutlays";
    if (!QFileInfo::exists(program))
        QSKIP("the program is not built");
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString oldDir = home.path() + "/Applications/expense";
    QVERIFY(QDir().mkpath(oldDir));
    const QByteArray text("FOLDER\nEND\nUID=0f0e0d0c-0b0a-0908-0706-050403020100\nT=Taxi\n"
                          "CATEGORIES=\nEND\n");
    writeFile(oldDir + "/expense", text);

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QPE_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(program, QStringList());
    QVERIFY(process.waitForStarted());

    const QString book = home.path() + "/Applications/ymrOutlays/Book1.exp";
    const QString index = home.path() + "/Applications/ymrOutlays/ymrOutlaysIDX";
    // the window opens the converted book, which enters the book index
    const QString settings = home.path() + "/Settings/ymrOutlays.conf";
    QTRY_VERIFY_WITH_TIMEOUT(readAll(index).contains("I=" + book.toUtf8())
                                 && readAll(settings).contains("Book1.exp"),
                             20000);
    // as converted (the program's close saves the book in its own form)
    const QByteArray converted = readAll(book);
    process.terminate();
    QVERIFY(process.waitForFinished());

    QVERIFY(!QFileInfo::exists(oldDir + "/expense"));
    QCOMPARE(readAll(oldDir + "/expense.old"), text);
    QVERIFY(converted.startsWith("FOLDER\nEND\nUID=0f0e0d0c-0b0a-0908-0706-050403020100\nT=Taxi\nCATS="));
    // LANG became "en": the English categories were installed
    QVERIFY(readAll(home.path() + "/Applications/ymrOutlays/ymrCategory").contains("T=Unfiled"));
}

YMR_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
