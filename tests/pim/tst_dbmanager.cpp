#include "ymrtest.h"

#include "fifoguard.h"
#include "filebytes.h"

#include "pim/bookfile.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/movejournal.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/boundedfile.h"
#include "qpe/loadbudget.h"
#include "qt/ymrapplication.h"
#include "qt/ymrresource.h"

#include <QScopeGuard>

#include <memory>

#include <sys/stat.h>

class TestDBManager : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    // A book with a header and one expense.
    void makeBook(const QString &file, const QString &description, const QString &icon = QString(),
                  const QString &password = QString())
    {
        TaskManager book(file);
        book.setDescription(description);
        book.setIcon(icon);
        book.setPassword(password);
        Task *t = new Task(&book);
        t->type = QStringLiteral("Taxi");
        t->store(nullptr);
        QVERIFY(book.save());
    }
    static QByteArray recordPart(const QByteArray &file)
    {
        return file.mid(file.indexOf("\nEND\n") + 5);
    }
    static DBRecord *addBook(DBManager &index, const QString &file)
    {
        DBRecord *r = new DBRecord(&index);
        r->setPath(file);
        r->setTitle(QFileInfo(file).baseName());
        index.refreshRecord(r);
        r->store(nullptr);
        return r;
    }
    // The usual edit cycle: a copy keeps the old state.
    static void edit(DBRecord *r, const std::function<void(DBRecord *)> &change)
    {
        DBRecord *old = new DBRecord(*r);
        change(r);
        r->store(old);
    }
    void removeIndexFile()
    {
        DBManager probe;
        QFile::remove(probe.fileName());
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { removeIndexFile(); }
    void cleanupTestCase() { TaskManager::releaseSharedCategoryManager(); }

    void newBooksAndIndexBytes();
    void addingExistingFiles();
    void refreshRules();
    void listedFileThatIsNoFile_data();
    void listedFileThatIsNoFile();
    void editHeaderAndMove();
    void failedAndFormOnlyMoves();
    void removingBooks();
    void samePathTwiceAndRecordPart();
    void exportIndex();
    void openStoreTakesIndexEdits();
    void sortKeys();
    void bookIcon();
    void passwordPrompts_data();
    void passwordPrompts();
    void damagedIndexIsSetAsideWhole_data();
    void damagedIndexIsSetAsideWhole();
    void pathOfAnotherCopyKeptWhole();
};

void TestDBManager::newBooksAndIndexBytes()
{
    const QString a = path(QStringLiteral("New.exp"));
    const QString b = path(QStringLiteral("Other.exp"));
    {
        DBManager index;
        QVERIFY(!index.load());
        QVERIFY(index.fileName().endsWith(QStringLiteral("/ymrOutlays/ymrOutlaysIDX")));
        DBRecord *r = new DBRecord(&index);
        QCOMPARE(r->iconName(), QStringLiteral("12"));
        QVERIFY(!r->isAvailable());
        r->setPath(a);
        r->setTitle(QStringLiteral("New"));
        r->setDescription(QStringLiteral("first"));
        r->store(nullptr);
        QVERIFY(r->isAvailable());
        DBRecord *s = new DBRecord(&index);
        s->setPath(b);
        s->store(nullptr);
        QVERIFY(index.save());
        QCOMPARE(index.paths(), QStringList({a, b}));

        // a new book holds only its header
        QCOMPARE(readAll(a), QByteArray("FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nTOTAL=-1\n"
                                      "DESC=first\nICON=12\nEND\n"));
        QCOMPARE(readAll(index.fileName()),
                 "FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nTOTAL=-1\nI=" + a.toUtf8()
                     + "\nI=" + b.toUtf8() + "\nEND\n");
    }
    {
        TaskManager book(a);
        QVERIFY(book.load());
        QCOMPARE(book.count(), 0);
        QCOMPARE(book.description(), QStringLiteral("first"));
    }
    // records are rebuilt from the paths: fresh, untitled, unavailable
    DBManager index;
    QVERIFY(index.load());
    QCOMPARE(index.count(), 2);
    auto *r = static_cast<DBRecord *>(index.records()->at(0));
    QCOMPARE(r->path(), a);
    QVERIFY(r->title().isEmpty());
    QVERIFY(!r->isAvailable());
    index.refreshAll();
    QCOMPARE(r->title(), QStringLiteral("New"));
    QCOMPARE(r->description(), QStringLiteral("first"));
    QVERIFY(r->isAvailable());
    QCOMPARE(index.findByTitle(QStringLiteral("Other")), index.records()->at(1));
    QCOMPARE(index.findByPath(b), index.records()->at(1));
    QVERIFY(!index.findByPath(path(QStringLiteral("x/../Other.exp"))));
}

void TestDBManager::addingExistingFiles()
{
    const QString book = path(QStringLiteral("Existing.exp"));
    makeBook(book, QStringLiteral("kept"), QStringLiteral("3"));
    const QByteArray before = readAll(book);
    const QString notes = path(QStringLiteral("notes.txt"));
    writeAll(notes, "shopping list\nmilk\n");

    DBManager index;
    index.load();
    DBRecord *r = addBook(index, book);
    QVERIFY(r->isAvailable());
    QCOMPARE(r->iconName(), QStringLiteral("3"));
    QCOMPARE(r->description(), QStringLiteral("kept"));
    QCOMPARE(readAll(book), before);

    // a file that is no book is listed but never rewritten
    DBRecord *n = addBook(index, notes);
    QVERIFY(!n->isAvailable());
    QCOMPARE(readAll(notes), QByteArray("shopping list\nmilk\n"));
    index.refreshRecord(n);
    QVERIFY(!n->isAvailable());
    QCOMPARE(index.paths(), QStringList({book, notes}));
}

void TestDBManager::refreshRules()
{
    const QString trip = path(QStringLiteral("Trip.2004.exp"));
    makeBook(trip, QString(), QString(), QStringLiteral("pw"));
    DBManager index;
    DBRecord r(&index);
    r.setPath(trip);
    r.setTitle(QStringLiteral("set by hand"));
    r.setDescription(QStringLiteral("old"));
    index.refreshRecord(&r);
    QCOMPARE(r.title(), QStringLiteral("Trip.2004"));
    QCOMPARE(r.iconName(), QStringLiteral("12"));     // an empty header icon keeps it
    QVERIFY(r.description().isEmpty());                // an empty header empties it
    QCOMPARE(r.password(), QStringLiteral("pw"));
    QVERIFY(r.isAvailable());

    QFile::remove(trip);
    r.setDescription(QStringLiteral("stays"));
    index.refreshRecord(&r);
    QVERIFY(!r.isAvailable());
    QCOMPARE(r.title(), QStringLiteral("Trip.2004"));
    QCOMPARE(r.description(), QStringLiteral("stays"));
    QVERIFY(!QFile::exists(trip));
}

void TestDBManager::listedFileThatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("device") << "device";
}

// A listed book replaced by a FIFO, a folder or a device: it is unavailable
// at once, and loading it fails without a read (a FIFO would block for good,
// a device never end).
void TestDBManager::listedFileThatIsNoFile()
{
    QFETCH(QString, kind);
    const QString file = path(QStringLiteral("Listed.exp"));
    makeBook(file, QStringLiteral("mine"));
    DBManager index;
    DBRecord *r = addBook(index, file);
    QVERIFY(r->isAvailable());
    QVERIFY(QFile::remove(file));
    const QByteArray raw = QFile::encodeName(file);
    if (kind == "fifo")
        QCOMPARE(::mkfifo(raw.constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(file));
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
    std::unique_ptr<ymrtest::FifoGuard> guard(kind == "fifo" ? new ymrtest::FifoGuard(raw)
                                                              : nullptr);
    index.refreshRecord(r);
    QVERIFY(!r->isAvailable());
    TaskManager book(file);
    QVERIFY(!book.load());
    QVERIFY2(!guard || !guard->released(), "the FIFO was opened");
    QCOMPARE(r->description(), QStringLiteral("mine"));
    if (kind == "folder")
        QVERIFY(QDir().rmdir(file));
    else
        QVERIFY(QFile::remove(file));
}

void TestDBManager::editHeaderAndMove()
{
    const QString file = path(QStringLiteral("Edit.exp"));
    const QString other = path(QStringLiteral("Second.exp"));
    makeBook(file, QStringLiteral("before"));
    makeBook(other, QStringLiteral("second"));
    const QByteArray records = recordPart(readAll(file));
    DBManager index;
    index.load();
    DBRecord *r = addBook(index, file);
    addBook(index, other);

    edit(r, [](DBRecord *rec) {
        rec->setDescription(QStringLiteral("after"));
        rec->setPassword(QStringLiteral("p=w="));
        rec->setIconName(QStringLiteral("14"));
    });
    QVERIFY(r->isAvailable());
    {
        TaskManager book(file);
        QVERIFY(book.load());
        QCOMPARE(book.description(), QStringLiteral("after"));
        QCOMPARE(book.password(), QStringLiteral("p=w="));
        QCOMPARE(book.icon(), QStringLiteral("14"));
        QCOMPARE(book.count(), 1);
    }
    QCOMPARE(recordPart(readAll(file)), records);

    // a new title moves the book; its path goes last
    const QString moved = path(QStringLiteral("Renamed.exp"));
    edit(r, [&](DBRecord *rec) {
        rec->setPath(moved);
        rec->setTitle(QStringLiteral("Renamed"));
    });
    QVERIFY(r->isAvailable());
    QVERIFY(!QFile::exists(file));
    QCOMPARE(recordPart(readAll(moved)), records);
    QCOMPARE(index.paths(), QStringList({other, moved}));
    QCOMPARE(r->title(), QStringLiteral("Renamed"));
    QVERIFY(index.save());
    DBManager reread;
    reread.load();
    QCOMPARE(reread.paths(), QStringList({other, moved}));

    // a copy gone (killed) once the book moved, before the index's write:
    // the next start finds the book where it went, the last one opened too
    const QString again = path(QStringLiteral("Again.exp"));
    {
        DBManager cut;
        cut.load();
        edit(cut.findByPath(moved), [&](DBRecord *rec) { rec->setPath(again); });
        QVERIFY(QFile::exists(again));
        cut.forgetChanges();
    }
    {
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("Options"));
        cfg.writeEntry(QStringLiteral("book"), moved);
    }
    {
        DBManager before;
        before.load();
        QCOMPARE(before.paths(), QStringList({other, moved}));
    }
    QCOMPARE(MoveJournal::finishPending(), 1);
    DBManager next;
    next.load();
    QCOMPARE(next.paths(), QStringList({other, again}));
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    QCOMPARE(cfg.readEntry(QStringLiteral("book")), again);
    QCOMPARE(MoveJournal::finishPending(), 0);
    QVERIFY(QDir(MoveJournal::folder()).entryList({QStringLiteral("*.move")}, QDir::Files).isEmpty());
}

void TestDBManager::failedAndFormOnlyMoves()
{
    const QString file = path(QStringLiteral("Stay.exp"));
    makeBook(file, QStringLiteral("d"));
    DBManager index;
    index.load();
    DBRecord *r = addBook(index, file);

    edit(r, [&](DBRecord *rec) {
        rec->setPath(path(QStringLiteral("missing-folder/Gone.exp")));
        rec->setTitle(QStringLiteral("Gone"));
    });
    QCOMPARE(r->path(), file);
    QCOMPARE(r->title(), QStringLiteral("Stay"));
    QVERIFY(QFile::exists(file));
    QVERIFY(index.isDirty());

    const QByteArray before = readAll(file);
    const QString sameFile = m_dir.path() + QStringLiteral("/sub/..//Stay.exp");
    edit(r, [&](DBRecord *rec) { rec->setPath(sameFile); });
    QVERIFY(r->isAvailable());
    QCOMPARE(readAll(file), before);
    QCOMPARE(index.paths(), QStringList({file}));

    // an edit of a book whose file is gone: not available, path kept
    QFile::remove(file);
    edit(r, [&](DBRecord *rec) {
        rec->setPath(path(QStringLiteral("Elsewhere.exp")));
        rec->setDescription(QStringLiteral("x"));
    });
    QVERIFY(!r->isAvailable());
    QCOMPARE(r->path(), sameFile);
    QVERIFY(!QFile::exists(path(QStringLiteral("Elsewhere.exp"))));
    QVERIFY(!QFile::exists(file));
}

void TestDBManager::removingBooks()
{
    const QString a = path(QStringLiteral("RemoveA.exp"));
    const QString b = path(QStringLiteral("RemoveB.exp"));
    const QString c = path(QStringLiteral("RemoveC.exp"));
    makeBook(a, QStringLiteral("a"));
    makeBook(b, QStringLiteral("b"), QString(), QStringLiteral("secret"));
    makeBook(c, QStringLiteral("c"));
    DBManager index;
    index.load();
    DBRecord *ra = addBook(index, a);
    addBook(index, b);
    DBRecord *rc = addBook(index, c);
    const QByteArray bBytes = readAll(b);

    // removing from the list leaves every file as it was
    ra->remove();
    QVERIFY(QFile::exists(a));
    QCOMPARE(readAll(b), bBytes);
    QCOMPARE(index.paths(), QStringList({b, c}));

    // the book that moves into the gap is not rewritten, nor created
    QFile::remove(c);
    DBRecord *rb = index.findByPath(b);
    rb->setDeleteFile(true);
    rb->remove();
    QVERIFY(!QFile::exists(b));
    QVERIFY(!QFile::exists(c));
    QCOMPARE(index.paths(), QStringList({c}));

    rc->setDeleteFile(true);
    rc->remove();
    QCOMPARE(index.count(), 0);
    QVERIFY(index.paths().isEmpty());

    // a book file that cannot be deleted keeps its record and path
    const QString stuck = path(QStringLiteral("Stuck.exp"));
    makeBook(stuck, QStringLiteral("s"));
    DBRecord *rs = addBook(index, stuck);
    QVERIFY(QFile::remove(stuck));
    QVERIFY(QDir().mkpath(stuck + QStringLiteral("/inside")));
    rs->setDeleteFile(true);
    QVERIFY(!rs->remove());
    QVERIFY(index.contains(rs));
    QCOMPARE(index.paths(), QStringList(stuck));
    // and a record the index does not hold is no removal
    DBRecord loose(&index);
    QVERIFY(!index.removeRecord(&loose));
    QCOMPARE(index.count(), 1);
    QVERIFY(QDir(stuck).removeRecursively());
    QVERIFY(rs->remove());
    QCOMPARE(index.count(), 0);
}

void TestDBManager::samePathTwiceAndRecordPart()
{
    const QString book = path(QStringLiteral("Twice.exp"));
    const QString keep = path(QStringLiteral("Keep.exp"));
    makeBook(book, QStringLiteral("t"));
    makeBook(keep, QStringLiteral("k"));
    const QByteArray tail("T=left over\nI=12\nP=/x\nUID=00000000-0000-0000-0000-000000000001\nEND\n");
    {
        DBManager probe;
        writeAll(probe.fileName(), "FOLDER\nSORT=1\nTOTAL=1\nI=" + book.toUtf8() + "\nI="
                                        + keep.toUtf8() + "\nI=" + book.toUtf8() + "\nEND\n" + tail);
    }
    DBManager index;
    QVERIFY(index.load());
    QCOMPARE(index.count(), 3);
    QCOMPARE(index.sortColumn(), 1);
    static_cast<DBRecord *>(index.records()->at(0))->remove();
    QCOMPARE(index.paths(), QStringList({keep}));
    QCOMPARE(index.count(), 2);
    QVERIFY(index.save());
    const QByteArray saved = readAll(index.fileName());
    QVERIFY(saved.endsWith("I=" + keep.toUtf8() + "\nEND\n" + tail));
    QVERIFY(!saved.contains(book.toUtf8()));
    QVERIFY(saved.contains("TOTAL=1\n"));
}

void TestDBManager::exportIndex()
{
    const QString book = path(QStringLiteral("Exported.exp"));
    {
        DBManager ext(true);
        QVERIFY(ext.isExt());
        QVERIFY(ext.fileName().endsWith(QStringLiteral("/ymrOutlays/ymrOutlaysIDX_EXT")));
        QFile::remove(ext.fileName());
        DBRecord *r = new DBRecord(&ext);
        r->setTitle(QStringLiteral("Exported"));
        r->setPath(book);
        r->setDescription(QStringLiteral("two\nlines"));
        r->setPassword(QStringLiteral("pw"));
        r->setIconName(QStringLiteral("13"));
        QVERIFY(r->isAvailable());
        r->store(nullptr);
        DBRecord *plain = new DBRecord(&ext);
        plain->setTitle(QStringLiteral("Plain"));
        plain->store(nullptr);
        QVERIFY(ext.save());
        // the hooks touch no book file
        QVERIFY(!QFile::exists(book));
        const QByteArray text = readAll(ext.fileName());
        QVERIFY(text.contains("T=Exported\nI=13\nD=two|lines\nX=pw\nP=" + book.toUtf8() + "\nUID="));
        QVERIFY(text.contains("T=Plain\nI=12\nP=\nUID="));
        QVERIFY(!text.contains("\nI=" + book.toUtf8()));
    }
    DBManager ext(true);
    QVERIFY(ext.load());
    QCOMPARE(ext.count(), 2);
    auto *r = static_cast<DBRecord *>(ext.records()->at(0));
    QCOMPARE(r->description(), QStringLiteral("two\nlines"));
    QCOMPARE(r->password(), QStringLiteral("pw"));
    QCOMPARE(r->path(), book);
    QVERIFY(r->isAvailable());
    ext.refreshAll();
    QCOMPARE(r->title(), QStringLiteral("Exported"));
    QVERIFY(!QFile::exists(book));
}

void TestDBManager::openStoreTakesIndexEdits()
{
    const QString file = path(QStringLiteral("Open.exp"));
    makeBook(file, QStringLiteral("old description"));
    DBManager index;
    index.load();
    DBRecord *r = addBook(index, file);

    auto open = std::make_unique<TaskManager>(file);
    QVERIFY(open->load());
    QVERIFY(open->lockFile());
    QCOMPARE(TaskManager::openStore(file), open.get());
    writeAll(file + QStringLiteral(".damaged"), "kept of an earlier damage");
    // a refresh reads the header on disk
    open->setDescription(QStringLiteral("unsaved"));
    index.refreshRecord(r);
    QCOMPARE(r->description(), QStringLiteral("old description"));

    Task *t = new Task(open.get());
    t->type = QStringLiteral("added while open");
    t->store(nullptr);

    edit(r, [](DBRecord *rec) {
        rec->setDescription(QStringLiteral("from the index"));
        rec->setPassword(QStringLiteral("pw"));
    });
    QVERIFY(r->isAvailable());
    QCOMPARE(open->description(), QStringLiteral("from the index"));
    QCOMPARE(open->password(), QStringLiteral("pw"));
    t = new Task(open.get());
    t->store(nullptr);

    // a move takes the open store along: what it saves later goes to the
    // new file, and the old one does not come back
    const QString moved = path(QStringLiteral("OpenMoved.exp"));
    edit(r, [&](DBRecord *rec) {
        rec->setPath(moved);
        rec->setTitle(QStringLiteral("OpenMoved"));
    });
    QVERIFY(r->isAvailable());
    QCOMPARE(r->path(), moved);
    QCOMPARE(TaskManager::openStore(moved), open.get());
    // its lock, its stamp and the copies kept of the book went with it
    QVERIFY(open->hasLock());
    QVERIFY(QFileInfo(BookFile::lockFileName(moved)).isFile());
    QVERIFY(!QFileInfo::exists(BookFile::lockFileName(file)));
    QVERIFY(!TaskManager(moved).lockFile());
    QCOMPARE(readAll(moved + QStringLiteral(".damaged")), QByteArray("kept of an earlier damage"));
    QVERIFY(!QFileInfo::exists(file + QStringLiteral(".damaged")));
    t = new Task(open.get());
    t->store(nullptr);
    QVERIFY2(open->save(), qPrintable(open->saveFailure()));
    open.reset();
    QVERIFY(!QFile::exists(file));
    QVERIFY(!TaskManager::openStore(moved));
    {
        // header-only and template stores are never taken for the open book
        TaskManager headerOnly(moved, false, true);
        QVERIFY(!TaskManager::openStore(moved));
    }

    TaskManager book(moved);
    QVERIFY(book.load());
    QCOMPARE(book.description(), QStringLiteral("from the index"));
    QCOMPARE(book.password(), QStringLiteral("pw"));
    QCOMPARE(book.count(), 4);
}

void TestDBManager::sortKeys()
{
    DBManager ext(true);
    const char *titles[] = {"b", "c", "a"};
    for (const char *title : titles) {
        DBRecord *r = new DBRecord(&ext);
        r->setTitle(QString::fromLatin1(title));
        r->setPath(QStringLiteral("/f/") + QString::fromLatin1(title));
        r->store(nullptr);
    }
    static_cast<DBRecord *>(ext.records()->at(1))->setPassword(QStringLiteral("x"));
    ext.setSort(1);
    auto title = [&](int i) { return static_cast<DBRecord *>(ext.view()->at(i))->title(); };
    QCOMPARE(title(0) + title(1) + title(2), QStringLiteral("abc"));
    ext.setSort(3);
    QCOMPARE(title(2), QStringLiteral("c"));
    QCOMPARE(ext.view()->at(2)->sortKey(), QStringList(QStringLiteral("1")));
    ext.setSort(4);
    QCOMPARE(ext.view()->at(0)->sortKey(), QStringList(QStringLiteral("/f")));
    ext.setSort(9);
    QVERIFY(ext.view()->at(0)->sortKey().isEmpty());
}

void TestDBManager::bookIcon()
{
    DBManager index;
    DBRecord r(&index);
    const QImage plain = r.icon().toImage();
    QVERIFY(!plain.isNull());
    r.setAvailable(true);
    const QImage available = r.icon().toImage();
    QVERIFY(available != plain);   // not available: the greyed picture
    r.setPassword(QStringLiteral("pw"));
    const QImage locked = r.icon().toImage();
    QCOMPARE(locked.size(), available.size());
    // the lock's visible pixels over the picture, the picture elsewhere
    const QImage lock = YMRResource::loadImage(QStringLiteral("lockoverlay"));
    QVERIFY(!lock.isNull());
    int covered = 0;
    for (int y = 0; y < locked.height(); ++y) {
        for (int x = 0; x < locked.width(); ++x) {
            const bool inLock = x < lock.width() && y < lock.height();
            const QRgb over = inLock ? lock.pixel(x, y) : 0;
            if (qAlpha(over) == 255) {
                QCOMPARE(locked.pixel(x, y), over);
                ++covered;
            } else if (qAlpha(over) == 0 && qAlpha(available.pixel(x, y)) == 255) {
                QCOMPARE(locked.pixel(x, y), available.pixel(x, y));
            }
        }
    }
    QVERIFY(covered > 0);
    QVERIFY(DBManager::iconDirectory().endsWith(QStringLiteral("/ymrOutlays/icons/")));
}

void TestDBManager::passwordPrompts_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("answer");   // the fake prompts': "yes", "no" or "books"
    QTest::addColumn<bool>("allowed");
    QTest::newRow("none installed, no password") << false << "" << "" << true;
    QTest::newRow("none installed: refused") << false << "pw" << "" << false;
    QTest::newRow("no password, no prompt") << true << "" << "no" << true;
    QTest::newRow("accepted") << true << "pw" << "yes" << true;
    QTest::newRow("refused") << true << "pw" << "no" << false;
    QTest::newRow("books dialog asked for") << true << "pw" << "books" << false;
}

// The index asks the installed prompts only for a protected book, and
// refuses one while none are installed.
void TestDBManager::passwordPrompts()
{
    QFETCH(bool, installed);
    QFETCH(QString, password);
    QFETCH(QString, answer);
    QFETCH(bool, allowed);
    DBManager index;
    DBRecord book(&index);
    book.setPassword(password);
    DBRecord chosen(&index);   // the open prompt's choice: another book
    const bool prompted = installed && !password.isEmpty();
    QList<DBRecord *> asked;
    DBManager *askedIndex = nullptr;
    if (installed) {
        DBManager::setPasswordPrompts(
            [&](DBRecord *r) {
                asked << r;
                return answer == QLatin1String("yes");
            },
            [&](DBManager *i, DBRecord *r, bool &managerRequested) -> DBRecord * {
                askedIndex = i;
                asked << r;
                managerRequested = answer == QLatin1String("books");
                return answer == QLatin1String("no") ? nullptr : &chosen;
            });
    }
    QCOMPARE(DBManager::checkPassword(&book), allowed);
    bool requested = true;
    DBRecord *result = index.askPassword(&book, &requested);
    DBManager::setPasswordPrompts(nullptr, nullptr);
    QCOMPARE(requested, answer == QLatin1String("books"));
    QCOMPARE(result, allowed ? (prompted ? &chosen : &book) : nullptr);
    QCOMPARE(asked, prompted ? QList<DBRecord *>({&book, &book}) : QList<DBRecord *>());
    QCOMPARE(askedIndex, prompted ? &index : nullptr);
}

// A book index its reader does not take whole (cut inside its last book's
// line or anywhere before its END line, a zero byte, a count that is none, a
// line that is no header line) is set aside whole as the program starts,
// and the user told. Nothing of it is taken: the index written next lists
// the books added since, never a torn path.
void TestDBManager::damagedIndexIsSetAsideWhole_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("whole");
    QTest::newRow("none") << "none" << true;
    QTest::newRow("cut inside its last book's line") << "last" << false;
    QTest::newRow("cut before its END line") << "end" << false;
    QTest::newRow("cut inside its count") << "count" << false;
    QTest::newRow("a zero byte in a path") << "zero" << false;
    QTest::newRow("count holding \"=\"") << "total" << false;
    QTest::newRow("a line without \"=\"") << "stray" << false;
    QTest::newRow("no header") << "header" << false;
    // whole, and a book more would be more than its reader takes: the add
    // is refused, and what is written reads back
    QTest::newRow("one book short of its budget") << "budget" << true;
}

void TestDBManager::damagedIndexIsSetAsideWhole()
{
    QFETCH(QString, damage);
    QFETCH(bool, whole);
    const QString a = path(QStringLiteral("Home.exp"));
    const QString b = path(QStringLiteral("Holidays.exp"));
    const QString c = path(QStringLiteral("Car.exp"));
    for (const QString &book : {a, b, c})
        QFile::remove(book);
    makeBook(a, QString());
    makeBook(b, QString());
    QString file;
    {
        DBManager index;
        file = index.fileName();
        addBook(index, a);
        addBook(index, b);
        QVERIFY(index.save());
    }
    for (int n = 1; QFile::exists(BoundedFile::asideName(file, n)); ++n)
        QFile::remove(BoundedFile::asideName(file, n));
    QByteArray bytes = readAll(file);
    const QByteArray last = "I=" + b.toUtf8();
    if (damage == "last")
        bytes = bytes.left(bytes.indexOf(last) + last.size() - 6);
    else if (damage == "end")
        bytes.chop(4);
    else if (damage == "count")
        bytes = bytes.left(bytes.indexOf("TOTAL=") + 3);
    else if (damage == "zero")
        bytes.replace("Home.exp", QByteArray("Ho\0e.exp", 8));
    else if (damage == "total")
        bytes.replace("TOTAL=-1\n", "TOTAL=-1=1\n");
    else if (damage == "stray")
        bytes.replace("PERPAGE=15\n", "PERPAGE\n");
    else if (damage == "header")
        bytes = bytes.mid(bytes.indexOf("I="));
    writeAll(file, bytes);
    const auto allowance = qScopeGuard([] { LoadBudget::setAllowance(0); });
    if (damage == "budget") {
        // the least allowance the index with c takes, less one
        QByteArray withC = bytes;
        withC.insert(withC.lastIndexOf("END\n"), "I=" + c.toUtf8() + "\n");
        qint64 low = 1, high = LoadBudget::DefaultAllowance;
        const auto reads = [&withC](qint64 a) {
            LoadBudget::setAllowance(a);
            LoadBudget budget(withC.size());
            // the bytes are held as they are read
            budget.charge(withC.size());
            return DBManager::readsWhole(withC, false, budget);
        };
        QVERIFY(reads(high));
        while (low < high) {
            const qint64 mid = (low + high) / 2;
            if (reads(mid))
                high = mid;
            else
                low = mid + 1;
        }
        LoadBudget::setAllowance(high - 1);
    }

    QStringList told;
    BoundedFile::setNotifier([&told](const QString &path, const QString &) { told << path; });
    const auto restore = qScopeGuard([] { BoundedFile::setNotifier(BoundedFile::Notifier()); });
    {
        DBManager index;
        QCOMPARE(index.loadOrSetAside(), whole);
        QCOMPARE(index.paths(), whole ? QStringList({a, b}) : QStringList());
        QCOMPARE(told, whole ? QStringList() : QStringList{file});
        DBRecord *added = addBook(index, c);
        if (damage == "budget") {
            QVERIFY(!index.contains(added));
            QVERIFY2(index.addRefusal().contains(c), qPrintable(index.addRefusal()));
            delete added;
        }
        QVERIFY(index.save());
    }
    QCOMPARE(readAll(BoundedFile::asideName(file)), whole ? QByteArray() : bytes);
    DBManager index;
    QVERIFY(index.load());
    QVERIFY(!index.isDamaged());
    QCOMPARE(index.paths(), damage == "budget" ? QStringList({a, b}) : whole ? QStringList({a, b, c}) : QStringList{c});
    QCOMPARE(readAll(file), damage == "budget" ? bytes : readAll(file));
}

// A book another copy of the program listed keeps its path as that copy
// wrote it, a byte-order mark at its start too, through this copy's save.
void TestDBManager::pathOfAnotherCopyKeptWhole()
{
    const QString mine = path(QStringLiteral("Mine.exp"));
    QFile::remove(mine);
    DBManager index;
    index.load();
    const QString theirs = QString(QChar(0xfeff)) + QStringLiteral("Theirs.exp");
    writeAll(index.fileName(), "FOLDER\nTOTAL=-1\nI=" + theirs.toUtf8() + "\nEND\n");
    addBook(index, mine);
    QVERIFY(index.save());
    QCOMPARE(index.paths(), QStringList({theirs, mine}));
    DBManager again;
    QVERIFY(again.load());
    QCOMPARE(again.paths(), QStringList({theirs, mine}));
}

YMR_TEST_MAIN(TestDBManager)
#include "tst_dbmanager.moc"
