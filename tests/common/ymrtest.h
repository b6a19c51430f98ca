#ifndef YMRTEST_H
#define YMRTEST_H

// Test entry points: each test program runs headless with a fresh,
// temporary per-user root, so it never touches a real user's files and
// test programs can run in parallel.

#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>

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
