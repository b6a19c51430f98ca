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
#include <QStandardPaths>

using namespace fixtures;
using namespace xdesktop;

namespace {

// What the user types, a key every 0.1 s: 10 keys, 10 while a window comes
// up on its own, the rest once it is there (the alarm's first sound holds
// its program some 2 s, and the keyboard was taken right after).
const QString Typed = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz01234567");
// Typed on once the list of due reminders has come.
const QString After = QStringLiteral("ABCDEFGHIJ");

bool type(const QString &text)
{
    return xdotool({"type", "--delay", "100", text});
}

// The window that has the keyboard.
WId focused()
{
    return run("xdotool", {"getwindowfocus"}).trimmed().toULongLong();
}

// The user switches to a window, the pointer left where it is: the
// manager's switch, else the focus set as such a switch sets it.
// Without sync, where the window passes the keyboard on (to the one it
// brings up).
bool switchTo(WId window, bool sync = true)
{
    const bool switches = manager() == Manager::Openbox || manager() == Manager::I3;
    QStringList args{switches ? "windowactivate" : "windowfocus", QString::number(window)};
    if (sync)
        args.insert(1, "--sync");
    return xdotool(args);
}

// Whether the window asks for attention: the urgency hint, or the state
// the manager keeps of it.
bool urgent(WId window)
{
    const QByteArray out = run("xprop", {"-id", QString::number(window), "WM_HINTS", "_NET_WM_STATE"});
    return out.contains("urgency") || out.contains("_NET_WM_STATE_DEMANDS_ATTENTION");
}

bool pointerIn(WId window)
{
    const QByteArray out = run("xdotool", {"getmouselocation", "--shell"});
    const auto value = [&out](const char *name) {
        const int at = out.indexOf(name);
        return at < 0 ? -1 : out.mid(at + int(qstrlen(name))).split('\n').value(0).toInt();
    };
    const Place p = placeOf(window);
    return QRect(p.frame, p.client.bottomRight()).contains(QPoint(value("X="), value("Y=")));
}

// A click on a window's upper middle, away from its buttons. twm moves the
// keyboard as it sees the pointer leave a window: the click waits for that,
// as a user's hand does, or twm, coming later, would undo what it gave.
bool clickOn(WId window)
{
    const QSize size = placeOf(window).client.size();
    const QPoint at(size.width() / 2, size.height() / 4);
    if (manager() == Manager::Twm) {
        const WId before = focused();
        if (!xdotool({"mousemove", "--window", QString::number(window), QString::number(at.x()),
                      QString::number(at.y())})
            || !waitFor([&] { return focused() != before; }))
            return false;
    }
    return click(window, at);
}

// Whether window a lies above window b (or their frames), whatever lies
// between: the server's tree lists the top first.
bool above(WId a, WId b)
{
    const QByteArray tree = run("xwininfo", {"-root", "-tree"});
    const auto at = [&](WId w) { return tree.indexOf("0x" + QByteArray::number(qulonglong(w), 16) + ' '); };
    return at(a) >= 0 && at(b) >= 0 && at(a) < at(b);
}

bool moveTo(WId window, const QPoint &at)
{
    return xdotool({"windowmove", "--sync", QString::number(window), QString::number(at.x()),
                    QString::number(at.y())});
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

// One session per window manager, and none: a reminder falls due while the
// user types into another copy's dialog (the ringing copy's window shown),
// one while the user types into another program's window (with a manager,
// the ringing copy minimised), then a message comes up on its own. They
// come, but every key stays where it is typed, also once the alarm window
// gives way to the list of due reminders; a click (or the manager's
// switch) gives them the keyboard.
class TestAlarmFocus : public QObject
{
    Q_OBJECT
private slots:
    void keysStayWhereTheyAreTyped_data();
    void keysStayWhereTheyAreTyped();
};

void TestAlarmFocus::keysStayWhereTheyAreTyped_data()
{
    QTest::addColumn<int>("wm");
    // the windows typed into moved away from the ringing copy's, or left
    // where they first come up, over it (0,0), the pointer there
    QTest::addColumn<bool>("apart");
    QTest::newRow("no window manager") << int(Manager::None) << true;
    QTest::newRow("twm, windows apart") << int(Manager::Twm) << true;
    QTest::newRow("twm, default placement") << int(Manager::Twm) << false;
    QTest::newRow("openbox") << int(Manager::Openbox) << true;
    // tiling: it lays them out side by side itself
    QTest::newRow("i3") << int(Manager::I3) << true;
}

void TestAlarmFocus::keysStayWhereTheyAreTyped()
{
    QFETCH(int, wm);
    QFETCH(bool, apart);
    if (Manager(wm) == Manager::Twm && QStandardPaths::findExecutable("twm").isEmpty())
        QSKIP("twm is not installed (scripts/deps.sh installs it)");
    if (Manager(wm) == Manager::I3 && QStandardPaths::findExecutable("i3").isEmpty())
        QSKIP("i3 is not installed (scripts/deps.sh installs it)");
    QVERIFY(useManager(Manager(wm)));
    const bool openbox = Manager(wm) == Manager::Openbox;
    const bool i3 = Manager(wm) == Manager::I3;
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

    // where the user types, the pointer there, away from the ringing copy's
    // screen: the memo of New Expense in a second copy on the same home
    // (its own book; back from the amount to the tab bar, then the memo's
    // tab), and a window of this test program
    Program second;
    second.shareHome(ringing);
    const QString home = second.home() + "/Home.exp";
    writeBook(home);
    QVERIFY(second.start({home}));
    const WId secondMain = second.window("^Expense Book : Home$");
    QVERIFY(secondMain && (!apart || moveTo(secondMain, QPoint(720, 0))) && pressKeysIn(secondMain, {"F2"}));
    const WId dialog = second.window("^New Expense - Home$");
    QVERIFY(dialog && pressKeysIn(dialog, {"shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "Right"}));
    QPlainTextEdit notes;
    notes.setWindowTitle("Notes");
    notes.setGeometry(apart ? QRect(720, 700, 400, 250) : QRect(0, 0, 400, 250));
    notes.show();
    QVERIFY(placed(&notes));

    for (const bool toNotes : {false, true}) {
        const WId target = toNotes ? notes.winId() : dialog;
        // minimised, out of sight (i3 keeps no minimised windows)
        const bool minimised = toNotes && Manager(wm) != Manager::None && !i3;
        if (minimised)
            QVERIFY(xdotool({"windowminimize", "--sync", QString::number(main)}));
        QVERIFY(giveKeyboard(target));
        QVERIFY(type(Typed.left(10)));
        QVERIFY(AlarmServer(ringing.home() + "/Settings").add(due, TaskManager::alarmChannel(), messages[toNotes], 0));
        QVERIFY(type(Typed.mid(10, 10)));
        // it rings: its window comes up away from the pointer, or, where
        // that would be under the pointer or out of sight, the main window
        // asks for attention. Nothing is raised or moved over the window
        // typed into
        WId alarm = 0;
        QVERIFY(waitFor([&] { return (alarm = ringing.shown("^Expense Alarm$")) || urgent(main); }));
        QVERIFY(type(Typed.mid(20)));
        QCOMPARE(focused(), target);
        if (!alarm)
            alarm = ringing.shown("^Expense Alarm$");
        QVERIFY(!alarm || !pointerIn(alarm));
        QVERIFY(!above(main, target));
        if (minimised || !apart)
            QVERIFY(!alarm);
        if (!alarm) {
            // the user goes to the program (twm: its icon manager maps the
            // minimised window): its window comes up then
            if (minimised && !openbox)
                QVERIFY(xdotool({"windowmap", "--sync", QString::number(main)}));
            QVERIFY(switchTo(main, false));
            alarm = ringing.window("^Expense Alarm$");
            QVERIFY(alarm);
        }
        // the user comes to it: a click, or from the window typed into the
        // manager's Alt+Tab
        QVERIFY(clickOn(alarm));
        QVERIFY(waitFor([&] { return focused() == alarm; }));
        if (openbox) {
            QVERIFY(switchTo(target));
            QCOMPARE(focused(), target);
            QVERIFY(xdotool({"key", "alt+Tab"}));
            QVERIFY(waitFor([&] { return focused() == alarm; }));
        }
        // back to typing, the pointer left there, the user switches to the
        // alarm window and closes it. The list of due reminders that follows
        // asks for no keyboard: with no manager, X gives it to the window
        // under the pointer; twm leaves it with none until the pointer
        // moves; openbox hands it back to the window the alarm window
        // belonged to, which passes it on to the list in front
        // (the pointer where the windows first come up: the list there
        // comes up under it, as the user asked for it)
        QVERIFY(giveKeyboard(target));
        QVERIFY(switchTo(alarm));
        QVERIFY(xdotool({"key", "Escape"}));
        const WId list = ringing.window("^1 Reminders$");
        QVERIFY(list);
        // in sight, above the main window
        QVERIFY(above(list, main));
        if (apart) {
            QVERIFY(type(After));
            if (!openbox && !i3)
                QVERIFY(focused() != list);
        }
        // (i3 hands the keyboard back to the window typed into)
        const QString received = Typed + (Manager(wm) == Manager::None || i3 ? After : QString());
        if (toNotes) {
            QCOMPARE(notes.toPlainText(), received);
        } else {
            QVERIFY(pressKeysIn(dialog, {"ctrl+Return"}));
            QVERIFY(second.gone("^New Expense - Home$"));
            second.process().terminate();
            QVERIFY(second.ended());
            // the book's other expense has no description
            TaskManager book(home);
            QVERIFY(book.load());
            QString descriptions;
            for (PIMRecord *r : *book.records())
                descriptions += static_cast<Task *>(r)->description;
            QCOMPARE(descriptions, received);
        }
        QVERIFY(pressKeysIn(list, {"Escape"}));
        QVERIFY(ringing.gone("^1 Reminders$"));
    }

    // a message on its own, not at the user's key or click: its alarm list
    // found emptied by another program while it runs
    notes.clear();
    QVERIFY(giveKeyboard(notes.winId()));
    QVERIFY(type(Typed.left(10)));
    const QString alarms = ringing.home() + "/Settings/alarms";
    QVERIFY(QFile::remove(alarms));
    writeFile(alarms, QByteArray());
    QVERIFY(type(Typed.mid(10, 10)));
    const QString title = "^ymrOutlays \\.\\.\\.$";
    WId box = 0;
    QVERIFY(waitFor([&] { return (box = ringing.shown(title)) || urgent(main); }));
    QVERIFY(type(Typed.mid(20, 30)));
    QCOMPARE(focused(), notes.winId());
    QCOMPARE(notes.toPlainText(), Typed.left(50));
    if (!box)
        box = ringing.shown(title);
    QVERIFY(!box || !pointerIn(box));
    if (!box) {
        QVERIFY(switchTo(main, false));
        box = ringing.window(title);
        QVERIFY(box);
    }
    QVERIFY(clickOn(box));
    QVERIFY(waitFor([&] { return focused() == box; }));
    QVERIFY(xdotool({"key", "Return"}));
    QVERIFY(ringing.gone(title));
    ringing.process().terminate();
    QVERIFY(ringing.process().waitForFinished(WaitMs));
}

YMR_DESKTOP_TEST_MAIN(TestAlarmFocus)
#include "tst_alarmfocus.moc"
