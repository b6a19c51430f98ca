#include "ymrtest.h"

#include "fifoguard.h"
#include "filebytes.h"
#include "lockholder.h"
#include "programrun.h"
#include "refusedsyncs.h"
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

#include <cstdio>
#include <memory>
#include <numeric>
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
        FileReplacer::setLeftoverAge(-1);
        FileReplacer::setCreatedHook(nullptr);
        TaskManager::setMaxBookSize(0);
        PIMTextReader::setMaxLineLength(0);
    }
    void racingCopiesLoseNoSave();
    void copiesOnNamesAndFolders();
    void movesNeverOverAFile_data();
    void movesNeverOverAFile();
    void movesAcrossDisksWholeOrNotAtAll_data();
    void movesAcrossDisksWholeOrNotAtAll();
    void unconfirmedSaveFails();
    void whatStandsAtTheLocksName_data();
    void whatStandsAtTheLocksName();
    void longNamesLockAndSave_data();
    void longNamesLockAndSave();
    void savesOnlyWhatReadsBack_data();
    void savesOnlyWhatReadsBack();
    void savedAsWrittenInAnyPieces_data();
    void savedAsWrittenInAnyPieces();
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

void addExpense(TaskManager &book, const QString &type)
{
    auto *t = new Task(&book);
    t->type = type;
    t->store(nullptr);
}

// Whether folder lies on another disk than dir: a move there copies.
bool onAnotherDisk(const QTemporaryDir &folder, const QString &dir)
{
    struct stat here, there;
    return folder.isValid() && ::stat(QFile::encodeName(folder.path()).constData(), &there) == 0
           && ::stat(QFile::encodeName(dir).constData(), &here) == 0 && here.st_dev != there.st_dev;
}

// A line of the driving test, read from standard input.
QByteArray commandLine()
{
    char line[512];
    if (!fgets(line, sizeof line, stdin))
        return QByteArray("quit");
    return QByteArray(line).trimmed();
}

void say(const QByteArray &text)
{
    printf("%s\n", text.constData());
    fflush(stdout);
}

// the folder of the book a copy has open
QString s_bookFolder;

// where the driving test holds this copy, until it says go on
void pauseHere()
{
    say("paused");
    commandLine();
}

// A copy of the program with a book open ("--copy <book>"), driven line by
// line on standard input: "add <type>" adds an expense and saves (a save
// that meets the other copy's version reads it and adds again), "pause
// commit" holds the next save under the folder's lock just before its new
// file takes the book's place, "pause create" holds it as its temporary
// file is made. It answers "locked" or "held <holder>" as the book opens,
// "saved <type>" or "failed <reason>", and "paused". "refuse folder syncs"
// makes every folder's sync fail from then on ("refusing").
int copyMain(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    TaskManager book(QString::fromLocal8Bit(argv[2]));
    s_bookFolder = QFileInfo(book.fileName()).absolutePath();
    if (!book.load())
        return 3;
    QString holder;
    if (book.lockFile(&holder)) {
        say("locked");
    } else {
        say("held " + holder.toUtf8());
        book.bookFile()->openAnyway();
    }
    for (;;) {
        const QByteArray command = commandLine();
        if (command == "pause commit") {
            BookFile::setCommitHook([](const QString &) {
                BookFile::setCommitHook(nullptr);
                pauseHere();
            });
        } else if (command == "pause create") {
            FileReplacer::setCreatedHook([](int fd) {
                // the book's, not the settings' that adding an expense writes
                const QString made = QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget();
                if (QFileInfo(made).path() != s_bookFolder)
                    return;
                FileReplacer::setCreatedHook(nullptr);
                pauseHere();
            });
        } else if (command.startsWith("add ") || command.startsWith("save ")) {
            // "save <type>": the save of an earlier add tried again
            const bool adding = command.startsWith("add ");
            const QString type = QString::fromUtf8(command.mid(adding ? 4 : 5));
            if (adding)
                addExpense(book, type);
            bool saved = false;
            for (int tries = 0; !saved && tries < 20; ++tries) {
                saved = book.save();
                if (saved || !book.changedElsewhere())
                    break;
                book.load();
                bool there = false;
                for (PIMRecord *r : *book.records())
                    there = there || static_cast<Task *>(r)->type == type;
                if (!there)
                    addExpense(book, type);
            }
            say(saved ? "saved " + type.toUtf8() : "failed " + book.saveFailure().toUtf8());
        } else if (command == "refuse folder syncs") {
            say(ymrtest::refuseFolderSyncs() ? "refusing" : "cannot refuse");
        } else if (command == "quit") {
            book.forgetChanges();
            return 0;
        }
    }
}

// The test's end of such a copy.
class Copy
{
public:
    explicit Copy(const QString &book)
    {
        ymrtest::startChild(m_process, {QStringLiteral("--copy"), book});
    }
    ~Copy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    void send(const QByteArray &command) { m_process.write(command + '\n'); }
    // its next answer; empty when none comes within waitMs
    QByteArray answer(int waitMs = 20000)
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(waitMs))
                return QByteArray();
        }
        return m_process.readLine().trimmed();
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool quit()
    {
        send("quit");
        return m_process.waitForFinished(20000) && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
};

// Two copies on the book at path, the first holding it, the second opened
// anyway; the first one held at a point of its save of an expense
// ("commit" or "create").
bool holdFirstSave(const QString &path, std::unique_ptr<Copy> &first, std::unique_ptr<Copy> &second,
                   const QByteArray &where, const QByteArray &type)
{
    first.reset(new Copy(path));
    if (first->answer() != "locked")
        return false;
    second.reset(new Copy(path));
    if (!second->answer().startsWith("held "))
        return false;
    first->send("pause " + where);
    first->send("add " + type);
    return first->answer() == "paused";
}

// Another program makes a file at this name while a book moves there, as
// the move makes its temporary file number s_plantAt.
QString s_planted;
int s_plantAt = 1;
void plantOnce(int)
{
    if (--s_plantAt > 0)
        return;
    FileReplacer::setCreatedHook(nullptr);
    QFile planted(s_planted);
    if (planted.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        planted.write("theirs");
}

QStringList typesIn(const QString &path)
{
    TaskManager book(path);
    book.load();
    QStringList types;
    for (PIMRecord *r : *book.records())
        types << static_cast<Task *>(r)->type;
    return types;
}

} // namespace

// Two copies of the program on one book, one of them opened anyway: one
// copy is held where the race is, its stamp compared and its new file not
// yet in place; the other's save is refused meanwhile, and tried again meets
// its version, so that both saves reported done are in the book.
void TestBookFile::racingCopiesLoseNoSave()
{
    const QString path = folder(QStringLiteral("race")) + QStringLiteral("/race.exp");
    writeAll(path, "FOLDER\nEND\n");
    std::unique_ptr<Copy> a, b;
    QVERIFY(holdFirstSave(path, a, b, "commit", "a1"));
    b->send("add b1");
    // not while the other's rename is pending: refused after a short wait
    QVERIFY(b->answer().startsWith("failed "));
    a->send("go");
    QCOMPARE(a->answer(), QByteArray("saved a1"));
    b->send("save b1");
    QCOMPARE(b->answer(), QByteArray("saved b1"));
    QVERIFY(a->quit());
    QVERIFY(b->quit());
    const QStringList types = typesIn(path);
    QVERIFY2(types.contains(QStringLiteral("a1")) && types.contains(QStringLiteral("b1")),
             qPrintable(types.join(QLatin1Char(' '))));
    QVERIFY(tempFilesIn(QFileInfo(path).path()).isEmpty());
}

// Copies of the program on the names of one file and in one folder: a
// second name of an open book (a hard link) is told as held, also after the
// holder saved; the temporary file of a copy killed while saving goes as a
// book there opens, while another copy's save in progress keeps its own and
// ends well; a save syncs its file once and the folder once.
void TestBookFile::copiesOnNamesAndFolders()
{
    const QString dir = folder(QStringLiteral("names"));
    const QString alpha = dir + QStringLiteral("/Alpha.exp");
    const QString other = dir + QStringLiteral("/Other.exp");
    const QString third = dir + QStringLiteral("/Third.exp");
    writeAll(alpha, "FOLDER\nTOTAL=1\nEND\nT=Taxi\nEND\n");
    QCOMPARE(::link(QFile::encodeName(alpha).constData(), QFile::encodeName(other).constData()), 0);

    Copy holder(alpha);
    QCOMPARE(holder.answer(), QByteArray("locked"));
    // the lock of its name stays where copies of the program look for it
    QVERIFY(QFileInfo::exists(dir + QStringLiteral("/.Alpha.exp.lock")));
    const QString underOther = QStringLiteral("another copy of the program, under another name of this file");
    {
        TaskManager second(other);
        QVERIFY(second.load());
        QString who;
        QVERIFY(!second.lockFile(&who));
        QCOMPARE(who, underOther);
        QVERIFY(BookFile::heldElsewhere(other, &who));
        addTask(second, QStringLiteral("Bus"));
        QVERIFY(!second.save());
        second.forgetChanges();
    }
    // the saved book is a file of its own now, held all the same
    holder.send("add Ferry");
    QCOMPARE(holder.answer(), QByteArray("saved Ferry"));
    QCOMPARE(::link(QFile::encodeName(alpha).constData(), QFile::encodeName(third).constData()), 0);
    {
        TaskManager another(third);
        QVERIFY(another.load());
        QString who;
        QVERIFY(!another.lockFile(&who));
        QCOMPARE(who, underOther);
        another.forgetChanges();
    }
    QVERIFY(holder.quit());

    // one copy killed while it saves, another at the same point of its save
    const QString book = dir + QStringLiteral("/book.exp");
    writeAll(book, "FOLDER\nEND\n");
    std::unique_ptr<Copy> killed, saving;
    QVERIFY(holdFirstSave(book, killed, saving, "create", "k1"));
    const QStringList left = tempFilesIn(dir);
    QCOMPARE(left.size(), 1);
    killed->kill();
    // the lock the killed copy left is taken with this save
    saving->send("add s0");
    QCOMPARE(saving->answer(), QByteArray("saved s0"));
    saving->send("pause create");
    saving->send("add s1");
    QCOMPARE(saving->answer(), QByteArray("paused"));
    QStringList inProgress = tempFilesIn(dir);
    inProgress.removeAll(left.first());
    QCOMPARE(inProgress.size(), 1);
    // a user's file of a like name is no leftover
    writeAll(dir + QStringLiteral("/report.csv.new"), "user's");
    FileReplacer::setLeftoverAge(0);
    TaskManager mine(dir + QStringLiteral("/mine.exp"));
    QVERIFY(mine.lockFile());
    QCOMPARE(tempFilesIn(dir), inProgress);
    QVERIFY(QFileInfo::exists(dir + QStringLiteral("/report.csv.new")));
    saving->send("go");
    QCOMPARE(saving->answer(), QByteArray("saved s1"));
    QVERIFY(saving->quit());
    QCOMPARE(typesIn(book), QStringList({QStringLiteral("s0"), QStringLiteral("s1")}));
    QVERIFY(tempFilesIn(dir).isEmpty());

    // one sync of the new file, one of the folder
    addTask(mine, QStringLiteral("Tram"));
    const int syncs = FileReplacer::syncCount();
    QVERIFY(mine.save());
    QCOMPARE(FileReplacer::syncCount() - syncs, 2);
    // a chmod there and back after it changes nothing of what it wrote
    const QByteArray mineName = QFile::encodeName(mine.fileName());
    QCOMPARE(::chmod(mineName.constData(), 0600), 0);
    QCOMPARE(::chmod(mineName.constData(), 0644), 0);
    addTask(mine, QStringLiteral("Ferry"));
    QVERIFY2(mine.save(), qPrintable(mine.saveFailure()));
}

void TestBookFile::movesNeverOverAFile_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<bool>("otherDisk");
    QTest::addColumn<bool>("appears");
    for (const bool appears : {false, true}) {
        const char *meanwhile = appears ? ", a file appears there meanwhile" : "";
        QTest::addRow("in one step%s", meanwhile) << false << false << appears;
        QTest::addRow("reached through a link%s", meanwhile) << true << false << appears;
        QTest::addRow("to another disk%s", meanwhile) << false << true << appears;
    }
}

// A book moves in one step, or (reached through a link, or to another
// disk) as a copy made anew at its new name: never over a file that
// appeared there, which stays as it was, with the book where it was.
void TestBookFile::movesNeverOverAFile()
{
    QFETCH(bool, throughLink);
    QFETCH(bool, otherDisk);
    QFETCH(bool, appears);
    const QString dir = folder(QStringLiteral("moves/") + QTest::currentDataTag());
    const QString real = dir + QStringLiteral("/book.exp");
    const QString path = throughLink ? dir + QStringLiteral("/link.exp") : real;
    writeAll(real, "FOLDER\nEND\nTYPE=Taxi\nEND\n");
    if (throughLink)
        QVERIFY(QFile::link(real, path));
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/ymr-moves-XXXXXX"));
    if (otherDisk && !onAnotherDisk(elsewhere, dir))
        QSKIP("no second disk at hand");
    const QString to = (otherDisk ? elsewhere.path() : dir) + QStringLiteral("/moved.exp");
    BookFile book(path);
    QCOMPARE(book.lock(), BookFile::Locked);
    s_planted = to;
    // the new place's lock is made first; a copy's file next
    s_plantAt = throughLink || otherDisk ? 2 : 1;
    if (appears)
        FileReplacer::setCreatedHook(plantOnce);
    const bool moved = book.moveTo(to);
    FileReplacer::setCreatedHook(nullptr);
    QCOMPARE(moved, !appears);
    if (appears) {
        QVERIFY2(book.failure().contains(QLatin1String("exists already")), qPrintable(book.failure()));
        QCOMPARE(readAll(to), QByteArray("theirs"));
        QCOMPARE(readAll(path), QByteArray("FOLDER\nEND\nTYPE=Taxi\nEND\n"));
    } else {
        QCOMPARE(book.path(), to);
        QCOMPARE(readAll(to), QByteArray("FOLDER\nEND\nTYPE=Taxi\nEND\n"));
        QVERIFY(!QFileInfo(path).exists() && !QFileInfo(path).isSymLink());
    }
    QVERIFY(tempFilesIn(dir).isEmpty());
    QVERIFY(tempFilesIn(QFileInfo(to).path()).isEmpty());
}

void TestBookFile::movesAcrossDisksWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("nothing in the way") << QString();
    QTest::newRow("the old name cannot go") << "old name";
    QTest::newRow("no room for the kept copy") << "room";
}

// A move to another disk copies the book and its kept copy anew there,
// no wider than they were, then removes them here. Where the book's old
// name cannot go, its copy goes again and the book stays where it was; a
// kept copy that cannot follow stays where it was, and is named there.
void TestBookFile::movesAcrossDisksWholeOrNotAtAll()
{
    QFETCH(QString, fault);
    const QString dir = folder(QStringLiteral("across/") + QTest::currentDataTag());
    const QString path = dir + QStringLiteral("/book.exp");
    const QByteArray bytes = "FOLDER\nEND\nT=Taxi\nEND\n", damage = damagedBook("Taxi Bus Tram");
    writeAll(path, bytes);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/ymr-across-XXXXXX"));
    if (!onAnotherDisk(elsewhere, dir))
        QSKIP("no second disk at hand");
    const QString to = elsewhere.path() + QStringLiteral("/moved.exp");
    BookFile book(path);
    QCOMPARE(book.lock(), BookFile::Locked);
    QFile read;
    QCOMPARE(book.open(read, 1 << 20), int(BoundedFile::Ok));
    read.close();
    book.keepDamaged(damage);
    const QString copy = book.keptCopy();
    QCOMPARE(readAll(copy), damage);
    if (fault == "room")
        FileReplacer::setSpaceLeft(bytes.size());
    // nothing is added to an immutable folder or removed from it, not even by root
    const auto immutable = [dir](const char *flag) { return QProcess::execute("chattr", {flag, dir}) == 0; };
    if (fault == "old name" && !immutable("+i"))
        QSKIP("the folder cannot be made immutable here");
    const auto mutableAgain = qScopeGuard([immutable] { immutable("-i"); });

    const bool moved = book.moveTo(to);
    QCOMPARE(moved, fault != "old name");
    QVERIFY2(moved || book.failure().contains(QLatin1String("permission denied")), qPrintable(book.failure()));
    const QString now = moved ? to : path, kept = fault.isEmpty() ? to + QStringLiteral(".damaged") : copy;
    QCOMPARE(book.path(), now);
    QCOMPARE(readAll(now), bytes);
    QVERIFY(!QFileInfo::exists(moved ? path : to));
    QCOMPARE(book.keptCopy(), kept);
    QCOMPARE(readAll(kept), damage);
    QCOMPARE(modeOf(kept), mode_t(0600));
    QCOMPARE(QFileInfo::exists(copy), kept == copy);
    QVERIFY(tempFilesIn(elsewhere.path()).isEmpty());
}

// A save whose rename the disk does not confirm (the system refuses the
// folder's sync) says it failed; its new file is in place all the same, and
// the next save meets no conflict with it.
void TestBookFile::unconfirmedSaveFails()
{
    const QString path = folder(QStringLiteral("unconfirmed")) + QStringLiteral("/book.exp");
    writeAll(path, "FOLDER\nEND\n");
    Copy copy(path);
    QCOMPARE(copy.answer(), QByteArray("locked"));
    copy.send("refuse folder syncs");
    if (copy.answer() != "refusing")
        QSKIP("the system does not refuse syncs here");
    for (const QByteArray &type : {QByteArray("Bus"), QByteArray("Tram")}) {
        copy.send("add " + type);
        QCOMPARE(copy.answer(), QByteArray("failed the disk did not confirm the write (Input/output error)"));
    }
    QVERIFY(copy.quit());
    QCOMPARE(typesIn(path), QStringList({QStringLiteral("Bus"), QStringLiteral("Tram")}));
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
    QTest::newRow("line at the line limit, a long book") << 0 << 200 << 200 << "";
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
    // a line of description bytes ("DESC=" and the text), behind many lines in the long book
    if (QByteArray(QTest::currentDataTag()).contains("long book")) {
        for (int i = 0; i < 2000; ++i)
            addTask(book, QStringLiteral("Taxi %1").arg(i));
    }
    addTask(book, QStringLiteral("Bus"), QString(description - 5, QLatin1Char('d')));
    const bool saved = book.save();
    QCOMPARE(saved, reason.isEmpty());
    QVERIFY(tempFilesIn(QFileInfo(path).path()).isEmpty());
    if (saved) {
        // what was written reads back
        TaskManager again(path);
        QVERIFY(again.load());
        QCOMPARE(again.count(), book.count());
        return;
    }
    QVERIFY2(book.saveFailure().contains(reason), qPrintable(book.saveFailure()));
    QVERIFY(book.isDirty());
    QCOMPARE(readAll(path), before);
}

void TestBookFile::savedAsWrittenInAnyPieces_data()
{
    QTest::addColumn<QList<int>>("pieces");
    QTest::newRow("bytes one at a time") << QList<int>{1, 1, 1, 4093, 1, 1};
    QTest::newRow("around a page") << QList<int>{4095, 1, 4096, 4097, 8191, 3};
    QTest::newRow("large and small") << QList<int>{300001, 7, 1 << 20, 4096 * 3, 5};
    QTest::newRow("one large piece") << QList<int>{3 << 20};
}

// The file holds exactly what a save wrote, however the writer handed it on.
void TestBookFile::savedAsWrittenInAnyPieces()
{
    QFETCH(QList<int>, pieces);
    const QString path = folder(QStringLiteral("pieces/") + QTest::currentDataTag()) + QStringLiteral("/book.exp");
    QByteArray bytes;
    for (int i = 0; bytes.size() < 4 << 20; ++i)
        bytes += "LINE=" + QByteArray((i * 7) % 97, char('a' + i % 26)) + '\n';
    const auto write = [&pieces, &bytes](QIODevice *device) {
        qint64 at = 0;
        for (const int n : pieces) {
            if (device->write(bytes.constData() + at, n) != n)
                return false;
            at += n;
        }
        return true;
    };
    BookFile file(path);
    QVERIFY2(file.save(write, qint64(1) << 30, 1000), qPrintable(file.failure()));
    bytes.truncate(std::accumulate(pieces.begin(), pieces.end(), 0));
    QCOMPARE(readAll(path), bytes);
    QVERIFY(tempFilesIn(QFileInfo(path).path()).isEmpty());
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

YMR_TEST_MAIN_WITH_CHILD(TestBookFile, "--copy", copyMain)

#include "tst_bookfile.moc"
