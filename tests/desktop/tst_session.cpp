#include "xdesktop.h"

#include "bookfixtures.h"

#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/config.h"
#include "qpe/qpekeys.h"

#include <csignal>

using namespace fixtures;
using namespace xdesktop;

namespace {

QString bookOf(const Program &program)
{
    return program.home() + QStringLiteral("/Trip.exp");
}

// amount: description of each expense in the book on disk
QStringList expensesIn(const QString &book)
{
    TaskManager store(book);
    store.load();
    QStringList expenses;
    for (PIMRecord *r : *store.records()) {
        const auto *t = static_cast<Task *>(r);
        expenses << t->amount + QLatin1Char(':') + t->description;
    }
    return expenses;
}

// What the program's settings hold in the group "Options".
QString option(const Program &program, const char *key)
{
    Config settings(program.settingsFile(), Config::File);
    settings.setGroup(QStringLiteral("Options"));
    return settings.readEntry(QLatin1String(key));
}

// Starts the program on its book "Trip", the description pane shown: F2 is
// bound to a new expense, F3 to the find, F4 to the pane (function keys
// reach the window from the pane too). Its main window, 0 when it did not
// come. On a full disk the book cannot be locked, which the program says as
// the book opens: that message is answered first.
WId start(Program &program, bool fullDisk = false)
{
    writeFile(bookOf(program), QByteArray("FOLDER\nEND\n"));
    {
        Config settings(program.settingsFile(), Config::File);
        settings.setGroup(QStringLiteral("Options"));
        settings.writeEntry(QStringLiteral("key_1"), QpeKeys::fromQtKey(Qt::Key_F2));
        settings.writeEntry(QStringLiteral("key_5"), QpeKeys::fromQtKey(Qt::Key_F3));
        settings.writeEntry(QStringLiteral("key_8"), QpeKeys::fromQtKey(Qt::Key_F4));
        settings.writeEntry(QStringLiteral("comment"), true);
        // the last book, opened at start
        settings.writeEntry(QStringLiteral("book"), bookOf(program));
    }
    if (!program.start())
        return 0;
    if (fullDisk) {
        const QString notice = QStringLiteral("^ymrOutlays \\.\\.\\.$");
        const WId box = program.window(notice);
        if (!box || !pressKeysIn(box, {QStringLiteral("Return")}) || !program.gone(notice))
            return 0;
    }
    return program.window(QStringLiteral("^Expense Book : Trip$"));
}

// A new expense of that amount through the record dialog, as typed; then
// the pane shows its description and has the keyboard, as after a click.
bool addExpense(Program &program, WId main, const QString &amount)
{
    const QString title = QStringLiteral("^New Expense - Trip$");
    // the amount has the keyboard; Ctrl+Return is the device's OK
    const QStringList keys =
        amount.split(QString(), Qt::SkipEmptyParts) << QStringLiteral("ctrl+Return");
    WId dialog = 0;
    if (!pressKeysIn(main, {QStringLiteral("F2")}) || !(dialog = program.window(title))
        || !pressKeysIn(dialog, keys) || !program.gone(title))
        return false;
    // the pane lies along the window's bottom edge
    const QSize size = placeOf(main).client.size();
    return click(main, QPoint(size.width() / 2, size.height() - 8));
}

} // namespace

// The program itself on a desktop: however its session ends (the window
// manager closes it, a log-out's signal, kill -9 after a few quiet
// seconds), what the user typed is on disk.
class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void endingSavesEverything_data();
    void endingSavesEverything();
    void killAfterTheIdleSaveLosesNothing();
    void fullDiskAsksAtCloseAndFailsTheExit();
    void typedBarLeavesTheKeysToTheField();
    void typedExpenseAtTheEnd_data();
    void typedExpenseAtTheEnd();
    void commandLineOnAFirstStart_data();
    void commandLineOnAFirstStart();
};

void TestSession::endingSavesEverything_data()
{
    QTest::addColumn<int>("number");   // the signal, 0 for none
    QTest::newRow("window manager") << 0;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestSession::endingSavesEverything()
{
    QFETCH(int, number);
    Program program;
    const WId main = start(program);
    QVERIFY(main);
    QVERIFY(addExpense(program, main, QStringLiteral("42")));
    // the last input: a description, then the pane hidden
    const QStringList late{"l", "a", "t", "e", "F4"};
    if (number == 0) {
        // the manager closes the window right after it, as its close button
        // does: no save after a quiet while comes between
        QVERIFY(pressKeysIn(main, late + QStringList{"alt+F4"}));
    } else {
        // the find is up over the book right after it, before the few quiet
        // seconds of a save have passed; the signal closes it
        QVERIFY(pressKeysIn(main, late + QStringList{"F3"}));
        QVERIFY(program.window(QStringLiteral("^Filter Editor$")));
        QVERIFY(::kill(pid_t(program.process().processId()), number) == 0);
    }
    QVERIFY(program.ended());
    QCOMPARE(expensesIn(bookOf(program)), QStringList{"42:late"});
    // the window's own settings went out with it
    QCOMPARE(option(program, "comment"), QStringLiteral("0"));
    QCOMPARE(option(program, "book"), bookOf(program));
}

void TestSession::killAfterTheIdleSaveLosesNothing()
{
    Program program;
    const WId main = start(program);
    QVERIFY(main);
    QVERIFY(addExpense(program, main, QStringLiteral("7")));
    QVERIFY(addExpense(program, main, QStringLiteral("8")));
    // a few seconds after the last change the book is on disk
    const QStringList both{"7:", "8:"};
    QVERIFY(waitFor([&] { return expensesIn(bookOf(program)) == both; }));
    program.process().kill();
    QVERIFY(program.process().waitForFinished(WaitMs));
    QCOMPARE(expensesIn(bookOf(program)), both);
}

void TestSession::fullDiskAsksAtCloseAndFailsTheExit()
{
    Program program;
    program.m_keepErrors = true;
    // every file it replaces finds the disk full
    qputenv("YMR_SPACE_LEFT", "0");
    const WId main = start(program, true);
    qunsetenv("YMR_SPACE_LEFT");
    QVERIFY(main);
    QVERIFY(addExpense(program, main, QStringLiteral("42")));
    // closing asks; Escape keeps the program and its change
    QVERIFY(pressKeysIn(main, {QStringLiteral("alt+F4")}));
    const QString question = QStringLiteral("^ymrOutlays \\.\\.\\.$");
    const WId box = program.window(question);
    QVERIFY(box);
    QVERIFY(pressKeysIn(box, {QStringLiteral("Escape")}));
    QVERIFY(program.gone(question));
    QCOMPARE(program.process().state(), QProcess::Running);
    // a signal: nobody to ask, so the exit fails and says why
    QVERIFY(::kill(pid_t(program.process().processId()), SIGTERM) == 0);
    QVERIFY(waitFor([&] { return program.process().state() == QProcess::NotRunning; }));
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QVERIFY(program.process().exitCode() != 0);
    const QByteArray errors = program.process().readAllStandardError();
    QVERIFY2(errors.contains("[Trip]") && errors.contains("no space"), errors.constData());
    QVERIFY(!expensesIn(bookOf(program)).contains(QStringLiteral("42:")));
}

// "|" is refused where it is typed, and the keys after it stay in the field:
// no box comes up to take them.
void TestSession::typedBarLeavesTheKeysToTheField()
{
    Program program;
    const WId main = start(program);
    QVERIFY(main);
    QVERIFY(addExpense(program, main, QStringLiteral("9")));
    QVERIFY(pressKeysIn(main, {"A", "bar", "B", "Return", "l", "i", "n", "e", "space", "t",
                               "w", "o", "alt+F4"}));
    QVERIFY(program.ended());
    QCOMPARE(expensesIn(bookOf(program)), QStringList{"9:AB\nline two"});
}

// A signal ends the session while New Expense is open: what was typed
// there is not in the book, and the exit says so (status 1, the dialog on
// standard error); a dialog with nothing typed loses nothing.
void TestSession::typedExpenseAtTheEnd_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::newRow("an amount typed") << QStringList{"4", "2"};
    QTest::newRow("nothing typed") << QStringList{};
}

void TestSession::typedExpenseAtTheEnd()
{
    QFETCH(QStringList, typed);
    Program program;
    program.m_keepErrors = true;
    const WId main = start(program);
    QVERIFY(main);
    QVERIFY(pressKeysIn(main, {QStringLiteral("F2")}));
    const WId dialog = program.window(QStringLiteral("^New Expense - Trip$"));
    QVERIFY(dialog);
    if (!typed.isEmpty())
        QVERIFY(pressKeysIn(dialog, typed));
    QVERIFY(::kill(pid_t(program.process().processId()), SIGTERM) == 0);
    QVERIFY(waitFor([&] { return program.process().state() == QProcess::NotRunning; }));
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    const QByteArray errors = program.process().readAllStandardError();
    QCOMPARE(program.process().exitCode(), typed.isEmpty() ? 0 : 1);
    QCOMPARE(errors.contains("New Expense - Trip"), !typed.isEmpty());
    QVERIFY(expensesIn(bookOf(program)).isEmpty());
}

// A fresh home and a file named on the command line: a book opens at once;
// anything else is refused by a message lying above the window, and the
// books dialog comes only once it is answered.
void TestSession::commandLineOnAFirstStart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("book");
    QTest::newRow("book") << QByteArray("FOLDER\nEND\n") << true;
    QTest::newRow("not a book") << QByteArray("shopping list\nmilk\n") << false;
}

void TestSession::commandLineOnAFirstStart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, book);
    Program program;
    const QString file = program.home() + QStringLiteral("/given/Valid.exp");
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    writeFile(file, bytes);
    QVERIFY(program.start({file}));
    const QString books = QStringLiteral("^(Expense Books|Select Expense Book)$");
    if (book) {
        QVERIFY(program.window(QStringLiteral("^Expense Book : Valid$")));
        QTest::qWait(1500);   // the books dialog came after 400 ms
        QVERIFY(program.gone(books));
        QCOMPARE(option(program, "book"), file);
    } else {
        const WId box = program.window(QStringLiteral("^ymrOutlays \\.\\.\\.$"));
        QVERIFY(box);
        QTest::qWait(1500);
        QVERIFY(program.gone(books));
        QCOMPARE(run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed(),
                 QByteArray::number(qulonglong(box)));
        QVERIFY(pressKeysIn(box, {QStringLiteral("Return")}));
        QVERIFY(program.window(books));
        QVERIFY(option(program, "book").isEmpty());
    }
    program.process().terminate();
    QVERIFY(program.process().waitForFinished(WaitMs));
}

YMR_DESKTOP_TEST_MAIN(TestSession)
#include "tst_session.moc"
