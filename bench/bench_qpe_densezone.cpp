// A valid zone file of 400,000 changes of offset (one every ten minutes
// from 2030 on, in turn +01:00 and +02:00) named by TZ: the cost of reading
// it and of 2,000 reminders' wall times turned into moments (each looked
// up as a book's reading does, and as the alarm list's), beside the same
// under Europe/Berlin. One line per step, the best of a few runs.
// Usage: bench_qpe_densezone [runs] [file]  (with a file named, the zone
// file is also written there, for a book's benchmark run under it)
#include "benchutil.h"

#include "qpe/wallclock.h"
#include "qpe/localzone.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

const int Changes = 400000;
const int Reminders = 2000;

QByteArray denseZone()
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    const auto header = [&s](quint32 times, quint32 types, quint32 chars) {
        s.writeRawData("TZif2", 5);
        for (int i = 0; i < 15; ++i)
            s << quint8(0);
        s << quint32(0) << quint32(0) << quint32(0) << times << types << chars;
    };
    // the 32-bit block of a slim file: one type, no changes
    header(0, 1, 4);
    s << qint32(3600) << quint8(0) << quint8(0);
    s.writeRawData("XST", 4);
    header(Changes, 2, 8);
    const qint64 from = QDateTime(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    for (int i = 0; i < Changes; ++i)
        s << qint64(from + qint64(i) * 600);
    for (int i = 0; i < Changes; ++i)
        s << quint8(i % 2);
    s << qint32(3600) << quint8(0) << quint8(0) << qint32(7200) << quint8(1) << quint8(4);
    s.writeRawData("XST\0XDT", 8);
    s.writeRawData("\nXST-1\n", 7);
    return out;
}

// Reminders spread over the years of the changes, as a book's reading
// resolves them, then as the alarm list rings them.
volatile qint64 sink = 0;

void convert()
{
    for (int k = 0; k < Reminders; ++k) {
        const QDate day = QDate(2030, 1, 1).addDays((k * 131) % 2700);
        const QTime time(9 + k % 12, 30);
        const QDateTime moment = WallClock::moment(day, time);
        sink = sink + moment.toSecsSinceEpoch() + WallClock::chosenOffset(moment);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? atoi(argv[1]) : 5;
    QTemporaryDir dir;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("Dense"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(denseZone()) < 0)
        return 1;
    f.close();
    for (const QByteArray &zone : {QByteArray("Europe/Berlin"), QFile::encodeName(path)}) {
        qputenv("TZ", zone);
        tzset();
        const double read = bench::bestOf(1, [] { LocalZone::current(); });
        const double ms = bench::bestOf(runs, convert);
        std::printf("%s: read %.1f ms, %d reminders converted %.2f ms\n",
                    zone == "Europe/Berlin" ? "Europe/Berlin" : "dense file", read, Reminders, ms);
    }
    return 0;
}
