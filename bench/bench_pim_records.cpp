// Load, view and save of a book of 100,000 expenses against plain reads and
// writes of the same file. Usage: bench_pim_records [records] [folder]
#include "pim/pimmanager.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/ymrpim.h"
#include "qt/ymrapplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

// An expense book sorted by date (column 6), as the book store sorts it.
class Book : public PIMManager
{
public:
    explicit Book(const QString &path) : PIMManager(QStringLiteral("expense"), path) {}
    ~Book() override { saveOnDestroy(); }

protected:
    PIMRecord *createRecord() override { return new Task(this); }
    void updateSortKeys() override
    {
        for (PIMRecord *r : *view())
            updateSortKey(r);
    }
    void updateSortKey(PIMRecord *r) override { r->setSortKey(YMRPIM::sortKey(static_cast<Task *>(r)->date)); }
    bool needsResort(PIMRecord *old, PIMRecord *r) override
    {
        return !old || static_cast<Task *>(old)->date != static_cast<Task *>(r)->date;
    }
};

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

template <typename F>
double bestOf(int runs, F f)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
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
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : home.path();
    const QString path = folder + QStringLiteral("/bench.exp");
    const QString rawPath = folder + QStringLiteral("/raw.exp");

    const QStringList types = {"Food", "Drinks", "Transport", "Lodging", "Shopping", "Gifts"};
    const QStringList cities = {"Tokyo", "Osaka", "Paris", "London", "New York"};
    const QStringList accounts = {"Cash", "Credit Card", "Bank Account"};
    const QStringList cats = {"11111111-2222-3333-4444-555555555555", "66666666-7777-8888-9999-000000000000"};
    {
        Book book(path);
        for (int i = 0; i < n; ++i) {
            auto *t = new Task(&book);
            t->type = types.at(i % types.size());
            t->amount = QString::number((i * 7919) % 100000 / 100.0, 'f', 2);
            t->currency = i % 5 ? QStringLiteral("$") : QStringLiteral("EUR");
            t->city = cities.at(i % cities.size());
            t->account = accounts.at(i % accounts.size());
            t->description = QStringLiteral("Expense number %1\nsecond line").arg(i);
            t->date = QDate(2000, 1, 1).addDays((i * 37) % 3650);
            if (i % 10 == 0)
                t->setCategories(QStringList(cats.at(i % 2)));
            if (i % 50 == 0) {
                t->reminder = new PIMReminder;
                t->reminder->dateTime = QDateTime(t->date, QTime(9, 0));
            }
            book.appendRecord(t);
        }
        book.setSort(6, true);
        book.forceSave();
    }
    const qint64 fileSize = QFileInfo(path).size();
    malloc_trim(0);
    const long rssBefore = residentKiB();

    // baseline: read the file and split its bytes into lines, with no text
    // conversion (the least any loader must do)
    qsizetype lines = 0;
    const double baseline = bestOf(3, [&] {
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
        lines = qsizetype(l.size());
    });
    malloc_trim(0);
    // the former baseline: the same split after converting the file to text
    const double textBaseline = bestOf(3, [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QStringList l = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        lines = qMax(lines, qsizetype(l.size()));
    });
    malloc_trim(0);

    double loadView = 0;
    double save = 0;
    double saveRendered = 0;
    long rssLoaded = 0;
    int viewCount = 0;
    {
        Book book(path);
        QElapsedTimer t;
        t.start();
        book.load(); // reads the header's SORT=6: the view comes sorted by date
        loadView = t.nsecsElapsed() / 1e6;
        viewCount = book.view()->count();
        rssLoaded = residentKiB();
        save = bestOf(3, [&] { book.forceSave(); });
        // every record written out afresh, as after a change to each
        saveRendered = bestOf(3, [&] {
            for (PIMRecord *r : *book.records())
                r->setCategories(r->categories());
            book.forceSave();
        });
    }

    QByteArray bytes;
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        bytes = f.readAll();
    }
    const double raw = bestOf(3, [&] {
        QFile f(rawPath);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
    });
    // the same bytes the way every save writes: a new file put in the old
    // one's place
    const double rawReplace = bestOf(3, [&] {
        QFile f(rawPath + QStringLiteral(".new"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        ::rename(QFile::encodeName(rawPath + QStringLiteral(".new")).constData(),
                 QFile::encodeName(rawPath).constData());
    });

    // and as a crash-safe save must: the bytes on disk before the rename
    const double rawDurable = bestOf(3, [&] {
        QFile f(rawPath + QStringLiteral(".new"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.flush();
        ::fsync(f.handle());
        f.close();
        ::rename(QFile::encodeName(rawPath + QStringLiteral(".new")).constData(),
                 QFile::encodeName(rawPath).constData());
    });

    // and the folder synced after the rename, so that the rename survives
    // too: what the save does
    const double rawDurableDir = bestOf(3, [&] {
        QFile f(rawPath + QStringLiteral(".new"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.flush();
        ::fsync(f.handle());
        f.close();
        ::rename(QFile::encodeName(rawPath + QStringLiteral(".new")).constData(),
                 QFile::encodeName(rawPath).constData());
        const int dir = ::open(QFile::encodeName(QFileInfo(rawPath).absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY);
        ::fsync(dir);
        ::close(dir);
    });

    // a second load of the file gives the same bytes back
    bool same = false;
    {
        Book again(path);
        again.load();
        again.forceSave();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        same = f.readAll() == bytes;
    }

    const double fileMiB = fileSize / 1048576.0;
    printf("records            %d (view %d), file %.1f MiB, %lld lines\n", n, viewCount, fileMiB,
           static_cast<long long>(lines));
    printf("baseline read+split %8.1f ms  (bytes, no text conversion)\n", baseline);
    printf("text read+split     %8.1f ms  (converted to QString first)\n", textBaseline);
    printf("load + sorted view  %8.1f ms  (%.2fx byte baseline, %.2fx text baseline; limit 3x of the text one)\n",
           loadView, loadView / baseline, loadView / textBaseline);
    printf("raw write           %8.1f ms  (into the existing file)\n", raw);
    printf("raw write + rename  %8.1f ms  (new file replacing the old)\n", rawReplace);
    printf("raw write+sync+rename %6.1f ms  (bytes forced to disk before the rename)\n", rawDurable);
    printf("  + folder sync     %8.1f ms  (the rename made durable as well)\n", rawDurableDir);
    printf("save through .new   %8.1f ms  (%.2fx raw write, %.2fx raw write + rename, %.2fx raw write+sync+rename,"
           " %.2fx with the folder sync)\n",
           save, save / raw, save / rawReplace, save / rawDurable, save / rawDurableDir);
    printf("save, all rendered  %8.1f ms  (%.2fx raw write, %.2fx raw write + rename)\n", saveRendered,
           saveRendered / raw, saveRendered / rawReplace);
    printf("resident before     %8.1f MiB\n", rssBefore / 1024.0);
    printf("resident after load %8.1f MiB  (%.2fx file size; growth %.1f MiB = %.2fx, limit 4x)\n",
           rssLoaded / 1024.0, rssLoaded / 1024.0 / fileMiB, (rssLoaded - rssBefore) / 1024.0,
           (rssLoaded - rssBefore) / 1024.0 / fileMiB);
    printf("round trip          %s\n", same ? "same bytes" : "DIFFERENT BYTES");
    QFile::remove(rawPath);
    QFile::remove(rawPath + QStringLiteral(".new"));
    return same ? 0 : 1;
}
