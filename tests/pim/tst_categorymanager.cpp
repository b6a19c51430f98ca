#include "ymrtest.h"

#include "filebytes.h"
#include "lockholder.h"

#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/pimmanager.h"
#include "pim/task.h"
#include "pim/ymrpim.h"
#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"
#include "qpe/loadbudget.h"
#include "qpe/unsavedfiles.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"

#include <QFile>
#include <QScopeGuard>

namespace {

QString categoryFile()
{
    return Global::applicationFileName(QStringLiteral("ymrOutlays"), QStringLiteral("ymrCategory"));
}

const QByteArray HandWritten =
    "FOLDER\n"
    "SORT=0\n"
    "SORTORDER=1\n"
    "PERPAGE=15\n"
    "TOTAL=3\n"
    "END\n"
    "T=Unfiled\n"
    "CT=#000000\n"
    "CB=#ffffff\n"
    "UID=11111111-2222-3333-4444-555555555555\n"
    "CREATED=1 1 2005 10 0 0\n"
    "UPDATED=1 1 2005 10 0 0\n"
    "END\n"
    "T=\n"
    "CB=#a0b0c0\n"
    "UID=22222222-2222-3333-4444-555555555555\n"
    "CREATED=2 1 2005 10 0 0\n"
    "UPDATED=2 1 2005 10 0 0\n"
    "END\n"
    "T=Business|Travel\n"
    "CT=#102030\n"
    "CB=#ffeedd\n"
    "UID=33333333-2222-3333-4444-555555555555\n"
    "CREATED=3 1 2005 10 0 0\n"
    "UPDATED=3 1 2005 10 0 0\n"
    "PROP=note=x=y\n"
    "END\n";

class Book : public PIMManager
{
public:
    explicit Book(CategoryManager *cats) : PIMManager(QStringLiteral("expense"), QStringLiteral("t.exp"))
    {
        setCategoryManager(cats);
    }

protected:
    PIMRecord *createRecord() override { return new Task(this); }
};

} // namespace


class TestCategoryManager : public QObject
{
    Q_OBJECT
private slots:
    void installedDefaults_data();
    void installedDefaults();
    void failedInstallIsNotTakenAsInstalled();
    void existingFileIsNeverReplaced();
    void roundTripByteForByte();
    void newCategoryRoundTrip();
    void unreadableColoursSettle();
    void sortedByTitle();
    void lookupsOfARecord();
    void selfMergeKeepsTheFile_data();
    void selfMergeKeepsTheFile();
    void copiesReadAFileAlike_data();
    void copiesReadAFileAlike();
    void damagedFileWhileTheFolderIsHeld_data();
    void damagedFileWhileTheFolderIsHeld();
    void recordsWithoutUidKeepOneIdentity_data();
    void recordsWithoutUidKeepOneIdentity();
    void titlesKeptWhole_data();
    void titlesKeptWhole();

private:
    // The category file gone, and every copy of it kept.
    static void clearCategoryFiles();
    static QStringList titlesOf(CategoryManager &cats);
    static QStringList uidsOf(CategoryManager &cats);
};

void TestCategoryManager::clearCategoryFiles()
{
    QFile::remove(categoryFile());
    for (int n = 1; QFile::exists(BoundedFile::asideName(categoryFile(), n)); ++n)
        QFile::remove(BoundedFile::asideName(categoryFile(), n));
}

QStringList TestCategoryManager::titlesOf(CategoryManager &cats)
{
    QStringList list;
    for (PIMRecord *r : *cats.records())
        list << static_cast<CategoryRecord *>(r)->title;
    return list;
}

QStringList TestCategoryManager::uidsOf(CategoryManager &cats)
{
    QStringList list;
    for (PIMRecord *r : *cats.records())
        list << r->uidString();
    return list;
}

void TestCategoryManager::installedDefaults_data()
{
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("first");
    QTest::newRow("en") << QByteArray("en") << QStringLiteral("Unfiled");
    QTest::newRow("JA") << QByteArray("JA") << QString::fromUtf8("\xe6\x9c\xaa\xe5\x88\x86\xe9\xa1\x9e");
    QTest::newRow("unset") << QByteArray() << QString();
}

void TestCategoryManager::installedDefaults()
{
    QFETCH(QByteArray, lang);
    QFETCH(QString, first);
    QFile::remove(categoryFile());
    const QByteArray saved = qgetenv("LANG");
    if (lang.isEmpty())
        qunsetenv("LANG");
    else
        qputenv("LANG", lang);
    {
        CategoryManager cats;
        qputenv("LANG", saved);
        if (first.isEmpty()) {
            QVERIFY(!QFile::exists(categoryFile()));
            QVERIFY(!cats.load());
            QCOMPARE(cats.count(), 0);
            return;
        }
        const QString source = QPEApplication::qpeDir() + QStringLiteral("/etc/ymrOutlays/")
                               + QString::fromLatin1(lang.toLower()) + QStringLiteral("_ymrCategory");
        QCOMPARE(readAll(categoryFile()), readAll(source));
        QVERIFY(cats.load());
        QVERIFY(cats.count() >= 2);
        auto *c = static_cast<CategoryRecord *>(cats.first());
        QCOMPARE(c->title, first);
        QVERIFY(c->textColor.isValid() && c->backgroundColor.isValid());
        // the installed file is itself written as the store writes it
        cats.forceSave();
        QCOMPARE(readAll(categoryFile()), readAll(source));
    }
    QFile::remove(categoryFile());
}

// Installed categories that could not be copied (a full disk) are not
// taken as installed: the store's first save brings them in beside what
// the user added.
void TestCategoryManager::failedInstallIsNotTakenAsInstalled()
{
    QFile::remove(categoryFile());
    qputenv("LANG", "en");
    FileReplacer::setSpaceLeft(0);
    auto space = qScopeGuard([] { FileReplacer::setSpaceLeft(-1); });
    CategoryManager cats;
    QVERIFY(!cats.loadOrDefault());
    QVERIFY(!QFile::exists(categoryFile()));
    FileReplacer::setSpaceLeft(-1);
    auto *travel = new CategoryRecord(&cats);
    travel->title = QStringLiteral("Travel");
    travel->store(nullptr);
    QVERIFY(cats.save());
    QVERIFY(cats.findByTitle(QStringLiteral("Unfiled")));
    CategoryManager again;
    QVERIFY(again.load());
    QVERIFY(again.findByTitle(QStringLiteral("Unfiled")) && again.findByTitle(QStringLiteral("Travel")));
    QFile::remove(categoryFile());
}

void TestCategoryManager::existingFileIsNeverReplaced()
{
    // no categories is still a file of the store (an empty file is a torn
    // write, set aside)
    writeAll(categoryFile(), QByteArray("FOLDER\nEND\n"));
    qputenv("LANG", "en");
    {
        CategoryManager cats;
        QVERIFY(cats.load());
        QCOMPARE(cats.count(), 0);
    }
    QCOMPARE(readAll(categoryFile()), QByteArray("FOLDER\nEND\n"));
    QFile::remove(categoryFile());
}

void TestCategoryManager::roundTripByteForByte()
{
    writeAll(categoryFile(), HandWritten);
    {
        CategoryManager cats;
        QVERIFY(cats.load());
        QCOMPARE(cats.count(), 3);
        auto *empty = static_cast<CategoryRecord *>(cats.records()->at(1));
        QVERIFY(empty->title.isEmpty());
        QCOMPARE(empty->backgroundColor, QColor(0xa0, 0xb0, 0xc0));
        auto *two = static_cast<CategoryRecord *>(cats.records()->at(2));
        QCOMPARE(two->title, QStringLiteral("Business\nTravel"));
        QCOMPARE(two->property(QStringLiteral("note")), QStringLiteral("x=y"));
        cats.forceSave();
    }
    // the one line that changes: the missing CT takes the palette's colour
    QByteArray expected = HandWritten;
    const QColor text = QGuiApplication::palette().color(QPalette::Active, QPalette::Text);
    expected.replace("T=\nCB=", "T=\nCT=" + text.name().toLatin1() + "\nCB=");
    QCOMPARE(readAll(categoryFile()), expected);
    QFile::remove(categoryFile());
}

void TestCategoryManager::newCategoryRoundTrip()
{
    QFile::remove(categoryFile());
    qputenv("LANG", "none");
    QString uid;
    {
        CategoryManager cats;
        QVERIFY(!cats.load());
        auto *c = new CategoryRecord(&cats);
        c->title = QStringLiteral("Trip");
        c->textColor = QColor(QStringLiteral("#ABC"));
        c->backgroundColor = QColor();
        c->on = true;
        QVERIFY(c->store(nullptr));
        CategoryRecord copy(*c);
        QVERIFY(copy.on);
        QCOMPARE(copy.uidString(), c->uidString());
        uid = c->uidString();
        auto *twin = new CategoryRecord(&cats);
        twin->title = QStringLiteral("Trip");
        twin->store(nullptr);
        QCOMPARE(cats.findByTitle(QStringLiteral("Trip")), c);
        QVERIFY(!cats.findByTitle(QStringLiteral("trip")));
    }
    const QByteArray bytes = readAll(categoryFile());
    QVERIFY(bytes.contains("T=Trip\nCT=#aabbcc\nUID=" + uid.toLatin1()));
    CategoryManager cats;
    QVERIFY(cats.load());
    auto *c = static_cast<CategoryRecord *>(cats.findRecord(uid));
    QVERIFY(c);
    QCOMPARE(c->textColor, QColor(0xaa, 0xbb, 0xcc));
    QVERIFY(!c->on);
    QCOMPARE(c->backgroundColor, QGuiApplication::palette().color(QPalette::Active, QPalette::Base));
    QCOMPARE(CategoryManager::unfiledName(false), QStringLiteral("Unfiled"));

    // A category more than the file's reader takes is not written: the
    // least allowance the file with one more takes, less one.
    const auto addMore = [](CategoryManager &store) {
        auto *more = new CategoryRecord(&store);
        more->title = QStringLiteral("More");
        return more->store(nullptr);
    };
    QVERIFY(addMore(cats));
    QVERIFY(cats.save());
    const QByteArray withMore = readAll(categoryFile());
    const auto allowance = qScopeGuard([] { LoadBudget::setAllowance(0); });
    const auto reads = [](const QByteArray &file, qint64 a) {
        LoadBudget::setAllowance(a);
        LoadBudget budget(file.size());
        budget.charge(file.size());
        return CategoryManager::readsWhole(file, budget);
    };
    qint64 low = 1, high = LoadBudget::DefaultAllowance;
    while (low < high) {
        const qint64 mid = (low + high) / 2;
        if (reads(withMore, mid))
            high = mid;
        else
            low = mid + 1;
    }
    QVERIFY(reads(bytes, high - 1));
    writeAll(categoryFile(), bytes);
    CategoryManager edge;
    QVERIFY(edge.load());
    QVERIFY(addMore(edge));
    QVERIFY(!edge.save());
    QCOMPARE(readAll(categoryFile()), bytes);
    UnsavedFiles::instance()->remove(categoryFile());
    edge.forgetChanges();
}

void TestCategoryManager::unreadableColoursSettle()
{
    writeAll(categoryFile(), "FOLDER\nTOTAL=1\nEND\nT=x\nCT=\nCB=no colour\nEND\n");
    QByteArray first;
    for (int i = 0; i < 2; ++i) {
        {
            CategoryManager cats;
            QVERIFY(cats.load());
            auto *c = static_cast<CategoryRecord *>(cats.first());
            QCOMPARE(c->textColor, QGuiApplication::palette().color(QPalette::Active, QPalette::Text));
            QCOMPARE(c->backgroundColor, QGuiApplication::palette().color(QPalette::Active, QPalette::Base));
            cats.forceSave();
        }
        if (i == 0)
            first = readAll(categoryFile());
    }
    QCOMPARE(readAll(categoryFile()), first);
    QFile::remove(categoryFile());
}

void TestCategoryManager::sortedByTitle()
{
    QFile::remove(categoryFile());
    qputenv("LANG", "none");
    CategoryManager cats;
    for (const char *t : {"Travel", "Business", "Personal"}) {
        auto *c = new CategoryRecord(&cats);
        c->title = QString::fromLatin1(t);
        c->store(nullptr);
    }
    const auto titles = [&cats] {
        QStringList l;
        for (PIMRecord *r : *cats.view())
            l << static_cast<CategoryRecord *>(r)->title;
        return l;
    };
    QCOMPARE(titles(), QStringList({"Travel", "Business", "Personal"}));
    cats.setSort(5); // any column sorts by title
    QCOMPARE(titles(), QStringList({"Business", "Personal", "Travel"}));
    auto *travel = static_cast<CategoryRecord *>(cats.view()->at(2));
    auto *copy = new CategoryRecord(*travel);
    travel->backgroundColor = Qt::red;
    travel->store(copy);
    QCOMPARE(titles(), QStringList({"Business", "Personal", "Travel"}));
    copy = new CategoryRecord(*travel);
    travel->title = QStringLiteral("Auto");
    travel->store(copy);
    QCOMPARE(titles(), QStringList({"Auto", "Business", "Personal"}));
    cats.setSort(5);
    QCOMPARE(titles(), QStringList({"Personal", "Business", "Auto"}));
}

void TestCategoryManager::lookupsOfARecord()
{
    writeAll(categoryFile(), HandWritten);
    CategoryManager cats;
    QVERIFY(cats.load());
    Book book(&cats);
    auto *t = new Task(&book);
    QVERIFY(t->store(nullptr));
    // no category: the store's first record stands for it
    QCOMPARE(t->categoryTitle(true), QStringLiteral("Unfiled"));
    QCOMPARE(t->firstCategory(), static_cast<CategoryRecord *>(cats.first()));
    QVERIFY(t->categoryTitles().isEmpty());
    t->setCategories({QStringLiteral("99999999-2222-3333-4444-555555555555"),
                      QStringLiteral("33333333-2222-3333-4444-555555555555"),
                      QStringLiteral("22222222-2222-3333-4444-555555555555")});
    QCOMPARE(t->categoryTitle(false), QStringLiteral("Business\nTravel"));
    QCOMPARE(t->categoryTitle(true), QStringLiteral("Business\nTravel [...]"));
    QCOMPARE(t->categoryTitles(), QStringList({QStringLiteral("Business\nTravel"), QString()}));
    // a removed category is skipped
    cats.findRecord(QStringLiteral("33333333-2222-3333-4444-555555555555"))->remove();
    QCOMPARE(t->categoryTitle(true), QString());
    cats.findRecord(QStringLiteral("22222222-2222-3333-4444-555555555555"))->remove();
    QCOMPARE(t->categoryTitle(true), QStringLiteral("Unfiled"));
    book.setCategoryManager(nullptr);
    QVERIFY(t->categoryTitle(true).isNull());
    QVERIFY(!t->firstCategory());
}

void TestCategoryManager::selfMergeKeepsTheFile_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<int>("total");
    QTest::addColumn<QStringList>("titles");
    const auto block = [](const char *title, const char *uid) {
        return QByteArray("T=") + title + (uid ? QByteArray("\nUID=") + uid : QByteArray()) + "\nEND\n";
    };
    const char *u = "11111111-2222-3333-4444-555555555555";
    // not read whole: none of it is taken (it is set aside)
    QTest::newRow("records beyond the total") << block("A", u) + block("B", nullptr) << 1 << QStringList();
    QTest::newRow("records without a UID among repeated ones")
        << block("A", u) + block("B", nullptr) + block("C", u) + block("D", nullptr) + block("E", nullptr) << 5
        << QStringList{"A", "B", "C", "D", "E"};
}

// A shared store's save merges with its own file as it loaded it: nothing
// its load left out comes in, nothing moves.
void TestCategoryManager::selfMergeKeepsTheFile()
{
    QFETCH(QByteArray, records);
    QFETCH(int, total);
    QFETCH(QStringList, titles);
    writeAll(categoryFile(), "FOLDER\nTOTAL=" + QByteArray::number(total) + "\nEND\n" + records);
    const auto titlesOf = [](CategoryManager &cats) {
        QStringList list;
        for (PIMRecord *r : *cats.records())
            list << static_cast<CategoryRecord *>(r)->title;
        return list;
    };
    {
        CategoryManager cats;
        cats.load();
        QCOMPARE(titlesOf(cats), titles);
        cats.forceSave();
        QCOMPARE(titlesOf(cats), titles);
    }
    CategoryManager again;
    QVERIFY(again.load());
    QCOMPARE(titlesOf(again), titles);
    QFile::remove(categoryFile());
}

// Two copies of the program share the category file. Whatever the file
// holds, the load, the merge of a save and the PC link's check read it
// alike: a file they take whole keeps its categories through both copies'
// saves; one they do not is set aside whole (the user told) and never taken
// for "every category removed". A save reported done leaves on disk what
// its store holds.
void TestCategoryManager::copiesReadAFileAlike_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("whole");
    const QByteArray food = "T=Food\nUID=11111111-2222-3333-4444-555555555555\nEND\n";
    QTest::newRow("count of one") << "FOLDER\nTOTAL=1\nEND\n" + food << true;
    QTest::newRow("no count") << "FOLDER\nSORT=0\nEND\n" + food << true;
    QTest::newRow("count of none stated") << "FOLDER\nTOTAL=-1\nEND\n" + food << true;
    QTest::newRow("lines in CR LF") << QByteArray("FOLDER\r\nTOTAL=1\r\nEND\r\n") + food << true;
    QTest::newRow("count holding \"=\"") << "FOLDER\nTOTAL=1=1\nEND\n" + food << false;
    QTest::newRow("count empty") << "FOLDER\nTOTAL=\nEND\n" + food << false;
    QTest::newRow("count no number") << "FOLDER\nTOTAL=one\nEND\n" + food << false;
    QTest::newRow("count below none") << "FOLDER\nTOTAL=-2\nEND\n" + food << false;
    QTest::newRow("count too small") << "FOLDER\nTOTAL=0\nEND\n" + food << false;
    QTest::newRow("count too large") << "FOLDER\nTOTAL=2\nEND\n" + food << false;
    QTest::newRow("header line without \"=\"") << "FOLDER\nSORT\nTOTAL=1\nEND\n" + food << false;
    QTest::newRow("header cut short") << QByteArray("FOLDER\nSORT=-1\nSORTORDER=1\nTOT") << false;
    QTest::newRow("header cut after its count") << QByteArray("FOLDER\nTOTAL=1\n") << false;
    QTest::newRow("header cut after a whole line") << QByteArray("FOLDER\nSORT=-1\nSORTORDER=1\n") << false;
    QTest::newRow("no header") << food << false;
    QTest::newRow("last record cut") << "FOLDER\nTOTAL=1\nEND\n" + food.chopped(4) << false;
    QTest::newRow("zero byte in a title") << "FOLDER\nTOTAL=1\nEND\nT=Fo" + QByteArray(1, '\0') + food.mid(4)
                                          << false;
    QTest::newRow("zero byte in the header")
        << "FOLDER\nSORT=" + QByteArray(1, '\0') + "\nTOTAL=1\nEND\n" + food << false;
    QTest::newRow("bytes of something else")
        << QByteArray("these bytes are no category file\n\0\1\xff\n", 37) << false;
    QTest::newRow("hello world") << QByteArray("hello world") << false;
    QTest::newRow("zero bytes") << QByteArray(100, '\0') << false;
}

void TestCategoryManager::copiesReadAFileAlike()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, whole);
    clearCategoryFiles();
    writeAll(categoryFile(), file);
    {
        LoadBudget budget(file.size());
        budget.charge(file.size());
        QCOMPARE(CategoryManager::readsWhole(file, budget), whole);
    }
    QStringList told;
    BoundedFile::setNotifier([&told](const QString &path, const QString &) { told << path; });
    const auto restore = qScopeGuard([] { BoundedFile::setNotifier(BoundedFile::Notifier()); });
    {
        CategoryManager mine, other;
        QCOMPARE(mine.load(), whole);
        QCOMPARE(other.load(), whole);
        QCOMPARE(titlesOf(mine), whole ? QStringList{"Food"} : QStringList());
        QCOMPARE(told, whole ? QStringList() : QStringList{categoryFile()});
        auto *taxi = new CategoryRecord(&other);
        taxi->title = QStringLiteral("Taxi");
        QVERIFY(taxi->store(nullptr));
        QVERIFY(other.save());
        auto *bus = new CategoryRecord(&mine);
        bus->title = QStringLiteral("Bus");
        QVERIFY(bus->store(nullptr));
        QVERIFY(mine.save());
        QCOMPARE(titlesOf(mine), whole ? QStringList({"Food", "Taxi", "Bus"}) : QStringList({"Taxi", "Bus"}));
    }
    CategoryManager again;
    QVERIFY(again.load());
    QVERIFY(!again.isDamaged());
    QCOMPARE(titlesOf(again), whole ? QStringList({"Food", "Taxi", "Bus"}) : QStringList({"Taxi", "Bus"}));
    // what was set aside is the file as it was, written over by nothing
    QCOMPARE(readAll(BoundedFile::asideName(categoryFile())), whole ? QByteArray() : file);
    QVERIFY(!QFile::exists(BoundedFile::asideName(categoryFile(), 2)));
    QCOMPARE(told.size(), whole ? 0 : 1);
}

// A damaged category file found while another copy holds the folder (so
// that it cannot be set aside then): the store takes nothing of it, and its
// save, refused while the folder is held, sets the file aside once it is
// free and writes only what the store holds.
void TestCategoryManager::damagedFileWhileTheFolderIsHeld_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("hello world") << QByteArray("hello world");
    QTest::newRow("header cut short") << QByteArray("FOLDER\nTOTAL=1\nEND\nT=Food\nEND\n").left(14);
    QTest::newRow("count holding \"=\"") << QByteArray("FOLDER\nTOTAL=1=1\nEND\nT=Food\nEND\n");
}

void TestCategoryManager::damagedFileWhileTheFolderIsHeld()
{
    QFETCH(QByteArray, file);
    clearCategoryFiles();
    writeAll(categoryFile(), file);
    const pid_t holder = holdFolderInChild(QFileInfo(categoryFile()).absolutePath());
    QVERIFY(holder > 0);
    auto release = qScopeGuard([holder] { killLockHolder(holder); });
    CategoryManager cats;
    QVERIFY(!cats.loadOrDefault());
    QCOMPARE(cats.count(), 0);
    auto *bus = new CategoryRecord(&cats);
    bus->title = QStringLiteral("Bus");
    QVERIFY(bus->store(nullptr));
    QVERIFY(!cats.save());
    QCOMPARE(readAll(categoryFile()), file);
    QVERIFY(!QFile::exists(BoundedFile::asideName(categoryFile())));
    release.dismiss();
    killLockHolder(holder);
    QCOMPARE(UnsavedFiles::instance()->retryAll(), 0);
    QCOMPARE(readAll(BoundedFile::asideName(categoryFile())), file);
    CategoryManager again;
    QVERIFY(again.load());
    QCOMPARE(titlesOf(again), QStringList{"Bus"});
}

// Records an older file holds without a UID (some without their times),
// or with the UID of a record before them, get one at the load that every
// later reading of the file, this copy's or another's, gives them again
// (the first holding a UID keeps it): a save long after the load removes
// the one removed (or renames the one renamed) and keeps the others as they
// were loaded, and the other copy finds them by the same UIDs.
void TestCategoryManager::recordsWithoutUidKeepOneIdentity_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<int>("removed");
    const QByteArray a = "T=A\nEND\n", b = "T=B\nEND\n";
    QTest::newRow("neither UID nor times") << a + b << 0;
    QTest::newRow("two alike, the first removed") << a + a + b << 0;
    QTest::newRow("two alike, the second removed") << a + a + b << 1;
    QTest::newRow("times, no UID") << "T=A\nCREATED=1 1 2005 10 0 0\nUPDATED=1 1 2005 10 0 0\nEND\n" + b << 0;
    QTest::newRow("among records with UIDs")
        << "T=U\nUID=11111111-2222-3333-4444-555555555555\nEND\n" + a + b
               + "T=V\nUID=22222222-2222-3333-4444-555555555555\nEND\n"
        << 1;
    const QByteArray u = "\nUID=11111111-2222-3333-4444-555555555555\nEND\n";
    const QByteArray twins = "T=A" + u + a + "T=B" + u + "T=C" + u;
    QTest::newRow("one UID on three, the first removed") << twins << 0;
    QTest::newRow("one UID on three, the last removed") << twins << 3;
    QTest::newRow("one UID on three, the second renamed") << twins << 2;
    // (%1: the UID the block of A alone is given)
    QTest::newRow("a UID made of a block, held by a later record") << a + "T=B\nUID=%1\nEND\n" << 1;
}

void TestCategoryManager::recordsWithoutUidKeepOneIdentity()
{
    QFETCH(QByteArray, records);
    QFETCH(int, removed);
    clearCategoryFiles();
    if (records.contains("%1")) {
        writeAll(categoryFile(), "FOLDER\nEND\nT=A\nEND\n");
        CategoryManager made;
        QVERIFY(made.load());
        records.replace("%1", made.first()->uidString().toLatin1());
    }
    writeAll(categoryFile(), "FOLDER\nEND\n" + records);
    CategoryManager mine, other;
    {
        // loaded a while before the saves: the times a load gives records
        // without their own are not those of a save
        PIMRecord::LoadScope before(QDateTime::currentDateTime().addSecs(-90));
        QVERIFY(mine.load());
        QVERIFY(other.load());
    }
    QCOMPARE(uidsOf(other), uidsOf(mine));
    const QStringList loaded = uidsOf(mine);
    QCOMPARE(QSet<QString>(loaded.begin(), loaded.end()).size(), loaded.size());
    QList<PIMRecord *> kept;
    for (PIMRecord *r : *mine.records())
        kept << r;
    QStringList titles = titlesOf(mine), uids = uidsOf(mine);
    if (QByteArray(QTest::currentDataTag()).endsWith("renamed")) {
        auto *r = static_cast<CategoryRecord *>(kept.at(removed));
        auto *old = new CategoryRecord(*r);
        r->title = titles[removed] = QStringLiteral("R");
        QVERIFY(r->store(old));
    } else {
        titles.removeAt(removed);
        uids.removeAt(removed);
        QVERIFY(kept.takeAt(removed)->remove());
    }
    QVERIFY(mine.save());
    // nothing came back, nothing was taken for another copy's change
    QCOMPARE(QList<PIMRecord *>(mine.records()->begin(), mine.records()->end()), kept);
    {
        CategoryManager check;
        QVERIFY(check.load());
        QCOMPARE(titlesOf(check), titles);
        QCOMPARE(uidsOf(check), uids);
    }
    // the other copy's save keeps the removal and doubles nothing
    auto *n = new CategoryRecord(&other);
    n->title = QStringLiteral("N");
    QVERIFY(n->store(nullptr));
    QVERIFY(other.save());
    CategoryManager check;
    QVERIFY(check.load());
    QCOMPARE(titlesOf(check), titles << QStringLiteral("N"));
    QCOMPARE(uidsOf(check), uids << n->uidString());
}

// A title (and a property's name and value) is stored as typed, a
// byte-order mark at its start too; one holding a zero byte, which no
// reader of the file takes, is refused with the reason and the file stays
// as it was.
void TestCategoryManager::titlesKeptWhole_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("saved");
    const QChar mark(0xfeff), zero(0);
    QTest::newRow("leading byte-order mark") << QString(mark) + "Food" << true;
    QTest::newRow("two leading marks") << QString(2, mark) + "Food" << true;
    QTest::newRow("a mark inside") << "Fo" + QString(mark) + "od" << true;
    QTest::newRow("a mark alone") << QString(mark) << true;
    QTest::newRow("zero byte inside") << "Fo" + QString(zero) + "od" << false;
    QTest::newRow("leading zero byte") << QString(zero) + "Food" << false;
}

void TestCategoryManager::titlesKeptWhole()
{
    QFETCH(QString, title);
    QFETCH(bool, saved);
    clearCategoryFiles();
    writeAll(categoryFile(), "FOLDER\nTOTAL=0\nEND\n");
    const QByteArray before = readAll(categoryFile());
    {
        CategoryManager cats;
        QVERIFY(cats.load());
        auto *c = new CategoryRecord(&cats);
        c->title = title;
        c->setProperty(title, title);
        QVERIFY(c->store(nullptr));
        QCOMPARE(cats.save(), saved);
        if (!saved) {
            QCOMPARE(cats.saveFailure(), QStringLiteral("it would hold a zero byte, which this program does not "
                                                        "read back"));
            QCOMPARE(readAll(categoryFile()), before);
            cats.forgetChanges();
            UnsavedFiles::instance()->remove(categoryFile());
            return;
        }
    }
    QVERIFY(readAll(categoryFile()).contains("\nT=" + title.toUtf8() + "\n"));
    CategoryManager again;
    QVERIFY(again.load());
    QVERIFY(!again.isDamaged());
    QCOMPARE(titlesOf(again), QStringList{title});
    QCOMPARE(again.first()->properties(), (QMap<QString, QString>{{title, title}}));
}

YMR_TEST_MAIN(TestCategoryManager)
#include "tst_categorymanager.moc"
