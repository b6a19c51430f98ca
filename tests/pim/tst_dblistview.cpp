// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "pim/dblistview.h"
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/dbselectlistview.h"
#include "pim/pimlistviewitem.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"

#include <memory>

class TestDBListView : public QObject
{
    Q_OBJECT

private:
    DBRecord *addBook(DBManager &index, const QString &file, const QString &description = QString(),
                      const QString &password = QString())
    {
        {
            TaskManager book(file);
            book.setDescription(description);
            book.setPassword(password);
            book.forceSave();
        }
        auto *r = new DBRecord(&index);
        r->setPath(file);
        r->setTitle(QFileInfo(file).baseName());
        index.refreshRecord(r);
        r->store(nullptr);
        return r;
    }
    template <class List>
    std::unique_ptr<List> bind(DBManager &index, const QList<int> &columns, const char *name)
    {
        std::unique_ptr<List> l(new List(nullptr, name));
        l->setManager(&index, true);
        l->setColumns(columns);
        l->init();
        return l;
    }
    static bool samePixmap(const QPixmap *a, const QPixmap &b)
    {
        return a && !b.isNull() && a->toImage() == b.toImage();
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QDir(m_dir.path()).mkpath(QStringLiteral("card/books")); }
    void cleanupTestCase() { TaskManager::releaseSharedCategoryManager(); }
    void cells();
    void transferMarks();
    void columnsAndWidths();
    void shownAtScreenClass();
};

void TestDBListView::cells()
{
    DBManager index;
    index.load();
    index.refreshAll();
    const QString folder = m_dir.filePath(QStringLiteral("card/books"));
    DBRecord *locked = addBook(index, folder + QStringLiteral("/Trip.exp"),
                               QStringLiteral("Summer"), QStringLiteral("pw"));
    DBRecord *open = addBook(index, m_dir.filePath(QStringLiteral("Home.exp")));
    auto list = bind<DBListView>(index, { 0, 1, 2, 3, 4 }, "db");
    YMRListViewItem *a = list->findItem(locked);
    YMRListViewItem *b = list->findItem(open);
    QVERIFY(a && b);
    QCOMPARE(a->text(1), QStringLiteral("Trip"));
    QCOMPARE(a->text(4), folder);
    QCOMPARE(b->text(4), m_dir.path());
    QVERIFY(samePixmap(a->pixmap(0), locked->icon()));
    QVERIFY(!samePixmap(a->pixmap(0), open->icon())); // the lock overlay
    QVERIFY(samePixmap(a->pixmap(2), list->icon(1)));
    QVERIFY(samePixmap(a->pixmap(3), list->icon(2)));
    QVERIFY(samePixmap(b->pixmap(2), list->icon(0)));
    QVERIFY(samePixmap(b->pixmap(3), list->icon(0)));
    QCOMPARE(list->colorMode(), 1);

    // a relative path shows its relative folder
    DBManager ext(true);
    ext.load();
    auto *r = new DBRecord(&ext);
    r->setPath(QStringLiteral("books/Car.exp"));
    r->setTitle(QStringLiteral("Car"));
    r->store(nullptr);
    auto extList = bind<DBSelectListView>(ext, { 1, 4, 5 }, "transfer");
    QCOMPARE(extList->firstChild()->text(1), QStringLiteral("books"));
}

void TestDBListView::transferMarks()
{
    DBManager index;
    index.load();
    index.refreshAll();
    DBRecord *a = addBook(index, m_dir.filePath(QStringLiteral("A.exp")));
    DBRecord *b = addBook(index, m_dir.filePath(QStringLiteral("B.exp")));
    DBRecord *gone = addBook(index, m_dir.filePath(QStringLiteral("C.exp")));
    gone->setAvailable(false);
    auto list = bind<DBSelectListView>(index, { 5, 1 }, "transfer");
    auto marks = [&]() {
        QString out;
        for (DBRecord *r : { a, b, gone })
            out += r->hasProperty(QStringLiteral("transfer")) ? QLatin1Char('x') : QLatin1Char('-');
        return out;
    };
    // available books are marked, the unavailable one is not
    list->sectionClicked(0);
    QCOMPARE(marks(), QStringLiteral("xx-"));
    QVERIFY(samePixmap(list->findItem(a)->pixmap(0), list->icon(3)));
    QVERIFY(samePixmap(list->findItem(gone)->pixmap(0), list->icon(4)));
    // nothing left to mark: every book loses its mark
    gone->setAvailable(false);
    list->sectionClicked(0);
    QCOMPARE(marks(), QStringLiteral("---"));
    QVERIFY(samePixmap(list->findItem(a)->pixmap(0), list->icon(4)));
    // an unavailable book keeps its mark while the others are marked, and
    // loses it with them
    gone->setProperty(QStringLiteral("transfer"), QStringLiteral("1"));
    gone->setAvailable(false);
    list->sectionClicked(0);
    QCOMPARE(marks(), QStringLiteral("xxx"));
    gone->setAvailable(false);
    list->sectionClicked(0);
    QCOMPARE(marks(), QStringLiteral("---"));
    // another column sorts the index
    list->sectionClicked(1);
    QCOMPARE(index.sortColumn(), 1);
}

void TestDBListView::columnsAndWidths()
{
    DBManager index;
    index.load();
    index.refreshAll();
    addBook(index, m_dir.filePath(QStringLiteral("W.exp")));
    auto list = bind<DBSelectListView>(index, { 0, 1, 2, 3, 4, 5, 9 }, "db");
    QCOMPARE(list->columns(), 6);
    YMRHeader *h = list->header();
    for (int section : { 0, 2, 3, 5 })
        QVERIFY(!h->isResizeEnabled(section));
    QVERIFY(h->isResizeEnabled(1));
    QVERIFY(h->isResizeEnabled(4));
    emit h->sizeChange(1, 113, 80);
    emit h->sizeChange(4, 113, 70);
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("db_columns"));
    QCOMPARE(cfg.readNumEntry(QStringLiteral("title_width")), 80);
    QCOMPARE(cfg.readNumEntry(QStringLiteral("path_width")), 70);
    auto again = bind<DBListView>(index, { 4, 1 }, "db");
    QCOMPARE(again->columnWidth(0), 70);
    QCOMPARE(again->columnWidth(1), 80);
}

void TestDBListView::shownAtScreenClass()
{
    {
        Config cfg(YMRPIM::applicationName());
        cfg.setGroup(QStringLiteral("db"));
        cfg.writeEntry(QStringLiteral("c2"), QStringLiteral("#ff0000"));
        cfg.writeEntry(QStringLiteral("c4"), QStringLiteral("#0000ff"));
    }
    DBManager index;
    index.load();
    index.refreshAll();
    for (const char *name : { "One", "Two", "Three" })
        addBook(index, m_dir.filePath(QLatin1String(name) + QStringLiteral(".exp")));
    // named after construction, as a form does: the colours follow the name
    auto list = bind<DBListView>(index, { 0, 1, 2, 3, 4 }, "list");
    list->setObjectName(QStringLiteral("db"));
    const QRect screen = QPEApplication::screenRect();
    list->resize(screen.width(), screen.height() / 2);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    list->grab().save(ymrtest::grabPath("dblistview_" + QString::number(screen.width())));
    const QImage rows = list->viewport()->grab().toImage();
    YMRListViewItem *second = list->firstChild()->nextSibling();
    YMRListViewItem *third = second->nextSibling();
    const int x = list->header()->sectionPos(1) + list->header()->sectionSize(1) - 3;
    QCOMPARE(QColor(rows.pixel(x, list->itemRect(second).center().y())), QColor(Qt::blue));
    QCOMPARE(QColor(rows.pixel(x, list->itemRect(third).center().y())), QColor(Qt::red));
    QVERIFY(list->header()->isVisible());
    QCOMPARE(list->header()->count(), 5);
}

YMR_TEST_MAIN(TestDBListView)
#include "tst_dblistview.moc"

