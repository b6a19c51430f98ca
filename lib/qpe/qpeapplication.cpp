#include "qpeapplication.h"
#include "alarmserver.h"
#include "config.h"
#include "qcopchannel.h"
#include "qpedialogok.h"
#include "qpeglobal.h"
#include "qpekeys.h"
#include "unixsignalnotifier.h"

#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLocale>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTextCodec>
#include <QTimer>
#include <QWindow>

namespace {

bool s_keepRunning = false;
bool s_endingSession = false;
QPointer<QWidget> s_mainWidget;
QSize s_screen;      // emulated size; invalid in native mode
bool s_screenRead = false;
QStringList s_argumentsOverride;
QByteArray s_rawDocument;      // the command line's document, as its bytes
QSet<QString> s_unreadableDocuments;

void readScreen()
{
    if (s_screenRead)
        return;
    s_screenRead = true;
    s_screen = QPEApplication::parseScreenSize(QString::fromLocal8Bit(qgetenv(QPE_ENV_SCREEN)));
}

QWidget *parentWindow(QWidget *w)
{
    return w->parentWidget() ? w->parentWidget()->window() : nullptr;
}

// The window manager keeps a dialog above the window it belongs to. Made
// while its parent window is hidden (the alarm window of the list of due
// reminders), it would belong to a window that is not on the screen, and
// could end up behind the window it blocks: it belongs to the nearest shown
// one instead.
void belongToShownWindow(QWidget *w)
{
    QWidget *owner = parentWindow(w);
    while (owner && !owner->isVisible())
        owner = parentWindow(owner);
    if (!owner || owner == parentWindow(w))
        return;
    w->winId();
    if (w->windowHandle())
        w->windowHandle()->setTransientParent(owner->windowHandle());
}

// Shows a window that comes up on its own without asking for the keyboard
// for it: the window manager is told not to give it the keyboard as it maps
// it (user time 0). Qt itself asks for the keyboard for a modal window as it
// maps it, whatever the widget says, and where no manager answers the
// request (none, twm) sets the X focus on it itself: a modal stand-in that is
// never mapped stands in front of the window while the window is made modal
// and mapped, so that it is not the modal window in front then.
class UnaskedShow : public QObject
{
public:
    UnaskedShow(QWidget *widget, QWindow *window)
        : QObject(window), m_widget(widget), m_window(window)
    {
        setObjectName(QStringLiteral("qpe_unaskedShow"));
        window->installEventFilter(this);
        widget->installEventFilter(this);
    }

    ~UnaskedShow() override { dropStandIn(); }

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        const QEvent::Type type = e->type();
        if (watched == m_widget) {
            // before it is made modal: it waits behind the stand-in. Only a
            // show (whose end drops it), not a restore from minimised, which
            // asks for no keyboard and would leave the stand-in blocking the
            // program until the window is on the screen
            if (type == QEvent::Show && !e->spontaneous() && m_widget->isModal() && !m_standIn)
                standInFront();
            // mapped: nothing stands in its way
            else if (type == QEvent::ShowToParent)
                dropStandIn();
            return false;
        }
        // made modal, it went in front: the stand-in goes in front again
        if (type == QEvent::WindowUnblocked && m_standIn && m_standIn->isVisible()
            && QGuiApplication::modalWindow() == m_window) {
            m_standIn->hide();
            m_standIn->show();
        }
        // on the screen: from now on it takes the keyboard as any window
        if ((type == QEvent::Expose && m_window->isExposed()) || type == QEvent::Hide) {
            m_window->setFlags(m_window->flags() & ~Qt::WindowDoesNotAcceptFocus);
            m_window->setProperty("_q_showWithoutActivating", QVariant());
            if (m_widget)
                m_widget->setAttribute(Qt::WA_ShowWithoutActivating, false);
            m_window->removeEventFilter(this);
            if (m_widget)
                m_widget->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    // out of the way before it goes: its hiding unblocks the window
    void dropStandIn()
    {
        QWidget *standIn = m_standIn;
        m_standIn = nullptr;
        delete standIn;
    }

    void standInFront()
    {
        m_standIn = new QWidget;
        m_standIn->setAttribute(Qt::WA_DontShowOnScreen);
        m_standIn->setAttribute(Qt::WA_QuitOnClose, false);
        m_standIn->setWindowModality(Qt::ApplicationModal);
        m_standIn->show();
    }

    QPointer<QWidget> m_widget;
    QWindow *m_window;
    QPointer<QWidget> m_standIn;
};

} // namespace

void QPEApplication::leaveKeyboardAtShow(QWidget *w, bool refuseUntilShown)
{
    if (!w || !w->isWindow())
        return;
    w->winId();
    QWindow *window = w->windowHandle();
    // mapped already: no map to come, and nothing may keep the keyboard
    // from it afterwards
    if (!window || window->isExposed()
        || window->findChild<QObject *>(QStringLiteral("qpe_unaskedShow"),
                                        Qt::FindDirectChildrenOnly))
        return;
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setProperty("_q_showWithoutActivating", true);
    if (refuseUntilShown)
        window->setFlags(window->flags() | Qt::WindowDoesNotAcceptFocus);
    new UnaskedShow(w, window);
}

bool QPEApplication::noWindowHasKeyboard()
{
    // only on X do other programs' windows take the keyboard from it
    return !QGuiApplication::focusWindow() && QGuiApplication::platformName() == QLatin1String("xcb");
}

bool QPEApplication::mayComeUp(QWidget *owner)
{
    if (!noWindowHasKeyboard())
        return true;
    QWidget *over = owner ? owner->window() : nullptr;
    if (!over || !over->isVisible() || over->isMinimized() || !over->windowHandle()
        || !over->windowHandle()->isExposed())
        return false;
    QRect at = over->frameGeometry();
    if (isScreenEmulated())
        at |= screenRect();
    else
        at |= over->screen() ? over->screen()->geometry() : at;
    // a little more: the frame the manager puts round the new window
    const int frame = 32;
    return !at.adjusted(-frame, -frame, frame, frame).contains(QCursor::pos());
}

namespace {
// The ICCCM urgency hint of an X window, which the managers without the
// desktop's attention state (twm) and i3 show; QWindow::alert() asks only
// for that state. At the end: X's names clash with Qt's.
void setUrgency(QWidget *w, bool on);
} // namespace

bool QPEApplication::waitToComeUp(QWidget *owner)
{
    if (mayComeUp(owner))
        return !s_endingSession;
    QPointer<QWidget> over(owner ? owner->window() : nullptr);
    if (over) {
        QApplication::alert(over, 0);
        setUrgency(over, true);
    }
    QEventLoop loop;
    // the user comes to the program
    connect(qApp, &QGuiApplication::focusWindowChanged, &loop, [&loop](QWindow *focus) {
        if (focus)
            loop.quit();
    });
    if (auto *app = qobject_cast<QPEApplication *>(QCoreApplication::instance()))
        connect(app, &QPEApplication::sessionEnding, &loop, &QEventLoop::quit);
    connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    loop.exec();
    setUrgency(over, false);
    return !s_endingSession && !QCoreApplication::closingDown();
}

QPEApplication::QPEApplication(int &argc, char **argv, Type)
    : QApplication(argc, argv)
{
    // arguments() decodes: a name in bytes the codec cannot read loses them
    if (argc > 1 && argv[1])
        s_rawDocument = QByteArray(argv[1]);
    // validators and number texts behave the same whatever the user's locale
    QLocale::setDefault(QLocale::c());
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    qRegisterMetaType<DateFormat>("DateFormat");
    installEventFilter(this);
    connect(this, &QObject::objectNameChanged, this, &QPEApplication::openAppChannel);
    auto *sys = new QCopChannel("QPE/System", this);
    connect(sys, &QCopChannel::received, this, &QPEApplication::systemMessage);
    readPlatformSettings(false);
    watchSettings();
    // inside exec(): alarms that fell due meanwhile ring after the first Show
    QTimer::singleShot(0, this, [] { AlarmServer::instance()->start(); });
}

QPEApplication::~QPEApplication() = default;

QString QPEApplication::qpeDir()
{
    const QByteArray env = qgetenv(QPE_ENV_DATA_DIR);
    if (!env.isEmpty())
        return QDir::cleanPath(QString::fromLocal8Bit(env));
    const QString staged = QDir::cleanPath(QStringLiteral(YMR_DATA_STAGE_DIR));
    const QString buildDir = QDir::cleanPath(staged + QStringLiteral("/../.."));
    const QString appDir = QCoreApplication::applicationDirPath();
    // run from the build tree: the data staged there
    if (!appDir.isEmpty() && (appDir + QLatin1Char('/')).startsWith(buildDir + QLatin1Char('/')))
        return staged;
    const QString installed = QDir::cleanPath(QStringLiteral(YMR_DATA_INSTALL_DIR));
    if (QFileInfo::exists(installed))
        return installed;
    return QDir::cleanPath(appDir + QStringLiteral("/../share/ymroutlays"));
}

QString QPEApplication::documentDir()
{
    const QString dir = Qpe::userRoot() + QStringLiteral("/Documents");
    QDir().mkpath(dir);
    return dir;
}

QSize QPEApplication::parseScreenSize(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("native"))
        return QSize();
    const QStringList wh = t.split(QLatin1Char('x'));
    if (wh.size() == 2) {
        bool okw = false, okh = false;
        const int w = wh[0].toInt(&okw), h = wh[1].toInt(&okh);
        if (okw && okh && w > 0 && h > 0 && w <= 10000 && h <= 10000)
            return QSize(w, h);
    }
    return QSize(480, 640);
}

namespace {

// The room a window manager's frame takes around a window: the window's
// own once it has one, else the main window's.
QMargins frameMargins(const QWidget *w)
{
    for (const QWidget *framed : {w, static_cast<const QWidget *>(s_mainWidget.data())}) {
        if (!framed || !framed->isVisible())
            continue;
        const QRect f = framed->frameGeometry(), g = framed->geometry();
        if (f != g)
            return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                            f.bottom() - g.bottom());
    }
    return QMargins();
}

} // namespace

QRect QPEApplication::onScreen(const QRect &frame)
{
    QScreen *scr = QGuiApplication::screenAt(frame.center());
    if (!scr && s_mainWidget)
        scr = s_mainWidget->screen();
    if (!scr)
        scr = QGuiApplication::primaryScreen();
    if (!scr)
        return frame;
    const QRect free = scr->availableGeometry();
    QRect r = frame;
    if (r.bottom() > free.bottom())
        r.moveBottom(free.bottom());
    if (r.right() > free.right())
        r.moveRight(free.right());
    // larger than the screen: its top-left corner, the title bar, shows
    if (r.top() < free.top())
        r.moveTop(free.top());
    if (r.left() < free.left())
        r.moveLeft(free.left());
    return r;
}

QRect QPEApplication::screenRect()
{
    readScreen();
    if (!s_screen.isValid()) {
        if (QScreen *scr = QGuiApplication::primaryScreen())
            return scr->geometry();
        return QRect(0, 0, 480, 640);
    }
    QPoint at;
    if (s_mainWidget)
        at = s_mainWidget->geometry().topLeft();
    else if (QScreen *scr = QGuiApplication::primaryScreen())
        at = scr->availableGeometry().topLeft();
    // The windows placed over the emulated screen lie on the real one,
    // frames included, wherever the main window is (a tiling manager puts
    // it in the lower half of the screen).
    const QMargins frame = frameMargins(nullptr);
    return onScreen(QRect(at, s_screen).marginsAdded(frame)).marginsRemoved(frame);
}

QRect QPEApplication::popupGeometry(const QRect &anchor, const QSize &size, int gap)
{
    // the part of the emulated screen that the real screen shows
    QScreen *scr = QGuiApplication::screenAt(anchor.topLeft());
    if (!scr)
        scr = QGuiApplication::primaryScreen();
    const QRect real = scr ? scr->availableGeometry() : screenRect();
    QRect area = screenRect().intersected(real);
    if (area.isEmpty())
        area = real;
    QRect r(QPoint(anchor.left(), anchor.top() + anchor.height() + gap), size);
    if (r.bottom() > area.bottom() && anchor.top() - gap - size.height() >= area.top())
        r.moveBottom(anchor.top() - gap - 1);
    // room neither below nor above: over the anchor, still on the screen
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.top() < area.top())
        r.moveTop(area.top());
    if (r.right() > area.right())
        r.moveRight(area.right());
    else if (r.left() < area.left())
        r.moveLeft(area.left());
    // wider or taller than the screen: as much of it on the real screen as
    // it holds, from the top-left
    if (r.right() > real.right())
        r.moveRight(real.right());
    if (r.left() < real.left())
        r.moveLeft(real.left());
    if (r.bottom() > real.bottom())
        r.moveBottom(real.bottom());
    if (r.top() < real.top())
        r.moveTop(real.top());
    return r;
}

QWidget *QPEApplication::dialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return s_mainWidget;
}

void QPEApplication::centerOnScreen(QWidget *w)
{
    // move() places the frame
    const QMargins frame = frameMargins(w);
    const QRect inside(screenRect().center() - w->rect().center(), w->size());
    w->move(onScreen(inside.marginsAdded(frame)).topLeft());
}

bool QPEApplication::isScreenEmulated()
{
    readScreen();
    return s_screen.isValid();
}

void QPEApplication::rotateScreen()
{
    readScreen();
    if (!s_screen.isValid())
        return;
    s_screen.transpose();
    const QRect r = screenRect();
    if (s_mainWidget)
        s_mainWidget->resize(r.size());
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != s_mainWidget && w->isVisible() && w->property("qpe_maximized").toBool())
            w->resize(r.size());
    }
}

void QPEApplication::showMainDocumentWidget(QWidget *w, bool nomax)
{
    m_mainWidget = w;
    s_mainWidget = w;
    if (isScreenEmulated()) {
        w->resize(s_screen);
        // move() places the frame: its title bar stays on the screen
        if (QScreen *scr = QGuiApplication::primaryScreen())
            w->move(scr->availableGeometry().topLeft());
        w->show();
    } else if (nomax) {
        w->show();
    } else {
        w->showMaximized();
    }
    const QString doc = startDocument();
    // queued: the window handles its Show first
    if (!doc.isEmpty() && w->metaObject()->indexOfMethod("setDocument(QString)") >= 0)
        QMetaObject::invokeMethod(w, "setDocument", Qt::QueuedConnection, Q_ARG(QString, doc));
}

QString QPEApplication::documentArgument(const QStringList &args)
{
    if (args.size() < 2 || args.at(1).isEmpty() || args.at(1).startsWith(QLatin1Char('-')))
        return QString();
    return QFileInfo(args.at(1)).absoluteFilePath();
}

QString QPEApplication::startDocument()
{
    const QString doc =
        documentArgument(s_argumentsOverride.isEmpty() ? arguments() : s_argumentsOverride);
    if (!doc.isEmpty() && s_argumentsOverride.isEmpty() && !Qpe::nameReadable(s_rawDocument))
        s_unreadableDocuments.insert(doc);
    return doc;
}

bool QPEApplication::documentNameReadable(const QString &path)
{
    if (s_unreadableDocuments.contains(path) || !Qpe::nameReadable(path))
        return false;
    // U+FFFD stands where decoding met bytes it could not read: unless a
    // file has that very name, the name came from other bytes
    const QFileInfo info(path);
    return !path.contains(QChar::ReplacementCharacter) || info.exists() || info.isSymLink();
}

void QPEApplication::setArgumentsForTest(const QStringList &args)
{
    s_argumentsOverride = args;
}

QWidget *QPEApplication::mainDocumentWidget()
{
    return s_mainWidget;
}

void QPEApplication::showWidgetMaximized(QWidget *w)
{
    if (!w)
        return;
    w->setProperty("qpe_maximized", true);
    if (auto *dlg = qobject_cast<QDialog *>(w))
        QpeDialogOk::attach(dlg);
    belongToShownWindow(w);
    if (isScreenEmulated()) {
        // a minimised main window comes back (an alarm raises it)
        if (w->isMinimized())
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->setGeometry(screenRect());
        w->show();
    } else {
        w->showMaximized();
    }
}

void QPEApplication::setKeepRunning()
{
    s_keepRunning = true;
}

bool QPEApplication::keepRunning()
{
    return s_keepRunning;
}

void QPEApplication::endSessionOnSignals()
{
    delete m_signals;
    m_signals = new UnixSignalNotifier({SIGTERM, SIGHUP, SIGINT}, this);
    connect(m_signals, &UnixSignalNotifier::received, this, &QPEApplication::endSession);
}

bool QPEApplication::isEndingSession()
{
    return s_endingSession;
}

void QPEApplication::endSession()
{
    s_endingSession = true;
    emit sessionEnding();
    // each closes as its user would close it; the code that opened it goes
    // on once the loops unwind
    for (int left = 100; left > 0; --left) {
        if (QWidget *popup = activePopupWidget()) {
            popup->close();
        } else if (QWidget *modal = activeModalWidget()) {
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            if (modal->isVisible())
                modal->hide();
        } else {
            break;
        }
    }
    if (s_mainWidget)
        s_mainWidget->close();
    quit();
    s_endingSession = false;
}

void QPEApplication::openAppChannel()
{
    delete m_appChannel;
    m_appChannel = nullptr;
    if (objectName().isEmpty())
        return;
    m_appChannel = new QCopChannel("QPE/Application/" + objectName().toUtf8(), this);
    connect(m_appChannel, &QCopChannel::received, this,
            [this](const QByteArray &msg, const QByteArray &data) {
        if (msg == "setDocument(QString)") {
            QDataStream ds(data);
            ds.setVersion(Qpe::StreamVersion);
            QString doc;
            ds >> doc;
            if (s_mainWidget && !doc.isEmpty()
                && s_mainWidget->metaObject()->indexOfMethod("setDocument(QString)") >= 0)
                QMetaObject::invokeMethod(s_mainWidget, "setDocument", Qt::QueuedConnection,
                                          Q_ARG(QString, doc));
        }
        emit appMessage(msg, data);
    });
}

bool QPEApplication::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::KeyPress && o->isWidgetType()) {
        auto *ke = static_cast<QKeyEvent *>(e);
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        // the device's title-bar OK
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter)
            && mods == Qt::ControlModifier) {
            if (auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                dlg->accept();
                ke->accept();
                return true;
            }
        }
        if (ke->key() == Qt::Key_R && mods == (Qt::ControlModifier | Qt::AltModifier)) {
            rotateScreen();
            ke->accept();
            return true;
        }
    }
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) && o->isWidgetType()) {
        // Ctrl+Alt+Plus/Minus stand in for the device's zoom keys
        auto *ke = static_cast<QKeyEvent *>(e);
        const int code = QpeKeys::key(ke);
        if ((code == QpeKeys::Key_ZoomIn && ke->key() != Qt::Key_ZoomIn)
            || (code == QpeKeys::Key_ZoomOut && ke->key() != Qt::Key_ZoomOut)) {
            QKeyEvent zoom(ke->type(), code == QpeKeys::Key_ZoomIn ? Qt::Key_ZoomIn : Qt::Key_ZoomOut,
                           Qt::NoModifier, QString(), ke->isAutoRepeat(), ke->count());
            QCoreApplication::sendEvent(o, &zoom);
            ke->accept();   // else it travels on to the parents, filtered again
            return true;
        }
    }
    return QApplication::eventFilter(o, e);
}

QString QPEApplication::platformSettingsFile()
{
    return Qpe::settingsDir() + QStringLiteral("/qpe.conf");
}

void QPEApplication::watchSettings()
{
    if (!m_settingsWatcher) {
        m_settingsWatcher = new QFileSystemWatcher(this);
        auto changed = [this] {
            watchSettings();
            readPlatformSettings(true);
        };
        connect(m_settingsWatcher, &QFileSystemWatcher::fileChanged, this, changed);
        connect(m_settingsWatcher, &QFileSystemWatcher::directoryChanged, this, changed);
    }
    // editors replace the file, which ends the watch on it: add it again;
    // while it is missing, watch its folder for its creation
    const QString file = platformSettingsFile();
    const QString dir = QFileInfo(file).path();
    if (QFileInfo::exists(file)) {
        if (!m_settingsWatcher->files().contains(file))
            m_settingsWatcher->addPath(file);
        if (m_settingsWatcher->directories().contains(dir))
            m_settingsWatcher->removePath(dir);
        // created between the check and the watch: nothing is lost, the
        // values are compared on every notice
    } else if (!m_settingsWatcher->directories().contains(dir)) {
        m_settingsWatcher->addPath(dir);
    }
}

QPEApplication::DateTimeSettings QPEApplication::readDateTimeSettings()
{
    DateTimeSettings s;
    Config cfg(QStringLiteral("qpe"));
    cfg.setGroup(QStringLiteral("Time"));
    s.ampm = cfg.readBoolEntry(QStringLiteral("AMPM"), true);
    s.mondayFirst = cfg.readBoolEntry(QStringLiteral("MONDAY"), false);
    cfg.setGroup(QStringLiteral("Date"));
    // an empty separator is the null character
    const QString sep = cfg.readEntry(QStringLiteral("Separator"), QStringLiteral("/"));
    s.format = DateFormat(sep.isEmpty() ? QChar() : sep.at(0),
                          cfg.readNumEntry(QStringLiteral("ShortOrder"), DateFormat::DayMonthYear),
                          cfg.readNumEntry(QStringLiteral("LongOrder"), DateFormat::DayMonthYear));
    return s;
}

void QPEApplication::readPlatformSettings(bool report)
{
    const DateTimeSettings s = readDateTimeSettings();
    const bool clock = s.ampm != m_dateTime.ampm;
    const bool week = s.mondayFirst != m_dateTime.mondayFirst;
    const bool date = s.format != m_dateTime.format;
    m_dateTime = s;
    if (!report)
        return;
    if (clock)
        emit clockChanged(s.ampm);
    if (date)
        emit dateFormatChanged(s.format);
    if (week)
        emit weekChanged(s.mondayFirst);
}

void QPEApplication::systemMessage(const QByteArray &msg, const QByteArray &data)
{
    QDataStream ds(data);
    ds.setVersion(Qpe::StreamVersion);
    if (msg == "clockChange(bool)") {
        bool ampm = false;
        ds >> ampm;
        if (ds.status() == QDataStream::Ok)
            emit clockChanged(ampm);
    } else if (msg == "setDateFormat(DateFormat)") {
        DateFormat df;
        ds >> df;
        if (ds.status() == QDataStream::Ok)
            emit dateFormatChanged(df);
    } else if (msg == "weekChange(bool)") {
        bool monday = false;
        ds >> monday;
        if (ds.status() == QDataStream::Ok)
            emit weekChanged(monday);
    }
}

#ifdef YMR_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace {
void setUrgency(QWidget *w, bool on)
{
#ifdef YMR_HAVE_X11
    if (!w || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return;
    const Window window = w->winId();
    XWMHints *hints = XGetWMHints(display, window);
    XWMHints none{};
    XWMHints *set = hints ? hints : &none;
    set->flags = on ? set->flags | XUrgencyHint : set->flags & ~XUrgencyHint;
    XSetWMHints(display, window, set);
    if (hints)
        XFree(hints);
    XCloseDisplay(display);
#else
    Q_UNUSED(w)
    Q_UNUSED(on)
#endif
}
} // namespace
