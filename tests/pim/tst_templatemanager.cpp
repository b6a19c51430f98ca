#include "ymrtest.h"

#include "tempfiles.h"

#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"
#include "qpe/boundedfile.h"
#include "qt/ymrapplication.h"

#include <QScopeGuard>

#include <memory>

class TestTemplateManager : public QObject
{
    Q_OBJECT

private:
    static QByteArray bytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static Task *newTemplate(TemplateManager &tm, const QString &name)
    {
        Task *t = new Task(tm.store());
        t->type = name;
        t->store(nullptr);
        if (!tm.add(t, name))
            return nullptr;
        return t;
    }
    static void clearFiles(const QString &name)
    {
        TemplateManager tm(name);
        const QString book = tm.store()->fileName();
        const QString index = tm.indexFileName();
        tm.store()->removeAll();
        QFile::remove(index);
        QFile::remove(book);
    }

private slots:
    void cleanupTestCase() { TaskManager::releaseSharedCategoryManager(); }

    void orderAndSeparators();
    void addRenameRemove();
    void indexReadTolerantly_data();
    void indexReadTolerantly();
    void damagedBookIsKeptWithItsIndex_data();
    void damagedBookIsKeptWithItsIndex();
    void twinsKeepTheirNames();
};

void TestTemplateManager::orderAndSeparators()
{
    clearFiles(QStringLiteral("templates"));
    QString lunch, taxi, hotel;
    {
        TemplateManager tm(QStringLiteral("templates"));
        QVERIFY(tm.store()->isTemplates());
        QVERIFY(tm.store()->fileName().endsWith(QStringLiteral("/expensetemplates/templates")));
        QCOMPARE(tm.indexFileName(), tm.store()->fileName() + QStringLiteral(".idx"));
        QVERIFY(tm.names().isEmpty());
        lunch = newTemplate(tm, QStringLiteral("Lunch"))->uidString();
        taxi = newTemplate(tm, QStringLiteral(" Taxi = cab "))->uidString();
        hotel = newTemplate(tm, QStringLiteral("Hotel"))->uidString();
        QCOMPARE(tm.names().last(), QStringLiteral("Hotel"));
        tm.save({QStringLiteral("Lunch"), QStringLiteral(" Taxi = cab "), QString(), QString(),
                 QStringLiteral("Unknown"), QStringLiteral("Hotel"), QString()});
        QCOMPARE(bytes(tm.indexFileName()),
                 ("Lunch=" + lunch + "\n Taxi = cab =" + taxi + "\n\n\nHotel=" + hotel + "\n\n")
                     .toUtf8());
        QVERIFY(!tm.store()->isDirty());
        QVERIFY(tempFilesIn(QFileInfo(tm.indexFileName()).path()).isEmpty());
    }
    TemplateManager tm(QStringLiteral("templates"));
    QCOMPARE(tm.names(), QStringList({"Lunch", " Taxi = cab ", "", "", "Hotel", ""}));
    QCOMPARE(tm.find(QStringLiteral(" Taxi = cab "))->uidString(), taxi);
    QCOMPARE(static_cast<Task *>(tm.find(QStringLiteral("Hotel")))->type, QStringLiteral("Hotel"));
    QVERIFY(!tm.find(QString()));
    QVERIFY(!tm.find(QStringLiteral("Unknown")));

    // a name left out of the new order is no longer found
    tm.save({QStringLiteral("Hotel")});
    QVERIFY(!tm.find(QStringLiteral("Lunch")));
    QCOMPARE(bytes(tm.indexFileName()), ("Hotel=" + hotel + "\n").toUtf8());
}

void TestTemplateManager::addRenameRemove()
{
    clearFiles(QStringLiteral("tplops"));
    TemplateManager tm(QStringLiteral("tplops"));
    Task *a = newTemplate(tm, QStringLiteral("A"));
    Task *b = newTemplate(tm, QStringLiteral("B"));
    QVERIFY(a && b);
    Task *dup = new Task(tm.store());
    dup->store(nullptr);
    QVERIFY(!tm.add(dup, QStringLiteral("A")));
    QCOMPARE(tm.names(), QStringList({"A", "B"}));

    QVERIFY(tm.rename(QStringLiteral("A"), QStringLiteral("A")));
    QVERIFY(!tm.rename(QStringLiteral("A"), QStringLiteral("B")));
    QVERIFY(!tm.rename(QStringLiteral("none"), QStringLiteral("C")));
    // a name is one line of the index
    QVERIFY(!tm.rename(QStringLiteral("A"), QStringLiteral("two\nlines")));
    QVERIFY(!tm.add(dup, QStringLiteral("two\nlines")));
    // nor a zero byte, which no reader of the index takes
    const QString zero = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QVERIFY(!tm.rename(QStringLiteral("A"), zero));
    QVERIFY(!tm.add(dup, zero));
    QVERIFY(tm.rename(QStringLiteral("A"), QStringLiteral("C")));
    QCOMPARE(tm.names(), QStringList({"C", "B"}));
    QCOMPARE(tm.find(QStringLiteral("C")), static_cast<PIMRecord *>(a));
    QVERIFY(!tm.find(QStringLiteral("A")));

    QVERIFY(tm.save({QStringLiteral("C"), QString(), QStringLiteral("B")}));
    const int count = tm.store()->count();
    tm.remove(QString());
    tm.remove(QStringLiteral("nothing"));
    QCOMPARE(tm.names(), QStringList({"C", "", "B"}));
    QCOMPARE(tm.store()->count(), count);

    const QString uid = b->uidString();
    tm.remove(QStringLiteral("B"));
    QCOMPARE(tm.names(), QStringList({"C", ""}));
    QCOMPARE(tm.store()->count(), count - 1);
    QVERIFY(!tm.store()->findRecord(uid));

    // an index that cannot be written says so
    QFile::remove(tm.indexFileName());
    QVERIFY(QDir().mkpath(tm.indexFileName() + QStringLiteral("/x")));
    QVERIFY(!tm.save(tm.names()));
    QVERIFY(QDir(tm.indexFileName()).removeRecursively());
    QVERIFY(tm.save(tm.names()));
}

// An index line that is none (no name, no UID, a zero byte, a line cut
// short) makes the index a damaged one: its bytes are kept beside it, the
// user is told, and every name that reads stays with its template, written
// anew at once.
void TestTemplateManager::indexReadTolerantly_data()
{
    // "%1" stands for the UID of the one template the book holds
    QTest::addColumn<QString>("index");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("damaged");
    const QString lost = QStringLiteral("lost=00000000-0000-0000-0000-000000000000\n");
    QTest::newRow("names holding '='") << "a=b=%1\n" + lost + "\n\u00e9t\u00e9=%1\n"
                                       << QStringList({"a=b", QStringLiteral("\u00e9t\u00e9")}) << false;
    QTest::newRow("lines of no name or no UID") << "a=%1\n=%1\nname=\n" << QStringList{"a"} << true;
    QTest::newRow("a template's separator stays, a missing one's goes")
        << "x=%1\n\n" + lost + "\n" << QStringList({"x", ""}) << false;
    QTest::newRow("separators of no template") << "\n" + lost + "\n" << QStringList() << false;
    const QString mark(QChar(0xfeff));
    QTest::newRow("names starting with a byte-order mark") << mark + "x=%1\n" << QStringList{mark + "x"} << false;
    QTest::newRow("the last line whole without its line break") << "x=%1" << QStringList{"x"} << false;
    QTest::newRow("cut inside a line") << "x=%1\ny=" + lost.mid(5, 20) << QStringList{"x"} << true;
    QTest::newRow("a zero byte") << "x=%1\nz" + QString(QChar(0)) + "=%1\n" << QStringList{"x"} << true;
}

void TestTemplateManager::indexReadTolerantly()
{
    QFETCH(QString, index);
    QFETCH(QStringList, names);
    QFETCH(bool, damaged);
    clearFiles(QStringLiteral("tplread"));
    QString uid;
    QString indexFile;
    {
        TemplateManager tm(QStringLiteral("tplread"));
        uid = newTemplate(tm, QStringLiteral("x"))->uidString();
        tm.store()->save();
        indexFile = tm.indexFileName();
    }
    QFile::remove(BoundedFile::asideName(indexFile));
    const QByteArray written = index.arg(uid).toUtf8();
    QFile f(indexFile);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(written);
    f.close();
    QStringList told;
    BoundedFile::setNotifier([&told](const QString &path, const QString &) { told << path; });
    const auto restore = qScopeGuard([] { BoundedFile::setNotifier(BoundedFile::Notifier()); });
    for (int start = 0; start < 2; ++start) {
        TemplateManager tm(QStringLiteral("tplread"));
        QCOMPARE(tm.names(), names);
        for (const QString &name : names) {
            if (!name.isEmpty())
                QCOMPARE(tm.find(name)->uidString(), uid);
        }
        QCOMPARE(told, damaged ? QStringList{indexFile} : QStringList());
        QCOMPARE(bytes(BoundedFile::asideName(indexFile)), damaged ? written : QByteArray());
    }
}

// A template book that its reader does not take whole (bytes of anything
// else, what a lost write leaves, a book cut short) is set aside with its
// index as the templates open, and the user told: the names stay with
// their records, nothing is written over either, and the templates saved
// next go to new files.
void TestTemplateManager::damagedBookIsKeptWithItsIndex_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("whole");
    QTest::newRow("none") << "none" << true;
    QTest::newRow("bytes of something else") << "garbage" << false;
    QTest::newRow("hello world") << "hello" << false;
    QTest::newRow("zero bytes") << "zeros" << false;
    QTest::newRow("cut 60 bytes short") << "cut" << false;
    QTest::newRow("cut inside its header") << "header" << false;
    QTest::newRow("cut after a line of its header") << "headerline" << false;
    QTest::newRow("count holding \"=\"") << "count" << false;
    QTest::newRow("a zero byte in a template") << "zero" << false;
}

void TestTemplateManager::damagedBookIsKeptWithItsIndex()
{
    QFETCH(QString, damage);
    QFETCH(bool, whole);
    const QString name = QStringLiteral("kept");
    clearFiles(name);
    QString book, index;
    {
        TemplateManager tm(name);
        book = tm.store()->fileName();
        index = tm.indexFileName();
        for (const QString &n : {QStringLiteral("Lunch"), QStringLiteral("Taxi"), QStringLiteral("Hotel")}) {
            Task *t = newTemplate(tm, n);
            QVERIFY(t);
            t->description = QStringLiteral("a description long enough for a cut inside it");
        }
        QVERIFY(tm.save(tm.names()));
    }
    for (const QString &file : {book, index}) {
        for (int n = 1; QFile::exists(BoundedFile::asideName(file, n)); ++n)
            QFile::remove(BoundedFile::asideName(file, n));
    }
    const QByteArray indexBytes = bytes(index);
    QByteArray damaged = bytes(book);
    if (damage == "garbage")
        damaged = QByteArray("these bytes are no template book\n\0\1\xff\n", 37);
    else if (damage == "hello")
        damaged = "hello world";
    else if (damage == "zeros")
        damaged = QByteArray(100, '\0');
    else if (damage == "cut")
        damaged.chop(60);
    else if (damage == "header")
        damaged = damaged.left(damaged.indexOf("TOTAL=") + 4);
    else if (damage == "headerline")
        damaged = damaged.left(damaged.indexOf("TOTAL="));
    else if (damage == "count")
        damaged.replace("TOTAL=3\n", "TOTAL=3=3\n");
    else if (damage == "zero")
        damaged.replace("TYPE=Taxi", QByteArray("TYPE=Ta\0i", 9));
    QVERIFY(damaged != bytes(book) || whole);
    QFile f(book);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(damaged);
    f.close();

    QStringList told;
    BoundedFile::setNotifier([&told](const QString &path, const QString &) { told << path; });
    const auto restore = qScopeGuard([] { BoundedFile::setNotifier(BoundedFile::Notifier()); });
    const QStringList three = {"Lunch", "Taxi", "Hotel"};
    {
        TemplateManager tm(name);
        QCOMPARE(tm.names(), whole ? three : QStringList());
        QVERIFY(newTemplate(tm, QStringLiteral("New")));
        QVERIFY(tm.save(tm.names()));
    }
    QCOMPARE(told, whole ? QStringList() : QStringList({book, index}));
    QCOMPARE(bytes(BoundedFile::asideName(book)), whole ? QByteArray() : damaged);
    QCOMPARE(bytes(BoundedFile::asideName(index)), whole ? QByteArray() : indexBytes);
    TemplateManager tm(name);
    QVERIFY(!tm.store()->isDamaged());
    QCOMPARE(tm.names(), (whole ? three : QStringList()) + QStringList{"New"});
    QCOMPARE(tm.store()->count(), whole ? 4 : 1);
    QVERIFY(!QFile::exists(BoundedFile::asideName(book, 2)));
}

// A book holding one UID on two templates, named twice in its index: each
// name stays with its own template, through another copy's save and a
// later start.
void TestTemplateManager::twinsKeepTheirNames()
{
    clearFiles(QStringLiteral("tpltwins"));
    QString book, index;
    {
        TemplateManager tm(QStringLiteral("tpltwins"));
        const QString uid = newTemplate(tm, QStringLiteral("a"))->uidString();
        const QString other = newTemplate(tm, QStringLiteral("b"))->uidString();
        QVERIFY(tm.save(tm.names()));
        book = tm.store()->fileName();
        index = tm.indexFileName();
        for (const QString &file : {book, index}) {
            QFile f(file);
            const QByteArray text = bytes(file).replace(other.toLatin1(), uid.toLatin1());
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size());
        }
    }
    const auto typesOf = [](const TemplateManager &tm) {
        QStringList types;
        for (const QString &name : tm.names())
            types << static_cast<Task *>(tm.find(name))->type;
        return types;
    };
    TemplateManager first(QStringLiteral("tpltwins"));
    TemplateManager second(QStringLiteral("tpltwins"));
    QCOMPARE(typesOf(first), QStringList({"a", "b"}));
    QVERIFY(newTemplate(second, QStringLiteral("c")));
    QVERIFY(second.save(second.names()));
    QVERIFY(first.save(first.names()));
    TemplateManager later(QStringLiteral("tpltwins"));
    QCOMPARE(later.names(), QStringList({"a", "b", "c"}));
    QCOMPARE(typesOf(later), QStringList({"a", "b", "c"}));
}

YMR_TEST_MAIN(TestTemplateManager)

#include "tst_templatemanager.moc"
