// Fills a list view with 10,000 and 100,000 items and measures insertion,
// sorting (against std::stable_sort over the same keys) and one paint of
// the visible rows. Run headless: QT_QPA_PLATFORM=offscreen.

#include "qt/ymrapplication.h"
#include "qt/ymrlistview.h"
#include "qt/ymrlistviewitem.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// Median of several synchronous repaints of the viewport.
double paintOnce(YMRListView &lv)
{
    std::vector<qint64> runs;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer t;
        t.start();
        lv.viewport()->repaint();
        runs.push_back(t.nsecsElapsed());
    }
    std::sort(runs.begin(), runs.end());
    return ms(runs[runs.size() / 2]);
}

struct Result {
    double insert, firstPaint, sort, stdSort, paintTop, paintMiddle;
};

Result run(int n)
{
    QRandomGenerator rng(4711);
    QStringList keys;
    keys.reserve(n);
    for (int i = 0; i < n; ++i)
        keys << QString::asprintf("%08u", rng.bounded(50000000u));

    YMRListView lv(nullptr, "bench");
    lv.addColumn("Number", 80);
    lv.addColumn("Key", 100);
    lv.addColumn("Text", 200);
    lv.setSorting(-1);
    lv.resize(480, 640);
    lv.show();
    QCoreApplication::processEvents();

    Result r{};
    QElapsedTimer t;
    t.start();
    YMRListViewItem *last = nullptr;
    for (int i = 0; i < n; ++i)
        last = new YMRListViewItem(&lv, last, QString::number(i), keys[i],
                                   QStringLiteral("Expense description"));
    r.insert = ms(t.nsecsElapsed());

    t.restart();
    QCoreApplication::processEvents();   // relayout: measures every item once
    lv.viewport()->repaint();
    r.firstPaint = ms(t.nsecsElapsed());

    lv.setSorting(1, true);
    t.restart();
    YMRListViewItem *first = lv.firstChild();   // the sort runs at the next walk
    r.sort = ms(t.nsecsElapsed());
    if (!first || first->text(1) != *std::min_element(keys.begin(), keys.end()))
        std::fprintf(stderr, "sort result wrong\n");

    std::vector<std::pair<QString, int>> copy;
    copy.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        copy.emplace_back(keys[i], i);
    t.restart();
    std::stable_sort(copy.begin(), copy.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    r.stdSort = ms(t.nsecsElapsed());

    QCoreApplication::processEvents();
    r.paintTop = paintOnce(lv);
    lv.setContentsPos(0, lv.contentsHeight() / 2);
    QCoreApplication::processEvents();
    r.paintMiddle = paintOnce(lv);
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("QPE_HOME", home.path().toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);

    const Result small = run(10000);
    const Result large = run(100000);
    std::printf("%-28s %12s %12s\n", "", "10,000", "100,000");
    std::printf("%-28s %10.2f ms %10.2f ms\n", "insert", small.insert, large.insert);
    std::printf("%-28s %10.2f ms %10.2f ms\n", "relayout + first paint", small.firstPaint,
                large.firstPaint);
    std::printf("%-28s %10.2f ms %10.2f ms\n", "sort (lazy, first walk)", small.sort, large.sort);
    std::printf("%-28s %10.2f ms %10.2f ms\n", "std::stable_sort same keys", small.stdSort,
                large.stdSort);
    std::printf("%-28s %10.2f ms %10.2f ms\n", "paint visible rows (top)", small.paintTop,
                large.paintTop);
    std::printf("%-28s %10.2f ms %10.2f ms\n", "paint visible rows (middle)", small.paintMiddle,
                large.paintMiddle);
    std::printf("sort / std::stable_sort: %.2fx (10k), %.2fx (100k)\n", small.sort / small.stdSort,
                large.sort / large.stdSort);
    std::printf("paint 100k / 10k: %.2fx (top), %.2fx (middle)\n",
                large.paintTop / small.paintTop, large.paintMiddle / small.paintMiddle);
    return 0;
}
