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

// A private X display (Xvfb) on which the program runs as on a desktop,
// driven with xdotool as a user's keyboard would.
class Desktop
{
public:
    ~Desktop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }

    // Empty when it runs, else why not.
    QString start()
    {
        for (const char *tool : {"Xvfb", "xdotool"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                return QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
        }
        // the server picks a free display and says which on its output
        m_server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "800x700x24",
                                                "-nolisten", "tcp"});
        if (!m_server.waitForStarted())
            return QStringLiteral("Xvfb did not start");
        QByteArray said;
        while (!said.contains('\n') && m_server.waitForReadyRead(20000))
            said += m_server.readAllStandardOutput();
        if (!said.contains('\n'))
            return QStringLiteral("Xvfb gave no display");
        m_display = QLatin1Char(':') + QString::fromLatin1(said.trimmed());
        return QString();
    }

    // The program with its own home, on this display.
    void launch(QProcess &program, const QString &home) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QPE_HOME"), home);
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("en"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/ymroutlays"),
                      QStringList());
    }

    // xdotool with these arguments; its output, or a null text when it failed.
    QByteArray tool(const QStringList &args) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return QByteArray();
        }
        const QByteArray out = p.readAllStandardOutput();
        return p.exitCode() == 0 ? out + ' ' : QByteArray();
    }

    // The shown window whose title matches, given the keyboard; its id.
    QByteArray focus(const QString &title) const
    {
        QByteArray id;
        const bool shown = QTest::qWaitFor([&] {
            id = tool({"search", "--onlyvisible", "--name", title}).trimmed();
            return !id.isEmpty();
        }, 30000);
        if (!shown) {
            qWarning("no window \"%s\"; shown: %s", qPrintable(title),
                     tool({"search", "--onlyvisible", "--name", ".", "getwindowname", "%@"}).constData());
            return QByteArray();
        }
        id = id.split('\n').value(0);
        tool({"windowfocus", "--sync", QString::fromLatin1(id)});
        return id;
    }

    bool gone(const QString &title) const
    {
        return QTest::qWaitFor([&] {
            return tool({"search", "--onlyvisible", "--name", title}).isNull();
        }, 30000);
    }

    // Keys as xdotool names them, typed into the focused window.
    void keys(const QStringList &names) const { tool(QStringList{"key", "--delay", "50"} + names); }

private:
    QProcess m_server;
    QString m_display;
};

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

    Desktop m_desktop;
    QString m_noDesktop;
    QTemporaryDir m_home;
};

void TestSessionSave::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
    m_noDesktop = m_desktop.start();
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
    QDir().mkpath(home + QStringLiteral("/Settings"));
    {
        QFile f(book);
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    {
        QSettings settings(home + QStringLiteral("/Settings/ymrOutlays.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Options/key_1"), int(Qt::Key_N));
        settings.setValue(QStringLiteral("Options/key_5"), int(Qt::Key_F));
        settings.setValue(QStringLiteral("Options/key_8"), int(Qt::Key_D));
        // the last book, opened at start
        settings.setValue(QStringLiteral("Options/book"), book);
    }
    m_desktop.launch(program, home);
    return program.waitForStarted() && !m_desktop.focus(QStringLiteral("^Expense Book : Trip$")).isEmpty();
}

void TestSessionSave::addExpense(const char *amount)
{
    QVERIFY(!m_desktop.focus(QStringLiteral("^Expense Book : Trip$")).isEmpty());
    m_desktop.keys({"n"});
    // the amount has the keyboard; Ctrl+Return is the device's OK
    QVERIFY(!m_desktop.focus(QStringLiteral("^New Expense - Trip$")).isEmpty());
    m_desktop.tool({"type", "--delay", "50", QLatin1String(amount)});
    m_desktop.keys({"ctrl+Return"});
    QVERIFY(m_desktop.gone(QStringLiteral("^New Expense - Trip$")));
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
    if (!m_noDesktop.isEmpty())
        QSKIP(qPrintable(m_noDesktop));
    QFETCH(int, number);
    QProcess program;
    QString book;
    QVERIFY(startProgram(program, book));
    const QString settings = QFileInfo(book).path() + QStringLiteral("/Settings/ymrOutlays.conf");
    m_desktop.keys({"d"});
    addExpense("42");
    // the find is up over the book when the session ends: no idle save
    // comes between
    QVERIFY(!m_desktop.focus(QStringLiteral("^Expense Book : Trip$")).isEmpty());
    m_desktop.keys({"f"});
    QVERIFY(!m_desktop.focus(QStringLiteral("^Filter Editor$")).isEmpty());
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
    if (!m_noDesktop.isEmpty())
        QSKIP(qPrintable(m_noDesktop));
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
