#include "ymrtest.h"

#include "bookfixtures.h"
#include "programrun.h"

#include "startup.h"

#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/alarmserver.h"
#include "qpe/boundedfile.h"
#include "qpe/global.h"
#include "qpe/qpeglobal.h"
#include "qt/ymrdialog.h"

#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixtures;
using namespace ymrtest;

namespace {

// A home whose book index lists book and whose settings open it at the start.
void openAtStart(const QString &home, const QString &book, const QByteArray &text)
{
    makeProgramHome(home);
    if (!text.isNull())
        writeFile(book, text);
    writeFile(home + "/Applications/ymrOutlays/ymrOutlaysIDX", "FOLDER\nI=" + book.toUtf8() + "\nEND\n");
    writeFile(home + "/Settings/ymrOutlays.conf", "[Options]\nbook=" + book.toUtf8() + "\n");
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void language_data();
    void language();
    void programConvertsAndOpensTheFirstBook();
    void refusedDocuments_data();
    void refusedDocuments();
    void programStartsWithADamagedFile_data();
    void programStartsWithADamagedFile();
    void programOpensABookWhoseLockIsAFifo();
    void programRunsWhateverStandsAtALock_data();
    void programRunsWhateverStandsAtALock();
    void setAsideFilesNamedInOneMessage();
    void reminderShowingAtTheEndRingsAtTheNextStart();
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
    YMR_REQUIRE_PROGRAM(program);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString oldDir = home.path() + "/Applications/expense";
    QVERIFY(QDir().mkpath(oldDir));
    const QByteArray text("FOLDER\nEND\nUID=0f0e0d0c-0b0a-0908-0706-050403020100\nT=Taxi\n"
                          "CATEGORIES=\nEND\n");
    writeFile(oldDir + "/expense", text);

    QProcess process;
    process.setProcessEnvironment(programEnvironment(home.path(), QStringLiteral("ja_JP.UTF-8")));
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

void TestStartup::refusedDocuments_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("content");   // "fifo": a FIFO
    QTest::newRow("fifo") << QByteArray("pipe.exp") << QByteArray("fifo");
    QTest::newRow("empty file") << QByteArray("empty.exp") << QByteArray();
    QTest::newRow("latin-1 bytes") << QByteArray("caf\xe9.exp") << QByteArray("FOLDER\nEND\n");
}

// The program itself, a file named on its command line that is no book or
// whose name cannot be read: it is refused, the program goes on answering
// (a FIFO never blocks it), and nothing is added or written.
void TestStartup::refusedDocuments()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, content);
    YMR_REQUIRE_PROGRAM(program);
    // a home whose last book opens at the start: once the settings name it,
    // the command line's document is the next thing the program handles
    const QString household = bookPath(QStringLiteral("Household"));
    if (!QFileInfo::exists(household)) {
        DBManager index;
        index.load();
        addBook(&index, QStringLiteral("Household"));
        QVERIFY(index.save());
    }
    setSetting("Options", "book", household);
    const QString settings = Qpe::settingsDir() + "/ymrOutlays.conf";
    const QString indexFile = Global::applicationFileName("ymrOutlays", "ymrOutlaysIDX");
    const QByteArray indexBefore = readAll(indexFile);

    const QString dir = booksDir() + "/cli";
    QDir().mkpath(dir);
    const QByteArray raw = QFile::encodeName(dir) + '/' + name;
    ::unlink(raw.constData());
    if (content == "fifo") {
        QCOMPARE(::mkfifo(raw.constData(), 0600), 0);
    } else {
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
    }
    const QStringList before = QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);

    // QProcess would hand the name over in UTF-8: the shell passes the bytes
    QByteArray escaped;
    for (const char c : raw)
        escaped += "\\0" + QByteArray::number(uchar(c), 8);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf '%b' \"$1\")\""),
                   program, QString::fromLatin1(escaped)});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(settings).contains("Household.exp"), 20000);
    QTest::qWait(500);
    // its message is up; an end of session closes it and ends the program
    QVERIFY2(endProgram(process, 10000), "the program no longer answers");
    QCOMPARE(readAll(indexFile), indexBefore);
    QVERIFY(!readAll(settings).contains("/cli/"));
    QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden), before);
    struct stat st;
    QCOMPARE(::stat(raw.constData(), &st), 0);
    QCOMPARE(qint64(st.st_size), content == "fifo" ? qint64(0) : qint64(content.size()));
    ::unlink(raw.constData());
}

// The program with one file it reads at start-up damaged: a FIFO (whose
// open would block), a line longer than any record line, or a file beyond
// its kind's size. It sets the file aside, says so, and runs on with its
// defaults: where its book can still be found it opens and paints it.
void TestStartup::programStartsWithADamagedFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("opensBook");
    QTest::newRow("category file, long line") << "Applications/ymrOutlays/ymrCategory" << "line" << true;
    QTest::newRow("category file, FIFO") << "Applications/ymrOutlays/ymrCategory" << "fifo" << true;
    QTest::newRow("book index, long line") << "Applications/ymrOutlays/ymrOutlaysIDX" << "line" << true;
    QTest::newRow("template book, long line") << "Applications/expensetemplates/templates" << "line" << true;
    QTest::newRow("template names, FIFO") << "Applications/expensetemplates/templates.idx" << "fifo" << true;
    QTest::newRow("currency list, too large") << "Applications/ymrOutlaysData/currencies_en" << "size" << true;
    QTest::newRow("alarm list, FIFO") << "Settings/alarms" << "fifo" << true;
    QTest::newRow("toolkit settings, FIFO") << "Settings/ymr.conf" << "fifo" << true;
    QTest::newRow("program settings, too large") << "Settings/ymrOutlays.conf" << "size" << false;
}

void TestStartup::programStartsWithADamagedFile()
{
    QFETCH(QString, file);
    QFETCH(QString, damage);
    QFETCH(bool, opensBook);
    YMR_REQUIRE_PROGRAM(program);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    for (const char *dir : {"Applications/expensetemplates", "Applications/ymrOutlaysData"})
        QVERIFY(QDir().mkpath(home.path() + "/" + dir));
    // a book that opens at start: its currencies are read then
    const QString book = home.path() + "/Applications/ymrOutlays/Trip.exp";
    openAtStart(home.path(), book, "FOLDER\nTOTAL=1\nEND\nTYPE=Taxi\nAMOUNT=12.50\nEND\n");

    const QString path = home.path() + "/" + file;
    QFile::remove(path);
    if (damage == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (damage == "line") {
        // one byte over the longest record line, in the header
        writeFile(path, "FOLDER\nPROP=a=" + QByteArray(1024 * 1024 - 6, 'x') + "\nEND\nEND\n");
    } else {
        // beyond the largest settings file (and any value list)
        writeFile(path, "[Options]\n" + QByteArray(16 * 1024 * 1024 + 1, '#'));
    }

    QProcess process;
    process.setProcessEnvironment(programEnvironment(home.path(), QStringLiteral("en"), true));
    process.start(program, QStringList());
    QVERIFY(process.waitForStarted());
    if (opensBook) {
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), QByteArray("painted\n"));
    } else {
        // without its settings the program does not know its book: it runs
        // on and offers its books
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path + ".damaged"), 20000);
        QVERIFY(!process.waitForFinished(1000));
        process.terminate();
        QVERIFY(process.waitForFinished());
    }
    QVERIFY(process.readAllStandardError().contains("cannot be read; set aside as "
                                                    + QFile::encodeName(path) + ".damaged"));
    // the shared categories start again from the installed ones
    if (file.endsWith("ymrCategory"))
        QVERIFY(readAll(path).contains("T=Unfiled"));
}

// The program itself, a FIFO planted at its book's lock: it is no lock,
// never opened blocking; the book opens and paints, and the FIFO is gone.
void TestStartup::programOpensABookWhoseLockIsAFifo()
{
    YMR_REQUIRE_PROGRAM(program);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString app = home.path() + "/Applications/ymrOutlays";
    const QString book = app + "/Trip.exp";
    openAtStart(home.path(), book, "FOLDER\nTOTAL=1\nEND\nTYPE=Taxi\nAMOUNT=12.50\nEND\n");
    const QByteArray lock = QFile::encodeName(app + "/.Trip.exp.lock");
    QCOMPARE(::mkfifo(lock.constData(), 0644), 0);

    QProcess process;
    process.setProcessEnvironment(programEnvironment(home.path(), QStringLiteral("en"), true));
    process.start(program, QStringList());
    QVERIFY(process.waitForStarted());
    const bool painted = process.waitForFinished(20000);
    if (!painted) {
        // frozen: only a writer on the FIFO, then a kill, ends it
        const int fd = ::open(lock.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        process.kill();
        process.waitForFinished();
    }
    QVERIFY2(painted, "the program froze on the lock");
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("painted\n"));
    struct stat st;
    QVERIFY(::lstat(lock.constData(), &st) != 0 || S_ISREG(st.st_mode));
}

void TestStartup::programRunsWhateverStandsAtALock_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<QString>("plant");
    for (const char *lock : {"Settings/ymrOutlays.conf.lock", "Settings/alarms.lock"}) {
        for (const char *plant : {"FIFO", "folder", "link to a FIFO"})
            QTest::newRow(qPrintable(QStringLiteral("%1 at %2").arg(plant, lock))) << lock << plant;
    }
}

// The program itself, a FIFO, a folder or a link at the name of the
// alarms' lock or of the lock the settings had in earlier versions: it is
// never waited on. The window opens its book (and writes its settings) and
// the program ends at SIGTERM. A FIFO or link at the alarms' lock is
// replaced by the lock, a folder set aside; nothing looks at the other.
void TestStartup::programRunsWhateverStandsAtALock()
{
    QFETCH(QString, lock);
    QFETCH(QString, plant);
    YMR_REQUIRE_PROGRAM(program);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString appDir = makeProgramHome(home.path());
    const QString book = appDir + "/Trip.exp";
    writeFile(book, "FOLDER\nEND\n");
    writeFile(appDir + "/ymrOutlaysIDX", "FOLDER\nI=" + book.toUtf8() + "\nEND\n");
    const QByteArray at = QFile::encodeName(home.path() + "/" + lock);
    const QByteArray fifo = plant == "FIFO" ? at : QFile::encodeName(home.path() + "/elsewhere");
    if (plant != "folder")
        QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);
    if (plant == "folder")
        QVERIFY(QDir().mkdir(QFile::decodeName(at)));
    else if (plant != "FIFO")
        QCOMPARE(::symlink(fifo.constData(), at.constData()), 0);

    QProcess process;
    process.setProcessEnvironment(programEnvironment(home.path()));
    process.start(program, {book});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(home.path() + "/Settings/ymrOutlays.conf").contains("Trip.exp"), 20000);
    QVERIFY2(endProgram(process, 20000), "the program did not end at SIGTERM");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    struct stat st;
    if (lock.endsWith("alarms.lock")) {
        // the lock goes with the program that held it
        QVERIFY(::lstat(at.constData(), &st) != 0);
        QCOMPARE(QFileInfo(QFile::decodeName(at) + ".damaged").isDir(), plant == "folder");
    } else {
        QCOMPARE(::lstat(at.constData(), &st), 0);
        QCOMPARE(S_ISDIR(st.st_mode), plant == "folder");
        QCOMPARE(S_ISFIFO(st.st_mode), plant == "FIFO");
        QCOMPARE(S_ISLNK(st.st_mode), plant.startsWith("link"));
    }
    // what a link names is none of the program's
    if (plant.startsWith("link")) {
        QCOMPARE(::stat(fifo.constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }
}

// Files set aside one after another while the program starts are named in
// one message, once the event loop runs.
void TestStartup::setAsideFilesNamedInOneMessage()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("alarms"), b = dir.filePath("ymrCategory");
    writeFile(a, "a");
    writeFile(b, "b");
    Startup::reportSetAsideFiles();
    Startup::windowShown();
    YMRDialog::queueAnswer(1);
    QTest::ignoreMessage(QtWarningMsg, qPrintable(a + " cannot be read; set aside as " + a + ".damaged"));
    QTest::ignoreMessage(QtWarningMsg, qPrintable(b + " cannot be read; set aside as " + b + ".damaged"));
    QVERIFY(BoundedFile::setAside(a));
    QVERIFY(BoundedFile::setAside(b));
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
    QTRY_COMPARE(YMRDialog::queuedAnswers(), 0);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    YMRDialog::stopScript();
    BoundedFile::setNotifier({});
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first().text.contains(a + "\n(kept as " + a + ".damaged)"));
    QVERIFY(boxes.first().text.contains(b + "\n(kept as " + b + ".damaged)"));
    QCOMPARE(readAll(a + ".damaged"), QByteArray("a"));
    QVERIFY(!QFileInfo::exists(a));
}

// The program itself, its reminder up ("1 Reminders") when the session
// ends: the reminder was neither dismissed nor snoozed, so it rings again
// at the next start, as one missed while the program was closed does.
void TestStartup::reminderShowingAtTheEndRingsAtTheNextStart()
{
    YMR_REQUIRE_PROGRAM(program);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString book = home.path() + "/Applications/ymrOutlays/Trip.exp";
    openAtStart(home.path(), book, QByteArray());
    const QDateTime due = AlarmServer::wholeSeconds(QDateTime::currentDateTime().addSecs(-120));
    QByteArray message;
    {
        TaskManager store(book);
        auto *lunch = new Task(&store);
        lunch->type = QStringLiteral("Lunch");
        lunch->reminder = new PIMReminder;
        lunch->reminder->dateTime = due;
        lunch->reminder->sound = true;
        lunch->store(nullptr);
        QVERIFY(store.save());
        message = TaskManager::alarmMessage(lunch);
    }
    // as the program registered it when the reminder was set
    const QString alarms = home.path() + "/Settings/alarms";
    writeFile(alarms, due.toString(Qt::ISODate).toLatin1() + "\tQPE/Application/ymrOutlays\t" + message + "\t0\n");

    // each ring plays the alarm sound: a line in the marker
    const QString marker = home.path() + "/rang";
    QProcessEnvironment env = programEnvironment(home.path());
    env.insert(QStringLiteral("QPE_SOUND_CMD"), "sh -c \"echo rang >> '" + marker + "'\"");
    const auto rings = [&marker] { return readAll(marker).count('\n'); };
    for (int start = 1; start <= 2; ++start) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, QStringList());
        QVERIFY(process.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(rings(), start, 20000);
        // the session ends while it shows
        QVERIFY2(endProgram(process, 20000), "the program no longer answers");
        QVERIFY2(readAll(alarms).contains(message), readAll(alarms).constData());
    }
}

YMR_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
