#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"
#include "qt/ymrlistviewitemiterator.h"

#include <memory>

namespace {

QString walk(YMRListViewItemIterator it)
{
    QStringList out;
    for (; it.current(); ++it)
        out << it.current()->text(0);
    return out.join(' ');
}

// a ( a1 ( a11 a12 ) a2 ) b c ( c1 ), all closed, sorted by text
struct Tree {
    std::unique_ptr<YMRListView> lv;
    YMRListViewItem *a, *a1, *a11, *a12, *a2, *b, *c, *c1;

    Tree() : lv(new YMRListView)
    {
        lv->addColumn("t");
        a = new YMRListViewItem(lv.get(), "a");
        b = new YMRListViewItem(lv.get(), "b");
        c = new YMRListViewItem(lv.get(), "c");
        a1 = new YMRListViewItem(a, "a1");
        a2 = new YMRListViewItem(a, "a2");
        a11 = new YMRListViewItem(a1, "a11");
        a12 = new YMRListViewItem(a1, "a12");
        c1 = new YMRListViewItem(c, "c1");
    }
};

} // namespace

class TestYMRListViewIterator : public QObject
{
    Q_OBJECT
private slots:
    void treeOrderIncludesClosedBranches();
    void stepsBackAndCounts();
    void deletingTheCurrentItem();
    void deletingAnAncestorMovesIterators();
    void takingAnItemMovesIterators();
    void clearAndDestroyedView();
    void copiesAndAssignmentRegister();
};

void TestYMRListViewIterator::treeOrderIncludesClosedBranches()
{
    Tree t;
    QVERIFY(!t.a->isOpen());
    QCOMPARE(walk(YMRListViewItemIterator(t.lv.get())), QString("a a1 a11 a12 a2 b c c1"));
    t.lv->setOpen(t.a, true);
    QCOMPARE(walk(YMRListViewItemIterator(t.lv.get())), QString("a a1 a11 a12 a2 b c c1"));
    QCOMPARE(walk(YMRListViewItemIterator(t.a2)), QString("a2 b c c1"));
    QCOMPARE(walk(YMRListViewItemIterator(static_cast<YMRListViewItem *>(nullptr))), QString());
    QCOMPARE(walk(YMRListViewItemIterator()), QString());
    // the walk follows the view's order
    t.lv->setSorting(0, false);
    QCOMPARE(walk(YMRListViewItemIterator(t.lv.get())), QString("c c1 b a a2 a1 a12 a11"));
}

void TestYMRListViewIterator::stepsBackAndCounts()
{
    Tree t;
    YMRListViewItemIterator it(t.b);
    --it;   // previous top-level item with a closed subtree: its last item
    QCOMPARE(it.current(), t.a2);
    --it;
    QCOMPARE(it.current(), t.a12);
    --it;
    QCOMPARE(it.current(), t.a11);
    --it;
    QCOMPARE(it.current(), t.a1);
    it--;
    QCOMPARE(it.current(), t.a);
    --it;
    QVERIFY(!it.current());
    --it;
    QVERIFY(!it.current());

    t.lv->setOpen(t.a, true);
    YMRListViewItemIterator up(t.c);
    --up;
    QCOMPARE(up.current(), t.b);
    --up;
    QCOMPARE(up.current(), t.a2);

    YMRListViewItemIterator n(t.lv.get());
    const YMRListViewItemIterator old = n++;
    QCOMPARE(old.current(), t.a);
    QCOMPARE(n.current(), t.a1);
    n += 3;
    QCOMPARE(n.current(), t.a2);
    n -= 2;
    QCOMPARE(n.current(), t.a11);
    n += 100;
    QVERIFY(!n.current());
    YMRListViewItemIterator m(t.c1);
    m -= 100;
    QVERIFY(!m.current());
}

void TestYMRListViewIterator::deletingTheCurrentItem()
{
    Tree t;
    YMRListViewItemIterator onChild(t.a2);
    YMRListViewItemIterator onTop(t.b);
    YMRListViewItemIterator onLast(t.c);

    delete t.a2;   // a child: the iterator goes back to its parent
    QCOMPARE(onChild.current(), t.a);
    delete t.b;    // a top-level item with a next sibling: on to it
    QCOMPARE(onTop.current(), t.c);
    delete t.c;    // the last top-level item: back to the first item
    QCOMPARE(onTop.current(), t.a);
    QCOMPARE(onLast.current(), t.a);
    QCOMPARE(walk(onLast), QString("a a1 a11 a12"));
    delete t.a;    // the only item left: nothing
    QVERIFY(!onTop.current());
    QVERIFY(!onChild.current());
    QCOMPARE(t.lv->childCount(), 0);
}

void TestYMRListViewIterator::deletingAnAncestorMovesIterators()
{
    // Iterators standing below a deleted item must not be left on freed
    // items (run under the sanitizer build as well).
    Tree t;
    YMRListViewItemIterator deep(t.a12);
    YMRListViewItemIterator mid(t.a1);
    YMRListViewItemIterator other(t.c1);
    delete t.a1;
    QCOMPARE(deep.current(), t.a);
    QCOMPARE(mid.current(), t.a);
    QCOMPARE(other.current(), t.c1);
    ++deep;
    QCOMPARE(deep.current(), t.a2);

    YMRListViewItemIterator underTop(t.a2);
    delete t.a;   // top-level with a next sibling
    QCOMPARE(underTop.current(), t.b);
    QCOMPARE(mid.current(), t.b);
    QCOMPARE(walk(underTop), QString("b c c1"));

    // a loop that deletes what it stands on visits everything once and ends
    Tree u;
    int deleted = 0;
    for (YMRListViewItemIterator it(u.lv.get()); it.current();) {
        YMRListViewItem *i = it.current();
        if (i->childCount() == 0) {
            delete i;
            ++deleted;
        } else {
            ++it;
        }
        QVERIFY(deleted < 20);
    }
    QVERIFY(deleted >= 4);
}

void TestYMRListViewIterator::takingAnItemMovesIterators()
{
    Tree t;
    YMRListViewItemIterator below(t.c1);
    t.lv->takeItem(t.c);
    QCOMPARE(below.current(), t.a);
    QVERIFY(!t.c->listView());
    QCOMPARE(t.c->firstChild(), t.c1);
    // a free subtree can be walked and deleted on its own
    YMRListViewItemIterator free1(t.c);
    QCOMPARE(free1.current(), t.c);
    ++free1;
    QCOMPARE(free1.current(), t.c1);
    delete t.c;
    QCOMPARE(walk(YMRListViewItemIterator(t.lv.get())), QString("a a1 a11 a12 a2 b"));
}

void TestYMRListViewIterator::clearAndDestroyedView()
{
    auto *t = new Tree;
    YMRListViewItemIterator a(t->lv.get());
    YMRListViewItemIterator b(t->a12);
    t->lv->clear();
    QVERIFY(!a.current());
    QVERIFY(!b.current());
    ++a;
    --b;
    QVERIFY(!a.current());

    new YMRListViewItem(t->lv.get(), "new");
    YMRListViewItemIterator c(t->lv.get());
    QCOMPARE(c.current()->text(0), QString("new"));
    // the view goes first: the iterators must not touch it afterwards
    delete t;
    YMRListViewItemIterator d = c;
    d = a;
    QVERIFY(!d.current());
}

void TestYMRListViewIterator::copiesAndAssignmentRegister()
{
    Tree t;
    YMRListViewItemIterator it(t.a11);
    YMRListViewItemIterator copy(it);
    YMRListViewItemIterator assigned;
    assigned = it;
    {
        Tree other;
        YMRListViewItemIterator elsewhere(other.b);
        assigned = elsewhere;   // moves to the other view and back
        assigned = it;
    }
    delete t.a11;
    QCOMPARE(it.current(), t.a1);
    QCOMPARE(copy.current(), t.a1);
    QCOMPARE(assigned.current(), t.a1);
}

YMR_TEST_MAIN(TestYMRListViewIterator)
#include "tst_ymrlistviewiterator.moc"
