// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "openbook.h"
#include "optionsdialog.h"
#include "passworddialog2.h"
#include "taskdialog.h"
#include "taskeditor.h"

#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QLineEdit>

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
    void expensePageShowsItsValues();
    void passwordButtonsWhole_data();
    void passwordButtonsWhole();
    void mainMenuInsideTheScreen();
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

void TestScreenFit::expensePageShowsItsValues()
{
    QTemporaryDir dir;
    TaskManager book(dir.path() + QStringLiteral("/fit.exp"));
    auto *task = new Task(&book);
    task->currency = QStringLiteral("EUR");
    TaskDialog dialog;
    ymrtest::whenModalShown([](QDialog *d) {
        TaskEditor *page = static_cast<TaskDialog *>(d)->taskEditor();
        // the currency box shows its entries whole, the date its text
        QVERIFY2(page->cur->width() >= page->cur->sizeHint().width(),
                 qPrintable(QString::number(page->cur->width())));
        QVERIFY(page->date->width() >= page->date->minimumSizeHint().width());
        QVERIFY(page->amount->width() >= page->amount->fontMetrics().horizontalAdvance("99999.99"));
        for (QWidget *w : {static_cast<QWidget *>(page->amount), static_cast<QWidget *>(page->cur),
                           static_cast<QWidget *>(page->scur), static_cast<QWidget *>(page->date)})
            QVERIFY2(w->mapTo(page, QPoint(w->width(), 0)).x() <= page->width(),
                     qPrintable(w->objectName()));
        d->reject();
    });
    dialog.exec(task, 0, true);
}

void TestScreenFit::passwordButtonsWhole_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("prompt") << 0;
    QTest::newRow("new password") << 1;
    QTest::newRow("opening a book") << 2;
}

// No button is squeezed below its icon and text.
void TestScreenFit::passwordButtonsWhole()
{
    QFETCH(int, kind);
    std::unique_ptr<PasswordDialog> dialog(kind == 2 ? new PasswordDialog2(nullptr, nullptr)
                                                     : new PasswordDialog(kind == 1));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QRect screen = QPEApplication::screenRect();
    QVERIFY(dialog->width() <= screen.width() && dialog->height() <= screen.height());
    for (YMRPushButton *b : dialog->findChildren<YMRPushButton *>()) {
        if (b->isVisible())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
    }
}

void TestScreenFit::mainMenuInsideTheScreen()
{
    using namespace fixtures;
    makeBook(QStringLiteral("Fit"), {{"Taxi", "12.50", "Berlin", "", QDate(2026, 3, 1)}});
    ToDoWindow w;
    QVERIFY(openInWindow(w, bookPath(QStringLiteral("Fit"))));
    PopupMenu *m = menu(w, "main");
    m->popup(w.mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(m->isVisible());
    const QSize screen = QPEApplication::screenRect().size();
    QVERIFY2(m->width() <= screen.width() && m->height() <= screen.height(),
             qPrintable(QStringLiteral("%1x%2").arg(m->width()).arg(m->height())));
    // every entry still readable
    QVERIFY(QFontInfo(m->font()).pointSizeF() >= 6);
    m->hide();
}

YMR_TEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
