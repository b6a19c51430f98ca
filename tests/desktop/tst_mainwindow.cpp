// ymr-test-screens: 240x320 480x640
#include "xdesktop.h"

#include "modaldriver.h"
#include "openbook.h"

#include "alert.h"
#include "alertdialog.h"
#include "pim/pimreminder.h"
#include "qpe/qcopchannel.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrlistbox.h"
#include "qt/ymrpushbutton.h"

#include <QScopeGuard>

using namespace fixtures;
using namespace xdesktop;
using namespace ymrtest;

// The program on a desktop, its main window moved away from the screen's
// corner: where its windows and pop-ups open and what an alarm does to the
// main window.
class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void framedOnTheScreenAndMoved();
    void comboListOpensAtItsBox();
    void alarmKeepsTheWindowsSizeAndPlace();
    void cleanupTestCase() { delete m_window; }

private:
    // Where a widget inside a window is, by the server's place of the window.
    static QRect onScreen(QWidget *w)
    {
        return QRect(placeOf(w->window()).client.topLeft() + w->mapTo(w->window(), QPoint()),
                     w->size());
    }

    ToDoWindow *m_window = nullptr;
};

void TestMainWindow::initTestCase()
{
    qputenv("LANG", "en");
    setSetting("Options", "book",
               makeBook(QStringLiteral("Household"),
                        {{"Taxi", "12.50", "Berlin", "to the station", QDate(2026, 3, 1)}}));
    m_window = new ToDoWindow;
    ymrApp->showMainDocumentWidget(m_window);
    QVERIFY(waitFor([this] { return m_window->manager() != nullptr; }));
    QVERIFY(placed(m_window));
}

void TestMainWindow::framedOnTheScreenAndMoved()
{
    // the whole frame, title bar and its close button included, at the corner
    const Place at = placeOf(m_window);
    QCOMPARE(at.frame, screenOf(m_window).topLeft());
    QVERIFY(at.frame.y() < at.client.top());
    QCOMPARE(at.client, QPEApplication::screenRect());

    // the emulated screen goes where the user moves the window
    m_window->move(600, 100);
    QVERIFY(waitFor([this] {
        const Place p = placeOf(m_window);
        return p.frame.x() >= 590 && p.frame.y() >= 80 && p.client == QPEApplication::screenRect();
    }));
}

void TestMainWindow::comboListOpensAtItsBox()
{
    bool checked = false;
    whenModalShown([&](QDialog *d) {
        const auto close = qScopeGuard([d] { d->reject(); });
        QVERIFY(placed(d));
        auto *box = d->findChild<YMRComboBox *>(QStringLiteral("type"));
        QVERIFY(box);
        QTest::mousePress(box, Qt::LeftButton);
        YMRListBox *list = box->listBox();
        QVERIFY(placed(list));
        const QRect at = onScreen(box);
        const QRect shown = placeOf(list).client;
        QTest::keyClick(list, Qt::Key_Escape);
        // one pixel below the box or above it, inside both screens
        QVERIFY2(shown.top() == at.bottom() + 2 || shown.bottom() == at.top() - 2,
                 qPrintable(QStringLiteral("box at %1,%2, its list at %3,%4")
                                .arg(at.x()).arg(at.y()).arg(shown.x()).arg(shown.y())));
        QCOMPARE(shown.left(), at.left());
        QVERIFY(QPEApplication::screenRect().contains(shown));
        QVERIFY(screenOf(box).contains(shown));
        // the dialog itself covers the main window
        QCOMPARE(placeOf(d).client, QPEApplication::screenRect());
        checked = true;
    });
    trigger(*m_window, "new");
    QVERIFY(checked);
}

void TestMainWindow::alarmKeepsTheWindowsSizeAndPlace()
{
    const Place main = placeOf(m_window);
    // the key pressed at once into the alarm window is meant for it here
    Alert::setKeyRest(0);
    const auto restAgain = qScopeGuard([] { Alert::setKeyRest(-1); });
    // the second time, the alarm window is made while the list of due
    // reminders, its parent, is hidden
    for (int round = 1; round <= 2; ++round) {
        auto *task = static_cast<Task *>(m_window->manager()->first());
        task->reminder = new PIMReminder;
        task->reminder->dateTime = QDateTime::currentDateTime();
        // what the user does in each window, checked to have happened
        bool rang = false;
        bool listed = false;
        const auto closed = [](QWidget *w) { return waitFor([w] { return !w->isVisible(); }); };
        // a failed step leaves no window open to block the next
        const auto giveUp = [](QWidget *w) { return qScopeGuard([w] { ymrtest::giveUp(w); }); };
        ModalDriver driver;
        driver.expect("Alert", [&](QWidget *alert) {
            const auto close = giveUp(alert);
            QVERIFY(placed(alert));
            // the window manager framed the alarm after it saw the main
            // window raised: a maximised main window would be so by now
            const Place now = placeOf(m_window);
            QCOMPARE(now.client, main.client);
            QCOMPARE(now.frame, main.frame);
            QCOMPARE(placeOf(alert).client, main.client);
            // kept above the window it blocks
            QCOMPARE(transientFor(alert), m_window->winId());
            rang = pressKeysIn(alert->winId(), {QStringLiteral("Escape")}) && closed(alert);
        });
        driver.expect("AlertDialog", [&](QWidget *dialog) {
            const auto close = giveUp(dialog);
            QVERIFY(placed(dialog));
            QCOMPARE(placeOf(m_window).client, main.client);
            QCOMPARE(placeOf(dialog).client, main.client);
            QCOMPARE(transientFor(dialog), m_window->winId());
            // in front of the window it blocks: the real mouse reaches it
            auto *all = dialog->findChild<YMRPushButton *>(QStringLiteral("PushButton1"));
            QVERIFY(all);
            listed = click(dialog->winId(), all->mapTo(dialog, all->rect().center()))
                     && closed(dialog);
        });
        QCopChannel::send("QPE/Application/ymrOutlays", TaskManager::alarmMessage(task),
                          QByteArray());
        QVERIFY(waitFor([&] {
            return driver.pending() == 0 && !QApplication::activeModalWidget();
        }));
        QVERIFY2(rang && listed, qPrintable(QString::number(round)));
        QCOMPARE(driver.unexpected, QStringList());
        // "Dismiss All" took it
        QVERIFY(!task->reminder);
    }
}

YMR_DESKTOP_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
