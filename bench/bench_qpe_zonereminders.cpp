// Opening 20,000 reminders (each wall time resolved to its moment, as a
// book's reading does, then listed as the alarm list keys it) under zones
// of every kind: a zone file, a rule without dates (the C library's
// reading), zone files the program leaves to the C library (an offset of
// 30 hours, one of 7 days, one with no text after its 64-bit block). The
// cost should follow the number of reminders and the zone's changes, not
// the zone's kind. One line per zone: the zone read, then the reminders,
// the best of a few runs.
// Usage: bench_qpe_zonereminders [runs]
#include "benchutil.h"

#include "qpe/alarmserver.h"
#include "qpe/localzone.h"
#include "qpe/wallclock.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

const int Reminders = 20000;

qint64 utc(int year)
{
    return QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
}

// A zone file of version 2 whose second type is offset away from UTC,
// changes to it and back each year from 1990 to 2030; with text after it or
// none.
QByteArray farZone(int offset, bool footer)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    const auto header = [&s](quint32 times, quint32 types) {
        s.writeRawData("TZif2", 5);
        for (int i = 0; i < 15; ++i)
            s << quint8(0);
        s << quint32(0) << quint32(0) << quint32(0) << times << types << quint32(4);
    };
    header(0, 1);
    s << qint32(3600) << quint8(0) << quint8(0);
    s.writeRawData("XST", 4);
    const int years = 40;
    header(2 * years, 2);
    for (int y = 0; y < years; ++y)
        s << qint64(utc(1990 + y) + 90 * 86400) << qint64(utc(1990 + y) + 270 * 86400);
    for (int y = 0; y < years; ++y)
        s << quint8(1) << quint8(0);
    s << qint32(3600) << quint8(0) << quint8(0) << qint32(offset) << quint8(1) << quint8(0);
    s.writeRawData("XST", 4);
    if (footer)
        s.writeRawData("\nXST-1\n", 7);
    return out;
}

volatile qint64 sink = 0;

void open()
{
    for (int k = 0; k < Reminders; ++k) {
        const QDate day = QDate(2026, 1, 1).addDays((k * 131) % 3650);
        const QTime time(k % 24, (k * 7) % 60);
        const QDateTime moment = WallClock::moment(day, time);
        AlarmServer::Entry e;
        if (AlarmServer::Entry::of(moment, "QPE/Application/ymroutlays", "alarm", 0, e))
            sink = sink + e.at;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? atoi(argv[1]) : 3;
    QTemporaryDir dir;
    const auto file = [&dir](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::exit(1);
        return QFile::encodeName(f.fileName());
    };
    const QVector<QPair<const char *, QByteArray>> zones{
        {"Europe/Berlin", "Europe/Berlin"},
        {"CET-1CEST (no dates)", "CET-1CEST"},
        {"offset of 30 hours", file("far30", farZone(30 * 3600, true))},
        {"offset of 7 days", file("far7d", farZone(7 * 86400, true))},
        {"refused: no text after", file("refused", farZone(7200, false))},
    };
    for (const auto &zone : zones) {
        qputenv("TZ", zone.second);
        tzset();
        const double read = bench::bestOf(1, [] { LocalZone::current(); });
        const bool own = LocalZone::current()->ownReading();
        const double ms = bench::bestOf(runs, open);
        std::printf("%-24s read %7.1f ms (%s), %d reminders opened %8.1f ms\n", zone.first, read,
                    own ? "own reading" : "C library's", Reminders, ms);
    }
    return 0;
}
