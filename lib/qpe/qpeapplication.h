#ifndef QPEAPPLICATION_H
#define QPEAPPLICATION_H

#include "dateformat.h"

#include <QApplication>
#include <QByteArray>
#include <QPointer>
#include <QRect>

class QCopChannel;
class QFileSystemWatcher;
class UnixSignalNotifier;

// The platform application: directories, the emulated device screen, the
// main document widget, the application's message channel and the signals
// for changed date and time settings.
class QPEApplication : public QApplication
{
    Q_OBJECT
public:
    enum Type { GuiClient };

    QPEApplication(int &argc, char **argv, Type type = GuiClient);
    ~QPEApplication() override;

    // Installed data: $QPE_DATA_DIR, else the install's share/ymroutlays,
    // else the build tree's. No trailing "/".
    static QString qpeDir();
    // <root>/Documents, created on demand.
    static QString documentDir();

    // The emulated device screen (QPE_SCREEN=WxH, default 480x640), or the
    // primary screen with QPE_SCREEN=native. Every "desktop size" goes here.
    // It lies where the main window is, wherever the user moved it (before
    // there is one: the top-left corner of the primary screen's free area).
    static QRect screenRect();
    // A window's frame moved into the free area (without panels) of the
    // screen holding its centre; one larger than that area shows its
    // top-left corner.
    static QRect onScreen(const QRect &frame);
    // Where a pop-up of this size opens at anchor (global coordinates; a 0
    // by 0 rectangle stands for a point): gap pixels below it, above it
    // when only there it fits the screen, shifted sideways into the screen;
    // "the screen" is what the real screen holding the anchor shows of the
    // emulated one, and the pop-up never leaves the real screen.
    static QRect popupGeometry(const QRect &anchor, const QSize &size, int gap = 0);
    // The window a prompt or message box speaks for: the modal dialog in
    // front, else the main window.
    static QWidget *dialogParent();
    // Puts a prompt or message box in the middle of the screen.
    static void centerOnScreen(QWidget *w);
    static bool isScreenEmulated();
    // A QPE_SCREEN value: "WxH", or "native" (an invalid size); anything
    // else gives the default 480x640.
    static QSize parseScreenSize(const QString &text);
    // Swap the emulated screen's width and height (device rotation).
    static void rotateScreen();

    // Shows w as the program's main window at the screen size; a document
    // named on the command line reaches its setDocument(QString) slot after
    // the show.
    void showMainDocumentWidget(QWidget *w, bool nomax = false);
    static QWidget *mainDocumentWidget();
    // The document named by a command line (the first argument unless it is
    // an option), as an absolute path; empty when there is none.
    static QString documentArgument(const QStringList &args);
    // The document of the program's own command line (or the test's).
    static QString startDocument();
    // False for a name the file-name codec cannot write back as the same
    // bytes, for the command line's document when its bytes could not be
    // read, and for a name with U+FFFD that no file has: opening the decoded
    // name would open or create another file.
    static bool documentNameReadable(const QString &path);
    // Tests: the command line showMainDocumentWidget() looks at.
    static void setArgumentsForTest(const QStringList &args);
    // A window "shown maximised" fills the screen (the main window keeps its
    // place); a QDialog also gets the device's OK (QpeDialogOk).
    static void showWidgetMaximized(QWidget *w);
    // For a window that comes up on its own (a reminder), not at the user's
    // key or click: its next show, or the restore that maps it again, asks
    // for no keyboard (a modal one included, under any window manager or
    // none), which stays where the user types, in this program or another. A
    // click on it or the window manager's switch to it gives it the keyboard.
    // Until it is on the screen it refuses the keyboard, so that a manager
    // that gives it to the window under the pointer leaves it alone as it
    // comes up; not so with refuseUntilShown false, for a modal window that
    // follows one of the program the user has just closed: the manager may
    // hand the keyboard back to the program, which passes it on to the modal
    // window in front, and refused it would be lost. A window already on the
    // screen is left as it is.
    static void leaveKeyboardAtShow(QWidget *w, bool refuseUntilShown = true);
    // Whether another program's window may have the keyboard: on X, none
    // of the program's windows has it.
    static bool noWindowHasKeyboard();
    // Whether a window the program shows on its own, over owner (maximised
    // on the emulated screen there), may come up now: at once unless the
    // keyboard is elsewhere; else only over owner on the screen, not
    // minimised, and away from the pointer, which would hand it the keyboard
    // under a manager where the keyboard follows the pointer.
    static bool mayComeUp(QWidget *owner);
    // Waits, events handled, until mayComeUp(owner). Meanwhile owner's
    // window asks for attention (the urgency hint), nothing else shows or
    // moves, and the user's going to the program ends the wait. False when
    // the session ends meanwhile.
    static bool waitToComeUp(QWidget *owner);

    static void setKeepRunning();
    static bool keepRunning();

    // From now on SIGTERM, SIGHUP and SIGINT (log-out, shutdown, kill,
    // Ctrl+C) end the program as closing its main window does: see
    // endSession().
    void endSessionOnSignals();
    // True while endSession() closes the windows: nobody is there to answer.
    static bool isEndingSession();

    // <root>/Settings/qpe.conf: its Time and Date values changing makes the
    // signals below; so do "clockChange(bool)", "setDateFormat(DateFormat)"
    // and "weekChange(bool)" on "QPE/System".
    static QString platformSettingsFile();

    // The date and time values of that file; a missing key gives its default
    // (12-hour clock, Sunday first, "/", day-month-year).
    struct DateTimeSettings
    {
        bool ampm = true;
        bool mondayFirst = false;
        DateFormat format;
    };
    static DateTimeSettings readDateTimeSettings();

public slots:
    // Closes open menus, rejects open dialogs (innermost first), closes the
    // main document widget and ends the event loop, nested loops included.
    void endSession();

signals:
    void clockChanged(bool ampm);
    void dateFormatChanged(DateFormat format);
    void weekChanged(bool startOnMonday);
    void appMessage(const QByteArray &msg, const QByteArray &data);
    // endSession() begins: the windows are still as the user left them.
    void sessionEnding();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void openAppChannel();
    void systemMessage(const QByteArray &msg, const QByteArray &data);
    void watchSettings();
    void readPlatformSettings(bool report);

    QPointer<QWidget> m_mainWidget;
    QCopChannel *m_appChannel = nullptr;
    QFileSystemWatcher *m_settingsWatcher = nullptr;
    UnixSignalNotifier *m_signals = nullptr;
    // last seen "qpe" settings, to report only real changes
    DateTimeSettings m_dateTime;
};

#endif
