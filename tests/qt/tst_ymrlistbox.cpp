#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrlistbox.h"

#include <QPainter>
#include <QSignalSpy>

// Item store, current item and the highlight signals of the list box.
class TestYMRListBox : public QObject
{
    Q_OBJECT
private slots:
    void newItemState();
    void itemMeasures();
    void pixmapPaintOffset();
    void insertionPositions();
    void nullArgumentsWarn();
    void highlightGroupOnFirstInsertWithFocus();
    void deletingCurrentMovesToSuccessor();
    void takeItemClearsOwner();
    void changeItemReplaces();
    void sortAndInSort();
    void clearIsSilent();
    void selectableFlags();
    void lookupCacheBothWays();
};

namespace {
// Records the highlight group as one line per signal.
struct HighlightLog : QObject
{
    QStringList log;
    explicit HighlightLog(YMRListBox *lb)
    {
        connect(lb, qOverload<YMRListBoxItem *>(&YMRListBox::highlighted), this,
                [this](YMRListBoxItem *i) { log << QString("item:%1").arg(i ? i->text() : "null"); });
        connect(lb, qOverload<const QString &>(&YMRListBox::highlighted), this,
                [this](const QString &t) { log << "text:" + t; });
        connect(lb, qOverload<int>(&YMRListBox::highlighted), this,
                [this](int i) { log << QString("index:%1").arg(i); });
        connect(lb, &YMRListBox::currentChanged, this,
                [this](YMRListBoxItem *i) { log << QString("current:%1").arg(i ? i->text() : "null"); });
    }
};
} // namespace

void TestYMRListBox::newItemState()
{
    YMRListBox lb;
    QCOMPARE(lb.count(), 0u);
    QCOMPARE(lb.currentItem(), -1);
    QVERIFY(!lb.firstItem());
    QVERIFY(lb.text(0).isNull());
    QCOMPARE(lb.numRows(), 0);

    auto *i = new YMRListBoxText(&lb, "a");
    QVERIFY(!i->selected());
    QVERIFY(i->isSelectable());
    int y = 0;
    QVERIFY(lb.itemYPos(0, &y));
    QCOMPARE(y, 42);
    QVERIFY(!lb.itemYPos(1, &y));
    QCOMPARE(i->listBox(), &lb);
    QCOMPARE(lb.count(), 1u);
}

void TestYMRListBox::itemMeasures()
{
    YMRListBox lb;
    const QFontMetrics fm(lb.font());
    YMRListBoxText free("hello");
    QCOMPARE(free.height(nullptr), 0);
    QCOMPARE(free.width(nullptr), 0);
    QCOMPARE(free.height(&lb), fm.height() + 2);
    QCOMPARE(free.width(&lb), fm.horizontalAdvance("hello") + 6);

    QPixmap pm(16, 10);
    pm.fill(Qt::red);
    YMRListBoxPixmap bare(pm);
    QCOMPARE(bare.height(&lb), 10);
    QCOMPARE(bare.width(&lb), 22);
    QVERIFY(bare.text().isNull());
    YMRListBoxPixmap withText(pm, "hi");
    QCOMPARE(withText.height(&lb), qMax(11, fm.height() + 2));
    QCOMPARE(withText.width(&lb), 16 + fm.horizontalAdvance("hi") + 6);
    QCOMPARE(*withText.pixmap(), pm);
    QVERIFY(!free.pixmap());
}

void TestYMRListBox::pixmapPaintOffset()
{
    // A pixmap lower than its item is centred: (h - ph + 1) / 2.
    YMRListBox lb;
    QPixmap pm(4, 4);
    pm.fill(Qt::black);
    struct Painter : YMRListBoxPixmap {
        using YMRListBoxPixmap::YMRListBoxPixmap;
        using YMRListBoxPixmap::paint;
    };
    auto *item = new Painter(&lb, pm, "x");
    const int h = item->height(&lb);
    QImage img(40, h, QImage::Format_ARGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setPen(Qt::white); // text invisible on white
        item->paint(&p);
    }
    int top = -1;
    for (int y = 0; y < h && top < 0; ++y) {
        if (img.pixelColor(3, y) == Qt::black)
            top = y;
    }
    QCOMPARE(top, (h - 4 + 1) / 2);
    QCOMPARE(img.pixelColor(2, top), QColor(Qt::white));
}

void TestYMRListBox::insertionPositions()
{
    YMRListBox lb;
    lb.insertItem("b");
    lb.insertItem("c", -1);
    lb.insertItem("a", 0);
    lb.insertItem("e", 99);
    lb.insertItem("d", 3);
    QStringList texts;
    for (YMRListBoxItem *i = lb.firstItem(); i; i = i->next())
        texts << i->text();
    QCOMPARE(texts, QStringList({ "a", "b", "c", "d", "e" }));
    QCOMPARE(lb.item(4)->next(), nullptr);
    QCOMPARE(lb.item(4)->prev(), lb.item(3));

    lb.insertStringList({ "x", "y" }, 1);
    QCOMPARE(lb.text(1), QString("x"));
    QCOMPARE(lb.text(2), QString("y"));
    const char *strs[] = { "p", "q", nullptr };
    lb.insertStrList(strs, -1, -1);
    QCOMPARE(lb.text(int(lb.count()) - 1), QString("q"));
    lb.insertStrList(strs, 1, 0);
    QCOMPARE(lb.text(0), QString("p"));
    QList<QByteArray> bytes{ "\xe9t\xe9" };
    lb.insertStrList(bytes, 0);
    QCOMPARE(lb.text(0), QString::fromLatin1("\xe9t\xe9"));

    // behind an item, and behind the last one
    YMRListBox lb2;
    auto *first = new YMRListBoxText(&lb2, "1");
    auto *third = new YMRListBoxText(&lb2, "3");
    new YMRListBoxText(&lb2, "2", first);
    new YMRListBoxText(&lb2, "4", third);
    QCOMPARE(lb2.text(1), QString("2"));
    QCOMPARE(lb2.text(3), QString("4"));
    QCOMPARE(lb2.index(third), 2);
    YMRListBoxText foreign("f");
    QCOMPARE(lb2.index(&foreign), -1);
    QCOMPARE(lb2.index(nullptr), -1);
}

void TestYMRListBox::nullArgumentsWarn()
{
    YMRListBox lb;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ASSERT: \"lbi != 0\" in qt/ymrlistbox \\(\\d+\\)$"));
    lb.insertItem(static_cast<const YMRListBoxItem *>(nullptr), 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ASSERT: \"list != 0\" in qt/ymrlistbox \\(\\d+\\)$"));
    lb.insertStrList(static_cast<const QList<QByteArray> *>(nullptr), 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ASSERT: \"strings != 0\" in qt/ymrlistbox \\(\\d+\\)$"));
    lb.insertStrList(static_cast<const char **>(nullptr), 2, 0);
    QCOMPARE(lb.count(), 0u);
    lb.insertItem("a");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ASSERT: \"i==0\" in \\.obj/moc-arm/\\.\\./\\.\\./qt/ymrlistbox \\(\\d+\\)$"));
    QCOMPARE(lb.cellWidth(1), lb.cellWidth());
}

void TestYMRListBox::highlightGroupOnFirstInsertWithFocus()
{
    QWidget top;
    auto *lb = new YMRListBox(&top);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    QApplication::setActiveWindow(&top);
    lb->setFocus();
    QTRY_VERIFY(lb->hasFocus());
    HighlightLog h(lb);
    lb->insertItem("first");
    QCOMPARE(h.log, QStringList({ "item:first", "text:first", "index:0", "current:first" }));
    QCOMPARE(lb->currentItem(), 0);
    QVERIFY(lb->item(0)->isCurrent());
    h.log.clear();
    lb->insertItem("second");
    QVERIFY(h.log.isEmpty());

    // a null text leaves out the text signal
    h.log.clear();
    lb->insertItem(QPixmap(4, 4));
    lb->setCurrentItem(2);
    // the pixmap item's text is null: no text signal
    QCOMPARE(h.log, QStringList({ "item:", "index:2", "current:" }));
}

void TestYMRListBox::deletingCurrentMovesToSuccessor()
{
    YMRListBox lb;
    lb.insertStringList({ "a", "b", "c" });
    lb.setCurrentItem(1);
    HighlightLog h(&lb);
    delete lb.item(1);
    QCOMPARE(lb.count(), 2u);
    QCOMPARE(lb.currentText(), QString("c"));
    QCOMPARE(h.log, QStringList({ "item:c", "text:c", "index:1", "current:c" }));
    // the last item: its predecessor
    h.log.clear();
    lb.removeItem(1);
    QCOMPARE(lb.currentText(), QString("a"));
    // the only item: the group with a null item and -1
    h.log.clear();
    lb.removeItem(0);
    QCOMPARE(h.log, QStringList({ "item:null", "index:-1", "current:null" }));
    QCOMPARE(lb.currentItem(), -1);
    QVERIFY(!lb.firstItem());
    lb.removeItem(5); // nothing there
    lb.insertItem("z");
    lb.insertItem("y");
    QCOMPARE(lb.text(1), QString("y")); // the last link survives emptying
}

void TestYMRListBox::takeItemClearsOwner()
{
    YMRListBox lb;
    YMRListBox other;
    lb.insertStringList({ "a", "b", "c" });
    other.insertItem("o");
    YMRListBoxItem *b = lb.item(1);
    b->setSelectable(false);
    lb.takeItem(b);
    QCOMPARE(lb.count(), 2u);
    QVERIFY(!b->listBox());
    QVERIFY(!b->next() && !b->prev());
    QVERIFY(b->isSelectable());
    // taking again, or through another box, changes nothing
    lb.takeItem(b);
    other.takeItem(lb.item(0));
    QCOMPARE(lb.count(), 2u);
    QCOMPARE(other.count(), 1u);
    // a taken item can go into another box and is deleted from there
    other.insertItem(b, 0);
    QCOMPARE(other.text(0), QString("b"));
    delete b;
    QCOMPARE(other.count(), 1u);
    QCOMPARE(lb.count(), 2u);
    QCOMPARE(lb.text(1), QString("c"));
    // an item already in a box is not linked into a second one
    other.insertItem(lb.item(0), 0);
    QCOMPARE(other.count(), 1u);
    QCOMPARE(lb.item(0)->listBox(), &lb);
}

void TestYMRListBox::changeItemReplaces()
{
    YMRListBox lb;
    lb.insertStringList({ "a", "b", "c" });
    HighlightLog h(&lb);
    lb.changeItem("B", 1);
    QCOMPARE(lb.count(), 3u);
    QCOMPARE(lb.text(1), QString("B"));
    QCOMPARE(lb.currentItem(), 1);
    QCOMPARE(h.log.last(), QString("current:B"));
    lb.changeItem("X", 3);
    lb.changeItem("X", -1);
    QCOMPARE(lb.count(), 3u);
    // an item already at the index is not deleted
    lb.changeItem(lb.item(0), 0);
    QCOMPARE(lb.text(0), QString("a"));
}

void TestYMRListBox::sortAndInSort()
{
    YMRListBox lb;
    lb.resize(100, 40);
    lb.insertStringList({ "pear", "apple", "fig", "kiwi", "date", "lime", "plum" });
    lb.sort(false);
    QCOMPARE(lb.text(0), QString("plum"));
    QCOMPARE(lb.text(6), QString("apple"));
    QCOMPARE(lb.contentsY(), 0);
    QCOMPARE(lb.contentsX(), 0);
    lb.sort();
    QCOMPARE(lb.text(0), QString("apple"));
    QCOMPARE(lb.item(6)->next(), nullptr);
    lb.inSort("banana");
    QCOMPARE(lb.text(1), QString("banana"));
    lb.inSort("zebra");
    QCOMPARE(lb.text(int(lb.count()) - 1), QString("zebra"));
}

void TestYMRListBox::clearIsSilent()
{
    YMRListBox lb;
    lb.setSelectionMode(YMRListBox::Multi);
    lb.insertStringList({ "a", "b" });
    lb.setCurrentItem(1);
    lb.setSelected(0, true);
    QSignalSpy any(&lb, qOverload<>(&YMRListBox::selectionChanged));
    HighlightLog h(&lb);
    lb.clear();
    QCOMPARE(any.count(), 0);
    QVERIFY(h.log.isEmpty());
    QCOMPARE(lb.count(), 0u);
    QCOMPARE(lb.currentItem(), -1);
    lb.insertItem("n");
    QCOMPARE(lb.text(0), QString("n"));
}

void TestYMRListBox::selectableFlags()
{
    YMRListBoxText loose("x");
    loose.setSelectable(false);
    QVERIFY(loose.isSelectable());

    YMRListBox lb;
    lb.insertStringList({ "a", "b" });
    lb.item(1)->setSelectable(false);
    QVERIFY(!lb.item(1)->isSelectable());
    lb.item(1)->setSelectable(true);
    QVERIFY(lb.item(1)->isSelectable());
    lb.item(1)->setSelectable(false);
    lb.setSelected(1, true);
    QVERIFY(!lb.item(1)->selected());
    // unselectable items can still become current
    lb.setCurrentItem(1);
    QCOMPARE(lb.currentItem(), 1);
    QVERIFY(!lb.item(1)->selected());
}

void TestYMRListBox::lookupCacheBothWays()
{
    YMRListBox lb;
    for (int i = 0; i < 50; ++i)
        lb.insertItem(QString::number(i));
    QCOMPARE(lb.text(40), QString("40"));
    QCOMPARE(lb.text(10), QString("10"));
    QCOMPARE(lb.text(11), QString("11"));
    QCOMPARE(lb.text(0), QString("0"));
    QCOMPARE(lb.text(49), QString("49"));
    QVERIFY(!lb.item(50));
    QVERIFY(!lb.item(-1));
    lb.removeItem(10);
    QCOMPARE(lb.text(10), QString("11"));
    QCOMPARE(lb.text(48), QString("49"));
}

YMR_TEST_MAIN(TestYMRListBox)
#include "tst_ymrlistbox.moc"
