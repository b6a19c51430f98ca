#include "ymrtest.h"

#include "filebytes.h"
#include "qpe/filereplacer.h"
#include "qpe/qpeapplication.h"

#include <QDir>
#include <QFileInfo>

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

QPE_TEST_MAIN(TestFileReplacer)
#include "tst_filereplacer.moc"
