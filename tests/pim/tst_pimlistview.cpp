#include "ymrtest.h"

#include "pim/pimlistviewitem.h"
#include "pim/task.h"
#include "pim/taskfilter.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/popupmenu.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrspinbox.h"

#include <QLabel>
#include <QScrollBar>
#include <QToolButton>
#include <memory>

// The paging, binding and gesture behaviour shared by every record list,
// driven through the expense list over a real book.
class TestPIMListView : public QObject
{
    Q_OBJECT

private:
    struct Fixture {
        std::unique_ptr<TaskManager> book;
        std::unique_ptr<TaskListView> list;
        std::unique_ptr<QSignalSpy> selected;
        std::unique_ptr<QSignalSpy> cleared;
    };

    Fixture make(int records, bool paging = true, bool follow = true)
    {
        static int n = 0;
        Fixture f;
        f.book.reset(new TaskManager(m_dir.filePath(QStringLiteral("b%1.exp").arg(++n))));
        for (int i = 0; i < records; ++i) {
            // appended without the add hooks (settings writes per record)
            auto *t = new Task(f.book.get());
            t->type = QStringLiteral("t%1").arg(i, 2, 10, QLatin1Char('0'));
            t->amount = QString::number(i * 10);
            f.book->appendRecord(t);
        }
        f.book->rebuildView(true);
        f.list.reset(new TaskListView(nullptr, "main"));
        f.list->setManager(f.book.get(), follow);
        f.list->setColumns({ 0, 1 });
        f.list->setPaging(paging);
        f.list->init();
        f.selected.reset(new QSignalSpy(f.list.get(), &PIMListView::selected));
        f.cleared.reset(new QSignalSpy(f.list.get(), &PIMListView::selectionCleared));
        return f;
    }
    static Task *add(TaskManager &book, const QString &type, int amount)
    {
        auto *t = new Task(&book);
        t->type = type;
        t->amount = QString::number(amount);
        t->store(nullptr);
        return t;
    }
    static QStringList rows(PIMListView *list)
    {
        QStringList out;
        for (YMRListViewItem *i = list->firstChild(); i; i = i->nextSibling())
            out << i->text(0);
        return out;
    }
    static QString current(PIMListView *list)
    {
        PIMRecord *r = list->currentRecord();
        return r ? static_cast<Task *>(r)->type : QString();
    }
    static Task *task(TaskManager &book, int viewPos)
    {
        return static_cast<Task *>(book.view()->at(viewPos));
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { qRegisterMetaType<PIMRecord *>(); }
    void cleanupTestCase() { TaskManager::releaseSharedCategoryManager(); }

    void emptyViewPager();
    void pagesAndArrows();
    void removalSteppingBack_data();
    void removalSteppingBack();
    void removalOffPage();
    void addOntoPages();
    void updateFailingFilter();
    void perPageChanges();
    void currentKeptByUid();
    void handPickedOrder();
    void pagingOff();
    void headerClickSorts();
    void columnsFromSettings();
    void gestures();
    void unbindOnStoreDeletion();
};

void TestPIMListView::emptyViewPager()
{
    Fixture f = make(0);
    PIMListView *l = f.list.get();
    QCOMPARE(l->pageLabel()->text(), QStringLiteral(" Page 1 [0] "));
    QVERIFY(!l->nextButton()->isEnabled());
    QVERIFY(!l->previousButton()->isEnabled());
    QCOMPARE(l->totalLabel()->text(), QStringLiteral("Total records count: 0"));
    QCOMPARE(l->pageSpin()->minValue(), 0);
    l->gotoLastPage();
    QCOMPARE(l->pageLabel()->text(), QStringLiteral(" Page 0 [0] "));
    QCOMPARE(l->childCount(), 0);
    QCOMPARE(f.cleared->count(), 1);
}

void TestPIMListView::pagesAndArrows()
{
    Fixture f = make(31);
    PIMListView *l = f.list.get();
    QCOMPARE(l->perPage(), 15);
    QCOMPARE(rows(l).count(), 15);
    QCOMPARE(rows(l).first(), QStringLiteral("t00"));
    QCOMPARE(current(l), QStringLiteral("t00"));
    QCOMPARE(l->pageLabel()->text(), QStringLiteral(" Page 1 [3] "));
    QVERIFY(l->nextButton()->isEnabled());
    QVERIFY(!l->previousButton()->isEnabled());
    QVERIFY(!l->pagerBar()->isHidden());
    QCOMPARE(l->hScrollBarMode(), ScrollView::AlwaysOn);
    l->nextButton()->click();
    QCOMPARE(rows(l).first(), QStringLiteral("t15"));
    QCOMPARE(rows(l).last(), QStringLiteral("t29"));
    QCOMPARE(f.selected->count(), 1);
    QCOMPARE(f.book->lastCurrent(), task(*f.book, 15)->uidString());
    l->pageSpin()->setValue(3);
    QCOMPARE(rows(l), QStringList{ QStringLiteral("t30") });
    QVERIFY(!l->nextButton()->isEnabled());
    l->previousButton()->click();
    QCOMPARE(l->page(), 2);
    QCOMPARE(l->totalLabel()->text(), QStringLiteral("Total records count: 31"));
    // the page text opens the pager panel just above the bar
    l->resize(240, 200);
    l->show();
    QVERIFY(QTest::qWaitForWindowExposed(l));
    QTest::mouseRelease(l->pageLabel(), Qt::LeftButton);
    QTRY_VERIFY(l->pagerMenu()->isVisible());
    QVERIFY(l->pagerMenu()->geometry().bottom() < l->pagerBar()->mapToGlobal(QPoint()).y());
    l->gotoFirstPage();
    QVERIFY(!l->pagerMenu()->isVisible());
    QCOMPARE(rows(l).first(), QStringLiteral("t00"));
    QTest::mouseRelease(l->pageLabel(), Qt::LeftButton);
    QTRY_VERIFY(l->pagerMenu()->isVisible());
    l->gotoLastPage();
    QVERIFY(!l->pagerMenu()->isVisible());
    QCOMPARE(l->page(), 3);
}

void TestPIMListView::removalSteppingBack_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("currentAfter");
    QTest::addColumn<QStringList>("rowsAfter");
    QTest::addColumn<QList<int>>("withIt"); // removed in the same stroke
    // the last page's only row: back to page 2, its last record current
    QTest::newRow("emptied last page") << 31 << 30 << 2 << "t29" << QStringList() << QList<int>();
    // the page keeps a row: it stays, the row below the removed one current
    QTest::newRow("partly filled page") << 32 << 30 << 3 << "t31" << QStringList{ "t31" } << QList<int>();
    // a full page pulls the next record in as its last row
    QTest::newRow("full page") << 31 << 3 << 1 << "t04" << QStringList() << QList<int>();
    // many at once: the first that stays after the current row is current,
    // on its page
    QTest::newRow("stroke from the front")
        << 31 << 0 << 1 << "t05" << QStringList() << QList<int>{ 1, 2, 3, 4 };
    QTest::newRow("stroke around the current row")
        << 31 << 20 << 2 << "t21"
        << QStringList{ "t15", "t18", "t19", "t21", "t22", "t23", "t24", "t26", "t27", "t28", "t29", "t30" }
        << QList<int>{ 16, 17, 25 };
    QTest::newRow("stroke emptying the last page")
        << 31 << 30 << 2 << "t27" << QStringList{ "t15", "t16", "t17", "t18", "t19", "t20", "t21",
                                                   "t22", "t23", "t24", "t25", "t26", "t27" }
        << QList<int>{ 28, 29 };
    // nothing after the current row stays: the last before it
    QTest::newRow("stroke of the current row and those after it")
        << 31 << 12 << 1 << "t11" << QStringList() << QList<int>{ 13, 14 };
}

void TestPIMListView::removalSteppingBack()
{
    QFETCH(int, records);
    QFETCH(int, removed);
    QFETCH(int, page);
    QFETCH(QString, currentAfter);
    QFETCH(QStringList, rowsAfter);
    QFETCH(QList<int>, withIt);
    Fixture f = make(records);
    PIMListView *l = f.list.get();
    Task *victim = task(*f.book, removed);
    QList<PIMRecord *> stroke{ victim };
    for (int pos : qAsConst(withIt))
        stroke << task(*f.book, pos);
    l->setPage(removed / 15 + 1);
    f.book->select(victim);
    QCOMPARE(current(l), victim->type);
    f.selected->clear();
    if (withIt.isEmpty())
        QVERIFY(f.book->removeRecord(victim));
    else
        QCOMPARE(f.book->removeRecords(stroke), stroke.size());
    QCOMPARE(l->page(), page);
    QCOMPARE(current(l), currentAfter);
    QCOMPARE(f.selected->count(), 1);
    QCOMPARE(f.cleared->count(), 0);
    if (!rowsAfter.isEmpty())
        QCOMPARE(rows(l), rowsAfter);
    if (page < l->pageCount()) {
        QCOMPARE(rows(l).count(), 15);
        QCOMPARE(rows(l).last(), task(*f.book, page * 15 - 1)->type);
    }
}

void TestPIMListView::removalOffPage()
{
    Fixture f = make(31);
    PIMListView *l = f.list.get();
    const QStringList before = rows(l);
    QVERIFY(f.book->removeRecord(task(*f.book, 20)));
    QCOMPARE(rows(l), before);
    QCOMPARE(l->pageLabel()->text(), QStringLiteral(" Page 1 [2] "));
    QCOMPARE(l->totalLabel()->text(), QStringLiteral("Total records count: 30"));
    // on page 2 the rows now start one place late; an add just after the
    // last row refills the page rather than drop the row it follows
    f.book->setSort(1, true);
    l->setPage(2);
    QVERIFY(f.book->removeRecord(task(*f.book, 3)));
    QCOMPARE(rows(l).last(), QStringLiteral("t30"));
    add(*f.book, QStringLiteral("new"), 305);
    QCOMPARE(l->page(), 2);
    QCOMPARE(rows(l).first(), QStringLiteral("t16"));
    QCOMPARE(rows(l).mid(13), (QStringList{ "t30", "new" }));
    QCOMPARE(current(l), QStringLiteral("new"));
}

void TestPIMListView::addOntoPages()
{
    Fixture f = make(31);
    PIMListView *l = f.list.get();
    f.book->setSort(1, true); // by amount: 0, 10, ... 300
    QCOMPARE(rows(l).count(), 15);
    f.selected->clear();
    add(*f.book, QStringLiteral("new5"), 5);
    QCOMPARE(rows(l).count(), 15);
    QCOMPARE(rows(l).mid(0, 3), (QStringList{ "t00", "new5", "t01" }));
    QCOMPARE(rows(l).last(), QStringLiteral("t13"));
    QCOMPARE(current(l), QStringLiteral("new5"));
    QCOMPARE(f.selected->count(), 1);
    // sorts onto the first row of the page
    add(*f.book, QStringLiteral("first"), -1);
    QCOMPARE(rows(l).first(), QStringLiteral("first"));
    QCOMPARE(rows(l).count(), 15);
    // sorts onto page 3: the list goes there
    add(*f.book, QStringLiteral("big"), 1000);
    QCOMPARE(l->page(), 3);
    QCOMPARE(current(l), QStringLiteral("big"));
    QCOMPARE(l->pageLabel()->text(), QStringLiteral(" Page 3 [3] "));
}

void TestPIMListView::updateFailingFilter()
{
    Fixture f = make(20);
    PIMListView *l = f.list.get();
    TaskFilter keep;
    FilterCondition c;
    c.field = 0;
    c.condition = 5; // starts with
    c.text = QStringLiteral("t");
    keep.conditions << c;
    f.book->setFindFilter(keep);
    f.book->setCurrentFilter(-2);
    QCOMPARE(rows(l).count(), 15);
    Task *t = task(*f.book, 2);
    f.book->select(t);
    auto *old = new Task(*t);
    t->type = QStringLiteral("gone");
    t->store(old);
    QCOMPARE(rows(l).count(), 15);
    QVERIFY(!rows(l).contains(QStringLiteral("gone")));
    QCOMPARE(rows(l).last(), QStringLiteral("t15"));
    QCOMPARE(current(l), QStringLiteral("t03"));
    // a change that keeps its place refreshes the row in place
    Task *u = task(*f.book, 4);
    old = new Task(*u);
    u->type = QStringLiteral("t05x");
    u->store(old);
    QCOMPARE(rows(l).at(4), QStringLiteral("t05x"));
    QCOMPARE(current(l), QStringLiteral("t05x"));
}

void TestPIMListView::perPageChanges()
{
    Fixture f = make(31);
    PIMListView *l = f.list.get();
    l->setPage(1);
    f.book->select(task(*f.book, 12));
    l->perPageSpin()->setValue(5);
    QCOMPARE(l->page(), 3);
    QCOMPARE(current(l), QStringLiteral("t12"));
    QCOMPARE(rows(l).count(), 5);
    QCOMPARE(f.book->perPage(), 5);
    // a stored value below 1 pages by 15 and stays stored as it was
    f.book->setPerPage(0);
    l->init();
    QCOMPARE(l->perPage(), 15);
    QCOMPARE(rows(l).count(), 15);
    QCOMPARE(l->pageLabel()->text(), QStringLiteral(" Page 1 [3] "));
    f.book->setPerPage(-3);
    l->setPaging(true);
    QCOMPARE(l->perPage(), 15);
}

void TestPIMListView::currentKeptByUid()
{
    Fixture f = make(31);
    PIMListView *l = f.list.get();
    f.book->select(task(*f.book, 0));
    l->setPage(2);
    f.book->select(task(*f.book, 17));
    const QString uid = task(*f.book, 17)->uidString();
    QVERIFY(f.book->save());
    // the store reads its file again: new record objects, the same UID
    f.selected->clear();
    QVERIFY(f.book->load());
    QCOMPARE(l->page(), 2);
    QCOMPARE(l->currentRecord()->uidString(), uid);
    QCOMPARE(f.selected->count(), 1);
    // a fresh list over the same book opens on the last current record's page
    TaskListView other(nullptr, "main");
    other.setManager(f.book.get(), true);
    other.setColumns({ 0 });
    other.setPaging(true);
    QCOMPARE(other.page(), 2);
    QCOMPARE(other.currentRecord()->uidString(), uid);
}

void TestPIMListView::handPickedOrder()
{
    Fixture f = make(5, true, false);
    PIMListView *l = f.list.get();
    QCOMPARE(l->childCount(), 0);
    for (int i : { 3, 0, 4 })
        l->newTask(task(*f.book, i));
    QCOMPARE(rows(l), (QStringList{ "t03", "t00", "t04" }));
    QCOMPARE(current(l), QStringLiteral("t04"));
    // nothing else of the store reaches a hand-picked list
    add(*f.book, QStringLiteral("other"), 1);
    QCOMPARE(rows(l).count(), 3);
    f.book->select(task(*f.book, 0));
    QCOMPARE(current(l), QStringLiteral("t04"));
    // a store refresh keeps the order and drops vanished records
    QVERIFY(f.book->removeRecord(task(*f.book, 0)));
    f.book->setSort(0, false);
    QCOMPARE(rows(l), (QStringList{ "t03", "t04" }));
    QCOMPARE(current(l), QStringLiteral("t04"));
    QVERIFY(f.book->save());
    QVERIFY(f.book->load());
    QCOMPARE(rows(l), (QStringList{ "t03", "t04" }));
    // header clicks sort nothing in this mode
    const int sort = f.book->sortColumn();
    const bool order = f.book->sortOrder();
    l->sectionClicked(1);
    QCOMPARE(f.book->sortColumn(), sort);
    QCOMPARE(f.book->sortOrder(), order);
    // many removed at once: their rows go, the current one's passes on
    // to the row after it
    l->newTask(f.book->findRecord(f.book->first()->uidString()));
    QCOMPARE(rows(l).count(), 3);
    l->setCurrentItem(l->firstChild());
    const QString after = rows(l).at(1);
    QList<PIMRecord *> leaving{ static_cast<PIMListViewItem *>(l->firstChild())->record() };
    leaving << static_cast<PIMListViewItem *>(l->firstChild()->nextSibling()->nextSibling())->record();
    QCOMPARE(f.book->removeRecords(leaving), 2);
    QCOMPARE(rows(l), QStringList{ after });
    QCOMPARE(current(l), after);
}

void TestPIMListView::pagingOff()
{
    Fixture f = make(31, false);
    PIMListView *l = f.list.get();
    QCOMPARE(rows(l).count(), 31);
    QVERIFY(l->pagerBar()->isHidden());
    l->setPaging(true);
    QVERIFY(!l->pagerBar()->isHidden());
    l->setPaging(false);
    QCOMPARE(rows(l).count(), 31);
    QVERIFY(l->pagerBar()->isHidden());
    QVERIFY(!l->pagerBar()->isEnabled());
    QCOMPARE(l->hScrollBarMode(), ScrollView::AlwaysOn);
    add(*f.book, QStringLiteral("more"), 1);
    QCOMPARE(rows(l).count(), 32);
    QCOMPARE(current(l), QStringLiteral("more"));
}

void TestPIMListView::headerClickSorts()
{
    Fixture f = make(3);
    PIMListView *l = f.list.get();
    f.book->select(task(*f.book, 1));
    l->sectionClicked(1); // amount ascending
    QCOMPARE(f.book->sortColumn(), 1);
    l->sectionClicked(1); // again: descending
    QCOMPARE(rows(l), (QStringList{ "t02", "t01", "t00" }));
    QCOMPARE(current(l), QStringLiteral("t01"));
}

void TestPIMListView::columnsFromSettings()
{
    {
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("main_columns"));
        cfg.writeEntry(QStringLiteral("column"), QStringLiteral("6;1;;0;4"));
        cfg.writeEntry(QStringLiteral("type_width"), 77);
    }
    Fixture f = make(2);
    TaskListView *l = f.list.get();
    l->restoreColumns();
    QCOMPARE(l->columnIds(), (QList<int>{ 6, 1, 0, 4 }));
    QCOMPARE(l->columns(), 4);
    QCOMPARE(l->columnIndex(0), 2);
    QCOMPARE(l->columnWidth(2), 77);
    QCOMPARE(l->columnId(3), 4);
    QCOMPARE(l->columnId(4), -1);
    QCOMPARE(l->columnText(1), QStringLiteral("Amount"));
    QCOMPARE(l->childCount(), 0); // filled by the next init
    l->init();
    QCOMPARE(l->firstChild()->text(2), QStringLiteral("t00"));
    // ids that make no column do not shift the others
    l->setColumns({ 0, 42, 1 });
    QCOMPARE(l->columnIds(), (QList<int>{ 0, 1 }));
}

void TestPIMListView::gestures()
{
    Fixture f = make(3);
    TaskListView *l = f.list.get();
    l->resize(240, 200);
    l->show();
    QVERIFY(QTest::qWaitForWindowExposed(l));
    QSignalSpy popup3(l, qOverload<const QPoint &, PIMRecord *, int>(&PIMListView::popup));
    QSignalSpy activate3(l, qOverload<const QPoint &, PIMRecord *, int>(&PIMListView::activate));
    QSignalSpy popup2(l, qOverload<const QPoint &, PIMRecord *>(&PIMListView::popup));
    QSignalSpy activate1(l, qOverload<PIMRecord *>(&PIMListView::activate));
    YMRListViewItem *second = l->firstChild()->nextSibling();
    const QPoint at = l->itemRect(second).center();

    // a held press: the popup after the hold time, nothing on release
    QTest::mousePress(l->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QVERIFY(popup3.wait(30000));
    QCOMPARE(popup3.count(), 1);
    QCOMPARE(popup3.at(0).at(1).value<PIMRecord *>(), f.book->view()->at(1));
    QTest::mouseRelease(l->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCoreApplication::processEvents();
    QCOMPARE(activate3.count(), 0);

    // a short tap
    QTest::mousePress(l->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(l->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTRY_COMPARE(activate3.count(), 1);
    QCOMPARE(activate3.at(0).at(1).value<PIMRecord *>(), f.book->view()->at(1));
    QVERIFY(!popup3.wait(PIMListView::HoldTime + 200));

    // keys
    QTest::keyClick(l, Qt::Key_Space);
    QCOMPARE(popup2.count(), 1);
    QTest::keyClick(l, Qt::Key_Return);
    QTest::keyClick(l, Qt::Key_Enter);
    QCOMPARE(activate1.count(), 2);
    QCOMPARE(activate1.at(0).at(0).value<PIMRecord *>(), f.book->view()->at(1));
}

void TestPIMListView::unbindOnStoreDeletion()
{
    Fixture f = make(3);
    TaskListView *l = f.list.get();
    f.book.reset();
    QVERIFY(!l->manager());
    QCOMPARE(l->childCount(), 0);
    QCOMPARE(l->columns(), 0);
    l->init(); // unbound: nothing
    QCOMPARE(l->childCount(), 0);
}

YMR_TEST_MAIN(TestPIMListView)
#include "tst_pimlistview.moc"
