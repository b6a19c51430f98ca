// The expense list over a large book: opening a book of 100,000 expenses
// into the list until its first page is painted, against loading the same
// file alone; and a page flip (refill and paint) in that book against one of
// 1,000 expenses. Usage: bench_pim_listview [records]
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qt/ymrapplication.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

void makeBook(const QString &path, int n)
{
    const QStringList types = { "Food", "Drinks", "Transport", "Lodging", "Shopping", "Gifts" };
    const QStringList cities = { "Tokyo", "Osaka", "Paris", "London", "New York" };
    TaskManager book(path);
    for (int i = 0; i < n; ++i) {
        auto *t = new Task(&book);
        t->type = types.at(i % types.size());
        t->amount = QString::number((i * 7919) % 100000 / 100.0, 'f', 2);
        t->currency = i % 5 ? QStringLiteral("$") : QStringLiteral("EUR");
        t->city = cities.at(i % cities.size());
        t->description = QStringLiteral("Expense number %1\nsecond line").arg(i);
        t->date = QDate(2000, 1, 1).addDays((i * 37) % 3650);
        if (i % 50 == 0) {
            t->reminder = new PIMReminder;
            t->reminder->dateTime = QDateTime(t->date, QTime(9, 0));
        }
        book.appendRecord(t);
    }
    book.setSort(6, true);
    book.forceSave();
}

void bind(TaskListView &list, TaskManager &book)
{
    list.setManager(&book, true);
    list.setColumns({ 6, 0, 1, 2, 4, 7, 8 });
    list.readDateFormats();
    list.readCurrencyFormats();
    list.setPaging(true);
}

// One flip: the next page (or back to the first at the end), painted.
double flipMs(TaskListView &list, int flips)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < flips; ++i) {
        if (list.page() < list.pageCount())
            list.pageUp();
        else
            list.gotoFirstPage();
        list.viewport()->grab();
    }
    return t.nsecsElapsed() / 1e6 / flips;
}

template <typename F>
double bestOf(int runs, F f)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, f());
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("QPE_HOME", home.path().toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    const int n = argc > 1 ? atoi(argv[1]) : 100000;
    const QString big = home.filePath(QStringLiteral("big.exp"));
    const QString small = home.filePath(QStringLiteral("small.exp"));
    makeBook(big, n);
    makeBook(small, 1000);

    // loading the book alone
    const double load = bestOf(3, [&] {
        QElapsedTimer t;
        t.start();
        TaskManager book(big);
        book.load();
        const double ms = t.nsecsElapsed() / 1e6;
        book.setLastCurrent(book.lastCurrent());
        return ms;
    });
    // loading it into the list, first page painted
    const double open = bestOf(3, [&] {
        QElapsedTimer t;
        t.start();
        TaskManager book(big);
        book.load();
        TaskListView list(nullptr, "main");
        list.resize(480, 640);
        bind(list, book);
        list.show();
        list.viewport()->grab();
        return t.nsecsElapsed() / 1e6;
    });

    double flipBig = 0;
    double flipSmall = 0;
    for (const QString &path : { small, big }) {
        TaskManager book(path);
        book.load();
        TaskListView list(nullptr, "main");
        list.resize(480, 640);
        bind(list, book);
        list.show();
        flipMs(list, 50); // warm up
        const double ms = bestOf(5, [&] { return flipMs(list, 200); });
        (path == big ? flipBig : flipSmall) = ms;
    }

    printf("book               %d expenses, %.1f MiB\n", n, QFileInfo(big).size() / 1048576.0);
    printf("load alone         %8.1f ms\n", load);
    printf("open into list     %8.1f ms  (%.2fx the load; first page painted)\n", open,
           open / load);
    printf("page flip, 1,000   %8.3f ms\n", flipSmall);
    printf("page flip, %d %8.3f ms  (%.2fx the small book, limit 1.2x)\n", n, flipBig,
           flipBig / flipSmall);
    return 0;
}
