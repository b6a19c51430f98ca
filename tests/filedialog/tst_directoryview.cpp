#include "ymrtest.h"

#include "filetree.h"

#include "filedialog/directoryview.h"
#include "filedialog/directoryviewitem.h"
#include "qt/ymrapplication.h"
#include "qpe/config.h"
#include "qpe/qcopchannel.h"
#include "qt/ymrheader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QSignalSpy>

namespace {

QStringList childTexts(const YMRListViewItem *item)
{
    QStringList out;
    for (YMRListViewItem *c = item->firstChild(); c; c = c->nextSibling())
        out << c->text(0);
    return out;
}

YMRListViewItem *child(const YMRListViewItem *item, const QString &text)
{
    for (YMRListViewItem *c = item->firstChild(); c; c = c->nextSibling()) {
        if (c->text(0) == text)
            return c;
    }
    return nullptr;
}

} // namespace

class TestDirectoryView : public QObject
{
    Q_OBJECT
private slots:
    void newTree();
    void setDirOpensThePath_data();
    void setDirOpensThePath();
    void pickingFolders();
    void reloadShowsNewFolders();
    void unreadableFolder();
    void fontChangeRebuilds();
    void colourMode();
};

void TestDirectoryView::newTree()
{
    DirectoryView view;
    QCOMPARE(view.objectName(), QString("ymrFileDialog"));
    QVERIFY(view.header()->isHidden());
    DirectoryViewItem *root = view.rootItem();
    QVERIFY(root);
    QCOMPARE(root->text(0), QString("My PDA"));
    QVERIFY(root->isOpen());
    QCOMPARE(root->path(), QString("/"));
    // the root's folders, hidden ones too, in text order
    QStringList expected = QDir("/").entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    std::sort(expected.begin(), expected.end());
    QCOMPARE(childTexts(root), expected);
    QVERIFY(view.currentDir().isNull());
}

void TestDirectoryView::setDirOpensThePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("current");
    QTest::newRow("nested") << "x/inner/deep" << "x/inner/deep";
    QTest::newRow("final separator") << "x/inner/" << "x/inner";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Ünïcödé") << QString::fromUtf8("Ünïcödé");
    QTest::newRow("space") << "with space" << "with space";
    // a missing part stops the walk at the last folder found: a same-named
    // folder elsewhere in the tree is never made current
    QTest::newRow("missing below") << "x/y" << "x";
    QTest::newRow("missing middle") << "gone/inner" << "";
    QTest::newRow("file") << "a.txt" << "";
}

void TestDirectoryView::setDirOpensThePath()
{
    QFETCH(QString, path);
    QFETCH(QString, current);
    filetree::Tree tree;
    DirectoryView view;
    QSignalSpy spy(&view, &DirectoryView::folderSelected);
    view.setDir(tree.path(path));
    QCOMPARE(view.currentDir(), current.isEmpty() ? tree.root : tree.path(current));
    QVERIFY(view.currentItem()->isOpen());
    QCOMPARE(spy.count(), 0);
}

void TestDirectoryView::pickingFolders()
{
    filetree::Tree tree;
    DirectoryView view;
    view.setDir(tree.root);
    QSignalSpy spy(&view, &DirectoryView::folderSelected);
    YMRListViewItem *current = view.currentItem();
    QVERIFY(current->isOpen());
    YMRListViewItem *x = child(current, "x");
    QVERIFY(x && !x->isOpen());
    view.slotFolderSelected(x);
    QVERIFY(x->isOpen());
    QCOMPARE(childTexts(x), QStringList{"inner"});
    QCOMPARE(spy.takeFirst().at(0).toString(), tree.path("x") + "/");
    // an open folder closes and is still reported
    view.slotFolderSelected(x);
    QVERIFY(!x->isOpen());
    QCOMPARE(spy.takeFirst().at(0).toString(), tree.path("x") + "/");
    // the root never closes
    view.slotFolderSelected(view.rootItem());
    QVERIFY(view.rootItem()->isOpen());
    QCOMPARE(spy.takeFirst().at(0).toString(), QString("/"));
    view.slotFolderSelected(nullptr);
    QCOMPARE(spy.count(), 0);
}

void TestDirectoryView::reloadShowsNewFolders()
{
    filetree::Tree tree;
    DirectoryView view;
    view.setDir(tree.path("y"));
    QVERIFY(QDir().mkdir(tree.path("y/new one")));
    QCOMPARE(childTexts(view.currentItem()), QStringList{});
    view.reload();
    QCOMPARE(view.currentDir(), tree.path("y"));
    QCOMPARE(childTexts(view.currentItem()), QStringList{"new one"});

    // a folder whose name the locale cannot read is there too, as unreadable
    const QByteArray raw = QFile::encodeName(tree.path("y")) + "/caf\xe9";
    QCOMPARE(::mkdir(raw.constData(), 0700), 0);
    view.reload();
    const QString cafe = QString::fromUtf8("caf\uFFFD");
    QCOMPARE(childTexts(view.currentItem()).size(), 2);
    auto *item = static_cast<DirectoryViewItem *>(child(view.currentItem(), cafe));
    QVERIFY(item && item->isUnreadable());
    ::rmdir(raw.constData());
}

void TestDirectoryView::unreadableFolder()
{
    if (::geteuid() == 0)
        QSKIP("permissions do not hold for root");
    filetree::Tree tree;
    QFile::setPermissions(tree.path("y"), QFile::WriteOwner);
    DirectoryView view;
    view.setDir(tree.root);
    auto *y = static_cast<DirectoryViewItem *>(child(view.currentItem(), "y"));
    QVERIFY(y->isUnreadable());
    y->setOpen(true);
    QVERIFY(!y->isOpen());
    QVERIFY(!y->isExpandable());
    QFile::setPermissions(tree.path("y"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestDirectoryView::fontChangeRebuilds()
{
    filetree::Tree tree;
    DirectoryView view;
    QFont small;
    small.setPixelSize(10);
    view.setFont(small);
    view.setDir(tree.path("x/inner"));
    QCOMPARE(view.icons().size(), 16);
    QFont big;
    big.setPixelSize(22);
    view.setFont(big);
    QCOMPARE(view.icons().size(), QFontMetrics(big).height() < 25 ? 24 : 32);
    QCOMPARE(view.currentDir(), tree.path("x/inner"));
    QCOMPARE(view.rootItem()->icon().width(), view.icons().size());
    auto *cur = static_cast<DirectoryViewItem *>(view.currentItem());
    QCOMPARE(cur->icon().width(), view.icons().size());
}

void TestDirectoryView::colourMode()
{
    DirectoryView view;
    {
        Config cfg("ymr");
        cfg.setGroup("ymrFileDialog");
        cfg.writeEntry("grid", 0);
    }
    QCopChannel::send("YMR/FileDialogColorMode", QByteArray());
    QTRY_COMPARE(view.colorMode(), 0);
    {
        Config cfg("ymr");
        cfg.setGroup("ymrFileDialog");
        cfg.writeEntry("grid", 1);
    }
    QCopChannel::send("YMR/FileDialogColorMode", QByteArray());
    QTRY_COMPARE(view.colorMode(), 1);
}

YMR_TEST_MAIN(TestDirectoryView)
#include "tst_directoryview.moc"
