#include "ymrtest.h"

#include "openbook.h"

#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qt/ymrdialog.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <csignal>

using namespace fixtures;

namespace {

// xdotool on the private display; its output (never null), or a null text
// when it failed.
QByteArray xdotool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QByteArray();
    return p.readAllStandardOutput() + ' ';
}

// The id of the shown window of that title, empty when there is none.
QByteArray windowId(const QString &title)
{
    return xdotool({"search", "--onlyvisible", "--name", title}).split('\n').at(0).trimmed();
}

// Waits until the window is shown and gives it the keyboard; false when it
// never came.
bool focus(const QString &title)
{
    QByteArray id;
    if (!QTest::qWaitFor([&] { return !(id = windowId(title)).isEmpty(); }, 30000)) {
        qWarning("no window \"%s\" among: %s", qPrintable(title),
                 xdotool({"search", "--onlyvisible", "--name", ".", "getwindowname", "%@"}).constData());
        return false;
    }
    return !xdotool({"windowfocus", "--sync", QString::fromLatin1(id)}).isNull();
}

bool gone(const QString &title)
{
    return QTest::qWaitFor([&] { return windowId(title).isEmpty(); }, 30000);
}

void keys(const QStringList &names)
{
    xdotool(QStringList{"key", "--delay", "50"} + names);
}

QStringList amountsIn(const QString &book)
{
    TaskManager store(book);
    store.load();
    QStringList amounts;
    for (PIMRecord *r : *store.records())
        amounts << static_cast<Task *>(r)->amount;
    return amounts;
}

} // namespace

// Nothing typed is lost when the session ends or the program is killed:
// the open book is saved after a few idle seconds, on a log-out and on the
// signals that end a session.
class TestSessionSave : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { m_display.kill(); m_display.waitForFinished(); }
    void cleanup() { YMRDialog::stopScript(); }
    void idleSaveAfterTheLastChange();
    void logOutWritesBookAndSettings();
    void signalEndsTheProgramWithAllSaved_data();
    void signalEndsTheProgramWithAllSaved();
    void killAfterTheIdleSaveLosesNothing();

private:
    // The program on a fresh home with the book "Trip": "n" is bound to a
    // new expense, "f" to the find, "d" to the description pane.
    bool startProgram(QProcess &program, QString &book);
    // A new expense of that amount through the record dialog, as typed.
    void addExpense(const char *amount);

    // Xvfb: the program runs on it as on a desktop, driven with xdotool as
    // by a user's keyboard
    QProcess m_display;
    QString m_noDisplay;
    QTemporaryDir m_home;
};

void TestSessionSave::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        m_noDisplay = QStringLiteral("Xvfb or xdotool is not installed");
        return;
    }
    // the server picks a free display and says which on its output
    m_display.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp"});
    QByteArray said;
    while (!said.contains('\n') && m_display.waitForReadyRead(20000))
        said += m_display.readAllStandardOutput();
    QVERIFY2(said.contains('\n'), "Xvfb gave no display");
    // for xdotool and the program; this process stays off screen
    qputenv("DISPLAY", ':' + said.trimmed());
}

void TestSessionSave::idleSaveAfterTheLastChange()
{
    const QString path = makeBook(QStringLiteral("Idle"), {{"Taxi", "3", "", "", QDate()}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, path));
    QTimer *timer = w.idleSaveTimer();
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

    // never while a dialog is up: it may hold a record of the book
    change("Tram");
    ymrtest::whenModalShown([&](QDialog *d) {
        QTest::qWait(50);
        QVERIFY(!readAll(path).contains("TYPE=Tram"));
        QVERIFY(timer->isActive());
        d->reject();
    });
    trigger(w, "new");
    QTRY_VERIFY(readAll(path).contains("TYPE=Tram"));
    QVERIFY(!w.manager()->isDirty());
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

bool TestSessionSave::startProgram(QProcess &program, QString &book)
{
    static int run = 0;
    const QString home = m_home.path() + QLatin1Char('/') + QString::number(++run);
    book = home + QStringLiteral("/Trip.exp");
    QDir().mkpath(home);
    writeFile(book, QByteArray());
    {
        QSettings settings(home + QStringLiteral("/Settings/ymrOutlays.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Options/key_1"), int(Qt::Key_N));
        settings.setValue(QStringLiteral("Options/key_5"), int(Qt::Key_F));
        settings.setValue(QStringLiteral("Options/key_8"), int(Qt::Key_D));
        // the last book, opened at start
        settings.setValue(QStringLiteral("Options/book"), book);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QPE_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("en"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/ymroutlays"),
                  QStringList());
    return program.waitForStarted() && focus(QStringLiteral("^Expense Book : Trip$"));
}

void TestSessionSave::addExpense(const char *amount)
{
    QVERIFY(focus(QStringLiteral("^Expense Book : Trip$")));
    keys({"n"});
    // the amount has the keyboard; Ctrl+Return is the device's OK
    QVERIFY(focus(QStringLiteral("^New Expense - Trip$")));
    xdotool({"type", "--delay", "50", QLatin1String(amount)});
    keys({"ctrl+Return"});
    QVERIFY(gone(QStringLiteral("^New Expense - Trip$")));
}

void TestSessionSave::signalEndsTheProgramWithAllSaved_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestSessionSave::signalEndsTheProgramWithAllSaved()
{
    if (!m_noDisplay.isEmpty())
        QSKIP(qPrintable(m_noDisplay));
    QFETCH(int, number);
    QProcess program;
    QString book;
    QVERIFY(startProgram(program, book));
    const QString settings = QFileInfo(book).path() + QStringLiteral("/Settings/ymrOutlays.conf");
    keys({"d"});
    addExpense("42");
    // the find is up over the book when the session ends: no idle save
    // comes between
    QVERIFY(focus(QStringLiteral("^Expense Book : Trip$")));
    keys({"f"});
    QVERIFY(focus(QStringLiteral("^Filter Editor$")));
    if (amountsIn(book).contains(QStringLiteral("42")))
        QSKIP("the idle save ran before the find was up (a very slow machine)");

    QVERIFY(::kill(pid_t(program.processId()), number) == 0);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(amountsIn(book), QStringList{"42"});
    // the window's own setting went out with it
    QSettings written(settings, QSettings::IniFormat);
    QVERIFY(written.value(QStringLiteral("Options/comment")).toBool());
    QCOMPARE(written.value(QStringLiteral("Options/book")).toString(), book);
}

void TestSessionSave::killAfterTheIdleSaveLosesNothing()
{
    if (!m_noDisplay.isEmpty())
        QSKIP(qPrintable(m_noDisplay));
    QProcess program;
    QString book;
    QVERIFY(startProgram(program, book));
    addExpense("7");
    addExpense("8");
    // a few seconds after the last change the book is on disk
    QTRY_COMPARE_WITH_TIMEOUT(amountsIn(book), QStringList({"7", "8"}), 30000);
    program.kill();
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(amountsIn(book), QStringList({"7", "8"}));
}

YMR_TEST_MAIN(TestSessionSave)
#include "tst_sessionsave.moc"
