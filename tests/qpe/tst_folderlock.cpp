#include "ymrtest.h"

#include "lockholder.h"

#include "qpe/folderlock.h"
#include "qpe/qpeapplication.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <thread>

#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The short lock two copies of the program take around a check-and-replace.
class TestFolderLock : public QObject
{
    Q_OBJECT
private slots:
    void waitsForAnotherProcess();
    void nestsWithinTheProcess();
};

void TestFolderLock::waitsForAnotherProcess()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("books"));
    QVERIFY(QDir().mkpath(folder));
    // a read-only folder locks as well: nothing is written into it
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

    const pid_t child = holdFolderInChild(folder);
    QVERIFY(child > 0);
    QElapsedTimer waited;
    waited.start();
    {
        FolderLock lock(folder, 200);
        QVERIFY(!lock.isLocked());
    }
    QVERIFY(waited.elapsed() >= 190);
    QVERIFY(waited.elapsed() < 2000);

    // a holder that dies while this one waits lets go, and this one takes it
    std::thread killer([child] {
        QThread::msleep(100);
        ::kill(child, SIGKILL);
    });
    FolderLock lock(folder, 3000);
    killer.join();
    QCOMPARE(::waitpid(child, nullptr, 0), child);
    QVERIFY(lock.isLocked());
    // and now another process waits for this one
    const pid_t other = ::fork();
    if (other == 0) {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 ? 0 : 1);
    }
    int status = -1;
    QCOMPARE(::waitpid(other, &status, 0), other);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

void TestFolderLock::nestsWithinTheProcess()
{
    QTemporaryDir dir;
    auto outer = std::make_unique<FolderLock>(dir.path(), 100);
    QVERIFY(outer->isLocked());
    {
        // the same folder by another name, nested: granted at once
        FolderLock inner(dir.path() + QStringLiteral("/."), 100);
        QVERIFY(inner.isLocked());
    }
    // the inner lock's end leaves the outer one held
    const auto otherProcessGets = [&dir] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int fd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
            ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
        }
        int status = -1;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    QVERIFY(!otherProcessGets());
    outer.reset();
    QVERIFY(otherProcessGets());
    // a folder that is not there cannot be locked
    FolderLock missing(dir.filePath(QStringLiteral("gone")), 10);
    QVERIFY(!missing.isLocked());
}

QPE_TEST_MAIN(TestFolderLock)
#include "tst_folderlock.moc"
