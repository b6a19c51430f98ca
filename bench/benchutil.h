#ifndef BENCHUTIL_H
#define BENCHUTIL_H

// Small timing and memory helpers the benchmark programs share.

#include <QElapsedTimer>
#include <QFile>
#include <QList>

#include <algorithm>
#include <unistd.h>

namespace bench {

// The fastest of runs calls of f, in milliseconds.
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

// The process's resident memory in KiB (0 where /proc is missing).
inline long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// The process's peak resident memory (VmHWM) in KiB (0 where /proc is missing).
inline long peakKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace bench

#endif
