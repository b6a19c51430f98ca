#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/unsavedfiles.h"

#include <QSignalSpy>

// The shared files whose write failed: one entry per file, in the order
// they first failed, each retried until it is on disk; a retry may change
// the registry while the others are retried.
class TestUnsavedFiles : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        for (const char *key : {"a", "b", "c"})
            UnsavedFiles::instance()->remove(QLatin1String(key));
    }
    void entriesByFile();
    void retryChangingTheRegistry_data();
    void retryChangingTheRegistry();
};

void TestUnsavedFiles::entriesByFile()
{
    UnsavedFiles *files = UnsavedFiles::instance();
    QSignalSpy changed(files, &UnsavedFiles::changed);
    QVERIFY(files->isEmpty());
    files->add("a", "the list \"Type\"", "no space left on the disk", [] { return false; });
    files->add("b", "the alarm list", "the folder is locked", [] { return false; });
    QCOMPARE(files->lines(), (QStringList{"the list \"Type\": no space left on the disk",
                                          "the alarm list: the folder is locked"}));
    // a later failure of a file replaces its entry where it stood, and its retry
    int newer = 0;
    files->add("a", "the list \"Type\"", "the folder is locked", [&newer] { return ++newer > 1; });
    QCOMPARE(files->lines(), (QStringList{"the list \"Type\": the folder is locked",
                                          "the alarm list: the folder is locked"}));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(files->retryAll(), 2);
    QCOMPARE(newer, 1);
    QCOMPARE(files->retryAll(), 1);
    QCOMPARE(files->lines(), QStringList{"the alarm list: the folder is locked"});
    QCOMPARE(changed.count(), 4);
    // a file written by its owner meanwhile; an unknown one changes nothing
    files->remove("c");
    QCOMPARE(changed.count(), 4);
    files->remove("b");
    QVERIFY(files->isEmpty());
    QCOMPARE(changed.count(), 5);
    QCOMPARE(files->retryAll(), 0);
}

void TestUnsavedFiles::retryChangingTheRegistry_data()
{
    // what a's retry does before it answers; b is retried after a, fails
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("bTried");
    QTest::newRow("written") << "" << true << QStringList{"b: full"} << 1;
    QTest::newRow("still failing") << "" << false << QStringList{"a: full", "b: full"} << 1;
    QTest::newRow("its owner removed it, failed") << "remove a" << false << QStringList{"b: full"} << 1;
    QTest::newRow("a newer failure registered, then written")
        << "add a" << true << QStringList{"a: locked", "b: full"} << 1;
    QTest::newRow("written, b written by its owner meanwhile")
        << "remove b" << true << QStringList{} << 0;
    QTest::newRow("another file failed meanwhile")
        << "add c" << false << QStringList{"a: full", "b: full", "c: locked"} << 1;
    QTest::newRow("a retry waits in an event loop that retries")
        << "retry" << true << QStringList{"b: full"} << 1;
}

void TestUnsavedFiles::retryChangingTheRegistry()
{
    QFETCH(QString, action);
    QFETCH(bool, written);
    QFETCH(QStringList, left);
    QFETCH(int, bTried);
    UnsavedFiles *files = UnsavedFiles::instance();
    int bCalls = 0;
    int nested = -1;
    files->add("a", "a", "full", [&] {
        if (action == QLatin1String("remove a"))
            files->remove("a");
        else if (action == QLatin1String("add a"))
            files->add("a", "a", "locked", [] { return false; });
        else if (action == QLatin1String("remove b"))
            files->remove("b");
        else if (action == QLatin1String("add c"))
            files->add("c", "c", "locked", [] { return false; });
        else if (action == QLatin1String("retry"))
            nested = files->retryAll();
        return written;
    });
    files->add("b", "b", "full", [&bCalls] {
        ++bCalls;
        return false;
    });
    QCOMPARE(files->retryAll(), left.size());
    QCOMPARE(files->lines(), left);
    QCOMPARE(bCalls, bTried);
    // the inner call retried nothing; a and b were still there
    if (action == QLatin1String("retry"))
        QCOMPARE(nested, 2);
}

QPE_TEST_MAIN(TestUnsavedFiles)
#include "tst_unsavedfiles.moc"
