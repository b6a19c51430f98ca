#include "ymrtest.h"

#include "filebytes.h"
#include "lockholder.h"
#include "programrun.h"
#include "tempfiles.h"
#include "openbook.h"

#include "datamigration.h"
#include "startup.h"

#include "pim/categoriesmanager.h"
#include "pim/categorymanager.h"
#include "pim/bookfile.h"
#include "pim/categoryrecord.h"
#include "pim/pimreminder.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/categories.h"
#include "qpe/config.h"
#include "qpe/filereplacer.h"
#include "qpe/qpeglobal.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Runs the migration in a child process on this test's home: "convert"
// says what it did, "killed" ends as a kill would once the book is on disk,
// before the old file is put aside. A child that hangs is ended and the
// test fails.
bool runChild(const QString &how, QString *output = nullptr, int *result = nullptr)
{
    QProcess child;
    ymrtest::startChild(child, {QStringLiteral("--migration"), how});
    if (!child.waitForStarted())
        return false;
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        qWarning("the migration hung");
        return false;
    }
    if (output)
        *output = QString::fromUtf8(child.readAllStandardOutput());
    if (result)
        *result = child.exitCode();
    return child.exitStatus() == QProcess::NormalExit;
}

int migrationMain(int argc, char **argv)
{
    // a read that grows without end fails here rather than taking the
    // machine (AddressSanitizer reserves far more address space than that:
    // there, its own limits count)
#ifndef __SANITIZE_ADDRESS__
    const rlimit memory = {rlim_t(1) << 30, rlim_t(1) << 30};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
    if (argc > 2 && qstrcmp(argv[2], "killed") == 0)
        DataMigration::setBeforeRenameHook([] { ::_exit(0); });
    // "killed at N": a kill as the N-th file it writes is begun (0: the
    // first in the settings' folder)
    static int s_killAt = 0;
    if (argc > 3 && qstrcmp(argv[2], "killed at") == 0) {
        s_killAt = QByteArray(argv[3]).toInt();
        FileReplacer::setCreatedHook([](int fd) {
            const QString file = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
            if (s_killAt ? --s_killAt == 0 : QFileInfo(file).path() == QDir(Qpe::settingsDir()).canonicalPath())
                ::raise(SIGKILL);
        });
    }
    QString error;
    const int result = DataMigration::run(&error);
    QTextStream(stdout) << error;
    return result;
}
} // namespace

class TestDataMigration : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void convertLine_data();
    void convertLine();
    void existingCategoryTakesPlatformColours();
    void noOldFileChangesNothing();
    void convertsOnceIntoBookOne();
    void takenNameIsLeftAlone_data();
    void takenNameIsLeftAlone();
    void sessionEndDuringItsMessageEndsTheProgram();
    void killedStartFinishedByTheNext_data();
    void killedStartFinishedByTheNext();
    void convertedBookSettles_data();
    void convertedBookSettles();
    void staleAsideFileIsKept();
    void failureLeavesEverythingAsItWas_data();
    void failureLeavesEverythingAsItWas();
    void damagedCategoryFileIsKept_data();
    void damagedCategoryFileIsKept();
    void categoryFileThatIsNoFile_data();
    void categoryFileThatIsNoFile();
    void zeroByteLine_data();
    void zeroByteLine();

private:
    static QByteArray readAll(const QString &path);
    static void writeFile(const QString &path, const QByteArray &bytes);
    static QString bookSetting();
    static QString categoryPath();

    int m_travel = 0;
    int m_food = 0;
};

QByteArray TestDataMigration::readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestDataMigration::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QString TestDataMigration::categoryPath()
{
    CategoryManager store;
    return store.fileName();
}

QString TestDataMigration::bookSetting()
{
    Config cfg(QStringLiteral("ymrOutlays"));
    cfg.setGroup(QStringLiteral("Options"));
    return cfg.readEntry(QStringLiteral("book"), QStringLiteral("<none>"));
}

void TestDataMigration::initTestCase()
{
    // as the program fixes it before converting: the installed categories
    qputenv("LANG", "en");
    Categories platform;
    m_travel = platform.addCategory(QStringLiteral("ymrOutlays"), QStringLiteral("Voyage"));
    m_food = platform.addCategory(QStringLiteral("ymrOutlays"), QStringLiteral("Food"));
    QVERIFY(platform.save(categoryFileName()));
    CategoriesManager::refresh();
    QCOMPARE(CategoriesManager::label(m_travel), QStringLiteral("Voyage"));
    CategoriesManager::setForegroundColor(QStringLiteral("Voyage"), QColor("#112233"));
    CategoriesManager::setBackgroundColor(QStringLiteral("Voyage"), QColor("#445566"));
}

void TestDataMigration::cleanup()
{
    const QString old = DataMigration::oldFileName();
    QDir(QFileInfo(old).path()).removeRecursively();
    const QString book = DataMigration::bookFileName();
    QDir(QFileInfo(book).path()).removeRecursively();
    Config cfg(QStringLiteral("ymrOutlays"));
    cfg.setGroup(QStringLiteral("Options"));
    cfg.removeEntry(QStringLiteral("book"));
}

void TestDataMigration::convertLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("titles");   // empty: line unchanged

    const QString unfiled = CategoryManager::unfiledName(true);
    QTest::newRow("nothing after the key") << "CATEGORIES=" << QStringList{unfiled};
    QTest::newRow("empty part dropped")
        << QStringLiteral("CATEGORIES=%1;;%2").arg(m_travel).arg(m_food)
        << QStringList{"Voyage", "Food"};
    QTest::newRow("repeated id") << QStringLiteral("CATEGORIES=%1;%1").arg(m_travel)
                                 << QStringList{"Voyage", "Voyage"};
    QTest::newRow("not a number is id 0") << "CATEGORIES=abc" << QStringList{unfiled};
    QTest::newRow("unknown negative id") << "CATEGORIES=-7" << QStringList{unfiled};
    QTest::newRow("key not at the start") << " CATEGORIES=1" << QStringList();
    QTest::newRow("key inside a value") << "D=CATEGORIES=1" << QStringList();
    QTest::newRow("other key") << "CATS=abc" << QStringList();
    QTest::newRow("lower case") << "categories=1" << QStringList();
}

void TestDataMigration::convertLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, titles);
    CategoryManager store;
    store.load();
    const QString result = DataMigration::convertLine(line, &store);
    if (titles.isEmpty()) {
        QCOMPARE(result, line);
        return;
    }
    QStringList uids;
    for (const QString &t : qAsConst(titles)) {
        CategoryRecord *r = store.findByTitle(t);
        QVERIFY2(r, qPrintable(t));
        uids.append(r->uidString());
    }
    QCOMPARE(result, QStringLiteral("CATS=") + uids.join(QLatin1Char('|')));
}

void TestDataMigration::existingCategoryTakesPlatformColours()
{
    CategoryManager store;
    store.load();
    auto *travel = new CategoryRecord(&store);
    travel->title = QStringLiteral("Voyage");
    travel->textColor = Qt::red;
    travel->backgroundColor = Qt::blue;
    QVERIFY(travel->store(nullptr));
    const QString uid = travel->uidString();
    const int before = store.count();

    QCOMPARE(DataMigration::convertLine(QStringLiteral("CATEGORIES=%1").arg(m_travel), &store),
             QStringLiteral("CATS=") + uid);
    QCOMPARE(store.count(), before);
    QCOMPARE(travel->textColor, QColor("#112233"));
    QCOMPARE(travel->backgroundColor, QColor("#445566"));
}

void TestDataMigration::noOldFileChangesNothing()
{
    {
        Config cfg(QStringLiteral("ymrOutlays"));
        cfg.setGroup(QStringLiteral("Options"));
        cfg.writeEntry(QStringLiteral("book"), QStringLiteral("/somewhere/else.exp"));
    }
    QCOMPARE(DataMigration::run(), DataMigration::NothingToDo);
    QVERIFY(!QFileInfo::exists(DataMigration::bookFileName()));
    QCOMPARE(bookSetting(), QStringLiteral("/somewhere/else.exp"));
}

void TestDataMigration::convertsOnceIntoBookOne()
{
    const QString old = DataMigration::oldFileName();
    const QByteArray text = "FOLDER\nSORT=6\nEND\nUID=x\nD=Taxi \xc3\xa9\n"
                            + QStringLiteral("CATEGORIES=%1\n").arg(m_travel).toUtf8()
                            + "END\n";
    writeFile(old, text);

    QString error;
    QCOMPARE(DataMigration::run(&error), DataMigration::Converted);
    QVERIFY(error.isEmpty());
    QVERIFY(!QFileInfo::exists(old));
    QCOMPARE(readAll(old + ".old"), text);
    const QString book = DataMigration::bookFileName();
    QCOMPARE(bookSetting(), book);
    QVERIFY(tempFilesIn(QFileInfo(book).path()).isEmpty());

    CategoryManager store;
    store.load();
    CategoryRecord *travel = store.findByTitle(QStringLiteral("Voyage"));
    QVERIFY(travel);   // saved with the category file
    const QByteArray converted = readAll(book);
    QCOMPARE(converted, "FOLDER\nSORT=6\nEND\nUID=x\nD=Taxi \xc3\xa9\nCATS="
                            + travel->uidString().toLatin1() + "\nEND\n");

    // a second start converts nothing
    QCOMPARE(DataMigration::run(), DataMigration::NothingToDo);
    QCOMPARE(readAll(book), converted);
}

// A name another book has, or a book another copy of the program has open
// there (one moved away while open), or a link, is left alone: the book
// takes the first free name and the user is told which.
void TestDataMigration::takenNameIsLeftAlone_data()
{
    // what stands at Book1.exp, Book2.exp, ...: a book, its lock held, a link
    QTest::addColumn<QString>("taken");
    QTest::addColumn<int>("number");
    QTest::newRow("a book there") << "b" << 2;
    QTest::newRow("held by another copy") << "h" << 2;
    QTest::newRow("a link there") << "l" << 2;
    QTest::newRow("a book there, the next held") << "bh" << 3;
    // an earlier start was killed once its book was there: that book is
    // the conversion's own, and only the old file is put aside
    QTest::newRow("a book there, the next an earlier start's") << "bk" << 2;
}

void TestDataMigration::takenNameIsLeftAlone()
{
    QFETCH(QString, taken);
    QFETCH(int, number);
    const QString outside = QFileInfo(DataMigration::oldFileName()).path() + "/outside.exp";
    const QByteArray kept = "FOLDER\nEND\nUID=kept\nEND\n";
    QList<pid_t> holders;
    auto release = qScopeGuard([&holders] {
        for (pid_t pid : holders)
            killLockHolder(pid);
    });
    writeFile(DataMigration::oldFileName(), "UID=x\nEND\n");
    for (int i = 0; i < taken.size(); ++i) {
        const QString path = DataMigration::bookFileName(i + 1);
        if (taken.at(i) == 'b') {
            writeFile(path, kept);
        } else if (taken.at(i) == 'h') {
            QVERIFY((holders << holdLockInChild(BookFile::lockFileName(path))).last() > 0);
        } else if (taken.at(i) == 'k') {
            QVERIFY(runChild(QStringLiteral("killed")));
            QVERIFY(QFileInfo(path).isFile());
            QVERIFY(QFileInfo::exists(DataMigration::oldFileName()));
        } else {
            QVERIFY(QFile::link(outside, path));
        }
    }

    YMRDialog::queueAnswer(1);
    QVERIFY(Startup::migrate());
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    YMRDialog::stopScript();
    const QString book = DataMigration::bookFileName(number);
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.at(0).text.contains(book), qPrintable(boxes.at(0).text));
    QCOMPARE(readAll(book), QByteArray("UID=x\nEND\n"));
    QCOMPARE(bookSetting(), book);
    for (int i = 0; i < taken.size(); ++i) {
        if (taken.at(i) != 'k')
            QCOMPARE(readAll(DataMigration::bookFileName(i + 1)), taken.at(i) == 'b' ? kept : QByteArray());
    }
    QVERIFY(!QFileInfo::exists(outside));
    QVERIFY(!QFileInfo::exists(DataMigration::bookFileName(number + 1)));
    QVERIFY(!QFileInfo::exists(DataMigration::oldFileName()));
    QCOMPARE(readAll(DataMigration::oldFileName() + ".old"), QByteArray("UID=x\nEND\n"));
}

// A start killed as it begins any file of the conversion, or before the old
// file goes aside: the next start opens the one converted book, with every
// expense and its reminder to come listed, and converts nothing twice.
void TestDataMigration::killedStartFinishedByTheNext_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("killAt"); // the file begun; 0: the settings
    // the categories' files and the book's, in turn
    for (int n = 1; n <= 4; ++n)
        QTest::addRow("before file %d", n) << "killed at" << n;
    QTest::newRow("before the settings") << "killed at" << 0;
    QTest::newRow("before the old file goes aside") << "killed" << 0;
    // an earlier version put the old file aside before naming the book
    QTest::newRow("aside, the book named nowhere") << "killed, unnamed" << 0;
}

void TestDataMigration::killedStartFinishedByTheNext()
{
    QFETCH(QString, how);
    QFETCH(int, killAt);
    const QString old = DataMigration::oldFileName();
    const QString book = DataMigration::bookFileName();
    // reminders past and to come, and a category
    QByteArray text("FOLDER\nEND\n");
    for (const char *year : {"2031", "2021"})
        text += QByteArray("UID=y") + year + "\nREMINDER\nDATETIME=1 5 " + year + " 9 0 0\nREMINDER_END\nEND\n";
    text += QStringLiteral("UID=x\nCATEGORIES=%1\nEND\n").arg(m_food).toUtf8();
    writeFile(old, text);

    const bool unnamed = how == "killed, unnamed";
    QProcess child;
    ymrtest::startChild(child, {QStringLiteral("--migration"), unnamed ? QStringLiteral("killed") : how,
                                QString::number(killAt)});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), how == "killed at" ? QProcess::CrashExit : QProcess::NormalExit);
    if (unnamed) {
        QVERIFY(QFile::rename(old, old + ".old"));
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("Options"));
        cfg.removeEntry(QStringLiteral("book"));
        QVERIFY(cfg.write());
    }

    // the next start: no message, the book the settings name opens
    YMRDialog::queueAnswer(1);
    QVERIFY(Startup::migrate());
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
    YMRDialog::stopScript();
    QVERIFY(!QFileInfo::exists(old));
    QCOMPARE(readAll(old + ".old"), text);
    QVERIFY(!QFileInfo::exists(DataMigration::bookFileName(2)));
    QCOMPARE(bookSetting(), book);
    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    QCOMPARE(w.manager()->fileName(), book);
    QCOMPARE(w.manager()->count(), 3);
    QVERIFY(w.bookIndex()->findByPath(book));
    for (PIMRecord *r : *w.manager()->records()) {
        const PIMReminder *reminder = static_cast<Task *>(r)->reminder;
        QCOMPARE(fixtures::alarmTimes(TaskManager::alarmMessage(r)).size(),
                 int(reminder && reminder->dateTime.date().year() == 2031));
    }
    QCOMPARE(DataMigration::run(), DataMigration::NothingToDo);
    w.close();
}

// The program itself: a log-out or kill while the message about the book's
// name shows ends it as closing its window does, at once and without error.
void TestDataMigration::sessionEndDuringItsMessageEndsTheProgram()
{
    YMR_REQUIRE_PROGRAM(program);
    QTemporaryDir home;
    const QString appDir = ymrtest::makeProgramHome(home.path());
    const QString oldDir = home.path() + "/Applications/expense";
    QVERIFY(!appDir.isEmpty() && QDir().mkpath(oldDir));
    writeFile(appDir + "/Book1.exp", "FOLDER\nEND\n");
    writeFile(oldDir + "/expense", "FOLDER\nEND\nUID=x\nEND\n");

    QProcess process;
    process.setProcessEnvironment(ymrtest::programEnvironment(home.path()));
    process.start(program, QStringList());
    QVERIFY(process.waitForStarted());
    auto stop = qScopeGuard([&process] { ymrtest::endProgram(process, 0); });
    // converted: the message comes next, and takes a signal come before it
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(oldDir + "/expense.old"), 20000);
    process.terminate();
    QVERIFY2(process.waitForFinished(20000), "the program went on after the session's end");
    stop.dismiss();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(QFileInfo(appDir + "/Book2.exp").isFile());
    QCOMPARE(readAll(appDir + "/Book1.exp"), QByteArray("FOLDER\nEND\n"));
}

// Inputs the fuzzing of the conversion found: the converted book settles
// after one save, whatever its values hold.
void TestDataMigration::convertedBookSettles_data()
{
    QTest::addColumn<QByteArray>("old");
    // a line read here loses one carriage return with its line feed
    QTest::newRow("carriage returns only") << QByteArray("FOLDER\nEND\nUID=x\nACCOUNT=\r\r\r\nEND\n");
    QTest::newRow("in the header") << QByteArray("FOLDER\nDESC=\r\r\r\nLASTCURRENT=\r\r\nEND\n");
    QTest::newRow("categories") << QByteArray("UID=x\nCATS=\r\r\r\nEND\nUID=y\nCATS=a||\r\r\r\nEND\n");
}

void TestDataMigration::convertedBookSettles()
{
    QFETCH(QByteArray, old);
    writeFile(DataMigration::oldFileName(), old);
    QCOMPARE(DataMigration::run(), DataMigration::Converted);
    const QString book = DataMigration::bookFileName();
    QByteArray first;
    for (int save = 0; save < 2; ++save) {
        {
            TaskManager store(book);
            QVERIFY(store.load());
            store.forceSave();
        }
        if (save == 0)
            first = readAll(book);
    }
    QCOMPARE(readAll(book), first);
    QVERIFY(!first.contains('\r'));
}

void TestDataMigration::staleAsideFileIsKept()
{
    const QString old = DataMigration::oldFileName();
    writeFile(old + ".old", "stale");
    writeFile(old, "FOLDER\nEND\n");
    QCOMPARE(DataMigration::run(), DataMigration::Converted);
    QCOMPARE(readAll(old + ".old"), QByteArray("stale"));
    QCOMPARE(readAll(old + ".old.1"), QByteArray("FOLDER\nEND\n"));
    QCOMPARE(readAll(DataMigration::bookFileName()), QByteArray("FOLDER\nEND\n"));
}

namespace {
// What happens under the book's folder lock just before the converted book
// takes its name.
std::function<void()> s_atCommit;
} // namespace

void TestDataMigration::failureLeavesEverythingAsItWas_data()
{
    // each blocks one step: a disk that takes the category file (a few
    // hundred bytes) but not the book, or neither; a folder made at the
    // book's name as it is put there; the old file moved away once the book
    // is there, so that it cannot be kept as "expense.old"
    QTest::addColumn<QString>("atCommit");
    QTest::addColumn<int>("spaceLeft");
    QTest::addColumn<int>("description");
    QTest::newRow("book not writable") << QString() << 4000 << 8000;
    QTest::newRow("categories not writable") << QString() << 0 << 0;
    QTest::newRow("book's name taken as it is put there") << "folder at the book" << -1 << 0;
    QTest::newRow("old file gone before it was kept") << "old file moved" << -1 << 0;
    QTest::newRow("a file at the book's name as it is put there") << "file at the book" << -1 << 0;
    QTest::newRow("category file read-only") << "categories read-only" << -1 << 0;
}

void TestDataMigration::failureLeavesEverythingAsItWas()
{
    QFETCH(QString, atCommit);
    QFETCH(int, spaceLeft);
    QFETCH(int, description);
    const QString old = DataMigration::oldFileName();
    const QString book = DataMigration::bookFileName();
    const QByteArray text = QStringLiteral("UID=y\nCATEGORIES=%1\nNOTE=%2\nEND\n")
                                .arg(m_food)
                                .arg(QString(description, QLatin1Char('n')))
                                .toUtf8();
    writeFile(old, text);
    const QByteArray categoriesBefore = readAll(categoryPath());
    QVERIFY(!categoriesBefore.isEmpty());
    QVERIFY(categoriesBefore.size() < 4000);
    const QByteArray planted = "FOLDER\nEND\nUID=planted\nEND\n";
    if (atCommit == "categories read-only")
        QVERIFY(QFile::setPermissions(categoryPath(), QFile::ReadOwner | QFile::ReadGroup));
    s_atCommit = [&] {
        if (atCommit == "folder at the book")
            QDir().mkpath(book);
        else if (atCommit == "file at the book")
            writeFile(book, planted);
        else if (atCommit == "old file moved")
            QFile::rename(old, old + ".moved");
    };
    BookFile::setCommitHook([](const QString &) { s_atCommit(); });
    FileReplacer::setSpaceLeft(spaceLeft);
    QString error;
    const auto result = DataMigration::run(&error);
    FileReplacer::setSpaceLeft(-1);
    BookFile::setCommitHook(nullptr);
    QCOMPARE(result, DataMigration::Failed);
    QVERIFY(!error.isEmpty());
    if (atCommit == "old file moved")
        QVERIFY(QFile::rename(old + ".moved", old));
    QCOMPARE(readAll(old), text);
    QVERIFY(!QFileInfo::exists(old + ".old"));
    if (atCommit == "file at the book")
        QCOMPARE(readAll(book), planted);
    else
        QCOMPARE(QFileInfo(book).isFile(), false);
    QVERIFY(tempFilesIn(QFileInfo(book).path()).isEmpty());
    QCOMPARE(readAll(categoryPath()), categoriesBefore);
    QCOMPARE(bookSetting(), QStringLiteral("<none>"));

    // once the way is clear the next start converts
    if (atCommit == "folder at the book")
        QVERIFY(QDir(book).removeRecursively());
    else if (atCommit == "file at the book")
        QVERIFY(QFile::remove(book));
    else if (atCommit == "categories read-only")
        QVERIFY(QFile::setPermissions(categoryPath(), QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(DataMigration::run(), DataMigration::Converted);
    QVERIFY(QFileInfo(book).isFile());
}

// A category file that is none (bytes of something else, what a disk that
// lost a write leaves, one cut short) is set aside whole as the program
// starts and converts the earlier data, and the user told once the window
// shows: the converted categories go to a new file, and nothing is written
// over the old one. One that reads whole keeps its categories.
void TestDataMigration::damagedCategoryFileIsKept_data()
{
    QTest::addColumn<QByteArray>("categories");
    QTest::addColumn<bool>("whole");
    const QByteArray mine = "T=Mine\nUID=11111111-2222-3333-4444-555555555555\nEND\n";
    QTest::newRow("whole") << "FOLDER\nTOTAL=1\nEND\n" + mine << true;
    QTest::newRow("bytes of something else")
        << QByteArray("these bytes are no category file\n\0\1\xff\n", 37) << false;
    QTest::newRow("hello world") << QByteArray("hello world") << false;
    QTest::newRow("zero bytes") << QByteArray(100, '\0') << false;
    QTest::newRow("header cut short") << QByteArray("FOLDER\nSORT=-1\nSORTORDER=1\nPERP") << false;
    QTest::newRow("header cut after a whole line") << QByteArray("FOLDER\nSORT=-1\nSORTORDER=1\n") << false;
    QTest::newRow("count holding \"=\"") << "FOLDER\nTOTAL=1=1\nEND\n" + mine << false;
    QTest::newRow("last category cut") << "FOLDER\nTOTAL=1\nEND\n" + mine.left(20) << false;
}

void TestDataMigration::damagedCategoryFileIsKept()
{
    QFETCH(QByteArray, categories);
    QFETCH(bool, whole);
    const QString path = categoryPath();
    const QString aside = BoundedFile::asideName(path);
    QFile::remove(aside);
    writeFile(path, categories);
    writeFile(DataMigration::oldFileName(), QStringLiteral("UID=y\nCATEGORIES=%1\nEND\n").arg(m_travel).toUtf8());

    Startup::reportSetAsideFiles();
    YMRDialog::queueAnswer(1);
    Startup::migrate();
    QVERIFY(QFileInfo::exists(DataMigration::bookFileName()));
    Startup::windowShown();
    ymrtest::flushEvents();
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    YMRDialog::stopScript();
    BoundedFile::setNotifier(BoundedFile::Notifier());
    if (whole) {
        QVERIFY(boxes.isEmpty());
        QVERIFY(!QFileInfo::exists(aside));
    } else {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text, QStringLiteral("Cannot read these files; the program goes on with its "
                                                  "defaults:\n%1\n(kept as %2)")
                                       .arg(path, aside));
        QCOMPARE(readAll(aside), categories);
    }
    CategoryManager store;
    QVERIFY(store.load());
    QVERIFY(!store.isDamaged());
    QVERIFY(store.findByTitle(QStringLiteral("Voyage")));
    QCOMPARE(bool(store.findByTitle(QStringLiteral("Mine"))), whole);
    QFile::remove(aside);
}

// Something at the category file that is no file, where it cannot be set
// aside (every name to keep it under taken): the start neither waits on it
// nor reads without end, and converts nothing it could not put back.
void TestDataMigration::categoryFileThatIsNoFile_data()
{
    QTest::addColumn<QString>("standing");
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a link to a device without end") << "/dev/zero";
    QTest::newRow("a link to a FIFO") << "link to fifo";
}

void TestDataMigration::categoryFileThatIsNoFile()
{
    QFETCH(QString, standing);
    const QString path = categoryPath();
    const QString folder = QFileInfo(path).path();
    QVERIFY(QDir().mkpath(folder));
    QFile::remove(path);
    for (int n = 1; n <= BoundedFile::MaxAsideNames; ++n)
        writeFile(BoundedFile::asideName(path, n), "kept");
    const QString fifo = standing == "fifo" ? path : folder + "/elsewhere";
    if (standing != "/dev/zero")
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    if (fifo != path)
        QVERIFY(QFile::link(standing == "/dev/zero" ? standing : fifo, path));
    const QByteArray text = "FOLDER\nEND\nUID=x\nCATEGORIES=1\nEND\n";
    writeFile(DataMigration::oldFileName(), text);

    QString output;
    int result = -1;
    QVERIFY(runChild(QStringLiteral("convert"), &output, &result));
    QCOMPARE(result, int(DataMigration::Failed));
    QVERIFY2(output.contains(path), qPrintable(output));
    QCOMPARE(readAll(DataMigration::oldFileName()), text);
    QVERIFY(!QFileInfo::exists(DataMigration::bookFileName()));
    QFileInfo there(path);
    QVERIFY(there.isSymLink() || (!there.isFile() && there.exists()));
}

// A zero byte in the earlier data file (no book holds one): a field's line
// is left out, named, and the old file kept with it; a line the records are
// made of blocks the conversion, which names the old file and the line.
void TestDataMigration::zeroByteLine_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("book");
    QTest::addColumn<QString>("named");
    // "~" stands for the zero byte
    const auto zero = [](QByteArray text) { return text.replace('~', '\0'); };
    QTest::newRow("in a value") << zero("FOLDER\nEND\nUID=x\nD=a~\x93z\nA=3\nEND\n")
                                << QByteArray("FOLDER\nEND\nUID=x\nA=3\nEND\n") << "line 4 of";
    QTest::newRow("two values") << zero("UID=x\nD=~\nEND\nUID=y\nN=~~\nEND\n")
                                << QByteArray("UID=x\nEND\nUID=y\nEND\n") << "lines 2, 5 of";
    QTest::newRow("in a record's end") << zero("UID=x\nEN~D\nUID=y\nEND\n") << QByteArray() << "Line 2 of";
    QTest::newRow("in a UID") << zero("UID=x~\nEND\n") << QByteArray() << "Line 1 of";
}

void TestDataMigration::zeroByteLine()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, book);
    QFETCH(QString, named);
    const QString oldPath = DataMigration::oldFileName();
    writeFile(oldPath, old);
    QString error;
    QString converted;
    QString note;
    const auto result = DataMigration::run(&error, &converted, &note);
    if (book.isEmpty()) {
        QCOMPARE(result, DataMigration::Failed);
        QVERIFY2(error.contains(named) && error.contains(oldPath), qPrintable(error));
        QCOMPARE(readAll(oldPath), old);
        QVERIFY(!QFileInfo::exists(DataMigration::bookFileName()));
        return;
    }
    QCOMPARE(result, DataMigration::Converted);
    QCOMPARE(readAll(converted), book);
    QCOMPARE(readAll(oldPath + ".old"), old);
    QVERIFY2(note.contains(named) && note.contains(oldPath + ".old"), qPrintable(note));
}

YMR_TEST_MAIN_WITH_CHILD(TestDataMigration, "--migration", migrationMain)
#include "tst_datamigration.moc"
