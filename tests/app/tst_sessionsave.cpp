#include "ymrtest.h"

#include "openbook.h"

#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qt/ymrdialog.h"
#include "savepolicy.h"

#include <QPlainTextEdit>

using namespace fixtures;

// Nothing typed is lost when the session ends or the program is killed:
// the open book is saved after a few idle seconds and on a log-out (the
// real program under signals and kill -9: tests/desktop/tst_session.cpp).
class TestSessionSave : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }
    void cleanup() { YMRDialog::stopScript(); }
    void idleSaveAfterTheLastChange();
    void logOutWritesBookAndSettings();
};

void TestSessionSave::idleSaveAfterTheLastChange()
{
    const QString path = makeBook(QStringLiteral("Idle"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    QTimer *timer = w.savePolicy()->idleTimer();
    QVERIFY(timer->isSingleShot());
    QCOMPARE(timer->interval(), 5000);
    auto change = [&w](const char *type) {
        auto *task = static_cast<Task *>(w.manager()->first());
        auto *old = new Task(*task);
        task->type = QLatin1String(type);
        task->store(old);
    };

    // each change puts the save off until the book has been quiet a while
    change("Bus");
    QVERIFY(timer->isActive());
    QVERIFY(!readAll(path).contains("TYPE=Bus"));
    timer->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Bus"));
    QVERIFY(!w.manager()->isDirty());
    // an idle save in the wait below would start the deadline anew
    timer->setInterval(5000);

    // a user who never stops gets a save within the minute all the same:
    // later changes do not put the deadline off
    change("Tram");
    QTimer *deadline = w.savePolicy()->deadlineTimer();
    QVERIFY(deadline->isActive());
    QCOMPARE(deadline->interval(), 60000);
    const int left = deadline->remainingTime();
    QTest::qWait(20);
    change("Ferry");
    QVERIFY(deadline->remainingTime() < left);
    QVERIFY(timer->isActive());
    deadline->start(1);
    QTRY_VERIFY(readAll(path).contains("TYPE=Ferry"));
    QVERIFY(!deadline->isActive());
}

void TestSessionSave::logOutWritesBookAndSettings()
{
    const QString path = makeBook(QStringLiteral("LogOut"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    QVERIFY(!w.descriptionPane()->isVisibleTo(&w));
    w.toggleComment();
    w.listView()->setCurrentItem(w.listView()->firstChild());
    QTest::keyClicks(w.descriptionPane(), QStringLiteral("late note"));

    QVERIFY(w.saveSession());
    QVERIFY(readAll(path).contains("DESC=late note"));
    QCOMPARE(setting("Options", "comment"), QStringLiteral("1"));
    QVERIFY(YMRDialog::takeScriptedBoxes().isEmpty());
}

YMR_TEST_MAIN(TestSessionSave)
#include "tst_sessionsave.moc"
