#ifndef XDESKTOP_H
#define XDESKTOP_H

// Tests on a real X server under a real window manager, where windows get
// frames and the manager places, stacks and closes them. Each test program
// starts its own Xvfb on a free display (-displayfd, so programs run in
// parallel) and openbox on it; both stop when the program ends. A test may
// switch to twm (no activation requests answered, the keyboard follows the
// pointer), to i3 (tiling: it lays the windows out side by side, gives the
// keyboard to the window under the pointer and marks a window that asks for
// attention urgent), to herbstluftwm (tiling into frames the test splits
// with herbstclient; dialogs float where they ask to be) or to no manager
// at all (X's own rules). Where they
// cannot start, the program is skipped (CTest: return code 77) and says why.
//
// A test program: #include "xdesktop.h", then YMR_DESKTOP_TEST_MAIN(Class).
// Windows appear, get their frames and move in the manager's own time:
// wait for them with placed() / waitFor(), never with fixed sleeps. The
// program itself runs there too (Program), driven by the real keyboard.

#include "programrun.h"
#include "ymrtest.h"

#include "qt/ymrapplication.h"

#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace xdesktop {

const int SkipCode = 77;
// How long a window may take to appear, get its frame or move: generous,
// a loaded machine runs two servers per test program.
const int WaitMs = 30000;

inline bool waitFor(const std::function<bool()> &done)
{
    return QTest::qWaitFor(done, WaitMs);
}

enum class Manager { None, Twm, Openbox, I3, Herbstluftwm };

// The manager running now.
inline Manager &manager()
{
    static Manager m = Manager::Openbox;
    return m;
}

// Runs an X tool and gives its output; events of this program are handled
// meanwhile (the window manager may wait for this program while the tool
// waits for the manager).
inline QByteArray run(const QString &tool, const QStringList &args, bool *ok = nullptr)
{
    QProcess p;
    p.start(tool, args);
    const bool ended = p.waitForStarted(WaitMs)
                       && waitFor([&p] { return p.state() == QProcess::NotRunning; });
    if (ok)
        *ok = ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return p.readAllStandardOutput();
}

inline bool xdotool(const QStringList &args)
{
    bool ok = false;
    run(QStringLiteral("xdotool"), args, &ok);
    return ok;
}

// Where the X server has a window: its client area and the top-left
// corner of the frame the window manager put around it. Asked of the
// server each time, as Qt's own idea of a frame can lag behind.
struct Place {
    QRect client;
    QPoint frame;
    bool framed = false;
};

inline Place placeOf(WId window);

inline Place placeOf(QWidget *w)
{
    return placeOf(w->winId());
}

inline Place placeOf(WId window)
{
    const QByteArray out = run(QStringLiteral("xwininfo"),
                               {QStringLiteral("-id"), QString::number(window),
                                QStringLiteral("-children"), QStringLiteral("-stats")});
    // "  Label: value" lines
    const auto line = [&out](const char *label) {
        const int at = out.indexOf(label);
        return at < 0 ? QByteArray() : out.mid(at + int(qstrlen(label))).split('\n').value(0);
    };
    const auto number = [&line](const char *label) { return line(label).trimmed().toInt(); };
    Place p;
    p.client = QRect(number("Absolute upper-left X:"), number("Absolute upper-left Y:"),
                     number("Width:"), number("Height:"));
    p.frame = p.client.topLeft()
              - QPoint(number("Relative upper-left X:"), number("Relative upper-left Y:"));
    const QByteArray parent = line("Parent window id:");
    p.framed = !parent.isEmpty() && !parent.contains("(the root window)");
    return p;
}

// The whole of a framed window on the screen, title bar and borders
// included (the manager's _NET_FRAME_EXTENTS around the client area).
inline QRect frameOf(QWidget *w)
{
    const QByteArray out = run(QStringLiteral("xprop"), {QStringLiteral("-id"),
                               QString::number(w->winId()), QStringLiteral("_NET_FRAME_EXTENTS")});
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QList<QByteArray> e = out.mid(out.indexOf('=') + 1).split(',');
    if (!out.contains('=') || e.size() != 4)
        return QRect();
    return placeOf(w).client.adjusted(-e[0].trimmed().toInt(), -e[2].trimmed().toInt(),
                                      e[1].trimmed().toInt(), e[3].trimmed().toInt());
}

// The window the server has w belong to (WM_TRANSIENT_FOR), 0 for none.
inline WId transientFor(QWidget *w)
{
    const QByteArray out = run(QStringLiteral("xprop"), {QStringLiteral("-id"),
                               QString::number(w->winId()), QStringLiteral("WM_TRANSIENT_FOR")});
    const int at = out.indexOf("# ");
    return at < 0 ? 0 : out.mid(at + 2).trimmed().toULongLong(nullptr, 16);
}

// Shown, mapped and (but for pop-ups, or with no manager) framed by the
// window manager.
inline bool placed(QWidget *w)
{
    const bool popup = w->windowType() == Qt::Popup || manager() == Manager::None;
    return waitFor([w, popup] {
        return w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed()
               && (popup || placeOf(w).framed);
    });
}

// The screen's free area (without panels) where w is.
inline QRect screenOf(QWidget *w)
{
    QScreen *s = w->screen();
    return s ? s->availableGeometry() : QRect();
}

// Gives the window the keyboard as the user would: the manager's switch to
// it; with none that answers one, the pointer on it and the focus set.
inline bool giveKeyboard(WId window)
{
    const QString id = QString::number(window);
    if (manager() == Manager::Openbox || manager() == Manager::I3 || manager() == Manager::Herbstluftwm)
        return xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id,
                    QStringLiteral("20"), QStringLiteral("20")})
           && xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
}

// Gives the window the keyboard, then presses the keys in turn on the real
// keyboard (the window manager sees them first).
inline bool pressKeysIn(WId window, const QStringList &keys)
{
    return giveKeyboard(window)
           && xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--clearmodifiers")} + keys);
}

// A click of the real mouse at a point of the window's client area.
inline bool click(WId window, const QPoint &at)
{
    const QPoint p = placeOf(window).client.topLeft() + at;
    // the server takes the move and the click in turn (no --sync: it waits
    // long when the pointer is there already)
    return xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
                    QStringLiteral("click"), QStringLiteral("1")});
}

// The program as built beside the tests, on the test's server with a home
// of its own: its settings and books are put there before start().
class Program
{
public:
    QString home() const { return m_sharedHome.isEmpty() ? m_home.path() : m_sharedHome; }
    // A second copy on the other's home (started after it).
    void shareHome(const Program &other) { m_sharedHome = other.home(); }
    QString settingsFile() const { return home() + QStringLiteral("/Settings/ymrOutlays.conf"); }
    QProcess &process() { return m_process; }

    bool start(const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QPE_HOME"), home());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(m_keepErrors ? QProcess::ForwardedOutputChannel
                                                      : QProcess::ForwardedChannels);
        m_process.start(ymrtest::programPath(), arguments);
        return m_process.waitForStarted(WaitMs);
    }

    // Its shown window whose title matches, once it is there; 0 when it
    // does not come.
    WId window(const QString &title)
    {
        WId id = 0;
        waitFor([&] { return (id = find(title)) || m_process.state() == QProcess::NotRunning; });
        if (!id)
            qWarning("no window \"%s\"; the program's windows: %s", qPrintable(title),
                     search(QStringLiteral("."), {"getwindowname", "%@"}).constData());
        return id;
    }

    // Its shown window whose title matches, 0 for none: asked once.
    WId shown(const QString &title) { return find(title); }

    bool gone(const QString &title)
    {
        return waitFor([&] { return !find(title); });
    }

    // Waits for its end: whether it ended by itself, with success.
    bool ended()
    {
        return waitFor([this] { return m_process.state() == QProcess::NotRunning; })
               && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

private:
    QByteArray search(const QString &title, const QStringList &then = {})
    {
        return run(QStringLiteral("xdotool"),
                   QStringList{"search", "--all", "--onlyvisible", "--pid",
                               QString::number(m_process.processId()), "--name", title}
                       + then);
    }

    WId find(const QString &title) { return search(title).split('\n').value(0).toULongLong(); }

    QTemporaryDir m_home{ymrtest::userRoot().path() + QStringLiteral("/programXXXXXX")};
    QString m_sharedHome;
    QProcess m_process;
public:
    // Its standard error is kept for the test to read, not passed on.
    bool m_keepErrors = false;
};

class Session
{
public:
    ~Session()
    {
        stop(m_wm);
        stop(m_server);
        if (s_current == this)
            s_current = nullptr;
    }

    static Session *current() { return s_current; }

    // Starts the server and openbox; DISPLAY then names the server.
    bool start(QString *why)
    {
        int fds[2];
        if (pipe(fds) != 0) {
            *why = QStringLiteral("no pipe for Xvfb's display number");
            return false;
        }
        // -noreset: else the server resets each time its last client leaves,
        // as the tools that poll it before the manager is up do
        m_server = spawn({"Xvfb", "-displayfd", QByteArray::number(fds[1]), "-screen", "0",
                          "1280x1024x24", "-nolisten", "tcp", "-noreset"});
        ::close(fds[1]);
        const QByteArray display = readLine(fds[0]);
        ::close(fds[0]);
        if (display.isEmpty()) {
            *why = QStringLiteral("Xvfb did not start (the xvfb package missing?)");
            return false;
        }
        qputenv("DISPLAY", ":" + display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        s_current = this;
        return use(Manager::Openbox, why);
    }

    // Ends the manager running and starts m in its place. The windows on
    // the screen stay; the next manager takes them as they are.
    bool use(Manager m, QString *why)
    {
        stop(m_wm);
        // what a manager published of itself goes with it: a program would
        // ask it to activate windows
        for (const char *property : {"_NET_SUPPORTED", "_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW"})
            succeeds({"xprop", "-root", "-remove", property});
        manager() = m;
        if (m == Manager::None)
            return true;
        std::vector<QByteArray> ready;
        if (m == Manager::Openbox) {
            m_wm = spawn({"openbox", "--sm-disable"});
            // it manages the display once it has published its desktops
            ready = {"xdotool", "get_num_desktops"};
        } else if (m == Manager::I3) {
            // its own settings only: no bar, no first-start wizard, its
            // socket private to this server
            const QString config = ymrtest::userRoot().filePath(QStringLiteral("i3config"));
            const QString socket = ymrtest::userRoot().filePath(QStringLiteral("i3socket"));
            QFile file(config);
            if (!file.open(QIODevice::WriteOnly)
                || file.write("# i3 config file (v4)\nfont fixed\nipc-socket " + QFile::encodeName(socket)
                              + '\n') < 0) {
                *why = QStringLiteral("no i3 settings file");
                return false;
            }
            file.close();
            QFile::remove(socket);
            m_wm = spawn({"i3", "-c", QFile::encodeName(config)});
            // it manages the display once it answers on its socket
            ready = {"i3-msg", "-s", QFile::encodeName(socket), "-t", "get_version"};
        } else if (m == Manager::Herbstluftwm) {
            // none of the user's settings: dialogs float, as its own
            // settings have them
            m_wm = spawn({"herbstluftwm", "--autostart", "/bin/true"});
            ready = {"herbstclient", "rule", "windowtype~_NET_WM_WINDOW_TYPE_(DIALOG|UTILITY|SPLASH)",
                     "floating=on"};
        } else {
            // placed by the manager, not by the user's click; the places
            // programs ask for kept
            const QString rc = ymrtest::userRoot().filePath(QStringLiteral("twmrc"));
            QFile file(rc);
            if (!file.open(QIODevice::WriteOnly)
                || file.write("RandomPlacement\nNoGrabServer\nUsePPosition \"on\"\n") < 0) {
                *why = QStringLiteral("no twm settings file");
                return false;
            }
            file.close();
            m_wm = spawn({"twm", "-f", QFile::encodeName(rc)});
            // it manages the display once it has made its icon manager
            ready = {"sh", "-c", "xwininfo -root -tree | grep -q 'TWM Icon Manager'"};
        }
        const QDeadlineTimer until(WaitMs);
        while (!succeeds(ready)) {
            if (until.hasExpired()) {
                *why = QStringLiteral("the window manager did not start (openbox, twm, i3, "
                                      "herbstluftwm, x11-utils or xdotool missing?)");
                return false;
            }
            usleep(50000);
        }
        return true;
    }

private:
    // The pipe's ends are inherited: Xvfb writes its display number on it.
    static pid_t spawn(const std::vector<QByteArray> &args)
    {
        const pid_t pid = fork();
        if (pid != 0)
            return pid;
        // a test that crashes takes its servers along
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char *> argv;
        for (const QByteArray &a : args)
            argv.push_back(const_cast<char *>(a.constData()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }

    static bool succeeds(const std::vector<QByteArray> &args)
    {
        int status = 0;
        const pid_t pid = spawn(args);
        return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)
               && WEXITSTATUS(status) == 0;
    }

    static QByteArray readLine(int fd)
    {
        QByteArray line;
        pollfd p{fd, POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, WaitMs) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
            line.append(c);
        return c == '\n' ? line : QByteArray();
    }

    static void stop(pid_t &pid)
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

    pid_t m_server = -1;
    pid_t m_wm = -1;
    static inline Session *s_current = nullptr;
};

// Runs the test's programs under m from now on.
inline bool useManager(Manager m)
{
    QString why;
    if (Session::current() && Session::current()->use(m, &why))
        return true;
    qWarning("%s", qPrintable(why));
    return false;
}

inline int skip(const QString &why)
{
    std::printf("SKIP: no real X server for these tests: %s\n", qPrintable(why));
    return SkipCode;
}

} // namespace xdesktop

// The program's application object on the test's own X server.
#define YMR_DESKTOP_TEST_MAIN(TestObject)                          \
    int main(int argc, char **argv)                                \
    {                                                              \
        ymrtest::prepareEnvironment();                             \
        xdesktop::Session session;                                 \
        QString why;                                               \
        if (!session.start(&why))                                  \
            return xdesktop::skip(why);                            \
        YMRApplication app("ymrOutlays", argc, argv);              \
        TestObject tc;                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        return QTest::qExec(&tc, argc, argv);                      \
    }

#endif
