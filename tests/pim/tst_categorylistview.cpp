// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "pim/categorylistview.h"
#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/pimlistviewitem.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"

#include <memory>

class TestCategoryListView : public QObject
{
    Q_OBJECT

private:
    static CategoryRecord *add(CategoryManager &cats, const QString &title, const QColor &text,
                               const QColor &base)
    {
        auto *c = new CategoryRecord(&cats);
        c->title = title;
        c->textColor = text;
        c->backgroundColor = base;
        c->store(nullptr);
        return c;
    }
    struct Fixture {
        CategoryManager cats;
        std::unique_ptr<CategoryListView> list;
    };
    static void fill(Fixture &f, const QList<int> &columns)
    {
        f.cats.load();
        f.cats.removeAll();
        add(f.cats, QStringLiteral("Car"), Qt::white, Qt::darkBlue);
        add(f.cats, QStringLiteral("Food"), Qt::black, QColor(0, 200, 0));
        add(f.cats, QStringLiteral("Home"), Qt::black, Qt::yellow);
        f.list.reset(new CategoryListView);
        f.list->setColumns(columns);
        f.list->setManager(&f.cats, true);
        f.list->init();
    }
    static QString marks(CategoryManager &cats)
    {
        QString out;
        for (PIMRecord *r : *cats.view())
            out += static_cast<CategoryRecord *>(r)->on ? QLatin1Char('x') : QLatin1Char('-');
        return out;
    }

private slots:
    void rows();
    void marks();
    void columns();
};

void TestCategoryListView::rows()
{
    Fixture f;
    fill(f, { 0, 1, 2, 3, 4 });
    CategoryListView *l = f.list.get();
    QCOMPARE(l->objectName(), QStringLiteral("categorylistview"));
    QCOMPARE(l->childCount(), 3);
    QVERIFY(l->pagerBar()->isHidden());
    YMRListViewItem *food = l->firstChild()->nextSibling();
    QCOMPARE(food->text(1), QStringLiteral("Food"));
    const int s = YMRApplication::isQVGAScreen() ? 16 : 32;
    const QImage swatch = food->pixmap(4)->toImage();
    QCOMPARE(swatch.size(), QSize(s, s));
    QCOMPARE(QColor(swatch.pixel(s / 2, s / 2)), QColor(0, 200, 0));
    QCOMPARE(QColor(swatch.pixel(1, 1)), QColor(Qt::white));
    QCOMPARE(QColor(swatch.pixel(0, 0)), QColor(Qt::black));
    QCOMPARE(QColor(swatch.pixel(s - 1, s - 1)), QColor(Qt::black));
    QCOMPARE(QColor(swatch.pixel(s - 2, s - 2)), QColor(Qt::white));
    QCOMPARE(QColor(swatch.pixel(2, 2)), QColor(0, 200, 0));
    QCOMPARE(QColor(food->pixmap(3)->toImage().pixel(s / 2, s / 2)), QColor(Qt::black));
    QVERIFY(food->pixmap(0)->toImage() == l->icon(2).toImage()); // off
    QColor text, base;
    food->colors(text, base);
    QCOMPARE(base, QColor(0, 200, 0));

    const QRect screen = QPEApplication::screenRect();
    l->resize(screen.width(), screen.height() / 2);
    l->show();
    QVERIFY(QTest::qWaitForWindowExposed(l));
    l->grab().save(ymrtest::grabPath("categorylistview_" + QString::number(screen.width())));
    const QImage shown = l->viewport()->grab().toImage();
    const QRect r = l->itemRect(food);
    QCOMPARE(QColor(shown.pixel(l->header()->sectionPos(1) + l->header()->sectionSize(1) - 3,
                                r.center().y())),
             QColor(0, 200, 0));
    QVERIFY(l->header()->isVisible());
}

void TestCategoryListView::marks()
{
    Fixture f;
    fill(f, { 0, 1, 3, 4 });
    CategoryListView *l = f.list.get();
    QTest::keyClick(l, Qt::Key_Return);
    QCOMPARE(TestCategoryListView::marks(f.cats), QStringLiteral("x--"));
    QVERIFY(l->firstChild()->pixmap(0)->toImage() == l->icon(1).toImage());
    l->show();
    QVERIFY(QTest::qWaitForWindowExposed(l));
    // a tap on the mark column flips, a tap on the title does not
    YMRListViewItem *second = l->firstChild()->nextSibling();
    const int y = l->itemRect(second).center().y();
    QCursor::setPos(l->viewport()->mapToGlobal(QPoint(4, y)));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, y));
    QTRY_COMPARE(TestCategoryListView::marks(f.cats), QStringLiteral("xx-"));
    const int titleX = l->header()->sectionPos(1) + 5;
    QCursor::setPos(l->viewport()->mapToGlobal(QPoint(titleX, y)));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(titleX, y));
    QCoreApplication::processEvents();
    QCOMPARE(TestCategoryListView::marks(f.cats), QStringLiteral("xx-"));
    // the header of the mark column: all on while any is off, then all off
    l->sectionClicked(0);
    QCOMPARE(TestCategoryListView::marks(f.cats), QStringLiteral("xxx"));
    l->sectionClicked(0);
    QCOMPARE(TestCategoryListView::marks(f.cats), QStringLiteral("---"));
    // the marks never reach the file
    QVERIFY(f.cats.save());
    l->sectionClicked(0);
    QVERIFY(f.cats.save());
    CategoryManager reread;
    reread.load();
    QCOMPARE(TestCategoryListView::marks(reread), QStringLiteral("---"));
}

void TestCategoryListView::columns()
{
    Fixture f;
    fill(f, { 0, 1, 2, 3, 4 });
    CategoryListView *l = f.list.get();
    YMRHeader *h = l->header();
    QCOMPARE(h->count(), 5);
    for (int section : { 0, 2, 3, 4 })
        QVERIFY(!h->isResizeEnabled(section));
    QVERIFY(h->isResizeEnabled(1));
    emit h->sizeChange(1, 113, 140);
    emit h->sizeChange(3, 20, 40);
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("categorylistview_columns"));
    QCOMPARE(cfg.readNumEntry(QStringLiteral("title_width")), 140);
    QCOMPARE(cfg.readEntry(QStringLiteral("column")), QString());
    // a header click elsewhere sorts (the store keeps its title order)
    l->sectionClicked(1);
    QCOMPARE(l->firstChild()->text(1), QStringLiteral("Car"));
}

YMR_TEST_MAIN(TestCategoryListView)
#include "tst_categorylistview.moc"
