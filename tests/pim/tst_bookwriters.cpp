#include "ymrtest.h"

#include "filebytes.h"
#include "tempfiles.h"
#include "lockholder.h"

#include "pim/bookfile.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qt/ymrapplication.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include <fcntl.h>
#include <sys/stat.h>

// A book's save never fails silently and never writes over what another
// program wrote: one writer per book through a lock, the file compared
// with what was last read or written before each save.
class TestBookWriters : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { FileReplacer::setSpaceLeft(-1); }
    void failedSavesKeepTheBookAndTheChange_data();
    void failedSavesKeepTheBookAndTheChange();
    void oneWriterPerBook();
    void damagedBooksKeptBeforeAnyWrite_data();
    void damagedBooksKeptBeforeAnyWrite();

private:
    static void addTask(TaskManager &book, const QString &type)
    {
        auto *t = new Task(&book);
        t->type = type;
        t->amount = QStringLiteral("1");
        t->store(nullptr);
    }
    QString makeBook(const QString &name)
    {
        const QString folder = m_dir.filePath(name);
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/book.exp");
        TaskManager book(path);
        book.load();
        addTask(book, QStringLiteral("Taxi"));
        book.forceSave();
        return path;
    }
    QTemporaryDir m_dir;
};

void TestBookWriters::failedSavesKeepTheBookAndTheChange_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("changedElsewhere");
    QTest::newRow("full disk") << "full" << "no space" << false;
    QTest::newRow("book made read-only") << "0444" << "read-only" << false;
    QTest::newRow("folder made read-only") << "0555" << "read-only" << false;
    QTest::newRow("a folder in its place") << "folder" << "not a file" << false;
    QTest::newRow("replaced by another program") << "replaced" << "another program changed"
                                                 << true;
    QTest::newRow("same size, a nanosecond later") << "touched" << "another program changed"
                                                   << true;
    QTest::newRow("same size, its times put back (cp -p)") << "in place" << "another program changed"
                                                           << true;
    QTest::newRow("deleted while open") << "deleted" << "deleted or moved" << true;
    QTest::newRow("held by another store") << "held" << "open in another program" << false;
    QTest::newRow("opened anyway, the holder saved") << "other saved" << "another program changed"
                                                    << true;
}

void TestBookWriters::failedSavesKeepTheBookAndTheChange()
{
    QFETCH(QString, cause);
    QFETCH(QString, reason);
    QFETCH(bool, changedElsewhere);
    const QString path = makeBook(QString::fromLatin1(QTest::currentDataTag()));
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray folderName = QFile::encodeName(folder), name = QFile::encodeName(path);

    const bool held = cause == QLatin1String("held") || cause == QLatin1String("other saved");
    std::unique_ptr<TaskManager> holder;
    if (held) {
        holder.reset(new TaskManager(path));
        QVERIFY(holder->lockFile());
        QVERIFY(holder->load());
    }
    // a private book: written again, it stays so
    if (cause == QLatin1String("in place") || cause == QLatin1String("deleted"))
        QCOMPARE(::chmod(name.constData(), 0600), 0);
    TaskManager book(path);
    QVERIFY(book.load());
    QCOMPARE(book.lockFile(), !held);
    if (cause == QLatin1String("other saved"))
        book.bookFile()->openAnyway();
    QSignalSpy saved(&book, &PIMManager::saved);
    addTask(book, QStringLiteral("Bus"));

    QByteArray onDisk = readAll(path);
    if (cause == QLatin1String("full")) {
        FileReplacer::setSpaceLeft(onDisk.size());
    } else if (cause == QLatin1String("0444")) {
        QCOMPARE(::chmod(name.constData(), 0444), 0);
    } else if (cause == QLatin1String("0555")) {
        QCOMPARE(::chmod(folderName.constData(), 0555), 0);
    } else if (cause == QLatin1String("folder")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
        onDisk.clear();
    } else if (cause == QLatin1String("replaced")) {
        onDisk = "FOLDER\nEND\n";
        writeAll(path + QStringLiteral(".other"), onDisk);
        QCOMPARE(::rename(QFile::encodeName(path + QStringLiteral(".other")).constData(),
                          name.constData()), 0);
    } else if (cause == QLatin1String("in place") || cause == QLatin1String("deleted")) {
        struct stat st;
        QCOMPARE(::stat(name.constData(), &st), 0);
        if (cause == QLatin1String("deleted")) {
            QVERIFY(QFile::remove(path));
            onDisk = "<missing>";
        } else {
            onDisk.replace("Taxi", "Tram");
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QCOMPARE(f.write(onDisk), qint64(onDisk.size()));
            f.close();
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
        }
    } else if (cause == QLatin1String("touched")) {
        struct stat st;
        QCOMPARE(::stat(name.constData(), &st), 0);
        onDisk.replace("Taxi", "Tram");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QCOMPARE(f.write(onDisk), qint64(onDisk.size()));
        }
        // the same second and millisecond as before, one nanosecond on
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        times[1].tv_nsec = times[1].tv_nsec % 1000000 == 999999 ? times[1].tv_nsec - 1
                                                                 : times[1].tv_nsec + 1;
        QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
    } else if (cause == QLatin1String("other saved")) {
        addTask(*holder, QStringLiteral("Tram"));
        QVERIFY(holder->save());
        onDisk = readAll(path);
        // a file of the user's at the name an earlier version saved through
        writeAll(path + QStringLiteral(".new"), "the user's own");
    }

    const bool ok = book.save();
    ::chmod(folderName.constData(), 0755);
    QVERIFY(!ok);
    QVERIFY2(book.saveFailure().contains(reason), qPrintable(book.saveFailure()));
    QCOMPARE(book.changedElsewhere(), changedElsewhere);
    QVERIFY(book.isDirty());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.at(0).at(0).toBool(), false);
    if (cause == QLatin1String("folder"))
        QVERIFY(QFileInfo(path).isDir());
    else if (cause == QLatin1String("deleted"))
        QVERIFY(!QFileInfo::exists(path));
    else
        QCOMPARE(readAll(path), onDisk);
    if (cause == QLatin1String("other saved"))
        QCOMPARE(readAll(path + QStringLiteral(".new")), QByteArray("the user's own"));
    QVERIFY(tempFilesIn(folder).isEmpty());

    // the cause gone (or the user's word to write over), the next save writes the change
    FileReplacer::setSpaceLeft(-1);
    if (cause == QLatin1String("0444"))
        ::chmod(name.constData(), 0644);
    if (cause == QLatin1String("folder")) {
        // the book is gone now: written again only at the user's word
        QVERIFY(QDir(path).removeRecursively());
        QVERIFY(!book.save());
        QCOMPARE(book.bookFile()->conflict(), BookFile::Gone);
        QVERIFY(!QFileInfo::exists(path));
        book.overwriteChanges();
    }
    if (changedElsewhere)
        book.overwriteChanges();
    holder.reset();
    QVERIFY(book.save());
    QVERIFY(book.saveFailure().isEmpty());
    QVERIFY(readAll(path).contains("TYPE=Bus"));
    QVERIFY(!book.isDirty());
    if (cause == QLatin1String("deleted") || cause == QLatin1String("in place"))
    {
        struct stat st;
        QCOMPARE(::stat(name.constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
    }
}

void TestBookWriters::oneWriterPerBook()
{
    const QString real = makeBook(QStringLiteral("locks"));
    const QString link = m_dir.filePath(QStringLiteral("link.exp"));
    QVERIFY(QFile::link(real, link));
    // hidden, and beside the file a link names: one lock however the book is reached
    const QString lockName = BookFile::lockFileName(link);
    QCOMPARE(lockName, BookFile::lockFileName(real));
    QCOMPARE(QFileInfo(lockName).absolutePath(), QFileInfo(real).absolutePath());
    QVERIFY(QFileInfo(lockName).fileName().startsWith(QLatin1Char('.')));

    {
        TaskManager first(real), second(link);
        QVERIFY(first.load() && second.load());
        QVERIFY(first.lockFile());
        QString holder;
        QVERIFY(!second.lockFile(&holder));
        QVERIFY2(holder.contains(QString::number(QCoreApplication::applicationPid())),
                 qPrintable(holder));
        // a lock of this program is no other process's
        QVERIFY(!BookFile::heldElsewhere(real));

        // the two writers: the second one saves only once opened anyway, and
        // then never over the first one's save
        addTask(first, QStringLiteral("Bus"));
        QVERIFY(first.save());
        addTask(second, QStringLiteral("Tram"));
        QVERIFY(!second.save());
        QVERIFY2(second.saveFailure().contains(QLatin1String("open in another program")),
                 qPrintable(second.saveFailure()));
        QVERIFY(!second.changedElsewhere());
        second.bookFile()->openAnyway();
        QVERIFY(!second.save());
        QVERIFY(second.changedElsewhere());
        QVERIFY(readAll(real).contains("TYPE=Bus"));
        QVERIFY(!readAll(real).contains("TYPE=Tram"));
        second.load();
    }
    QVERIFY(!QFileInfo::exists(lockName));

    // another process: named, refused; once it is killed its lock is stale
    const pid_t child = holdLockInChild(lockName);
    QVERIFY(child > 0);
    QString holder;
    QVERIFY(BookFile::heldElsewhere(link, &holder));
    QVERIFY2(holder.contains(QString::number(child)), qPrintable(holder));
    TaskManager third(real);
    QVERIFY(third.load());
    QVERIFY(!third.lockFile());
    killLockHolder(child);
    QVERIFY(QFileInfo::exists(lockName));
    QVERIFY(!BookFile::heldElsewhere(real));
    QVERIFY(third.lockFile());
}

void TestBookWriters::damagedBooksKeptBeforeAnyWrite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("damaged");
    // the expenses the book holds after its header was written
    QTest::addColumn<QStringList>("types");
    const QStringList taxi{QStringLiteral("Taxi")}, bus{QStringLiteral("Bus")};
    QTest::newRow("whole") << QByteArray("FOLDER\nDESC=old\nTOTAL=1\nEND\nTYPE=Taxi\nEND\n") << false << taxi;
    QTest::newRow("END damaged by one byte")
        << QByteArray("FOLDER\nDESC=old\nTOTAL=2\nENF\nTYPE=Taxi\nEND\nTYPE=Bus\nEND\n") << true << bus;
    QTest::newRow("fewer expenses than counted")
        << QByteArray("FOLDER\nDESC=old\nTOTAL=3\nEND\nTYPE=Taxi\nEND\n") << true << taxi;
    QTest::newRow("cut inside its header") << QByteArray("FOLDER\nDESC=old\nTOTAL=1\nSO") << true
                                           << QStringList();
    QTest::newRow("0 bytes") << QByteArray("") << true << QStringList();
}

// A book that does not read whole is told as damaged as it opens, and its
// bytes are kept as a copy before the book editor writes its header over
// them; where no copy can be made the header is not written.
void TestBookWriters::damagedBooksKeptBeforeAnyWrite()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, damaged);
    QFETCH(QStringList, types);
    const QString folder = m_dir.filePath(QStringLiteral("damaged-") + QString::number(QTest::currentDataTag()[0]));
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/book.exp");
    const QString copy = BoundedFile::asideName(path);
    writeAll(path, bytes);
    {
        TaskManager book(path);
        QVERIFY(book.lockFile());
        book.load();
        QCOMPARE(book.isDamaged(), damaged);
        QCOMPARE(book.damagedCopyName(), damaged ? copy : QString());
        if (damaged)
            QCOMPARE(readAll(copy), bytes);
        book.forgetChanges();
    }
    QFile::remove(copy);

    // the book editor: a new description, with no name left for a copy
    DBManager index;
    index.load();
    auto *r = new DBRecord(&index);
    r->setPath(path);
    r->setTitle(QStringLiteral("book"));
    index.refreshRecord(r);
    r->store(nullptr);
    const auto describe = [r](const QString &text) {
        DBRecord *old = new DBRecord(*r);
        r->setDescription(text);
        r->store(old);
    };
    for (int n = 1; n <= BoundedFile::MaxAsideNames; ++n)
        QVERIFY(QDir().mkdir(BoundedFile::asideName(path, n)));
    describe(QStringLiteral("new"));
    QCOMPARE(readAll(path) == bytes, damaged);
    if (damaged)
        QVERIFY2(index.bookFailure().contains(QLatin1String("copy")), qPrintable(index.bookFailure()));
    for (int n = 1; n <= BoundedFile::MaxAsideNames; ++n)
        QVERIFY(QDir().rmdir(BoundedFile::asideName(path, n)));

    // and with room for it: the bytes as they were first, then the header
    describe(QStringLiteral("newer"));
    QCOMPARE(QFileInfo::exists(copy), damaged);
    if (damaged)
        QCOMPARE(readAll(copy), bytes);
    TaskManager book(path);
    QVERIFY(book.load());
    QVERIFY(!book.isDamaged());
    QCOMPARE(book.description(), QStringLiteral("newer"));
    QStringList read;
    for (PIMRecord *e : *book.records())
        read << static_cast<Task *>(e)->type;
    QCOMPARE(read, types);
    QVERIFY(tempFilesIn(folder).isEmpty());
    index.removeRecord(r);
}

YMR_TEST_MAIN(TestBookWriters)
#include "tst_bookwriters.moc"
