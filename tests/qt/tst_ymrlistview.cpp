#include "ymrtest.h"

#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"

#include <QScrollBar>
#include <QSignalSpy>

namespace {

QStringList topTexts(YMRListView *lv, int column = 0)
{
    QStringList out;
    for (YMRListViewItem *i = lv->firstChild(); i; i = i->nextSibling())
        out << i->text(column);
    return out;
}

// Items whose sort key is one column while another column tells them apart.
YMRListViewItem *add(YMRListView *lv, const QString &key, const QString &tag)
{
    return new YMRListViewItem(lv, key, tag);
}

void clickHeader(YMRHeader *h, int x)
{
    QMouseEvent p(QEvent::MouseButtonPress, QPointF(x, 3), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(h, &p);
    QMouseEvent r(QEvent::MouseButtonRelease, QPointF(x, 3), Qt::LeftButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(h, &r);
}

} // namespace

class TestYMRListView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void sortOrderAndStability();
    void sortFollowsTextChangesAndInsertions();
    void headerClicksSort();
    void columnsAndWidths();
    void heightsAndSizeHint();
    void takingItemsMovesCurrentAndSelection();
    void deletingASubtreeForgetsPressAndAnchor();
    void clearIsSilent();
    void selectionModesOnData();
    void treeWalkingAndOpening();
    void itemAtAndRects();
};

void TestYMRListView::initTestCase()
{
    qRegisterMetaType<YMRListViewItem *>();
}

void TestYMRListView::sortOrderAndStability()
{
    YMRListView lv(nullptr, "sorting");
    lv.addColumn("Key");
    lv.addColumn("Tag");
    // inserted last-first: the list reads a1 b1 a2 B a3 from the top
    add(&lv, "a", "3");
    add(&lv, "B", "B");
    add(&lv, "a", "2");
    add(&lv, "b", "1");
    add(&lv, "a", "1");

    // code-unit order: "B" before "a"; equal keys keep their present order
    QCOMPARE(topTexts(&lv, 1), QStringList({ "B", "1", "2", "3", "1" }));
    QCOMPARE(topTexts(&lv, 0), QStringList({ "B", "a", "a", "a", "b" }));

    // descending keeps equal keys in their order too
    lv.setSorting(0, false);
    QCOMPARE(topTexts(&lv, 0), QStringList({ "b", "a", "a", "a", "B" }));
    QCOMPARE(topTexts(&lv, 1), QStringList({ "1", "1", "2", "3", "B" }));

    // all keys equal (a column past the last): nothing moves in either order
    lv.setSorting(8, true);
    QCOMPARE(topTexts(&lv, 1), QStringList({ "1", "1", "2", "3", "B" }));
    lv.setSorting(8, false);
    QCOMPARE(topTexts(&lv, 1), QStringList({ "1", "1", "2", "3", "B" }));

    // unsorted: insertion order, newest first
    YMRListView plain;
    plain.addColumn("x");
    plain.setSorting(-1);
    new YMRListViewItem(&plain, "c");
    new YMRListViewItem(&plain, "a");
    new YMRListViewItem(&plain, "b");
    QCOMPARE(topTexts(&plain), QStringList({ "b", "a", "c" }));
    QCOMPARE(plain.header()->sortIndicatorSection(), -1);
    // placing after another item lasts while unsorted
    YMRListViewItem *last = plain.firstChild()->nextSibling()->nextSibling();
    new YMRListViewItem(&plain, last, "z");
    QCOMPARE(topTexts(&plain), QStringList({ "b", "a", "c", "z" }));
    plain.setSorting(0);
    QCOMPARE(topTexts(&plain), QStringList({ "a", "b", "c", "z" }));
}

void TestYMRListView::sortFollowsTextChangesAndInsertions()
{
    YMRListView lv;
    lv.addColumn("k");
    new YMRListViewItem(&lv, "b");
    YMRListViewItem *c = new YMRListViewItem(&lv, "c");
    new YMRListViewItem(&lv, "d");
    QCOMPARE(topTexts(&lv), QStringList({ "b", "c", "d" }));

    // a changed key takes its place at the next walk
    c->setText(0, "a");
    QCOMPARE(topTexts(&lv), QStringList({ "a", "b", "d" }));
    // a new item goes first and is sorted before it is next seen
    new YMRListViewItem(&lv, "c");
    QCOMPARE(topTexts(&lv), QStringList({ "a", "b", "c", "d" }));

    // children follow the view's order as well
    YMRListViewItem *parent = lv.firstChild();
    new YMRListViewItem(parent, "y");
    YMRListViewItem *x = new YMRListViewItem(parent, "z");
    new YMRListViewItem(parent, "w");
    QCOMPARE(parent->firstChild()->text(0), QString("w"));
    x->setText(0, "a");
    QCOMPARE(parent->firstChild()->text(0), QString("a"));
    lv.setSorting(0, false);
    QCOMPARE(topTexts(&lv), QStringList({ "d", "c", "b", "a" }));
    QCOMPARE(parent->firstChild()->text(0), QString("y"));
}

void TestYMRListView::headerClicksSort()
{
    YMRListView lv;
    lv.addColumn("One", 100);
    lv.addColumn("Two", 100);
    lv.resize(300, 200);
    lv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lv));
    new YMRListViewItem(&lv, "1", "b");
    new YMRListViewItem(&lv, "2", "a");
    new YMRListViewItem(&lv, "3", "c");
    YMRHeader *h = lv.header();
    QCOMPARE(topTexts(&lv), QStringList({ "1", "2", "3" }));

    clickHeader(h, 150);   // another column: ascending by it
    QCOMPARE(topTexts(&lv, 1), QStringList({ "a", "b", "c" }));
    clickHeader(h, 150);   // again: descending
    QCOMPARE(topTexts(&lv, 1), QStringList({ "c", "b", "a" }));
    clickHeader(h, 50);
    QCOMPARE(topTexts(&lv), QStringList({ "1", "2", "3" }));

    // sections moved: the click sorts by the column shown there
    h->moveSection(1, 0);
    clickHeader(h, 50);
    QCOMPARE(topTexts(&lv, 1), QStringList({ "a", "b", "c" }));

    // an unsorted view ignores header clicks
    lv.setSorting(-1);
    const QStringList before = topTexts(&lv, 1);
    clickHeader(h, 150);
    QCOMPARE(topTexts(&lv, 1), before);

    lv.setShowSortIndicator(true);
    lv.setSorting(1, false);
    QCOMPARE(h->sortIndicatorSection(), 1);
    QCOMPARE(h->sortIndicatorIncreasing(), false);
}

void TestYMRListView::columnsAndWidths()
{
    YMRListView lv;
    QCOMPARE(lv.addColumn("Name"), 0);
    QCOMPARE(lv.addColumn("Size", 40), 1);
    QCOMPARE(lv.columns(), 2);
    QCOMPARE(lv.columnWidthMode(0), YMRListView::Maximum);
    QCOMPARE(lv.columnWidthMode(1), YMRListView::Manual);
    QCOMPARE(lv.columnWidth(1), 40);
    QCOMPARE(lv.columnAlignment(1), int(Qt::AlignLeft));
    lv.setColumnAlignment(3, Qt::AlignRight);
    QCOMPARE(lv.columnAlignment(3), int(Qt::AlignRight));
    QCOMPARE(lv.columnAlignment(2), int(Qt::AlignLeft));

    // a maximum-width column grows with its widest text and never shrinks
    const QFontMetrics fm = lv.fontMetrics();
    const int start = lv.columnWidth(0);
    YMRListViewItem *i = new YMRListViewItem(&lv, "A rather long file name.txt", "1");
    const int wide = fm.horizontalAdvance("A rather long file name.txt") + 2 * lv.itemMargin();
    QCOMPARE(lv.columnWidth(0), qMax(start, wide));
    i->setText(0, "x");
    QCOMPARE(lv.columnWidth(0), qMax(start, wide));
    // a manual column stays
    i->setText(1, "a text much wider than forty pixels");
    QCOMPARE(lv.columnWidth(1), 40);

    // the width rule: text + 2 margins, pixmap + 2 margins, both + 3 margins
    const int m = lv.itemMargin();
    QPixmap pm(10, 30);
    pm.fill(Qt::blue);
    YMRListViewItem *j = new YMRListViewItem(&lv);
    QCOMPARE(j->width(fm, &lv, 0), 0);
    j->setPixmap(1, pm);
    QCOMPARE(j->width(fm, &lv, 1), 10 + 2 * m);
    j->setText(1, "ab");
    QCOMPARE(j->width(fm, &lv, 1), fm.horizontalAdvance("ab") + 10 + 3 * m);

    // misuse of the width-mode accessors is reported and changes nothing
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^ASSERT: \"column >= 0 && column < columns\\(\\)\" "
                                            "in qt/ymrlistview\\.cpp \\(\\d+\\)$"));
    lv.setColumnWidthMode(2, YMRListView::Manual);
    QCOMPARE(lv.columnWidthMode(0), YMRListView::Maximum);

    // removing a column removes its texts from every item
    lv.removeColumn(0);
    QCOMPARE(lv.columns(), 1);
    QCOMPARE(lv.header()->label(0), QString("Size"));
    QCOMPARE(i->text(0), QString("a text much wider than forty pixels"));
    QCOMPARE(j->text(0), QString("ab"));
    lv.removeColumn(5);
    QCOMPARE(lv.columns(), 1);
    lv.removeColumn(0);   // the last column: the view is cleared
    QCOMPARE(lv.childCount(), 0);
}

void TestYMRListView::heightsAndSizeHint()
{
    YMRListView lv;
    lv.addColumn("c");
    const int fh = lv.fontMetrics().height();
    // no items: header + 2 x (font height + 2 x margin)
    QCOMPARE(lv.sizeHint().height(), lv.header()->sizeHint().height() + 2 * (fh + 6));

    YMRListViewItem *i = new YMRListViewItem(&lv, "t");
    QCOMPARE(i->height(), fh + 2);
    lv.setItemMargin(10);
    QCOMPARE(i->height(), fh + 2);   // the margin plays no part

    QPixmap tall(8, fh + 20);
    tall.fill(Qt::red);
    i->setPixmap(0, tall);
    QCOMPARE(i->height(), fh + 22);
    QPixmap same(8, fh + 20);
    same.fill(Qt::green);
    i->setPixmap(0, same);
    QCOMPARE(i->height(), fh + 22);
    i->setPixmap(0, QPixmap());
    QCOMPARE(i->height(), fh + 2);

    // a free item is never measured against a missing view
    YMRListViewItem free1(static_cast<YMRListView *>(nullptr));
    free1.setText(0, "loose");
    QCOMPARE(free1.height(), 0);
    QCOMPARE(free1.totalHeight(), 0);
    QVERIFY(!free1.listView());
    QCOMPARE(free1.depth(), -1);
    lv.insertItem(&free1);
    QCOMPARE(free1.height(), fh + 2);
    lv.takeItem(&free1);
    QCOMPARE(free1.height(), 0);

    YMRListView other;
    other.addColumn("c");
    new YMRListViewItem(&other, "x");
    new YMRListViewItem(&other, "y");
    QCOMPARE(other.sizeHint().height(), other.header()->sizeHint().height() + 2 * (fh + 2));
    QCOMPARE(other.minimumSizeHint(), QSize(0, 0));
}

void TestYMRListView::takingItemsMovesCurrentAndSelection()
{
    YMRListView lv;
    lv.addColumn("c");
    lv.setSorting(-1);
    YMRListViewItem *c = new YMRListViewItem(&lv, "c");
    YMRListViewItem *b = new YMRListViewItem(&lv, "b");
    YMRListViewItem *a = new YMRListViewItem(&lv, "a");
    YMRListViewItem *a1 = new YMRListViewItem(a, "a1");
    lv.setCurrentItem(a1);
    QCOMPARE(lv.currentItem(), a1);

    QSignalSpy current(&lv, SIGNAL(currentChanged(YMRListViewItem*)));
    QSignalSpy selection(&lv, SIGNAL(selectionChanged()));

    // deleting the parent of the current item: its next sibling becomes current
    delete a;
    QCOMPARE(lv.currentItem(), b);
    QCOMPARE(current.count(), 1);
    QCOMPARE(current.at(0).at(0).value<YMRListViewItem *>(), b);
    QCOMPARE(selection.count(), 0);   // single mode: a1 was selected, a was not

    // taking the last sibling: the item above becomes current
    lv.setCurrentItem(c);
    current.clear();
    selection.clear();
    QVERIFY(c->isSelected());
    lv.takeItem(c);
    QCOMPARE(lv.currentItem(), b);
    QCOMPARE(current.count(), 1);
    QCOMPARE(selection.count(), 1);
    QVERIFY(!c->isSelected());
    QCOMPARE(lv.childCount(), 1);
    QVERIFY(!c->listView());
    delete c;

    // taking the only item leaves no current item
    current.clear();
    lv.takeItem(b);
    QCOMPARE(lv.currentItem(), static_cast<YMRListViewItem *>(nullptr));
    QCOMPARE(current.count(), 1);
    delete b;
    QCOMPARE(lv.childCount(), 0);
}

void TestYMRListView::deletingASubtreeForgetsPressAndAnchor()
{
    YMRListView lv;
    lv.addColumn("c", 100);
    lv.setSorting(-1);
    lv.setSelectionMode(YMRListView::Extended);
    lv.resize(200, 200);
    YMRListViewItem *c = new YMRListViewItem(&lv, "c");
    YMRListViewItem *b = new YMRListViewItem(&lv, "b");
    YMRListViewItem *a = new YMRListViewItem(&lv, "a");
    new YMRListViewItem(a, "a2");
    YMRListViewItem *a1 = new YMRListViewItem(a, "a1");
    a->setOpen(true);
    lv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lv));
    ymrtest::flushEvents();

    // A button held on a child makes it the pressed item and the anchor.
    const QPoint pa1(20, lv.itemRect(a1).center().y());
    QTest::mousePress(lv.viewport(), Qt::LeftButton, Qt::NoModifier, pa1);
    QCOMPARE(lv.currentItem(), a1);
    QSignalSpy clicked(&lv, SIGNAL(clicked(YMRListViewItem*)));
    delete a;
    QCOMPARE(lv.currentItem(), b);
    ymrtest::flushEvents();
    // released over another item: the pressed one is gone, so no click
    QTest::mouseRelease(lv.viewport(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(20, lv.itemRect(b).center().y()));
    QCOMPARE(clicked.count(), 0);
    // a Shift range starts at the new current item, not at the deleted one
    QTest::keyClick(&lv, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(lv.currentItem(), c);
    QVERIFY(b->isSelected());
    QVERIFY(c->isSelected());
}

void TestYMRListView::clearIsSilent()
{
    YMRListView lv;
    lv.addColumn("c");
    lv.setSelectionMode(YMRListView::Multi);
    for (int i = 0; i < 5; ++i)
        new YMRListViewItem(&lv, QString::number(i));
    lv.setCurrentItem(lv.firstChild());
    lv.selectAll(true);
    QSignalSpy current(&lv, SIGNAL(currentChanged(YMRListViewItem*)));
    QSignalSpy selection(&lv, SIGNAL(selectionChanged()));
    lv.clear();
    QCOMPARE(current.count(), 0);
    QCOMPARE(selection.count(), 0);
    QCOMPARE(lv.childCount(), 0);
    QVERIFY(!lv.currentItem());
    QVERIFY(!lv.firstChild());
    new YMRListViewItem(&lv, "again");
    QCOMPARE(lv.childCount(), 1);
}

void TestYMRListView::selectionModesOnData()
{
    YMRListView lv;
    lv.addColumn("c");
    YMRListViewItem *b = new YMRListViewItem(&lv, "b");
    YMRListViewItem *a = new YMRListViewItem(&lv, "a");
    QSignalSpy one(&lv, SIGNAL(selectionChanged(YMRListViewItem*)));
    QSignalSpy all(&lv, SIGNAL(selectionChanged()));

    // single: selecting follows the current item
    lv.setSelected(b, true);
    QCOMPARE(lv.currentItem(), b);
    QCOMPARE(lv.selectedItem(), b);
    lv.setCurrentItem(a);
    QVERIFY(a->isSelected());
    QVERIFY(!b->isSelected());
    QCOMPARE(one.count(), 2);
    QCOMPARE(all.count(), 2);

    // multi: independent flags, selectAll signals once, invert flips
    lv.setSelectionMode(YMRListView::Multi);
    QVERIFY(lv.isMultiSelection());
    all.clear();
    lv.selectAll(true);
    QVERIFY(a->isSelected() && b->isSelected());
    QCOMPARE(all.count(), 1);
    QVERIFY(!lv.selectedItem());
    lv.setSelected(a, false);
    lv.invertSelection();
    QVERIFY(a->isSelected());
    QVERIFY(!b->isSelected());

    // unselectable items and no-selection mode
    b->setSelectable(false);
    lv.setSelected(b, true);
    QVERIFY(!b->isSelected());
    lv.setSelectionMode(YMRListView::NoSelection);
    all.clear();
    lv.setSelected(a, false);
    QCOMPARE(all.count(), 0);
    lv.setMultiSelection(false);
    QCOMPARE(lv.selectionMode(), YMRListView::Single);
}

void TestYMRListView::treeWalkingAndOpening()
{
    YMRListView lv;
    lv.addColumn("c", 100);
    lv.resize(200, 300);
    lv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lv));
    YMRListViewItem *p = new YMRListViewItem(&lv, "p");
    YMRListViewItem *q = new YMRListViewItem(&lv, "q");
    YMRListViewItem *p2 = new YMRListViewItem(p, "p2");
    YMRListViewItem *p1 = new YMRListViewItem(p, "p1");
    const int h = p->height();

    QCOMPARE(p1->parent(), p);
    QCOMPARE(p->parent(), static_cast<YMRListViewItem *>(nullptr));
    QCOMPARE(p1->depth(), 1);
    QCOMPARE(p->depth(), 0);
    QCOMPARE(p->itemBelow(), q);   // closed: children hidden
    QCOMPARE(q->itemAbove(), p);
    QCOMPARE(p->totalHeight(), h);

    QSignalSpy expanded(&lv, SIGNAL(expanded(YMRListViewItem*)));
    QSignalSpy collapsed(&lv, SIGNAL(collapsed(YMRListViewItem*)));
    lv.setOpen(p, true);
    QCOMPARE(expanded.count(), 1);
    QVERIFY(lv.isOpen(p));
    QCOMPARE(p->itemBelow(), p1);
    QCOMPARE(p1->itemBelow(), p2);
    QCOMPARE(p2->itemBelow(), q);
    QCOMPARE(q->itemAbove(), p2);
    QCOMPARE(p1->itemAbove(), p);
    QCOMPARE(p->totalHeight(), 3 * h);
    QCOMPARE(q->itemPos(), 3 * h);
    QCOMPARE(lv.itemPos(p2), 2 * h);
    lv.setOpen(p, false);
    QCOMPARE(collapsed.count(), 1);
    QCOMPARE(q->itemPos(), h);
    lv.setOpen(q, true);   // no children, not expandable: nothing
    QCOMPARE(expanded.count(), 1);

    // moving an item under another parent
    q->moveItem(p1);
    QCOMPARE(q->parent(), p);
    QCOMPARE(p->childCount(), 3);
    QCOMPARE(p1->nextSibling(), q);
    QCOMPARE(lv.childCount(), 1);

    // ensureItemVisible opens the ancestors
    lv.ensureItemVisible(q);
    QVERIFY(p->isOpen());

    // decorated root with branches paints without trouble
    lv.setRootIsDecorated(true);
    p->setExpandable(true);
    ymrtest::flushEvents();
    QVERIFY(!lv.viewport()->grab().isNull());
}

void TestYMRListView::itemAtAndRects()
{
    YMRListView lv;
    lv.addColumn("c", 100);
    lv.setFrameStyle(QFrame::NoFrame);
    lv.resize(200, 150);
    lv.setSorting(-1);
    QList<YMRListViewItem *> items;
    for (int i = 0; i < 40; ++i)
        items.prepend(new YMRListViewItem(&lv, QString::number(i)));
    lv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lv));
    ymrtest::flushEvents();
    const int h = items[0]->height();
    QCOMPARE(lv.contentsHeight(), 40 * h);
    QCOMPARE(lv.contentsWidth(), 100);

    QCOMPARE(lv.itemAt(QPoint(5, 0)), items[0]);
    QCOMPARE(lv.itemAt(QPoint(5, h + 1)), items[1]);
    QCOMPARE(lv.itemAt(QPoint(150, 1)), static_cast<YMRListViewItem *>(nullptr));
    QCOMPARE(lv.itemRect(items[1]), QRect(0, h, lv.header()->width(), h));
    QVERIFY(!lv.itemRect(items[30]).isValid());

    lv.ensureItemVisible(items[30]);
    QVERIFY(lv.contentsY() > 0);
    QCOMPARE(lv.itemAt(QPoint(5, 30 * h - lv.contentsY() + 1)), items[30]);
    QVERIFY(lv.itemRect(items[30]).isValid());
    QVERIFY(!lv.itemRect(items[0]).isValid());
    // the header scrolls with the contents
    QCOMPARE(lv.header()->geometry().bottom() + 1, lv.viewport()->geometry().top());
}

YMR_TEST_MAIN(TestYMRListView)
#include "tst_ymrlistview.moc"
