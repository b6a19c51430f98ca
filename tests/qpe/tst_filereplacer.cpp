#include "ymrtest.h"

#include "filebytes.h"
#include "qpe/filereplacer.h"
#include "qpe/qpeapplication.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

// Replacing a file: the new copy is nobody else's from its first byte and
// ends with the old file's mode (its failures: tst_bookwriters).
class TestFileReplacer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup();
    void privateFromTheFirstByte_data();
    void privateFromTheFirstByte();
    void replacesOnlyAFileOnceConfirmed_data();
    void replacesOnlyAFileOnceConfirmed();

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
    FileReplacer::setSyncFault(0);
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
    // beside the file the link names under a short hidden name of its own,
    // owner-only as it was created, the old mode once open
    const QString newPath = FileReplacer::newFileName(file);
    QCOMPARE(QFileInfo(newPath).absolutePath(), QFileInfo(target).absolutePath());
    QVERIFY(QFileInfo(newPath).fileName().startsWith(QLatin1Char('.')));
    QVERIFY(QFileInfo(newPath).fileName().size() <= 16);
    QCOMPARE(int(s_createdMode), 0600);
    QCOMPARE(int(modeOf(newPath)), oldMode >= 0 ? oldMode : 0644);
    QVERIFY(FileReplacer::commit(file, file.write("new") == 3));
    QCOMPARE(readAll(path), QByteArray("new"));
    QCOMPARE(int(modeOf(target)), oldMode >= 0 ? oldMode : 0644);
    QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
}

void TestFileReplacer::replacesOnlyAFileOnceConfirmed_data()
{
    QTest::addColumn<QString>("standing");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("syncFails");
    QTest::addColumn<int>("failure");
    const int none = FileReplacer::NoFailure, notAFile = FileReplacer::NotAFile;
    QTest::newRow("a file") << "file" << "write" << false << none;
    QTest::newRow("nothing") << "nothing" << "write" << false << none;
    QTest::newRow("a link to a file") << "link" << "write" << false << notAFile;
    QTest::newRow("a link to nothing") << "dangling link" << "write" << false << notAFile;
    QTest::newRow("a FIFO") << "fifo" << "write" << false << notAFile;
    QTest::newRow("a folder") << "folder" << "write" << false << notAFile;
    // the disk does not confirm the new bytes (fdatasync fails)
    const int other = FileReplacer::OtherFailure;
    QTest::newRow("a shared file's write, not confirmed") << "file" << "write" << true << other;
    QTest::newRow("a book's save, not confirmed") << "file" << "open and commit" << true << other;
    QTest::newRow("a new file, not confirmed") << "nothing" << "create" << true << other;
}

// A write goes to its own name, and only once the disk confirmed it: a link
// there is neither followed nor replaced, nothing but a regular file is
// written over (its owner sets such a thing aside first), a failure says
// why, and nothing is left beside what stood there.
void TestFileReplacer::replacesOnlyAFileOnceConfirmed()
{
    QFETCH(QString, standing);
    QFETCH(QString, how);
    QFETCH(bool, syncFails);
    QFETCH(int, failure);
    const QString folder = m_dir.filePath(QStringLiteral("names/") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/file");
    const QString outside = m_dir.filePath(QStringLiteral("outside-") + QTest::currentDataTag());
    if (standing == QLatin1String("file"))
        writeAll(path, "old");
    else if (standing.endsWith(QLatin1String("link")))
        QVERIFY(QFile::link(outside, path));
    else if (standing == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (standing == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    if (standing == QLatin1String("link"))
        writeAll(outside, "the user's own");
    const int synced = FileReplacer::syncCount();
    FileReplacer::setSyncFault(syncFails ? EIO : 0);
    bool written = false;
    if (how == QLatin1String("write")) {
        written = FileReplacer::write(path, "new");
    } else if (how == QLatin1String("create")) {
        written = FileReplacer::create(path, "new", 0644);
    } else {
        QFile file;
        QVERIFY(FileReplacer::open(file, path));
        written = FileReplacer::commit(file, file.write("new") == 3);
    }
    FileReplacer::setSyncFault(0);
    QCOMPARE(written, failure == FileReplacer::NoFailure);
    // nothing beside it, a temporary file's hidden name included
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             standing == QLatin1String("nothing") && !written ? QStringList() : QStringList{"file"});
    if (written) {
        QCOMPARE(readAll(path), QByteArray("new"));
        return;
    }
    QCOMPARE(int(FileReplacer::lastFailure()), failure);
    if (syncFails) {
        QVERIFY(FileReplacer::syncCount() > synced);
        QCOMPARE(FileReplacer::lastError(), EIO);
    }
    if (standing == QLatin1String("file"))
        QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(QFileInfo(path).isSymLink(), standing.endsWith(QLatin1String("link")));
    QCOMPARE(readAll(outside), QByteArray(standing == QLatin1String("link") ? "the user's own" : ""));
    QCOMPARE(QFileInfo::exists(outside), standing == QLatin1String("link"));
}

QPE_TEST_MAIN(TestFileReplacer)
#include "tst_filereplacer.moc"
