#include "ymrtest.h"

#include "filetree.h"

#include "filedialog/ymdircombo.h"
#include "qt/ymrapplication.h"

#include <QSignalSpy>

namespace {
QStringList items(const YMDirCombo &c)
{
    QStringList out;
    for (int i = 0; i < c.count(); ++i)
        out << c.text(i);
    return out;
}

// "/" and each ancestor of a folder, down to it
QStringList chain(const QString &folder)
{
    QStringList out;
    QString p = folder;
    while (p != "/") {
        out.prepend(p);
        p = QFileInfo(p).path();
    }
    out.prepend("/");
    return out;
}
} // namespace

class TestYMDirCombo : public QObject
{
    Q_OBJECT
private slots:
    void ancestors_data();
    void ancestors();
    void choosingAnAncestor();
};

void TestYMDirCombo::ancestors_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("current");
    QTest::newRow("existing") << "x/inner" << "x/inner";
    QTest::newRow("messy") << "x/./inner//" << "x/inner";
    QTest::newRow("missing below") << "x/gone" << "x";
    // several missing levels are walked up by text, not given up on
    QTest::newRow("missing levels") << "x/m1/m2/m3" << "x";
    QTest::newRow("a file") << "a.txt" << "";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Ünïcödé/gone") << QString::fromUtf8("Ünïcödé");
}

void TestYMDirCombo::ancestors()
{
    QFETCH(QString, path);
    QFETCH(QString, current);
    filetree::Tree tree;
    YMDirCombo combo;
    combo.setDir(tree.path(path));
    const QString expected = current.isEmpty() ? tree.root : tree.path(current);
    QCOMPARE(items(combo), chain(expected));
    QCOMPARE(combo.currentItem(), combo.count() - 1);
    QCOMPARE(combo.currentDir(), expected);
    QVERIFY(!combo.pixmap(0)->isNull());

    combo.setDir("/");
    QCOMPARE(items(combo), QStringList{"/"});
    QCOMPARE(combo.currentDir(), QString("/"));
    // a relative path loses what comes before its first "/"
    combo.setDir("relative");
    QCOMPARE(items(combo), QStringList{"/"});
}

void TestYMDirCombo::choosingAnAncestor()
{
    filetree::Tree tree;
    YMDirCombo combo;
    combo.setDir(tree.path("x/inner/deep"));
    QSignalSpy spy(&combo, &YMDirCombo::folderSelected);
    const int count = combo.count();
    combo.setCurrentItem(count - 3);
    emit combo.activated(combo.text(count - 3));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), tree.path("x"));
    QCOMPARE(combo.count(), count);
    QCOMPARE(combo.currentDir(), tree.path("x"));
    combo.reload();
    QCOMPARE(items(combo), chain(tree.path("x")));
}

YMR_TEST_MAIN(TestYMDirCombo)
#include "tst_ymdircombo.moc"
