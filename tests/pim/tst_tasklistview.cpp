// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/taskselectlistview.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/popupmenu.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"

#include <QLabel>
#include <QScopeGuard>
#include <memory>

class TestTaskListView : public QObject
{
    Q_OBJECT

private:
    static Task *add(TaskManager &book, const QString &type, const QString &amount,
                     const QString &currency = QString())
    {
        auto *t = new Task(&book);
        t->type = type;
        t->amount = amount;
        t->currency = currency;
        t->date = QDate(2024, 3, 9);
        t->store(nullptr);
        return t;
    }
    template <class List = TaskListView>
    std::unique_ptr<List> bind(TaskManager &book, const QList<int> &columns, bool paging = true)
    {
        std::unique_ptr<List> l(new List(nullptr, "main"));
        l->setManager(&book, true);
        l->setColumns(columns);
        l->setPaging(paging);
        l->readDateFormats();
        l->readCurrencyFormats();
        l->init();
        return l;
    }
    static bool samePixmap(const QPixmap *a, const QPixmap &b)
    {
        return a && !b.isNull() && a->toImage() == b.toImage();
    }
    QString file()
    {
        static int n = 0;
        return m_dir.filePath(QStringLiteral("e%1.exp").arg(++n));
    }
    CategoryRecord *category(const QString &title, const QColor &text, const QColor &base)
    {
        CategoryManager *cats = TaskManager::sharedCategoryManager();
        auto *c = new CategoryRecord(cats);
        c->title = title;
        c->textColor = text;
        c->backgroundColor = base;
        cats->addRecord(c);
        return c;
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase();
    void cleanupTestCase() { TaskManager::releaseSharedCategoryManager(); }

    void cells();
    void currencyFormats_data();
    void currencyFormats();
    void totalsPerCurrency();
    void currencyOutOfTheListIsNamed();
    void keysOffered();
    void checkMarks();
    void columnWidths();
    void amountColumnShowsATypicalAmount();
    void shownAtScreenClass();
};

void TestTaskListView::initTestCase()
{
    qRegisterMetaType<PIMRecord *>();
    qputenv("LANG", "zz");
    YMRPIM::saveList(QStringLiteral("currencies_zz"),
                     { QStringLiteral("JPY|@#,#"), QStringLiteral("EUR|#,#.00 @"),
                       QStringLiteral("XXX"), QStringLiteral("USD|#.00") });
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("defcformat"), QStringLiteral("#.0@"));
    cfg.writeEntry(QStringLiteral("defdate"), QStringLiteral("DD.MM.YYYY"));
}

void TestTaskListView::cells()
{
    CategoryRecord *food = category(QStringLiteral("Food"), Qt::white, Qt::darkGreen);
    CategoryRecord *fun = category(QStringLiteral("Fun"), Qt::black, Qt::yellow);
    TaskManager book(file());
    Task *plain = add(book, QStringLiteral("Lunch"), QStringLiteral("12"), QStringLiteral("JPY"));
    Task *rich = add(book, QStringLiteral("Show"), QStringLiteral("x"));
    auto *old = new Task(*rich);
    rich->description = QStringLiteral("seat 12");
    rich->reminder = new PIMReminder;
    rich->reminder->dateTime = QDateTime(QDate(2031, 1, 1), QTime(9, 0));
    rich->setCategories({ fun->uidString(), food->uidString() });
    rich->store(old);
    plain->setCategories({ food->uidString() });
    auto list = bind(book, { 0, 1, 4, 6, 7, 8 });
    YMRListViewItem *first = list->firstChild();
    YMRListViewItem *second = first->nextSibling();
    QCOMPARE(first->text(0), QStringLiteral("Lunch"));
    QCOMPARE(first->text(1), QStringLiteral("JPY12"));
    QCOMPARE(second->text(1), QStringLiteral("0.0")); // not a number: 0, default format
    QCOMPARE(first->text(3), QStringLiteral("09.03.2024"));
    QVERIFY(samePixmap(first->pixmap(2), list->icon(0)));
    QVERIFY(samePixmap(second->pixmap(2), list->icon(2)));
    QVERIFY(samePixmap(first->pixmap(4), list->icon(0)));
    QVERIFY(samePixmap(second->pixmap(4), list->icon(1)));
    QCOMPARE(second->text(5), QStringLiteral("Fun [...]"));
    QColor text, base;
    second->colors(text, base);
    QCOMPARE(base, QColor(Qt::yellow));
    // the category store's changes refill the list
    old = new Task(*plain);
    plain->setCategories({ fun->uidString() });
    plain->store(old);
    auto *oldCat = new CategoryRecord(*fun);
    fun->title = QStringLiteral("Games");
    fun->store(oldCat);
    QCOMPARE(list->firstChild()->text(5), QStringLiteral("Games"));
    QCOMPARE(TaskListView::columnName(3), QStringLiteral("City"));
    QVERIFY(TaskListView::columnName(11).isNull());
    TaskManager::sharedCategoryManager()->removeRecord(food);
    TaskManager::sharedCategoryManager()->removeRecord(fun);
}

void TestTaskListView::currencyFormats_data()
{
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("shown");
    QTest::newRow("own format") << "EUR" << "1234.5" << "1,234.50 EUR";
    QTest::newRow("line without format") << "XXX" << "3.24" << "3.2XXX";
    QTest::newRow("not in the list") << "CHF" << "3" << "3.0CHF";
    QTest::newRow("empty currency") << "" << "-7" << "-7.0";
}

void TestTaskListView::currencyFormats()
{
    QFETCH(QString, currency);
    QFETCH(QString, amount);
    QFETCH(QString, shown);
    TaskManager book(file());
    Task *t = add(book, QStringLiteral("t"), amount, currency);
    auto list = bind(book, { 1 });
    QCOMPARE(list->defaultCurrencyFormat(), QStringLiteral("#.0@"));
    QCOMPARE(list->currencyFormats().value(QStringLiteral("XXX")), QStringLiteral("#.0@"));
    QCOMPARE(list->amountText(t), shown);
    QCOMPARE(list->firstChild()->text(0), shown);
}

void TestTaskListView::totalsPerCurrency()
{
    TaskManager book(file());
    book.setPerPage(2);
    add(book, QStringLiteral("a"), QStringLiteral("1000"), QStringLiteral("JPY"));
    add(book, QStringLiteral("b"), QStringLiteral("2.5"), QStringLiteral("EUR"));
    add(book, QStringLiteral("c"), QStringLiteral("234"), QStringLiteral("JPY"));
    add(book, QStringLiteral("d"), QStringLiteral("zz"), QStringLiteral("EUR"));
    auto list = bind(book, { 0, 1 });
    list->gotoLastPage();
    list->fillTotals();
    PopupMenu *menu = list->totalsMenu();
    QCOMPARE(menu->count(), 2);
    QCOMPARE(menu->text(menu->idAt(0)), QStringLiteral("Total : JPY1,234"));
    QCOMPARE(menu->text(menu->idAt(1)), QStringLiteral("Total : 2.50 EUR"));
    // a release on the corner button pops the totals up afresh
    add(book, QStringLiteral("e"), QStringLiteral("1"), QString());
    list->resize(240, 200);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    QCOMPARE(list->cornerWidget(), list->totalsButton());
    QTest::mouseRelease(list->totalsButton(), Qt::LeftButton);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->count(), 3);
    QCOMPARE(menu->text(menu->idAt(2)), QStringLiteral("Total : 1.0"));
    menu->hide();
    TaskManager empty(file());
    auto none = bind(empty, { 1 });
    none->fillTotals();
    QCOMPARE(none->totalsMenu()->count(), 0);
}

// A currency taken out of the list while expenses use it, and a default
// format without "@": the amounts and every total still tell their currency.
void TestTaskListView::currencyOutOfTheListIsNamed()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("defcformat"), QStringLiteral("#.000"));
    cfg.write();
    const auto restore = qScopeGuard([&cfg] {
        cfg.writeEntry(QStringLiteral("defcformat"), QStringLiteral("#.0@"));
        cfg.write();
    });
    TaskManager book(file());
    Task *zar = add(book, QStringLiteral("a"), QStringLiteral("32.25"), QStringLiteral("ZAR"));
    Task *usd = add(book, QStringLiteral("b"), QStringLiteral("70.5"), QStringLiteral("USD"));
    add(book, QStringLiteral("c"), QStringLiteral("1"), QStringLiteral("EUR"));
    Task *none = add(book, QStringLiteral("d"), QStringLiteral("2"), QString());
    auto list = bind(book, { 1 });
    QCOMPARE(list->amountText(zar), QStringLiteral("32.250 ZAR"));
    // a listed currency shows as its own format says
    QCOMPARE(list->amountText(usd), QStringLiteral("70.50"));
    QCOMPARE(list->amountText(none), QStringLiteral("2.000"));
    list->fillTotals();
    QStringList totals;
    for (int i = 0; i < list->totalsMenu()->count(); ++i)
        totals << list->totalsMenu()->text(list->totalsMenu()->idAt(i));
    QCOMPARE(totals, QStringList({ "Total : 32.250 ZAR", "Total : 70.50 USD",
                                   "Total : 1.00 EUR", "Total : 2.000" }));
}

void TestTaskListView::keysOffered()
{
    TaskManager book(file());
    for (int i = 0; i < 3; ++i)
        add(book, QString::number(i), QStringLiteral("1"));
    auto list = bind(book, { 0 });
    QList<int> codes;
    bool take = false;
    connect(list.get(), &TaskListView::checkKey, this, [&](bool &taken, int code) {
        codes << code;
        taken = take;
    });
    QTest::keyClick(list.get(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(list.get(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(list.get(), Qt::Key_Shift);
    QCOMPARE(codes, (QList<int>{ 0x40004E, 0x4E }));
    QTest::keyClick(list.get(), Qt::Key_Down);
    QCOMPARE(list->currentItem()->text(0), QStringLiteral("1"));
    // a receiver that takes the key stops the list's own navigation
    take = true;
    QTest::keyClick(list.get(), Qt::Key_Down);
    QCOMPARE(list->currentItem()->text(0), QStringLiteral("1"));
    QCOMPARE(codes.last(), 0x1015);
}

void TestTaskListView::checkMarks()
{
    TaskManager book(file());
    for (int i = 0; i < 3; ++i)
        add(book, QString::number(i), QStringLiteral("1"));
    auto list = bind<TaskSelectListView>(book, { 11, 0 });
    auto marked = [&]() {
        QString out;
        for (PIMRecord *r : *book.view())
            out += r->hasProperty(QStringLiteral("select")) ? QLatin1Char('x') : QLatin1Char('-');
        return out;
    };
    const int changes = book.changeCount();
    QTest::keyClick(list.get(), Qt::Key_Return);
    QCOMPARE(marked(), QStringLiteral("x--"));
    QVERIFY(book.changeCount() > changes);
    QVERIFY(samePixmap(list->firstChild()->pixmap(0), list->icon(3)));
    QVERIFY(samePixmap(list->firstChild()->nextSibling()->pixmap(0), list->icon(4)));
    // a tap toggles the tapped row
    list->resize(240, 200);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    const QPoint at = list->itemRect(list->firstChild()->nextSibling()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTRY_COMPARE(marked(), QStringLiteral("xx-"));
    QTest::keyClick(list.get(), Qt::Key_Enter);
    QCOMPARE(marked(), QStringLiteral("x--"));
    // header: any unmarked row marks all, then all unmarked
    QSignalSpy selected(list.get(), &PIMListView::selected);
    list->sectionClicked(0);
    QCOMPARE(marked(), QStringLiteral("xxx"));
    list->sectionClicked(0);
    QCOMPARE(marked(), QStringLiteral("---"));
    QCOMPARE(selected.count(), 0);
    QVERIFY(samePixmap(list->firstChild()->pixmap(0), list->icon(4)));

    // a page of two: its rows alone, in one change the other lists follow;
    // one sorted by the time of the last change shows the view's new order
    for (int i = 3; i < 5; ++i)
        add(book, QString::number(i), QStringLiteral("1"));
    book.setPerPage(2);
    list->init();
    list->setPage(2);
    for (PIMRecord *r : *book.records())
        r->setUpdated(QDateTime(QDate(2020, 1, 1), QTime(12, 0)));
    auto main = bind(book, { 0, 10 });
    book.setSort(10, false);
    QSignalSpy updated(&book, &PIMManager::taskUpdated);
    QSignalSpy changed(&book, &PIMManager::changed);
    list->sectionClicked(0);
    QCOMPARE(marked().count(QLatin1Char('x')), 2);
    QCOMPARE(updated.count(), 0);
    QCOMPARE(changed.count(), 1);
    QStringList rows, view;
    for (YMRListViewItem *i = main->firstChild(); i; i = i->nextSibling())
        rows << i->text(0);
    for (int i = (main->page() - 1) * 2; i < qMin(main->page() * 2, book.view()->count()); ++i)
        view << static_cast<Task *>(book.view()->at(i))->type;
    QCOMPARE(rows, view);
    QVERIFY(book.view()->at(0)->hasProperty(QStringLiteral("select")));
    QVERIFY(book.view()->at(1)->hasProperty(QStringLiteral("select")));
    for (YMRListViewItem *i = list->firstChild(); i; i = i->nextSibling())
        QVERIFY(samePixmap(i->pixmap(0), list->icon(3)));
}

void TestTaskListView::columnWidths()
{
    TaskManager book(file());
    add(book, QStringLiteral("a"), QStringLiteral("1"));
    auto list = bind(book, { 6, 1, 4, 8 });
    YMRHeader *h = list->header();
    QVERIFY(!h->isResizeEnabled(0));
    QVERIFY(h->isResizeEnabled(1));
    QVERIFY(!h->isResizeEnabled(2));
    QCOMPARE(list->columnWidth(0), list->dateColumnWidth());
    emit h->sizeChange(1, 50, 64);
    emit h->sizeChange(0, 50, 99);
    emit h->sizeChange(3, 113, 90);
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("main_columns"));
    QCOMPARE(cfg.readNumEntry(QStringLiteral("amount_width")), 64);
    QCOMPARE(cfg.readNumEntry(QStringLiteral("category_width")), 90);
    QVERIFY(!cfg.hasKey(QStringLiteral("date_width")));
    auto again = bind(book, { 1 });
    QCOMPARE(again->columnWidth(0), 64);
}

// Until the user sizes it, the Amount column shows a typical amount whole,
// in each currency's format.
void TestTaskListView::amountColumnShowsATypicalAmount()
{
    ymrtest::useDesktopFont();
    TaskManager book(file());
    // a list whose column group holds no width yet
    TaskListView list(nullptr, "fresh");
    list.setManager(&book, true);
    list.readCurrencyFormats();
    list.setColumns({ 1 });
    for (const char *currency : { "JPY", "EUR", "XXX", "" }) {
        const QString shown = list.formatAmount(QString::fromLatin1(currency), 1234.56);
        QVERIFY2(list.columnWidth(0)
                     >= list.fontMetrics().horizontalAdvance(shown) + 2 * list.itemMargin(),
                 qPrintable(shown));
    }
}

void TestTaskListView::shownAtScreenClass()
{
    CategoryRecord *cat = category(QStringLiteral("Shown"), Qt::black, QColor(0, 200, 0));
    TaskManager book(file());
    for (int i = 0; i < 20; ++i) {
        Task *t = add(book, QStringLiteral("Row %1").arg(i), QString::number(i * 100),
                      QStringLiteral("JPY"));
        t->setCategories({ cat->uidString() });
    }
    auto list = bind(book, { 0, 1, 6, 8 });
    const QRect screen = QPEApplication::screenRect();
    list->resize(screen.width(), screen.height() / 2);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    list->grab().save(ymrtest::grabPath("tasklistview_" + QString::number(screen.width())));
    // the rows in their category's colour below the header
    const QImage rows = list->viewport()->grab().toImage();
    const QRect second = list->itemRect(list->firstChild()->nextSibling());
    QVERIFY(second.isValid());
    QCOMPARE(QColor(rows.pixel(list->columnWidth(0) - 3, second.center().y())), QColor(0, 200, 0));
    QVERIFY(list->viewport()->mapTo(list.get(), QPoint()).y() >= list->header()->height());
    QVERIFY(list->header()->isVisible());
    QVERIFY(list->header()->height() > 0);
    QVERIFY(list->pagerBar()->isVisible());
    QCOMPARE(list->pageLabel()->text(), QStringLiteral(" Page 1 [2] "));
    TaskManager::sharedCategoryManager()->removeRecord(cat);
}

YMR_TEST_MAIN(TestTaskListView)
#include "tst_tasklistview.moc"
