#ifndef YMRTEST_H
#define YMRTEST_H

// Test entry points: each test program runs headless with a fresh,
// temporary per-user root, so it never touches a real user's files and
// test programs can run in parallel.

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <functional>

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

// Runs act on the modal dialog once it is up (call this right before the
// dialog's exec()). A dialog still open five seconds later is rejected, so
// a failing test never hangs.
inline void whenModalShown(const std::function<void(QDialog *)> &act)
{
    QTimer::singleShot(0, [act] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(d);
        act(d);
    });
    QTimer::singleShot(5000, [] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            d->reject();
    });
}

// Runs act on the pop-up menu or modal dialog that opens next (call this
// right before the code that opens it). It looks for one for five seconds;
// whatever is still open after that is closed, so a failing test never hangs.
inline void whenOpen(const std::function<void(QWidget *)> &act, int triesLeft = 500)
{
    QTimer::singleShot(triesLeft == 500 ? 0 : 10, [act, triesLeft] {
        QWidget *w = QApplication::activePopupWidget();
        if (!w)
            w = QApplication::activeModalWidget();
        if (w)
            act(w);
        else if (triesLeft > 0)
            whenOpen(act, triesLeft - 1);
    });
    if (triesLeft == 500) {
        QTimer::singleShot(5000, [] {
            if (QWidget *p = QApplication::activePopupWidget())
                p->hide();
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                d->reject();
        });
    }
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
#define YMR_TEST_MAIN(TestObject)                                  \
    int main(int argc, char **argv)                                \
    {                                                              \
        ymrtest::prepareEnvironment();                             \
        YMRApplication app("ymrOutlays", argc, argv);              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                   \
        TestObject tc;                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        return QTest::qExec(&tc, argc, argv);                      \
    }

#endif
