// The alarm list at its longest: the time to read it (every line twice, the
// second dropped) and list its alarms with their moments, and to take a few
// changes among them, each a merge and one write of the whole list.
// Usage: bench_qpe_alarmlist [alarms] [changes]
#include "benchutil.h"

#include "qpe/alarmserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int changes = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    const QDateTime t0(QDate(2026, 3, 7), QTime(9, 0, 0));
    QByteArray text;
    text.reserve(count * 36);
    for (int i = 0; i < count; ++i)
        text += t0.addSecs(i).toString(Qt::ISODate).toLatin1() + "\tA/long\tm" + QByteArray::number(i % 997)
                + "\t0\n";
    QFile file(dir.filePath(QStringLiteral("alarms")));
    if (!file.open(QIODevice::WriteOnly) || file.write(text + text) != 2 * text.size())
        return 1;
    file.close();

    QElapsedTimer took;
    took.start();
    AlarmServer server(dir.path());
    server.setClock([t0] { return t0.addSecs(-60); });
    server.start(0);
    const int read = server.pending().size();
    const double loadMs = took.nsecsElapsed() / 1e6;
    took.restart();
    for (int i = 0; i < changes; ++i) {
        server.add(t0.addSecs(count + i), "A/long", "new", 0);
        server.remove(t0.addSecs(i), "A/long", "m" + QByteArray::number(i % 997), 0);
    }
    const double changeMs = took.nsecsElapsed() / 1e6;
    took.restart();
    const int after = server.pending().size();
    const double listMs = took.nsecsElapsed() / 1e6;
    std::printf("%d alarms (%d read): read and listed in %.0f ms; %d additions and %d removals in %.0f ms "
                "(%.1f ms each); listed again in %.0f ms, %d after; peak %ld KiB\n",
                count, read, loadMs, changes, changes, changeMs, changeMs / qMax(1, 2 * changes), listMs, after,
                bench::peakKiB());
    return read == count && after == count ? 0 : 1;
}
