// Start-up of the program (the ymroutlays binary) to its first painted main
// window with a book of 10,000 expenses open, against a bare Qt widget
// program (bare_window) that shows an empty window; each measured as a whole
// process, from its launch to the "painted" line it writes once its first
// paint has reached the screen (the program does that only with
// YMR_BENCH_FIRST_PAINT set). Both run offscreen, taking turns.
// Usage: bench_app_startup [runs]
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void prepareHome(const QString &home, int expenses)
{
    qputenv("QPE_HOME", home.toLocal8Bit());
    int argc = 1;
    char name[] = "bench_app_startup";
    char *argv[] = {name, nullptr};
    YMRApplication app("ymrOutlays", argc, argv);
    const QString path = YMRApplication::documentDir() + QStringLiteral("/Big.exp");
    {
        TaskManager book(path);
        const QDate first(2020, 1, 1);
        for (int i = 0; i < expenses; ++i) {
            auto *t = new Task(&book);
            t->type = QStringLiteral("Type %1").arg(i % 17);
            t->amount = QString::number((i * 37) % 5000 / 10.0);
            t->currency = QStringLiteral("$");
            t->city = QStringLiteral("City %1").arg(i % 11);
            t->description = QStringLiteral("Expense number %1").arg(i);
            t->date = first.addDays(i % 1500);
            book.addRecord(t);
        }
        book.save();
    }
    {
        DBManager index;
        index.load();
        auto *r = new DBRecord(&index);
        r->setPath(path);
        index.addRecord(r);
        index.save();
    }
    Config cfg(QStringLiteral("ymrOutlays"));
    cfg.setGroup(QStringLiteral("Options"));
    cfg.writeEntry(QStringLiteral("book"), path);
}

double launch(const QString &program, const QString &home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QPE_HOME"), home);
    env.insert(QStringLiteral("YMR_BENCH_FIRST_PAINT"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(program, QStringList());
    double painted = -1;
    QByteArray out;
    while (painted < 0 && p.waitForReadyRead(60000)) {
        out += p.readAll();
        if (out.contains("painted"))
            painted = t.nsecsElapsed() / 1e6;
    }
    if (!p.waitForFinished(60000) || p.exitCode() != 0 || painted < 0)
        qFatal("%s: no first paint", qPrintable(program));
    return painted;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--load") == 0) {
        YMRApplication app("ymrOutlays", argc, argv);
        QElapsedTimer t;
        t.start();
        TaskManager book(QString::fromLocal8Bit(argv[2]));
        book.load();
        std::printf("load %.1f ms\n", t.nsecsElapsed() / 1e6);
        return 0;
    }

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const QString dir = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
    const QString bareProgram = dir + QStringLiteral("/bare_window");
    const QString program = dir + QStringLiteral("/../app/ymroutlays");
    QTemporaryDir tmp;
    // YMR_BENCH_HOME keeps the prepared home for a closer look
    const QString kept = qEnvironmentVariable("YMR_BENCH_HOME");
    QDir home(kept.isEmpty() ? tmp.path() : kept);
    prepareHome(home.path(), 10000);
    // one of each first: files and libraries in the cache for all that follow
    launch(bareProgram, home.path());
    launch(program, home.path());
    std::vector<double> bare, prog;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(launch(bareProgram, home.path()));
        prog.push_back(launch(program, home.path()));
    }
    const double b = median(bare), p = median(prog);
    std::printf("launch to the first painted window, median of %d runs\n", runs);
    std::printf("  bare Qt window:                 %8.1f ms (best %.1f)\n", b,
                *std::min_element(bare.begin(), bare.end()));
    std::printf("  ymroutlays, 10,000-expense book:%8.1f ms (best %.1f)\n", p,
                *std::min_element(prog.begin(), prog.end()));
    std::printf("  ratio %.2fx (limit 1.5x)\n", p / b);
    return 0;
}
