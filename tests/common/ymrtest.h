#ifndef YMRTEST_H
#define YMRTEST_H

// Test entry points: each test program runs headless with a fresh,
// temporary per-user root, so it never touches a real user's files and
// test programs can run in parallel.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <functional>
#include <memory>

namespace ymrtest {

inline QTemporaryDir &userRoot()
{
    static QTemporaryDir dir;
    return dir;
}

inline void prepareEnvironment()
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir &dir = userRoot();
    if (!dir.isValid())
        qFatal("cannot create a temporary QPE_HOME");
    // a test that runs itself as a child process may hand it a prepared root
    const QByteArray given = qgetenv("YMR_TEST_HOME");
    qputenv("QPE_HOME", given.isEmpty() ? dir.path().toLocal8Bit() : given);
}

// Where a test saves a picture it grabbed: under its own temporary root,
// like every file a test writes.
inline QString grabPath(const QString &name)
{
    return userRoot().filePath(name + QStringLiteral(".png"));
}

// Delivers every event already posted, and those that posts in turn: after
// it, a posted message that was going to arrive has arrived. The way to
// check that nothing (more) came without a fixed wait.
inline void flushEvents()
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// How long a dialog or menu a test drives may stay open before it is closed
// anyway: only a failing test gets there, so it is generous (a loaded
// machine runs a test's steps seconds apart).
const int ForgottenAfterMs = 30000;

// Closes w the way a user gives up: a menu is hidden, a dialog rejected.
inline void giveUp(QWidget *w)
{
    if (!w || !w->isVisible())
        return;
    if (auto *d = qobject_cast<QDialog *>(w))
        d->reject();
    else
        w->hide();
}

// What one when...() call acted on, for its fallback: the fallback closes
// that widget only, never one a later step opened.
struct Watch {
    bool acted = false;
    QPointer<QWidget> widget;
};

// Runs act on the modal dialog once it is up (call this right before the
// dialog's exec()). A dialog still open long after is rejected, so a
// failing test never hangs.
inline void whenModalShown(const std::function<void(QDialog *)> &act)
{
    auto watch = std::make_shared<Watch>();
    QTimer::singleShot(0, [act, watch] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        watch->acted = true;
        watch->widget = d;
        QVERIFY(d);
        act(d);
    });
    QTimer::singleShot(ForgottenAfterMs, [watch] {
        giveUp(watch->acted ? watch->widget.data() : QApplication::activeModalWidget());
    });
}

namespace detail {
inline void pollOpen(const std::function<void(QWidget *)> &act,
                     const std::shared_ptr<Watch> &watch, const QDeadlineTimer &until,
                     bool first)
{
    QTimer::singleShot(first ? 0 : 10, [act, watch, until] {
        QWidget *w = QApplication::activePopupWidget();
        if (!w)
            w = QApplication::activeModalWidget();
        if (w) {
            watch->acted = true;
            watch->widget = w;
            act(w);
        } else if (!until.hasExpired()) {
            pollOpen(act, watch, until, false);
        }
    });
}
} // namespace detail

// Runs act on the pop-up menu or modal dialog that opens next (call this
// right before the code that opens it). Whatever it acted on and is still
// open long after is closed, so a failing test never hangs.
inline void whenOpen(const std::function<void(QWidget *)> &act)
{
    auto watch = std::make_shared<Watch>();
    detail::pollOpen(act, watch, QDeadlineTimer(ForgottenAfterMs), true);
    QTimer::singleShot(ForgottenAfterMs, [watch] {
        if (watch->acted) {
            giveUp(watch->widget);
        } else {
            giveUp(QApplication::activePopupWidget());
            giveUp(QApplication::activeModalWidget());
        }
    });
}

// The font a desktop gives the program (12 pt sans serif): sizes that must
// fit the emulated screen are checked with it.
inline void useDesktopFont()
{
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
}

// Whether got is the day the clock showed while the code under test ran,
// which read it after before was taken: a run across midnight may see
// either day.
inline bool isToday(const QDate &got, const QDate &before)
{
    return got == before || got == QDate::currentDate();
}

} // namespace ymrtest

// For tests of the platform layer: a bare QPEApplication.
#define QPE_TEST_MAIN(TestObject)                                  \
    int main(int argc, char **argv)                                \
    {                                                              \
        ymrtest::prepareEnvironment();                             \
        QPEApplication app(argc, argv);                            \
        app.setAttribute(Qt::AA_Use96Dpi, true);                   \
        TestObject tc;                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        return QTest::qExec(&tc, argc, argv);                      \
    }

// For everything above the platform layer: the program's application object.
#define YMR_TEST_MAIN(TestObject) YMR_TEST_MAIN_WITH_CHILD(TestObject, nullptr, nullptr)

// The same for a test that runs itself as a child process: started with
// option first, it runs childMain(argc, argv) under the application object.
#define YMR_TEST_MAIN_WITH_CHILD(TestObject, option, childMain)        \
    int main(int argc, char **argv)                                    \
    {                                                                  \
        ymrtest::prepareEnvironment();                                 \
        YMRApplication app("ymrOutlays", argc, argv);                  \
        int (*child)(int, char **) = childMain;                        \
        if (child && argc > 1 && qstrcmp(argv[1], option) == 0)        \
            return child(argc, argv);                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                       \
        /* a test function named on the command line is no book */     \
        QPEApplication::setArgumentsForTest({QString()});              \
        TestObject tc;                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                     \
        return QTest::qExec(&tc, argc, argv);                          \
    }

#endif
