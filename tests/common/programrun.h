#ifndef PROGRAMRUN_H
#define PROGRAMRUN_H

// Starting a program from a test: the real program on a home of its own, or
// this test program again as a child on a prepared home.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace ymrtest {

inline QString programPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../app/ymroutlays");
}

// The program's environment: its own home, no screen, a language; with
// firstPaint it says "painted" and ends at its first paint of a book.
inline QProcessEnvironment programEnvironment(const QString &home, const QString &lang = QStringLiteral("en"),
                                              bool firstPaint = false)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QPE_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LANG"), lang);
    if (firstPaint)
        env.insert(QStringLiteral("YMR_BENCH_FIRST_PAINT"), QStringLiteral("1"));
    return env;
}

// Makes the folders the program keeps its files in under home; its own
// folder is returned, empty when they cannot be made.
inline QString makeProgramHome(const QString &home)
{
    const QString appDir = home + QStringLiteral("/Applications/ymrOutlays");
    if (!QDir().mkpath(home + QStringLiteral("/Settings")) || !QDir().mkpath(appDir))
        return QString();
    return appDir;
}

// Ends the program as a session end does; false when it no longer answers.
inline bool endProgram(QProcess &process, int waitMs)
{
    process.terminate();
    if (process.waitForFinished(waitMs))
        return true;
    process.kill();
    process.waitForFinished();
    return false;
}

// The environment of this test program run again as a child on home (the
// test's own home unless told); see prepareEnvironment.
inline QProcessEnvironment childEnvironment(const QString &home = qEnvironmentVariable("QPE_HOME"))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("YMR_TEST_HOME"), home);
    return env;
}

// Starts this test program as a child; its main picks what to do by the
// first of args (YMR_TEST_MAIN_WITH_CHILD).
inline void startChild(QProcess &process, const QStringList &args,
                       const QProcessEnvironment &env = childEnvironment())
{
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), args);
}

} // namespace ymrtest

// In a test function: the built program's path as `program`, or the test is
// skipped.
#define YMR_REQUIRE_PROGRAM(program)                 \
    const QString program = ymrtest::programPath();  \
    if (!QFileInfo::exists(program))                 \
        QSKIP("the program is not built")

#endif
