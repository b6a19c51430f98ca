#include "ymrtest.h"

#include "filebytes.h"

#include "qpe/boundedfile.h"
#include "qpe/categories.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpeglobal.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

class TestCategories : public QObject
{
    Q_OBJECT
private slots:
    void labelsAndIds();
    void addKeepsIdsUnique();
    void idsAtTheTopOfTheRange();
    void saveLoadRoundTrip();
    void missingFile();
    void takenWholeOrSetAside_data();
    void takenWholeOrSetAside();
    void entriesBounded_data();
    void entriesBounded();
};

void TestCategories::labelsAndIds()
{
    Categories c;
    const int business = c.addGlobalCategory(QStringLiteral("Business"));
    const int personal = c.addGlobalCategory(QStringLiteral("Personal"));
    const int food = c.addCategory(QStringLiteral("ymrOutlays"), QStringLiteral("Food"));
    const int travel = c.addCategory(QStringLiteral("ymrOutlays"), QStringLiteral("Travel"));
    const int other = c.addCategory(QStringLiteral("todo"), QStringLiteral("Chores"));
    const int aFood = c.addCategory(QStringLiteral("todo"), QStringLiteral("Food"));

    QCOMPARE(c.labels(QStringLiteral("ymrOutlays")),
             (QStringList{"Business", "Food", "Personal", "Travel"}));
    QCOMPARE(c.labels(QStringLiteral("ymrOutlays"), false), (QStringList{"Food", "Travel"}));
    QCOMPARE(c.labels(QStringLiteral("todo")), (QStringList{"Business", "Chores", "Food", "Personal"}));
    QCOMPARE(c.labels(QStringLiteral("nobody")), (QStringList{"Business", "Personal"}));

    QCOMPARE(c.label(QStringLiteral("ymrOutlays"), food), QStringLiteral("Food"));
    QCOMPARE(c.label(QStringLiteral("ymrOutlays"), business), QStringLiteral("Business"));
    // another application's category is not ours
    QCOMPARE(c.label(QStringLiteral("ymrOutlays"), other), QString());
    QCOMPARE(c.label(QStringLiteral("ymrOutlays"), 9999), QString());
    QCOMPARE(c.label(QStringLiteral("ymrOutlays"), 0), QString());

    QCOMPARE(c.id(QStringLiteral("ymrOutlays"), QStringLiteral("Travel")), travel);
    QCOMPARE(c.id(QStringLiteral("ymrOutlays"), QStringLiteral("Personal")), personal);
    QCOMPARE(c.id(QStringLiteral("todo"), QStringLiteral("Food")), aFood);
    QCOMPARE(c.id(QStringLiteral("ymrOutlays"), QStringLiteral("Chores")), 0);
    QCOMPARE(c.id(QStringLiteral("ymrOutlays"), QStringLiteral("Unfiled")), 0);
    QVERIFY(c.isGlobal(QStringLiteral("Business")));
    QVERIFY(!c.isGlobal(QStringLiteral("Food")));
}

void TestCategories::addKeepsIdsUnique()
{
    Categories c;
    QList<int> ids;
    ids << c.addCategory(QStringLiteral("a"), QStringLiteral("x"))
        << c.addCategory(QStringLiteral("b"), QStringLiteral("x"))
        << c.addGlobalCategory(QStringLiteral("g"))
        << c.addCategory(QStringLiteral("a"), QStringLiteral("y"));
    for (int i = 0; i < ids.size(); ++i) {
        QVERIFY(ids.at(i) != 0);
        for (int j = i + 1; j < ids.size(); ++j)
            QVERIFY(ids.at(i) != ids.at(j));
    }
    // a label the application sees already keeps its id
    QCOMPARE(c.addCategory(QStringLiteral("a"), QStringLiteral("x")), ids.at(0));
    QCOMPARE(c.addCategory(QStringLiteral("a"), QStringLiteral("g")), ids.at(2));
    QCOMPARE(c.addGlobalCategory(QStringLiteral("g")), ids.at(2));
    QCOMPARE(c.addCategory(QStringLiteral("a"), QString()), 0);
    QCOMPARE(c.count(), 4);
}

void TestCategories::idsAtTheTopOfTheRange()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/top");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("2147483646\t*\tA\n1\t*\tB\n");
    f.close();
    Categories c;
    QVERIFY(c.load(path));
    const int top = c.addCategory(QStringLiteral("app"), QStringLiteral("C"));
    const int next = c.addCategory(QStringLiteral("app"), QStringLiteral("D"));
    const int last = c.addGlobalCategory(QStringLiteral("E"));
    QCOMPARE(top, 2147483647);
    QCOMPARE(next, 2);
    QCOMPARE(last, 3);
    QVERIFY(c.save(path));
    QVERIFY(c.load(path));
    QCOMPARE(c.count(), 5);
    QCOMPARE(c.label(QStringLiteral("app"), top), QStringLiteral("C"));
    QCOMPARE(c.label(QStringLiteral("app"), next), QStringLiteral("D"));
}

void TestCategories::saveLoadRoundTrip()
{
    QCOMPARE(categoryFileName(), Qpe::userRoot() + QStringLiteral("/Settings/categories"));
    Categories c;
    c.addGlobalCategory(QStringLiteral("Business"));
    const int jp = c.addCategory(QStringLiteral("ymrOutlays"), QString::fromUtf8("\xe9\xa3\x9f\xe8\xb2\xbb"));
    const int odd = c.addCategory(QStringLiteral("ymrOutlays"), QStringLiteral("tab\there\\n\nline"));
    QVERIFY(c.save(categoryFileName()));

    Categories d;
    d.addGlobalCategory(QStringLiteral("replaced by the load"));
    QVERIFY(d.load(categoryFileName()));
    QCOMPARE(d.count(), 3);
    QCOMPARE(d.labels(QStringLiteral("ymrOutlays")), c.labels(QStringLiteral("ymrOutlays")));
    QCOMPARE(d.label(QStringLiteral("ymrOutlays"), jp), QString::fromUtf8("\xe9\xa3\x9f\xe8\xb2\xbb"));
    QCOMPARE(d.label(QStringLiteral("ymrOutlays"), odd), QStringLiteral("tab\there\\n\nline"));
    QVERIFY(d.isGlobal(QStringLiteral("Business")));
    // new ids stay clear of loaded ones
    const int fresh = d.addCategory(QStringLiteral("ymrOutlays"), QStringLiteral("New"));
    QVERIFY(fresh != jp && fresh != odd && fresh != d.id(QStringLiteral("x"), QStringLiteral("Business")));
}

void TestCategories::missingFile()
{
    QTemporaryDir dir;
    Categories c;
    c.addGlobalCategory(QStringLiteral("x"));
    QVERIFY(!c.load(dir.path() + QStringLiteral("/none")));
    QCOMPARE(c.count(), 0);
    // no file: every label empty and every id 0
    QCOMPARE(c.label(QStringLiteral("ymrOutlays"), 1), QString());
    QCOMPARE(c.id(QStringLiteral("ymrOutlays"), QStringLiteral("Unfiled")), 0);

    QVERIFY(!c.save(dir.path() + QStringLiteral("/no/such/dir/file")));
}

void TestCategories::takenWholeOrSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("app");
    // the application's own labels when the file is taken; none: set aside
    QTest::addColumn<QStringList>("labels");
    const QString bom(QChar(0xfeff));
    QTest::newRow("labels and an empty line") << QByteArray("5\t*\tGood\n\n8\tapp\tMine\n") << "app"
                                              << QStringList{"Mine"};
    QTest::newRow("the same line twice") << QByteArray("8\tapp\tMine\n8\tapp\tMine\n") << "app"
                                         << QStringList{"Mine"};
    // two copies that each added a label give them the same new id
    QTest::newRow("an id two labels have") << QByteArray("5\tapp\tGood\n5\tapp\tOther\n") << "app"
                                           << QStringList{"Good", "Other"};
    QTest::newRow("a byte-order mark leading a scope")
        << QByteArray("5\t\xef\xbb\xbf" "app\t\xef\xbb\xbf" "Food\n") << bom + "app" << QStringList{bom + "Food"};
    QTest::newRow("a zero byte in a scope") << QByteArray("5\tap\0p\tFood\n6\tap\0q\tTaxi\n", 24) << "ap"
                                            << QStringList();
    QTest::newRow("a byte-order mark leading the file") << QByteArray("\xef\xbb\xbf" "5\tapp\tGood\n") << "app"
                                                        << QStringList();
    QTest::newRow("a line that is no label") << QByteArray("garbage\n5\tapp\tGood\n") << "app" << QStringList();
    QTest::newRow("no scope") << QByteArray("5\tapp\tGood\n6\t\tNoScope\n") << "app" << QStringList();
    QTest::newRow("no label") << QByteArray("5\tapp\tGood\n7\tapp\t\n") << "app" << QStringList();
    QTest::newRow("a third tab") << QByteArray("5\tapp\tGood\tmore\n") << "app" << QStringList();
    QTest::newRow("an id that is no number") << QByteArray("x\tapp\tGood\n") << "app" << QStringList();
    QTest::newRow("id zero") << QByteArray("0\tapp\tGood\n") << "app" << QStringList();
    QTest::newRow("a negative id") << QByteArray("-3\tapp\tGood\n") << "app" << QStringList();
    QTest::newRow("an id past the range") << QByteArray("2147483648\tapp\tGood\n") << "app" << QStringList();
    QTest::newRow("a label with two ids") << QByteArray("5\tapp\tGood\n9\tapp\tGood\n") << "app"
                                          << QStringList();
    QTest::newRow("bytes that are no UTF-8") << QByteArray("5\tapp\tCaf\xe9\n") << "app" << QStringList();
    QTest::newRow("a disk that lost a write") << QByteArray(100, '\0') << "app" << QStringList();
}

// The file is taken only when every line of it is a label as the save
// writes it: then every label keeps its text (a leading U+FEFF included)
// and its id through a save. Otherwise it is set aside byte for byte, the
// user told, and the next save writes a new file beside the kept one.
void TestCategories::takenWholeOrSetAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, app);
    QFETCH(QStringList, labels);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/categories");
    writeAll(path, bytes);
    QStringList told;
    BoundedFile::setNotifier([&told](const QString &file, const QString &aside) { told << file << aside; });
    auto restore = qScopeGuard([] { BoundedFile::setNotifier({}); });
    Categories c;
    QCOMPARE(c.load(path), !labels.isEmpty());
    if (labels.isEmpty()) {
        QCOMPARE(c.count(), 0);
        QCOMPARE(told, QStringList({path, path + QStringLiteral(".damaged")}));
        QCOMPARE(readAll(path + QStringLiteral(".damaged")), bytes);
        c.addCategory(app, QStringLiteral("New"));
        QVERIFY(c.save(path));
        QVERIFY(c.load(path));
        QCOMPARE(c.labels(app, false), QStringList{"New"});
        QCOMPARE(readAll(path + QStringLiteral(".damaged")), bytes);
        return;
    }
    QCOMPARE(c.labels(app, false), labels);
    QVERIFY(c.save(path));
    Categories again;
    QVERIFY(again.load(path));
    QCOMPARE(again.labels(app, false), labels);
    QSet<int> ids;
    for (const QString &label : labels) {
        const int id = c.id(app, label);
        QVERIFY(id > 0);
        QCOMPARE(c.label(app, id), label);
        QCOMPARE(again.id(app, label), id);
        ids.insert(id);
    }
    QCOMPARE(ids.size(), labels.size());
    QVERIFY(told.isEmpty());
}

// A label is far more in memory than its line: a file of more labels than
// any platform has, or that would cost more than four times its size and
// the allowance, is set aside like a damaged one; as many as a platform may
// have load at once, however many repeat.
void TestCategories::entriesBounded_data()
{
    QTest::addColumn<int>("labels");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("loaded");   // -1: set aside
    QTest::newRow("as many as may be") << 10000 << 20 << 10000;
    QTest::newRow("one more") << 10001 << 1 << -1;
}

void TestCategories::entriesBounded()
{
    QFETCH(int, labels);
    QFETCH(int, repeats);
    QFETCH(int, loaded);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/many");
    QByteArray text;
    for (int r = 0; r < repeats; ++r) {
        for (int i = 0; i < labels; ++i)
            text += QByteArray::number(i + 1) + "\t*\t" + QByteArray::number(i) + "\n";
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    Categories c;
    QCOMPARE(c.load(path), loaded >= 0);
    QCOMPARE(c.count(), qMax(loaded, 0));
    QCOMPARE(QFile::exists(path + QStringLiteral(".damaged")), loaded < 0);
    if (loaded > 0) {
        QCOMPARE(c.id(QStringLiteral("app"), QStringLiteral("0")), 1);
        QCOMPARE(c.id(QStringLiteral("app"), QString::number(labels - 1)), labels);
    }
}

QPE_TEST_MAIN(TestCategories)
#include "tst_categories.moc"
