#include "ymrtest.h"

#include "filebytes.h"
#include "tempfiles.h"

#include "pim/categorymanager.h"
#include "pim/dbmanager.h"
#include "pim/pimmanager.h"
#include "pim/pimrecord.h"
#include "pim/pimsortkeys.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/pimtextreader.h"
#include "pim/pimtextwriter.h"
#include "pim/sharedrecords.h"
#include "pim/ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"
#include "qpe/loadbudget.h"
#include "qpe/sharedfile.h"
#include "qpe/unixsignalnotifier.h"
#include "qpe/unsavedfiles.h"
#include "qt/ymrapplication.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A store of expenses sorted by one property "k" (any sort column); records
// whose property "hide" is "1" stay out of the view.
class KeyStore : public PIMManager
{
public:
    KeyStore(const QString &path, bool headerOnly = false)
        : PIMManager(QStringLiteral("test"), path, false, headerOnly)
    {
    }
    ~KeyStore() override { saveOnDestroy(); }

    int added = 0, removedHooks = 0;
    QList<PIMRecord *> updatedHooks;

    using PIMManager::countChange;
    using PIMManager::holdAutoSave;

protected:
    PIMRecord *createRecord() override { return new Task(this); }
    bool accept(PIMRecord *r) override { return r->property(QStringLiteral("hide")) != QLatin1String("1"); }
    bool sortKeyText(const PIMRecord *r, int, QString &text) const override
    {
        text = r->property(QStringLiteral("k"));
        return true;
    }
    bool needsResort(PIMRecord *old, PIMRecord *r) override
    {
        return !old || old->property(QStringLiteral("k")) != r->property(QStringLiteral("k"));
    }
    void recordAdded(PIMRecord *) override { ++added; }
    void recordRemoved(PIMRecord *) override { ++removedHooks; }
    void recordUpdated(PIMRecord *, PIMRecord *r) override { updatedHooks << r; }
};

// A subclass with a header key of its own; it leaves its save at
// destruction to the base.
class HeaderStore : public PIMManager
{
public:
    explicit HeaderStore(const QString &path) : PIMManager(QStringLiteral("test"), path) {}
    QString desc;
    void setDesc(const QString &d)
    {
        desc = d;
        markDirty();
    }

protected:
    void writeHeader(PIMTextWriter &out) override
    {
        PIMManager::writeHeader(out);
        out.writeValue("DESC=", desc);
    }
    void readHeader(QStringList &parts) override
    {
        if (parts.value(0) == QLatin1String("DESC"))
            desc = YMRPIM::decodeValue(parts);
        else
            PIMManager::readHeader(parts);
    }
    void clearHeader() override
    {
        desc.clear();
        PIMManager::clearHeader();
    }
};

QStringList keysOf(PIMRecordArray *view)
{
    QStringList keys;
    for (PIMRecord *r : *view)
        keys << r->property(QStringLiteral("k")) + r->property(QStringLiteral("n"));
    return keys;
}

unsigned modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
}

// An expense that counts its deletions.
struct CountedTask : Task
{
    explicit CountedTask(PIMManager *store, int *deleted) : Task(store), deleted(deleted) {}
    CountedTask(const CountedTask &other) = default;
    ~CountedTask() override { ++*deleted; }
    int *deleted;
};

Task *newTask(PIMManager *store, const QString &k, const QString &n = QString())
{
    auto *t = new Task(store);
    t->setProperty(QStringLiteral("k"), k);
    if (!n.isEmpty())
        t->setProperty(QStringLiteral("n"), n);
    return t;
}

// A book of n expenses, with blank lines and empty blocks between them. A
// reminder opened before expense openReminderAt closes twenty expenses on:
// the "END" lines between belong to it. Every twinEvery-th expense holds
// the UID of one of the first three.
QByteArray partsBook(int n, int total, int openReminderAt = -1, int longLineAt = -1, int twinEvery = 0)
{
    QByteArray b = "FOLDER\nSORT=0\n";
    if (total >= 0)
        b += "TOTAL=" + QByteArray::number(total) + "\n";
    b += "END\n";
    for (int i = 0; i < n; ++i) {
        if (i % 7 == 3)
            b += "\n\n";
        if (i % 11 == 5)
            b += "END\n";
        if (i == openReminderAt)
            b += "REMINDER\nSOUND=1\n";
        if (i == openReminderAt + 20)
            b += "REMINDER_END\n";
        const int uid = twinEvery && i % twinEvery == twinEvery - 1 ? i % 3 : i;
        b += QByteArray("UID=") + QByteArray::number(0x10000000 + uid, 16) + "-0000-4000-8000-000000000000\n";
        b += "PROP=k=" + QByteArray::number(i % 13) + (i % 5 ? "\n" : "\r\n");
        if (i == longLineAt)
            b += "DESC=" + QByteArray(300, 'x') + "\n";
        b += "END\n";
    }
    return b;
}

// n expenses as the program writes them: a 1,000,000-expense book of these
// takes some 200 MB.
QByteArray realExpenses(int n)
{
    QByteArray b = "FOLDER\nSORT=6\nTOTAL=" + QByteArray::number(n) + "\nEND\n";
    for (int i = 0; i < n; ++i) {
        b += "TYPE=Food\nAMOUNT=" + QByteArray::number(i % 997) + ".50\nCUR=EUR\nCITY=Paris\n"
             "DESC=Dinner " + QByteArray::number(i) + "\nACCOUNT=Cash\nDATE=" + QByteArray::number(i % 28 + 1)
             + " 3 2026 0 0 0\nUID=" + QByteArray::number(0x10000000 + i, 16)
             + "-0000-4000-8000-000000000000\nCREATED=1 3 2026 12 0 0\nUPDATED=1 3 2026 12 0 0\n";
        if (i % 10 == 0)
            b += "CATS=11111111-2222-3333-4444-555555555555\n";
        b += "END\n";
    }
    return b;
}

QByteArray repeated(const QByteArray &head, const QByteArray &piece, int n, const QByteArray &tail = QByteArray())
{
    QByteArray b = head;
    b.reserve(head.size() + piece.size() * n + tail.size());
    for (int i = 0; i < n; ++i)
        b += piece;
    return b + tail;
}

// The text without the lines a load fills in when a block lacks them: a
// fresh UID, the time of the load, today. Two loads may straddle a second.
QByteArray withoutFilledIn(const QByteArray &text)
{
    QByteArray out;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith("UID=") && !line.startsWith("CREATED=") && !line.startsWith("UPDATED=")
            && !line.startsWith("DATE="))
            out += line + '\n';
    }
    return out;
}

} // namespace

class TestPIMManager : public QObject
{
    Q_OBJECT
private slots:
    void bookRoundTripByteForByte();
    void emptyStoreBytesAndDefaults();
    void headerOnlyRewriteKeepsRecordPart();
    void headerOnlyWithoutFile();
    void autosaveOnEleventhChange();
    void saveReplacesThroughNewFile();
    void failedSavesKeepOldFile();
    void savesKeepModeAndFollowLinks();
    void subclassFailedSaveIsNotRepeatedWithBaseHeader();
    void tolerantReading();
    void stampsOutsideTheCalendarAreRefused();
    void trailingCarriageReturnsSettle();
    void savedTextFollowsEveryChange();
    void writerTextsOfDatesAndValues();
    void largeBookSavesWhatItsRecordsWrite();
    void uidTextsReadAsLibuuidParsesThem_data();
    void uidTextsReadAsLibuuidParsesThem();
    void badInputNeverCrashes();
    void readInPartsAsInOneGo_data();
    void readInPartsAsInOneGo();
    void boundedReads_data();
    void boundedReads();
    void memoryBoundedReads_data();
    void memoryBoundedReads();
    void readersOfAKindTakeTheSameFiles_data();
    void readersOfAKindTakeTheSameFiles();
    void signalCutsALoadShort();
    void headerValuesInRange_data();
    void headerValuesInRange();
    void sortOrderAndStability();
    void keysMadeInPartsLeaveOutRecords();
    void sortAgreesWithKeyComparison_data();
    void sortAgreesWithKeyComparison();
    void viewFollowsChanges();
    void removeSignalsAndHooks();
    void strokeAsOneByOne_data();
    void strokeAsOneByOne();
    void storeTakesTheOldCopyBothWays();
    void subclassHeaderSavedAtDestruction();
    void headerValuesAndDirtyFlag();
    void perPageNeverZero();
    void dataStreamForm();
};

void TestPIMManager::bookRoundTripByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.exp"));
    const QByteArray book =
        "FOLDER\n"
        "SYNCDATETIME=1 2 2004 10 0 0\n"
        "SORT=6\n"
        "SORTORDER=0\n"
        "PERPAGE=20\n"
        "PROP=password=abc=\n"
        "PROP=zfilter=a==b\n"
        "LASTCURRENT=0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b\n"
        "TOTAL=2\n"
        "END\n"
        "REMINDER\n"
        "DATETIME=5 3 2004 14 7 0\n"
        "SOUND=1\n"
        "LED=0\n"
        "TYPE=4\n"
        "REMINDER_END\n"
        "TYPE=Food\n"
        "AMOUNT=12.50\n"
        "CUR=\xe2\x82\xac\n"
        "CITY=Paris\n"
        "DESC=Lunch|with a=b\n"
        "ACCOUNT=Cash\n"
        "DATE=5 3 2004 0 0 0\n"
        "UID=0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b\n"
        "CREATED=5 3 2004 14 7 9\n"
        "UPDATED=6 3 2004 8 0 0\n"
        "PROP=k=b\n"
        "PROP=select=1\n"
        "CATS=11111111-2222-3333-4444-555555555555|66666666-7777-8888-9999-000000000000\n"
        "END\n"
        "DATE=1 1 2005 0 0 0\n"
        "UID=9a1b2c3d-4e5f-4071-8293-a4b5c6d7e8f9\n"
        "CREATED=1 1 2005 0 0 0\n"
        "UPDATED=1 1 2005 0 0 0\n"
        "END\n";
    writeAll(path, book);
    {
        KeyStore store(path);
        QSignalSpy updated(&store, &PIMManager::updated);
        QVERIFY(store.load());
        QCOMPARE(updated.count(), 1);
        QCOMPARE(store.count(), 2);
        QCOMPARE(store.sortColumn(), 6);
        QCOMPARE(store.sortOrder(), false);
        QCOMPARE(store.perPage(), 20);
        QCOMPARE(store.property(QStringLiteral("password")), QStringLiteral("abc="));
        QCOMPARE(store.property(QStringLiteral("zfilter")), QStringLiteral("a==b"));
        QCOMPARE(store.recordOffset(), qint64(book.indexOf("END\n") + 4));
        auto *t = static_cast<Task *>(store.first());
        QCOMPARE(t->type, QStringLiteral("Food"));
        QCOMPARE(t->currency, QString(QChar(0x20ac)));
        QCOMPARE(t->description, QStringLiteral("Lunch\nwith a=b"));
        QCOMPARE(t->date, QDate(2004, 3, 5));
        QCOMPARE(t->created(), QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9)));
        QVERIFY(t->reminder);
        QCOMPARE(t->reminder->dateTime, QDateTime(QDate(2004, 3, 5), QTime(14, 7)));
        QVERIFY(t->reminder->sound);
        QVERIFY(!t->reminder->led);
        QCOMPARE(t->reminder->type, 4);
        QCOMPARE(t->categories().size(), 2);
        QCOMPARE(t->uidString(), QStringLiteral("0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b"));
        QVERIFY(store.findRecord(QStringLiteral("9a1b2c3d-4e5f-4071-8293-a4b5c6d7e8f9")) == store.last());
        QVERIFY(!store.findRecord(QString()));
        QVERIFY(!store.findRecord(QStringLiteral("not a uid")));
        auto *second = static_cast<Task *>(store.last());
        QVERIFY(second->type.isEmpty());
        QVERIFY(!second->reminder);
        QVERIFY(!store.isDirty());
        store.forceSave();
        QVERIFY(!store.isDirty());
    }
    QCOMPARE(readAll(path), book);
    QVERIFY(tempFilesIn(QFileInfo(path).path()).isEmpty());
}

void TestPIMManager::emptyStoreBytesAndDefaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty"));
    {
        PIMManager store(QStringLiteral("test"), path);
        QVERIFY(!store.load()); // no file yet
        QCOMPARE(store.sortColumn(), -1);
        QVERIFY(store.sortOrder());
        QCOMPARE(store.perPage(), 15);
        QCOMPARE(store.total(), -1);
        QVERIFY(store.save()); // clean: nothing written
        QVERIFY(!QFile::exists(path));
        store.setProperty(QStringLiteral("b"), QStringLiteral("two\nlines"));
        store.setProperty(QStringLiteral("a"), QStringLiteral("1"));
        store.setLastCurrent(QStringLiteral("x"));
        QVERIFY(store.save());
    }
    QCOMPARE(readAll(path), QByteArray("FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nPROP=a=1\n"
                                       "PROP=b=two|lines\nLASTCURRENT=x\nTOTAL=0\nEND\n"));
    PIMManager again(QStringLiteral("test"), path);
    QVERIFY(again.load());
    QCOMPARE(again.property(QStringLiteral("b")), QStringLiteral("two\nlines"));

    // a relative name lives in the application's folder of the directory
    PIMManager relative(QStringLiteral("expense"), QStringLiteral("Book.exp"), true);
    QCOMPARE(relative.fileName(), Global::applicationFileName(QStringLiteral("expensetemplates"),
                                                              QStringLiteral("Book.exp")));

    // an empty file and a file without header
    writeAll(path, QByteArray());
    QVERIFY(again.load());
    QCOMPARE(again.count(), 0);
    QCOMPARE(again.perPage(), 15);
    writeAll(path, "UID=0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b\nEND\nPROP=x=1\nEND\n");
    QVERIFY(again.load());
    QCOMPARE(again.count(), 2);
    QCOMPARE(again.total(), -1);
    QCOMPARE(again.recordOffset(), qint64(0));
    QCOMPARE(again.first()->uidString(), QStringLiteral("0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b"));
}

void TestPIMManager::headerOnlyRewriteKeepsRecordPart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.exp"));
    const QByteArray records = "TYPE=A\nDATE=1 1 2005 0 0 0\nUID=9a1b2c3d-4e5f-4071-8293-a4b5c6d7e8f9\n"
                               "CREATED=1 1 2005 0 0 0\nUPDATED=1 1 2005 0 0 0\nEND\n"
                               "junk that is kept as it is\xff\n";
    writeAll(path, "FOLDER\nSORT=3\nSORTORDER=1\nPERPAGE=15\nTOTAL=7\nDESC=old\nEND\n" + records);
    {
        KeyStore store(path, true);
        QVERIFY(store.load());
        QCOMPARE(store.count(), 0);
        QCOMPARE(store.total(), 7);
        store.setProperty(QStringLiteral("p"), QStringLiteral("v=="));
        QVERIFY(store.save());
    }
    const QByteArray after = readAll(path);
    QCOMPARE(after, QByteArray("FOLDER\nSORT=3\nSORTORDER=1\nPERPAGE=15\nPROP=p=v==\nTOTAL=7\nEND\n")
                        + records);
    // a second rewrite starts from the offset of the file just written
    KeyStore store(path, true);
    QVERIFY(store.load());
    store.setPerPage(30);
    QVERIFY(store.save());
    QVERIFY(readAll(path).endsWith("TOTAL=7\nEND\n" + records));
    QVERIFY(store.save()); // clean
}

void TestPIMManager::headerOnlyWithoutFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.exp"));
    {
        KeyStore store(path, true);
        QVERIFY(!store.load());
        store.forceSave();
    }
    QCOMPARE(readAll(path), QByteArray("FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nTOTAL=-1\nEND\n"));
    KeyStore full(path);
    QVERIFY(full.load());
    QCOMPARE(full.count(), 0);
}

class EventCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Type(PIMManager::AutoSaveEvent))
            ++count;
        return false;
    }
};

void TestPIMManager::autosaveOnEleventhChange()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("auto.exp"));
    KeyStore store(path);
    EventCounter counter;
    store.installEventFilter(&counter);
    for (int i = 0; i < 10; ++i)
        QVERIFY(newTask(&store, QString::number(i))->store(nullptr));
    QCOMPARE(store.changeCount(), 10);
    QCoreApplication::sendPostedEvents(&store);
    QCOMPARE(counter.count, 0);
    QVERIFY(!QFile::exists(path));

    newTask(&store, QStringLiteral("x"))->store(nullptr);
    QCOMPARE(store.changeCount(), -1);
    for (int i = 0; i < 9; ++i) // pending: no second event
        newTask(&store, QStringLiteral("y"))->store(nullptr);
    QCOMPARE(store.changeCount(), -1);
    QCoreApplication::sendPostedEvents(&store);
    QCOMPARE(counter.count, 1);
    QCOMPARE(store.changeCount(), 0);
    QVERIFY(!store.isDirty());
    QVERIFY(readAll(path).contains("TOTAL=20\n"));

    // an explicit save before delivery leaves the event nothing to write
    for (int i = 0; i < 11; ++i)
        store.first()->store(nullptr);
    QCOMPARE(store.changeCount(), -1);
    QVERIFY(store.save());
    QFile::remove(path);
    QCoreApplication::sendPostedEvents(&store);
    QCOMPARE(counter.count, 2);
    QVERIFY(!QFile::exists(path));

    // held (a stroke), they ask for it once, as the hold ends
    store.holdAutoSave(true);
    for (int i = 0; i < 11; ++i)
        store.first()->store(nullptr);
    QCoreApplication::sendPostedEvents(&store);
    QCOMPARE(counter.count, 2);
    store.holdAutoSave(false);
    QCoreApplication::sendPostedEvents(&store);
    QCOMPARE(counter.count, 3);

    // property changes mark dirty without counting
    store.first()->setProperty(QStringLiteral("z"), QStringLiteral("1"));
    QVERIFY(store.isDirty());
    QCOMPARE(store.changeCount(), 0);
}

void TestPIMManager::saveReplacesThroughNewFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.exp"));
    writeAll(path, "FOLDER\nTOTAL=0\nEND\n");
    KeyStore store(path);
    QVERIFY(store.load());
    newTask(&store, QStringLiteral("a"))->store(nullptr);
    QVERIFY(store.save());
    QVERIFY(tempFilesIn(QFileInfo(path).path()).isEmpty());
    QVERIFY(readAll(path).contains("TOTAL=1\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList(QStringLiteral("b.exp")));
}

void TestPIMManager::failedSavesKeepOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.exp"));
    const QByteArray old = "FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nTOTAL=0\nEND\n";
    writeAll(path, old);

    // the disk is full
    {
        KeyStore store(path);
        QVERIFY(store.load());
        FileReplacer::setSpaceLeft(0);
        for (int i = 0; i < 11; ++i)
            newTask(&store, QStringLiteral("a"))->store(nullptr);
        QCOMPARE(store.changeCount(), -1);
        QCoreApplication::sendPostedEvents(&store);
        QVERIFY(store.isDirty());
        QCOMPARE(store.changeCount(), -1); // no further event until a save succeeds
        QVERIFY(!store.save());
        QCOMPARE(readAll(path), old);
        FileReplacer::setSpaceLeft(-1);
        QVERIFY(store.save());
        QCOMPARE(store.changeCount(), 0);
    }

    // the book's own name is a folder that is not empty: the rename fails,
    // the temporary file goes and the store stays dirty
    const QString folder = dir.filePath(QStringLiteral("f.exp"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inner")));
    {
        KeyStore store(folder);
        newTask(&store, QStringLiteral("a"))->store(nullptr);
        QVERIFY(!store.save());
        QVERIFY(store.isDirty());
        QVERIFY(tempFilesIn(dir.path()).isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
    }

    // a file where a folder is expected
    const QString blocked = dir.filePath(QStringLiteral("b.exp/inside.exp"));
    KeyStore store(blocked);
    store.forceSave();
    QVERIFY(store.isDirty());
    QCOMPARE(readAll(path).left(6), QByteArray("FOLDER"));
}

void TestPIMManager::savesKeepModeAndFollowLinks()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("private.exp"));
    writeAll(real, "FOLDER\nTOTAL=0\nEND\n");
    QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("links"))));
    const QString link = dir.filePath(QStringLiteral("links/book.exp"));
    QVERIFY(QFile::link(real, link));
    {
        KeyStore store(link);
        QVERIFY(store.load());
        newTask(&store, QStringLiteral("a"))->store(nullptr);
        QVERIFY(store.save());
    }
    // the link stays a link, the real file gets the save and stays private
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(readAll(real).contains("TOTAL=1\n"));
    QCOMPARE(modeOf(real), 0600u);
    QCOMPARE(QDir(dir.filePath(QStringLiteral("links"))).entryList(QDir::Files | QDir::System),
             QStringList(QStringLiteral("book.exp")));

    // data lists and copies go through the same steps
    const QString list = YMRPIM::userListPath(QStringLiteral("modes"));
    QVERIFY(YMRPIM::saveList(QStringLiteral("modes"), {QStringLiteral("x")}));
    QVERIFY(::chmod(QFile::encodeName(list).constData(), 0640) == 0);
    QVERIFY(YMRPIM::saveList(QStringLiteral("modes"), {QStringLiteral("y")}));
    QCOMPARE(modeOf(list), 0640u);
    QVERIFY(YMRPIM::copyFile(list, link, false, 1 << 20));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(real), QByteArray("y"));
    QCOMPARE(modeOf(real), 0600u);
}

void TestPIMManager::subclassFailedSaveIsNotRepeatedWithBaseHeader()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.exp"));
    const QByteArray old = "FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nTOTAL=0\nDESC=mine\nEND\n";
    writeAll(path, old);
    {
        HeaderStore store(path);
        QVERIFY(store.load());
        QCOMPARE(store.desc, QStringLiteral("mine"));
        store.setPerPage(5);
        FileReplacer::setSpaceLeft(0);
        // the destructor's save fails; the base must not try again
    }
    FileReplacer::setSpaceLeft(-1);
    QCOMPARE(readAll(path), old);
    {
        HeaderStore store(path);
        QVERIFY(store.load());
        store.setPerPage(5);
    }
    QVERIFY(readAll(path).contains("DESC=mine\n"));
}

void TestPIMManager::tolerantReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.exp"));
    writeAll(path,
             "FOLDER\r\n"
             "TOTAL=3\n"
             "UNKNOWN=1\n"
             "SORT\n"
             "PERPAGE=7\n"
             "PERPAGE=9\n"
             "END\n"
             // keys in any order, unknown keys, repeated keys, "|" typed in
             "PROP=n=first\nWHAT=ever\nCATS=\nCATS=a||b|\nUID=xyz\nTYPE=T1\nTYPE=T2=x|y\n"
             "PROP=n=second\nPROP=empty\nPROP\nAMOUNT\nDATE=5 3 2004 14 7 9\nCREATED\nEND\n"
             // a reminder whose TYPE never reaches the expense's type
             "REMINDER\nDATETIME=5 3 2004 1 2 3=4\nSOUND=2\nLED=x\nWHO=1\nTYPE=7\nREMINDER_END\n"
             "DATE=  5   3  2004\nEND\n"
             // cut short: no END
             "TYPE=last\nREMINDER\nSOUND=1\n");
    KeyStore store(path);
    const QDate day = QDate::currentDate();
    QVERIFY(store.load());
    QCOMPARE(store.sortColumn(), 0);
    QCOMPARE(store.perPage(), 9);
    QCOMPARE(store.count(), 3);
    auto *a = static_cast<Task *>(store.records()->at(0));
    QCOMPARE(a->property(QStringLiteral("n")), QStringLiteral("second"));
    QVERIFY(a->hasProperty(QStringLiteral("empty")));
    QVERIFY(a->property(QStringLiteral("empty")).isEmpty());
    QCOMPARE(a->categories(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(a->type, QStringLiteral("T2=x\ny"));
    QVERIFY(a->amount.isEmpty());
    QCOMPARE(a->date, QDate(2004, 3, 5));
    QVERIFY(a->created().isNull());
    QCOMPARE(a->uidString().size(), 36); // the fresh UID stays
    auto *b = static_cast<Task *>(store.records()->at(1));
    QVERIFY(b->type.isEmpty());
    QVERIFY(b->reminder);
    QCOMPARE(b->reminder->dateTime, QDateTime(QDate(2004, 3, 5), QTime(1, 2, 3)));
    QVERIFY(b->reminder->sound);
    QVERIFY(!b->reminder->led);
    QCOMPARE(b->reminder->type, 7);
    QCOMPARE(b->date, QDate(2004, 3, 5));
    auto *c = static_cast<Task *>(store.records()->at(2));
    QCOMPARE(c->type, QStringLiteral("last"));
    QVERIFY(c->reminder && c->reminder->sound);
    QVERIFY(ymrtest::isToday(c->date, day)); // no DATE line

    // TOTAL bounds the records read; a negative TOTAL reads as none given
    writeAll(path, "FOLDER\nTOTAL=1\nEND\nEND\nEND\n");
    QVERIFY(store.load());
    QCOMPARE(store.count(), 1);
    writeAll(path, "FOLDER\nTOTAL=-5\nEND\nEND\nEND\n");
    QVERIFY(store.load());
    QCOMPARE(store.count(), 2);
    // a file that ends inside the header
    writeAll(path, "FOLDER\nSORT=2\nPERPAGE=3");
    QVERIFY(store.load());
    QCOMPARE(store.sortColumn(), 2);
    QCOMPARE(store.perPage(), 3);
    QCOMPARE(store.count(), 0);
}

void TestPIMManager::stampsOutsideTheCalendarAreRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("far.exp"));
    writeAll(path,
             "FOLDER\nSYNCDATETIME=1 1 2000000000 0 0 0\nTOTAL=2\nEND\n"
             "DATE=1 1 2000000000 0 0 0\nREMINDER\nDATETIME=31 12 -2000000000 23 59 59\nREMINDER_END\n"
             "CREATED=1 1 2000000000 0 0 0\nUPDATED=1 1 10000 0 0 0\nEND\n"
             "DATE=31 12 9999 0 0 0\nCREATED=1 1 1 0 0 0\nUPDATED=31 12 9999 23 59 59\nEND\n");
    QByteArray first;
    {
        KeyStore store(path);
        QVERIFY(store.load());
        QVERIFY(store.syncDateTime().isNull());
        auto *far = static_cast<Task *>(store.records()->at(0));
        QVERIFY(far->date.isNull());
        QVERIFY(far->reminder && far->reminder->dateTime.isNull());
        QVERIFY(far->created().isNull());
        QVERIFY(far->updated().isNull());
        // the calendar's first and last days stay as they are
        auto *edge = static_cast<Task *>(store.records()->at(1));
        QCOMPARE(edge->date, QDate(9999, 12, 31));
        QCOMPARE(edge->created(), QDateTime(QDate(1, 1, 1), QTime(0, 0)));
        QCOMPARE(edge->updated(), QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)));
        store.forceSave();
        first = readAll(path);
    }
    QVERIFY(!first.contains("2000000000"));
    QVERIFY(first.contains("UPDATED=31 12 9999 23 59 59\n"));
    KeyStore again(path);
    QVERIFY(again.load());
    again.forceSave();
    QCOMPARE(readAll(path), first);
}

void TestPIMManager::trailingCarriageReturnsSettle()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cr.exp"));
    // values of carriage returns only, read and typed, leave no line
    writeAll(path, "FOLDER\nPROP=p=head\r\r\nLASTCURRENT=\r\r\nTOTAL=1\nEND\n"
                   "TYPE=read\r\r\r\nACCOUNT=\r\r\nCATS=\r\r\nPROP=n=x\r\r\nEND\n");
    {
        KeyStore store(path);
        QVERIFY(store.load());
        auto *t = new Task(&store);
        t->type = QStringLiteral("typed\r\r");
        t->description = QStringLiteral("two\r\nlines\r");
        t->city = QStringLiteral("\r");
        // empty categories read back as none
        t->setCategories({QStringLiteral("a"), QString(), QStringLiteral("|b"), QStringLiteral("\r")});
        t->store(nullptr);
        store.setProperty(QStringLiteral("q"), QStringLiteral("\r"));
    }
    const QByteArray first = readAll(path);
    QCOMPARE(first.count('\r'), 1);
    QVERIFY(first.contains("two\r|lines\n")); // a return inside a value stays
    QVERIFY(!first.contains("LASTCURRENT=") && !first.contains("ACCOUNT=") && !first.contains("CITY="));
    QCOMPARE(first.count("CATS="), 1);
    QVERIFY(first.contains("CATS=a|b\n"));
    // every later save gives the same bytes
    for (int i = 0; i < 2; ++i) {
        KeyStore store(path);
        QVERIFY(store.load());
        QCOMPARE(static_cast<Task *>(store.records()->at(0))->type, QStringLiteral("read"));
        QCOMPARE(static_cast<Task *>(store.records()->at(1))->description, QStringLiteral("two\r\nlines"));
        store.forceSave();
        QCOMPARE(readAll(path), first);
    }
}

// The writer's own date conversion and UTF-8 encoding against Qt's.
void TestPIMManager::writerTextsOfDatesAndValues()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QByteArray want;
    {
        PIMTextWriter out(&buffer);
        const QTime time(23, 5, 9);
        for (qint64 day = QDate(1, 1, 1).toJulianDay() - 400; day <= QDate(9999, 12, 31).toJulianDay(); day += 13) {
            const QDate date = QDate::fromJulianDay(day);
            out.writeDateTime("D=", date, time);
            out.writeDateAsDateTime("E=", date);
            want += "D=" + YMRPIM::dateTimeToText(QDateTime(date, time)).toLatin1() + '\n';
            want += "E=" + YMRPIM::dateToText(date).toLatin1() + " 0 0 0\n";
        }
        for (const QDate &date : {QDate(1600, 2, 29), QDate(1900, 2, 28), QDate(1900, 3, 1), QDate(2000, 2, 29)}) {
            out.writeDateAsDateTime("E=", date);
            want += "E=" + YMRPIM::dateToText(date).toLatin1() + " 0 0 0\n";
        }
        out.writeDateAsDateTime("E=", QDate());
        want += "E=\n";
        const QStringList values = {"abc", "abcdefgh", "line\nfeed\nx", "a\u00e9\u20ac\U0001F600z and more text",
                                    "12345678\n", "\n\n\n\n\n", "x\n\u00e9\nabcdefg\n"};
        for (const QString &v : values) {
            out.writeValue("V=", v);
            want += "V=" + YMRPIM::encodeValue(v).toUtf8() + '\n';
        }
    }
    QCOMPARE(buffer.data(), want);
}

namespace {
// The record part as the records write it, one after the other.
QByteArray renderedRecords(PIMManager &store)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PIMTextWriter out(&buffer);
    for (PIMRecord *r : *store.records())
        r->write(out);
    out.flush();
    return buffer.data();
}
}

// A book large enough that loads and saves render on several threads, and
// that its loaded text goes out in more than one write: the file holds
// exactly what the records write, whether a block was copied from the
// loaded text or written afresh, and blocks not in the written form are
// written afresh.
void TestPIMManager::largeBookSavesWhatItsRecordsWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.exp"));
    const int n = 5000;
    const QByteArray note = "\nPROP=note=" + QByteArray(1000, 'n');
    QByteArray text = "FOLDER\nSORT=0\nSORTORDER=1\nPERPAGE=15\nTOTAL=" + QByteArray::number(n) + "\nEND\n";
    for (int i = 0; i < n; ++i) {
        const QByteArray uid = QByteArray::number(10000000 + i) + "-2222-3333-4444-555555555555";
        // every 97th block not as the writer puts it (its lines in another order)
        const QByteArray type = "TYPE=t" + QByteArray::number(i % 13) + "\n";
        const QByteArray amount = "AMOUNT=" + QByteArray::number(i) + ".5\n";
        text += (i % 97 ? type + amount : amount + type) + "DATE=5 3 2004 0 0 0\nUID=" + uid + "\nCREATED=1 1 2005 10 0 " + QByteArray::number(i % 60)
                + "\nUPDATED=2 1 2005 0 0 0\nPROP=k=" + QByteArray::number(i % 50) + note + "\nEND\n";
    }
    writeAll(path, text);
    {
        KeyStore store(path);
        QVERIFY(store.load());
        QCOMPARE(store.count(), n);
        store.forceSave();
        const QByteArray saved = readAll(path);
        QCOMPARE(saved.mid(int(store.recordOffset())), renderedRecords(store));
        QVERIFY(saved.contains("TYPE=t0\nAMOUNT=0.5\n"));
        QVERIFY(!saved.contains(".5\nTYPE="));
    }
    const QByteArray first = readAll(path);
    {
        // some records changed or gone: copied runs and written ones mixed
        KeyStore store(path);
        QVERIFY(store.load());
        for (int i = 0; i < n; i += 7)
            store.records()->at(i)->setProperty(QStringLiteral("k"), QStringLiteral("changed\n%1").arg(i));
        for (int i = 0; i < 40; ++i)
            QVERIFY(store.removeRecord(store.records()->at(i * 100)));
        for (int i = 0; i < 3000; ++i)
            newTask(&store, QString::number(i))->store(nullptr);
        QVERIFY(store.save());
        QCOMPARE(readAll(path).mid(int(store.recordOffset())), renderedRecords(store));
    }
    {
        // unchanged, loaded and saved again: the same bytes
        KeyStore store(path);
        const QByteArray before = readAll(path);
        QVERIFY(store.load());
        store.forceSave();
        QCOMPARE(readAll(path), before);
        QVERIFY(before != first);
    }
}

void TestPIMManager::uidTextsReadAsLibuuidParsesThem_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("lower") << QByteArray("0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b");
    QTest::newRow("upper") << QByteArray("0C5B8A4E-2D4F-4A55-9B0F-3F0C1D2E3A4B");
    QTest::newRow("not hex") << QByteArray("0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4g");
    QTest::newRow("hyphen moved") << QByteArray("0c5b8a4e2-d4f-4a55-9b0f-3f0c1d2e3a4b");
    QTest::newRow("blank") << QByteArray("0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4 ");
    QTest::newRow("short") << QByteArray("0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4");
    QTest::newRow("sign") << QByteArray("+c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b");
}

void TestPIMManager::uidTextsReadAsLibuuidParsesThem()
{
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("u.exp"));
    writeAll(path, "UID=" + text + "\nEND\n");
    KeyStore store(path);
    QVERIFY(store.load());
    QCOMPARE(store.count(), 1);
    uuid_t parsed;
    if (uuid_parse(text.constData(), parsed) == 0)
        QVERIFY(store.records()->at(0)->hasUid(parsed));
    else
        QVERIFY(store.records()->at(0)->uidString() != QString::fromLatin1(text));
}

void TestPIMManager::savedTextFollowsEveryChange()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.exp"));
    const QByteArray head = "FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nTOTAL=4\nEND\n";
    const QByteArray a = "TYPE=A\nDATE=1 1 2005 0 0 0\nUID=11111111-2222-3333-4444-555555555555\n"
                         "CREATED=1 1 2005 0 0 0\nUPDATED=1 1 2005 0 0 0\nEND\n";
    // not as the writer puts it: keys out of order, an unknown key, a
    // number with a leading zero
    const QByteArray b = "UID=22222222-2222-3333-4444-555555555555\nTYPE=B\nX=1\nDATE=01 1 2005\n"
                         "CREATED=1 1 2005 0 0 0\nUPDATED=1 1 2005 0 0 0\nEND\n";
    const QByteArray bWritten = "TYPE=B\nDATE=1 1 2005 0 0 0\nUID=22222222-2222-3333-4444-555555555555\n"
                                "CREATED=1 1 2005 0 0 0\nUPDATED=1 1 2005 0 0 0\nEND\n";
    const QByteArray c = "TYPE=C\nDATE=1 1 2005 0 0 0\nUID=33333333-2222-3333-4444-555555555555\n"
                         "CREATED=1 1 2005 0 0 0\nUPDATED=1 1 2005 0 0 0\nEND\n";
    QByteArray d = c;
    d.replace("TYPE=C", "TYPE=D").replace("33333333", "44444444");
    writeAll(path, head + a + b + c + d);

    KeyStore store(path);
    QVERIFY(store.load());
    store.forceSave();
    QCOMPARE(readAll(path), head + a + bWritten + c + d);

    // a field changed and stored, a property, categories, a new UID
    auto *ta = static_cast<Task *>(store.records()->at(0));
    ta->type = QStringLiteral("A2");
    ta->store(nullptr);
    store.records()->at(1)->setProperty(QStringLiteral("p"), QStringLiteral("1"));
    store.records()->at(2)->setCategories(QStringList(QStringLiteral("u")));
    store.records()->at(3)->newUid();
    const QString newUid = store.records()->at(3)->uidString();
    store.forceSave();
    const QByteArray saved = readAll(path);
    QVERIFY(saved.contains("TYPE=A2\n"));
    QVERIFY(saved.contains("PROP=p=1\nEND\nTYPE=C"));
    QVERIFY(saved.contains("CATS=u\nEND\nTYPE=D"));
    QVERIFY(saved.contains("UID=" + newUid.toLatin1()));
    QVERIFY(!saved.contains("44444444"));

    // a copy in another store, and a record handed over to it
    const QString other = dir.filePath(QStringLiteral("o.exp"));
    KeyStore second(other);
    auto *copy = new Task(*static_cast<Task *>(store.records()->at(3)));
    copy->setManager(&second);
    copy->description = QStringLiteral("copied");
    QVERIFY(copy->store(nullptr));
    KeyStore third(path);
    QVERIFY(third.load());
    PIMRecord *moved = third.records()->at(0);
    third.records()->take(0);
    static_cast<Task *>(moved)->city = QStringLiteral("Rome");
    moved->setManager(&second);
    second.appendRecord(moved);
    third.forceSave();
    second.forceSave();
    const QByteArray secondText = readAll(other);
    QVERIFY(secondText.contains("DESC=copied\n"));
    QVERIFY(secondText.contains("CITY=Rome\n"));
    QVERIFY(readAll(path).startsWith("FOLDER\nSORT=-1\nSORTORDER=1\nPERPAGE=15\nTOTAL=3\nEND\nTYPE=B\n"));
}

void TestPIMManager::badInputNeverCrashes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("g.exp"));
    QByteArray garbage;
    quint32 seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage.append(char(seed >> 16));
    }
    const QByteArray header = "FOLDER\nTOTAL=-1\nEND\nTYPE=ok\nUID=nope\nEND\n";
    writeAll(path, header + garbage);
    KeyStore store(path);
    QVERIFY(store.load());
    QVERIFY(store.count() >= 1);
    QCOMPARE(static_cast<Task *>(store.first())->type, QStringLiteral("ok"));
    // truncated at every length of a small book
    const QByteArray book = "FOLDER\nSORT=1\nTOTAL=1\nEND\nREMINDER\nDATETIME=1 2 2003 4 5 6\nSOUND=1\n"
                            "REMINDER_END\nTYPE=a\nUID=0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b\nEND\n";
    for (int n = 0; n <= book.size(); ++n) {
        writeAll(path, book.left(n));
        QVERIFY(store.load());
        QVERIFY(store.count() <= 1);
    }
    // lines of "=" only, a giant line, a NUL byte
    writeAll(path, "===\n=\nUID==\nPROP==\nCATS=|||\nDATE=a b c\n" + QByteArray(300000, 'x')
                       + QByteArray("\n\0END\n", 6));
    QVERIFY(store.load());
    QVERIFY(store.count() >= 1);
    // a folder cannot be loaded: the failure is the return value
    KeyStore folder(dir.path());
    QVERIFY(!folder.load());
    QCOMPARE(folder.count(), 0);
}

void TestPIMManager::readInPartsAsInOneGo_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("maxLine");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("blocks") << partsBook(400, -1) << 0 << 436 << false;
    QTest::newRow("total below the blocks") << partsBook(400, 150, -1, -1, 40) << 0 << 150 << true;
    QTest::newRow("total above the blocks") << partsBook(400, 1000) << 0 << 436 << true;
    QTest::newRow("one expense fewer than the total") << partsBook(400, 437) << 0 << 436 << true;
    QTest::newRow("reminder runs on") << partsBook(400, -1, 100) << 0 << 414 << false;
    QTest::newRow("reminder runs to the end") << partsBook(400, -1, 390) << 0 << 427 << true;
    QTest::newRow("line too long") << partsBook(400, -1, -1, 300) << 200 << 328 << true;
    QTest::newRow("last block cut") << partsBook(400, -1).chopped(4) << 0 << 436 << true;
    QTest::newRow("UIDs held twice") << partsBook(400, -1, -1, -1, 40) << 0 << 436 << false;
    // each part looks for a zero byte in its own bytes
    QByteArray zeros = partsBook(400, -1);
    zeros.insert(zeros.lastIndexOf("PROP=") + 5, '\0');
    zeros.insert(zeros.indexOf("PROP=") + 5, '\0');
    QTest::newRow("zero bytes in the first and the last part") << zeros << 0 << 436 << true;
    // the first expense without a UID, the last holding the one made for it (%1)
    QByteArray held = partsBook(400, -1);
    const int uid = held.indexOf("UID=");
    held.remove(uid, held.indexOf('\n', uid) + 1 - uid);
    held.replace(held.lastIndexOf("UID=") + 4, 36, "%1");
    QTest::newRow("a UID made for a block, held by a later one") << held << 0 << 436 << false;
}

void TestPIMManager::readInPartsAsInOneGo()
{
    QFETCH(QByteArray, text);
    QFETCH(int, maxLine);
    QFETCH(int, count);
    QFETCH(bool, damaged);
    const auto restore = qScopeGuard([] {
        PIMManager::setPartReadBytes(0);
        PIMTextReader::setMaxLineLength(0);
    });
    PIMTextReader::setMaxLineLength(maxLine);
    QTemporaryDir dir;
    if (text.contains("%1")) {
        const int from = text.indexOf("END\n") + 4;
        const QString path = dir.filePath(QStringLiteral("made.exp"));
        writeAll(path, "FOLDER\nEND\n" + text.mid(from, text.indexOf("END\n", from) + 4 - from));
        KeyStore made(path);
        QVERIFY(made.load());
        text.replace("%1", made.first()->uidString().toLatin1());
    }
    struct Read {
        bool complete, damaged;
        QByteArrayList records;
        QByteArray saved;
        QStringList uids, merged;
    };
    const auto readWith = [&](qint64 partBytes, const QString &name) {
        PIMManager::setPartReadBytes(partBytes);
        const QString path = dir.filePath(name);
        writeAll(path, text);
        KeyStore store(path);
        Read r;
        r.complete = store.load();
        r.damaged = store.isDamaged();
        for (PIMRecord *rec : *store.records()) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            PIMTextWriter out(&buffer);
            rec->write(out);
            out.flush();
            r.records << withoutFilledIn(buffer.data());
            r.uids << rec->uidString();
        }
        // the read before a merge gives every record the UID the load gave it
        KeyedMerge::Entries entries;
        LoadBudget budget(text.size());
        SharedRecords(&store).read(text, entries, budget);
        for (const KeyedMerge::Entry &e : qAsConst(entries))
            r.merged << QUuid::fromRfc4122(e.key).toString(QUuid::WithoutBraces);
        store.forceSave();
        r.saved = withoutFilledIn(readAll(path));
        return r;
    };
    const Read whole = readWith(LLONG_MAX, QStringLiteral("whole.exp"));
    const Read parts = readWith(64, QStringLiteral("parts.exp"));
    QCOMPARE(whole.records.size(), count);
    QCOMPARE(whole.damaged, damaged);
    QCOMPARE(parts.complete, whole.complete);
    QCOMPARE(parts.damaged, whole.damaged);
    QCOMPARE(parts.records, whole.records);
    QCOMPARE(parts.saved, whole.saved);
    // one identity per record, the same for every reader of the bytes
    QCOMPARE(parts.uids, whole.uids);
    QCOMPARE(QSet<QString>(whole.uids.begin(), whole.uids.end()).size(), count);
    if (whole.complete)
        QCOMPARE(whole.merged, whole.uids);
}

void TestPIMManager::sortOrderAndStability()
{
    QTemporaryDir dir;
    KeyStore store(dir.filePath(QStringLiteral("s.exp")));
    const QStringList keys = {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")};
    for (const QString &k : keys)
        newTask(&store, k)->store(nullptr);
    store.setSort(0);
    QCOMPARE(keysOf(store.view()), QStringList({"a", "b", "c"}));
    store.setSort(0);
    QVERIFY(!store.sortOrder());
    QCOMPARE(keysOf(store.view()), QStringList({"c", "b", "a"}));

    // many equal keys: a strict order, and equal keys keep their order
    KeyStore eq(dir.filePath(QStringLiteral("e.exp")));
    for (int i = 0; i < 200; ++i)
        newTask(&eq, QString::number(i % 2), QString::number(i).rightJustified(3, QLatin1Char('0')))->store(nullptr);
    eq.setSort(0, true);
    QStringList order = keysOf(eq.view());
    QCOMPARE(order.first(), QStringLiteral("0000"));
    QCOMPARE(order.at(99), QStringLiteral("0198"));
    QCOMPARE(order.at(100), QStringLiteral("1001"));
    for (int i = 1; i < 100; ++i)
        QVERIFY(order.at(i - 1) < order.at(i));
    eq.setSort(0, false);
    // descending is ascending read backwards, equal keys included
    QStringList reversed = keysOf(eq.view());
    std::reverse(reversed.begin(), reversed.end());
    QCOMPARE(reversed, order);

    // amounts and dates by value, with the keys as written
    KeyStore num(dir.filePath(QStringLiteral("n.exp")));
    const QList<double> amounts = {5, -3, 1000000, -10, 999999.5, 0.25, 12345678};
    for (double a : amounts)
        newTask(&num, YMRPIM::sortKey(a))->store(nullptr);
    newTask(&num, YMRPIM::sortKey(QDate()))->store(nullptr);
    num.setSort(1, true);
    QStringList want;
    for (double a : {-10.0, -3.0, 0.25, 5.0, 999999.5, 1000000.0, 12345678.0})
        want << YMRPIM::sortKey(a);
    want.prepend(QString());
    QCOMPARE(keysOf(num.view()), want);
    // a sorted insert of an equal key goes after the equal ones ascending
    newTask(&num, YMRPIM::sortKey(5.0), QStringLiteral("new"))->store(nullptr);
    QCOMPARE(keysOf(num.view()).at(5), YMRPIM::sortKey(5.0) + QStringLiteral("new"));
    num.setSort(1, false);
    newTask(&num, YMRPIM::sortKey(5.0), QStringLiteral("new2"))->store(nullptr);
    const QStringList desc = keysOf(num.view());
    const int at = desc.indexOf(YMRPIM::sortKey(5.0) + QStringLiteral("new2"));
    QVERIFY(at > 0 && desc.at(at - 1) == YMRPIM::sortKey(999999.5));

    QVERIFY(YMRPIM::compareKeys(YMRPIM::sortKey(QDate(1970, 1, 1)), YMRPIM::sortKey(QDate(2004, 3, 5))) < 0);
    QVERIFY(YMRPIM::compareKeys(YMRPIM::sortKey(QDateTime(QDate(2010, 1, 1), QTime(0, 0))),
                                YMRPIM::sortKey(QDateTime(QDate(2012, 1, 1), QTime(0, 0)))) < 0);
    QVERIFY(YMRPIM::compareKeys(QStringLiteral("9.55"), QStringLiteral("10.5")) < 0);
    QVERIFY(YMRPIM::compareKeys(QStringLiteral("-0"), QStringLiteral("0")) != 0);
    QVERIFY(YMRPIM::compareKeys(QStringLiteral("Apple"), QStringLiteral("Banana")) < 0);
    QCOMPARE(YMRPIM::compareKeys(QStringLiteral("x"), QStringLiteral("x")), 0);
}

// The view sort reads each key once into its own form; it must order as
// the key comparison does, in both directions, equal keys kept in order.
void TestPIMManager::keysMadeInPartsLeaveOutRecords()
{
    // enough keys for parts, every third record left out, long texts that
    // many records share among numbers and short texts
    const int n = 70000;
    const QString shared = QStringLiteral("a category title of some length");
    const QString other = QStringLiteral("a category title of some lengtH");
    QStringList texts;
    for (int i = 0; i < n; ++i) {
        switch (i % 4) {
        case 0: texts << (i % 8 ? shared : other); break;
        case 1: texts << QString::number((i * 7919) % 1000); break;
        case 2: texts << QStringLiteral("t%1").arg(i % 97); break;
        default: texts << QString(); break;
        }
    }
    const auto keyOf = [&](int i, QString &text) {
        if (i % 3 == 0)
            return false;
        text = texts.at(i);
        return true;
    };
    PIMSortKeys inParts, inOneGo;
    inParts.build(n, keyOf, true);
    inOneGo.build(n, keyOf, false);
    inParts.sort();
    inOneGo.sort();
    QCOMPARE(inParts.count(), n - (n + 2) / 3);
    QCOMPARE(inOneGo.count(), inParts.count());
    for (int i = 0; i < inParts.count(); ++i) {
        QCOMPARE(inParts.index(i), inOneGo.index(i));
        if (i > 0)
            QVERIFY(YMRPIM::compareKeys(texts.at(inOneGo.index(i - 1)), texts.at(inOneGo.index(i))) <= 0);
    }
}

void TestPIMManager::sortAgreesWithKeyComparison_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("rounds");
    const QStringList keys = {
        "", "00008830", "00008830", "-0000042", "8830", "08830", "8830.", "8830.0", "-0", "0", "0.00",
        "-0.00", "-3.25", "-3.5", "-3", "-03", "-.5", ".5", "0.5", "5.", "-", ".", "1.2.3", "abc",
        "Abc", "abcd", "abcde", "abcdf", "ab", "\u00e9t\u00e9", "1000000.00000", "999999.00000",
        "000000.00000", "12345678901234567", "1.000000000000000001", "1.000000000000000002", "Zoo",
        "Art", "x", "x", "9.55", "10.5", "1e5"};
    QTest::newRow("keys") << keys << 3;
    // numbers too long for the prepared form
    QTest::newRow("long numbers") << keys + QStringList{"123456789012345678901234567890",
                                                       "1.0000000000000000001"} << 3;
    // enough keys to be sorted in parts at once
    QTest::newRow("many") << keys << 1600;
}

// The view sort reads each key once into its own form; it must order as
// the key comparison does, equal keys kept in order, and descending is the
// same list backwards.
void TestPIMManager::sortAgreesWithKeyComparison()
{
    QFETCH(QStringList, keys);
    QFETCH(int, rounds);
    QTemporaryDir dir;
    KeyStore store(dir.filePath(QStringLiteral("k.exp")));
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < keys.size(); ++i)
            store.appendRecord(newTask(&store, keys.at((i * 7 + round * 11) % keys.size())));
    }
    QList<int> order;
    for (int i = 0; i < store.count(); ++i)
        order << i;
    const auto keyOf = [&](int i) { return store.records()->at(i)->property(QStringLiteral("k")); };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return YMRPIM::compareKeys(keyOf(a), keyOf(b)) < 0;
    });
    for (bool ascending : {true, false}) {
        if (!ascending)
            std::reverse(order.begin(), order.end());
        store.setSort(0, ascending);
        QCOMPARE(store.view()->count(), order.size());
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(store.view()->at(i), store.records()->at(order.at(i)));
    }
}

void TestPIMManager::viewFollowsChanges()
{
    QTemporaryDir dir;
    KeyStore store(dir.filePath(QStringLiteral("v.exp")));
    QSignalSpy added(&store, &PIMManager::newTask);
    QSignalSpy updated(&store, &PIMManager::taskUpdated);
    QSignalSpy changed(&store, &PIMManager::changed);

    // unsorted descending: last to first, new records first
    store.setSortOrder(false);
    newTask(&store, QStringLiteral("1"))->store(nullptr);
    newTask(&store, QStringLiteral("2"))->store(nullptr);
    QCOMPARE(keysOf(store.view()), QStringList({"2", "1"}));
    store.rebuildView(true);
    QCOMPARE(keysOf(store.view()), QStringList({"2", "1"}));

    // a record the filter refuses stays out of the view but is stored
    Task *hidden = newTask(&store, QStringLiteral("3"));
    hidden->setProperty(QStringLiteral("hide"), QStringLiteral("1"));
    QVERIFY(hidden->store(nullptr));
    QCOMPARE(store.count(), 3);
    QCOMPARE(store.view()->count(), 2);
    QCOMPARE(added.count(), 3);
    QCOMPARE(changed.count(), 3);
    QVERIFY(hidden->store(nullptr)); // storing again updates
    QCOMPARE(store.count(), 3);

    // an update that makes a record fail the filter takes it out of the view
    Task *one = static_cast<Task *>(store.first());
    auto *copy = new Task(*one);
    one->setProperty(QStringLiteral("hide"), QStringLiteral("1"));
    QVERIFY(one->store(copy));
    QVERIFY(!store.view()->contains(one));
    QVERIFY(updated.count() >= 1);
    QCOMPARE(updated.last().at(0).value<PIMRecord *>(), static_cast<PIMRecord *>(one));

    // sorted: a record moves only when its key changed
    store.setSort(0, true);
    one->setProperty(QStringLiteral("hide"), QString());
    one->store(nullptr);
    QCOMPARE(keysOf(store.view()), QStringList({"1", "2"}));
    Task *two = static_cast<Task *>(store.view()->at(1));
    copy = new Task(*two);
    two->setProperty(QStringLiteral("k"), QStringLiteral("0"));
    two->store(copy);
    QCOMPARE(keysOf(store.view()), QStringList({"0", "1"}));
    QVERIFY(two->updated() >= two->created());

    // a duplicate and the same record again as its own old copy
    QVERIFY(!store.addRecord(two));
    QVERIFY(two->store(two));
    QVERIFY(store.contains(two));

    // duplicating: the copy keeps the UID until newUid
    Task dup(*two);
    QCOMPARE(dup.uidString(), two->uidString());
    dup.newUid();
    QVERIFY(dup.uidString() != two->uidString());
}

void TestPIMManager::removeSignalsAndHooks()
{
    QTemporaryDir dir;
    KeyStore store(dir.filePath(QStringLiteral("r.exp")));
    for (int i = 0; i < 3; ++i)
        newTask(&store, QString::number(i))->store(nullptr);
    PIMRecord *a = store.records()->at(0);
    PIMRecord *b = store.records()->at(1);
    PIMRecord *c = store.records()->at(2);
    QString seen;
    connect(&store, &PIMManager::taskRemoved, this,
            [&seen](PIMRecord *r) { seen = r->property(QStringLiteral("k")); });
    store.updatedHooks.clear();
    QVERIFY(a->remove());
    QCOMPARE(seen, QStringLiteral("0"));
    QCOMPARE(store.updatedHooks, QList<PIMRecord *>({b}));
    store.updatedHooks.clear();
    QVERIFY(c->remove());
    QVERIFY(store.updatedHooks.isEmpty());
    QCOMPARE(store.count(), 1);
    QVERIFY(b->isFirst());
    QCOMPARE(store.removedHooks, 2);

    QSignalSpy selected(&store, &PIMManager::taskSelected);
    b->select();
    Task stranger(&store);
    stranger.select();
    QCOMPARE(selected.at(0).at(0).value<PIMRecord *>(), b);
    QCOMPARE(selected.at(1).at(0).value<PIMRecord *>(), static_cast<PIMRecord *>(nullptr));

    QSignalSpy updated(&store, &PIMManager::updated);
    QVERIFY(store.removeAll());
    QCOMPARE(store.removedHooks, 2);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(store.count(), 0);
    QVERIFY(!store.isDirty());

    PIMRecordArray array;
    QVERIFY(!array.first() && !array.last());
    Task t(nullptr);
    array.append(&t);
    array.remove(&stranger); // not held: nothing happens
    QCOMPARE(array.count(), 1);
    array.remove(&t);
    QVERIFY(array.isEmpty());
}

// Many records removed or changed in one stroke end as they would one by
// one (the records, the view filtered and sorted, the changes counted, the
// hooks; the records' and the old copies' deletions), the lists told once.
void TestPIMManager::strokeAsOneByOne_data()
{
    QTest::addColumn<QString>("change"); // remove, rekey, hide, mark
    QTest::addColumn<QList<int>>("picked"); // records' places; -1 one the store does not hold
    QTest::addColumn<int>("sort");
    QTest::addColumn<bool>("ascending");
    QTest::newRow("removed from the front") << "remove" << QList<int>{0, 1, 2, 3} << -1 << true;
    QTest::newRow("removed here and there, one twice, one not held")
        << "remove" << QList<int>{7, 2, -1, 2, 5} << 0 << true;
    QTest::newRow("all removed, hidden ones too, descending")
        << "remove" << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << 0 << false;
    QTest::newRow("keys changed, sorted") << "rekey" << QList<int>{1, 4, 8} << 0 << true;
    QTest::newRow("keys changed, descending") << "rekey" << QList<int>{0, 9, 3} << 0 << false;
    QTest::newRow("hidden and shown again, unsorted") << "hide" << QList<int>{3, 4, -1, 6} << -1 << false;
    QTest::newRow("hidden and shown again, sorted") << "hide" << QList<int>{3, 4, 6, 7} << 0 << true;
    QTest::newRow("the view left as it was") << "mark" << QList<int>{0, 2, 4, 6, 8} << 0 << true;
}

void TestPIMManager::strokeAsOneByOne()
{
    QFETCH(QString, change);
    QFETCH(QList<int>, picked);
    QFETCH(int, sort);
    QFETCH(bool, ascending);
    QTemporaryDir dir;
    int deleted[2] = {0, 0};
    KeyStore one(dir.filePath(QStringLiteral("one.exp")));
    KeyStore stroke(dir.filePath(QStringLiteral("stroke.exp")));
    KeyStore *stores[] = {&one, &stroke};
    for (int s = 0; s < 2; ++s) {
        for (int i = 0; i < 10; ++i) {
            auto *t = new CountedTask(stores[s], &deleted[s]);
            t->setProperty(QStringLiteral("k"), QString::number(i));
            if (i % 4 == 3)
                t->setProperty(QStringLiteral("hide"), QStringLiteral("1"));
            QVERIFY(t->store(nullptr));
        }
        stores[s]->setSort(sort, ascending);
        QVERIFY(stores[s]->save());
        stores[s]->updatedHooks.clear();
    }
    const auto apply = [&change](PIMRecord *r, int i) {
        if (change == QLatin1String("rekey"))
            r->setProperty(QStringLiteral("k"), QString::number(15 - i));
        else if (change == QLatin1String("hide"))
            r->setProperty(QStringLiteral("hide"), r->property(QStringLiteral("hide")) == QLatin1String("1")
                                                       ? QString() : QStringLiteral("1"));
        else
            r->setProperty(QStringLiteral("m"), QStringLiteral("1"));
    };
    CountedTask strangers[2] = {CountedTask(&one, &deleted[0]), CountedTask(&stroke, &deleted[1])};
    // the picked ones all chosen before the first goes
    QList<PIMRecord *> chosen[2];
    for (int s = 0; s < 2; ++s) {
        for (int i : qAsConst(picked))
            chosen[s] << (i < 0 ? &strangers[s] : stores[s]->records()->at(i));
    }
    QSignalSpy removedOne(&stroke, &PIMManager::taskRemoved);
    QSignalSpy updatedOne(&stroke, &PIMManager::taskUpdated);
    QSignalSpy removedMany(&stroke, &PIMManager::tasksRemoved);
    QSignalSpy updatedMany(&stroke, &PIMManager::tasksUpdated);
    QSignalSpy changed(&stroke, &PIMManager::changed);
    int done = 0;
    if (change == QLatin1String("remove")) {
        // one by one, a record goes once
        QSet<PIMRecord *> gone;
        for (PIMRecord *r : qAsConst(chosen[0])) {
            if (!gone.contains(r))
                r->remove();
            gone.insert(r);
        }
        done = stroke.removeRecords(chosen[1]);
    } else {
        std::vector<PIMManager::Update> updates;
        for (int k = 0; k < picked.size(); ++k) {
            PIMRecord *r = chosen[0].at(k);
            auto *old = new CountedTask(*static_cast<CountedTask *>(r));
            apply(r, picked.at(k));
            one.updateRecord(old, r);
            r = chosen[1].at(k);
            updates.push_back({new CountedTask(*static_cast<CountedTask *>(r)), r});
            apply(r, picked.at(k));
        }
        done = stroke.updateRecords(updates);
    }
    QCOMPARE(keysOf(stroke.records()), keysOf(one.records()));
    QCOMPARE(keysOf(stroke.view()), keysOf(one.view()));
    QCOMPARE(stroke.changeCount(), one.changeCount());
    QCOMPARE(stroke.removedHooks, one.removedHooks);
    QCOMPARE(deleted[1], deleted[0]);
    if (change != QLatin1String("remove"))
        QCOMPARE(stroke.updatedHooks.size(), one.updatedHooks.size());
    QCOMPARE(done, change == QLatin1String("remove") ? 10 - stroke.count() : int(picked.size() - picked.count(-1)));
    QCOMPARE(removedOne.count() + updatedOne.count(), 0);
    QCOMPARE(removedMany.count() + updatedMany.count(), 1);
    QCOMPARE(changed.count(), 1);
}

void TestPIMManager::storeTakesTheOldCopyBothWays()
{
    QTemporaryDir dir;
    // outlives the store, whose records count into it as they go
    int deleted = 0;
    KeyStore store(dir.filePath(QStringLiteral("own.exp")));
    // added: the store takes the record and deletes the copy handed in
    auto *record = new CountedTask(&store, &deleted);
    QVERIFY(record->store(new CountedTask(*record)));
    QCOMPARE(deleted, 1);
    QVERIFY(store.contains(record));
    // updated: the same
    QVERIFY(record->store(new CountedTask(*record)));
    QCOMPARE(deleted, 2);
    QVERIFY(record->store(nullptr));
    QVERIFY(record->store(record)); // itself as the old copy: kept
    QCOMPARE(deleted, 2);
    // a record of no store: refused, the copy still goes
    CountedTask loose(nullptr, &deleted);
    QVERIFY(!loose.store(new CountedTask(loose)));
    QCOMPARE(deleted, 3);
    // an update of a record the store does not hold is refused
    CountedTask foreign(&store, &deleted);
    QVERIFY(!store.updateRecord(new CountedTask(foreign), &foreign));
    QCOMPARE(deleted, 4);
    QVERIFY(!store.view()->contains(&foreign));
    QCOMPARE(store.count(), 1);
}

void TestPIMManager::subclassHeaderSavedAtDestruction()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.exp"));
    {
        HeaderStore store(path);
        store.setDesc(QStringLiteral("first"));
        newTask(&store, QStringLiteral("a"))->store(nullptr);
    }
    QVERIFY(readAll(path).contains("TOTAL=1\nDESC=first\nEND\n"));
    {
        HeaderStore store(path);
        QVERIFY(store.load());
        QCOMPARE(store.desc, QStringLiteral("first"));
        // base values changed after the subclass's are still current
        newTask(&store, QStringLiteral("b"))->store(nullptr);
        store.setPerPage(4);
    }
    QVERIFY(readAll(path).contains("PERPAGE=4\nTOTAL=2\nDESC=first\nEND\n"));
}

void TestPIMManager::headerValuesAndDirtyFlag()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.exp"));
    KeyStore store(path);
    store.setLastCurrent(QString());
    QVERIFY(!store.isDirty());
    QVERIFY(store.property(QStringLiteral("none")).isNull());
    QVERIFY(!store.hasProperty(QStringLiteral("none")));
    QVERIFY(!store.isDirty());
    store.setLastCurrent(QStringLiteral("u"));
    QVERIFY(store.isDirty());
    QCOMPARE(store.changeCount(), 0);
    QVERIFY(store.save());
    store.setLastCurrent(QStringLiteral("u"));
    QVERIFY(!store.isDirty());
    store.setProperty(QStringLiteral("p"), QString());
    QVERIFY(store.save());
    store.setProperty(QStringLiteral("p"), QString());
    QVERIFY(store.isDirty()); // the same value still marks dirty
    QVERIFY(store.save());
    store.setSyncDateTime(QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9)));
    QVERIFY(store.save());
    QVERIFY(readAll(path).startsWith("FOLDER\nSYNCDATETIME=5 3 2004 14 7 9\nSORT=-1\n"));
    // sort order values other than 0 read as ascending
    writeAll(path, "FOLDER\nSORTORDER=5\nSORT=\nEND\n");
    QVERIFY(store.load());
    QVERIFY(store.sortOrder());
    QCOMPARE(store.sortColumn(), 0);
    store.setSortable(false);
    QCOMPARE(store.sortColumn(), -1);
    store.setSort(3);
    QCOMPARE(store.sortColumn(), -1);
}

void TestPIMManager::perPageNeverZero()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.exp"));
    writeAll(path, "FOLDER\nPERPAGE=0\nEND\n");
    KeyStore store(path);
    QVERIFY(store.load());
    QCOMPARE(store.perPage(), 15);
    store.setPerPage(-4);
    QVERIFY(store.perPage() > 0);
    store.setPerPage(7);
    QCOMPARE(store.perPage(), 7);
}

void TestPIMManager::dataStreamForm()
{
    class StreamStore : public PIMManager
    {
    public:
        StreamStore(const QString &path, bool headerOnly)
            : PIMManager(QStringLiteral("test"), path, false, headerOnly)
        {
            setFormat(1);
        }
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    QString uid;
    {
        StreamStore store(path, false);
        auto *r = new PIMRecord(&store);
        r->setProperty(QStringLiteral("a"), QStringLiteral("x=y"));
        r->setCategories({QStringLiteral("c1")});
        r->store(nullptr);
        uid = r->uidString();
        store.setPerPage(9);
        store.setProperty(QStringLiteral("p"), QStringLiteral("q"));
    }
    QVERIFY(!readAll(path).startsWith("FOLDER"));
    {
        StreamStore header(path, true);
        QVERIFY(header.load());
        QCOMPARE(header.count(), 0);
        QCOMPARE(header.total(), 1);
        header.setProperty(QStringLiteral("p"), QStringLiteral("changed"));
    }
    StreamStore store(path, false);
    QVERIFY(store.load());
    QCOMPARE(store.perPage(), 9);
    QCOMPARE(store.property(QStringLiteral("p")), QStringLiteral("changed"));
    QCOMPARE(store.count(), 1);
    QCOMPARE(store.first()->uidString(), uid);
    QCOMPARE(store.first()->property(QStringLiteral("a")), QStringLiteral("x=y"));
    QCOMPARE(store.first()->categories(), QStringList(QStringLiteral("c1")));
}

// Lines and files near their (lowered) limits: a line up to the limit reads,
// one byte more makes the file unreadable, as does a file over the size
// limit or anything that is no regular file; nothing blocks or aborts.
// "@" stands for the run of "x" that makes its line delta bytes longer than
// the limit.
void TestPIMManager::boundedReads_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("full");
    QTest::addColumn<bool>("headerOnly");

    const QByteArray header = "FOLDER\nPROP=n=@\nTOTAL=1\nEND\nEND\n";
    const QByteArray record = "FOLDER\nTOTAL=1\nEND\nDESCRIPTION=@\nEND\n";
    QTest::newRow("header line at the limit") << header << 0 << true << true;
    QTest::newRow("header line one over") << header << 1 << false << false;
    QTest::newRow("record line at the limit") << record << 0 << true << true;
    QTest::newRow("record line one over") << record << 1 << false << true;
    QTest::newRow("CR LF line at the limit") << QByteArray("FOLDER\nTOTAL=1\nEND\nTYPE=@\r\nEND\n") << 0 << true << true;
    QTest::newRow("last line, no line feed, one over") << QByteArray("FOLDER\nTOTAL=0\nEND\nTYPE=@") << 1 << false << true;
    QTest::newRow("a line of the whole size limit") << QByteArray("FOLDER\n@") << 4096 - 64 - 7 << false << false;
    QTest::newRow("file one byte over the size limit") << QByteArray("<big>") << 0 << false << false;
    QTest::newRow("FIFO") << QByteArray("<fifo>") << 0 << false << false;
    QTest::newRow("folder") << QByteArray("<folder>") << 0 << false << false;
}

void TestPIMManager::boundedReads()
{
    QFETCH(QByteArray, text);
    QFETCH(int, delta);
    QFETCH(bool, full);
    QFETCH(bool, headerOnly);
    const int limit = 64;
    PIMTextReader::setMaxLineLength(limit);
    TaskManager::setMaxBookSize(4096);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.exp"));
    if (text == "<fifo>") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (text == "<folder>") {
        QVERIFY(QDir().mkpath(path));
    } else if (text == "<big>") {
        const QByteArray head = "FOLDER\nTOTAL=0\nEND\n";
        writeAll(path, head + QByteArray(4097 - head.size(), '\n'));
    } else {
        const int at = text.indexOf('@');
        const int lineStart = text.lastIndexOf('\n', at) + 1;
        text.replace(at, 1, QByteArray(limit + delta - (at - lineStart), 'x'));
        writeAll(path, text);
    }
    const bool regular = QFileInfo(path).isFile();
    const QByteArray before = regular ? readAll(path) : QByteArray();
    {
        TaskManager book(path, false, false);
        QCOMPARE(book.load(), full);
        TaskManager header(path, false, true);
        QCOMPARE(header.load(), headerOnly);
        QCOMPARE(TaskManager::readsWhole(path), full);
    }
    // nothing read is nothing written
    if (regular)
        QCOMPARE(readAll(path), before);
    QVERIFY(!QFile::exists(path + ".damaged"));
    PIMTextReader::setMaxLineLength(0);
    TaskManager::setMaxBookSize(0);
}

// A file costs at most four times its size in memory, and a fixed allowance
// more: one that would cost more is refused whole before memory runs out,
// and saying why; so is one of more entries than its kind holds, or a record
// of more categories than one may name. Nothing of it stays, and nothing is
// saved over it.
void TestPIMManager::memoryBoundedReads_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("allowanceKiB");   // 0: the program's
    QTest::addColumn<bool>("inParts");
    QTest::addColumn<int>("count");          // records read, -1: refused
    QTest::addColumn<QString>("why");

    const QByteArray bare = "FOLDER\nEND\n";
    QString uids;
    for (int i = 0; i < PIMRecord::MaxCategories + 1; ++i)
        uids += QString::asprintf("%08x-0000-4000-8000-000000000000|", i);
    const QByteArray manyCats = "CATS=" + uids.toLatin1() + "\n";
    const QByteArray lastCatCut = "CATS=" + uids.left(uids.size() - 37).toLatin1() + "\n";

    QTest::newRow("4 KB book of 1,000 empty records") << "book" << repeated(bare, "END\n", 1000) << 0 << false
                                                      << 1000 << QString();
    QTest::newRow("real expenses") << "book" << realExpenses(3000) << 1024 << false << 3000 << QString();
    QTest::newRow("real expenses in parts") << "book" << realExpenses(3000) << 1024 << true << 3000 << QString();
    const QString memory = "memory";
    QTest::newRow("empty records") << "book" << repeated(bare, "END\n", 100000) << 1024 << false << -1 << memory;
    QTest::newRow("empty records in parts") << "book" << repeated(bare, "END\n", 100000) << 1024 << true << -1
                                            << memory;
    // the records past the header's count cost what they cost however the
    // file is read
    const QByteArray countsOne = "FOLDER\nTOTAL=1\nEND\n";
    QTest::newRow("empty records past the count") << "book" << repeated(countsOne, "END\n", 100000) << 1024 << false
                                                  << -1 << memory;
    QTest::newRow("empty records past the count in parts")
        << "book" << repeated(countsOne, "END\n", 100000) << 1024 << true << -1 << memory;
    QTest::newRow("one record of many properties")
        << "book" << repeated(bare, "PROP=n=\nPROP=m=\nPROP=k=\n", 20000, "END\n") << 1024 << false << 1
        << QString();
    QString props;
    for (int i = 0; i < 60000; ++i)
        props += QStringLiteral("PROP=%1=\n").arg(i);
    QTest::newRow("one record of many names") << "book" << bare + props.toLatin1() + "END\n" << 1024 << false << -1
                                              << memory;
    QTest::newRow("filters of many conditions")
        << "book" << repeated("FOLDER\n", "FILTERS=1 1 f 3000 " + repeated("", "0 0 0 ", 3000) + "\n", 40, "END\n")
        << 1024 << false << -1 << memory;
    QTest::newRow("1,000 categories") << "book" << bare + lastCatCut + "END\n" << 0 << false << 1 << QString();
    QTest::newRow("1,001 categories") << "book" << bare + manyCats + "END\n" << 0 << false << -1
                                      << "A record in it names more than 1,000 categories, the most one record may name.";
    QTest::newRow("category file, a line of many categories")
        << "categories" << bare + "T=a\n" + manyCats + "END\n" << 0 << false << -1
        << "A record in it names more than 1,000 categories, the most one record may name.";
    QTest::newRow("device index of 10,000 books") << "index" << repeated(bare, "END\n", 10000) << 0 << false
                                                  << 10000 << QString();
    QTest::newRow("device index of 10,001 books") << "index" << repeated(bare, "END\n", 10001) << 0 << false << -1
                                                  << "It holds more than 10,000 records, the most one file may hold.";
    QTest::newRow("book index of many paths") << "paths" << repeated("FOLDER\n", "I=/b\n", 50000, "END\n") << 1024
                                              << false << -1 << memory;
}

void TestPIMManager::memoryBoundedReads()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, text);
    QFETCH(int, allowanceKiB);
    QFETCH(bool, inParts);
    QFETCH(int, count);
    QFETCH(QString, why);
    LoadBudget::setAllowance(qint64(allowanceKiB) * 1024);
    PIMManager::setPartReadBytes(inParts ? 16 * 1024 : 0);
    const auto restore = qScopeGuard([] {
        LoadBudget::setAllowance(0);
        PIMManager::setPartReadBytes(0);
    });
    QTemporaryDir dir;
    std::unique_ptr<PIMManager> store;
    if (kind == "categories") {
        store.reset(new CategoryManager);
    } else if (kind == "index" || kind == "paths") {
        QFile::remove(Global::applicationFileName("ymrOutlays", "ymrOutlaysIDX_EXT"));
        QFile::remove(Global::applicationFileName("ymrOutlays", "ymrOutlaysIDX"));
        store.reset(new DBManager(kind == "index"));
    } else {
        store.reset(new TaskManager(dir.filePath("b.exp"), false, false));
    }
    const QString path = store->fileName();
    writeAll(path, text);
    const auto removeFile = qScopeGuard([path] { QFile::remove(path); });

    QCOMPARE(store->load(), count >= 0);
    if (count < 0 && store->isShared()) {
        // no file of its kind: its owner sets it aside whole, and the
        // store starts without it
        QCOMPARE(readAll(BoundedFile::asideName(path)), text);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(store->count(), 0);
        QVERIFY(store->save());
        QFile::remove(BoundedFile::asideName(path));
        return;
    }
    // four times the file, and the allowance, in whole MB
    if (why == "memory")
        why = QString("Its records would take more than %1 MB of memory, four times the size of the file and 1 MB.")
                  .arg((4 * text.size() + (1 << 20) + (1 << 20) - 1) >> 20);
    QCOMPARE(store->loadFailure(), why);
    QVERIFY(!store->loadStopped());
    QCOMPARE(store->count(), qMax(count, 0));
    if (count < 0) {
        // nothing of it stays, nothing of it is written over it
        QCOMPARE(store->view()->count(), 0);
        store->setProperty("x", "y");
        QVERIFY(!store->save());
        QCOMPARE(readAll(path), text);
        QVERIFY(!QFile::exists(path + ".damaged"));
        // a shared store's file is named unsaved, once
        QCOMPARE(UnsavedFiles::instance()->lines().size(), store->isShared() ? 1 : 0);
        store.reset();
        UnsavedFiles::instance()->remove(path);
    }
}

// Every reader of a kind of file charges it alike, so that they all take
// the same files: the store's load, the owner's read at the start and
// before each merge (which sets aside what it does not take), and the PC
// link's check of a peer's file. Just below the size a load refuses, all
// take it; at that size none does. A record limit stops every read there.
void TestPIMManager::readersOfAKindTakeTheSameFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("allowanceKiB");
    QTest::addColumn<int>("partBytes");
    QTest::newRow("categories, empty") << "categories" << QByteArray() << QByteArray("END\n") << 64 << 0;
    QTest::newRow("categories, titled and sorted")
        << "categories" << QByteArray("SORT=0\n") << QByteArray("T=a title of twenty.\nEND\n") << 64 << 0;
    QTest::newRow("categories, the program's own allowance")
        << "categories" << QByteArray() << QByteArray("END\n") << 0 << 0;
    QTest::newRow("templates, empty") << "templates" << QByteArray() << QByteArray("END\n") << 64 << 0;
    // "@" stands for one of 40 numbers
    QTest::newRow("templates sorted by types they share, in parts")
        << "templates" << QByteArray("SORT=0\n") << QByteArray("TYPE=Transportation and travel, part @\nEND\n")
        << 64 << 4096;
    QTest::newRow("templates with a filter") << "templates" << QByteArray("FILTERS=1 1 f 30 " + repeated("", "0 0 0 ", 30) + "\n")
                                             << QByteArray("END\n") << 64 << 0;
    QTest::newRow("device's book list, by memory") << "index" << QByteArray() << QByteArray("T=Trip\nEND\n") << 64 << 0;
    QTest::newRow("device's book list, by count") << "index" << QByteArray() << QByteArray("END\n") << 0 << 0;
    QTest::newRow("book index") << "paths" << QByteArray() << QByteArray("I=/books/Trip.exp\n") << 64 << 0;
}

void TestPIMManager::readersOfAKindTakeTheSameFiles()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, record);
    QFETCH(int, allowanceKiB);
    QFETCH(int, partBytes);
    LoadBudget::setAllowance(qint64(allowanceKiB) * 1024);
    PIMManager::setPartReadBytes(partBytes);
    const auto restore = qScopeGuard([] {
        LoadBudget::setAllowance(0);
        PIMManager::setPartReadBytes(0);
    });
    const bool paths = kind == "paths";
    const auto fileOf = [&](int n) {
        QByteArray text = paths ? "FOLDER\n" + header : "FOLDER\n" + header + "END\n";
        for (int i = 0; i < n; ++i)
            text += QByteArray(record).replace('@', QByteArray::number(i % 40));
        return paths ? text + "END\n" : text;
    };
    // the load alone; the owner's read of a shared file as its store
    // starts (and before a merge), which sets aside what it does not take;
    // the link's check
    const auto load = [&](int n, bool shared) {
        std::unique_ptr<PIMManager> store(kind == "categories"  ? new CategoryManager
                                          : kind == "templates" ? new TaskManager("readers", true, false)
                                                                : static_cast<PIMManager *>(new DBManager(!paths)));
        store->setShared(shared);
        writeAll(store->fileName(), fileOf(n));
        const bool loaded = store->load();
        return shared ? !QFile::remove(BoundedFile::asideName(store->fileName())) : loaded;
    };
    const auto link = [&](int n) {
        KeyedMerge::Entries entries;
        return SharedFile::readsAs(*(kind == "categories" ? CategoryManager::fileCheck() : DBManager::deviceListCheck()),
                                   fileOf(n), entries);
    };
    // the first size the load refuses
    int taken = 0, refused = 1 << 18;
    while (refused - taken > 1) {
        const int n = (taken + refused) / 2;
        (load(n, false) ? taken : refused) = n;
    }
    QVERIFY(taken > 0 && refused < 1 << 18);
    for (const int n : {taken, refused}) {
        if (kind != "index")
            QCOMPARE(load(n, true), n == taken);
        if (kind == "categories" || kind == "index")
            QCOMPARE(link(n), n == taken);
    }
    if (kind == "index" && allowanceKiB == 0) {
        QCOMPARE(refused, DBManager::MaxBooks + 1);
        // a list of far more books is not read to its end
        const QByteArray many = fileOf(40 * refused);
        LoadBudget budget(many.size(), DBManager::deviceListCheck()->maxEntries());
        KeyedMerge::Entries entries;
        QVERIFY(!DBManager::deviceListCheck()->read(many, entries, budget));
        QVERIFY(budget.count() < 2 * refused);
    }
}

// A signal that ends the program cuts a load short: the store holds
// nothing, says so, and never saves; the file is not set aside. Once the
// event loop has taken the signal, the file loads as ever.
void TestPIMManager::signalCutsALoadShort()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("b.exp");
    const QByteArray text = realExpenses(20000);
    writeAll(path, text);
    for (bool inParts : {false, true}) {
        // a handler takes one signal
        UnixSignalNotifier notifier({SIGUSR1});
        QVERIFY(notifier.isValid());
        QSignalSpy received(&notifier, &UnixSignalNotifier::received);
        PIMManager::setPartReadBytes(inParts ? 64 * 1024 : 0);
        ::raise(SIGUSR1);
        TaskManager book(path, false, false);
        QVERIFY(!book.loadOrSetAside());
        QVERIFY(book.loadStopped());
        QCOMPARE(book.loadFailure(), QString("The program was asked to end while the file was read."));
        QCOMPARE(book.count(), 0);
        book.setProperty("x", "y");
        QVERIFY(!book.save());
        book.forgetChanges();
        QCOMPARE(readAll(path), text);
        QVERIFY(!QFile::exists(path + ".damaged"));
        QTRY_COMPARE(received.count(), 1);
        QVERIFY(book.load());
        QCOMPARE(book.count(), 20000);
    }
    PIMManager::setPartReadBytes(0);
}

// Numbers of a book's header out of range read as their defaults: nothing
// later adds to or divides by them.
void TestPIMManager::headerValuesInRange_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("sort");
    QTest::addColumn<int>("perPage");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("filter");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("largest int sort") << QByteArray("SORT=2147483647") << -1 << 15 << -1 << -1 << false;
    QTest::newRow("sort past the columns") << QByteArray("SORT=11") << -1 << 15 << -1 << -1 << false;
    QTest::newRow("last column") << QByteArray("SORT=10") << 10 << 15 << -1 << -1 << false;
    QTest::newRow("sort below unsorted") << QByteArray("SORT=-2147483648") << -1 << 15 << -1 << -1 << false;
    QTest::newRow("sort beyond any int") << QByteArray("SORT=99999999999999999999999") << -1 << 15 << -1 << -1
                                         << false;
    QTest::newRow("sort no number") << QByteArray("SORT=x") << 0 << 15 << -1 << -1 << false;
    QTest::newRow("no records per page") << QByteArray("PERPAGE=0") << -1 << 15 << -1 << -1 << false;
    QTest::newRow("largest int per page") << QByteArray("PERPAGE=2147483647") << -1 << 15 << -1 << -1 << false;
    QTest::newRow("many per page") << QByteArray("PERPAGE=500") << -1 << 500 << -1 << -1 << false;
    // a count no save writes: every record is read, and the book is damaged
    QTest::newRow("negative total") << QByteArray("TOTAL=-7") << -1 << 15 << -1 << -1 << true;
    QTest::newRow("total beyond int") << QByteArray("TOTAL=2147483648") << -1 << 15 << -1 << -1 << true;
    QTest::newRow("no total") << QByteArray("TOTAL=-1") << -1 << 15 << -1 << -1 << false;
    QTest::newRow("negative filter") << QByteArray("CFILTER=-9") << -1 << 15 << -1 << -1 << false;
    QTest::newRow("filter") << QByteArray("CFILTER=2") << -1 << 15 << -1 << 2 << false;
}

void TestPIMManager::headerValuesInRange()
{
    QFETCH(QByteArray, line);
    QFETCH(int, sort);
    QFETCH(int, perPage);
    QFETCH(int, total);
    QFETCH(int, filter);
    QFETCH(bool, damaged);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.exp"));
    writeAll(path, "FOLDER\n" + line + "\nEND\nTYPE=a\nEND\nTYPE=b\nEND\n");
    TaskManager book(path, false, false);
    QVERIFY(book.load());
    QCOMPARE(book.sortColumn(), sort);
    QCOMPARE(book.perPage(), perPage);
    QCOMPARE(book.total(), total);
    QCOMPARE(book.currentFilter(), filter);
    QCOMPARE(book.count(), 2);
    QCOMPARE(book.isDamaged(), damaged);
}

YMR_TEST_MAIN(TestPIMManager)
#include "tst_pimmanager.moc"
