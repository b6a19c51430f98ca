#include "ymrtest.h"

#include "fifoguard.h"
#include "filebytes.h"
#include "lockholder.h"
#include "tempfiles.h"

#include "pim/bookfile.h"
#include "pim/pimtextreader.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qt/ymrapplication.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

// The owner of a book's file: who may write it (the lock, whatever a
// stranger left at its name), that a save reported done is on disk with two
// copies of the program at work, that what is saved reads back, and that
// the bytes of a damaged book are kept, each damage on its own.
class TestBookFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup()
    {
        FileReplacer::setSpaceLeft(-1);
        TaskManager::setMaxBookSize(0);
        PIMTextReader::setMaxLineLength(0);
    }
    void racingCopiesLoseNoSave();
    void whatStandsAtTheLocksName_data();
    void whatStandsAtTheLocksName();
    void longNamesLockAndSave_data();
    void longNamesLockAndSave();
    void savesOnlyWhatReadsBack_data();
    void savesOnlyWhatReadsBack();
    void eachDamageKeptOnItsOwn();

private:
    QString folder(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(path);
        return path;
    }
    static void addTask(TaskManager &book, const QString &type, const QString &description = QString())
    {
        auto *t = new Task(&book);
        t->type = type;
        t->description = description;
        t->store(nullptr);
    }
    QTemporaryDir m_dir;
};

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

// A damaged book: its header counts more expenses than it holds.
QByteArray damagedBook(const QByteArray &types)
{
    QByteArray text("FOLDER\nTOTAL=9\nEND\n");
    for (const QByteArray &type : types.split(' '))
        text += "T=" + type + "\nEND\n";
    return text;
}

// The copy of the program that saves its own expenses into a book another
// copy holds too ("--writer <book> <tag> <count>"): each save reported done
// goes to standard output; a save that meets the other's version reads it
// and makes its change again.
int writerMain(int argc, char **argv)
{
    ymrtest::prepareEnvironment();
    YMRApplication app("ymrOutlays", argc, argv);
    if (argc < 5)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QString tag = QString::fromLocal8Bit(argv[3]);
    const int count = atoi(argv[4]);
    // a save's temporary file comes a few milliseconds before its rename:
    // the other copy's save falls between them again and again
    FileReplacer::setCreatedHook([](int) { QThread::msleep(3); });
    TaskManager book(path);
    if (!book.load())
        return 3;
    if (!book.lockFile())
        book.bookFile()->openAnyway();
    // both copies start saving together
    const QString ready = path + QStringLiteral(".ready-");
    writeAll(ready + tag, "");
    for (int waited = 0; QDir(QFileInfo(path).path()).entryList({QFileInfo(ready).fileName() + QLatin1Char('*')}, QDir::Files).size() < 2; ++waited) {
        if (waited > 20000)
            return 6;
        QThread::msleep(1);
    }
    for (int i = 0; i < count; ++i) {
        const QString type = tag + QString::number(i);
        auto *t = new Task(&book);
        t->type = type;
        t->store(nullptr);
        for (int tries = 0;; ++tries) {
            if (book.save()) {
                printf("%s\n", qPrintable(type));
                fflush(stdout);
                break;
            }
            if (tries > 2000)
                return 4;
            if (book.changedElsewhere()) {
                if (!book.load())
                    return 5;
                bool there = false;
                for (PIMRecord *r : *book.records())
                    there = there || static_cast<Task *>(r)->type == type;
                if (!there) {
                    t = new Task(&book);
                    t->type = type;
                    t->store(nullptr);
                }
            } else {
                QThread::msleep(1);
            }
        }
    }
    return 0;
}

} // namespace

// Two copies of the program on one book, one of them opened anyway: every
// save either of them reported done is in the book, which reads whole.
void TestBookFile::racingCopiesLoseNoSave()
{
    const QString path = folder(QStringLiteral("race")) + QStringLiteral("/race.exp");
    writeAll(path, "FOLDER\nEND\n");
    QProcess a, b;
    for (QProcess *p : {&a, &b}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("YMR_TEST_HOME"), qEnvironmentVariable("QPE_HOME"));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--writer"), path, p == &a ? QStringLiteral("a") : QStringLiteral("b"),
                  QStringLiteral("25")});
    }
    QStringList reported;
    for (QProcess *p : {&a, &b}) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitCode(), 0);
        reported += QString::fromLocal8Bit(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QCOMPARE(reported.size(), 50);
    TaskManager book(path);
    QVERIFY(book.load());
    QVERIFY(!book.isDamaged());
    QStringList inBook;
    for (PIMRecord *r : *book.records())
        inBook << static_cast<Task *>(r)->type;
    for (const QString &type : qAsConst(reported))
        QVERIFY2(inBook.contains(type), qPrintable(type + QStringLiteral(" reported saved, not in the book")));
    QVERIFY(tempFilesIn(QFileInfo(path).path()).isEmpty());
}

void TestBookFile::whatStandsAtTheLocksName_data()
{
    // what is at the lock's name ("fifo", "link", "folder" or bytes), whether a
    // live process holds it, whether this copy then takes the lock
    QTest::addColumn<QByteArray>("planted");
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("taken");
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    QTest::newRow("empty file of a power cut") << QByteArray("") << false << true;
    QTest::newRow("a live process id, not holding it")
        << "1\nymrOutlays\n" + QByteArray(host) + "\n" << false << true;
    QTest::newRow("held from another PID namespace")
        << "999999\nymrOutlays\n" + QByteArray(host) + "\n" << true << false;
    QTest::newRow("garbage nobody holds") << QByteArray(300, '\xff') << false << true;
    QTest::newRow("larger than any lock") << QByteArray(1 << 20, 'x') << false << true;
    QTest::newRow("FIFO") << QByteArray("fifo") << false << true;
    QTest::newRow("link to the user's file") << QByteArray("link") << false << true;
    QTest::newRow("folder") << QByteArray("folder") << false << false;
    QTest::newRow("held, a stranger's text")
        << QByteArray("42\n\x1b[2J\xe2\x80\xae" "evil\x07") + QByteArray(3000, 'w') + "\nhost\r\n" << true << false;
    QTest::newRow("held, nothing in it") << QByteArray("") << true << false;
}

void TestBookFile::whatStandsAtTheLocksName()
{
    QFETCH(QByteArray, planted);
    QFETCH(bool, held);
    QFETCH(bool, taken);
    const QString dir = folder(QStringLiteral("locks/") + QString::fromLatin1(QTest::currentDataTag()));
    const QString path = dir + QStringLiteral("/book.exp");
    writeAll(path, "FOLDER\nEND\n");
    const QString lock = BookFile::lockFileName(path);
    const QByteArray lockName = QFile::encodeName(lock);
    const QString users = dir + QStringLiteral("/users.txt");
    writeAll(users, "the user's own");
    pid_t holder = -1;
    if (held) {
        holder = holdLockInChild(lock, planted);
        QVERIFY(holder > 0);
    } else if (planted == "fifo") {
        QCOMPARE(::mkfifo(lockName.constData(), 0644), 0);
    } else if (planted == "link") {
        QVERIFY(QFile::link(users, lock));
    } else if (planted == "folder") {
        QVERIFY(QDir().mkpath(lock));
    } else {
        writeAll(lock, planted);
    }

    ymrtest::FifoGuard guard(lockName);
    TaskManager book(path);
    QVERIFY(book.load());
    QString who;
    QCOMPARE(book.lockFile(&who), !held);
    // never waits on what it finds there
    QVERIFY(!guard.released());
    QCOMPARE(book.hasLock(), taken);
    QCOMPARE(readAll(users), QByteArray("the user's own"));
    if (taken) {
        // a lock of its own now: a small file naming this process
        QVERIFY(QFileInfo(lock).isFile() && !QFileInfo(lock).isSymLink());
        QVERIFY(readAll(lock).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
        TaskManager second(path);
        QVERIFY(!second.lockFile());
    }
    if (held) {
        // named, in a few printable characters, whatever the file says
        QVERIFY2(who.size() <= 160, qPrintable(who));
        for (const QChar c : who)
            QVERIFY2(c.isPrint() && c.category() != QChar::Other_Format, qPrintable(who));
        killLockHolder(holder);
        // its holder gone, it is stale
        QVERIFY(book.lockFile());
        QVERIFY(book.hasLock());
    }
    if (planted == "folder")
        QVERIFY(!book.bookFile()->lockFailure().isEmpty());
}

void TestBookFile::longNamesLockAndSave_data()
{
    QTest::addColumn<int>("bytes");
    for (int bytes : {249, 250, 252, 255})
        QTest::addRow("%d bytes", bytes) << bytes;
}

// A name as long as the file system allows locks and saves like any other.
void TestBookFile::longNamesLockAndSave()
{
    QFETCH(int, bytes);
    const QString path = folder(QStringLiteral("long")) + QLatin1Char('/')
                         + QString(bytes - 4, QLatin1Char('n')) + QStringLiteral(".exp");
    writeAll(path, "FOLDER\nEND\n");
    TaskManager book(path);
    QVERIFY(book.load());
    QVERIFY(book.lockFile());
    QVERIFY(book.hasLock());
    TaskManager second(path);
    QVERIFY(!second.lockFile());
    addTask(book, QStringLiteral("Taxi"));
    QVERIFY2(book.save(), qPrintable(book.saveFailure()));
    QVERIFY(readAll(path).contains("TYPE=Taxi"));
}

void TestBookFile::savesOnlyWhatReadsBack_data()
{
    QTest::addColumn<int>("maxBook");
    QTest::addColumn<int>("maxLine");
    QTest::addColumn<int>("description");
    QTest::addColumn<QString>("reason");
    QTest::newRow("book over the size limit") << 2048 << 0 << 2100 << "larger than the 2048 bytes";
    QTest::newRow("line over the line limit") << 0 << 200 << 201 << "longer than the 200 bytes";
    QTest::newRow("line at the line limit") << 0 << 200 << 200 << "";
}

// A save whose result the program's own reader would refuse fails as a full
// disk does: the book as it was, the change kept.
void TestBookFile::savesOnlyWhatReadsBack()
{
    QFETCH(int, maxBook);
    QFETCH(int, maxLine);
    QFETCH(int, description);
    QFETCH(QString, reason);
    const QString path = folder(QStringLiteral("limits")) + QLatin1Char('/') + QTest::currentDataTag()
                         + QStringLiteral(".exp");
    writeAll(path, "FOLDER\nEND\nT=Taxi\nD=first\nEND\n");
    const QByteArray before = readAll(path);
    TaskManager::setMaxBookSize(maxBook);
    PIMTextReader::setMaxLineLength(maxLine);
    TaskManager book(path);
    QVERIFY(book.load());
    QVERIFY(book.lockFile());
    addTask(book, QStringLiteral("Bus"), QString(description - 2, QLatin1Char('d')));
    const bool saved = book.save();
    QCOMPARE(saved, reason.isEmpty());
    QVERIFY(tempFilesIn(QFileInfo(path).path()).isEmpty());
    if (saved) {
        // what was written reads back
        TaskManager again(path);
        QVERIFY(again.load());
        QCOMPARE(again.count(), 2);
        return;
    }
    QVERIFY2(book.saveFailure().contains(reason), qPrintable(book.saveFailure()));
    QVERIFY(book.isDirty());
    QCOMPARE(readAll(path), before);
}

// Each damage of a book is kept under a name of its own, no wider than the
// book, before anything is saved over it; until that copy is made the book
// stays as it is. A start-up file set aside twice keeps both.
void TestBookFile::eachDamageKeptOnItsOwn()
{
    const QString dir = folder(QStringLiteral("damaged"));
    const QString path = dir + QStringLiteral("/book.exp");
    const QByteArray first = damagedBook("Taxi Bus");
    writeAll(path, first);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    TaskManager book(path);
    QVERIFY(book.lockFile());
    QVERIFY(book.load());
    QVERIFY(book.isDamaged());
    const QString copy1 = book.damagedCopyName();
    QCOMPARE(readAll(copy1), first);
    QCOMPARE(modeOf(copy1), mode_t(0600));
    // the same damage read again: the same copy
    QVERIFY(book.load());
    QCOMPARE(book.damagedCopyName(), copy1);
    QCOMPARE(book.bookFile()->copies(), QStringList{copy1});

    // another damage: a copy of its own, the first one as it was
    const QByteArray second = damagedBook("Tram");
    writeAll(path, second);
    QVERIFY(book.load());
    const QString copy2 = book.damagedCopyName();
    QVERIFY(copy2 != copy1);
    QCOMPARE(readAll(copy2), second);
    QCOMPARE(readAll(copy1), first);

    // a disk too full for the copy: read-only, and said why
    const QByteArray third = damagedBook("Ferry Boat");
    writeAll(path, third);
    FileReplacer::setSpaceLeft(0);
    QVERIFY(book.load());
    QVERIFY(book.damagedCopyName().isEmpty());
    QVERIFY(book.bookFile()->isReadOnly());
    addTask(book, QStringLiteral("Bike"));
    QVERIFY(!book.save());
    QVERIFY2(book.saveFailure().contains(QLatin1String("no space")), qPrintable(book.saveFailure()));
    QCOMPARE(readAll(path), third);
    // once there is room, the copy first, then the book
    FileReplacer::setSpaceLeft(-1);
    QVERIFY(book.save());
    QCOMPARE(readAll(book.damagedCopyName()), third);
    QCOMPARE(book.bookFile()->copies().size(), 3);
    QVERIFY(readAll(path).contains("TYPE=Bike"));

    // no name fits beside the book for its copy
    const QString longPath = dir + QLatin1Char('/') + QString(250, QLatin1Char('l')) + QStringLiteral(".exp");
    writeAll(longPath, first);
    TaskManager longBook(longPath);
    QVERIFY(longBook.lockFile());
    QVERIFY(longBook.load());
    QVERIFY(longBook.damagedCopyName().isEmpty());
    QVERIFY(longBook.bookFile()->readOnlyReason().contains(QLatin1String("copy")));
    addTask(longBook, QStringLiteral("Bike"));
    QVERIFY(!longBook.save());
    QCOMPARE(readAll(longPath), first);
    longBook.forgetChanges();

    // a start-up file that cannot be read, set aside twice
    const QString settings = dir + QStringLiteral("/settings");
    writeAll(settings, "first");
    QVERIFY(BoundedFile::setAside(settings));
    writeAll(settings, "second");
    QVERIFY(BoundedFile::setAside(settings));
    QCOMPARE(readAll(BoundedFile::asideName(settings)), QByteArray("first"));
    QCOMPARE(readAll(BoundedFile::asideName(settings, 2)), QByteArray("second"));
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--writer") == 0)
        return writerMain(argc, argv);
    ymrtest::prepareEnvironment();
    YMRApplication app("ymrOutlays", argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QPEApplication::setArgumentsForTest({QString()});
    TestBookFile tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_bookfile.moc"
