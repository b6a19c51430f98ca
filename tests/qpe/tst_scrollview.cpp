#include "ymrtest.h"

#include "qpe/qpeapplication.h"
#include "qpe/scrollview.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

// Records what the base hands to its virtual hooks.
class ProbeView : public ScrollView
{
public:
    explicit ProbeView(QWidget *parent = nullptr) : ScrollView(parent, "probe")
    {
        setFrameStyle(QFrame::NoFrame);
    }

    QList<QRect> drawn;
    QList<QPoint> presses, releases, moves, doubles;
    Qt::MouseButtons moveButtons;

protected:
    void drawContents(QPainter *p, int cx, int cy, int cw, int ch) override
    {
        drawn << QRect(cx, cy, cw, ch);
        // contents coordinates: a cell at (100, 100) lands where the viewport shows it
        p->fillRect(QRect(100, 100, 10, 10), Qt::red);
    }
    void contentsMousePressEvent(QMouseEvent *e) override { presses << e->pos(); }
    void contentsMouseReleaseEvent(QMouseEvent *e) override { releases << e->pos(); }
    void contentsMouseDoubleClickEvent(QMouseEvent *e) override { doubles << e->pos(); }
    void contentsMouseMoveEvent(QMouseEvent *e) override
    {
        moves << e->pos();
        moveButtons = e->buttons();
    }
};

} // namespace

class TestScrollView : public QObject
{
    Q_OBJECT
private slots:
    void rangesPositionAndClamping();
    void ensureVisibleAndConversions();
    void mouseEventsInContentsCoordinates();
    void paintingInContentsCoordinates();
    void scrollBarModesAndMargins();
};

void TestScrollView::rangesPositionAndClamping()
{
    ProbeView v;
    v.setHScrollBarMode(ScrollView::AlwaysOff);
    v.setVScrollBarMode(ScrollView::AlwaysOff);
    v.resize(200, 100);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QCOMPARE(v.visibleWidth(), 200);
    QCOMPARE(v.visibleHeight(), 100);

    v.resizeContents(500, 1000);
    QCOMPARE(v.contentsWidth(), 500);
    QCOMPARE(v.contentsHeight(), 1000);
    QCOMPARE(v.verticalScrollBar()->maximum(), 900);
    QCOMPARE(v.horizontalScrollBar()->maximum(), 300);

    QSignalSpy moving(&v, &ScrollView::contentsMoving);
    v.setContentsPos(50, 400);
    QCOMPARE(v.contentsX(), 50);
    QCOMPARE(v.contentsY(), 400);
    QVERIFY(moving.count() >= 1);
    QCOMPARE(moving.last().at(1).toInt(), 400);

    v.setContentsPos(-10, 5000);
    QCOMPARE(v.contentsX(), 0);
    QCOMPARE(v.contentsY(), 900);
    v.scrollBy(30, -100);
    QCOMPARE(v.contentsX(), 30);
    QCOMPARE(v.contentsY(), 800);

    // shrinking the contents pulls the position back into range
    v.resizeContents(100, 50);
    QCOMPARE(v.contentsX(), 0);
    QCOMPARE(v.contentsY(), 0);
}

void TestScrollView::ensureVisibleAndConversions()
{
    ProbeView v;
    v.setHScrollBarMode(ScrollView::AlwaysOff);
    v.setVScrollBarMode(ScrollView::AlwaysOff);
    v.resize(200, 100);
    v.resizeContents(1000, 1000);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));

    v.ensureVisible(10, 500, 0, 20);
    QCOMPARE(v.contentsY(), 500 - 100 + 20);
    QCOMPARE(v.contentsX(), 0);
    // already visible: no move
    v.ensureVisible(10, 450, 0, 20);
    QCOMPARE(v.contentsY(), 420);
    // above the view
    v.ensureVisible(10, 100, 0, 20);
    QCOMPARE(v.contentsY(), 80);
    // margins larger than the view are halved to fit
    v.ensureVisible(10, 700, 0, 500);
    QCOMPARE(v.contentsY(), 650);

    QCOMPARE(v.viewportToContents(QPoint(5, 6)), QPoint(5, 656));
    QCOMPARE(v.contentsToViewport(QPoint(5, 656)), QPoint(5, 6));
    int x = 0, y = 0;
    v.viewportToContents(1, 2, x, y);
    QCOMPARE(QPoint(x, y), QPoint(1, 652));
    v.contentsToViewport(x, y, x, y);
    QCOMPARE(QPoint(x, y), QPoint(1, 2));
}

void TestScrollView::mouseEventsInContentsCoordinates()
{
    ProbeView v;
    v.resize(200, 100);
    v.resizeContents(1000, 1000);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    v.setContentsPos(100, 300);

    QWidget *vp = v.viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(15, 25), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(15, 25));
    QTest::mouseDClick(vp, Qt::LeftButton, Qt::NoModifier, QPoint(1, 2));

    QCOMPARE(v.presses.value(0), QPoint(110, 320));
    QCOMPARE(v.moves.value(0), QPoint(115, 325));
    QCOMPARE(v.moveButtons, Qt::MouseButtons(Qt::LeftButton));
    QCOMPARE(v.releases.value(0), QPoint(115, 325));
    QCOMPARE(v.doubles.value(0), QPoint(101, 302));
}

void TestScrollView::paintingInContentsCoordinates()
{
    ProbeView v;
    v.setHScrollBarMode(ScrollView::AlwaysOff);
    v.setVScrollBarMode(ScrollView::AlwaysOff);
    v.viewport()->setAutoFillBackground(true);
    v.resize(200, 100);
    v.resizeContents(1000, 1000);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    v.setContentsPos(95, 90);

    v.drawn.clear();
    v.repaintContents(QRect(95, 90, 200, 100), false);
    QVERIFY(!v.drawn.isEmpty());
    QCOMPARE(v.drawn.last(), QRect(95, 90, 200, 100));

    const QImage img = v.viewport()->grab().toImage();
    QCOMPARE(QColor(img.pixel(5, 10)), QColor(Qt::red));    // contents (100, 100)
    QVERIFY(QColor(img.pixel(3, 10)) != QColor(Qt::red));  // contents (98, 100)

    // updates outside the viewport are dropped, inside ones reach drawContents
    v.drawn.clear();
    v.updateContents(QRect(0, 0, 10, 10));
    v.updateContents(QRect(100, 100, 10, 10));
    QTRY_VERIFY(!v.drawn.isEmpty());
    QVERIFY(v.drawn.last().contains(QRect(100, 100, 10, 10)));
}

void TestScrollView::scrollBarModesAndMargins()
{
    ProbeView v;
    v.resize(200, 100);
    v.resizeContents(100, 50);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QVERIFY(!v.verticalScrollBar()->isVisible());
    v.setVScrollBarMode(ScrollView::AlwaysOn);
    QTRY_VERIFY(v.verticalScrollBar()->isVisible());
    QCOMPARE(v.vScrollBarMode(), ScrollView::AlwaysOn);
    const int withBar = v.visibleWidth();
    QVERIFY(withBar < 200);

    v.setVScrollBarMode(ScrollView::Auto);
    v.resizeContents(100, 500);
    QTRY_VERIFY(v.verticalScrollBar()->isVisible());
    v.setVScrollBarMode(ScrollView::AlwaysOff);
    QTRY_VERIFY(!v.verticalScrollBar()->isVisible());
    QCOMPARE(v.visibleWidth(), 200);

    // margins shrink the viewport and move it inside the frame
    v.setMargins(0, 20, 0, 0);
    QCOMPARE(v.topMargin(), 20);
    QTRY_COMPARE(v.visibleHeight(), 80 - (v.horizontalScrollBar()->isVisible()
                                              ? v.horizontalScrollBar()->height() : 0));
    QCOMPARE(v.viewport()->geometry().top(), 20);
    QCOMPARE(v.verticalScrollBar()->maximum(), 500 - v.visibleHeight());
}

QPE_TEST_MAIN(TestScrollView)
#include "tst_scrollview.moc"
