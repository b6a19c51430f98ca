#include "ymrtest.h"

#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "qt/ymrheader.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"

#include <QDir>
#include <QPainter>

namespace {

const QColor Even("#336699"), EvenBase("#e5e5e5"), Odd("#000000"), OddBase("#ffffcc");

// A shown view with two columns and n items, no frame, header hidden, so
// that viewport row y is contents row y.
struct Shown {
    YMRListView lv;
    QList<YMRListViewItem *> items;

    explicit Shown(int n, const char *name = nullptr) : lv(nullptr, name)
    {
        lv.setFrameStyle(QFrame::NoFrame);
        lv.addColumn("a", 60);
        lv.addColumn("b", 60);
        lv.setSorting(-1);
        lv.header()->hide();
        for (int i = 0; i < n; ++i)
            items.prepend(new YMRListViewItem(&lv, QString::number(i)));
        lv.resize(200, 200);
        lv.show();
        if (!QTest::qWaitForWindowExposed(&lv))
            qWarning("view not exposed");
        ymrtest::flushEvents();
    }
    QImage grab() { return lv.viewport()->grab().toImage(); }
    int rowHeight() const { return items.value(0) ? items[0]->height() : 0; }
};

QColor at(const QImage &img, int x, int y)
{
    return QColor(img.pixel(x, y));
}

class HiddenItem : public YMRListViewItem
{
public:
    using YMRListViewItem::YMRListViewItem;
    void setup() override { setHeight(0); }
};

QString settingsFile(const QString &name)
{
    return Config::configFileName(name);
}

} // namespace

class TestYMRListViewPaint : public QObject
{
    Q_OBJECT
private slots:
    void colourSettingsRoundTrip();
    void rowColoursWithoutHeights();
    void alternatingStripesContinueBelow();
    void paletteAndItemColourModes();
    void emptyViewShowsGridAndBase();
    void cutTextPainting();
    void cutTextFollowsChanges();
};

void TestYMRListViewPaint::colourSettingsRoundTrip()
{
    // a toolkit-named view keeps its colours in the toolkit's file
    {
        YMRListView lv(nullptr, "ymrTestList");
        const QColor t1("#102030"), b1("#405060"), t2("#708090"), b2("#a0b0c0");
        lv.setColors(&t1, &b1, &t2, &b2);
        QCOMPARE(lv.colorMode(), 1);
    }
    {
        Config cfg("ymr");
        cfg.setGroup("ymrTestList");
        QCOMPARE(cfg.readEntry("c1"), QString("#102030"));
        QCOMPARE(cfg.readEntry("c2"), QString("#405060"));
        QCOMPARE(cfg.readEntry("c3"), QString("#708090"));
        QCOMPARE(cfg.readEntry("c4"), QString("#a0b0c0"));
    }
    {
        YMRListView lv(nullptr, "ymrTestList");
        lv.setColorMode(1);
        QColor t, b;
        lv.rowColors(nullptr, t, b, 0, 10);
        QCOMPARE(t, QColor("#102030"));
        QCOMPARE(b, QColor("#405060"));
        lv.rowColors(nullptr, t, b, 15, 10);
        QCOMPARE(t, QColor("#708090"));
        QCOMPARE(b, QColor("#a0b0c0"));
    }

    // other names use the application's file; null colours are the palette's
    {
        YMRListView lv(nullptr, "main");
        lv.setColors(nullptr, nullptr, nullptr, nullptr);
        const QPalette pal = lv.palette();
        Config cfg("ymrOutlays");
        cfg.setGroup("main");
        QCOMPARE(cfg.readEntry("c1"), pal.color(QPalette::Text).name());
        QCOMPARE(cfg.readEntry("c2"), pal.color(QPalette::Base).name());
        QCOMPARE(cfg.readEntry("c3"), pal.color(QPalette::Text).name());
        QCOMPARE(cfg.readEntry("c4"), pal.color(QPalette::Base).name());
        QVERIFY(QFile::exists(settingsFile("ymrOutlays")));
    }

    // nothing stored: the defaults
    {
        YMRListView lv(nullptr, "neverStored");
        lv.setColorMode(1);
        QColor t, b;
        lv.rowColors(nullptr, t, b, 0, 14);
        QCOMPARE(t, Even);
        QCOMPARE(b, EvenBase);
        lv.rowColors(nullptr, t, b, 14, 14);
        QCOMPARE(t, Odd);
        QCOMPARE(b, OddBase);
        lv.setColorMode(0);
        lv.rowColors(nullptr, t, b, 14, 14);
        QCOMPARE(b, lv.palette().color(QPalette::Base));
    }

    // an unnamed view writes nowhere
    const QStringList before = QDir(QFileInfo(settingsFile("x")).path()).entryList(QDir::Files);
    {
        YMRListView lv;
        const QColor red(Qt::red);
        lv.setColors(&red, &red, &red, &red);
        QColor t, b;
        lv.rowColors(nullptr, t, b, 0, 10);
        QCOMPARE(b, red);
    }
    QCOMPARE(QDir(QFileInfo(settingsFile("x")).path()).entryList(QDir::Files), before);
}

void TestYMRListViewPaint::rowColoursWithoutHeights()
{
    YMRListView lv(nullptr, "ymrZeroRows");
    lv.addColumn("a");
    lv.setColorMode(1);
    QColor t, b;
    // no division by a zero height, neither for a row nor for an item
    // a row of height 0 counts as the font's height plus 2
    const int h = lv.fontMetrics().height() + 2;
    lv.rowColors(nullptr, t, b, h - 1, 0);
    QCOMPARE(b, EvenBase);
    lv.rowColors(nullptr, t, b, h, 0);
    QCOMPARE(b, OddBase);
    HiddenItem *hidden = new HiddenItem(&lv, "hidden");
    QCOMPARE(hidden->height(), 0);
    lv.rowColors(hidden, t, b, 0, 0);
    QCOMPARE(b, EvenBase);

    // a hidden first item must not stop the stripes below it
    lv.setFrameStyle(QFrame::NoFrame);
    lv.resize(100, 100);
    lv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lv));
    const QImage img = lv.viewport()->grab().toImage();
    QVERIFY(!img.isNull());
    const int row = lv.fontMetrics().height() + 2;
    QCOMPARE(at(img, 80, 1), EvenBase);
    QCOMPARE(at(img, 80, row + 1), OddBase);
}

void TestYMRListViewPaint::alternatingStripesContinueBelow()
{
    Shown s(3, "ymrStripes");
    s.lv.setColorMode(1);
    ymrtest::flushEvents();
    const int h = s.rowHeight();
    const QImage img = s.grab();
    // column 1 has no text: its cells show the row's base colour
    for (int row = 0; row < 6; ++row) {
        const QColor expected = row % 2 ? OddBase : EvenBase;
        QCOMPARE(at(img, 100, row * h + h / 2), expected);
    }
    // right of the last column too
    QCOMPARE(at(img, 150, h / 2), EvenBase);
    QCOMPARE(at(img, 150, h + h / 2), OddBase);
    // the first column's text is painted in the row's text colour (row 2:
    // row 0 holds the current item, tinted by the focus frame)
    bool evenText = false;
    for (int x = 0; x < 60 && !evenText; ++x)
        for (int y = 2 * h; y < 3 * h && !evenText; ++y)
            evenText = at(img, x, y) == Even;
    QVERIFY(evenText);

    // selected rows highlight column 0 only
    s.lv.setSelected(s.items[1], true);
    ymrtest::flushEvents();
    const QImage sel = s.grab();
    QCOMPARE(at(sel, 100, h + h / 2), OddBase);
    const QColor hl = at(sel, 55, h + h / 2);
    const QColor want = s.lv.palette().color(QPalette::Highlight);
    QVERIFY(qAbs(hl.red() - want.red()) <= 2 && qAbs(hl.green() - want.green()) <= 2
            && qAbs(hl.blue() - want.blue()) <= 2);
}

void TestYMRListViewPaint::paletteAndItemColourModes()
{
    Shown s(3);
    const QColor base = s.lv.palette().color(QPalette::Base);
    const int h = s.rowHeight();
    QImage img = s.grab();
    QCOMPARE(at(img, 100, h / 2), base);
    QCOMPARE(at(img, 100, 5 * h), base);   // empty area: plain base

    // per-item colours; an item without a pair keeps the palette's
    s.items[0]->setColors(Qt::white, QColor("#804020"));
    s.lv.setColorMode(2);
    ymrtest::flushEvents();
    img = s.grab();
    QCOMPARE(at(img, 100, h / 2), QColor("#804020"));
    QCOMPARE(at(img, 100, h + h / 2), base);
    QCOMPARE(at(img, 100, 5 * h), base);
    QColor t, b;
    s.items[2]->colors(t, b);   // no pair: untouched
    QVERIFY(!t.isValid() && !b.isValid());
    s.items[0]->colors(t, b);
    QCOMPARE(b, QColor("#804020"));

    // an unnamed view in mode 1 that never got colours paints the palette's
    s.lv.setColorMode(1);
    ymrtest::flushEvents();
    img = s.grab();
    QCOMPARE(at(img, 100, h + h / 2), base);
}

void TestYMRListViewPaint::emptyViewShowsGridAndBase()
{
    Shown s(0);
    const QImage img = s.grab();
    const QColor base = s.lv.palette().color(QPalette::Base);
    const QColor grid(224, 224, 224);
    QCOMPARE(at(img, 10, 50), base);
    QCOMPARE(at(img, 60, 50), grid);
    QCOMPARE(at(img, 120, 10), grid);
    QCOMPARE(at(img, 61, 50), base);
    QCOMPARE(at(img, 190, 190), base);
}

namespace {

// The rule for a text cut to fit: the longest prefix whose width with "..."
// and the margins stays below the cell, at least one character.
QString expectedCut(const QFontMetrics &fm, const QString &t, int width, int margin)
{
    const int s = 2 * margin;
    if (fm.horizontalAdvance(t) + s <= width)
        return t;
    QString prefix;
    for (const QChar c : t) {
        if (fm.horizontalAdvance("..." + prefix + c) + s < width)
            prefix += c;
        else
            break;
    }
    if (prefix.isEmpty())
        prefix = t.left(1);
    return prefix + "...";
}

// Cells are painted into images here: measure with an image's metrics.
QFontMetrics cellMetrics(YMRListView *lv)
{
    static QImage probe(1, 1, QImage::Format_ARGB32);
    return QFontMetrics(lv->font(), &probe);
}

QImage paintedCell(YMRListViewItem *item, YMRListView *lv, int width)
{
    QImage img(width, item->height(), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setFont(lv->font());
    item->paintCell(&p, lv->palette(), 0, width, Qt::AlignLeft);
    return img;
}

QImage referenceCell(YMRListView *lv, const QString &text, int width, int height)
{
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setFont(lv->font());
    p.fillRect(0, 0, width, height, lv->palette().brush(QPalette::Base));
    p.setPen(lv->palette().color(QPalette::Text));
    const int m = lv->itemMargin();
    if (!text.isEmpty() && width - 2 * m > 0)
        p.drawText(m, 0, width - 2 * m, height, Qt::AlignLeft | Qt::AlignVCenter, text);
    return img;
}

} // namespace

void TestYMRListViewPaint::cutTextPainting()
{
    YMRListView lv;
    lv.addColumn("a", 300);
    const QString text = "Restaurant bill";
    YMRListViewItem *item = new YMRListViewItem(&lv, text);
    const QFontMetrics fm = cellMetrics(&lv);
    const int m = lv.itemMargin();
    const int fits = fm.horizontalAdvance(text) + 2 * m;
    const int h = item->height();

    // exactly wide enough: drawn whole
    QCOMPARE(expectedCut(fm, text, fits, m), text);
    QCOMPARE(paintedCell(item, &lv, fits), referenceCell(&lv, text, fits, h));

    // one pixel narrower: cut, ending in "..."
    const QString cut = expectedCut(fm, text, fits - 1, m);
    QVERIFY(cut.endsWith("...") && cut.length() < text.length() + 3);
    QCOMPARE(paintedCell(item, &lv, fits - 1), referenceCell(&lv, cut, fits - 1, h));
    QVERIFY(paintedCell(item, &lv, fits - 1) != referenceCell(&lv, text, fits - 1, h));

    // too narrow for anything: the first character and the dots
    const int tiny = 2 * m + 2;
    QCOMPARE(expectedCut(fm, text, tiny, m), QString("R..."));
    QCOMPARE(paintedCell(item, &lv, tiny), referenceCell(&lv, "R...", tiny, h));

    // an empty text in a cell narrower than its margins paints only the base
    YMRListViewItem *empty = new YMRListViewItem(&lv, QString(), "x");
    QCOMPARE(paintedCell(empty, &lv, 3), referenceCell(&lv, QString(), 3, h));
}

void TestYMRListViewPaint::cutTextFollowsChanges()
{
    YMRListView lv;
    lv.addColumn("a", 300);
    YMRListViewItem *item = new YMRListViewItem(&lv, "Groceries at the market");
    const QFontMetrics fm = cellMetrics(&lv);
    const int m = lv.itemMargin();
    const int w = fm.horizontalAdvance("Groceries") + 2 * m;
    const int h = item->height();
    QCOMPARE(paintedCell(item, &lv, w),
             referenceCell(&lv, expectedCut(fm, "Groceries at the market", w, m), w, h));
    // same width, new text: the cut is made again
    item->setText(0, "Taxi");
    QCOMPARE(paintedCell(item, &lv, w), referenceCell(&lv, "Taxi", w, h));
    item->setText(0, "Taxi to the airport and back");
    QCOMPARE(paintedCell(item, &lv, w),
             referenceCell(&lv, expectedCut(fm, "Taxi to the airport and back", w, m), w, h));

    // same width and text, a larger font (zoom) and back: cut again each time
    const QString amount = "1,500.00 RUB";
    item->setText(0, amount);
    const int fits = fm.horizontalAdvance(amount) + 2 * m;
    QCOMPARE(paintedCell(item, &lv, fits), referenceCell(&lv, amount, fits, h));
    const QFont normal = lv.font();
    QFont zoomed = normal;
    zoomed.setPointSize(normal.pointSize() * 2);
    lv.setFont(zoomed);
    const QFontMetrics large = cellMetrics(&lv);
    QVERIFY(large.horizontalAdvance(amount) > fm.horizontalAdvance(amount));
    QCOMPARE(paintedCell(item, &lv, fits),
             referenceCell(&lv, expectedCut(large, amount, fits, m), fits, item->height()));
    lv.setFont(normal);
    QCOMPARE(paintedCell(item, &lv, fits), referenceCell(&lv, amount, fits, item->height()));
}

YMR_TEST_MAIN(TestYMRListViewPaint)
#include "tst_ymrlistviewpaint.moc"
