#include "ymrtest.h"

#include "filetree.h"

#include "filedialog/sfilelistbox.h"
#include "filedialog/sfilelistboxitem.h"
#include "filedialog/sfilelistview.h"
#include "filedialog/sfilelistviewitem.h"
#include "filedialog/ymfileview.h"
#include "qpe/qpekeys.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistviewitemiterator.h"

#include <QDataStream>
#include <QSignalSpy>

#include <sys/stat.h>

namespace {

QStringList boxTexts(const SFileListBox *b)
{
    QStringList out;
    for (YMRListBoxItem *i = b->firstItem(); i; i = i->next())
        out << i->text();
    return out;
}

QStringList viewTexts(const SFileListView *v, int column = 0)
{
    QStringList out;
    for (YMRListViewItem *i = v->firstChild(); i; i = i->nextSibling())
        out << i->text(column);
    return out;
}

YMRListViewItem *row(const SFileListView *v, const QString &text)
{
    for (YMRListViewItem *i = v->firstChild(); i; i = i->nextSibling()) {
        if (i->text(0) == text)
            return i;
    }
    return nullptr;
}

// a trash index record as the trash program writes it
void writeString(QDataStream &out, const QByteArray &s)
{
    out << quint32(s.size() + 1);
    out.writeRawData(s.constData(), s.size() + 1);
}

// Both times are t's; an invalid t is written as the writers' 0.
void writeRecord(QDataStream &out, const QByteArray &stored, const QByteArray &original,
                 qint32 size, bool folder,
                 const QDateTime &t = QDateTime(QDate(2005, 1, 18), QTime(13, 45)))
{
    const quint32 day = t.isValid() ? quint32(t.date().toJulianDay()) : 0;
    const quint32 ms = t.isValid() ? quint32(t.time().msecsSinceStartOfDay()) : 0;
    writeString(out, stored);
    writeString(out, original);
    out << size << day << ms;
    out << qint32(0) << qint32(folder ? 1 : 0) << qint32(0);
    out << day << ms;
}

} // namespace

class TestYMFileView : public QObject
{
    Q_OBJECT
private slots:
    void listingOrder_data();
    void listingOrder();
    void listingSettings_data();
    void listingSettings();
    void rowTexts();
    void relistingKeepsSelection();
    void missingPathKeepsFolder();
    void enteringFolders();
    void chosenPaths();
    void trashFolder();
    void damagedTrashIndex();
    void findFileFolder();
    void refreshRules();
    void longPress();
    void checkKey();
    void entryHeights();
};

// Folders first, then files, each in the chosen order, in both presentations.
void TestYMFileView::listingOrder_data()
{
    QTest::addColumn<int>("sort");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("name") << 0 << QStringList{"x", "y", "a", "b"};
    QTest::newRow("name reversed") << 8 << QStringList{"y", "x", "b", "a"};
    QTest::newRow("size") << 2 << QStringList{"x", "y", "b", "a"};
}

void TestYMFileView::listingOrder()
{
    QFETCH(int, sort);
    QFETCH(QStringList, expected);
    QTemporaryDir tmp;
    QDir(tmp.path()).mkdir("x");
    QDir(tmp.path()).mkdir("y");
    filetree::touch(tmp.path() + "/a", "a");
    filetree::touch(tmp.path() + "/b", "bbbbbbbb");
    YMFileView view(false);
    view.setSort(sort);
    view.setDir(tmp.path());
    QCOMPARE(view.mode(), 1);
    QCOMPARE(viewTexts(view.listView()), expected);
    QVERIFY(view.listView()->rootIsDecorated());
    QVERIFY(view.listView()->header()->isHidden());
    view.setMode(0);
    QCOMPARE(boxTexts(view.listBox()), expected);
}

void TestYMFileView::listingSettings_data()
{
    QTest::addColumn<bool>("dirMode");
    QTest::addColumn<bool>("dirsToo");
    QTest::addColumn<bool>("hiddenToo");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    const QString uni = QString::fromUtf8("Ünïcödé");
    QTest::newRow("everything") << false << true << true << "*"
                                << QStringList{".hiddendir", "with space", "x", "y", uni,
                                               ".hidden", "a.txt", "b.exp", "c.exp", "link.txt"};
    QTest::newRow("no hidden") << false << true << false << "*"
                               << QStringList{"with space", "x", "y", uni, "a.txt", "b.exp",
                                              "c.exp", "link.txt"};
    QTest::newRow("filter") << false << false << true << "*.exp"
                            << QStringList{"b.exp", "c.exp"};
    QTest::newRow("two patterns") << false << false << false << "*.exp *.txt"
                                  << QStringList{"a.txt", "b.exp", "c.exp", "link.txt"};
    QTest::newRow("folders only") << true << true << false << "*"
                                  << QStringList{"with space", "x", "y", uni};
    QTest::newRow("nothing") << true << false << true << "*" << QStringList{};
}

void TestYMFileView::listingSettings()
{
    QFETCH(bool, dirMode);
    QFETCH(bool, dirsToo);
    QFETCH(bool, hiddenToo);
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    filetree::Tree tree;
    YMFileView view(dirMode);
    view.setDirsToo(dirsToo);
    view.setHiddenToo(hiddenToo);
    view.setFilter(filter);
    view.setDir(tree.root);
    QCOMPARE(viewTexts(view.listView()), expected);
    view.setMode(0);
    QCOMPARE(boxTexts(view.listBox()), expected);
}

void TestYMFileView::rowTexts()
{
    filetree::Tree tree;
    QFile::setPermissions(tree.path("b.exp"), QFile::ReadOwner | QFile::WriteOwner
                                                  | QFile::ReadGroup | QFile::ExeOther);
    YMFileView view(false);
    view.setDir(tree.root);
    SFileListView *lv = view.listView();
    auto *b = static_cast<SFileListViewItem *>(row(lv, "b.exp"));
    QCOMPARE(b->text(1), QString("2"));
    QCOMPARE(b->text(3), QString("rw-r----x"));
    QVERIFY(!b->isLink());
    QCOMPARE(b->key(1, true), QString("00000002"));
    const QDateTime m = QFileInfo(tree.path("b.exp")).lastModified();
    QCOMPARE(b->text(2), m.toString("yyyy-MM-dd hh:mm"));
    auto *link = static_cast<SFileListViewItem *>(row(lv, "link.txt"));
    QVERIFY(link->isLink());
    QCOMPARE(link->text(6), tree.path("a.txt"));
    QVERIFY(row(lv, "a.txt")->text(6).isEmpty());
    view.setMode(0);
    SFileListBox *box = view.listBox();
    auto *boxLink = static_cast<SFileListBoxItem *>(box->item(boxTexts(box).indexOf("link.txt")));
    QVERIFY(boxLink->isLink());
    // painting with overlays and a cut name does not trip over anything
    box->resize(120, 100);
    QVERIFY(!box->grab().isNull());
    lv->resize(120, 100);
    QVERIFY(!lv->grab().isNull());
}

// Listing the same folder again keeps selection and current by name.
void TestYMFileView::relistingKeepsSelection()
{
    filetree::Tree tree;
    YMFileView view(false);
    view.setMultiSelection(true);
    view.setDir(tree.root);
    SFileListView *lv = view.listView();
    lv->setSelected(row(lv, "b.exp"), true);
    lv->setSelected(row(lv, "c.exp"), true);
    lv->setCurrentItem(row(lv, "c.exp"));
    QFile::remove(tree.path("b.exp"));
    QVERIFY(lv->setDir(tree.root + "//"));
    QStringList list;
    QString current;
    view.selection(list, &current);
    QCOMPARE(list, QStringList{tree.path("c.exp")});
    QCOMPARE(current, tree.path("c.exp"));
    // another folder keeps nothing
    QVERIFY(lv->setDir(tree.path("x")));
    view.selection(list, &current);
    QVERIFY(list.isEmpty());

    view.setMode(0);
    view.setDir(tree.root);
    SFileListBox *box = view.listBox();
    const int a = boxTexts(box).indexOf("a.txt");
    box->setSelected(a, true);
    box->setCurrentItem(a);
    QVERIFY(box->setDir(tree.root + "/./"));
    QCOMPARE(box->selectedFiles(), QStringList{tree.path("a.txt")});
    QCOMPARE(box->currentFile(), tree.path("a.txt"));
}

void TestYMFileView::missingPathKeepsFolder()
{
    filetree::Tree tree;
    YMFileView view(false);
    view.setDir(tree.root);
    QSignalSpy spy(view.listView(), &SFileListView::dirChanged);
    QVERIFY(!view.listView()->setDir(tree.path("gone")));
    QVERIFY(!view.listView()->setDir(QString()));
    QCOMPARE(view.listView()->dir(), tree.root + "/");
    QCOMPARE(view.listView()->childCount(), 0);
    QCOMPARE(view.listView()->columns(), 7);
    QVERIFY(!view.listBox()->setDir(tree.path("gone")));
    QCOMPARE(spy.count(), 0);
}

// A folder is entered after the click or expansion has been handled.
void TestYMFileView::enteringFolders()
{
    filetree::Tree tree;
    YMFileView view(false);
    view.resize(240, 300);
    view.show();
    view.setDir(tree.root);
    QSignalSpy viewSpy(&view, &YMFileView::dirChanged);

    SFileListView *lv = view.listView();
    YMRListViewItem *x = row(lv, "x");
    QVERIFY(x && x->isExpandable());
    lv->setOpen(x, true);
    QTRY_COMPARE(viewSpy.count(), 1);
    QCOMPARE(viewSpy.at(0).at(0).toString(), tree.path("x"));
    QCOMPARE(lv->dir(), tree.path("x") + "/");
    QCOMPARE(view.dir(), tree.path("x"));
    QCOMPARE(viewTexts(lv), QStringList{"inner"});

    view.setMode(0);
    view.setDir(tree.root);
    SFileListBox *box = view.listBox();
    YMRListBoxItem *sp = box->item(boxTexts(box).indexOf("with space"));
    QTRY_VERIFY(box->itemRect(sp).isValid());
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->itemRect(sp).center());
    QTRY_COMPARE(viewSpy.count(), 2);
    QCOMPARE(viewSpy.at(1).at(0).toString(), tree.path("with space"));
    QCOMPARE(box->dir(), tree.path("with space") + "/");
    // a file is not entered
    view.setDir(tree.root);
    box->itemClicked(box->item(boxTexts(box).indexOf("a.txt")));
    QTest::qWait(0);
    QCoreApplication::processEvents();
    QCOMPARE(viewSpy.count(), 2);
}

void TestYMFileView::chosenPaths()
{
    filetree::Tree tree;
    YMFileView view(false);
    view.setMultiSelection(true);
    view.setDir(tree.root);
    SFileListView *lv = view.listView();
    QVERIFY(view.currentFile().isEmpty());
    lv->setSelected(row(lv, "a.txt"), true);
    lv->setSelected(row(lv, "x"), true);
    lv->setCurrentItem(nullptr);
    QStringList list;
    QString current;
    view.selection(list, &current);
    QCOMPARE(list, (QStringList{tree.path("x"), tree.path("a.txt")}));
    QCOMPARE(current, tree.path("x"));
    view.selectAll();
    view.selection(list);
    QCOMPARE(list.size(), lv->childCount());
    view.unselectAll();
    view.selection(list);
    QVERIFY(list.isEmpty());
    QVERIFY(!view.isEmpty());
    view.clear();
    QVERIFY(view.isEmpty());
}

// Trash rows come from the index; a stored name never leads out of the trash.
void TestYMFileView::trashFolder()
{
    QTemporaryDir tmp;
    const QString trash = tmp.path();
    filetree::touch(trash + "/.ymrtrash");
    QFile idx(trash + "/index.idx");
    QVERIFY(idx.open(QIODevice::WriteOnly));
    QDataStream out(&idx);
    writeRecord(out, "0001", "/home/me/Book.exp", 1234, false);
    writeRecord(out, "../../etc/passwd", "/home/me/harmless.txt", 1, false);
    writeRecord(out, "0002", "/home/docs", 4096, true);
    writeRecord(out, "0003", "/home/me/Book.exp", 99, false);
    writeRecord(out, "0004", "/tmp/timeless", 5, false, QDateTime());
    idx.close();

    YMFileView view(false);
    view.setMultiSelection(true);
    view.setDir(trash);
    SFileListView *lv = view.listView();
    QCOMPARE(lv->folderMode(), SFileListView::TrashFolder);
    QVERIFY(!lv->header()->isHidden());
    QCOMPARE(lv->columns(), 5);
    // sorted by former folder; equal folders in reverse reading order
    QCOMPARE(viewTexts(lv, 5), (QStringList{"0002", "0003", "0001", "0004"}));
    QCOMPARE(viewTexts(lv, 0), (QStringList{"docs", "Book.exp", "Book.exp", "timeless"}));
    QCOMPARE(viewTexts(lv, 3), (QStringList{"/home/", "/home/me/", "/home/me/", "/tmp/"}));
    QCOMPARE(viewTexts(lv, 1), (QStringList{"4096", "99", "1234", "5"}));
    QCOMPARE(viewTexts(lv, 2).at(0), QString("2005-01-18 13:45"));
    QCOMPARE(viewTexts(lv, 4).at(0), QString("2005-01-18 13:45"));
    // a time of 0 is no time: both columns stay empty
    QCOMPARE(viewTexts(lv, 2).at(3), QString());
    QCOMPARE(viewTexts(lv, 4).at(3), QString());
    YMRListViewItem *docs = lv->firstChild();
    QVERIFY(!docs->isExpandable());
    lv->setSelected(docs, true);
    lv->setCurrentItem(docs);
    QCOMPARE(view.currentFile(), QDir::cleanPath(trash + "/0002"));
    // header clicks never re-sort
    lv->resize(400, 300);
    lv->show();
    QTest::mouseClick(lv->header(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(viewTexts(lv, 5), (QStringList{"0002", "0003", "0001", "0004"}));
}

void TestYMFileView::damagedTrashIndex()
{
    QTemporaryDir tmp;
    filetree::touch(tmp.path() + "/.ymrtrash");
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        writeRecord(out, "0001", "/a/one", 1, false);
        writeRecord(out, "0002", "/a/two", 2, false);
    }
    const int oneRecord = bytes.size() / 2;
    YMFileView view(false);
    for (int cut = 0; cut <= bytes.size(); cut += 3) {
        QFile f(tmp.path() + "/index.idx");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray part = bytes.left(cut);
        // a count far beyond the file must not be believed
        if (cut == 3)
            part = QByteArray("\x7f\xff\xff\xff", 4);
        f.write(part);
        f.close();
        view.setDir(tmp.path());
        const int expected = cut >= 2 * oneRecord ? 2 : cut >= oneRecord ? 1 : 0;
        QCOMPARE(view.listView()->childCount(), expected);
    }
    QFile::remove(tmp.path() + "/index.idx");
    view.setDir(tmp.path());
    QCOMPARE(view.listView()->childCount(), 0);
}

// The find-file folder lists its links' targets; relative ones count from
// the link's own folder, and a target that is gone still has its row.
void TestYMFileView::findFileFolder()
{
    filetree::Tree tree;
    const QString found = SFileListView::findFileDir();
    QVERIFY(found.endsWith("/ymrFindFile/"));
    QDir().mkpath(found + "sub");
    filetree::touch(found + "sub/local.txt");
    QVERIFY(QFile::link(tree.path("b.exp"), found + "r1"));
    QVERIFY(QFile::link("sub/local.txt", found + "r2"));
    QVERIFY(QFile::link(tree.path("x/gone.exp"), found + "r3"));
    QCOMPARE(mkfifo(QFile::encodeName(found + "pipe").constData(), 0600), 0);

    YMFileView view(false);
    view.setMultiSelection(true);
    view.setFilter("*.none");
    view.setDir(found);
    SFileListView *lv = view.listView();
    QCOMPARE(lv->folderMode(), SFileListView::FindFileFolder);
    QCOMPARE(lv->columns(), 4);
    QVERIFY(!lv->header()->isHidden());
    const QStringList names = viewTexts(lv);
    QCOMPARE(names.size(), 4); // the folder "sub" too, the pipe not
    QVERIFY(names.contains("b.exp"));
    QVERIFY(names.contains("local.txt"));
    YMRListViewItem *gone = row(lv, "gone.exp");
    QVERIFY(gone);
    QCOMPARE(gone->text(3), tree.path("x/"));
    view.selectAll();
    QStringList list;
    view.selection(list);
    QVERIFY(list.contains(tree.path("b.exp")));
    QVERIFY(list.contains(QDir::cleanPath(found + "sub/local.txt")));
    QVERIFY(list.contains(tree.path("x/gone.exp")));
    // only the exact spelling is the find-file folder, not a link to it
    QVERIFY(QFile::link(QDir::cleanPath(found), tree.path("alias")));
    view.setDir(tree.path("alias"));
    QCOMPARE(lv->folderMode(), SFileListView::PlainFolder);
    QDir(found).removeRecursively();
}

void TestYMFileView::refreshRules()
{
    filetree::Tree tree;
    YMFileView view(false);
    view.setDir(tree.root);
    SFileListView *lv = view.listView();
    YMRListViewItem *marked = lv->firstChild();
    marked->setText(1, "marked");
    view.setSort(0);
    view.setDirsToo(true);
    view.setHiddenToo(true);
    view.setMode(1);
    QCOMPARE(lv->firstChild()->text(1), QString("marked"));
    view.setFilter("*");
    QVERIFY(lv->firstChild()->text(1) != "marked");
    // the owner's settings are read on each listing
    view.setMode(0);
    SFileListBox *box = view.listBox();
    const QStringList before = boxTexts(box);
    view.setSort(8);
    QVERIFY(boxTexts(box) != before);
}

void TestYMFileView::longPress()
{
    filetree::Tree tree;
    YMFileView view(false);
    view.resize(240, 300);
    view.show();
    view.setDir(tree.root);
    QSignalSpy spy(&view, &YMFileView::popup);
    QWidget *vp = view.listView()->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 30000);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!spy.wait(700));
    QCOMPARE(spy.count(), 1);
}

void TestYMFileView::checkKey()
{
    filetree::Tree tree;
    YMFileView view(false);
    view.setDir(tree.root);
    SFileListView *lv = view.listView();
    lv->setCurrentItem(lv->firstChild());
    QList<int> codes;
    bool take = true;
    connect(lv, &SFileListView::checkKey, this, [&](bool &handled, int code) {
        codes << code;
        handled = take;
    });
    QTest::keyClick(lv, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(lv, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(lv, Qt::Key_Shift);
    QCOMPARE(codes, (QList<int>{QpeKeys::Key_Down | QpeKeys::SHIFT, QpeKeys::Key_Down}));
    QCOMPARE(lv->currentItem(), lv->firstChild());
    take = false;
    QTest::keyClick(lv, Qt::Key_Down);
    QCOMPARE(lv->currentItem(), lv->firstChild()->nextSibling());
}

void TestYMFileView::entryHeights()
{
    filetree::Tree tree;
    for (int px : {10, 20, 30}) {
        YMFileView view(false);
        QFont f;
        f.setPixelSize(px);
        view.listView()->setFont(f);
        view.listBox()->setFont(f);
        view.setDir(tree.root);
        const QFontMetrics fm(f);
        const int icon = fm.height() < 17 ? 16 : fm.height() < 25 ? 24 : 32;
        QCOMPARE(view.listView()->icons().size(), icon);
        QCOMPARE(view.listView()->firstChild()->height(), qMax(icon + 1, fm.height() + 2));
        view.setMode(0);
        QCOMPARE(view.listBox()->icons().size(), icon);
        QCOMPARE(view.listBox()->itemHeight(0), qMax(icon + 1, fm.height() + 2));
    }
}

YMR_TEST_MAIN(TestYMFileView)
#include "tst_ymfileview.moc"
