// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymtabbar.h"

#include <QPainter>
#include <QTimer>

Q_DECLARE_METATYPE(QList<int>)
Q_DECLARE_METATYPE(QMouseEvent *)

class TestYMTabBar : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<QMouseEvent *>(); }
    void idsAndInsertionPlaces();
    void removalPassesCurrentOn_data();
    void removalPassesCurrentOn();
    void removingFirstShownTabKeepsTabsHit();
    void keysSkipDisabledTabs_data();
    void keysSkipDisabledTabs();
    void clickSelectsOnRelease();
    void arrowsScrollOneTab_data();
    void arrowsScrollOneTab();
    void arrowsTakeRoomOnlyWhenNeeded();
    void heldArrowRepeats();
    void dragReordersAndDragsOut();
    void dragOutReleaseClearsPressedArrow();
    void currentLabelOnlyMovesLabel();
    void paintsTowardsThePages_data();
    void paintsTowardsThePages();
};

namespace {

const char *const Labels[] = {"Tab number one", "Tab number two", "Tab number three",
                              "Tab number four", "Tab number five"};

// A bar where one tab at most fits beside the arrows.
void fillNarrow(YMTabBar &bar)
{
    for (const char *l : Labels)
        bar.addTab(QString::fromLatin1(l));
    bar.resize(bar.sizeHint().width() + 40, bar.sizeHint().height());
    bar.show();
}

// A bar wide enough for all its tabs.
void fillWide(YMTabBar &bar, int tabs = 5)
{
    for (int i = 0; i < tabs; ++i)
        bar.addTab(QStringLiteral("T%1").arg(i));
    bar.resize(600, bar.sizeHint().height());
    bar.show();
}

void click(QWidget *w, const QPoint &p, Qt::MouseButton b = Qt::LeftButton)
{
    QTest::mousePress(w, b, Qt::NoModifier, p);
    QTest::mouseRelease(w, b, Qt::NoModifier, p);
}

void move(QWidget *w, const QPoint &p, Qt::MouseButtons held = Qt::LeftButton)
{
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A point on the tab near its start (tabs may run past the visible end).
QPoint centreOf(const YMTabBar &bar, int id)
{
    const QRect r = bar.tabRect(id);
    return QPoint(r.left() + qMin(r.width() / 2, 6), r.center().y());
}

} // namespace

void TestYMTabBar::idsAndInsertionPlaces()
{
    YMTabBar bar;
    QSignalSpy changed(&bar, &YMTabBar::currentChanged);
    QCOMPARE(bar.addTab(QStringLiteral("a")), 0);
    QCOMPARE(bar.addTab(QStringLiteral("b"), 5), 5);
    QCOMPARE(bar.addTab(QStringLiteral("c"), 5), 6);   // taken: next free above
    QCOMPARE(bar.addTab(QStringLiteral("d")), 1);      // -1: lowest free from 0
    QCOMPARE(bar.addTab(QStringLiteral("e"), -7), 2);  // never a negative id
    QCOMPARE(bar.insertTab(QStringLiteral("f"), 5), 3);      // right after tab 5
    QCOMPARE(bar.insertTab(QStringLiteral("g"), 99, 40), 40); // no tab 99: first
    QCOMPARE(bar.tabIds(), QList<int>({40, 0, 5, 3, 6, 1, 2}));
    QCOMPARE(bar.count(), 7);
    QCOMPARE(bar.tabLabel(3), QStringLiteral("f"));
    QVERIFY(bar.tabLabel(77).isNull());
    QVERIFY(!bar.isTabEnabled(77));
    QVERIFY(bar.tabIconSet(77).isNull());
    // inserting never selects
    QCOMPARE(bar.currentTab(), -1);
    QCOMPARE(changed.count(), 0);
}

void TestYMTabBar::removalPassesCurrentOn_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("disabled");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("emitted");

    QTest::newRow("current: previous") << 2 << QList<int>() << 2 << 1 << 1;
    QTest::newRow("current first: next") << 0 << QList<int>() << 0 << 1 << 1;
    QTest::newRow("disabled previous skipped") << 2 << QList<int>({1}) << 2 << 0 << 1;
    QTest::newRow("only disabled before: next") << 2 << QList<int>({0, 1}) << 2 << 3 << 1;
    QTest::newRow("no enabled tab left") << 0 << QList<int>({1, 2, 3, 4}) << 0 << -1 << 1;
    QTest::newRow("not current: nothing") << 3 << QList<int>() << 1 << 3 << 0;
    QTest::newRow("unknown id: nothing") << 3 << QList<int>() << 42 << 3 << 0;
}

void TestYMTabBar::removalPassesCurrentOn()
{
    QFETCH(int, current);
    QFETCH(QList<int>, disabled);
    QFETCH(int, removed);
    QFETCH(int, expected);
    QFETCH(int, emitted);

    YMTabBar bar;
    fillWide(bar);
    bar.setCurrentTab(current);
    for (int id : disabled)
        bar.setTabEnabled(id, false);
    QSignalSpy changed(&bar, &YMTabBar::currentChanged);
    bar.removeTab(removed);
    QCOMPARE(bar.currentTab(), expected);
    QCOMPARE(changed.count(), emitted);
    if (emitted)
        QCOMPARE(changed.last().at(0).toInt(), expected);
    // whatever is left is still drawn and hit
    if (bar.count())
        QVERIFY(bar.tabAt(QPoint(bar.tabRect(bar.firstShownTab()).center())) != -1);

    bar.removeAllTabs();
    QCOMPARE(bar.currentTab(), -1);
    QCOMPARE(bar.firstShownTab(), -1);
    QCOMPARE(changed.last().at(0).toInt(), -1);
}

void TestYMTabBar::removingFirstShownTabKeepsTabsHit()
{
    YMTabBar bar;
    fillNarrow(bar);
    QCOMPARE(bar.currentTab(), 0);
    const QPoint forward = bar.forwardArrowRect().center();
    click(&bar, forward);
    click(&bar, forward);
    QCOMPARE(bar.firstShownTab(), 2);

    // a scrolled-in tab that is not current goes: the next one takes its place
    bar.removeTab(2);
    QCOMPARE(bar.firstShownTab(), 3);
    QCOMPARE(bar.tabAt(centreOf(bar, 3)), 3);
    QCOMPARE(bar.currentTab(), 0);

    // the last one goes while shown first: the one before it comes back
    click(&bar, forward);
    QCOMPARE(bar.firstShownTab(), 4);
    bar.removeTab(4);
    QCOMPARE(bar.firstShownTab(), 3);
    QCOMPARE(bar.tabAt(centreOf(bar, 3)), 3);

    // the current tab while shown first
    bar.setCurrentTab(3);
    QCOMPARE(bar.firstShownTab(), 3);
    bar.removeTab(3);
    QCOMPARE(bar.currentTab(), 1);
    QCOMPARE(bar.tabAt(centreOf(bar, 1)), 1);

    // the tab scrolled out before it is reached through the leading edge
    QSignalSpy changed(&bar, &YMTabBar::currentChanged);
    QCOMPARE(bar.firstShownTab(), 1);
    click(&bar, QPoint(1, bar.height() / 2));
    QCOMPARE(bar.currentTab(), 0);
    QCOMPARE(bar.firstShownTab(), 0);
    QCOMPARE(changed.count(), 1);
}

void TestYMTabBar::keysSkipDisabledTabs_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("accepted");
    // tabs 0..4; 1 and 4 disabled
    QTest::newRow("right skips") << 0 << int(Qt::Key_Right) << 2 << true;
    QTest::newRow("down skips") << 0 << int(Qt::Key_Down) << 2 << true;
    QTest::newRow("left skips") << 2 << int(Qt::Key_Left) << 0 << true;
    QTest::newRow("up at the start") << 0 << int(Qt::Key_Up) << 0 << true;
    QTest::newRow("right before the end") << 3 << int(Qt::Key_Right) << 3 << true;
    QTest::newRow("home") << 3 << int(Qt::Key_Home) << 0 << true;
    QTest::newRow("end") << 0 << int(Qt::Key_End) << 3 << true;
    QTest::newRow("other key to the parent") << 2 << int(Qt::Key_A) << 2 << false;
}

void TestYMTabBar::keysSkipDisabledTabs()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    QFETCH(bool, accepted);

    YMTabBar bar;
    fillWide(bar);
    bar.setTabEnabled(1, false);
    bar.setTabEnabled(4, false);
    bar.setCurrentTab(start);
    QSignalSpy changed(&bar, &YMTabBar::currentChanged);
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&bar, &e);
    QCOMPARE(bar.currentTab(), expected);
    QCOMPARE(changed.count(), expected == start ? 0 : 1);
    QCOMPARE(e.isAccepted(), accepted);

    // setCurrentTab reaches a disabled tab
    bar.setCurrentTab(4);
    QCOMPARE(bar.currentTab(), 4);
}

void TestYMTabBar::clickSelectsOnRelease()
{
    YMTabBar bar;
    fillWide(bar);
    bar.setTabEnabled(3, false);
    QSignalSpy changed(&bar, &YMTabBar::currentChanged);

    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, centreOf(bar, 2));
    QCOMPARE(bar.currentTab(), 2);        // shown as current at once
    QCOMPARE(changed.count(), 0);         // told on release
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, centreOf(bar, 2));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().at(0).toInt(), 2);

    // a disabled tab cannot be pressed
    click(&bar, centreOf(bar, 3));
    QCOMPARE(bar.currentTab(), 2);
    QCOMPARE(changed.count(), 1);
}

void TestYMTabBar::arrowsScrollOneTab_data()
{
    QTest::addColumn<int>("orientation");
    QTest::newRow("above") << 0;
    QTest::newRow("below") << 1;
    QTest::newRow("left") << 2;
    QTest::newRow("right") << 3;
}

void TestYMTabBar::arrowsScrollOneTab()
{
    QFETCH(int, orientation);
    YMTabBar bar;
    bar.setOrientation(orientation);
    for (const char *l : Labels)
        bar.addTab(QString::fromLatin1(l));
    const QSize hint = bar.sizeHint();
    if (orientation < 2)
        bar.resize(hint.width() + 40, hint.height());
    else
        bar.resize(hint.width(), hint.height() + 40);
    bar.show();

    QVERIFY(!bar.isBackArrowEnabled());
    QVERIFY(bar.isForwardArrowEnabled());
    click(&bar, bar.forwardArrowRect().center());
    QCOMPARE(bar.firstShownTab(), 1);
    QVERIFY(bar.isBackArrowEnabled());
    click(&bar, bar.forwardArrowRect().center());
    QCOMPARE(bar.firstShownTab(), 2);
    click(&bar, bar.backArrowRect().center());
    QCOMPARE(bar.firstShownTab(), 1);
    // the leading edge stands for the tab scrolled out before it
    const QPoint lead = orientation < 2 ? QPoint(1, hint.height() / 2)
                                        : QPoint(hint.width() / 2, 1);
    QCOMPARE(bar.tabAt(lead), 0);
    // scrolling never changes the current tab
    QCOMPARE(bar.currentTab(), 0);

    // selecting a scrolled-out tab brings it in
    bar.setCurrentTab(0);
    QCOMPARE(bar.firstShownTab(), 0);
    bar.setCurrentTab(4);
    QCOMPARE(bar.firstShownTab(), 4);
    QVERIFY(!bar.isForwardArrowEnabled());
}

// Tabs that fit the bar without the arrows leave them out and are all
// shown; one pixel less and the arrows come back to scroll.
void TestYMTabBar::arrowsTakeRoomOnlyWhenNeeded()
{
    YMTabBar bar;
    fillWide(bar, 3);
    const int last = bar.tabIds().last();
    // the tabs, the end piece after them
    const int fits = bar.tabRect(last).right() + 1 + 5;
    bar.resize(fits, bar.height());
    QVERIFY(!bar.isForwardArrowEnabled());
    QCOMPARE(bar.tabAt(QPoint(bar.tabRect(last).right(), bar.height() / 2)), last);

    bar.resize(fits - 1, bar.height());
    bar.setCurrentTab(0);
    QVERIFY(bar.isForwardArrowEnabled());
    QCOMPARE(bar.tabAt(QPoint(bar.tabRect(last).left() + 1, bar.height() / 2)), -1);
}

void TestYMTabBar::heldArrowRepeats()
{
    YMTabBar bar;
    fillNarrow(bar);
    auto *timer = bar.findChild<QTimer *>();
    QVERIFY(timer);
    const QPoint forward = bar.forwardArrowRect().center();

    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, forward);
    QCOMPARE(bar.firstShownTab(), 0);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 250);
    QTRY_VERIFY_WITH_TIMEOUT(bar.firstShownTab() >= 1, 30000);
    // any move while the arrow stays pressed restarts the timer, slower
    move(&bar, forward + QPoint(1, 0));
    QCOMPARE(timer->interval(), 500);
    const int before = bar.firstShownTab();
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, forward);
    QCOMPARE(bar.firstShownTab(), before + 1);
    QVERIFY(!timer->isActive());

    // moving off the arrow stops the repeat
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, bar.backArrowRect().center());
    QVERIFY(timer->isActive());
    move(&bar, QPoint(bar.width() - 2, 1));
    QVERIFY(!timer->isActive());
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar.width() - 2, 1));
    QCOMPARE(bar.firstShownTab(), before + 1);
}

void TestYMTabBar::dragReordersAndDragsOut()
{
    YMTabBar bar;
    fillWide(bar, 3);
    QSignalSpy order(&bar, &YMTabBar::changeTabsOrder);
    QSignalSpy start(&bar, &YMTabBar::startTabDrag);
    QSignalSpy cont(&bar, &YMTabBar::continueTabDrag);
    QSignalSpy cancel(&bar, &YMTabBar::cancelTabDrag);
    QSignalSpy finish(&bar, &YMTabBar::finishTabDrag);

    // tab 0 dragged onto tab 1 and beyond: positions, not ids, are reported
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, centreOf(bar, 0));
    // the current tab is narrower: just past the border tab 1 would lie
    // under the pointer after the swap, so nothing moves yet
    move(&bar, centreOf(bar, 1));
    QCOMPARE(bar.tabIds(), QList<int>({0, 1, 2}));
    QCOMPARE(order.count(), 0);
    move(&bar, bar.tabRect(1).center());
    QCOMPARE(bar.tabIds(), QList<int>({1, 0, 2}));
    QCOMPARE(order.count(), 1);
    QCOMPARE(order.last(), QList<QVariant>({0, 1}));
    move(&bar, bar.tabRect(2).center());
    QCOMPARE(bar.tabIds(), QList<int>({1, 2, 0}));
    QCOMPARE(order.last(), QList<QVariant>({1, 2}));

    // out of the strip once: start, then continue; back in: cancel
    const QPoint out(bar.width() / 2, bar.height() + 20);
    move(&bar, out);
    move(&bar, out + QPoint(5, 5));
    QCOMPARE(start.count(), 1);
    QCOMPARE(start.last().at(0).toInt(), 0);
    QCOMPARE(cont.count(), 1);
    move(&bar, centreOf(bar, 0));
    QCOMPARE(cancel.count(), 1);
    move(&bar, out);
    QCOMPARE(start.count(), 2);
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, out);
    QCOMPARE(finish.count(), 1);

    // the drag state lasts until the next press
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, centreOf(bar, 1));
    move(&bar, centreOf(bar, 1) + QPoint(1, 0));
    QCOMPARE(cancel.count(), 1);
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, centreOf(bar, 1));
    QCOMPARE(bar.currentTab(), 1);

    // a right-button move is ignored
    QTest::mousePress(&bar, Qt::RightButton, Qt::NoModifier, centreOf(bar, 1));
    move(&bar, out, Qt::RightButton);
    QCOMPARE(start.count(), 2);
    QTest::mouseRelease(&bar, Qt::RightButton, Qt::NoModifier, centreOf(bar, 1));
}

void TestYMTabBar::dragOutReleaseClearsPressedArrow()
{
    YMTabBar bar;
    fillNarrow(bar);
    QSignalSpy finish(&bar, &YMTabBar::finishTabDrag);
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, bar.forwardArrowRect().center());
    const QPoint out(bar.width() / 2, bar.height() + 20);
    move(&bar, out);
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, out);
    QCOMPARE(finish.count(), 1);
    // nothing stays pressed: a late repeat tick scrolls nothing
    const int first = bar.firstShownTab();
    bar.breakTimeout();
    QCOMPARE(bar.firstShownTab(), first);
}

void TestYMTabBar::currentLabelOnlyMovesLabel()
{
    YMTabBar bar;
    fillWide(bar, 3);
    bar.setTabLabel(0, QStringLiteral("First page"));
    bar.setTabLabel(1, QStringLiteral("Second page"));
    const int wide0 = bar.tabRect(0).width();
    const int wide1 = bar.tabRect(1).width();
    bar.setTabFlags(YMTabBar::Icons | YMTabBar::CurrentLabelOnly);
    // the current tab keeps its label, the others lose theirs
    QCOMPARE(bar.tabRect(0).width(), wide0);
    QVERIFY(bar.tabRect(1).width() < wide1);
    const int narrow1 = bar.tabRect(1).width();

    bar.setCurrentTab(1);
    QVERIFY(bar.tabRect(0).width() < wide0);
    QVERIFY(bar.tabRect(1).width() > narrow1);
    // the label itself is kept
    QCOMPARE(bar.tabLabel(0), QStringLiteral("First page"));

    // a label set on a tab that is not current stays hidden
    const int before = bar.tabRect(2).width();
    bar.setTabLabel(2, QStringLiteral("A much longer label"));
    QCOMPARE(bar.tabRect(2).width(), before);
}

void TestYMTabBar::paintsTowardsThePages_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("flags");
    for (int o = 0; o < 4; ++o) {
        for (int flags : {0x01, 0x2d, 0x29, 0x13}) {
            const QByteArray name = QByteArray::number(o) + "/0x" + QByteArray::number(flags, 16);
            QTest::newRow(name.constData()) << o << flags;
        }
    }
}

void TestYMTabBar::paintsTowardsThePages()
{
    QFETCH(int, orientation);
    QFETCH(int, flags);
    YMTabBar bar;
    bar.setTabFlags(flags);
    bar.setOrientation(orientation);
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    bar.addTab(QStringLiteral("One"), QIcon(pm));
    bar.addTab(QStringLiteral("&Two"));
    bar.addTab(QStringLiteral("Three"), QIcon(pm));
    bar.setTabEnabled(2, false);
    const QSize hint = bar.sizeHint();
    const int length = 400;
    bar.resize(orientation < 2 ? QSize(length, hint.height()) : QSize(hint.width(), length));
    bar.show();
    const QImage img = bar.grab().toImage();
    QCOMPARE(img.size(), bar.size());

    // all tabs fit: the page edge runs along the side of the pages, light on the upper and left sides, dark on the others
    const int thickness = orientation < 2 ? hint.height() : hint.width();
    // in the empty stretch before the end piece and the buttons
    const int buttons = (orientation < 2 ? hint.width() : hint.height()) - 28;
    const int along = length - buttons - 8;
    const QPalette pal = bar.palette();
    const bool light = orientation == 0 || orientation == 2;
    const QColor expected = pal.color(light ? QPalette::Light : QPalette::Dark);
    QPoint edge;
    switch (orientation) {
    case 0: edge = QPoint(along, thickness - 1); break;
    case 1: edge = QPoint(along, 0); break;
    case 2: edge = QPoint(thickness - 1, along); break;
    default: edge = QPoint(0, along); break;
    }
    QCOMPARE(img.pixel(edge), expected.rgb());
    if (flags & YMTabBar::Flat)
        return;   // light lines vanish on the lighter background
    // the far side of the strip is background
    const QPoint far = orientation == 0 ? QPoint(along, 0)
                       : orientation == 1 ? QPoint(along, thickness - 1)
                       : orientation == 2 ? QPoint(0, along)
                                          : QPoint(thickness - 1, along);
    QVERIFY(img.pixel(far) != expected.rgb());
}

YMR_TEST_MAIN(TestYMTabBar)
#include "tst_ymtabbar.moc"
