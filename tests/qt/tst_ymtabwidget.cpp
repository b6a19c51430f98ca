// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "qt/ymrapplication.h"
#include "qt/ymtabbar.h"
#include "qt/ymtabwidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(QMouseEvent *)

class TestYMTabWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<QMouseEvent *>(); }
    void firstPageBecomesCurrent();
    void tabsFollowTheBarInOrder();
    void positionClampsAndPlacesBar_data();
    void positionClampsAndPlacesBar();
    void foreignPagesIgnored();
    void focusGoesToPageOrFirstFocusable();
    void deletingPagesPassesCurrentOn();
    void addPageFollowsCaptionAndIcon();
    void barSignalsBecomePageSignals();
    void frameFollowsFlatOption();
};

namespace {

QWidget *textPage(const QString &text)
{
    auto *page = new QWidget;
    auto *l = new QVBoxLayout(page);
    l->addWidget(new QLabel(text));
    l->addWidget(new QLineEdit(text));
    return page;
}

QPixmap filled(Qt::GlobalColor c)
{
    QPixmap pm(16, 16);
    pm.fill(c);
    return pm;
}

} // namespace

void TestYMTabWidget::firstPageBecomesCurrent()
{
    YMTabWidget tw;
    QSignalSpy changed(&tw, &YMTabWidget::currentChanged);
    QVERIFY(tw.tabBar()->isHidden());
    QWidget *a = textPage(QStringLiteral("a"));
    QWidget *b = textPage(QStringLiteral("b"));
    tw.addTab(a, QStringLiteral("A"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().at(0).value<QWidget *>(), a);
    QVERIFY(!tw.tabBar()->isHidden());
    tw.addTab(b, QStringLiteral("B"), QIcon(filled(Qt::red)));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(tw.currentPage(), a);
    QCOMPARE(tw.count(), 2);
    QCOMPARE(a->parentWidget()->parentWidget(), &tw);   // inside the stack

    tw.resize(300, 200);
    tw.show();
    QVERIFY(a->isVisible());
    QVERIFY(!b->isVisible());
    tw.showPage(b);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(tw.currentPage(), b);
    QVERIFY(b->isVisible());
    QVERIFY(!a->isVisible());
    // a click on a tab raises its page
    YMTabBar *bar = tw.tabBar();
    const QPoint onA = bar->tabRect(bar->tabIds().first()).center();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, onA);
    QCOMPARE(tw.currentPage(), a);
    QVERIFY(a->isVisible());
}

void TestYMTabWidget::tabsFollowTheBarInOrder()
{
    YMTabWidget tw;
    QWidget *a = textPage(QStringLiteral("a"));
    QWidget *b = textPage(QStringLiteral("b"));
    QWidget *c = textPage(QStringLiteral("c"));
    QWidget *d = textPage(QStringLiteral("d"));
    tw.addTab(a, QStringLiteral("A"));
    tw.addTab(b, QStringLiteral("B"));
    tw.insertTab(c, QStringLiteral("C"), a);        // after a
    tw.insertTab(d, QStringLiteral("D"), nullptr);  // no page: first
    QCOMPARE(tw.firstPage(), d);
    QCOMPARE(tw.nextPage(d), a);
    QCOMPARE(tw.nextPage(a), c);
    QCOMPARE(tw.nextPage(c), b);
    QCOMPARE(tw.lastPage(), b);
    QCOMPARE(tw.previousPage(b), c);
    QVERIFY(!tw.previousPage(d));
    QVERIFY(!tw.nextPage(b));

    // a disabled tab is still a neighbour
    tw.setTabEnabled(c, false);
    QCOMPARE(tw.nextPage(a), c);

    // removing the current page passes it on; the last removal hides the bar
    QCOMPARE(tw.currentPage(), a);
    tw.removePage(a);
    QCOMPARE(tw.currentPage(), d);
    QCOMPARE(tw.count(), 3);
    QCOMPARE(a->parentWidget(), tw.findChild<QStackedWidget *>());   // kept, not deleted
    tw.removePage(d);
    tw.removePage(c);
    tw.removePage(b);
    QCOMPARE(tw.count(), 0);
    QVERIFY(tw.tabBar()->isHidden());
    QVERIFY(!tw.currentPage());
    delete a;
    delete b;
    delete c;
    delete d;
}

void TestYMTabWidget::positionClampsAndPlacesBar_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("position");
    QTest::newRow("above") << 0 << 0;
    QTest::newRow("below") << 1 << 1;
    QTest::newRow("left") << 2 << 2;
    QTest::newRow("right") << 3 << 3;
    QTest::newRow("too large") << 7 << 3;
    QTest::newRow("negative") << -2 << 0;
}

void TestYMTabWidget::positionClampsAndPlacesBar()
{
    QFETCH(int, requested);
    QFETCH(int, position);
    YMTabWidget tw;
    tw.addTab(textPage(QStringLiteral("a")), QStringLiteral("A"));
    tw.setTabPosition(requested);
    QCOMPARE(tw.tabPosition(), position);
    QCOMPARE(tw.tabBar()->orientation(), position);
    tw.resize(300, 300);
    tw.show();
    const QRect bar = tw.tabBar()->geometry();
    const QRect stack = tw.findChild<QStackedWidget *>()->geometry();
    switch (position) {
    case 0: QVERIFY(bar.bottom() < stack.top()); break;
    case 1: QVERIFY(bar.top() > stack.bottom()); break;
    case 2: QVERIFY(bar.right() < stack.left()); break;
    default: QVERIFY(bar.left() > stack.right()); break;
    }
    // the strip is thin across and long along the pages
    if (position < 2)
        QCOMPARE(bar.width(), 300);
    else
        QCOMPARE(bar.height(), 300);
}

void TestYMTabWidget::foreignPagesIgnored()
{
    YMTabWidget tw;
    QWidget *a = textPage(QStringLiteral("a"));
    tw.addTab(a, QStringLiteral("A"));
    QWidget stranger;
    QSignalSpy changed(&tw, &YMTabWidget::currentChanged);
    tw.showPage(&stranger);
    tw.removePage(&stranger);
    tw.setTabLabel(&stranger, QStringLiteral("x"));
    tw.setTabIconSet(&stranger, QIcon(filled(Qt::red)));
    tw.setTabEnabled(&stranger, false);
    tw.showPage(nullptr);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(tw.count(), 1);
    QVERIFY(tw.tabLabel(&stranger).isNull());
    QVERIFY(tw.tabIconSet(&stranger).isNull());
    QVERIFY(!tw.isTabEnabled(&stranger));
    QVERIFY(!tw.nextPage(&stranger));
    QVERIFY(!tw.previousPage(&stranger));
    QCOMPARE(tw.tabLabel(a), QStringLiteral("A"));
    // a page added twice keeps its one tab
    tw.addTab(a, QStringLiteral("again"));
    QCOMPARE(tw.count(), 1);
    QCOMPARE(tw.tabBar()->count(), 1);
}

void TestYMTabWidget::focusGoesToPageOrFirstFocusable()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *tw = new YMTabWidget(&window);
    layout->addWidget(tw);
    auto *plain = new QWidget;   // NoFocus, holding focusable widgets deeper down
    auto *inner = new QWidget(plain);
    auto *label = new QLabel(QStringLiteral("label"), inner);
    auto *edit = new QLineEdit(inner);
    auto *later = new QLineEdit(plain);
    Q_UNUSED(label);
    Q_UNUSED(later);
    auto *focusable = new QLineEdit;
    tw->addTab(focusable, QStringLiteral("Edit"));
    tw->addTab(plain, QStringLiteral("Plain"));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    tw->showPage(plain);
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    tw->showPage(focusable);
    QTRY_COMPARE(QApplication::focusWidget(), focusable);
}

void TestYMTabWidget::deletingPagesPassesCurrentOn()
{
    YMTabWidget tw;
    QWidget *a = textPage(QStringLiteral("a"));
    QWidget *b = textPage(QStringLiteral("b"));
    QWidget *c = textPage(QStringLiteral("c"));
    tw.addTab(a, QStringLiteral("A"));
    tw.addTab(b, QStringLiteral("B"));
    tw.addTab(c, QStringLiteral("C"));
    tw.show();
    tw.showPage(b);
    QSignalSpy changed(&tw, &YMTabWidget::currentChanged);

    delete b;   // current: the previous tab takes over
    QCOMPARE(tw.count(), 2);
    QCOMPARE(tw.currentPage(), a);
    QCOMPARE(changed.last().at(0).value<QWidget *>(), a);
    QVERIFY(a->isVisible());

    delete a;   // first and current: the next one
    QCOMPARE(tw.currentPage(), c);
    QCOMPARE(tw.tabBar()->count(), 1);

    // a page taken away is removed too
    QWidget elsewhere;
    c->setParent(&elsewhere);
    QCOMPARE(tw.count(), 0);
    QVERIFY(tw.tabBar()->isHidden());
    QVERIFY(!tw.currentPage());

    // and the widget works on afterwards
    QWidget *d = textPage(QStringLiteral("d"));
    tw.addTab(d, QStringLiteral("D"));
    QCOMPARE(tw.currentPage(), d);
    QVERIFY(!tw.tabBar()->isHidden());
    QVERIFY(tw.tabBar()->tabAt(tw.tabBar()->tabRect(tw.tabBar()->currentTab()).center()) != -1);
}

void TestYMTabWidget::addPageFollowsCaptionAndIcon()
{
    YMTabWidget tw;
    QWidget *followed = textPage(QString());
    followed->setWindowTitle(QStringLiteral("Memo"));
    QWidget *fixed = textPage(QString());
    fixed->setWindowTitle(QStringLiteral("Fixed"));
    tw.addPage(followed);
    tw.addTab(fixed, QStringLiteral("Label"));
    QCOMPARE(tw.tabLabel(followed), QStringLiteral("Memo"));
    QVERIFY(tw.tabIconSet(followed).isNull());   // no icon of its own

    followed->setWindowTitle(QStringLiteral("Notes"));
    followed->setWindowIcon(QIcon(filled(Qt::green)));
    fixed->setWindowTitle(QStringLiteral("Changed"));
    fixed->setWindowIcon(QIcon(filled(Qt::green)));
    QCOMPARE(tw.tabLabel(followed), QStringLiteral("Notes"));
    QVERIFY(!tw.tabIconSet(followed).isNull());
    QCOMPARE(tw.tabLabel(fixed), QStringLiteral("Label"));
    QVERIFY(tw.tabIconSet(fixed).isNull());

    // an icon given before adding is taken at once; insertPage follows too
    QWidget *withIcon = textPage(QString());
    withIcon->setWindowTitle(QStringLiteral("Alarm"));
    withIcon->setWindowIcon(QIcon(filled(Qt::red)));
    tw.insertPage(withIcon, followed);
    QCOMPARE(tw.nextPage(followed), withIcon);
    QVERIFY(!tw.tabIconSet(withIcon).isNull());
    withIcon->setWindowTitle(QStringLiteral("Reminder"));
    QCOMPARE(tw.tabLabel(withIcon), QStringLiteral("Reminder"));
}

void TestYMTabWidget::barSignalsBecomePageSignals()
{
    YMTabWidget tw;
    tw.setTabFlags(YMTabBar::Icons | YMTabBar::CloseButton);
    QCOMPARE(tw.tabFlags(), YMTabBar::Icons | YMTabBar::CloseButton);
    QWidget *a = textPage(QStringLiteral("a"));
    QWidget *b = textPage(QStringLiteral("b"));
    tw.addTab(a, QStringLiteral("A"));
    tw.addTab(b, QStringLiteral("B"));
    tw.resize(400, 200);
    tw.show();
    tw.showPage(b);
    YMTabBar *bar = tw.tabBar();
    QSignalSpy close(&tw, &YMTabWidget::closePage);
    QSignalSpy right(&tw, &YMTabWidget::rightButtonPressed);
    QSignalSpy start(&tw, &YMTabWidget::startPageDrag);
    QSignalSpy finish(&tw, &YMTabWidget::finishPageDrag);

    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->closeButtonRect().center());
    QCOMPARE(close.count(), 1);
    QCOMPARE(close.last().at(0).value<QWidget *>(), b);
    QCOMPARE(tw.count(), 2);   // the owner decides

    const QPoint onA = bar->tabRect(bar->tabIds().first()).center();
    QTest::mouseClick(bar, Qt::RightButton, Qt::NoModifier, onA);
    QCOMPARE(right.count(), 1);
    QCOMPARE(right.last().at(0).value<QWidget *>(), a);
    QCOMPARE(right.last().at(1).toPoint(), bar->mapToGlobal(onA));
    QTest::mouseClick(bar, Qt::RightButton, Qt::NoModifier, QPoint(bar->width() - 2, 2));
    QVERIFY(!right.last().at(0).value<QWidget *>());

    // a page dragged out takes the size of the page area
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, onA);
    const QPoint out(onA.x(), bar->height() + 30);
    QMouseEvent move(QEvent::MouseMove, out, bar->mapToGlobal(out), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QCOMPARE(start.count(), 1);
    QCOMPARE(start.last().at(0).value<QWidget *>(), a);
    QCOMPARE(a->geometry(), tw.findChild<QStackedWidget *>()->contentsRect());
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, out);
    QCOMPARE(finish.count(), 1);
}

void TestYMTabWidget::frameFollowsFlatOption()
{
    YMTabWidget tw;
    tw.addTab(new QWidget, QStringLiteral("A"));
    tw.resize(200, 150);
    tw.show();
    const QPoint corner(tw.width() - 1, tw.height() - 1);
    const QPalette pal = tw.palette();
    QCOMPARE(tw.grab().toImage().pixel(corner), pal.color(QPalette::Dark).rgb());
    tw.setTabFlags(0x2d);
    QCOMPARE(tw.grab().toImage().pixel(corner), pal.color(QPalette::Window).rgb());
}

YMR_TEST_MAIN(TestYMTabWidget)
#include "tst_ymtabwidget.moc"
