// The open book's CSV export and a three-condition filter with a re-sort on
// a book of 100,000 expenses, each against a plain loop doing the same
// work. Usage: bench_pim_export [records] [export runs]
#include "benchutil.h"

#include "pim/pimcsvwriter.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qt/ymrapplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

#include <algorithm>
#include <cstdio>
#include <vector>

using bench::bestOf;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("QPE_HOME", home.path().toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    const int n = argc > 1 ? atoi(argv[1]) : 100000;
    const QString csv = home.path() + QStringLiteral("/export.csv");
    const QString raw = home.path() + QStringLiteral("/raw.csv");

    const QStringList types = {"Food", "Drinks", "Transport", "Lodging", "Shopping", "Gifts"};
    const QStringList cities = {"Tokyo", "Osaka", "Paris", "London", "New York"};
    TaskManager book(home.path() + QStringLiteral("/bench.exp"));
    for (int i = 0; i < n; ++i) {
        auto *t = new Task(&book);
        t->type = types.at(i % types.size());
        t->amount = QString::number((i * 7919) % 100000 / 100.0, 'f', 2);
        t->currency = QStringLiteral("EUR");
        t->city = cities.at(i % cities.size());
        t->account = QStringLiteral("Cash");
        t->description = QStringLiteral("Expense number %1\nsecond line").arg(i);
        t->date = QDate(2000, 1, 1).addDays((i * 37) % 3650);
        book.records()->append(t);
    }
    book.rebuildView(true);

    // export, through the save file as the program writes it
    const PIMCsvWriter writer(QStringLiteral("YYYY/MM/DD"), QStringLiteral("YYYY/MM/DD hh:mm"),
                              QStringLiteral("\""), QStringLiteral(","), QStringLiteral(" "));
    const auto exportOnce = [&] {
        QFile file;
        YMRPIM::openNewFile(file, csv);
        // whatever the locale's
        const bool written = writer.write(&file, QTextCodec::codecForName("UTF-8"), *book.view());
        YMRPIM::commitNewFile(file, written);
    };
    exportOnce();
    QFile done(csv);
    done.open(QIODevice::ReadOnly);
    const QByteArray bytes = done.readAll();
    // the export and the plain write of its bytes take turns, so that a busy
    // moment of the disk falls on both alike
    double exportMs = 1e18;
    double writeMs = 1e18;
    for (int i = 0, runs = argc > 2 ? atoi(argv[2]) : 7; i < runs; ++i) {
        exportMs = std::min(exportMs, bestOf(1, exportOnce));
        writeMs = std::min(writeMs, bestOf(1, [&] {
            QFile file;
            YMRPIM::openNewFile(file, raw);
            YMRPIM::commitNewFile(file, file.write(bytes) == bytes.size());
        }));
    }

    // Type is Food or Transport-like, city contains "o", amount at least 100;
    // then sorted by amount
    TaskFilter filter(QStringLiteral("three"));
    FilterCondition c1, c2, c3;
    c1.field = FilterCondition::Type;
    c1.condition = FilterCondition::Contains;
    c1.text = QStringLiteral("o");
    c2.field = FilterCondition::City;
    c2.condition = FilterCondition::Contains;
    c2.text = QStringLiteral("O");
    c3.field = FilterCondition::Amount;
    c3.condition = FilterCondition::AtLeast;
    c3.amount = 100;
    filter.conditions << c1 << c2 << c3;
    int shown = 0;
    const double filterMs = bestOf(3, [&] {
        book.setSort(-1, true);
        book.setFilters({filter});
        book.setCurrentFilter(0);
        book.setSort(1, true);
        shown = book.view()->count();
    });
    const double loopMs = bestOf(3, [&] {
        std::vector<std::pair<double, int>> keys;
        PIMRecordArray *all = book.records();
        for (int i = 0; i < all->count(); ++i) {
            auto *t = static_cast<Task *>(all->at(i));
            if (t->type.contains(QLatin1String("o"), Qt::CaseInsensitive)
                && t->city.contains(QLatin1String("O"), Qt::CaseInsensitive)
                && t->amount.toDouble() >= 100)
                keys.emplace_back(t->amount.toDouble(), i);
        }
        std::stable_sort(keys.begin(), keys.end());
    });

    std::printf("records %d, csv %lld bytes\n", n, static_cast<long long>(bytes.size()));
    std::printf("export   %8.1f ms   plain write %8.1f ms   ratio %.2f\n", exportMs, writeMs,
                exportMs / writeMs);
    std::printf("filter   %8.1f ms   plain loop  %8.1f ms   ratio %.2f (%d shown)\n", filterMs,
                loopMs, filterMs / loopMs, shown);
    return 0;
}
