#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrlistbox.h"

#include <QScrollBar>
#include <QStyle>

// Cell layout, geometry queries, scrolling, size hints and painting.
class TestYMRListBoxLayout : public QObject
{
    Q_OBJECT
private slots:
    void emptyBox();
    void singleColumnSpansViewport();
    void fixedColumnsFillColumnByColumn();
    void fixedRows();
    void fitToHeight();
    void fitToHeightWithScrollBar();
    void fitToWidth();
    void rowAtBelowLastRow();
    void scrollingToItems();
    void sizeHintsAndFont();
    void paintsSelectionAndBase();
};

namespace {
void fill(YMRListBox &lb, int n)
{
    for (int i = 0; i < n; ++i)
        lb.insertItem(QString("item %1").arg(i));
}
int rowHeight(const YMRListBox &lb)
{
    return QFontMetrics(lb.font()).height() + 2;
}
} // namespace

void TestYMRListBoxLayout::emptyBox()
{
    YMRListBox lb;
    lb.resize(120, 80);
    QCOMPARE(lb.numRows(), 0);
    QCOMPARE(lb.sizeHint().height(), 40 + 2 * lb.frameWidth());
    QVERIFY(!lb.itemAt(QPoint(5, 5)));
    lb.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lb));
    const QImage img = lb.viewport()->grab().toImage();
    QCOMPARE(img.pixelColor(10, 10), lb.palette().color(QPalette::Base));
    QCOMPARE(img.pixelColor(img.width() - 2, img.height() - 2), lb.palette().color(QPalette::Base));
}

void TestYMRListBoxLayout::singleColumnSpansViewport()
{
    YMRListBox lb;
    lb.resize(200, 100);
    lb.insertStringList({ "a", "b", "c" });
    lb.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lb));
    QCOMPARE(lb.numColumns(), 1);
    QCOMPARE(lb.numRows(), 3);
    QCOMPARE(lb.columnMode(), YMRListBox::FixedNumber);
    QCOMPARE(lb.rowMode(), YMRListBox::Variable);
    QVERIFY2(lb.maxItemWidth() >= lb.visibleWidth(), qPrintable(QString("%1 %2").arg(lb.maxItemWidth()).arg(lb.visibleWidth())));
    // right of the text the row's item still answers
    const int h = rowHeight(lb);
    QCOMPARE(lb.itemAt(QPoint(lb.visibleWidth() - 2, h + 1)), lb.item(1));
    QCOMPARE(lb.itemHeight(2), h);
    QCOMPARE(lb.itemHeight(3), 0);
    QCOMPARE(lb.findItem(2 * h + 1), 2);
    // below the last row there is no item
    QVERIFY(!lb.itemAt(QPoint(5, 3 * h + 5)));

    // widening keeps the single column as wide as the viewport
    lb.resize(300, 100);
    ymrtest::flushEvents();
    QVERIFY(lb.maxItemWidth() >= lb.visibleWidth());
    QCOMPARE(lb.itemAt(QPoint(lb.visibleWidth() - 2, 1)), lb.item(0));
}

void TestYMRListBoxLayout::fixedColumnsFillColumnByColumn()
{
    YMRListBox lb;
    lb.resize(400, 200);
    fill(lb, 7);
    lb.setColumnMode(3);
    QCOMPARE(lb.numColumns(), 3);
    QCOMPARE(lb.numRows(), 3);
    QCOMPARE(lb.rowMode(), YMRListBox::Variable);
    lb.setCurrentItem(3);
    QCOMPARE(lb.currentColumn(), 1);
    QCOMPARE(lb.currentRow(), 0);
    const QRect r = lb.itemRect(lb.item(3));
    QVERIFY(r.isValid());
    QCOMPARE(r.y(), 0);
    QCOMPARE(r.x(), lb.itemRect(lb.item(0)).width());
    QCOMPARE(lb.itemAt(r.topLeft() + QPoint(2, 2)), lb.item(3));
    // with several columns only the item's own width counts
    YMRListBox two;
    two.resize(400, 200);
    two.insertStringList({ "a", "a very long text indeed", "c", "d" });
    two.setColumnMode(2);
    two.show();
    QVERIFY(QTest::qWaitForWindowExposed(&two));
    const QRect c = two.itemRect(two.item(2));
    QCOMPARE(c.width(), two.item(1)->width(&two));
    QCOMPARE(two.itemAt(QPoint(c.x() + 2, 2)), two.item(2));
    QVERIFY(!two.itemAt(QPoint(c.x() + two.item(2)->width(&two) + 2, 2)));
    QCOMPARE(lb.itemRect(nullptr), QRect(0, 0, -1, -1));
    lb.setColumnMode(0);
    QCOMPARE(lb.numColumns(), 1);
    lb.setColumnMode(YMRListBox::Variable); // refused
    QCOMPARE(lb.columnMode(), YMRListBox::FixedNumber);
}

void TestYMRListBoxLayout::fixedRows()
{
    YMRListBox lb;
    lb.resize(400, 200);
    fill(lb, 7);
    lb.setRowMode(2);
    QCOMPARE(lb.rowMode(), YMRListBox::FixedNumber);
    QCOMPARE(lb.columnMode(), YMRListBox::Variable);
    QCOMPARE(lb.numRows(), 2);
    QCOMPARE(lb.numColumns(), 4);
    lb.setFixedVisibleLines(3);
    QCOMPARE(lb.numRows(), 3);
}

void TestYMRListBoxLayout::fitToHeight()
{
    YMRListBox lb;
    lb.setHScrollBarMode(ScrollView::AlwaysOff);
    const int h = rowHeight(lb);
    lb.resize(600, 5 * h + h / 2 + 2 * lb.frameWidth());
    fill(lb, 12);
    // the enum, not the int overload (which would mean one fixed row)
    lb.setRowMode(YMRListBox::FitToHeight);
    QCOMPARE(lb.rowMode(), YMRListBox::FitToHeight);
    QCOMPARE(lb.numRows(), 5);
    QCOMPARE(lb.numColumns(), 3);
    lb.setCurrentItem(11);
    QCOMPARE(lb.currentColumn(), 2);
    QCOMPARE(lb.currentRow(), 1);
}

void TestYMRListBoxLayout::fitToHeightWithScrollBar()
{
    YMRListBox lb;
    const int h = rowHeight(lb);
    const int ext = lb.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &lb);
    // room for 5 rows without a horizontal bar, fewer with it; too narrow for the columns
    lb.resize(80, 5 * h + qMin(ext - 1, h / 2) + 2 * lb.frameWidth());
    fill(lb, 12);
    lb.setRowMode(YMRListBox::FitToHeight);
    lb.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lb));
    QTest::qWait(150);
    const int rows = lb.numRows();
    QVERIFY2(rows < 5, qPrintable(QString::number(rows)));
    QVERIFY(lb.horizontalScrollBar()->isVisible());
    // the rows fit into what the bar leaves
    QVERIFY(rows * h <= lb.visibleHeight());
}

void TestYMRListBoxLayout::fitToWidth()
{
    YMRListBox lb;
    lb.setVScrollBarMode(ScrollView::AlwaysOff);
    fill(lb, 10);
    const int w = lb.item(0)->width(&lb);
    lb.resize(3 * w + w / 2 + 2 * lb.frameWidth(), 300);
    lb.setColumnMode(YMRListBox::FitToWidth);
    QCOMPARE(lb.numColumns(), 3);
    QCOMPARE(lb.numRows(), 4);
}

void TestYMRListBoxLayout::rowAtBelowLastRow()
{
    YMRListBox lb;
    lb.resize(400, 400);
    fill(lb, 7);
    lb.setColumnMode(3);
    QCOMPARE(lb.numRows(), 3);
    // below the last row: the last row, not an index past the grid
    QCOMPARE(lb.rowAt(10000), 2);
    QCOMPARE(lb.rowAt(-5), 0);
    QCOMPARE(lb.columnAt(10000), 2);
    QCOMPARE(lb.columnAt(-1), 0);
    const int h = rowHeight(lb);
    QCOMPARE(lb.rowAt(h + 1), 1);
    QVERIFY(!lb.itemAt(QPoint(2, 3 * h + 3)));
}

void TestYMRListBoxLayout::scrollingToItems()
{
    YMRListBox lb;
    const int h = rowHeight(lb);
    lb.resize(150, 4 * h + 2 * lb.frameWidth());
    fill(lb, 30);
    lb.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lb));
    ymrtest::flushEvents();
    QCOMPARE(lb.topItem(), 0);
    QCOMPARE(lb.numItemsVisible(), 4);
    QVERIFY(lb.itemVisible(3));
    QVERIFY(!lb.itemVisible(10));
    QVERIFY(!lb.itemVisible(-1));
    QCOMPARE(lb.itemRect(lb.item(10)), QRect(0, 0, -1, -1));

    lb.setTopItem(10);
    QCOMPARE(lb.contentsY(), 10 * h);
    QCOMPARE(lb.topItem(), 10);
    lb.setBottomItem(20);
    QCOMPARE(lb.contentsY(), 21 * h - lb.visibleHeight());
    lb.setTopItem(30); // beyond the items: nothing
    QCOMPARE(lb.contentsY(), 21 * h - lb.visibleHeight());
    lb.setTopItem(-3);
    QCOMPARE(lb.contentsY(), 21 * h - lb.visibleHeight());

    // a new current item is scrolled into view once control returns
    lb.setCurrentItem(2);
    QTRY_VERIFY(lb.itemVisible(2));
    lb.setCurrentItem(27);
    QTRY_VERIFY(lb.itemVisible(27));
}

void TestYMRListBoxLayout::sizeHintsAndFont()
{
    YMRListBox lb;
    fill(lb, 3);
    const QSize before = lb.sizeHint();
    QCOMPARE(before.height(), qMax(40, 3 * rowHeight(lb)) + 2 * lb.frameWidth());
    lb.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lb));
    const QSize minBefore = lb.minimumSizeHint();
    QFont f = lb.font();
    f.setPixelSize(QFontInfo(f).pixelSize() * 2);
    lb.setFont(f);
    // the size hint follows the font; the minimum computed while visible stays
    QVERIFY(lb.sizeHint().height() > before.height());
    QCOMPARE(lb.minimumSizeHint(), minBefore);
    // many items are capped at 170
    fill(lb, 40);
    lb.hide();
    lb.setFont(QFont(f));
    QCOMPARE(lb.sizeHint().height(), 170 + 2 * lb.frameWidth());
}

void TestYMRListBoxLayout::paintsSelectionAndBase()
{
    YMRListBox lb;
    lb.resize(150, 120);
    lb.insertStringList({ "a", "b" });
    lb.setCurrentItem(1); // single mode: selected
    lb.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lb));
    ymrtest::flushEvents();
    const QImage img = lb.viewport()->grab().toImage();
    const int h = rowHeight(lb);
    // a point of the selected row right of its text is the highlight colour
    QCOMPARE(img.pixelColor(lb.visibleWidth() - 5, h + h / 2),
             lb.palette().color(QPalette::Highlight));
    QCOMPARE(img.pixelColor(lb.visibleWidth() - 5, h / 2), lb.palette().color(QPalette::Base));
    QCOMPARE(img.pixelColor(5, 3 * h + 5), lb.palette().color(QPalette::Base));
}

YMR_TEST_MAIN(TestYMRListBoxLayout)
#include "tst_ymrlistbox_layout.moc"
