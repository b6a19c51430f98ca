#include "ymrtest.h"

#include "directoryselector.h"

#include "filedialog/ymfiledialog.h"
#include "pim/ymrpim.h"
#include "qpe/global.h"
#include "qpe/qpeglobal.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QDir>
#include <QSignalSpy>

class TestDirectorySelector : public QObject
{
    Q_OBJECT
private slots:
    void fixedPlaces();
    void setDirectory_data();
    void setDirectory();
    void addedFolderOnce();
    void browseButtonAsksTheFileDialog();
};

void TestDirectorySelector::fixedPlaces()
{
    DirectorySelector s;
    QCOMPARE(s.comboBox()->count(), 5);
    const QStringList texts{"Documents", "Home Dir", "Applications Data", "Compact Flash",
                            "SD Card"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(s.comboBox()->text(i), texts.at(i));
    QCOMPARE(s.comboBox()->currentItem(), 0);
    QCOMPARE(s.directory(), YMRApplication::documentDir());
    // the platform's home, which a test (or a user trying things) sets apart
    QCOMPARE(s.path(1), Qpe::userRoot());
    QVERIFY(s.path(1) != QDir::homePath());
    QString data = Global::applicationFileName(YMRPIM::applicationName(), QString());
    data.chop(1);   // without its final "/"
    QCOMPARE(s.path(2), data);
    QCOMPARE(s.path(3), QStringLiteral("/mnt/cf"));
    QCOMPARE(s.path(4), QStringLiteral("/mnt/card"));
}

void TestDirectorySelector::setDirectory_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("current");
    QTest::newRow("card with separator") << "/mnt/cf/" << 3;
    QTest::newRow("sd card") << "/mnt/card" << 4;
    QTest::newRow("sd card spelled loosely") << "/mnt//card/." << 4;
    QTest::newRow("home") << Qpe::userRoot() << 1;
    QTest::newRow("documents") << YMRApplication::documentDir() + "/" << 0;
    QTest::newRow("empty keeps the current entry") << "" << 4;
}

void TestDirectorySelector::setDirectory()
{
    QFETCH(QString, path);
    QFETCH(int, current);
    DirectorySelector s;
    s.comboBox()->setCurrentItem(4);
    s.setDirectory(path);
    QCOMPARE(s.comboBox()->currentItem(), current);
    QCOMPARE(s.comboBox()->count(), 5);
}

void TestDirectorySelector::addedFolderOnce()
{
    DirectorySelector s;
    s.setDirectory(QStringLiteral("/tmp/books/"));
    QCOMPARE(s.comboBox()->count(), 6);
    QCOMPARE(s.comboBox()->text(5), QStringLiteral("/tmp/books/"));   // as given
    QCOMPARE(s.directory(), QStringLiteral("/tmp/books"));
    s.setDirectory(QStringLiteral("/mnt/cf"));
    s.setDirectory(QStringLiteral("/tmp/books"));
    QCOMPARE(s.comboBox()->count(), 6);
    QCOMPARE(s.comboBox()->currentItem(), 5);
}

void TestDirectorySelector::browseButtonAsksTheFileDialog()
{
    DirectorySelector s;
    s.setDirectory(QStringLiteral("/mnt/card"));
    QSignalSpy changed(&s, &DirectorySelector::changed);

    YMFileDialog::queueCancel();
    s.browseButton()->click();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(s.directory(), QStringLiteral("/mnt/card"));

    YMFileDialog::queueAnswer({QStringLiteral("/srv/books")});
    s.browseButton()->click();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(s.directory(), QStringLiteral("/srv/books"));
    const QList<YMFileDialog::ScriptedCall> calls = YMFileDialog::takeScriptedCalls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0).entryPoint, QStringLiteral("getExistingDirectory"));
    QCOMPARE(calls.at(0).startDir, QStringLiteral("/mnt/card"));
    YMFileDialog::clearScript();
}

YMR_TEST_MAIN(TestDirectorySelector)
#include "tst_directoryselector.moc"
