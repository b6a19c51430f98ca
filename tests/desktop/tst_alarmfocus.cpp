#include "xdesktop.h"

#include "bookfixtures.h"

#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/alarmserver.h"
#include "qpe/config.h"
#include "qpe/lockfile.h"
#include "qpe/qpekeys.h"

#include <QPlainTextEdit>

using namespace fixtures;
using namespace xdesktop;

namespace {

// What the user types, a key every 0.15 s: 20 keys, then 20 while a window
// comes up on its own, the rest once it is there.
const QString Typed = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefgh");

bool type(const QString &text)
{
    return xdotool({"type", "--delay", "150", text});
}

// The window that has the keyboard.
WId focused()
{
    return run("xdotool", {"getwindowfocus"}).trimmed().toULongLong();
}

bool activate(WId window)
{
    return xdotool({"windowactivate", "--sync", QString::number(window)});
}

// A click on a window's upper middle, away from its buttons.
bool clickOn(WId window)
{
    const QSize size = placeOf(window).client.size();
    return click(window, QPoint(size.width() / 2, size.height() / 4));
}

// An expense added to a book; with a reminder at when, its alarm message.
QByteArray writeBook(const QString &path, const QDateTime &when = QDateTime())
{
    TaskManager book(path);
    book.load();
    auto *t = new Task(&book);
    t->type = QStringLiteral("Taxi");
    t->amount = QStringLiteral("12.50");
    t->date = QDate(2026, 3, 1);
    if (when.isValid()) {
        t->reminder = new PIMReminder;
        t->reminder->dateTime = when;
        t->reminder->sound = true;
    }
    book.addRecord(t);
    book.forceSave();
    return TaskManager::alarmMessage(t);
}

} // namespace

// One session: a reminder falls due while the user types into another
// copy's dialog (the ringing copy's window shown), one while the user types
// into another program's window (it minimised), then a message comes up on
// its own. They come, but every key stays where it is typed; a click or
// Alt+Tab gives them the keyboard, and the list of due reminders after the
// alarm window keeps it.
class TestAlarmFocus : public QObject
{
    Q_OBJECT
private slots:
    void keysStayWhereTheyAreTyped();
};

void TestAlarmFocus::keysStayWhereTheyAreTyped()
{
    // the copy that rings, on its book "Trip" (F2: New Expense), holding the
    // alarm list's lock; each alarm, due now, registered amid the typing
    Program ringing;
    const QString trip = ringing.home() + "/Trip.exp";
    const QDateTime due = AlarmServer::wholeSeconds(QDateTime::currentDateTime());
    const QByteArray messages[] = {writeBook(trip, due), writeBook(trip, due)};
    {
        Config settings(ringing.settingsFile(), Config::File);
        settings.setGroup("Options");
        settings.writeEntry("key_1", QpeKeys::fromQtKey(Qt::Key_F2));
        settings.writeEntry("book", trip);
    }
    QVERIFY(ringing.start());
    const WId main = ringing.window("^Expense Book : Trip$");
    QVERIFY(main);
    QVERIFY(waitFor([&] { return LockFile::look(ringing.home() + "/Settings/alarms.lock").found == LockFile::Held; }));

    // where the user types: the memo of New Expense in a second copy on the
    // same home (its own book; back from the amount to the tab bar, then the
    // memo's tab), and a window of this test program
    Program second;
    second.shareHome(ringing);
    const QString home = second.home() + "/Home.exp";
    writeBook(home);
    QVERIFY(second.start({home}));
    const WId secondMain = second.window("^Expense Book : Home$");
    QVERIFY(secondMain && pressKeysIn(secondMain, {"F2"}));
    const WId dialog = second.window("^New Expense - Home$");
    QVERIFY(dialog && pressKeysIn(dialog, {"shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "Right"}));
    QPlainTextEdit notes;
    notes.setWindowTitle("Notes");
    notes.resize(400, 300);
    notes.show();
    QVERIFY(placed(&notes));

    for (const bool minimised : {false, true}) {
        const WId target = minimised ? notes.winId() : dialog;
        if (minimised)
            QVERIFY(xdotool({"windowminimize", "--sync", QString::number(main)}));
        QVERIFY(activate(target));
        QVERIFY(type(Typed.left(20)));
        QVERIFY(AlarmServer(ringing.home() + "/Settings").add(due, TaskManager::alarmChannel(), messages[minimised], 0));
        QVERIFY(type(Typed.mid(20, 20)));
        const WId alarm = ringing.window("^Expense Alarm$");
        QVERIFY(alarm);
        // the reminder brings the main window back
        QCOMPARE(ringing.window("^Expense Book : Trip$"), main);
        QVERIFY(type(Typed.mid(40)));
        QCOMPARE(focused(), target);
        // the user comes to it: a click, or from the window typed into Alt+Tab
        QVERIFY(clickOn(alarm));
        QVERIFY(waitFor([&] { return focused() == alarm; }));
        QVERIFY(activate(target));
        QCOMPARE(focused(), target);
        QVERIFY(xdotool({"key", "alt+Tab"}));
        QVERIFY(waitFor([&] { return focused() == alarm; }));
        if (minimised) {
            QCOMPARE(notes.toPlainText(), Typed);
        } else {
            QVERIFY(pressKeysIn(dialog, {"ctrl+Return"}));
            QVERIFY(second.gone("^New Expense - Home$"));
            second.process().terminate();
            QVERIFY(second.ended());
            // the book's other expense has no description
            TaskManager book(home);
            QVERIFY(book.load());
            QString received;
            for (PIMRecord *r : *book.records())
                received += static_cast<Task *>(r)->description;
            QCOMPARE(received, Typed);
        }
        // closed, it is followed by the list of due reminders, with the keyboard
        QVERIFY(pressKeysIn(alarm, {"Escape"}));
        const WId list = ringing.window("^1 Reminders$");
        QVERIFY(list);
        QVERIFY(waitFor([&] { return focused() == list; }));
        QVERIFY(pressKeysIn(list, {"Escape"}));
        QVERIFY(ringing.gone("^1 Reminders$"));
    }

    // a message on its own, not at the user's key or click: its alarm list
    // found emptied by another program while it runs
    notes.clear();
    QVERIFY(activate(notes.winId()));
    QVERIFY(type(Typed.left(20)));
    const QString alarms = ringing.home() + "/Settings/alarms";
    QVERIFY(QFile::remove(alarms));
    writeFile(alarms, QByteArray());
    QVERIFY(type(Typed.mid(20, 20)));
    const QString title = "^ymrOutlays \\.\\.\\.$";
    const WId box = ringing.window(title);
    QVERIFY(box);
    QVERIFY(type(Typed.mid(40)));
    QCOMPARE(focused(), notes.winId());
    QCOMPARE(notes.toPlainText(), Typed);
    QVERIFY(clickOn(box));
    QVERIFY(waitFor([&] { return focused() == box; }));
    QVERIFY(xdotool({"key", "Return"}));
    QVERIFY(ringing.gone(title));
    ringing.process().terminate();
    QVERIFY(ringing.process().waitForFinished(WaitMs));
}

YMR_DESKTOP_TEST_MAIN(TestAlarmFocus)
#include "tst_alarmfocus.moc"
