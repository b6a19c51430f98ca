#include "ymrtest.h"

#include "qt/orderedlistviewitem.h"
#include "qt/ymrapplication.h"
#include "qt/ymrlistview.h"

namespace {

QStringList texts(const YMRListView &lv)
{
    QStringList out;
    for (YMRListViewItem *i = lv.firstChild(); i; i = i->nextSibling())
        out << i->text(0);
    return out;
}

QStringList keys(const YMRListView &lv)
{
    QStringList out;
    for (YMRListViewItem *i = lv.firstChild(); i; i = i->nextSibling())
        out << static_cast<OrderedListViewItem *>(i)->positionKey();
    return out;
}

} // namespace

// Rows kept in the order the user gives them.
class TestOrderedListViewItem : public QObject
{
    Q_OBJECT
private slots:
    void newItemsGoLast();
    void movingUpAndDown();
    void closingTheGap();
    void orderPastNineHundredNinetyNine();
    void ownerSetKeys();
};

void TestOrderedListViewItem::newItemsGoLast()
{
    YMRListView lv;
    lv.addColumn("Name");
    auto *c = new OrderedListViewItem(&lv, "c");
    new OrderedListViewItem(&lv, "a");
    auto *b = new OrderedListViewItem(&lv, "b");
    b->setText(1, "second column");
    QCOMPARE(texts(lv), QStringList({ "c", "a", "b" }));
    QCOMPARE(keys(lv), QStringList({ "000", "001", "002" }));
    // the same key for every column and either direction
    QCOMPARE(c->key(0, true), QString("000"));
    QCOMPARE(c->key(5, false), QString("000"));
    lv.setSorting(0, false);
    QCOMPARE(texts(lv), QStringList({ "b", "a", "c" }));
}

void TestOrderedListViewItem::movingUpAndDown()
{
    YMRListView lv;
    lv.addColumn("Name");
    QVector<OrderedListViewItem *> t;
    for (int i = 0; i < 5; ++i)
        t << new OrderedListViewItem(&lv, QString("t%1").arg(i));

    t[0]->moveUp();
    t[4]->moveDown();
    QCOMPARE(texts(lv), QStringList({ "t0", "t1", "t2", "t3", "t4" }));
    QCOMPARE(keys(lv), QStringList({ "000", "001", "002", "003", "004" }));

    t[2]->moveUp();
    QCOMPARE(texts(lv), QStringList({ "t0", "t2", "t1", "t3", "t4" }));
    QCOMPARE(t[2]->positionKey(), QString("001"));
    QCOMPARE(t[1]->positionKey(), QString("002"));
    t[2]->moveUp();
    t[0]->moveDown();
    QCOMPARE(texts(lv), QStringList({ "t2", "t1", "t0", "t3", "t4" }));
    t[4]->moveUp();
    QCOMPARE(texts(lv), QStringList({ "t2", "t1", "t0", "t4", "t3" }));
    QCOMPARE(keys(lv), QStringList({ "000", "001", "002", "003", "004" }));
}

void TestOrderedListViewItem::closingTheGap()
{
    YMRListView lv;
    lv.addColumn("Name");
    QVector<OrderedListViewItem *> t;
    for (int i = 0; i < 5; ++i)
        t << new OrderedListViewItem(&lv, QString("t%1").arg(i));
    lv.setCurrentItem(t[2]);

    t[2]->closeGap();
    QCOMPARE(texts(lv), QStringList({ "t0", "t1", "t3", "t4" }));
    QCOMPARE(keys(lv), QStringList({ "000", "001", "002", "003" }));
    // the view's own rule: the next row becomes current
    QCOMPARE(lv.currentItem(), t[3]);
    auto *n = new OrderedListViewItem(&lv, "new");
    QCOMPARE(n->positionKey(), QString("004"));
    QCOMPARE(texts(lv).last(), QString("new"));

    // removing the last row renumbers nothing
    n->closeGap();
    QCOMPARE(keys(lv), QStringList({ "000", "001", "002", "003" }));
    t[0]->closeGap();
    QCOMPARE(texts(lv), QStringList({ "t1", "t3", "t4" }));
    QCOMPARE(keys(lv), QStringList({ "000", "001", "002" }));
    t[1]->closeGap();
    t[3]->closeGap();
    t[4]->closeGap();
    QCOMPARE(lv.childCount(), 0);
    QCOMPARE(lv.currentItem(), nullptr);
}

void TestOrderedListViewItem::orderPastNineHundredNinetyNine()
{
    YMRListView lv;
    lv.addColumn("Name");
    const int n = 1105;
    QVector<OrderedListViewItem *> t;
    QStringList expected;
    for (int i = 0; i < n; ++i) {
        // texts that would sort otherwise
        const QString text = QString::number(n - i);
        t << new OrderedListViewItem(&lv, text);
        expected << text;
    }
    QCOMPARE(t[999]->positionKey(), QString("999"));
    QCOMPARE(t[1000]->positionKey(), QString("1000"));
    QCOMPARE(texts(lv), expected);

    // moving across the three-digit boundary
    t[1000]->moveUp();
    expected.swapItemsAt(999, 1000);
    QCOMPARE(texts(lv), expected);
    t[1000]->moveDown();
    expected.swapItemsAt(999, 1000);
    QCOMPARE(texts(lv), expected);

    // closing a gap below 1000 moves four-digit keys down to three digits
    t[100]->closeGap();
    expected.removeAt(100);
    QCOMPARE(texts(lv), expected);
    QCOMPARE(t[1000]->positionKey(), QString("999"));
    QCOMPARE(t[1001]->positionKey(), QString("1000"));
    auto *last = new OrderedListViewItem(&lv, "last");
    QCOMPARE(last->positionKey(), QString::number(n - 1));
    QCOMPARE(texts(lv).last(), QString("last"));
}

void TestOrderedListViewItem::ownerSetKeys()
{
    YMRListView lv;
    lv.addColumn("Name");
    QVector<OrderedListViewItem *> t;
    for (const char *s : { "pear", "apple", "fig" })
        t << new OrderedListViewItem(&lv, s);
    // sort by text, then renumber in the new order
    for (OrderedListViewItem *i : qAsConst(t))
        i->setKey(i->text(0));
    lv.sort();
    QCOMPARE(texts(lv), QStringList({ "apple", "fig", "pear" }));
    int pos = 0;
    for (YMRListViewItem *i = lv.firstChild(); i; i = i->nextSibling())
        static_cast<OrderedListViewItem *>(i)->setPosition(pos++);
    lv.sort();
    QCOMPARE(keys(lv), QStringList({ "000", "001", "002" }));
    t[0]->moveUp();
    QCOMPARE(texts(lv), QStringList({ "apple", "pear", "fig" }));
    // text keys of four or more characters stay text, digits too
    t[1]->setKey("zzzz");
    QCOMPARE(t[1]->key(0, true), QString("zzzz"));
    t[1]->setKey("1000");
    QCOMPARE(t[1]->key(0, true), QString("1000"));
    t[1]->setPosition(1000);
    QCOMPARE(t[1]->positionKey(), QString("1000"));
    QVERIFY(t[1]->key(0, true) > OrderedListViewItem::keyForPosition(999));
}

YMR_TEST_MAIN(TestOrderedListViewItem)
#include "tst_orderedlistviewitem.moc"
