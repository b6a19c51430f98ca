// A book of 100,000 expenses, 2,000 with a reminder to come, under a zone
// with summer time (Europe/Berlin unless TZ says otherwise): opened, saved
// (unchanged and all changed) and exported as CSV, each the best of a few
// runs; then 2,000 expenses with reminders copied into another book as Copy
// Special copies them (each added, its alarm registered, the book saved),
// once. One line per step, for a script that alternates this program with
// the same one built on another tree.
// Usage: bench_pim_reminderbook [folder] [runs] [open|save|changed|export|copy|nocopy|mark]
// BENCH_REMINDERS_FROM=<year> puts the reminders in the ten years from then
// (2030 unless set; 2001 for reminders all in the past); a folder holds one
// book, so give each year a folder of its own.
// With a step named it only repeats that step (for a profiler); "nocopy"
// times the steps but the copy; "mark" marks and unmarks those 2,000 copies
// at once, as a click on the check column's header of Copy Special's list
// does, their alarms registered, best of the runs.
#include "benchbook.h"
#include "benchutil.h"

#include "pim/pimcsvwriter.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/taskselectlistview.h"
#include "pim/ymrpim.h"
#include "qpe/alarmserver.h"
#include "qt/ymrapplication.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <malloc.h>

// Built on a tree before strokes (the landing before) it copies as Copy
// Special did there: one addRecord() after another.
#if __has_include("qpe/localzone.h")
#define BENCH_HAS_STROKE 1
#endif

namespace {

const int Records = 100000;
const int Reminders = 2000;

// 100,000 expenses, every 50th with a reminder in years to come (some in
// the hours the clocks skip or repeat), sorted by date.
void makeBook(const QString &path)
{
    const int firstYear = qEnvironmentVariableIsSet("BENCH_REMINDERS_FROM")
                              ? qEnvironmentVariableIntValue("BENCH_REMINDERS_FROM")
                              : 2030;
    TaskManager book(path);
    for (int i = 0; i < Records; ++i) {
        auto *t = bench::sampleExpense(book, i);
        if (i % (Records / Reminders) == 0) {
            t->reminder = new PIMReminder;
            const int k = i / (Records / Reminders);
            const QDate day = QDate(firstYear, 1, 1).addDays((k * 131) % 3650);
            t->reminder->dateTime = QDateTime(day, QTime(k % 100 == 0 ? 2 : 9 + k % 12, 30));
            t->reminder->sound = true;
        }
        book.appendRecord(t);
    }
    book.setSort(6, true);
    book.forceSave();
}

template <typename F>
double timed(F f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// Each from a heap handed back to the system, as a program's first open.
template <typename F>
double freshBestOf(int runs, F f)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        malloc_trim(0);
        best = std::min(best, timed(f));
    }
    malloc_trim(0);
    return best;
}

void exportCsv(TaskManager &book, const QString &path)
{
    const PIMCsvWriter writer(QStringLiteral("YYYY/MM/DD"), QStringLiteral("YYYY/MM/DD hh:mm"),
                              QStringLiteral("\""), QStringLiteral(","), QStringLiteral(" "));
    QFile file;
    YMRPIM::openNewFile(file, path);
    const bool written = writer.write(&file, QTextCodec::codecForName("UTF-8"), *book.view());
    YMRPIM::commitNewFile(file, written);
}

// The expenses with a reminder copied into an empty book, as Copy Special
// copies the marked ones: in milliseconds, the alarms written and the book
// saved.
double copyReminders(TaskManager &source, const QString &to)
{
    QList<PIMRecord *> marked;
    for (PIMRecord *r : *source.view()) {
        if (static_cast<Task *>(r)->reminder)
            marked << r;
    }
    QFile::remove(to);
    TaskManager destination(to);
    destination.load();
    const double ms = timed([&] {
        {
#ifdef BENCH_HAS_STROKE
            const TaskManager::Stroke stroke(&destination);
#endif
            for (PIMRecord *r : qAsConst(marked)) {
                auto *copy = new Task(*static_cast<Task *>(r));
                copy->newUid();
                destination.addRecord(copy);
            }
        }
        destination.save();
    });
    if (AlarmServer::instance()->pending().size() < marked.size())
        std::fprintf(stderr, "the copies' alarms are missing\n");
    return ms;
}

// Every expense of the book at path marked, then unmarked, by clicks on
// the check column's header, all on one page: in milliseconds each.
QPair<double, double> markAll(const QString &path)
{
    TaskManager book(path);
    book.load();
    TaskSelectListView list(nullptr, "mark");
    list.setManager(&book, true);
    list.setColumns({TaskSelectListView::CheckColumn, 0});
    list.setPaging(false);
    list.init();
    const int alarms = AlarmServer::instance()->pending().size();
    const auto marked = [&] {
        int n = 0;
        for (PIMRecord *r : *book.view())
            n += r->hasProperty(TaskSelectListView::markProperty());
        return n;
    };
    const double mark = timed([&] { list.sectionClicked(0); });
    if (marked() != book.count())
        std::fprintf(stderr, "not every expense is marked\n");
    const double unmark = timed([&] { list.sectionClicked(0); });
    if (marked() != 0 || AlarmServer::instance()->pending().size() != alarms)
        std::fprintf(stderr, "marks or alarms left behind\n");
    return qMakePair(mark, unmark);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", "Europe/Berlin");
    tzset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString folder =
        QFileInfo(argc > 1 && argv[1][0] ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/bench-reminderbook")
            .absoluteFilePath();
    QDir().mkpath(folder);
    // a home of its own each run: an alarm list that starts empty
    const QString home = folder + QStringLiteral("/home-%1").arg(QCoreApplication::applicationPid());
    qputenv("QPE_HOME", home.toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    const QString path = folder + QStringLiteral("/reminders.exp");
    const QString csv = folder + QStringLiteral("/reminders.csv");
    if (!QFile::exists(path))
        makeBook(path);

    if (only == "mark") {
        const QString copies = folder + QStringLiteral("/copies.exp");
        {
            TaskManager book(path);
            book.load();
            copyReminders(book, copies);
        }
        double mark = 1e18, unmark = 1e18;
        for (int i = 0; i < runs; ++i) {
            const auto t = markAll(copies);
            mark = std::min(mark, t.first);
            unmark = std::min(unmark, t.second);
        }
        std::printf("best of %d, TZ=%s\n", runs, qgetenv("TZ").constData());
        std::printf("mark %d reminders   %9.2f ms\n", Reminders, mark);
        std::printf("unmark %d reminders %9.2f ms\n", Reminders, unmark);
        QFile::remove(copies);
    } else if (only == "open") {
        for (int i = 0; i < runs; ++i) {
            TaskManager book(path);
            book.load();
        }
    } else if (!only.isEmpty() && only != "nocopy") {
        TaskManager book(path);
        book.load();
        for (int i = 0; i < runs; ++i) {
            if (only == "save")
                book.forceSave();
            else if (only == "changed") {
                for (PIMRecord *r : *book.records())
                    r->setCategories(r->categories());
                book.forceSave();
            }
            else if (only == "export")
                exportCsv(book, csv);
            else if (only == "copy")
                copyReminders(book, folder + QStringLiteral("/copies.exp"));
        }
    } else {
        int count = 0;
        const double open = freshBestOf(runs, [&] {
            TaskManager book(path);
            book.load();
            count = book.count();
        });
        TaskManager book(path);
        book.load();
        TaskManager changed(path);
        changed.load();
        double unchanged = 1e18, allChanged = 1e18, exported = 1e18;
        for (int i = 0; i < runs; ++i) {
            unchanged = std::min(unchanged, timed([&] { book.forceSave(); }));
            for (PIMRecord *r : *changed.records())
                r->setCategories(r->categories());
            allChanged = std::min(allChanged, timed([&] { changed.forceSave(); }));
            exported = std::min(exported, timed([&] { exportCsv(book, csv); }));
        }
        const double copied = only.isEmpty() ? copyReminders(book, folder + QStringLiteral("/copies.exp")) : 0;
        std::printf("records %d, best of %d, TZ=%s\n", count, runs, qgetenv("TZ").constData());
        std::printf("open               %9.2f ms\n", open);
        std::printf("save, unchanged    %9.2f ms\n", unchanged);
        std::printf("save, all changed  %9.2f ms\n", allChanged);
        std::printf("export csv         %9.2f ms\n", exported);
        if (only.isEmpty())
            std::printf("copy %d reminders %9.2f ms\n", Reminders, copied);
    }
    QFile::remove(csv);
    QDir(home).removeRecursively();
    return 0;
}
