#include "ymrtest.h"

#include "lockholder.h"

#include "qpe/lockfile.h"
#include "qpe/qpeapplication.h"

#include <QFileInfo>

// A lock file a process keeps while it holds something (an open book, the
// ringing of the alarms).
class TestLockFile : public QObject
{
    Q_OBJECT
private slots:
    void releaseRemovesOnlyItsOwnLock_data();
    void releaseRemovesOnlyItsOwnLock();
};

void TestLockFile::releaseRemovesOnlyItsOwnLock_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("nothing") << "";
    // as LockFile::create() does it: a new file renamed over the name
    QTest::newRow("another process's lock renamed over it") << "renamed over";
    QTest::newRow("removed, and another process's lock made at the name") << "made anew";
    QTest::newRow("moved away, and a link to it put at the name") << "link";
}

// Letting go of a lock takes its name only while it still is that lock:
// what took its place meanwhile (another process's lock, held) stays.
void TestLockFile::releaseRemovesOnlyItsOwnLock()
{
    QFETCH(QString, meanwhile);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.exp.lock"));
    int error = 0;
    const int fd = LockFile::create(path, &error);
    QVERIFY2(fd >= 0, strerror(error));
    const LockFile::Look mine = LockFile::look(path);
    QCOMPARE(mine.found, LockFile::Held);

    const QByteArray name = QFile::encodeName(path);
    const QByteArray other = QFile::encodeName(dir.filePath(QStringLiteral("other")));
    pid_t holder = -1;
    if (meanwhile == QLatin1String("link")) {
        QCOMPARE(::rename(name.constData(), other.constData()), 0);
        QCOMPARE(::symlink(other.constData(), name.constData()), 0);
    } else if (!meanwhile.isEmpty()) {
        const bool renamed = meanwhile == QLatin1String("renamed over");
        holder = holdInChild([&] {
            if (!renamed && ::unlink(name.constData()) != 0)
                return false;
            const int theirs = ::open(renamed ? other.constData() : name.constData(),
                                      O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            return theirs >= 0 && ::flock(theirs, LOCK_EX | LOCK_NB) == 0
                   && (!renamed || ::rename(other.constData(), name.constData()) == 0);
        });
        QVERIFY(holder > 0);
    }
    auto killHolder = qScopeGuard([holder] { killLockHolder(holder); });
    const LockFile::Look before = LockFile::look(path);

    LockFile::release(fd, path);

    const LockFile::Look after = LockFile::look(path);
    QCOMPARE(QFileInfo(path).isSymLink(), meanwhile == QLatin1String("link"));
    if (meanwhile.isEmpty()) {
        QCOMPARE(after.found, LockFile::Nothing);
        return;
    }
    QCOMPARE(after.found, before.found);
    QCOMPARE(after.inode, before.inode);
    if (holder > 0) {
        QCOMPARE(after.found, LockFile::Held);
        QVERIFY(after.inode != mine.inode);
    }
}

QPE_TEST_MAIN(TestLockFile)
#include "tst_lockfile.moc"
