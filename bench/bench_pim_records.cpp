// Opening and saving an Expense Book of 100,000 expenses with the real book
// store, against plain reads and writes of the same file.
// Usage: bench_pim_records [records] [folder] [runs] [open|save|unchanged|resort|clicks|growth]
// With "open", "save" (all changed), "unchanged", "resort" or "clicks" it only repeats that step, for a
// profiler. "growth" opens the book and one ten times as large in turn.
// Every timed read and open starts from a heap handed back to the system,
// as the program's first open of a book does: otherwise a small book reuses
// the pages its former open left, while a large one never can (glibc hands
// large blocks straight back), and the sizes are not measured alike.
#include "benchbook.h"
#include "benchutil.h"
#include "pim/filtercondition.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qt/ymrapplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <utility>
#include <vector>

using bench::bestOf;
using bench::residentKiB;

namespace {

const int DateColumn = 6;

void makeBook(const QString &path, int n)
{
    const QStringList cats = {"11111111-2222-3333-4444-555555555555", "66666666-7777-8888-9999-000000000000"};
    TaskManager book(path);
    for (int i = 0; i < n; ++i) {
        auto *t = bench::sampleExpense(book, i);
        if (i % 10 == 0)
            t->setCategories(QStringList(cats.at(i % 2)));
        if (i % 50 == 0) {
            t->reminder = new PIMReminder;
            t->reminder->dateTime = QDateTime(t->date, QTime(9, 0));
        }
        book.appendRecord(t);
    }
    book.setSort(DateColumn, true);
    book.forceSave();
}

// Writes the bytes to "<path>.new" and renames it over the path; durable:
// the file forced to disk before the rename and the folder after it, as
// every save does.
void replaceFile(const QString &path, const QByteArray &bytes, bool durable)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = target + ".new";
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t w = ::write(fd, p, size_t(left));
        if (w <= 0)
            break;
        p += w;
        left -= w;
    }
    if (durable)
        ::fsync(fd);
    ::close(fd);
    ::rename(temp.constData(), target.constData());
    if (durable) {
        const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
}

struct Clicks {
    double date = 0;          // a click on the date header from another
    double dateReversed = 0;  // the date header again
    double filterOn = 0;      // a filter chosen (city contains "o")
    double filterOff = 0;     // and no filter again
};

// One round of header and filter clicks on the open book, best of runs.
Clicks clickRound(TaskManager &book, int runs)
{
    const auto timed = [](const std::function<void()> &f) {
        QElapsedTimer t;
        t.start();
        f();
        return t.nsecsElapsed() / 1e6;
    };
    Clicks best{1e18, 1e18, 1e18, 1e18};
    for (int i = 0; i < runs; ++i) {
        book.setSort(FilterCondition::Amount, true);
        best.date = std::min(best.date, timed([&] { book.setSort(DateColumn); }));
        best.dateReversed = std::min(best.dateReversed, timed([&] { book.setSort(DateColumn); }));
        best.filterOn = std::min(best.filterOn, timed([&] { book.setCurrentFilter(0); }));
        best.filterOff = std::min(best.filterOff, timed([&] { book.setCurrentFilter(-1); }));
    }
    return best;
}

// The clicks of a session: the round at the start, fifty clicks on the
// headers, the round again.
std::pair<Clicks, Clicks> session(TaskManager &book, int runs)
{
    TaskFilter filter(QStringLiteral("o"));
    FilterCondition c;
    c.field = FilterCondition::City;
    c.condition = FilterCondition::Contains;
    c.text = QStringLiteral("o");
    filter.conditions << c;
    book.setFilters({filter});
    const Clicks first = clickRound(book, runs);
    const int columns[] = {FilterCondition::Type, FilterCondition::Amount, FilterCondition::City,
                           FilterCondition::Account, FilterCondition::Category,
                           FilterCondition::Created, FilterCondition::Updated, FilterCondition::Currency};
    for (int i = 0; i < 50; ++i)
        book.setSort(columns[(i * 5) % 8]);
    return {first, clickRound(book, runs)};
}

// bestOf(), each call from a heap handed back to the system (not timed)
template <typename F>
double freshBestOf(int runs, F f)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        malloc_trim(0);
        best = std::min(best, bestOf(1, f));
    }
    malloc_trim(0);
    return best;
}

// read the file and split its bytes into lines (read + memchr into string
// views), no text conversion: the least any loader must do
qsizetype byteSplit(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray all = f.readAll();
    std::vector<std::pair<const char *, int>> l;
    const char *p = all.constData();
    const char *end = p + all.size();
    while (p < end) {
        const char *nl = static_cast<const char *>(memchr(p, '\n', size_t(end - p)));
        const char *stop = nl ? nl : end;
        l.emplace_back(p, int(stop - p));
        p = stop + 1;
    }
    return qsizetype(l.size());
}

// Opening a book, best of runs; its view's length in count. Closing the book
// is not timed.
double timedOpen(const QString &path, int runs, bool fresh, int *count = nullptr)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        if (fresh)
            malloc_trim(0);
        QElapsedTimer t;
        t.start();
        TaskManager book(path);
        book.load();
        best = std::min(best, t.nsecsElapsed() / 1e6);
        if (count)
            *count = book.view()->count();
    }
    if (fresh)
        malloc_trim(0);
    return best;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("QPE_HOME", home.path().toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    const int n = argc > 1 ? atoi(argv[1]) : 100000;
    // a book's path is whole: a folder given relative is taken from here
    const QString folder = argc > 2 && argv[2][0] ? QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath()
                                                  : home.path();
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 7;
    const QString path = folder + QStringLiteral("/bench.exp");
    const QString rawPath = folder + QStringLiteral("/raw.exp");
    const QString rawFastPath = folder + QStringLiteral("/rawfast.exp");

    // a profiling run reuses the book a former run left in the folder
    const QByteArray only = argc > 4 ? QByteArray(argv[4]) : QByteArray();
    if (only.isEmpty() || !QFile::exists(path))
        makeBook(path, n);
    const QByteArray bytes = readAll(path);
    const qint64 fileSize = bytes.size();

    if (only == "open") {
        for (int i = 0; i < runs; ++i) {
            TaskManager book(path);
            book.load();
        }
        return 0;
    }
    if (only == "resort") {
        TaskManager book(path);
        book.load();
        for (int i = 0; i < runs; ++i)
            book.setSort(DateColumn);
        return 0;
    }
    if (only == "clicks") {
        TaskManager book(path);
        book.load();
        session(book, runs);
        return 0;
    }
    if (only == "growth") {
        const QString largePath = folder + QStringLiteral("/bench-x10.exp");
        if (!QFile::exists(largePath))
            makeBook(largePath, n * 10);
        // the sizes in turn, so that a busy moment of the machine falls on both
        double split[2] = {1e18, 1e18}, opened[2] = {1e18, 1e18}, again[2] = {1e18, 1e18};
        for (int i = 0; i < runs; ++i) {
            for (int k = 0; k < 2; ++k) {
                const QString &p = k ? largePath : path;
                split[k] = std::min(split[k], freshBestOf(1, [&] { ::byteSplit(p); }));
                opened[k] = std::min(opened[k], timedOpen(p, 1, true));
                // again at once: a small book finds the pages its last open left
                timedOpen(p, 1, false);
                again[k] = std::min(again[k], timedOpen(p, 1, false));
            }
        }
        printf("records              %d and %d, best of %d\n", n, n * 10, runs);
        printf("byte read+split      %8.1f ms  %8.1f ms  %6.2fx\n", split[0], split[1], split[1] / split[0]);
        printf("open + date view     %8.1f ms  %8.1f ms  %6.2fx (goal <= 10x)  %.2fx / %.2fx byte split\n",
               opened[0], opened[1], opened[1] / opened[0], opened[0] / split[0], opened[1] / split[1]);
        printf("open again at once   %8.1f ms  %8.1f ms  %6.2fx (the heap the last open left)\n", again[0],
               again[1], again[1] / again[0]);
        return 0;
    }
    if (only == "unchanged") {
        TaskManager book(path);
        book.load();
        for (int i = 0; i < runs; ++i)
            book.forceSave();
        return 0;
    }
    if (only == "save") {
        TaskManager book(path);
        book.load();
        for (int i = 0; i < runs; ++i) {
            for (PIMRecord *r : *book.records())
                r->setCategories(r->categories());
            book.forceSave();
        }
        return 0;
    }

    qsizetype lines = 0;
    const double byteSplit = freshBestOf(runs, [&] { lines = ::byteSplit(path); });
    // the former baseline: the same split after converting the file to text
    const double textSplit = freshBestOf(runs, [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QStringList l = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        lines = qMax(lines, qsizetype(l.size()));
    });

    // open the book: load, header's SORT=6 gives the view sorted by date
    int viewCount = 0;
    const double open = timedOpen(path, runs, true, &viewCount);
    // the same book unsorted (SORT=-1): what the sort adds to the open
    const QString unsortedPath = folder + QStringLiteral("/unsorted.exp");
    {
        QByteArray unsorted = bytes;
        unsorted.replace("\nSORT=6\n", "\nSORT=-1\n");
        replaceFile(unsortedPath, unsorted, false);
    }
    const double openUnsorted = timedOpen(unsortedPath, runs, true);
    QFile::remove(unsortedPath);

    // The saves and the plain writes they are held against take turns, so
    // that a busy moment of the machine falls on both alike.
    const auto timed = [](const std::function<void()> &f) {
        QElapsedTimer t;
        t.start();
        f();
        return t.nsecsElapsed() / 1e6;
    };
    double saveUnchanged = 1e18;
    double saveOneChanged = 1e18;
    double saveChanged = 1e18;
    double rawReplace = 1e18;
    double rawDurable = 1e18;
    double resort = 0;
    long rssBefore = 0;
    long rssLoaded = 0;
    {
        rssBefore = residentKiB();
        TaskManager book(path);
        book.load();
        rssLoaded = residentKiB();
        // a second copy of the book whose every expense is changed before
        // each save (the two write the same bytes to the same file)
        TaskManager changed(path);
        changed.load();
        // and a third, in which one expense is edited before each save
        TaskManager oneEdit(path);
        oneEdit.load();
        // the durable write replaces a file as large, as every save does
        replaceFile(rawPath, bytes, true);
        for (int i = 0; i < runs; ++i) {
            rawDurable = std::min(rawDurable, timed([&] { replaceFile(rawPath, bytes, true); }));
            saveUnchanged = std::min(saveUnchanged, timed([&] { book.forceSave(); }));
            // the program's save after a few idle seconds: one expense edited
            // (an amount of the same length, so the bytes stay the same size)
            auto *edited = static_cast<Task *>(oneEdit.records()->at(i % n));
            auto *old = new Task(*edited);
            edited->amount.replace(0, 1, QLatin1Char(edited->amount.at(0) == QLatin1Char('1') ? '2' : '1'));
            oneEdit.updateRecord(old, edited);
            saveOneChanged = std::min(saveOneChanged, timed([&] { oneEdit.save(); }));
            rawReplace = std::min(rawReplace, timed([&] { replaceFile(rawFastPath, bytes, false); }));
            // its bytes on disk now, not written out in the middle of a later step
            replaceFile(rawFastPath, bytes, true);
            for (PIMRecord *r : *changed.records())
                r->setCategories(r->categories());
            saveChanged = std::min(saveChanged, timed([&] { changed.forceSave(); }));
        }
        // the view sorted by date again (both orders, as two header clicks)
        resort = bestOf(runs, [&] {
            book.setSort(DateColumn);
            book.setSort(DateColumn);
        }) / 2;
    }

    std::pair<Clicks, Clicks> clicks;
    {
        TaskManager book(path);
        book.load();
        clicks = session(book, runs);
        book.setSort(DateColumn, true);
        book.setFilters({});
    }

    // a load and save of the saved file gives the same bytes back
    bool same = false;
    {
        TaskManager again(path);
        again.load();
        again.forceSave();
        same = readAll(path) == bytes;
    }

    const double fileMiB = fileSize / 1048576.0;
    const double growthMiB = (rssLoaded - rssBefore) / 1024.0;
    printf("records              %d (view %d), file %.1f MiB, %lld lines, best of %d\n", n, viewCount,
           fileMiB, static_cast<long long>(lines), runs);
    printf("byte read+split      %8.1f ms  (read + memchr into string views)\n", byteSplit);
    printf("text read+split      %8.1f ms  (converted to QString first)\n", textSplit);
    printf("open + date view     %8.1f ms  %6.2fx byte split (goal <= 5x), %.2fx text split\n", open,
           open / byteSplit, open / textSplit);
    printf("open, unsorted       %8.1f ms  %6.2fx byte split\n", openUnsorted, openUnsorted / byteSplit);
    printf("re-sort by date      %8.1f ms\n", resort);
    printf("clicks, first / after 50 header clicks in the session:\n");
    printf("  date header        %8.1f ms  %8.1f ms  %6.2fx\n", clicks.first.date, clicks.second.date,
           clicks.second.date / clicks.first.date);
    printf("  date reversed      %8.1f ms  %8.1f ms  %6.2fx\n", clicks.first.dateReversed,
           clicks.second.dateReversed, clicks.second.dateReversed / clicks.first.dateReversed);
    printf("  filter on          %8.1f ms  %8.1f ms\n", clicks.first.filterOn, clicks.second.filterOn);
    printf("  filter off         %8.1f ms  %8.1f ms\n", clicks.first.filterOff, clicks.second.filterOff);
    printf("raw new + rename     %8.1f ms\n", rawReplace);
    printf("raw durable replace  %8.1f ms  (fsync file, rename, fsync folder)\n", rawDurable);
    printf("save, unchanged      %8.1f ms  %6.2fx durable replace (goal <= 1.05x)\n", saveUnchanged,
           saveUnchanged / rawDurable);
    printf("save, one changed    %8.1f ms  %6.2fx durable replace (the idle save after an edit)\n",
           saveOneChanged, saveOneChanged / rawDurable);
    printf("save, all changed    %8.1f ms  %6.2fx durable replace (goal <= 1.25x)\n", saveChanged,
           saveChanged / rawDurable);
    printf("memory growth        %8.1f MiB  %6.2fx file (goal <= 3.5x)\n", growthMiB, growthMiB / fileMiB);
    printf("round trip           %s\n", same ? "same bytes" : "DIFFERENT BYTES");
    QFile::remove(rawPath);
    QFile::remove(rawPath + QStringLiteral(".new"));
    QFile::remove(rawFastPath);
    return same ? 0 : 1;
}
