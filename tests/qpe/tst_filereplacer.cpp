#include "ymrtest.h"

#include "filebytes.h"
#include "qpe/filereplacer.h"
#include "qpe/qpeapplication.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

// Replacing a file: a failure names its reason and keeps the old file; the
// new copy is nobody else's from its first byte and ends with the old
// file's mode.
class TestFileReplacer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup();
    void failuresKeepTheOldFile_data();
    void failuresKeepTheOldFile();
    void privateFromTheFirstByte_data();
    void privateFromTheFirstByte();

private:
    QTemporaryDir m_dir;
};

namespace {
mode_t s_createdMode = 0;
void noteCreatedMode(int fd)
{
    struct stat st;
    s_createdMode = ::fstat(fd, &st) == 0 ? st.st_mode & 07777 : 07777;
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

void setMode(const QString &path, mode_t mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}
} // namespace

void TestFileReplacer::cleanup()
{
    FileReplacer::setSpaceLeft(-1);
    FileReplacer::setCreatedHook(nullptr);
}

void TestFileReplacer::failuresKeepTheOldFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("room enough") << "" << int(FileReplacer::NoFailure) << "";
    QTest::newRow("full disk") << "full" << int(FileReplacer::NoSpace) << "no space";
    QTest::newRow("file made read-only") << "0444" << int(FileReplacer::ReadOnly) << "read-only";
    QTest::newRow("folder made read-only") << "folder 0555" << int(FileReplacer::ReadOnly)
                                           << "read-only";
    QTest::newRow("a folder in its place") << "folder" << int(FileReplacer::NotAFile) << "not a file";
    QTest::newRow("another writer's .new") << "other new" << int(FileReplacer::InUse)
                                           << "another program";
    QTest::newRow("a stale .new of ours") << "stale new" << int(FileReplacer::NoFailure) << "";
}

void TestFileReplacer::failuresKeepTheOldFile()
{
    QFETCH(QString, setup);
    QFETCH(int, failure);
    QFETCH(QString, reason);
    const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/book.exp");
    const QString newPath = path + QStringLiteral(".new");
    if (setup == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else
        writeAll(path, "old content");
    if (setup == QLatin1String("full"))
        FileReplacer::setSpaceLeft(4);
    if (setup == QLatin1String("0444"))
        setMode(path, 0444);
    if (setup == QLatin1String("folder 0555"))
        setMode(folder, 0555);
    if (setup.endsWith(QLatin1String(" new")))
        writeAll(newPath, "half written");

    QFile file;
    const bool ok = FileReplacer::open(file, path, setup != QLatin1String("other new"))
                    && FileReplacer::commit(file, file.write("new content") == 11);
    setMode(folder, 0755);
    QCOMPARE(ok, failure == FileReplacer::NoFailure);
    QCOMPARE(int(FileReplacer::lastFailure()), failure);
    QVERIFY2(FileReplacer::lastFailureText().contains(reason), qPrintable(FileReplacer::lastFailureText()));
    if (ok) {
        QCOMPARE(readAll(path), QByteArray("new content"));
    } else if (setup != QLatin1String("folder")) {
        QCOMPARE(readAll(path), QByteArray("old content"));
    } else {
        QVERIFY(QFileInfo(path).isDir());
    }
    // nothing of the failed write is left; another writer's file is not ours to remove
    if (setup == QLatin1String("other new"))
        QCOMPARE(readAll(newPath), QByteArray("half written"));
    else
        QVERIFY(!QFileInfo::exists(newPath));
}

void TestFileReplacer::privateFromTheFirstByte_data()
{
    QTest::addColumn<int>("oldMode");
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("private book") << 0600 << false;
    QTest::newRow("group may read") << 0640 << false;
    QTest::newRow("everybody may read") << 0644 << false;
    QTest::newRow("private book behind a link") << 0600 << true;
    QTest::newRow("new file") << -1 << false;
}

void TestFileReplacer::privateFromTheFirstByte()
{
    QFETCH(int, oldMode);
    QFETCH(bool, throughLink);
    const QString folder = m_dir.filePath(QStringLiteral("modes/") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/book.exp");
    const QString path = throughLink ? m_dir.filePath(QStringLiteral("link.exp")) : target;
    if (oldMode >= 0) {
        writeAll(target, "old");
        setMode(target, mode_t(oldMode));
    }
    if (throughLink) {
        QFile::remove(path);
        QVERIFY(QFile::link(target, path));
    }
    const mode_t mask = ::umask(022);
    FileReplacer::setCreatedHook(noteCreatedMode);
    s_createdMode = 07777;

    QFile file;
    QVERIFY(FileReplacer::open(file, path));
    ::umask(mask);
    // beside the file the link names, owner-only as it was created, the old mode once open
    const QString newPath = target + QStringLiteral(".new");
    QCOMPARE(FileReplacer::newFileName(file), newPath);
    QCOMPARE(int(s_createdMode), 0600);
    QCOMPARE(int(modeOf(newPath)), oldMode >= 0 ? oldMode : 0644);
    QVERIFY(FileReplacer::commit(file, file.write("new") == 3));
    QCOMPARE(readAll(path), QByteArray("new"));
    QCOMPARE(int(modeOf(target)), oldMode >= 0 ? oldMode : 0644);
    QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
}

QPE_TEST_MAIN(TestFileReplacer)
#include "tst_filereplacer.moc"
