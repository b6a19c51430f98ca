#include "ymrtest.h"

#include "openbook.h"

#include "qpe/qpeapplication.h"
#include "qt/ymrdialog.h"

#include <csignal>

using namespace fixtures;

// A book that would take more memory than its size allows is refused whole,
// and the user is told why; a signal that comes while a book loads ends the
// program without a word and without a save.
class TestLargeBooks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }
    void cleanup() { YMRDialog::stopScript(); }
    void refusedBookSaysWhy();
    void signalWhileLoadingEndsWithoutSave();
};

void TestLargeBooks::refusedBookSaysWhy()
{
    const QString path = makeBook(QStringLiteral("Empty"), {});
    QByteArray text = "FOLDER\nEND\n";
    for (int i = 0; i < 100000; ++i)
        text += "END\n";
    // 400 KB: its records would take 22 MB
    writeFile(path, text);
    ToDoWindow w;
    YMRDialog::queueAnswer(1);
    w.setDocument(path);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("Cannot read Expense Book [Empty]:\n%1\n"
                                                "Its records would take more than 18 MB of memory, four times "
                                                "the size of the file and 16 MB.").arg(path));
    QVERIFY(!w.manager());
    QCOMPARE(readAll(path), text);
}

void TestLargeBooks::signalWhileLoadingEndsWithoutSave()
{
    const QString path = makeBook(QStringLiteral("Trip"), {{"Taxi", "3", "", "", QDate()}});
    const QByteArray before = readAll(path);
    setSetting("Options", "book", QString());
    ymrApp->endSessionOnSignals();
    ToDoWindow w;
    YMRDialog::queueAnswer(1);
    // the signal comes; the event loop has not yet run to take it
    ::raise(SIGTERM);
    w.setDocument(path);
    QVERIFY(!w.manager());
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
    // the book opens at the next start
    QCOMPARE(setting("Options", "book"), path);
    // the loop takes the signal and ends the session: nothing was written
    QTest::qWait(100);
    QCOMPARE(readAll(path), before);
    w.setDocument(path);
    QVERIFY(w.manager());
}

YMR_TEST_MAIN(TestLargeBooks)
#include "tst_largebooks.moc"
