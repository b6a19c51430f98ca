#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>

// Mouse, keys, focus, auto-scrolling and the selection modes of the list view.
class TestYMRListViewInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void singleMode();
    void multiMode();
    void extendedMode();
    void extendedRangesOverClosedBranches();
    void noSelectionMode();
    void pressAndClickSignals();
    void branchClicksAndDoubleClicks();
    void treeKeys();
    void pageKeys();
    void returnAndEscape();
    void typeAhead();
    void controlASelectsAll();
    void dragSelectsAndAutoScrolls();
    void focusInTakesFirstItem();
    void headerPassesRightButton();
    void onItemAndOnViewport();

private:
    void fill(int n);
    YMRListViewItem *item(int n) const { return items.at(n); }
    QPoint at(const YMRListViewItem *i, int x = 100) const
    {
        return QPoint(x, lv->itemRect(i).center().y());
    }
    void press(const YMRListViewItem *i, Qt::KeyboardModifiers m = Qt::NoModifier,
               Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(lv->viewport(), b, m, at(i));
    }
    void click(const YMRListViewItem *i, Qt::KeyboardModifiers m = Qt::NoModifier,
               Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(lv->viewport(), b, m, at(i));
        QTest::mouseRelease(lv->viewport(), b, m, at(i));
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(lv, Qt::Key(k), m);
    }
    void drag(const QPoint &p, Qt::MouseButtons b = Qt::LeftButton)
    {
        QMouseEvent e(QEvent::MouseMove, p, lv->viewport()->mapToGlobal(p), Qt::NoButton, b,
                      Qt::NoModifier);
        QApplication::sendEvent(lv->viewport(), &e);
    }
    // A point below the last row.
    QPoint empty() const
    {
        const QPoint p(60, lv->visibleHeight() - 3);
        if (lv->itemAt(p))
            qFatal("the view has no empty space");
        return p;
    }
    QList<int> selected() const
    {
        QList<int> r;
        for (int n = 0; n < items.size(); ++n)
            if (items.at(n)->isSelected())
                r << n;
        return r;
    }

    QWidget *top = nullptr;
    YMRListView *lv = nullptr;
    QVector<YMRListViewItem *> items;
};

void TestYMRListViewInput::initTestCase()
{
    qRegisterMetaType<YMRListViewItem *>();
}

void TestYMRListViewInput::init()
{
    top = new QWidget;
    // The focus stays elsewhere: a focused view makes its first item current.
    auto *edit = new QLineEdit(top);
    edit->setGeometry(0, 300, 100, 20);
    lv = new YMRListView(top);
    lv->addColumn("Name", 150);
    lv->resize(200, 280);
    top->resize(220, 330);
    top->show();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowExposed(top));
}

void TestYMRListViewInput::cleanup()
{
    delete top;
    top = nullptr;
    lv = nullptr;
    items.clear();
}

void TestYMRListViewInput::fill(int n)
{
    for (int i = 0; i < n; ++i)
        items << new YMRListViewItem(lv, QString("item %1").arg(i, 2, 10, QChar('0')));
    ymrtest::flushEvents();
}

void TestYMRListViewInput::singleMode()
{
    fill(8);
    QStringList log;
    connect(lv, QOverload<>::of(&YMRListView::selectionChanged), this,
            [&] { log << "selectionChanged()"; });
    connect(lv, QOverload<YMRListViewItem *>::of(&YMRListView::selectionChanged), this,
            [&](YMRListViewItem *i) { log << "selectionChanged " + i->text(0); });
    connect(lv, &YMRListView::currentChanged, this,
            [&](YMRListViewItem *i) { log << "current " + i->text(0); });

    click(item(2));
    QCOMPARE(log, QStringList({ "selectionChanged item 02", "selectionChanged()",
                                "current item 02" }));
    QCOMPARE(lv->currentItem(), item(2));
    QCOMPARE(lv->selectedItem(), item(2));

    // the selection follows the arrow keys
    log.clear();
    key(Qt::Key_Down);
    QCOMPARE(lv->currentItem(), item(3));
    QCOMPARE(lv->selectedItem(), item(3));
    QCOMPARE(selected(), QList<int>({ 3 }));
    QCOMPARE(log, QStringList({ "selectionChanged item 03", "selectionChanged()",
                                "current item 03" }));
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    QCOMPARE(selected(), QList<int>({ 1 }));

    // a press on empty space leaves the selection alone
    log.clear();
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier,
                      empty());
    QCOMPARE(selected(), QList<int>({ 1 }));
    QVERIFY(log.isEmpty());

    // selecting another item makes it current, the signals in this order
    lv->setSelected(item(5), true);
    QCOMPARE(log, QStringList({ "selectionChanged item 05", "selectionChanged()",
                                "current item 05" }));
    QCOMPARE(selected(), QList<int>({ 5 }));
    // Space in this mode activates, the selection stays
    log.clear();
    key(Qt::Key_Space);
    QCOMPARE(selected(), QList<int>({ 5 }));
    QVERIFY(log.isEmpty());
}

void TestYMRListViewInput::multiMode()
{
    fill(8);
    lv->setSelectionMode(YMRListView::Multi);
    QVERIFY(lv->isMultiSelection());
    QSignalSpy changed(lv, SIGNAL(selectionChanged()));
    QSignalSpy changedItem(lv, SIGNAL(selectionChanged(YMRListViewItem *)));

    click(item(1));
    click(item(3));
    QCOMPARE(selected(), QList<int>({ 1, 3 }));
    click(item(1));
    QCOMPARE(selected(), QList<int>({ 3 }));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(changedItem.count(), 0);
    QCOMPARE(lv->selectedItem(), nullptr);

    // Space toggles the current item
    key(Qt::Key_Space);
    QCOMPARE(selected(), QList<int>({ 1, 3 }));
    key(Qt::Key_Space);
    QCOMPARE(selected(), QList<int>({ 3 }));

    // Shift with the arrows inverts what it passes over
    key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(lv->currentItem(), item(2));
    QCOMPARE(selected(), QList<int>({ 2, 3 }));
    key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(selected(), QList<int>({ 2 }));
    // plain arrows only move
    key(Qt::Key_Down);
    QCOMPARE(selected(), QList<int>({ 2 }));
    QCOMPARE(lv->currentItem(), item(4));

    // a press on empty space clears the selection
    changed.clear();
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier,
                      empty());
    QVERIFY(selected().isEmpty());
    QCOMPARE(changed.count(), 1);

    // switching to single mode keeps no multiple selection behaviour
    lv->setMultiSelection(false);
    QCOMPARE(lv->selectionMode(), YMRListView::Single);
}

void TestYMRListViewInput::extendedMode()
{
    fill(10);
    lv->setSelectionMode(YMRListView::Extended);
    QSignalSpy changed(lv, SIGNAL(selectionChanged()));

    click(item(1));
    QCOMPARE(selected(), QList<int>({ 1 }));
    click(item(4));
    QCOMPARE(selected(), QList<int>({ 4 }));
    QCOMPARE(changed.count(), 2);

    // Control toggles one item
    click(item(6), Qt::ControlModifier);
    QCOMPARE(selected(), QList<int>({ 4, 6 }));
    QCOMPARE(changed.count(), 3);
    click(item(4), Qt::ControlModifier);
    QCOMPARE(selected(), QList<int>({ 6 }));
    click(item(4), Qt::ControlModifier);
    QCOMPARE(changed.count(), 5);

    // Shift adds the range from the old current item (4) and clears nothing
    changed.clear();
    click(item(8), Qt::ShiftModifier);
    QCOMPARE(selected(), QList<int>({ 4, 5, 6, 7, 8 }));
    QCOMPARE(changed.count(), 1);
    click(item(2), Qt::ShiftModifier);
    QCOMPARE(selected(), QList<int>({ 2, 3, 4, 5, 6, 7, 8 }));

    // a plain tap inside the selection keeps only that item, on release
    changed.clear();
    press(item(5));
    QCOMPARE(selected(), QList<int>({ 2, 3, 4, 5, 6, 7, 8 }));
    QCOMPARE(changed.count(), 0);
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(item(5)));
    QCOMPARE(selected(), QList<int>({ 5 }));
    QCOMPARE(changed.count(), 1);

    // keys: a plain move selects only the new item; Shift extends from the anchor
    key(Qt::Key_Down);
    QCOMPARE(selected(), QList<int>({ 6 }));
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(selected(), QList<int>({ 6, 7, 8 }));
    key(Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(selected(), QList<int>({ 6, 7 }));
    // Control moves without touching the selection
    key(Qt::Key_Up, Qt::ControlModifier);
    key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(lv->currentItem(), item(5));
    QCOMPARE(selected(), QList<int>({ 6, 7 }));
    // and Control+Space toggles the current one
    key(Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(selected(), QList<int>({ 5, 6, 7 }));
}

void TestYMRListViewInput::extendedRangesOverClosedBranches()
{
    lv->setSelectionMode(YMRListView::Extended);
    auto *a = new YMRListViewItem(lv, "a");
    auto *b = new YMRListViewItem(lv, "b");
    auto *b1 = new YMRListViewItem(b, "b1");
    auto *b2 = new YMRListViewItem(b, "b2");
    auto *c = new YMRListViewItem(lv, "c");
    ymrtest::flushEvents();
    QSignalSpy changed(lv, SIGNAL(selectionChanged()));

    // hidden children of a closed item between the two ends are included
    click(a);
    click(c, Qt::ShiftModifier);
    QVERIFY(a->isSelected() && b->isSelected() && b1->isSelected() && b2->isSelected()
            && c->isSelected());
    QCOMPARE(changed.count(), 2);

    // a range whose walk runs off the end of the tree still reports the change
    lv->clearSelection();
    lv->setCurrentItem(b1);
    changed.clear();
    click(c, Qt::ShiftModifier);
    QVERIFY(c->isSelected());
    QCOMPARE(changed.count(), 1);
}

void TestYMRListViewInput::noSelectionMode()
{
    fill(5);
    lv->setSelectionMode(YMRListView::NoSelection);
    QSignalSpy changed(lv, SIGNAL(selectionChanged()));
    QSignalSpy current(lv, SIGNAL(currentChanged(YMRListViewItem *)));
    QSignalSpy clicked(lv, SIGNAL(clicked(YMRListViewItem *)));

    click(item(2));
    click(item(3), Qt::ControlModifier);
    click(item(4), Qt::ShiftModifier);
    key(Qt::Key_Up);
    key(Qt::Key_Space);
    key(Qt::Key_A, Qt::ControlModifier);
    lv->setSelected(item(1), true);
    lv->selectAll(true);
    QVERIFY(selected().isEmpty());
    QCOMPARE(changed.count(), 0);
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(current.count(), 4);
    QCOMPARE(lv->currentItem(), item(3));
}

void TestYMRListViewInput::pressAndClickSignals()
{
    fill(5);
    QSignalSpy pressed(lv, SIGNAL(pressed(YMRListViewItem *)));
    QSignalSpy pressedAt(lv, SIGNAL(pressed(YMRListViewItem *, const QPoint &, int)));
    QSignalSpy buttonPressed(
        lv, SIGNAL(mouseButtonPressed(int, YMRListViewItem *, const QPoint &, int)));
    QSignalSpy clicked(lv, SIGNAL(clicked(YMRListViewItem *)));
    QSignalSpy buttonClicked(
        lv, SIGNAL(mouseButtonClicked(int, YMRListViewItem *, const QPoint &, int)));
    QSignalSpy rightPressed(lv,
                            SIGNAL(rightButtonPressed(YMRListViewItem *, const QPoint &, int)));
    QSignalSpy rightClicked(lv,
                            SIGNAL(rightButtonClicked(YMRListViewItem *, const QPoint &, int)));

    click(item(1));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.at(0).at(0).value<YMRListViewItem *>(), item(1));
    QCOMPARE(pressedAt.at(0).at(1).toPoint(), lv->viewport()->mapToGlobal(at(item(1))));
    QCOMPARE(pressedAt.at(0).at(2).toInt(), 0);
    QCOMPARE(buttonPressed.at(0).at(0).toInt(), 1);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(buttonClicked.at(0).at(1).value<YMRListViewItem *>(), item(1));
    QCOMPARE(buttonClicked.at(0).at(3).toInt(), 0);
    QCOMPARE(rightPressed.count(), 0);

    // a release over another item is no click
    press(item(1));
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(item(2)));
    QCOMPARE(pressed.count(), 2);
    QCOMPARE(clicked.count(), 1);

    // on empty space: null item, column -1 for the button signals
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, empty());
    QCOMPARE(pressed.count(), 3);
    QCOMPARE(pressed.last().at(0).value<YMRListViewItem *>(), nullptr);
    QCOMPARE(buttonPressed.last().at(3).toInt(), -1);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(buttonClicked.last().at(3).toInt(), -1);

    // right button on an item, then on empty space, which clears the selection
    lv->setSelectionMode(YMRListView::Multi);
    click(item(2));
    click(item(3));
    click(item(3), Qt::NoModifier, Qt::RightButton); // toggles like the left button
    QCOMPARE(rightPressed.count(), 1);
    QCOMPARE(rightPressed.last().at(0).value<YMRListViewItem *>(), item(3));
    QCOMPARE(rightPressed.last().at(2).toInt(), 0);
    QCOMPARE(rightClicked.count(), 1);
    QCOMPARE(buttonPressed.last().at(0).toInt(), 2);
    QCOMPARE(selected(), QList<int>({ 1, 2 }));
    QTest::mouseClick(lv->viewport(), Qt::RightButton, Qt::NoModifier, empty());
    QCOMPARE(rightPressed.count(), 2);
    QCOMPARE(rightPressed.last().at(0).value<YMRListViewItem *>(), nullptr);
    QCOMPARE(rightPressed.last().at(2).toInt(), -1);
    QCOMPARE(rightClicked.last().at(2).toInt(), -1);
    QVERIFY(selected().isEmpty());
}

void TestYMRListViewInput::branchClicksAndDoubleClicks()
{
    lv->setRootIsDecorated(true);
    auto *p = new YMRListViewItem(lv, "p");
    auto *c1 = new YMRListViewItem(p, "p1");
    new YMRListViewItem(c1, "p1a");
    new YMRListViewItem(p, "p2");
    auto *q = new YMRListViewItem(lv, "q");
    auto *e = new YMRListViewItem(lv, "r");
    e->setExpandable(true);
    ymrtest::flushEvents();

    QSignalSpy current(lv, SIGNAL(currentChanged(YMRListViewItem *)));
    QSignalSpy pressed(lv, SIGNAL(pressed(YMRListViewItem *)));
    QSignalSpy clicked(lv, SIGNAL(clicked(YMRListViewItem *)));
    QSignalSpy doubleClicked(lv, SIGNAL(doubleClicked(YMRListViewItem *)));
    QSignalSpy expanded(lv, SIGNAL(expanded(YMRListViewItem *)));

    // without a current item, the branch mark makes the item current
    const int bx = lv->treeStepSize() / 2;
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(p, bx));
    QVERIFY(p->isOpen());
    QCOMPARE(expanded.count(), 1);
    QCOMPARE(lv->currentItem(), p);
    QCOMPARE(current.count(), 1);
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(!p->isSelected());

    // the second tap of a double click there does nothing more
    click(q);
    current.clear();
    QTest::mousePress(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(p, bx));
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(p, bx));
    QVERIFY(!p->isOpen());
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at(p, bx), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(lv->viewport(), &dbl);
    QVERIFY(!p->isOpen());
    QCOMPARE(doubleClicked.count(), 0);
    QCOMPARE(lv->currentItem(), q);
    QVERIFY(q->isSelected());
    QCOMPARE(current.count(), 0);

    // a double click on the text opens and reports it, also an expandable item
    QTest::mouseDClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(p));
    QVERIFY(p->isOpen());
    QCOMPARE(doubleClicked.count(), 1);
    QCOMPARE(doubleClicked.at(0).at(0).value<YMRListViewItem *>(), p);
    QTest::mouseDClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(e));
    QVERIFY(e->isOpen());

    // closing the branch that holds the current item makes the item current
    click(c1);
    QCOMPARE(lv->currentItem(), c1);
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(p, bx));
    QVERIFY(!p->isOpen());
    QCOMPARE(lv->currentItem(), p);
    QVERIFY(p->isSelected());

    // a child's branch mark lies one tree step further right
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(p, bx));
    QVERIFY(p->isOpen());
    pressed.clear();
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(c1, bx));
    QCOMPARE(pressed.count(), 1);
    QVERIFY(!c1->isOpen());
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier,
                      at(c1, bx + lv->treeStepSize()));
    QCOMPARE(pressed.count(), 1);
    QVERIFY(c1->isOpen());
}

void TestYMRListViewInput::treeKeys()
{
    auto *p = new YMRListViewItem(lv, "p");
    auto *c1 = new YMRListViewItem(p, "p1");
    auto *c2 = new YMRListViewItem(p, "p2");
    auto *q = new YMRListViewItem(lv, "q");
    auto *q1 = new YMRListViewItem(q, "q1");
    ymrtest::flushEvents();

    // the first key only makes the first item current (and selected)
    key(Qt::Key_Down);
    QCOMPARE(lv->currentItem(), p);
    QVERIFY(p->isSelected());

    key(Qt::Key_Right);
    QVERIFY(p->isOpen());
    QCOMPARE(lv->currentItem(), p);
    key(Qt::Key_Right);
    QCOMPARE(lv->currentItem(), c1);
    key(Qt::Key_Down);
    QCOMPARE(lv->currentItem(), c2);
    key(Qt::Key_Left);
    QCOMPARE(lv->currentItem(), p);
    key(Qt::Key_Left);
    QVERIFY(!p->isOpen());
    key(Qt::Key_Plus);
    QVERIFY(p->isOpen());
    key(Qt::Key_Minus);
    QVERIFY(!p->isOpen());
    // the zoom keys (Control+Alt+plus stands in for one) are no "+": they go on
    key(Qt::Key_Plus, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(!p->isOpen());
    QKeyEvent zoom(QEvent::KeyPress, Qt::Key_ZoomIn, Qt::NoModifier);
    QApplication::sendEvent(lv, &zoom);
    QVERIFY(!zoom.isAccepted());
    QVERIFY(!p->isOpen());

    key(Qt::Key_End);
    QCOMPARE(lv->currentItem(), q);
    q->setOpen(true);
    key(Qt::Key_End);
    QCOMPARE(lv->currentItem(), q1);
    key(Qt::Key_Home);
    QCOMPARE(lv->currentItem(), p);
    QCOMPARE(lv->selectedItem(), p);
    key(Qt::Key_Up);
    QCOMPARE(lv->currentItem(), p);

    // at the ends of the tree Left and Right scroll the view when they can
    lv->setColumnWidth(0, 600);
    ymrtest::flushEvents();
    QScrollBar *bar = lv->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    key(Qt::Key_Left);
    QCOMPARE(lv->currentItem(), p);
    QCOMPARE(bar->value(), 0);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    QCOMPARE(lv->currentItem(), q1);
    key(Qt::Key_Right);
    QCOMPARE(bar->value(), bar->singleStep());
    key(Qt::Key_Left);
    QCOMPARE(lv->currentItem(), q);
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    QCOMPARE(bar->value(), 0);
}

void TestYMRListViewInput::pageKeys()
{
    fill(40);
    const int h = item(0)->height();
    const int rows = lv->visibleHeight() / h;
    QVERIFY(rows >= 4);
    lv->setCurrentItem(item(0));

    // first to the bottom edge, then a page further
    key(Qt::Key_PageDown);
    YMRListViewItem *bottom = lv->itemAt(QPoint(0, lv->visibleHeight() - 1));
    QCOMPARE(lv->currentItem(), bottom);
    const int first = items.indexOf(bottom);
    key(Qt::Key_PageDown);
    const int second = items.indexOf(lv->currentItem());
    QVERIFY2(second - first >= rows - 1 && second - first <= rows, qPrintable(QString::number(second - first)));
    QCOMPARE(lv->selectedItem(), lv->currentItem());
    QVERIFY(lv->itemRect(lv->currentItem()).isValid());

    key(Qt::Key_PageUp);
    YMRListViewItem *topItem = lv->itemAt(QPoint(0, 0));
    QCOMPARE(lv->currentItem(), topItem);
    key(Qt::Key_PageUp);
    const int up = items.indexOf(lv->currentItem());
    QVERIFY(items.indexOf(topItem) - up >= qMin(rows - 1, items.indexOf(topItem)));

    key(Qt::Key_End);
    QCOMPARE(lv->currentItem(), item(39));
    QVERIFY(lv->itemRect(item(39)).isValid());
    key(Qt::Key_PageDown);
    QCOMPARE(lv->currentItem(), item(39));

    // Up and Down make the item visible a moment later
    key(Qt::Key_Home);
    QCOMPARE(lv->contentsY(), 0);
    for (int i = 0; i < rows + 3; ++i)
        key(Qt::Key_Down);
    QTRY_VERIFY(lv->contentsY() > 0);
    QTRY_VERIFY(lv->itemRect(lv->currentItem()).isValid());
}

void TestYMRListViewInput::returnAndEscape()
{
    fill(3);
    auto *group = new YMRListViewItem(lv, "group");
    new YMRListViewItem(group, "child");
    group->setSelectable(false);
    QSignalSpy returned(lv, SIGNAL(returnPressed(YMRListViewItem *)));
    lv->setCurrentItem(item(1));

    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(lv, &ret);
    QCOMPARE(returned.count(), 1);
    QCOMPARE(returned.at(0).at(0).value<YMRListViewItem *>(), item(1));
    QVERIFY(!ret.isAccepted()); // goes on to the dialog's default button

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(lv, &esc);
    QVERIFY(!esc.isAccepted());

    // an unselectable item with children opens and closes instead
    lv->setCurrentItem(group);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Enter, Qt::NoModifier, "\r");
    QApplication::sendEvent(lv, &enter);
    QVERIFY(group->isOpen());
    QVERIFY(enter.isAccepted());
    QCOMPARE(returned.count(), 1);

    // with no items every key goes on
    lv->clear();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(lv, &down);
    QVERIFY(!down.isAccepted());
}

void TestYMRListViewInput::typeAhead()
{
    for (const char *t : { "apple", "Banana", "blueberry", "cherry", "cranberry", "ugli" })
        items << new YMRListViewItem(lv, t);
    // sorted by code units: Banana apple blueberry cherry cranberry ugli
    lv->setCurrentItem(lv->firstChild());
    auto current = [this] { return lv->currentItem()->text(0); };

    QTest::keyClick(lv, 'b');
    QCOMPARE(current(), QString("Banana")); // case ignored, from the current item down
    // a capital as a keyboard sends it, Shift around it: "bl"
    QTest::keyPress(lv, Qt::Key_Shift);
    QTest::keyClick(lv, 'L', Qt::ShiftModifier);
    QTest::keyRelease(lv, Qt::Key_Shift);
    QCOMPARE(current(), QString("blueberry"));
    QTest::keyClick(lv, 'x');
    QCOMPARE(current(), QString("blueberry")); // no match: nothing moves
    QTest::keyClick(lv, 'u');
    QCOMPARE(current(), QString("blueberry")); // "blu": the prefix outlived the miss

    // after a pause the whole input is tried first, then the new letter alone
    QTest::qWait(1600);
    QTest::keyClick(lv, 'e');
    QCOMPARE(current(), QString("blueberry")); // "blue"
    QTest::qWait(1600);
    QTest::keyClick(lv, 'c');
    QCOMPARE(current(), QString("cherry"));
    QTest::keyClick(lv, 'r');
    QCOMPARE(current(), QString("cranberry"));

    // a search wraps round to the top once
    QTest::keyClick(lv, Qt::Key_Escape); // clears the prefix
    QTest::keyClick(lv, 'a');
    QCOMPARE(current(), QString("apple"));
    QCOMPARE(lv->selectedItem(), lv->currentItem());
}

void TestYMRListViewInput::controlASelectsAll()
{
    fill(4);
    auto *branch = new YMRListViewItem(lv, "z branch");
    auto *hidden = new YMRListViewItem(branch, "hidden");
    item(2)->setSelectable(false);
    QSignalSpy changed(lv, SIGNAL(selectionChanged()));

    for (auto mode : { YMRListView::Multi, YMRListView::Extended }) {
        lv->setSelectionMode(mode);
        lv->clearSelection();
        lv->setCurrentItem(item(0));
        changed.clear();
        key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(selected(), QList<int>({ 0, 1, 3 }));
        QVERIFY(branch->isSelected());
        QVERIFY(hidden->isSelected());
        QVERIFY(!branch->isOpen());
        // nothing left to change: no signal
        key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(changed.count(), 1);
    }

    // in single mode it selects the current item only
    lv->clearSelection();
    lv->setSelectionMode(YMRListView::Single);
    lv->clearSelection();
    lv->setCurrentItem(item(1));
    lv->clearSelection();
    key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(selected(), QList<int>({ 1 }));
    QVERIFY(!hidden->isSelected());
}

void TestYMRListViewInput::dragSelectsAndAutoScrolls()
{
    fill(40);
    lv->setSelectionMode(YMRListView::Multi);
    QSignalSpy changed(lv, SIGNAL(selectionChanged()));

    // inside the view the drag reaches the item under the pointer
    press(item(0));
    drag(at(item(3)));
    QCOMPARE(lv->currentItem(), item(3));
    QCOMPARE(selected(), QList<int>({ 0, 1, 2, 3 }));

    // below the view the timer keeps scrolling
    const QPoint below(60, lv->visibleHeight() + 20);
    drag(below);
    auto scrollTimer = [this]() -> QTimer * {
        for (QTimer *t : lv->findChildren<QTimer *>())
            if (t->isActive() && !t->isSingleShot() && t->interval() == 100)
                return t;
        return nullptr;
    };
    QVERIFY(scrollTimer());
    QTRY_VERIFY(items.indexOf(lv->currentItem()) > 12);
    QTRY_VERIFY(lv->contentsY() > 0);
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, below);
    QVERIFY(!scrollTimer());
    const int stopped = items.indexOf(lv->currentItem());
    QTest::qWait(300);
    QCOMPARE(items.indexOf(lv->currentItem()), stopped);
    QCOMPARE(selected().size(), stopped + 1);
    QCOMPARE(selected().last(), stopped);

    // a drag that starts on a selected item deselects (multi mode)
    press(item(stopped));
    QVERIFY(!item(stopped)->isSelected());
    drag(QPoint(60, -10));
    QTRY_VERIFY(items.indexOf(lv->currentItem()) < stopped - 3);
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(60, -10));
    QVERIFY(!item(stopped - 3)->isSelected());
    QVERIFY(item(0)->isSelected());

    // extended mode: the range follows; dragging a selected item starts anew
    lv->setSelectionMode(YMRListView::Extended);
    lv->setContentsPos(0, 0);
    ymrtest::flushEvents();
    click(item(1));
    press(item(1));
    drag(at(item(4)));
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(item(4)));
    QCOMPARE(selected(), QList<int>({ 4 }));
    click(item(0));
    press(item(2), Qt::NoModifier);
    drag(at(item(5)));
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, at(item(5)));
    QCOMPARE(selected(), QList<int>({ 2, 3, 4, 5 }));
}

void TestYMRListViewInput::focusInTakesFirstItem()
{
    fill(3);
    QSignalSpy current(lv, SIGNAL(currentChanged(YMRListViewItem *)));
    QFocusEvent mouse(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(lv, &mouse);
    QCOMPARE(lv->currentItem(), nullptr);
    QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(lv, &tab);
    QCOMPARE(lv->currentItem(), item(0));
    QCOMPARE(current.count(), 1);
    // the focus alone selects nothing
    QVERIFY(selected().isEmpty());
    QApplication::sendEvent(lv, &tab);
    QCOMPARE(current.count(), 1);
}

void TestYMRListViewInput::headerPassesRightButton()
{
    fill(3);
    lv->setSelectionMode(YMRListView::Multi);
    click(item(0));
    QSignalSpy rightPressed(lv,
                            SIGNAL(rightButtonPressed(YMRListViewItem *, const QPoint &, int)));
    QSignalSpy pressed(lv, SIGNAL(pressed(YMRListViewItem *)));
    YMRHeader *h = lv->header();
    QVERIFY(h->isVisible());

    QTest::mousePress(h, Qt::RightButton, Qt::NoModifier, QPoint(30, 3));
    QTest::mouseRelease(h, Qt::RightButton, Qt::NoModifier, QPoint(30, 3));
    QCOMPARE(rightPressed.count(), 1);
    QCOMPARE(rightPressed.at(0).at(0).value<YMRListViewItem *>(), nullptr);
    QVERIFY(selected().isEmpty());

    // the left button stays the header's
    QTest::mouseClick(h, Qt::LeftButton, Qt::NoModifier, QPoint(30, 3));
    QCOMPARE(pressed.count(), 1); // the right press's only
}

void TestYMRListViewInput::onItemAndOnViewport()
{
    fill(3);
    QSignalSpy onItem(lv, SIGNAL(onItem(YMRListViewItem *)));
    QSignalSpy onViewport(lv, SIGNAL(onViewport()));
    drag(at(item(1)), Qt::NoButton);
    drag(at(item(1)) + QPoint(5, 0), Qt::NoButton);
    QCOMPARE(onItem.count(), 1);
    QCOMPARE(onItem.at(0).at(0).value<YMRListViewItem *>(), item(1));
    drag(empty(), Qt::NoButton);
    QCOMPARE(onViewport.count(), 1);
    // moving without a pressed button never selects
    QVERIFY(selected().isEmpty());
}

YMR_TEST_MAIN(TestYMRListViewInput)
#include "tst_ymrlistviewinput.moc"
