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

const QString AlarmTitle = QStringLiteral("^Expense Alarm$");

// What the user types: 80 letters and digits, one key every 0.15 s.
QString typedText()
{
    static const char keys[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString text;
    for (int i = 0; i < 80; ++i)
        text += QLatin1Char(keys[i % 36]);
    return text;
}

// Types on the real keyboard into whichever window has it.
bool type(const QString &text)
{
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("150"), text});
}

// The window that has the keyboard.
WId focused()
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).trimmed().toULongLong();
}

QString bookIn(const Program &program, const QString &title)
{
    return program.home() + QLatin1Char('/') + title + QStringLiteral(".exp");
}

// A book with one expense; with a reminder at when, its alarm message.
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

// The descriptions of the expenses in the book on disk.
QStringList descriptionsIn(const QString &path)
{
    TaskManager book(path);
    book.load();
    QStringList texts;
    for (PIMRecord *r : *book.records())
        texts << static_cast<Task *>(r)->description;
    return texts;
}

// Starts the copy that rings the reminders on its book "Trip" (F2: New
// Expense); its main window, 0 when it did not come. It holds the alarm
// list's lock, as the first copy on a home does.
WId startRinging(Program &program, const QDateTime &due, QByteArray *message)
{
    const QString book = bookIn(program, QStringLiteral("Trip"));
    *message = writeBook(book, due);
    {
        Config settings(program.settingsFile(), Config::File);
        settings.setGroup(QStringLiteral("Options"));
        settings.writeEntry(QStringLiteral("key_1"), QpeKeys::fromQtKey(Qt::Key_F2));
        settings.writeEntry(QStringLiteral("book"), book);
    }
    if (!program.start())
        return 0;
    const WId main = program.window(QStringLiteral("^Expense Book : Trip$"));
    const QString lock = program.home() + QStringLiteral("/Settings/alarms.lock");
    return main && waitFor([&] { return LockFile::look(lock).found == LockFile::Held; }) ? main : 0;
}

// A window of this test program, standing for another program's: the
// keyboard is there.
bool showNotes(QPlainTextEdit &notes)
{
    notes.setWindowTitle(QStringLiteral("Notes"));
    notes.resize(400, 300);
    notes.show();
    return placed(&notes)
           && xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                       QString::number(notes.winId())});
}

} // namespace

// Reminders of one copy of the program fall due while the user types into a
// window of another copy, or of another program: the alarm window comes,
// but every key stays where the user types.
class TestAlarmFocus : public QObject
{
    Q_OBJECT
private slots:
    void keysStayWhereTheyAreTyped_data();
    void keysStayWhereTheyAreTyped();
    void messageOnItsOwnLeavesTheKeys();
};

void TestAlarmFocus::keysStayWhereTheyAreTyped_data()
{
    QTest::addColumn<bool>("secondCopy");   // else a window of another program
    QTest::addColumn<bool>("minimised");    // the ringing copy's window, as it rings
    QTest::newRow("another copy's dialog") << true << false;
    QTest::newRow("another program's window") << false << false;
    QTest::newRow("another program's window, the ringing copy minimised") << false << true;
}

void TestAlarmFocus::keysStayWhereTheyAreTyped()
{
    QFETCH(bool, secondCopy);
    QFETCH(bool, minimised);
    // the copy that rings, on the book with the reminder; the moment of the
    // reminder is now, its alarm registered once the typing has begun
    Program ringing;
    const QDateTime due = AlarmServer::wholeSeconds(QDateTime::currentDateTime());
    QByteArray message;
    const WId ringingMain = startRinging(ringing, due, &message);
    QVERIFY(ringingMain);

    // the reminder brings it back
    if (minimised)
        QVERIFY(xdotool({QStringLiteral("windowminimize"), QStringLiteral("--sync"),
                         QString::number(ringingMain)}));

    // where the user types: the memo of New Expense in the second copy on
    // the same home (its own book), or a window of this test program
    Program second;
    second.shareHome(ringing);
    QPlainTextEdit notes;
    WId target = 0;
    if (secondCopy) {
        writeBook(bookIn(second, QStringLiteral("Home")));
        QVERIFY(second.start({bookIn(second, QStringLiteral("Home"))}));
        const WId main = second.window(QStringLiteral("^Expense Book : Home$"));
        QVERIFY(main);
        QVERIFY(pressKeysIn(main, {QStringLiteral("F2")}));
        target = second.window(QStringLiteral("^New Expense - Home$"));
        QVERIFY(target);
        // back from the amount to the tab bar, then the memo's tab: the
        // memo has the keyboard
        const QString back = QStringLiteral("shift+Tab");
        QVERIFY(pressKeysIn(target, {back, back, back, back, QStringLiteral("Right")}));
    } else {
        QVERIFY(showNotes(notes));
        target = notes.winId();
    }

    const QString text = typedText();
    QVERIFY(type(text.left(20)));
    {
        AlarmServer alarms(ringing.home() + QStringLiteral("/Settings"));
        QVERIFY(alarms.add(due, TaskManager::alarmChannel(), message, 0));
    }
    QVERIFY(type(text.mid(20, 20)));
    // the rest only once the alarm window is up, whenever it came
    const WId alarm = ringing.window(AlarmTitle);
    QVERIFY(alarm);
    if (minimised)
        QCOMPARE(ringing.window(QStringLiteral("^Expense Book : Trip$")), ringingMain);
    QVERIFY(type(text.mid(40)));
    const WId last = focused();

    // the user comes to it: a click on it (it is in front), or, back in
    // the other window, the window manager's switch (Alt+Tab: the window
    // it had the keyboard before)
    if (last == target) {
        // on its picture, away from its buttons
        const QSize size = placeOf(alarm).client.size();
        QVERIFY(click(alarm, QPoint(size.width() / 2, size.height() / 4)));
        QVERIFY(waitFor([&] { return focused() == alarm; }));
        QVERIFY(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                         QString::number(target)}));
        QCOMPARE(focused(), target);
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("alt+Tab")}));
        QVERIFY(waitFor([&] { return focused() == alarm; }));
    }

    QString received;
    if (secondCopy) {
        const QString title = QStringLiteral("^New Expense - Home$");
        QVERIFY(pressKeysIn(target, {QStringLiteral("ctrl+Return")}));
        QVERIFY(second.gone(title));
        second.process().terminate();
        QVERIFY(second.ended());
        // the book's other expense has no description
        received = descriptionsIn(bookIn(second, QStringLiteral("Home"))).join(QString());
    } else {
        received = notes.toPlainText();
    }
    const int reached = int(std::mismatch(text.begin(), text.end(), received.begin(),
                                          received.end()).first - text.begin());
    QVERIFY2(received == text,
             qPrintable(QStringLiteral("%1 of %2 keys typed reached the window typed into "
                                       "(\"%3\"); the keyboard ended %4")
                            .arg(reached).arg(text.size()).arg(received)
                            .arg(last == alarm ? QStringLiteral("in the alarm window")
                                               : last == target ? QStringLiteral("there")
                                                                : QStringLiteral("elsewhere"))));
    // the user, come to the alarm window, closes it: the list of due
    // reminders follows, with the keyboard
    QVERIFY(pressKeysIn(alarm, {QStringLiteral("Escape")}));
    const WId list = ringing.window(QStringLiteral("^1 Reminders$"));
    QVERIFY(list);
    QVERIFY(waitFor([&] { return focused() == list; }));
    ringing.process().terminate();
    QVERIFY(ringing.process().waitForFinished(WaitMs));
}

// A message the program puts up on its own, not at the user's key or click
// (its alarm list found emptied by another program while it runs), leaves
// the keys where they are typed as well; a click gives it the keyboard.
void TestAlarmFocus::messageOnItsOwnLeavesTheKeys()
{
    Program program;
    QByteArray message;
    QVERIFY(startRinging(program, QDateTime(), &message));
    QPlainTextEdit notes;
    QVERIFY(showNotes(notes));
    const QString text = typedText();
    QVERIFY(type(text.left(20)));
    writeFile(program.home() + QStringLiteral("/Settings/alarms"), QByteArray());
    QVERIFY(type(text.mid(20, 20)));
    const QString title = QStringLiteral("^ymrOutlays \\.\\.\\.$");
    const WId box = program.window(title);
    QVERIFY(box);
    QVERIFY(type(text.mid(40)));
    QCOMPARE(focused(), notes.winId());
    QCOMPARE(notes.toPlainText(), text);
    // on its text, away from its button
    const QSize size = placeOf(box).client.size();
    QVERIFY(click(box, QPoint(size.width() / 2, size.height() / 4)));
    QVERIFY(waitFor([&] { return focused() == box; }));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    QVERIFY(program.gone(title));
    program.process().terminate();
    QVERIFY(program.process().waitForFinished(WaitMs));
}

YMR_DESKTOP_TEST_MAIN(TestAlarmFocus)
#include "tst_alarmfocus.moc"
