#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrlistbox.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

Q_DECLARE_METATYPE(YMRListBoxItem *)

// Selection modes, mouse, keys, type-ahead and auto-scrolling of the list box.
class TestYMRListBoxInput : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void singleMode();
    void multiModeClicksAndDrags();
    void extendedMode();
    void noSelectionMode();
    void unselectableItems();
    void clicksAndDoubleClicks();
    void navigationKeys_data();
    void navigationKeys();
    void pageDownAndEmptyBox();
    void leftScrollsSingleColumn();
    void typeAhead();
    void dragInColumnsBelowLastRow();
    void autoScrollWhileDragging();
    void focusMakesHeadCurrent();

private:
    QPoint center(int index) const { return lb->itemRect(lb->item(index)).center(); }
    void press(int index, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mousePress(lb->viewport(), Qt::LeftButton, m, center(index));
    }
    void release(int index, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mouseRelease(lb->viewport(), Qt::LeftButton, m, center(index));
    }
    void click(int index, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        press(index, m);
        release(index, m);
    }
    void dragTo(const QPoint &p)
    {
        QMouseEvent e(QEvent::MouseMove, p, lb->viewport()->mapToGlobal(p), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(lb->viewport(), &e);
    }
    QList<int> selectedIndexes() const
    {
        QList<int> r;
        for (int i = 0; i < int(lb->count()); ++i) {
            if (lb->item(i)->selected())
                r << i;
        }
        return r;
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(lb, Qt::Key(k), m);
    }

    QWidget *top = nullptr;
    YMRListBox *lb = nullptr;
};

void TestYMRListBoxInput::init()
{
    qRegisterMetaType<YMRListBoxItem *>();
    top = new QWidget;
    lb = new YMRListBox(top);
    lb->resize(200, 200);
    for (int i = 0; i < 8; ++i)
        lb->insertItem(QString("item %1").arg(i));
    top->resize(220, 220);
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top));
    QApplication::setActiveWindow(top);
    lb->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(lb->hasFocus());
}

void TestYMRListBoxInput::cleanup()
{
    delete top;
    top = nullptr;
    lb = nullptr;
}

void TestYMRListBoxInput::singleMode()
{
    QSignalSpy changed(lb, qOverload<YMRListBoxItem *>(&YMRListBox::selectionChanged));
    click(2);
    QCOMPARE(lb->currentItem(), 2);
    QCOMPARE(selectedIndexes(), QList<int>{ 2 });
    QCOMPARE(changed.count(), 1);
    click(2);
    QCOMPARE(changed.count(), 1);
    click(4);
    QCOMPARE(selectedIndexes(), QList<int>{ 4 });
    QVERIFY(lb->isSelected(4));
    QVERIFY(!lb->isSelected(2));
    // the selection follows the current item
    lb->setCurrentItem(5);
    QCOMPARE(selectedIndexes(), QList<int>{ 5 });
    // a drag only moves the current item
    press(1);
    dragTo(center(3));
    QCOMPARE(lb->currentItem(), 3);
    QCOMPARE(selectedIndexes(), QList<int>{ 3 });
    release(3);
}

void TestYMRListBoxInput::multiModeClicksAndDrags()
{
    lb->setSelectionMode(YMRListBox::Multi);
    QVERIFY(lb->isMultiSelection());
    click(1);
    click(3);
    QCOMPARE(selectedIndexes(), QList<int>({ 1, 3 }));
    click(1);
    QCOMPARE(selectedIndexes(), QList<int>{ 3 });
    // a drag from an unselected item selects what it crosses
    press(4);
    dragTo(center(6));
    release(6);
    QCOMPARE(selectedIndexes(), QList<int>({ 3, 4, 5, 6 }));
    // from a selected item it deselects
    press(5);
    dragTo(center(3));
    release(3);
    QCOMPARE(selectedIndexes(), QList<int>({ 6 }));
    // a rubber band from empty space selects the items it meets
    const QPoint empty(10, lb->visibleHeight() - 4);
    QVERIFY(!lb->itemAt(empty));
    const int current = lb->currentItem();
    QTest::mousePress(lb->viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    QCOMPARE(lb->currentItem(), -1);
    dragTo(center(6) + QPoint(20, 0));
    QCOMPARE(selectedIndexes(), QList<int>({ 6, 7 }));
    dragTo(center(7)); // shrinking deselects again
    QCOMPARE(selectedIndexes(), QList<int>({ 7 }));
    QTest::mouseRelease(lb->viewport(), Qt::LeftButton, Qt::NoModifier, center(7));
    QCOMPARE(lb->currentItem(), current);
    lb->invertSelection();
    QCOMPARE(selectedIndexes().size(), 7);
    lb->clearSelection();
    QVERIFY(selectedIndexes().isEmpty());
    // Space toggles the current item
    lb->setCurrentItem(2);
    key(Qt::Key_Space);
    QCOMPARE(selectedIndexes(), QList<int>{ 2 });
}

void TestYMRListBoxInput::extendedMode()
{
    lb->setSelectionMode(YMRListBox::Extended);
    click(1);
    QCOMPARE(selectedIndexes(), QList<int>{ 1 });
    click(3, Qt::ControlModifier);
    QCOMPARE(selectedIndexes(), QList<int>({ 1, 3 }));
    click(3, Qt::ControlModifier);
    QCOMPARE(selectedIndexes(), QList<int>{ 1 });
    // Shift selects from the current item (3, the last Control-click) on
    click(5, Qt::ShiftModifier);
    QCOMPARE(selectedIndexes(), QList<int>({ 1, 3, 4, 5 }));
    // a press on one item of the selection keeps it until the release
    press(4);
    QCOMPARE(selectedIndexes(), QList<int>({ 1, 3, 4, 5 }));
    release(4);
    QCOMPARE(selectedIndexes(), QList<int>{ 4 });
    click(2);
    // ...or until the first move, which keeps the item under the pointer
    click(5, Qt::ShiftModifier);
    QCOMPARE(selectedIndexes(), QList<int>({ 2, 3, 4, 5 }));
    press(3);
    dragTo(center(4));
    QCOMPARE(selectedIndexes(), QList<int>{ 4 });
    release(4);
    // Shift+Down extends the range from the anchor
    click(1);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(selectedIndexes(), QList<int>({ 1, 2, 3 }));
    key(Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(selectedIndexes(), QList<int>({ 1, 2 }));
    // a plain key selects the current item alone
    key(Qt::Key_Down);
    QCOMPARE(selectedIndexes(), QList<int>{ 3 });
    key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(selectedIndexes().size(), 8);
}

void TestYMRListBoxInput::noSelectionMode()
{
    lb->setSelectionMode(YMRListBox::NoSelection);
    QSignalSpy sel(lb, qOverload<int>(&YMRListBox::selected));
    QSignalSpy ret(lb, &YMRListBox::returnPressed);
    click(2);
    QCOMPARE(lb->currentItem(), 2);
    QVERIFY(selectedIndexes().isEmpty());
    lb->setSelected(3, true);
    lb->selectAll(true);
    QVERIFY(selectedIndexes().isEmpty());
    key(Qt::Key_Return);
    QCOMPARE(sel.count(), 0);
    QCOMPARE(ret.count(), 0);
}

void TestYMRListBoxInput::unselectableItems()
{
    lb->item(2)->setSelectable(false);
    click(2);
    QCOMPARE(lb->currentItem(), 2);
    QVERIFY(selectedIndexes().isEmpty());
    lb->setSelectionMode(YMRListBox::Multi);
    press(0);
    dragTo(center(4));
    release(4);
    QCOMPARE(selectedIndexes(), QList<int>({ 0, 1, 3, 4 }));
    lb->clearSelection();
    lb->setSelectionMode(YMRListBox::Extended);
    click(1);
    click(3, Qt::ShiftModifier);
    QCOMPARE(selectedIndexes(), QList<int>({ 1, 3 }));
    key(Qt::Key_I); // type-ahead onto "item 0" selects, item 2 never
    QVERIFY(!lb->item(2)->selected());
}

void TestYMRListBoxInput::clicksAndDoubleClicks()
{
    QSignalSpy clicked(lb, qOverload<YMRListBoxItem *>(&YMRListBox::clicked));
    QSignalSpy pressed(lb, qOverload<YMRListBoxItem *>(&YMRListBox::pressed));
    QSignalSpy buttons(lb, &YMRListBox::mouseButtonClicked);
    // a press and release on empty space reports a click with no item
    const QPoint empty(10, lb->visibleHeight() - 3);
    QVERIFY(!lb->itemAt(empty));
    QTest::mouseClick(lb->viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<YMRListBoxItem *>(), nullptr);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(buttons.at(0).at(0).toInt(), int(Qt::LeftButton));
    // a drag from one item to another is no click
    press(1);
    dragTo(center(3));
    release(3);
    QCOMPARE(clicked.count(), 1);
    click(5);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(clicked.at(1).at(0).value<YMRListBoxItem *>(), lb->item(5));

    QSignalSpy sel(lb, qOverload<int>(&YMRListBox::selected));
    QSignalSpy selText(lb, qOverload<const QString &>(&YMRListBox::selected));
    QSignalSpy dbl(lb, &YMRListBox::doubleClicked);
    QTest::mouseDClick(lb->viewport(), Qt::LeftButton, Qt::NoModifier, center(5));
    QCOMPARE(sel.count(), 1);
    QCOMPARE(sel.at(0).at(0).toInt(), 5);
    QCOMPARE(selText.at(0).at(0).toString(), QString("item 5"));
    QCOMPARE(dbl.count(), 1);
    // moves after a double click do not drag until the release
    dragTo(center(6));
    QCOMPARE(lb->currentItem(), 5);

    QSignalSpy ret(lb, &YMRListBox::returnPressed);
    key(Qt::Key_Enter);
    QCOMPARE(ret.count(), 1);
    QCOMPARE(sel.count(), 2);
}

void TestYMRListBoxInput::navigationKeys_data()
{
    // eight items; in three columns they stand 0 1 2 | 3 4 5 | 6 7
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("current");
    QTest::newRow("one column")
        << 1 << 0
        << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Down, Qt::Key_Home, Qt::Key_Up}
        << QList<int>{1, 2, 1, 7, 7, 0, 0};
    // Right moves a column on, from the last column to the next row of the
    // first; Left back, from the first column to the row above's end
    QTest::newRow("three columns")
        << 3 << 1 << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Left}
        << QList<int>{4, 7, 2, 7, 4};
    QTest::newRow("three columns, ends") << 3 << 5 << QList<int>{Qt::Key_Right, Qt::Key_Home, Qt::Key_Left}
                                         << QList<int>{5, 0, 0};
}

void TestYMRListBoxInput::navigationKeys()
{
    QFETCH(int, columns);
    QFETCH(int, start);
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, current);
    lb->setColumnMode(columns);
    lb->setCurrentItem(start);
    QCOMPARE(lb->numRows(), columns == 1 ? 8 : 3);
    QList<int> seen;
    for (int k : keys) {
        key(k);
        seen << lb->currentItem();
    }
    QCOMPARE(seen, current);
}

void TestYMRListBoxInput::pageDownAndEmptyBox()
{
    QSignalSpy hl(lb, qOverload<int>(&YMRListBox::highlighted));
    lb->setCurrentItem(0);
    key(Qt::Key_PageDown);
    QCOMPARE(lb->currentItem(), qMin(7, lb->numItemsVisible()));
    QCOMPARE(hl.last().at(0).toInt(), lb->currentItem());

    // keys on an empty box are passed on
    YMRListBox empty;
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&empty, &e);
    QVERIFY(!e.isAccepted());
}

void TestYMRListBoxInput::leftScrollsSingleColumn()
{
    lb->changeItem(QString(80, QChar('w')), 0);
    lb->setCurrentItem(3);
    QTRY_VERIFY(lb->contentsWidth() > lb->visibleWidth());
    lb->setContentsPos(40, 0);
    const int x = lb->contentsX();
    QVERIFY(x > 0);
    key(Qt::Key_Left);
    QCOMPARE(lb->currentItem(), 3);
    QVERIFY2(lb->contentsX() < x, qPrintable(QString("%1 %2 %3").arg(x).arg(lb->contentsX()).arg(lb->horizontalScrollBar()->value())));
}

void TestYMRListBoxInput::typeAhead()
{
    lb->clear();
    lb->insertStringList({ "Apple", "banana", "Blueberry" });
    lb->setCurrentItem(1);
    key(Qt::Key_B);
    QCOMPARE(lb->currentItem(), 1); // the search starts at the current item
    // a capital as a keyboard sends it, Shift around it: "bl"
    QTest::keyPress(lb, Qt::Key_Shift);
    QTest::keyClick(lb, 'L', Qt::ShiftModifier);
    QTest::keyRelease(lb, Qt::Key_Shift);
    QCOMPARE(lb->currentItem(), 2);
    // the input is forgotten when its 500 ms timer runs out
    auto *timer = lb->findChild<QTimer *>(QStringLiteral("listbox input timer"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 500);
    QSignalSpy forgotten(timer, &QTimer::timeout);
    QVERIFY(forgotten.wait(30000));
    key(Qt::Key_A);
    QCOMPARE(lb->currentItem(), 0);
    QVERIFY(forgotten.wait(30000));
    // a then b within the time looks for "ab": nothing moves
    key(Qt::Key_B);
    QCOMPARE(lb->currentItem(), 1);
    key(Qt::Key_X);
    QCOMPARE(lb->currentItem(), 1);
    // any other key clears the input at once
    key(Qt::Key_Down);
    key(Qt::Key_A);
    QCOMPARE(lb->currentItem(), 0);
    // ... also one the list box passes on: "b" is looked for afresh
    key(Qt::Key_F5);
    key(Qt::Key_B);
    QCOMPARE(lb->currentItem(), 1);
}

void TestYMRListBoxInput::dragInColumnsBelowLastRow()
{
    lb->clear();
    lb->setSelectionMode(YMRListBox::Multi);
    lb->setColumnMode(3);
    for (int i = 0; i < 7; ++i)
        lb->insertItem(QString("i%1").arg(i));
    ymrtest::flushEvents();
    QCOMPARE(lb->numRows(), 3);
    const QRect c0 = lb->itemRect(lb->item(0));
    const QRect c4 = lb->itemRect(lb->item(4));
    press(0);
    // into column 1 below its last row (but inside the viewport)
    const QPoint below(c4.x() + 2, 3 * c0.height() + 10);
    QVERIFY(below.y() < lb->visibleHeight());
    dragTo(below);
    QTest::mouseRelease(lb->viewport(), Qt::LeftButton, Qt::NoModifier, below);
    QCOMPARE(selectedIndexes(), QList<int>({ 0, 1, 2, 3, 4, 5 }));
}

void TestYMRListBoxInput::autoScrollWhileDragging()
{
    for (int i = 8; i < 40; ++i)
        lb->insertItem(QString("item %1").arg(i));
    lb->setSelectionMode(YMRListBox::Multi);
    ymrtest::flushEvents();
    press(0);
    dragTo(QPoint(10, lb->visibleHeight() + 20));
    const int first = lb->currentItem();
    QTRY_VERIFY(lb->currentItem() > first + 1);
    QTRY_VERIFY(lb->contentsY() > 0);
    QTest::mouseRelease(lb->viewport(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(10, lb->visibleHeight() + 20));
    const int stopped = lb->currentItem();
    QTest::qWait(300);
    QCOMPARE(lb->currentItem(), stopped);
    // everything dragged over is selected
    QCOMPARE(selectedIndexes().first(), 0);
    QCOMPARE(selectedIndexes().size(), stopped + 1);
}

void TestYMRListBoxInput::focusMakesHeadCurrent()
{
    QWidget w;
    auto *other = new QWidget(&w);
    other->setFocusPolicy(Qt::StrongFocus);
    auto *box = new YMRListBox(&w);
    box->insertStringList({ "x", "y" });
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    QCOMPARE(box->currentItem(), -1);
    QSignalSpy cur(box, &YMRListBox::currentChanged);
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    QCOMPARE(box->currentItem(), 0);
    QCOMPARE(cur.count(), 1);
}

YMR_TEST_MAIN(TestYMRListBoxInput)
#include "tst_ymrlistbox_input.moc"
