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
    void failedSyncKeepsTheOldFile_data();
    void failedSyncKeepsTheOldFile();
    void writesAtTheNameOnly_data();
    void writesAtTheNameOnly();

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

namespace {
// What a folder holds, hidden names (a temporary file's) included.
QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}
} // namespace

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

void TestFileReplacer::failedSyncKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("a shared file's write") << "write";
    QTest::newRow("a book's save") << "open and commit";
    QTest::newRow("a new file") << "create";
}

// A disk that does not confirm the new bytes (fdatasync fails): the new
// file never takes the old one's place, the failure says why, and nothing
// is left beside it.
void TestFileReplacer::failedSyncKeepsTheOldFile()
{
    QFETCH(QString, how);
    const QString folder = m_dir.filePath(QStringLiteral("sync/") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/file");
    const bool old = how != QLatin1String("create");
    if (old)
        writeAll(path, "old");
    const int synced = FileReplacer::syncCount();
    FileReplacer::setSyncFault(EIO);
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
    QVERIFY(!written);
    QVERIFY(FileReplacer::syncCount() > synced);
    QCOMPARE(FileReplacer::lastError(), EIO);
    QCOMPARE(FileReplacer::lastFailure(), FileReplacer::OtherFailure);
    QCOMPARE(namesIn(folder), old ? QStringList{"file"} : QStringList());
    if (old)
        QCOMPARE(readAll(path), QByteArray("old"));
}

void TestFileReplacer::writesAtTheNameOnly_data()
{
    QTest::addColumn<QString>("standing");
    QTest::addColumn<bool>("written");
    QTest::newRow("a file") << "file" << true;
    QTest::newRow("nothing") << "nothing" << true;
    QTest::newRow("a link to a file") << "link" << false;
    QTest::newRow("a link to nothing") << "dangling link" << false;
    QTest::newRow("a FIFO") << "fifo" << false;
    QTest::newRow("a folder") << "folder" << false;
}

// A shared file's write goes to its own name: a link there is neither
// followed nor replaced, and nothing but a regular file is written over
// (its owner sets such a thing aside first).
void TestFileReplacer::writesAtTheNameOnly()
{
    QFETCH(QString, standing);
    QFETCH(bool, written);
    const QString folder = m_dir.filePath(QStringLiteral("names/") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/list");
    const QString outside = m_dir.filePath(QStringLiteral("outside-") + QTest::currentDataTag());
    if (standing == QLatin1String("file"))
        writeAll(path, "old");
    else if (standing == QLatin1String("link") || standing == QLatin1String("dangling link"))
        QVERIFY(QFile::link(outside, path));
    else if (standing == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (standing == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    if (standing == QLatin1String("link"))
        writeAll(outside, "the user's own");
    QCOMPARE(FileReplacer::write(path, "new"), written);
    if (written) {
        QCOMPARE(readAll(path), QByteArray("new"));
        QCOMPARE(namesIn(folder), QStringList{"list"});
        return;
    }
    QCOMPARE(FileReplacer::lastFailure(), FileReplacer::NotAFile);
    QCOMPARE(namesIn(folder), QStringList{"list"});
    QCOMPARE(QFileInfo(path).isSymLink(), standing.endsWith(QLatin1String("link")));
    QCOMPARE(readAll(outside), QByteArray(standing == QLatin1String("link") ? "the user's own" : ""));
    QCOMPARE(QFileInfo::exists(outside), standing == QLatin1String("link"));
}

QPE_TEST_MAIN(TestFileReplacer)
#include "tst_filereplacer.moc"
