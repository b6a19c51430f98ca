// Start-up of the program to its first painted main window with a book of
// 10,000 expenses open, against a bare Qt widget program that shows an
// empty window; each measured as a whole process, from launch to exit right
// after the first paint. Usage: bench_app_startup [runs]
#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"
#include "todowindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Ends the program at the first paint of the watched widget once ready()
// holds.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget *watched, std::function<bool()> ready)
        : m_ready(std::move(ready))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && m_ready() && !m_done) {
            m_done = true;
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    std::function<bool()> m_ready;
    bool m_done = false;
};

int runBare(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(480, 640);
    FirstPaint watch(&w, [] { return true; });
    w.show();
    return app.exec();
}

int runProgram(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    YMRApplication app("ymrOutlays", argc, argv);
    const double appMs = clock.nsecsElapsed() / 1e6;
    ToDoWindow w;
    const double windowMs = clock.nsecsElapsed() / 1e6;
    if (qEnvironmentVariableIsSet("YMR_BENCH_PHASES"))
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] {
            std::fprintf(stderr, "application %.1f ms, window %.1f ms, painted %.1f ms\n", appMs,
                         windowMs, clock.nsecsElapsed() / 1e6);
        });
    FirstPaint watch(w.listView()->viewport(),
                     [&w] { return w.manager() && w.listView()->childCount() > 0; });
    app.showMainDocumentWidget(&w);
    return app.exec();
}

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

double launch(const QString &self, const char *mode, const QString &home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QPE_HOME"), home);
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(self, {QString::fromLatin1(mode)});
    double painted = -1;
    while (painted < 0 && p.waitForReadyRead(60000)) {
        if (p.readAll().contains("painted"))
            painted = t.nsecsElapsed() / 1e6;
    }
    if (!p.waitForFinished(60000) || p.exitCode() != 0 || painted < 0)
        std::fprintf(stderr, "%s run failed\n", mode);
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
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0)
        return runBare(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--program") == 0)
        return runProgram(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--load") == 0) {
        YMRApplication app("ymrOutlays", argc, argv);
        QElapsedTimer t;
        t.start();
        TaskManager book(QString::fromLocal8Bit(argv[2]));
        book.load();
        std::printf("load %.1f ms\n", t.nsecsElapsed() / 1e6);
        return 0;
    }

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir tmp;
    // YMR_BENCH_HOME keeps the prepared home for a closer look
    const QString kept = qEnvironmentVariable("YMR_BENCH_HOME");
    QDir home(kept.isEmpty() ? tmp.path() : kept);
    prepareHome(home.path(), 10000);
    const QString self = QString::fromLocal8Bit(argv[0]);
    std::vector<double> bare, program;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(launch(self, "--bare", home.path()));
        program.push_back(launch(self, "--program", home.path()));
    }
    const double b = median(bare), p = median(program);
    std::printf("start-up to the first painted window, median of %d runs\n", runs);
    std::printf("  bare Qt window:                 %8.1f ms (best %.1f)\n", b,
                *std::min_element(bare.begin(), bare.end()));
    std::printf("  program, 10,000-expense book:   %8.1f ms (best %.1f)\n", p,
                *std::min_element(program.begin(), program.end()));
    std::printf("  ratio %.2fx (limit 1.5x)\n", p / b);
    return 0;
}
