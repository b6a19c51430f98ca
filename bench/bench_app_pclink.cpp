// A book sent over the PC link on loopback against a plain socket copy of
// the same file in the same run, and the memory either takes.
// Usage: bench_app_pclink [megabytes] [runs]
#include "benchutil.h"
#include "pclink.h"
#include "pclinkserver.h"
#include "qt/ymrapplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using bench::residentKiB;

namespace {

template <typename P>
bool waitFor(P done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

struct Result
{
    double ms = 0;
    long peakKiB = 0;
    bool ok = false;
};

// A book of exactly size bytes: the device takes only what opens whole.
void makeFile(const QString &path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    const QByteArray header("FOLDER\nEND\n");
    // records of 128 bytes, the last one holding what is left
    QByteArray record = "T=" + QByteArray(121, 'a') + "\nEND\n";
    QByteArray block;
    while (block.size() < (1 << 20))
        block += record;
    f.write(header);
    qint64 left = size - header.size();
    while (left >= block.size() + 128) {
        f.write(block);
        left -= block.size();
    }
    for (; left >= 2 * 128; left -= 128)
        f.write(record);
    if (left > 0)
        f.write("T=" + QByteArray(int(left) - 7, 'z') + "\nEND\n");
}

Result linkTransfer(const QString &source, const QString &home, qint64 size)
{
    PCLinkServer server(nullptr, 0);
    PCLink client;
    QScopedPointer<PCLink> device;
    QObject::connect(&server, &PCLinkServer::connected, [&](int fd) {
        device.reset(new PCLink);
        device->setDirectories(home, home);
        device->setSocket(fd);
    });
    client.connectToHost(QStringLiteral("127.0.0.1"), server.serverPort());
    if (!waitFor([&] { return client.isConnected() && device; }, 5000))
        qFatal("no connection");
    const long base = residentKiB();
    long peak = base;
    bool done = false, ok = false;
    QObject::connect(device.data(), &PCLink::progress, [&](int, int) { peak = std::max(peak, residentKiB()); });
    QObject::connect(device.data(), &PCLink::receiveFileFinished, [&] { done = ok = true; });
    QObject::connect(device.data(), &PCLink::receiveFileFailed, [&] { done = true; });
    QElapsedTimer t;
    t.start();
    client.sendFile(source, QStringLiteral("[A]copy.exp"));
    waitFor([&] { return done; }, 600000);
    Result r;
    r.ms = t.nsecsElapsed() / 1e6;
    r.peakKiB = peak;
    r.ok = ok && QFile(home + QStringLiteral("/copy.exp")).size() == size;
    QFile::remove(home + QStringLiteral("/copy.exp"));
    return r;
}

// Read the file, write it to a socket while the socket's queue is short,
// write what arrives into a file: the same work without a protocol.
Result plainCopy(const QString &source, const QString &home, qint64 size, bool sync)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    QTcpSocket sender;
    sender.connectToHost(QStringLiteral("127.0.0.1"), server.serverPort());
    if (!waitFor([&] { return server.hasPendingConnections(); }, 5000))
        qFatal("no connection");
    QTcpSocket *receiver = server.nextPendingConnection();
    receiver->setReadBufferSize(256 * 1024);
    QFile in(source), out(home + QStringLiteral("/plain.exp"));
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const long base = residentKiB();
    long peak = base;
    qint64 got = 0;
    QObject::connect(receiver, &QTcpSocket::readyRead, [&] {
        const QByteArray b = receiver->readAll();
        out.write(b);
        got += b.size();
        peak = std::max(peak, residentKiB());
    });
    auto pump = [&] {
        while (!in.atEnd() && sender.bytesToWrite() < 51200)
            sender.write(in.read(51200));
    };
    QObject::connect(&sender, &QTcpSocket::bytesWritten, pump);
    QElapsedTimer t;
    t.start();
    pump();
    waitFor([&] { return got >= size; }, 600000);
    // the link syncs a received file before it takes the old one's place
    if (sync)
        ::fsync(out.handle());
    out.close();
    Result r;
    r.ms = t.nsecsElapsed() / 1e6;
    r.peakKiB = peak;
    r.ok = got == size;
    QFile::remove(out.fileName());
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("QPE_HOME", home.path().toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    const int megabytes = argc > 1 ? atoi(argv[1]) : 50;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;

    std::printf("%6s %9s %9s %7s %14s %7s %13s %14s\n", "MB", "link ms", "plain ms", "ratio",
                "plain+sync ms", "ratio", "link RSS KiB", "plain RSS KiB");
    for (int mb : {megabytes / 5, megabytes}) {
        const qint64 size = qint64(mb) << 20;
        const QString source = home.path() + QStringLiteral("/book.exp");
        makeFile(source, size);
        Result bestLink, bestPlain, bestSynced;
        bestLink.ms = bestPlain.ms = bestSynced.ms = 1e18;
        for (int i = 0; i < runs; ++i) {
            // each run starts with nothing left to write back from the one before
            ::sync();
            const Result l = linkTransfer(source, home.path(), size);
            ::sync();
            const Result p = plainCopy(source, home.path(), size, false);
            ::sync();
            const Result s = plainCopy(source, home.path(), size, true);
            if (!l.ok || !p.ok || !s.ok)
                qFatal("transfer failed");
            if (l.ms < bestLink.ms)
                bestLink = l;
            if (p.ms < bestPlain.ms)
                bestPlain = p;
            if (s.ms < bestSynced.ms)
                bestSynced = s;
        }
        // throughput of the link as a share of the plain copy's, without and with the final sync
        std::printf("%6d %9.1f %9.1f %6.0f%% %14.1f %6.0f%% %13ld %14ld\n", mb, bestLink.ms, bestPlain.ms,
                    100.0 * bestPlain.ms / bestLink.ms, bestSynced.ms, 100.0 * bestSynced.ms / bestLink.ms,
                    bestLink.peakKiB, bestPlain.peakKiB);
    }
    return 0;
}
