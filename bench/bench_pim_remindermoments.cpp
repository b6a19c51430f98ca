// A book whose expenses all have a reminder to come, opened: its reminders
// all at one moment against each at a moment of its own. The first opening
// lists every one (the list empty), the next finds them all listed, one
// after another zone's list lists each again; each the best of the runs.
// The cost should grow as n log n in both, whatever the moments share.
// Usage: bench_pim_remindermoments [reminders] [runs]
#include "benchbook.h"
#include "benchutil.h"

#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/alarmserver.h"
#include "qt/ymrapplication.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const QDateTime Now(QDate(2030, 6, 1), QTime(12, 0));

void makeBook(const QString &path, int count, bool oneMoment)
{
    QFile::remove(path);
    TaskManager book(path);
    for (int i = 0; i < count; ++i) {
        auto *t = bench::sampleExpense(book, i);
        t->reminder = new PIMReminder;
        t->reminder->dateTime = oneMoment ? Now.addDays(30) : Now.addSecs(60 * (i + 1));
        book.appendRecord(t);
    }
    book.forceSave();
}

double openedInMs(const QString &path)
{
    QElapsedTimer t;
    t.start();
    TaskManager book(path);
    book.load();
    return t.nsecsElapsed() / 1e6;
}

// The list's lines with every wall time an hour on, as another zone's
// list of the same reminders reads here.
void shiftList(const QString &list)
{
    QFile f(list);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    QByteArray out;
    for (const QByteArray &line : lines) {
        const int tab = line.indexOf('\t');
        if (tab < 0)
            continue;
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(line.left(tab)), Qt::ISODate);
        out += at.addSecs(3600).toString(Qt::ISODate).toLatin1() + line.mid(tab) + '\n';
    }
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(out);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("QPE_HOME", home.path().toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    AlarmServer *server = AlarmServer::instance();
    server->setClock([] { return Now; });
    const QString list = server->fileName();
    int failures = 0;
    for (const bool oneMoment : {true, false}) {
        const QString path = QDir(home.path()).filePath(QStringLiteral("moments.exp"));
        makeBook(path, count, oneMoment);
        double first = 1e18, again = 1e18, shifted = 1e18;
        for (int run = 0; run < runs; ++run) {
            QFile::remove(list);
            server->remove(QVector<AlarmServer::Alarm>::fromList(server->pending()));
            first = std::min(first, openedInMs(path));
            again = std::min(again, openedInMs(path));
            shiftList(list);
            shifted = std::min(shifted, openedInMs(path));
        }
        const int listed = server->pending().size();
        failures += listed != count;
        std::printf("%d reminders %s: opened in %.0f ms with the list empty, %.0f ms all listed, "
                    "%.0f ms listed an hour off; %d listed; peak %ld KiB\n",
                    count, oneMoment ? "at one moment" : "at moments of their own", first, again, shifted,
                    listed, bench::peakKiB());
    }
    return failures == 0 ? 0 : 1;
}
