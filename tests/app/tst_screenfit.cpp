// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "optionsdialog.h"

#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymtabbar.h"
#include "qt/ymtabwidget.h"

// The program on the emulated screen in the desktop's font: what the user
// needs of each window is shown whole, inside the screen.
class TestScreenFit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void optionsTabsAllShown();
};

void TestScreenFit::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
    ymrtest::useDesktopFont();
}

void TestScreenFit::optionsTabsAllShown()
{
    OptionsDialog dialog;
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    YMTabWidget *tabs = dialog.tabWidget();
    YMTabBar *bar = tabs->tabBar();
    // each page current in turn: its label shows, the others' icons
    for (QWidget *page = tabs->firstPage(); page; page = tabs->nextPage(page)) {
        tabs->showPage(page);
        QVERIFY(!bar->isForwardArrowEnabled() && !bar->isBackArrowEnabled());
        for (int id : bar->tabIds())
            QVERIFY2(bar->tabRect(id).right() < bar->width(), qPrintable(bar->tabLabel(id)));
    }
}

YMR_TEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
