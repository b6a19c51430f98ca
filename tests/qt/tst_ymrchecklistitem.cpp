#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymrchecklistitem.h"
#include "qt/ymrlistview.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleFactory>

namespace {

// Records every state change.
class Recorder : public YMRCheckListItem
{
public:
    using YMRCheckListItem::YMRCheckListItem;
    using YMRCheckListItem::activate;
    QList<bool> changes;

protected:
    void stateChange(bool on) override { changes << on; }
};

} // namespace

class TestYMRCheckListItem : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void checkBoxByKeyAndMouse();
    void radioButtonsAreExclusive();
    void deletingRadiosAndControllers();
    void disabledItemsIgnoreActivation();
    void misplacedRadioButtonsWarn();
    void controllerPictureAndGeometry();
    void painting();

private:
    QPoint boxAt(const YMRListViewItem *i, int dx) const
    {
        // column 0's content starts one item margin in (top level, root not decorated)
        return QPoint(lv->itemMargin() + dx, lv->itemRect(i).center().y());
    }
    void clickAt(const QPoint &p)
    {
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    }

    QWidget *top = nullptr;
    YMRListView *lv = nullptr;
};

void TestYMRCheckListItem::init()
{
    top = new QWidget;
    auto *edit = new QLineEdit(top);
    edit->setGeometry(0, 260, 100, 20);
    lv = new YMRListView(top);
    lv->addColumn("Name", 150);
    lv->setSorting(-1);
    lv->resize(200, 250);
    top->resize(220, 300);
    top->show();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowExposed(top));
}

void TestYMRCheckListItem::cleanup()
{
    delete top;
    top = nullptr;
    lv = nullptr;
}

void TestYMRCheckListItem::checkBoxByKeyAndMouse()
{
    auto *box = new Recorder(lv, "box", YMRCheckListItem::CheckBox);
    QCOMPARE(box->type(), YMRCheckListItem::CheckBox);
    QVERIFY(!box->isOn());
    ymrtest::flushEvents();
    lv->setCurrentItem(box);

    // Space activates the current item in single mode: on, then off
    QTest::keyClick(lv, Qt::Key_Space);
    QVERIFY(box->isOn());
    QTest::keyClick(lv, Qt::Key_Space);
    QVERIFY(!box->isOn());
    QCOMPARE(box->changes, QList<bool>({ true, false }));

    // a tap counts only inside the box
    clickAt(boxAt(box, 5));
    QVERIFY(box->isOn());
    clickAt(boxAt(box, 15));
    QVERIFY(!box->isOn());
    clickAt(boxAt(box, 16));
    clickAt(boxAt(box, 40));
    QVERIFY(!box->isOn());
    QCOMPARE(box->changes.size(), 4);

    // with the root decorated the box moves one tree step right
    lv->setRootIsDecorated(true);
    ymrtest::flushEvents();
    clickAt(boxAt(box, 5));
    QVERIFY(!box->isOn());
    clickAt(boxAt(box, lv->treeStepSize() + 5));
    QVERIFY(box->isOn());
    box->setOn(true);
    QCOMPARE(box->changes.size(), 5);

    // in the multiple modes Space toggles the selection instead
    lv->setSelectionMode(YMRListView::Multi);
    QVERIFY(box->isSelected());
    QTest::keyClick(lv, Qt::Key_Space);
    QVERIFY(!box->isSelected());
    QTest::keyClick(lv, Qt::Key_Space);
    QVERIFY(box->isSelected());
    QVERIFY(box->isOn());
}

void TestYMRCheckListItem::radioButtonsAreExclusive()
{
    auto *group = new Recorder(lv, "group");
    QCOMPARE(group->type(), YMRCheckListItem::Controller);
    auto *r1 = new Recorder(group, "one", YMRCheckListItem::RadioButton);
    auto *r2 = new Recorder(group, "two", YMRCheckListItem::RadioButton);
    auto *r3 = new Recorder(group, "three", YMRCheckListItem::RadioButton);
    group->setOpen(true);
    ymrtest::flushEvents();

    r1->setOn(true);
    QVERIFY(r1->isOn());
    // switching on another switches the first off; both hear of it
    r2->activate();
    QVERIFY(r2->isOn());
    QVERIFY(!r1->isOn());
    QCOMPARE(r1->changes, QList<bool>({ true, false }));
    QCOMPARE(r2->changes, QList<bool>({ true }));
    // activating the one that is on changes nothing
    r2->activate();
    QCOMPARE(r2->changes, QList<bool>({ true }));

    // switched off, the controller has no current child left
    r2->setOn(false);
    r3->setOn(true);
    QCOMPARE(r2->changes, QList<bool>({ true, false }));
    QCOMPARE(r1->changes.size(), 2);

    // by mouse: only the box of a radio counts
    clickAt(QPoint(lv->treeStepSize() + lv->itemMargin() + 40, lv->itemRect(r1).center().y()));
    QVERIFY(!r1->isOn());
    clickAt(QPoint(lv->treeStepSize() + lv->itemMargin() + 5, lv->itemRect(r1).center().y()));
    QVERIFY(r1->isOn());
    QVERIFY(!r3->isOn());

    // a controller is never on
    group->setOn(true);
    QVERIFY(!group->isOn());
    QVERIFY(group->changes.isEmpty());
}

void TestYMRCheckListItem::deletingRadiosAndControllers()
{
    auto *group = new Recorder(lv, "group");
    auto *r1 = new Recorder(group, "one", YMRCheckListItem::RadioButton);
    auto *r2 = new Recorder(group, "two", YMRCheckListItem::RadioButton);
    r1->setOn(true);
    delete r1;
    r2->setOn(true);
    QVERIFY(r2->isOn());

    // a radio that outlives its controller no longer reaches it
    auto *other = new YMRListViewItem(lv, "other");
    group->takeItem(r2);
    other->insertItem(r2);
    delete group;
    r2->setOn(false);
    r2->setOn(true);
    QVERIFY(r2->isOn());
    QCOMPARE(r2->changes, QList<bool>({ true, false, true }));
    delete r2;

    // deleting a controller with its children switches nothing
    auto *g2 = new YMRCheckListItem(lv, "g2");
    auto *a = new Recorder(g2, "a", YMRCheckListItem::RadioButton);
    a->setOn(true);
    delete g2;
    QCOMPARE(lv->childCount(), 1);
}

void TestYMRCheckListItem::disabledItemsIgnoreActivation()
{
    auto *box = new Recorder(lv, "box", YMRCheckListItem::CheckBox);
    ymrtest::flushEvents();
    lv->setCurrentItem(box);
    QVERIFY(box->isEnabled());
    box->setEnabled(false);
    QTest::keyClick(lv, Qt::Key_Space);
    clickAt(boxAt(box, 5));
    QVERIFY(!box->isOn());
    // setOn itself still works
    box->setOn(true);
    QVERIFY(box->isOn());

    box->setEnabled(true);
    lv->setEnabled(false);
    box->activate();
    QVERIFY(box->isOn());
    lv->setEnabled(true);
    box->activate();
    QVERIFY(!box->isOn());
}

void TestYMRCheckListItem::misplacedRadioButtonsWarn()
{
    QTest::ignoreMessage(QtWarningMsg, "YMRCheckListItem::YMRCheckListItem(), radio button must "
                                       "be child of a YMRCheckListItem");
    auto *lone = new YMRCheckListItem(lv, "lone", YMRCheckListItem::RadioButton);
    auto *box = new YMRCheckListItem(lv, "box", YMRCheckListItem::CheckBox);
    QTest::ignoreMessage(QtWarningMsg, "YMRCheckListItem::YMRCheckListItem(), radio button must "
                                       "be child of a controller");
    auto *underBox = new YMRCheckListItem(box, "under box", YMRCheckListItem::RadioButton);
    auto *plain = new YMRListViewItem(lv, "plain");
    QTest::ignoreMessage(QtWarningMsg, "YMRCheckListItem::YMRCheckListItem(), radio button must "
                                       "be child of a YMRCheckListItem");
    new YMRCheckListItem(plain, "under plain", YMRCheckListItem::RadioButton);

    // built all the same, without a controller
    QCOMPARE(underBox->parent(), box);
    QCOMPARE(underBox->text(), QString("under box"));
    lone->setOn(true);
    underBox->setOn(true);
    QVERIFY(lone->isOn() && underBox->isOn());
}

void TestYMRCheckListItem::controllerPictureAndGeometry()
{
    auto *group = new YMRCheckListItem(lv, "group");
    const QPixmap *pm = group->pixmap(0);
    QVERIFY(pm);
    QCOMPARE(pm->size(), QSize(16, 16));
    const QImage img = pm->toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
    QCOMPARE(QColor(img.pixel(1, 2)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(10, 11)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(5, 5)), QColor(255, 255, 0));
    const QColor grey(QColor("#C71BC30BC71B").rgb());
    QCOMPARE(QColor(img.pixel(12, 4)), grey);
    QCOMPARE(QColor(img.pixel(3, 13)), grey);
    QCOMPARE(qAlpha(img.pixel(13, 13)), 0);
    QCOMPARE(qAlpha(img.pixel(2, 12)), 0);

    QPixmap own(8, 8);
    own.fill(Qt::red);
    auto *withOwn = new YMRCheckListItem(lv, "own", own);
    QCOMPARE(withOwn->type(), YMRCheckListItem::Controller);
    QCOMPARE(withOwn->pixmap(0)->size(), QSize(8, 8));

    // widths: room for the box, except beside a controller's picture
    auto *box = new YMRCheckListItem(lv, "box", YMRCheckListItem::CheckBox);
    const QFontMetrics fm = lv->fontMetrics();
    const int m = lv->itemMargin();
    QCOMPARE(box->width(fm, lv, 0), box->YMRListViewItem::width(fm, lv, 0) + m + 20);
    QCOMPARE(box->width(fm, lv, 1), box->YMRListViewItem::width(fm, lv, 1));
    QCOMPARE(group->width(fm, lv, 0), group->YMRListViewItem::width(fm, lv, 0) + m);
    QCOMPARE(box->text(0), QString("box"));

    // at least as high as the box, even with a tiny font
    QFont tiny = lv->font();
    tiny.setPixelSize(5);
    lv->setFont(tiny);
    QCOMPARE(box->height(), 16);
    auto *plain = new YMRListViewItem(lv, "plain");
    QVERIFY(plain->height() < 16);
}

void TestYMRCheckListItem::painting()
{
    QPalette pal = lv->palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Disabled, QPalette::Text, Qt::red);
    lv->setPalette(pal);
    auto *box = new YMRCheckListItem(lv, "", YMRCheckListItem::CheckBox);
    auto *group = new YMRCheckListItem(lv, "group");
    auto *radio = new YMRCheckListItem(group, "", YMRCheckListItem::RadioButton);
    group->setOpen(true);
    lv->setCurrentItem(group);
    ymrtest::flushEvents();

    auto count = [this](const YMRListViewItem *i, int x0, QColor c) {
        const QImage img = lv->viewport()->grab().toImage();
        const QRect r = lv->itemRect(i);
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = x0; x < x0 + 16; ++x)
                n += QColor(img.pixel(x, y)) == c;
        return n;
    };
    const int m = lv->itemMargin();
    const int boxFrame = count(box, m, Qt::black);
    QVERIFY(boxFrame > 20);
    QCOMPARE(count(box, m, Qt::red), 0);
    box->setOn(true);
    ymrtest::flushEvents();
    QVERIFY(count(box, m, Qt::black) > boxFrame + 10);

    // disabled: the box takes the disabled text colour
    box->setEnabled(false);
    ymrtest::flushEvents();
    QVERIFY(count(box, m, Qt::red) > boxFrame);

    // the radio mark is filled when on
    const int step = lv->treeStepSize();
    const int off = count(radio, step, Qt::black);
    QVERIFY(off > 10);
    radio->setOn(true);
    ymrtest::flushEvents();
    QVERIFY(count(radio, step, Qt::black) > off);

    // the round radio of the Windows style
    QStyle *windows = QStyleFactory::create("Windows");
    QVERIFY(windows);
    lv->setStyle(windows);
    lv->setPalette(pal);
    ymrtest::flushEvents();
    const int on = count(radio, step, Qt::black);
    radio->setOn(false);
    ymrtest::flushEvents();
    QVERIFY(count(radio, step, Qt::black) > 10);
    QVERIFY(count(radio, step, Qt::black) < on);
    lv->setStyle(nullptr);
    delete windows;
}

YMR_TEST_MAIN(TestYMRCheckListItem)
#include "tst_ymrchecklistitem.moc"
