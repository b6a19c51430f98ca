#include "ymrtest.h"

#include "filedialog/mimeiconset.h"
#include "qt/ymrapplication.h"

#include <QFont>
#include <QFontMetrics>

class TestMimeIconSet : public QObject
{
    Q_OBJECT
private slots:
    void iconByName_data();
    void iconByName();
    void sizeFollowsFontHeight_data();
    void sizeFollowsFontHeight();
    void picturesLoadOncePerSize();
};

void TestMimeIconSet::iconByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("icon");
    QTest::newRow("upper-case extension") << "Photo.JPG" << false << "image";
    QTest::newRow("last extension only") << "archive.tar.gz" << false << "tar";
    QTest::newRow("lib prefix") << "libfoo" << false << "binary";
    QTest::newRow("Lib is not lib") << "LibFoo" << false << "empty";
    QTest::newRow("lib inside") << "mylib" << false << "empty";
    QTest::newRow("versioned library") << "foo.so.1" << false << "binary";
    QTest::newRow("library by extension") << "foo.so" << false << "binary";
    QTest::newRow("readme") << "README" << false << "info";
    QTest::newRow("changelog") << "ChangeLog" << false << "info";
    QTest::newRow("extension wins") << "README.txt" << false << "document";
    QTest::newRow("executable") << "run.sh" << true << "make";
    QTest::newRow("not executable") << "run.sh" << false << "empty";
    QTest::newRow("book") << "Home.exp" << false << "empty";
    QTest::newRow("word") << "letter.RTF" << false << "wordprocessing";
    QTest::newRow("csv is no spreadsheet") << "out.csv" << false << "empty";
}

void TestMimeIconSet::iconByName()
{
    QFETCH(QString, name);
    QFETCH(bool, executable);
    QFETCH(QString, icon);
    QCOMPARE(MimeIconSet::iconName(MimeIconSet::iconIndex(name, executable)), icon);
}

void TestMimeIconSet::sizeFollowsFontHeight_data()
{
    QTest::addColumn<int>("pixels");
    for (int px = 6; px < 40; ++px)
        QTest::newRow(qPrintable(QString::number(px))) << px;
}

void TestMimeIconSet::sizeFollowsFontHeight()
{
    QFETCH(int, pixels);
    QFont f;
    f.setPixelSize(pixels);
    const QFontMetrics fm(f);
    MimeIconSet set;
    set.setSizeFor(fm);
    const int expected = fm.height() < 17 ? 16 : fm.height() < 25 ? 24 : 32;
    QCOMPARE(set.size(), expected);
    // the picture of that size is the one loaded
    QCOMPARE(set.folderIcon().width(), expected);
    QCOMPARE(set.icon("a.png", false).height(), expected);
}

void TestMimeIconSet::picturesLoadOncePerSize()
{
    MimeIconSet set;
    QCOMPARE(set.size(), 0);
    QVERIFY(set.folderIcon().isNull());
    set.setSize(24);
    set.setSize(24);
    QCOMPARE(set.loadCount(), 1);
    const QPixmap kept = set.folderIcon();
    set.setSize(16);
    QCOMPARE(set.loadCount(), 2);
    // a copy taken before the resize stays a valid 24-pixel picture
    QCOMPARE(kept.width(), 24);
    QCOMPARE(set.desktopIcon().width(), 16);
    QVERIFY(MimeIconSet::pathTemplate().endsWith("/pics/ymr/mime/%1/%2.png"));
}

YMR_TEST_MAIN(TestMimeIconSet)
#include "tst_mimeiconset.moc"
