// Transfer Data's Connect against a scripted device that answers the index
// request with a planted book index: the longest time the event loop is
// kept from running (a 2 ms timer's longest gap), the peak memory, what the
// list shows. The device runs on a thread of its own with plain sockets, so
// that nothing of the dialog's loop holds it up.
// Usage: bench_app_transferindex [records] [bytes per record] [marked]
// (4000000 records of 4 bytes: a 16 MB index of empty records; "marked":
// each record also marked for transfer and naming an icon of its own)
#include "benchutil.h"
#include "pclinkprotocol.h"
#include "pclinkserver.h"
#include "transferdata.h"
#include "pim/dbmanager.h"
#include "pim/dbselectlistview.h"
#include "qt/ymrapplication.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using bench::residentKiB;

namespace {

bool sendAll(int fd, const char *p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::send(fd, p, n, MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

// Answers the first request with the index, every later one (the closing
// probe) with "FS", until the peer goes.
void serveIndex(int listener, QByteArray index)
{
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0)
        return;
    bool announced = false;
    char buffer[65536];
    QByteArray input;
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        input.append(buffer, int(got));
        int pos = 0;
        QByteArray payload;
        while (PCLinkProtocol::takeFrame(input, pos, payload) == PCLinkProtocol::Frame) {
            QByteArray reply;
            PCLinkProtocol::Message request;
            if (payload.startsWith('R') && !announced && PCLinkProtocol::parse(payload, request)) {
                announced = true;
                // a device echoes the local path it was asked for
                reply = PCLinkProtocol::announce(QStringLiteral("/device/ymrOutlaysIDX_EXT"), index.size(),
                                                 request.second);
            } else if (payload.startsWith('R')) {
                reply = PCLinkProtocol::cannotSend();
            } else if (payload.startsWith("AOK")) {
                sendAll(fd, index.constData(), size_t(index.size()));
                index.clear();
                continue;
            }
            sendAll(fd, reply.constData(), size_t(reply.size()));
        }
        input.remove(0, pos);
    }
    ::close(fd);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("QPE_HOME", home.path().toLocal8Bit());
    YMRApplication app("ymrOutlays", argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 4000000;
    const int recordBytes = argc > 2 ? std::max(4, std::atoi(argv[2])) : 4;

    QByteArray index = "FOLDER\nEND\n";
    const bool marked = argc > 3 && std::strcmp(argv[3], "marked") == 0;
    const QByteArray one = recordBytes > 4 ? "T=" + QByteArray(recordBytes - 7, 'x') + "\nEND\n" : "END\n";
    index.reserve(index.size() + records * (one.size() + (marked ? 32 : 0)));
    for (int i = 0; i < records; ++i) {
        if (marked)
            index += "I=" + QByteArray::number(i) + "\nPROP=transfer=1\n";
        index += one;
    }

    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&addr), len) != 0 || ::listen(listener, 1) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        qFatal("no port");
    PCLinkServer::setPort(ntohs(addr.sin_port));
    std::thread device(serveIndex, listener, index);
    const qint64 indexSize = index.size();
    index = QByteArray();

    DBManager local;
    TransferData dialog(false, &local, QString());
    dialog.addr->setText(QStringLiteral("127.0.0.1"));

    // the longest gap between two ticks of a 2 ms timer: the loop held up
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer tick;
    tick.setInterval(2);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        // a message box is answered at once: its own loop still ticks
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (modal != &dialog && modal->inherits("YMRDialog"))
                modal->close();
        }
    });
    const long base = residentKiB();
    QElapsedTimer took;
    QTimer::singleShot(0, [&] {
        last = clock.elapsed();
        tick.start();
        took.start();
        dialog.doConnect();
        // what ran after the loop's last turn
        longest = std::max(longest, clock.elapsed() - last);
        tick.stop();
        app.quit();
    });
    app.exec();
    device.join();
    ::close(listener);
    std::printf("index %lld bytes, %d records of %d bytes\n", indexSize, records, recordBytes);
    std::printf("Connect took %.1f ms; longest stall of the event loop %lld ms\n", took.nsecsElapsed() / 1e6,
                longest);
    std::printf("list: %d rows; device index %s with %d books\n", dialog.list->childCount(),
                dialog.deviceIndexStore() ? "kept" : "refused",
                dialog.deviceIndexStore() ? dialog.deviceIndexStore()->count() : 0);
    std::printf("resident before %ld KiB, peak (VmHWM) %ld KiB\n", base, bench::peakKiB());
    return 0;
}
