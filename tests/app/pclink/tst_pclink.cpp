// Two links over loopback, each with its own folders, and scripted raw
// peers that check the bytes on the wire.
#include "ymrtest.h"

#include "pclink.h"
#include "pclinkprotocol.h"
#include "pclinkserver.h"
#include "pclinktestutil.h"
#include "fifoguard.h"
#include "filebytes.h"
#include "programrun.h"
#include "refusedsyncs.h"
#include "senddatadialogserver.h"
#include "tempfiles.h"
#include "lockholder.h"

#include "pim/bookfile.h"
#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/dbmanager.h"
#include "pim/movejournal.h"
#include "pim/pimrecordarray.h"
#include "pim/pimtextreader.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/alarmserver.h"
#include "qpe/boundedfile.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"
#include "qt/ymrapplication.h"

#include <QProcess>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <climits>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace pclinktest;

// One side's application, data and documents folders.
struct Home
{
    QTemporaryDir root;
    QString app() const { return root.path() + "/app"; }
    QString data() const { return root.path() + "/data"; }
    QString docs() const { return root.path() + "/docs"; }
    Home()
    {
        QDir().mkpath(app());
        QDir().mkpath(data());
        QDir().mkpath(docs());
    }
    void apply(PCLink *link) const { link->setDirectories(app(), data(), docs()); }
};

QByteArray pattern(int size, int seed = 1)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 31 + seed * 7 + i / 251) & 0xff);
    return b;
}

// A record file (a book, the category file, a book list) of exactly size
// bytes, as a receiver takes one: nothing, or the header and whole records
// whose texts follow the pattern.
QByteArray bookPattern(int size, int seed = 1)
{
    if (size == 0)
        return QByteArray();
    const QByteArray letters = pattern(size, seed);
    QByteArray b("FOLDER\nEND\n");
    // "T=", the letters, "\nEND", a line break between records: the last
    // record's letters fill the rest
    for (int i = 0;;) {
        const int rest = size - b.size() - 6;
        const int count = rest > 60 + 7 ? 60 : qMax(rest, 0);
        b += "T=";
        for (int k = 0; k < count; ++k, ++i)
            b += char('a' + uchar(letters.at(i % letters.size())) % 26);
        b += "\nEND";
        if (b.size() >= size)
            break;
        b += '\n';
    }
    b.truncate(size);
    return b;
}

// A small book of one expense of that type.
QByteArray book(const QByteArray &type)
{
    return "FOLDER\nEND\nT=" + type + "\nEND\n";
}

// What a file of that name holds in a test: a record file for a book or the
// category file, text (as its reader takes only UTF-8) for a list.
QByteArray contentFor(const QString &name, int size, int seed = 1)
{
    QByteArray bytes = name.endsWith(".exp") || name.endsWith("ymrCategory") ? bookPattern(size, seed)
                                                                            : pattern(size, seed);
    if (name.startsWith("[D]")) {
        for (char &c : bytes)
            c = char('a' + uchar(c) % 26);
    }
    return bytes;
}

// Every signal of a link as "name" or "name:argument".
class Recorder : public QObject
{
public:
    QStringList events;
    explicit Recorder(PCLink *link)
    {
        connect(link, &PCLink::sendingFile, this, [this](const QString &p) { events << "sendingFile:" + p; });
        connect(link, &PCLink::sendingFileFinished, this, [this] { events << "sendingFileFinished"; });
        connect(link, &PCLink::sendingFileFailed, this, [this] { events << "sendingFileFailed"; });
        connect(link, &PCLink::receiveFile, this, [this](const QString &p) { events << "receiveFile:" + p; });
        connect(link, &PCLink::receiveFileFinished, this,
                [this](const QString &p) { events << "receiveFileFinished:" + p; });
        connect(link, &PCLink::receiveFileFailed, this, [this] { events << "receiveFileFailed"; });
        connect(link, &PCLink::connectionClosed, this, [this] { events << "connectionClosed"; });
        connect(link, &PCLink::error, this, [this](int) { events << "error"; });
        connect(link, &PCLink::progress, this, [this](int done, int total) {
            lastDone = done;
            lastTotal = total;
            ++progressCount;
        });
    }
    bool ended() const
    {
        return !events.isEmpty()
               && (events.last().startsWith("sendingFileFinished") || events.last().startsWith("sendingFileFailed")
                   || events.last().startsWith("receiveFileFinished")
                   || events.last().startsWith("receiveFileFailed"));
    }
    int lastDone = -1;
    int lastTotal = -1;
    int progressCount = 0;
};

// A connecting link and the link that answers it.
struct Pair
{
    Home clientHome;
    Home deviceHome;
    PCLinkServer server{nullptr, 0};
    PCLink client;
    QScopedPointer<PCLink> device;

    bool open()
    {
        clientHome.apply(&client);
        QSignalSpy accepted(&server, &PCLinkServer::connected);
        client.connectToHost("127.0.0.1", server.serverPort());
        if (!accepted.wait(5000) && accepted.isEmpty())
            return false;
        device.reset(new PCLink);
        deviceHome.apply(device.data());
        if (!device->setSocket(accepted.first().first().toInt()))
            return false;
        return QTest::qWaitFor([this] { return client.isConnected(); }, 5000);
    }
};

// A raw socket connected to a fresh answering link.
struct RawClient
{
    Home home;
    PCLinkServer server{nullptr, 0};
    QTcpSocket raw;
    QScopedPointer<PCLink> device;

    bool open()
    {
        QSignalSpy accepted(&server, &PCLinkServer::connected);
        raw.connectToHost("127.0.0.1", server.serverPort());
        if (!raw.waitForConnected(5000) || (!accepted.wait(5000) && accepted.isEmpty()))
            return false;
        device.reset(new PCLink);
        home.apply(device.data());
        return device->setSocket(accepted.first().first().toInt());
    }
    void send(const QByteArray &bytes)
    {
        raw.write(bytes);
        raw.flush();
    }
};

// A raw listening peer for a connecting link.
struct RawServer
{
    Home home;
    QTcpServer server;
    PCLink client;
    QTcpSocket *raw = nullptr;

    bool open()
    {
        home.apply(&client);
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        client.connectToHost("127.0.0.1", server.serverPort());
        if (!QTest::qWaitFor([this] { return server.hasPendingConnections() && client.isConnected(); }, 5000))
            return false;
        raw = server.nextPendingConnection();
        return raw != nullptr;
    }
    void send(const QByteArray &bytes)
    {
        raw->write(bytes);
        raw->flush();
    }
};

// A raw peer of either side: of the waiting side's link (device), or of
// the connecting side's.
struct EitherSide
{
    explicit EitherSide(bool device) : device(device) {}
    bool device;
    RawClient c;
    RawServer s;

    bool open() { return device ? c.open() : s.open(); }
    const Home &home() const { return device ? c.home : s.home; }
    PCLink *link() { return device ? c.device.data() : &s.client; }
    QTcpSocket *raw() { return device ? &c.raw : s.raw; }
};

// A field as the bytes given, whatever they are.
QByteArray rawField(const QByteArray &bytes)
{
    return QByteArray::number(bytes.size()) + ' ' + bytes;
}

// Waits for exactly n bytes; more bytes than that fail the comparison.
QByteArray readExactly(QTcpSocket *socket, int n)
{
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.size() < n && t.elapsed() < 10000) {
        if (!socket->bytesAvailable())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        got += socket->read(n - got.size());
    }
    return got;
}

// The device of newBookNotOnDiskIsNotReceived on this test's home: its
// server dialog, and how it tells each file's end, written out. A line on
// its input makes the system refuse folder syncs; its input's end ends it.
int deviceMain(int, char **)
{
    DBManager index;
    index.load();
    PCLinkServer::setPort(0);
    SendDataDialogServer dialog(&index);
    std::printf("listening %d\n", int(dialog.server()->serverPort()));
    std::fflush(stdout);
    QString said;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        const QString now = dialog.upperText() + '|' + dialog.lowerText();
        if (now != said && now.contains("Receive F")) {
            std::printf("%s\n", QString(now).replace('\n', '|').toUtf8().constData());
            std::fflush(stdout);
        }
        said = now;
    });
    poll.start(5);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &dialog, [&dialog] {
        char line[64];
        const ssize_t n = ::read(0, line, sizeof line);
        if (n <= 0) {
            dialog.reject();
            return;
        }
        if (n >= 4 && qstrncmp(line, "kill", 4) == 0) {
            // killed as the next file in the program's folder is begun
            FileReplacer::setCreatedHook([](int fd) {
                const QString file = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
                if (QFileInfo(file).path() == QFileInfo(QFileInfo(appFile(QStringLiteral("x"))).path()).canonicalFilePath())
                    ::raise(SIGKILL);
            });
            std::printf("killing\n");
            std::fflush(stdout);
            return;
        }
        std::printf("%s\n", ymrtest::refuseFolderSyncs() ? "refusing" : "cannot refuse");
        std::fflush(stdout);
    });
    dialog.exec();
    return 0;
}


// A device run by a child of this test, and a connection to its port; the
// child is ended with the test.
struct DeviceChild
{
    QProcess process;
    QTcpSocket raw;

    DeviceChild()
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        ymrtest::startChild(process, {"--device"});
    }
    ~DeviceChild()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(20000))
            process.kill();
    }
    QByteArray nextLine()
    {
        while (!process.canReadLine() && process.waitForReadyRead(20000)) {
        }
        return process.readLine().trimmed();
    }
    bool connect()
    {
        const QByteArray line = nextLine();
        if (!line.startsWith("listening ")) {
            qWarning("the device said %s", line.constData());
            return false;
        }
        raw.connectToHost("127.0.0.1", quint16(line.mid(10).toUInt()));
        return raw.waitForConnected(5000);
    }
};
} // namespace

class TestPCLink : public QObject
{
    Q_OBJECT

private slots:
    void wireExamples();
    void sendFiles_data();
    void sendFiles();
    void getFiles_data();
    void getFiles();
    void missingFiles();
    void refusedRequests_data();
    void refusedRequests();
    void refusedAnnounces_data();
    void refusedAnnounces();
    void bookOpenInAnotherProgramIsRefused();
    void appNamesFollowTheBookRules_data();
    void appNamesFollowTheBookRules();
    void splitAndCoalesced();
    void exactBytesOfRequest();
    void exactBytesOfSend();
    void senderKeepsAnnouncedSize();
    void malformedOrOutOfState_data();
    void malformedOrOutOfState();
    void clientTakesOnlyAnswers_data();
    void clientTakesOnlyAnswers();
    void oneFileAtATime_data();
    void oneFileAtATime();
    void interruptedReceiveKeepsOldFile();
    void interruptedGetKeepsOldFile();
    void failedWriteKeepsOldFile();
    void hostileMessages_data();
    void hostileMessages();
    void linkAtNewFileIsNotFollowed();
    void ownFilesThroughTheirOwner_data();
    void ownFilesThroughTheirOwner();
    void stalledTransferEnds_data();
    void stalledTransferEnds();
    void sharedCategoriesSavedAndReloaded();
    void serverBusyPort();
    void filesAtTheirLimits_data();
    void filesAtTheirLimits();
    void newBookNotOnDiskIsNotReceived();
    void newBookKilledBeforeItsListIsListedNext();
};

void TestPCLink::wireExamples()
{
    QCOMPARE(PCLinkProtocol::request("[D]types", "[D]types"), QByteArray("21 R8 [D]types8 [D]types"));
    QCOMPARE(PCLinkProtocol::announce("/mnt/card/Trip.exp", 2048, "[A]Trip.exp"),
             QByteArray("42 I18 /mnt/card/Trip.exp4 204811 [A]Trip.exp"));
    QCOMPARE(PCLinkProtocol::answer(true), QByteArray("3 AOK"));
    QCOMPARE(PCLinkProtocol::answer(false), QByteArray("7 ACANCEL"));
    QCOMPARE(PCLinkProtocol::cannotSend(), QByteArray("2 FS"));
    PCLink link;
    link.setDirectories("/x/app", "/x/data");
    QCOMPARE(link.resolvePath("[D]types"), QString("/x/data/types"));
    QCOMPARE(link.resolvePath("[A]ymrCategory"), QString("/x/app/ymrCategory"));
    QCOMPARE(link.resolvePath("/mnt/card/Trip.exp"), QString("/mnt/card/Trip.exp"));
    PCLink plain;
    QCOMPARE(plain.resolvePath("[D]types"), Global::applicationFileName("ymrOutlaysData", "types"));
    QCOMPARE(plain.resolvePath("[A]Trip.exp"), Global::applicationFileName("ymrOutlays", "Trip.exp"));
}

// name of the remote path; size; whether an old file stands there
void TestPCLink::sendFiles_data()
{
    QTest::addColumn<QString>("remote");
    QTest::addColumn<int>("size");
    QTest::newRow("multi-block book") << "[A]Trip.exp" << 3 * 51200 + 123;
    QTest::newRow("one exact block") << "[A]Block.exp" << 51200;
    QTest::newRow("empty value list") << "[D]cities" << 0;
    QTest::newRow("category file") << "[A]ymrCategory" << 300;
    QTest::newRow("value list") << "[D]types" << 40;
    QTest::newRow("currency list") << "[D]currencies_en" << 40;
    QTest::newRow("UTF-8 name") << QString::fromUtf8("[A]Reise Zürich 東京.exp") << 5000;
    QTest::newRow("absolute book") << "<device>/card/Trip.exp" << 70000;
    // its reminder rings from its arrival on
    QTest::newRow("book with a reminder") << "[A]Remind.exp" << -1;
}

void TestPCLink::sendFiles()
{
    QFETCH(QString, remote);
    QFETCH(int, size);
    Pair p;
    QVERIFY(p.open());
    remote.replace("<device>", p.deviceHome.root.path());
    QDir().mkpath(p.deviceHome.root.path() + "/card");
    const QString target = p.device->resolvePath(remote);
    writeFile(target, "old contents");
    p.device->setBookPaths({target});
    const QString source = p.clientHome.app() + QString::fromUtf8("/Quelle äö.exp");
    const QByteArray uid = "3b9f3c52-8d0e-4b7a-9f61-2c4e0d6a1b57";
    const QByteArray bytes = size >= 0 ? contentFor(remote, size)
                                       : "FOLDER\nEND\nTYPE=Rent\nREMINDER\nDATETIME=1 1 2099 9 0 0\n"
                                         "REMINDER_END\nUID=" + uid + "\nEND\n";
    writeFile(source, bytes);
    const auto alarms = [uid] {
        int n = 0;
        for (const AlarmServer::Alarm &a : AlarmServer::instance()->pending())
            n += a.message == "alarm(QDateTime,int)" + uid;
        return n;
    };
    QCOMPARE(alarms(), 0);

    Recorder sent(&p.client), got(p.device.data());
    p.client.sendFile(source, remote);
    QTRY_VERIFY_WITH_TIMEOUT(sent.ended() && got.ended(), 10000);
    QCOMPARE(sent.events, QStringList({"sendingFile:" + source, "sendingFileFinished"}));
    QCOMPARE(got.events, QStringList({"receiveFile:" + target, "receiveFileFinished:" + target}));
    // the owner writes an empty list as one line break: 0 bytes read as a torn write
    QCOMPARE(readFile(target), bytes.isEmpty() ? QByteArray("\n") : bytes);
    QVERIFY(tempFilesIn(QFileInfo(target).path()).isEmpty());
    QCOMPARE(p.client.transferState(), 0);
    QCOMPARE(p.device->transferState(), 0);
    QCOMPARE(alarms(), size < 0 ? 1 : 0);
    if (size > 0) {
        QCOMPARE(got.lastDone, size);
        QCOMPARE(got.lastTotal, size);
        QCOMPARE(sent.lastDone, size);
        QVERIFY(sent.progressCount >= (size + 51199) / 51200);
    }
}

void TestPCLink::getFiles_data()
{
    QTest::addColumn<QString>("remote");
    QTest::addColumn<int>("size");
    QTest::newRow("multi-block book") << "<device>/Trip.exp" << 2 * 51200 + 7;
    QTest::newRow("book by prefix") << "[A]Trip.exp" << 100;
    QTest::newRow("category file") << "[A]ymrCategory" << 500;
    QTest::newRow("index export") << "[A]ymrOutlaysIDX_EXT" << 500;
    QTest::newRow("value list") << "[D]accounts" << 60;
    QTest::newRow("UTF-8 book") << QString::fromUtf8("<device>/Ünïcødé 本.exp") << 51201;
}

void TestPCLink::getFiles()
{
    QFETCH(QString, remote);
    QFETCH(int, size);
    Pair p;
    QVERIFY(p.open());
    remote.replace("<device>", p.deviceHome.app());
    const QString source = p.device->resolvePath(remote);
    // it lands in a book
    const QByteArray bytes = bookPattern(size, 3);
    writeFile(source, bytes);
    p.device->setBookPaths({source});
    const QString local = p.clientHome.app() + QString::fromUtf8("/local é.exp");
    writeFile(local, "old");

    Recorder asked(&p.client), served(p.device.data());
    p.client.requestFile(remote, local);
    QTRY_VERIFY_WITH_TIMEOUT(asked.ended() && served.ended(), 10000);
    QCOMPARE(asked.events, QStringList({"receiveFile:" + local, "receiveFileFinished:" + local}));
    QCOMPARE(served.events, QStringList({"sendingFile:" + source, "sendingFileFinished"}));
    QCOMPARE(readFile(local), bytes);
    QCOMPARE(p.client.transferState(), 0);
    QCOMPARE(p.device->transferState(), 0);
}

void TestPCLink::missingFiles()
{
    Pair p;
    QVERIFY(p.open());
    const QString book = p.deviceHome.app() + "/Gone.exp";
    p.device->setBookPaths({book});
    Recorder client(&p.client), device(p.device.data());

    // an indexed book that is not there
    p.client.requestFile(book, p.clientHome.app() + "/Gone.exp");
    QTRY_COMPARE(client.events, QStringList{"receiveFileFailed"});
    QCOMPARE(device.events, QStringList{"sendingFileFailed"});
    QCOMPARE(p.client.transferState(), 0);
    QVERIFY(!QFile::exists(p.clientHome.app() + "/Gone.exp"));

    // a list the user never edited is the installed one
    client.events.clear();
    const QString local = p.clientHome.data() + "/types";
    p.client.requestFile("[D]types", local);
    QTRY_VERIFY(client.ended());
    QCOMPARE(client.events.last(), "receiveFileFinished:" + local);
    QCOMPARE(readFile(local), readFile(YMRPIM::defaultListPath("types")));

    // a local file to send that is missing: the peer hears "FS"
    client.events.clear();
    device.events.clear();
    p.client.sendFile(p.clientHome.app() + "/none.exp", "[A]none.exp");
    QCOMPARE(client.events, QStringList{"sendingFileFailed"});
    QTRY_COMPARE(device.events, QStringList{"receiveFileFailed"});
    QVERIFY(p.client.isConnected());
    QCOMPARE(p.device->transferState(), 0);
}

void TestPCLink::refusedRequests_data()
{
    QTest::addColumn<QString>("remote");
    QTest::newRow("system file") << "/etc/passwd";
    QTest::newRow("unindexed book") << "<device>/Other.exp";
    QTest::newRow("dot-dot book") << "<device>/sub/../Trip.exp";
    QTest::newRow("escape by prefix") << "[A]../../Trip.exp";
    QTest::newRow("list escape") << "[D]../app/Trip.exp";
    QTest::newRow("unknown list") << "[D]secrets";
    QTest::newRow("main index") << "[A]ymrOutlaysIDX";
    QTest::newRow("other prefix") << "[X]ymrCategory";
    QTest::newRow("short") << "ab";
    QTest::newRow("empty") << "";
    QTest::newRow("relative") << "Trip.exp";
}

void TestPCLink::refusedRequests()
{
    QFETCH(QString, remote);
    Pair p;
    QVERIFY(p.open());
    remote.replace("<device>", p.deviceHome.app());
    writeFile(p.deviceHome.app() + "/Trip.exp", book("book"));
    writeFile(p.deviceHome.app() + "/Other.exp", book("other"));
    writeFile(p.deviceHome.app() + "/ymrOutlaysIDX", "index");
    writeFile(p.deviceHome.data() + "/secrets", "secret");
    p.device->setBookPaths({p.deviceHome.app() + "/Trip.exp"});
    QVERIFY(!p.device->mayServe(remote));

    Recorder client(&p.client);
    const QString local = p.clientHome.app() + "/got.exp";
    p.client.requestFile(remote, local);
    QTRY_COMPARE(client.events, QStringList{"receiveFileFailed"});
    QVERIFY(!QFile::exists(local));
    // a refusal keeps the connection for the next file
    QVERIFY(p.client.isConnected());
    p.client.requestFile(p.deviceHome.app() + "/Trip.exp", local);
    QTRY_VERIFY(client.events.size() == 3);
    QCOMPARE(readFile(local), book("book"));
}

void TestPCLink::refusedAnnounces_data()
{
    QTest::addColumn<QString>("remote");
    QTest::newRow("system file") << "/etc/ymr-test.conf";
    QTest::newRow("index export") << "[A]ymrOutlaysIDX_EXT";
    QTest::newRow("main index") << "[A]ymrOutlaysIDX";
    QTest::newRow("escape by prefix") << "[A]../Trip.exp";
    QTest::newRow("sub-folder by prefix") << "[A]sub/Trip.exp";
    QTest::newRow("dot-dot book") << "<device>/app/../Trip.exp";
    QTest::newRow("list escape") << "[D]../types";
    QTest::newRow("unknown list") << "[D]secrets";
    QTest::newRow("other prefix") << "[Q]Trip.exp";
    QTest::newRow("bare suffix") << "[A].exp";
    QTest::newRow("relative") << "Trip.exp";
    QTest::newRow("missing folder") << "<device>/nowhere/Trip.exp";
}

void TestPCLink::refusedAnnounces()
{
    QFETCH(QString, remote);
    Pair p;
    QVERIFY(p.open());
    remote.replace("<device>", p.deviceHome.root.path());
    const QString source = p.clientHome.app() + "/Trip.exp";
    writeFile(source, book("new"));
    const QStringList before = QDir(p.deviceHome.root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    Recorder client(&p.client), device(p.device.data());
    p.client.sendFile(source, remote);
    QTRY_COMPARE(client.events, QStringList{"sendingFileFailed"});
    QTRY_COMPARE(device.events, QStringList{"receiveFileFailed"});
    QCOMPARE(p.client.transferState(), 0);
    QCOMPARE(QDir(p.deviceHome.root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(p.deviceHome.app()).entryList(QDir::Files).isEmpty());
    QVERIFY(!QFile::exists("/etc/ymr-test.conf"));
    QVERIFY(p.client.isConnected());
}

// A book another copy of the program holds open is refused as a refused
// path is; once that copy is gone (killed, its lock stale) it is replaced.
void TestPCLink::bookOpenInAnotherProgramIsRefused()
{
    Pair p;
    QVERIFY(p.open());
    const QString target = p.device->resolvePath("[A]Trip.exp");
    writeFile(target, book("old"));
    p.device->setBookPaths({target});
    const QString source = p.clientHome.app() + "/Trip.exp";
    writeFile(source, book("new"));
    const pid_t holder = holdLockInChild(BookFile::lockFileName(target));
    QVERIFY(holder > 0);

    Recorder client(&p.client), device(p.device.data());
    p.client.sendFile(source, "[A]Trip.exp");
    QTRY_COMPARE(client.events, QStringList{"sendingFileFailed"});
    QTRY_COMPARE(device.events, QStringList{"receiveFileFailed"});
    QCOMPARE(readFile(target), book("old"));
    QVERIFY(tempFilesIn(QFileInfo(target).path()).isEmpty());
    QVERIFY(p.client.isConnected());

    killLockHolder(holder);
    client.events.clear();
    device.events.clear();
    // a FIFO planted at the lock's name is no lock, and never waited on
    const QByteArray lock = QFile::encodeName(BookFile::lockFileName(target));
    QVERIFY(QFile::remove(BookFile::lockFileName(target)));
    QCOMPARE(::mkfifo(lock.constData(), 0644), 0);
    ymrtest::FifoGuard guard(lock);
    p.client.sendFile(source, "[A]Trip.exp");
    QTRY_VERIFY_WITH_TIMEOUT(client.ended() && device.ended(), 10000);
    QVERIFY(!guard.released());
    QCOMPARE(device.events.last(), "receiveFileFinished:" + target);
    QCOMPARE(readFile(target), book("new"));
}

// "[A]" names pass the rules of absolute ones: a listed book is replaced
// through its owner (its stamp, a damaged one kept; its lock:
// bookOpenInAnotherProgramIsRefused), a new name is made only where nothing is. "meanwhile" rows change the file between
// the answer and the data. A refused peer goes on with its next file; one
// whose file could not be put in place is cut. Nothing else changes. "deep":
// a path of the longest the system takes, or a byte longer.
void TestPCLink::appNamesFollowTheBookRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<bool>("placed");
    QTest::newRow("unlisted file") << "notes.exp" << "unlisted" << false << false;
    QTest::newRow("link to outside") << "link2.exp" << "link" << false << false;
    QTest::newRow("over-long name") << QString(300, 'x') + ".exp" << "" << false << false;
    QTest::newRow("name of the longest") << QString(NAME_MAX - 4, 'x') + ".exp" << "" << true << true;
    QTest::newRow("name a byte longer") << QString(NAME_MAX - 3, 'x') + ".exp" << "" << false << false;
    QTest::newRow("path of the longest") << "" << "deep" << true << true;
    QTest::newRow("path a byte longer") << "" << "deep, a byte over" << false << false;
    QTest::newRow("new name") << "New.exp" << "" << true << true;
    QTest::newRow("listed book") << "Trip.exp" << "listed" << true << true;
    QTest::newRow("listed damaged book") << "Trip.exp" << "listed damaged" << true << true;
    QTest::newRow("listed book changed meanwhile") << "Trip.exp" << "listed meanwhile" << true << false;
    QTest::newRow("new name taken meanwhile") << "New.exp" << "meanwhile" << true << false;
}

void TestPCLink::appNamesFollowTheBookRules()
{
    QFETCH(QString, name);
    QFETCH(QString, setup);
    QFETCH(bool, answered);
    QFETCH(bool, placed);
    RawClient c;
    QVERIFY(c.open());
    QString folder = c.home.app();
    if (setup.startsWith("deep")) {
        // folders of 200 bytes down to where a name of 20 to 220 bytes ends the path
        while (QFile::encodeName(folder).size() < PATH_MAX - 1 - 221)
            folder += "/" + QString(199, 'f');
        QVERIFY(QDir().mkpath(folder));
        c.device->setDirectories(folder, c.home.data(), c.home.docs());
        const int bytes = PATH_MAX - 1 - int(QFile::encodeName(folder).size()) - 1 + setup.contains("over");
        name = QString(bytes - 4, 'n') + ".exp";
    }
    const QString root = c.home.root.path(), path = folder + "/" + name;
    const QByteArray incoming = book("new"), damaged = "FOLDER\nTOTAL=2\nEND\nT=old\nEND\n";
    if (setup == "unlisted")
        writeFile(path, "the user's notes");
    if (setup == "link") {
        writeFile(root + "/outside", "precious");
        QVERIFY(QFile::link(root + "/outside", path));
    }
    if (setup.startsWith("listed")) {
        writeFile(path, setup.contains("damaged") ? damaged : book("old"));
        c.device->setBookPaths({path});
    }
    QMap<QString, QByteArray> expected = listTree(root);

    Recorder device(c.device.data());
    c.send(PCLinkProtocol::announce("/x/" + name, incoming.size(), "[A]" + name));
    QCOMPARE(readExactly(&c.raw, answered ? 5 : 9), PCLinkProtocol::answer(answered));
    if (setup.contains("meanwhile")) {
        writeFile(path, book("theirs"));
        expected[path] = book("theirs");
    }
    if (answered)
        c.send(incoming);
    QTRY_VERIFY(device.ended() || device.events.contains("receiveFileFailed"));
    if (placed)
        expected[path] = incoming;
    if (setup.contains("damaged"))
        expected[path + ".damaged"] = damaged;
    QCOMPARE(listTree(root), expected);
    if (answered) {
        QTRY_COMPARE(c.device->isConnected(), placed);
        return;
    }
    // the next file of a refused peer
    c.send(PCLinkProtocol::announce("/x/Next.exp", incoming.size(), "[A]Next.exp") + incoming);
    QCOMPARE(readExactly(&c.raw, 5), PCLinkProtocol::answer(true));
    QTRY_COMPARE(readFile(folder + "/Next.exp"), incoming);
}

// The same input to an answering link cut in two at every byte: an
// announce, its data, and a request right behind the data.
void TestPCLink::splitAndCoalesced()
{
    QByteArray stream = PCLinkProtocol::announce("/x/a.exp", book("a").size(), "[A]a.exp") + book("a")
                        + PCLinkProtocol::request("[D]types", "[D]types");
    for (int cut = 0; cut <= stream.size(); ++cut) {
        RawClient c;
        QVERIFY(c.open());
        writeFile(c.home.data() + "/types", "Food\nDrinks");
        c.send(stream.left(cut));
        QTRY_COMPARE(c.device->receivedBytes(), qint64(cut));
        c.send(stream.mid(cut));
        const QString types = c.home.data() + "/types";
        const QByteArray expected = PCLinkProtocol::answer(true) + PCLinkProtocol::announce(types, 11, "[D]types");
        QCOMPARE(readExactly(&c.raw, expected.size()), expected);
        QCOMPARE(readFile(c.home.app() + "/a.exp"), book("a"));
        c.send("3 A");
        QTRY_COMPARE(c.device->receivedBytes(), qint64(stream.size() + 3));
        c.send("OK");
        QCOMPARE(readExactly(&c.raw, 11), QByteArray("Food\nDrinks"));
        QTRY_COMPARE(c.device->transferState(), 0);
        QVERIFY(c.raw.state() == QAbstractSocket::ConnectedState);
    }
}

void TestPCLink::exactBytesOfRequest()
{
    RawServer s;
    QVERIFY(s.open());
    Recorder client(&s.client);
    s.client.requestFile("[D]types", "[D]types");
    QCOMPARE(readExactly(s.raw, 24), QByteArray("21 R8 [D]types8 [D]types"));
    QCOMPARE(s.client.transferState(), 3);
    // the peer names another source: the file still goes where it was asked for
    s.send(PCLinkProtocol::announce("/dev/elsewhere.exp", 5, "[D]types"));
    QCOMPARE(readExactly(s.raw, 5), QByteArray("3 AOK"));
    QCOMPARE(s.client.transferState(), 2);
    s.send("hel");
    QTRY_COMPARE(client.lastDone, 3);
    s.send("lo");
    QTRY_VERIFY(client.ended());
    const QString local = s.home.data() + "/types";
    QCOMPARE(client.events, QStringList({"receiveFile:" + local, "receiveFileFinished:" + local}));
    QCOMPARE(readFile(local), QByteArray("hello"));
    QVERIFY(!QFile::exists(s.home.app() + "/elsewhere.exp"));
    QVERIFY(!s.raw->bytesAvailable());
}

void TestPCLink::exactBytesOfSend()
{
    RawServer s;
    QVERIFY(s.open());
    const QString path = s.home.app() + QString::fromUtf8("/Trip ü.exp");
    const QByteArray bytes = pattern(2048);
    writeFile(path, bytes);
    Recorder client(&s.client);
    s.client.sendFile(path, "[A]Trip.exp");
    const QByteArray payload = "I" + QByteArray::number(path.toUtf8().size()) + ' ' + path.toUtf8()
                               + "4 2048" + "11 [A]Trip.exp";
    const QByteArray announce = QByteArray::number(payload.size()) + ' ' + payload;
    QCOMPARE(readExactly(s.raw, announce.size()), announce);
    QCOMPARE(path.toUtf8().size(), path.size() + 1);
    s.send("3 AOK");
    QCOMPARE(readExactly(s.raw, 2048), bytes);
    QTRY_COMPARE(client.events, QStringList({"sendingFile:" + path, "sendingFileFinished"}));
    QCOMPARE(s.client.transferState(), 0);
    // a refusal of the next file
    s.client.sendFile(path, "[A]Trip.exp");
    QCOMPARE(readExactly(s.raw, announce.size()), announce);
    s.send("7 ACANCEL");
    QTRY_COMPARE(client.events.last(), QString("sendingFileFailed"));
    QCOMPARE(s.client.transferState(), 0);
    QVERIFY(!s.raw->bytesAvailable());
}

// A file that grows after its announce still sends the announced bytes; one
// that shrinks ends the connection instead of sending short.
void TestPCLink::senderKeepsAnnouncedSize()
{
    for (bool grow : {true, false}) {
        RawServer s;
        QVERIFY(s.open());
        const QString path = s.home.app() + "/Trip.exp";
        const QByteArray bytes = pattern(120000);
        writeFile(path, bytes);
        Recorder client(&s.client);
        s.client.sendFile(path, "[A]Trip.exp");
        const QByteArray announce = PCLinkProtocol::announce(path, bytes.size(), "[A]Trip.exp");
        QCOMPARE(readExactly(s.raw, announce.size()), announce);
        writeFile(path, grow ? bytes + "more" : bytes.left(1000));
        s.send("3 AOK");
        if (grow) {
            QCOMPARE(readExactly(s.raw, bytes.size()), bytes);
            QTRY_COMPARE(client.events.last(), QString("sendingFileFinished"));
            QVERIFY(!s.raw->waitForReadyRead(100));
        } else {
            QTRY_VERIFY(s.raw->state() != QAbstractSocket::ConnectedState || s.raw->bytesAvailable() == 1000);
            QTRY_COMPARE(client.events.value(1), QString("sendingFileFailed"));
            QTRY_VERIFY(!s.client.isConnected());
        }
    }
}

void TestPCLink::malformedOrOutOfState_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply"); // empty: the link closes
    QTest::newRow("answer while idle") << QByteArray("3 AOK") << QByteArray();
    QTest::newRow("not a length") << QByteArray("x3 AOK") << QByteArray();
    QTest::newRow("empty frame") << QByteArray("0 ") << QByteArray();
    QTest::newRow("frame over 64 KiB") << QByteArray("65537 I") << QByteArray();
    QTest::newRow("length without end") << QByteArray("12345678901") << QByteArray();
    QTest::newRow("unknown message") << QByteArray("3 XYZ") << QByteArray();
    QTest::newRow("bad answer") << QByteArray("3 ANO") << QByteArray();
    QTest::newRow("field longer than frame") << QByteArray("6 R9 abc") << QByteArray();
    QTest::newRow("field length not a number") << QByteArray("9 Rx [D]abc") << QByteArray();
    QTest::newRow("trailing bytes") << PCLinkProtocol::frame(PCLinkProtocol::request("[D]types", "x").mid(3) + "!")
                                    << QByteArray();
    QTest::newRow("negative size")
        << PCLinkProtocol::frame('I' + PCLinkProtocol::field("/a.exp") + PCLinkProtocol::field("-5")
                                 + PCLinkProtocol::field("[A]a.exp"))
        << QByteArray("7 ACANCEL");
    QTest::newRow("size not a number")
        << PCLinkProtocol::frame('I' + PCLinkProtocol::field("/a.exp") + PCLinkProtocol::field("12a")
                                 + PCLinkProtocol::field("[A]a.exp"))
        << QByteArray("7 ACANCEL");
    QTest::newRow("size over 2 GiB") << PCLinkProtocol::announce("/a.exp", 2147483648LL, "[A]a.exp")
                                     << QByteArray("7 ACANCEL");
    // each limit on the wire exactly, and a byte or a digit over it
    const QByteArray fs("2 FS"), cut, x = PCLinkProtocol::field("x");
    // a request for a path of n letters
    const auto path = [&x](int n) {
        return PCLinkProtocol::frame('R' + PCLinkProtocol::field("/" + QString(n, 'a')) + x);
    };
    QTest::newRow("frame of 64 KiB") << path(65525) << fs;
    QTest::newRow("frame of 64 KiB and a byte") << path(65526) << cut;
    const QByteArray request = PCLinkProtocol::request("[D]secrets", "x").mid(3);
    const QByteArray length = QByteArray::number(request.size()) + ' ' + request;
    QTest::newRow("length of ten digits") << "00000000" + length << fs;
    QTest::newRow("length of eleven digits") << "000000000" + length << cut;
    QTest::newRow("field length of ten digits") << PCLinkProtocol::frame("R0000000010 [D]secrets" + x) << fs;
    QTest::newRow("field length of eleven digits") << PCLinkProtocol::frame("R00000000010 [D]secrets" + x) << cut;
    const QByteArray source = PCLinkProtocol::field("/a.exp"), destination = PCLinkProtocol::field("[A]a.exp");
    QTest::newRow("size of ten digits") << PCLinkProtocol::frame('I' + source + "10 0000000011" + destination)
                                        << QByteArray("3 AOK");
    QTest::newRow("size of eleven digits") << PCLinkProtocol::frame('I' + source + "11 00000000011" + destination)
                                           << QByteArray("7 ACANCEL");
}

void TestPCLink::malformedOrOutOfState()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);
    RawClient c;
    QVERIFY(c.open());
    Recorder device(c.device.data());
    c.send(input);
    QTRY_COMPARE(c.device->receivedBytes(), qint64(input.size()));
    if (!reply.isEmpty())
        QCOMPARE(readExactly(&c.raw, reply.size()), reply);
    if (!reply.isEmpty()) {
        QVERIFY(c.device->isConnected());
        if (reply == "7 ACANCEL")
            QCOMPARE(device.events, QStringList{"receiveFileFailed"});
    } else {
        QTRY_VERIFY(!c.device->isConnected());
        QVERIFY(!c.raw.waitForReadyRead(50) || c.raw.bytesAvailable() == 0);
    }
    QVERIFY(QDir(c.home.app()).entryList(QDir::Files).isEmpty());
}

// The connecting side answers nothing and takes a file only after asking.
void TestPCLink::clientTakesOnlyAnswers_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("request") << QString() << PCLinkProtocol::request("[A]ymrCategory", "/tmp/x");
    QTest::newRow("unasked announce") << QString() << PCLinkProtocol::announce("/a.exp", 3, "[A]a.exp") + "abc";
    QTest::newRow("answer to a request") << "request" << QByteArray("3 AOK");
    // an answer to another request: out of step
    QTest::newRow("announce of another destination")
        << "request" << PCLinkProtocol::announce("/a.exp", 3, "/tmp/elsewhere.exp") + "abc";
    QTest::newRow("FS while nothing is asked") << QString() << PCLinkProtocol::cannotSend();
    QTest::newRow("announce to an announce") << "send" << PCLinkProtocol::announce("/a.exp", 3, "[A]a.exp");
    QTest::newRow("FS to an announce") << "send" << PCLinkProtocol::cannotSend();
    // the destination of the request before, or of none, answers no request
    QTest::newRow("announce naming the last request's file, to an announce")
        << "send after a request" << PCLinkProtocol::announce("/a.exp", 3, "[A]b.exp") + "abc";
    QTest::newRow("announce naming no file, to an announce")
        << "send" << PCLinkProtocol::announce("/a.exp", 3, "") + "abc";
}

void TestPCLink::clientTakesOnlyAnswers()
{
    QFETCH(QString, asked);
    QFETCH(QByteArray, input);
    RawServer s;
    QVERIFY(s.open());
    writeFile(s.home.app() + "/Trip.exp", "trip");
    Recorder client(&s.client);
    if (asked == "send after a request") {
        s.client.requestFile("[A]Trip.exp", "[A]b.exp");
        readExactly(s.raw, PCLinkProtocol::request("[A]Trip.exp", "[A]b.exp").size());
        s.send(PCLinkProtocol::announce("/Trip.exp", book("b").size(), "[A]b.exp") + book("b"));
        QCOMPARE(readExactly(s.raw, 5), QByteArray("3 AOK"));
        QTRY_VERIFY(client.ended());
        QCOMPARE(readFile(s.home.app() + "/b.exp"), book("b"));
        client.events.clear();
    }
    if (asked == "request")
        s.client.requestFile("[A]Trip.exp", "[A]a.exp");
    else if (asked.startsWith("send"))
        s.client.sendFile("[A]Trip.exp", "[A]Trip.exp");
    s.send(input);
    QTRY_VERIFY(!s.client.isConnected());
    QCOMPARE(client.events, QStringList{"connectionClosed"});
    QVERIFY(!QFile::exists(s.home.app() + "/a.exp"));
    if (asked == "send after a request")
        QCOMPARE(readFile(s.home.app() + "/b.exp"), book("b"));
    QCOMPARE(readFile(s.home.app() + "/Trip.exp"), QByteArray("trip"));
}

// The connecting side asks for a second file (a request or an announce)
// while the first is asked for, announced or moving: the connection ends,
// the second request never goes out, and nothing is written here.
void TestPCLink::oneFileAtATime_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<bool>("sendSecond");
    for (const char *first : {"requested", "announced", "receiving", "sending"}) {
        QTest::addRow("%s, then a request", first) << first << false;
        QTest::addRow("%s, then a send", first) << first << true;
    }
}

void TestPCLink::oneFileAtATime()
{
    QFETCH(QString, first);
    QFETCH(bool, sendSecond);
    RawServer s;
    QVERIFY(s.open());
    const QString mine = s.home.app() + "/Mine.exp", got = s.home.app() + "/Got.exp",
                  other = s.home.app() + "/Other.exp";
    // far more than the sockets hold while the peer reads nothing
    writeFile(mine, pattern(first == "sending" ? 32 * 1024 * 1024 : 100));
    writeFile(other, book("other"));
    const QMap<QString, QByteArray> before = listTree(s.home.root.path());
    Recorder client(&s.client);
    const bool asks = first == "requested" || first == "receiving";
    asks ? s.client.requestFile("[A]Got.exp", got) : s.client.sendFile(mine, "[A]Mine.exp");
    const QByteArray frame = asks ? PCLinkProtocol::request("[A]Got.exp", got)
                                  : PCLinkProtocol::announce(mine, QFileInfo(mine).size(), "[A]Mine.exp");
    QCOMPARE(readExactly(s.raw, frame.size()), frame);
    if (first == "receiving") {
        s.send(PCLinkProtocol::announce("/d/Got.exp", 100, got) + "FOLDER\n");
        QCOMPARE(readExactly(s.raw, 5), QByteArray("3 AOK"));
        QTRY_COMPARE(client.lastDone, 7);
    } else if (first == "sending") {
        s.send("3 AOK");
        QTRY_VERIFY(client.lastDone > 0);
    }
    QCOMPARE(s.client.transferState(), first == "receiving" ? 2 : first == "sending" ? 1 : 3);
    client.events.clear();
    const QByteArray second = sendSecond ? PCLinkProtocol::announce(other, book("other").size(), "[A]Other.exp")
                                         : PCLinkProtocol::request("[A]Any.exp", got);
    sendSecond ? s.client.sendFile(other, "[A]Other.exp") : s.client.requestFile("[A]Any.exp", got);
    QVERIFY(!s.client.isConnected());
    QCOMPARE(client.events, QStringList{"connectionClosed"});
    QByteArray after;
    while (s.raw->state() == QAbstractSocket::ConnectedState || s.raw->bytesAvailable()) {
        after += s.raw->readAll();
        if (s.raw->state() == QAbstractSocket::ConnectedState)
            s.raw->waitForReadyRead(100);
    }
    QVERIFY(!after.contains(second));
    QCOMPARE(listTree(s.home.root.path()), before);
}

void TestPCLink::interruptedReceiveKeepsOldFile()
{
    RawClient c;
    QVERIFY(c.open());
    const QString target = c.home.app() + "/Trip.exp";
    writeFile(target, "the old book");
    c.device->setBookPaths({target});
    Recorder device(c.device.data());
    c.send(PCLinkProtocol::announce("/x/Trip.exp", 100000, "[A]Trip.exp"));
    QCOMPARE(readExactly(&c.raw, 5), QByteArray("3 AOK"));
    c.send(bookPattern(60000));
    QTRY_COMPARE(device.lastDone, 60000);
    QCOMPARE(tempFilesIn(c.home.app()).size(), 1);
    c.raw.abort();
    QTRY_COMPARE(device.events.last(), QString("connectionClosed"));
    QCOMPARE(c.device->transferState(), 2);
    QCOMPARE(readFile(target), QByteArray("the old book"));
    QVERIFY(tempFilesIn(c.home.app()).isEmpty());

    // a second announce on a new connection then succeeds
    RawClient again;
    QVERIFY(again.open());
    again.send(PCLinkProtocol::announce("/x/Trip.exp", book("done").size(), "[A]Trip.exp") + book("done"));
    QCOMPARE(readExactly(&again.raw, 5), QByteArray("3 AOK"));
    const QString target2 = again.home.app() + "/Trip.exp";
    QTRY_COMPARE(readFile(target2), book("done"));
}

void TestPCLink::interruptedGetKeepsOldFile()
{
    RawServer s;
    QVERIFY(s.open());
    const QString local = s.home.app() + "/Trip.exp";
    writeFile(local, "kept");
    Recorder client(&s.client);
    s.client.requestFile("/x/Trip.exp", local);
    readExactly(s.raw, PCLinkProtocol::request("/x/Trip.exp", local).size());
    s.send(PCLinkProtocol::announce("/x/Trip.exp", 1000, local));
    QCOMPARE(readExactly(s.raw, 5), QByteArray("3 AOK"));
    s.send(pattern(10));
    QTRY_COMPARE(client.lastDone, 10);
    s.raw->abort();
    QTRY_COMPARE(client.events.last(), QString("connectionClosed"));
    // one report of the close, and the unfinished state for the dialog to read
    QCOMPARE(client.events.count("connectionClosed"), 1);
    QCOMPARE(client.events.count("error"), 0);
    QCOMPARE(s.client.transferState(), 2);
    QCOMPARE(readFile(local), QByteArray("kept"));
    QVERIFY(tempFilesIn(QFileInfo(local).path()).isEmpty());
}

// A disk that fills up: the old file stays. The answering side ends the
// connection at once, so that the sender learns the file was not taken; the
// connecting side reads the announced bytes on, so the next file arrives
// intact.
void TestPCLink::failedWriteKeepsOldFile()
{
    Pair p, q;
    QVERIFY(p.open());
    QVERIFY(q.open());
    const QString target = p.device->resolvePath("[A]Trip.exp");
    writeFile(target, "the old book");
    p.device->setBookPaths({target});
    const QString big = p.clientHome.app() + "/big.exp";
    writeFile(big, bookPattern(300000));
    Recorder device(p.device.data()), client(&p.client);
    // the same files for the connecting side to get
    const QString local = q.clientHome.app() + "/Trip.exp";
    writeFile(local, "the old book");
    writeFile(q.deviceHome.app() + "/big.exp", bookPattern(300000));
    writeFile(q.deviceHome.app() + "/small.exp", book("small"));
    q.device->setBookPaths({q.deviceHome.app() + "/big.exp", q.deviceHome.app() + "/small.exp"});
    Recorder getter(&q.client);

    struct rlimit before;
    getrlimit(RLIMIT_FSIZE, &before);
    const auto restore = qScopeGuard([before] { setrlimit(RLIMIT_FSIZE, &before); });
    struct rlimit limit = before;
    limit.rlim_cur = 100000;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    p.client.sendFile(big, "[A]Trip.exp");
    QTRY_VERIFY(client.events.contains("connectionClosed"));
    QCOMPARE(device.events, QStringList({"receiveFile:" + target, "receiveFileFailed", "connectionClosed"}));
    QCOMPARE(readFile(target), QByteArray("the old book"));
    QVERIFY(tempFilesIn(QFileInfo(target).path()).isEmpty());

    q.client.requestFile("[A]big.exp", local);
    QTRY_VERIFY(getter.ended());
    QCOMPARE(getter.events.last(), QString("receiveFileFailed"));
    setrlimit(RLIMIT_FSIZE, &before);
    getter.events.clear();
    q.client.requestFile("[A]small.exp", local);
    QTRY_VERIFY(getter.ended());
    QCOMPARE(getter.events.last(), "receiveFileFinished:" + local);
    QCOMPARE(readFile(local), book("small"));
}

// "<root>" is the device's root; its index holds books/Trip.exp, and a
// new file may take up to 200 bytes, a book that replaces one 100. Whether refused or accepted (and then cut
// off), every file stays as it was.
void TestPCLink::hostileMessages_data()
{
    QTest::addColumn<char>("kind");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QByteArray>("size");
    QTest::addColumn<QByteArray>("reply");
    const QByteArray refused = "7 ACANCEL", accepted = "3 AOK", nul(1, '\0');
    QTest::newRow("NUL in a destination") << 'I' << QByteArray("/x") << "<root>/books/.bashrc" + nul + ".exp"
                                          << QByteArray("100") << refused;
    for (const QByteArray &bad : {QByteArray("\x01"), QByteArray("\n"), QByteArray("\x7f"), QByteArray("\xc2\x85"),
                                  QByteArray("|"), QByteArray("\xff"), QByteArray("\xc0\x80")})
        QTest::addRow("%s in a destination", bad.toHex().constData())
            << 'I' << QByteArray("/x") << "[A]a" + bad + ".exp" << QByteArray("100") << refused;
    QTest::newRow("NUL in a source") << 'I' << "/x" + nul << QByteArray("[A]a.exp") << QByteArray("100") << refused;
    QTest::newRow("NUL in a served path") << 'R' << "<root>/books/Trip.exp" + nul << QByteArray("[A]a.exp")
                                          << QByteArray() << QByteArray("2 FS");
    QTest::newRow("control in the requester's path") << 'R' << QByteArray("<root>/books/Trip.exp")
                                                     << QByteArray("[A]\x01.exp") << QByteArray() << QByteArray("2 FS");
    QTest::newRow("exactly the free space") << 'I' << QByteArray("/x") << QByteArray("[A]a.exp")
                                            << QByteArray("200") << accepted;
    QTest::newRow("more than the free space") << 'I' << QByteArray("/x") << QByteArray("[A]a.exp")
                                              << QByteArray("201") << refused;
    QTest::newRow("a replacement over the free space") << 'I' << QByteArray("/x") << QByteArray("<root>/books/Trip.exp")
                                                       << QByteArray("101") << refused;
    const QList<QPair<const char *, bool>> books = {
        {"books/Trip.exp", true},     {"books/New.exp", true},     {"docs/New.exp", true},
        {"tobooks/New.exp", true},    {"books/script.exp", false}, {"elsewhere/New.exp", false},
        {"books/sub/New.exp", false}, {"books/out/New.exp", false}, {"books/Dangling.exp", false}};
    for (const auto &book : books)
        QTest::newRow(book.first) << 'I' << QByteArray("/x") << "<root>/" + QByteArray(book.first)
                                  << QByteArray("100") << (book.second ? accepted : refused);
}

void TestPCLink::hostileMessages()
{
    QFETCH(char, kind);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QByteArray, size);
    QFETCH(QByteArray, reply);
    // room for a book of 100 bytes that replaces one: it is copied once more
    PCLink::setFreeSpace([](const QString &) { return PCLink::freeSpaceMargin + 200; });
    const auto realFreeSpace = qScopeGuard([] { PCLink::setFreeSpace({}); });
    RawClient c;
    QVERIFY(c.open());
    const QString root = c.home.root.path();
    QDir().mkpath(root + "/books/sub");
    QDir().mkpath(root + "/elsewhere");
    writeFile(root + "/books/Trip.exp", "indexed book");
    writeFile(root + "/books/.bashrc", "the user's own");
    writeFile(root + "/books/script.exp", "#!/usr/bin/expect");
    QVERIFY(QFile::link(root + "/books", root + "/tobooks"));
    QVERIFY(QFile::link(root + "/elsewhere", root + "/books/out"));
    QVERIFY(QFile::link(root + "/elsewhere/none.exp", root + "/books/Dangling.exp"));
    c.device->setBookPaths({root + "/books/Trip.exp"});
    const QMap<QString, QByteArray> before = listTree(root);
    first.replace("<root>", QFile::encodeName(root));
    second.replace("<root>", QFile::encodeName(root));
    const QByteArray sizeField = size.isNull() ? QByteArray() : rawField(size);
    c.send(PCLinkProtocol::frame(kind + rawField(first) + sizeField + rawField(second)));
    QCOMPARE(readExactly(&c.raw, reply.size()), reply);
    c.raw.abort();
    QTRY_VERIFY(!c.device->isConnected());
    QCOMPARE(listTree(root), before);
}

// A link planted at "<book>.new" (the temporary name of an earlier
// version): the book is replaced, the link and the file it points at stay
// as they were.
void TestPCLink::linkAtNewFileIsNotFollowed()
{
    RawClient c;
    QVERIFY(c.open());
    const QString book = c.home.app() + "/Trip.exp", victim = c.home.root.path() + "/victim";
    writeFile(victim, "precious");
    QVERIFY(QFile::link(victim, book + ".new"));
    c.send(PCLinkProtocol::announce("/x/Trip.exp", ::book("new").size(), "[A]Trip.exp") + ::book("new"));
    QCOMPARE(readExactly(&c.raw, 5), QByteArray("3 AOK"));
    QTRY_COMPARE(readFile(book), ::book("new"));
    QCOMPARE(readFile(victim), QByteArray("precious"));
    QCOMPARE(QFile::symLinkTarget(book + ".new"), victim);
}

// On either side, a link out of the home at a list's or the category
// file's name, or (a list sent to that side) its folder held or the disk
// full. A link is set aside and said, what it names neither written nor
// sent (a list goes as the installed one, the category file not at all); a
// write refused or failed is told with why, never as received, and the
// waiting side ends the connection. "sent to": a peer's announce, or the
// answer to a request; "taken from": a peer's request, or a send.
void TestPCLink::ownFilesThroughTheirOwner_data()
{
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<bool>("sentTo");
    QTest::addColumn<QString>("there");
    for (const bool waiting : {true, false}) {
        const char *side = waiting ? "waiting" : "connecting";
        for (const char *remote : {"[D]accounts", "[A]ymrCategory"}) {
            for (const bool sentTo : {true, false})
                QTest::addRow("%s side, link at %s, %s", side, remote, sentTo ? "sent to it" : "taken from it")
                    << waiting << QString(remote) << sentTo << "link";
        }
        for (const char *there : {"held", "full"})
            QTest::addRow("%s side, list sent to it, %s", side, there) << waiting << "[D]accounts" << true << there;
    }
}

void TestPCLink::ownFilesThroughTheirOwner()
{
    QFETCH(bool, waiting);
    QFETCH(QString, remote);
    QFETCH(bool, sentTo);
    QFETCH(QString, there);
    QStringList told;
    BoundedFile::setNotifier([&told](const QString &path, const QString &) { told << path; });
    const auto quiet = qScopeGuard([] { BoundedFile::setNotifier({}); });
    EitherSide peer(waiting);
    QVERIFY(peer.open());
    const Home &home = peer.home();
    PCLink *link = peer.link();
    QTcpSocket *raw = peer.raw();
    const QString name = link->resolvePath(remote), outside = home.root.path() + "/outside";
    writeFile(outside, "outside the home\n");
    if (there == "link")
        QVERIFY(QFile::link(outside, name));
    else
        writeFile(name, "Cash");
    const QMap<QString, QByteArray> before = listTree(home.root.path());
    const pid_t holder = there == "held" ? holdFolderInChild(home.data()) : 0;
    QVERIFY(holder >= 0);
    FileReplacer::setSpaceLeft(there == "full" ? 0 : -1);
    const auto restore = qScopeGuard([holder] { killLockHolder(holder); FileReplacer::setSpaceLeft(-1); });
    const bool list = remote.startsWith("[D]");
    const QByteArray incoming = list ? QByteArray("Cash\nCard") : book("Peer");

    Recorder events(link);
    if (sentTo) {
        if (!waiting) {
            link->requestFile(remote, name);
            readExactly(raw, PCLinkProtocol::request(remote, name).size());
        }
        // the device answers a request with the very path asked for
        raw->write(PCLinkProtocol::announce("/x/file", incoming.size(), waiting ? remote : name));
        QCOMPARE(readExactly(raw, 5), PCLinkProtocol::answer(true));
        raw->write(incoming);
    } else {
        if (waiting)
            peer.c.send(PCLinkProtocol::request(remote, "x"));
        else
            link->sendFile(name, remote);
        // the installed list, never the bytes behind the link
        const QByteArray installed = readFile(YMRPIM::defaultListPath("accounts"));
        const QByteArray frame = list ? PCLinkProtocol::announce(name, installed.size(), waiting ? "x" : remote)
                                      : PCLinkProtocol::cannotSend();
        QCOMPARE(readExactly(raw, frame.size()), frame);
        if (list) {
            raw->write("3 AOK");
            QCOMPARE(readExactly(raw, installed.size()), installed);
        }
    }
    QTRY_VERIFY(events.events.join(' ').contains("FileF"));
    if (there != "link") {
        QVERIFY(!events.events.join(' ').contains("receiveFileFinished"));
        QVERIFY2(link->receiveFailure().contains(there == "held" ? "another copy" : "no space"),
                 qPrintable(link->receiveFailure()));
        QCOMPARE(listTree(home.root.path()), before);
        QTRY_COMPARE(link->isConnected(), !waiting);
        return;
    }
    if (sentTo)
        QCOMPARE(readFile(name), incoming);
    else
        QVERIFY(!QFileInfo(name).exists() && !QFileInfo(name).isSymLink());
    QCOMPARE(events.events.last(), sentTo ? "receiveFileFinished:" + name
                                          : QString(list ? "sendingFileFinished" : "sendingFileFailed"));
    QCOMPARE(readFile(outside), QByteArray("outside the home\n"));
    QCOMPARE(QFileInfo(name + ".damaged").symLinkTarget(), outside);
    QCOMPARE(told, QStringList{name});
    QVERIFY(link->isConnected());
}

// A raw peer announces 200,000 bytes, or ("idle") nothing yet, and follows
// a schedule: a number sends that many bytes of the file, "'" a message's
// text (digits of a frame's length, or "refused": a request refused),
// "+n" moves the clock on n seconds and lets the device check. Between
// files the peer owes a whole message within 30 s of its last. A cut
// transfer leaves every file as it was.
void TestPCLink::stalledTransferEnds_data()
{
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<bool>("cut");
    QTest::newRow("silent") << "+30" << true;
    QTest::newRow("a byte now and then") << "1 +10 1 +10 1 +10" << true;
    QTest::newRow("64 KiB in every 30 s") << "65536 +29 65536 +29 65536 +29" << false;
    QTest::newRow("64 KiB in 30 s") << "65536 +30" << false;
    QTest::newRow("a byte less in 30 s") << "65535 +30" << true;
    QTest::newRow("the rest stalls") << "199000 +29 500 +32" << true;
    QTest::newRow("idle, nothing for 29 s") << "idle +29" << false;
    QTest::newRow("idle, nothing for 30 s") << "idle +30" << true;
    QTest::newRow("idle, a frame dripped") << "idle '1 +10 '2 +10 '0 +10" << true;
    QTest::newRow("idle, a message starts anew") << "idle +20 'refused +20" << false;
    QTest::newRow("idle, then silence") << "idle +20 'refused +30" << true;
}

void TestPCLink::stalledTransferEnds()
{
    QFETCH(QString, schedule);
    QFETCH(bool, cut);
    QCOMPARE(PCLink::stallTime(), 30000);
    FakeClock clock;
    RawClient c;
    QVERIFY(c.open());
    writeFile(c.home.app() + "/Trip.exp", "the old book");
    c.device->setBookPaths({c.home.app() + "/Trip.exp"});
    const QMap<QString, QByteArray> before = listTree(c.home.root.path());
    Recorder device(c.device.data());
    const bool idle = schedule.startsWith("idle");
    if (!idle) {
        c.send(PCLinkProtocol::announce("/x/Trip.exp", 200000, "[A]Trip.exp"));
        QCOMPARE(readExactly(&c.raw, 5), QByteArray("3 AOK"));
    }
    int sent = 0;
    for (const QString &step : schedule.split(' ')) {
        if (step.startsWith('+')) {
            clock.now += step.mid(1).toInt() * 1000;
            c.device->checkProgress();
        } else if (step.startsWith('\'')) {
            const qint64 had = c.device->receivedBytes();
            const QByteArray text =
                step == "'refused" ? PCLinkProtocol::request("[D]secrets", "x") : step.mid(1).toUtf8();
            c.send(text);
            QTRY_COMPARE(c.device->receivedBytes(), had + text.size());
        } else if (step != "idle") {
            c.send(pattern(step.toInt()));
            sent += step.toInt();
            QTRY_COMPARE(device.lastDone, sent);
        }
    }
    QCOMPARE(c.device->isConnected(), !cut);
    QCOMPARE(c.device->transferState(), int(idle ? PCLink::Idle : PCLink::Receiving));
    if (cut)
        QCOMPARE(listTree(c.home.root.path()), before);
}

// The link on the program's own folders saves the shared category store
// before it serves the file, and reloads it after receiving one.
void TestPCLink::sharedCategoriesSavedAndReloaded()
{
    CategoryManager *shared = TaskManager::sharedCategoryManager();
    auto *cat = new CategoryRecord(shared);
    cat->title = "Unsaved on the device";
    shared->addRecord(cat);
    const int count = shared->count();

    Pair p;
    QVERIFY(p.open());
    p.device->setDirectories(QString(), QString());
    const QString local = p.clientHome.app() + "/ymrCategory";
    Recorder client(&p.client);
    p.client.requestFile("[A]ymrCategory", local);
    QTRY_VERIFY(client.ended());
    QVERIFY(readFile(local).contains("Unsaved on the device"));

    // the file sent back without that category replaces it and the store follows
    QByteArray edited = readFile(local);
    edited.replace("Unsaved on the device", "Renamed by the peer");
    writeFile(local, edited);
    client.events.clear();
    p.client.sendFile(local, "[A]ymrCategory");
    QTRY_VERIFY(client.ended());
    QCOMPARE(client.events.last(), QString("sendingFileFinished"));
    QTRY_VERIFY(readFile(shared->fileName()).contains("Renamed by the peer"));
    QCOMPARE(TaskManager::sharedCategoryManager()->count(), count);
    bool found = false;
    PIMRecordArray *records = TaskManager::sharedCategoryManager()->records();
    for (int i = 0; i < records->count(); ++i)
        found = found || static_cast<CategoryRecord *>(records->at(i))->title == "Renamed by the peer";
    QVERIFY(found);
    TaskManager::releaseSharedCategoryManager();
}

void TestPCLink::serverBusyPort()
{
    PCLinkServer first(nullptr, 0);
    QVERIFY(first.isListening());
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("Failed to bind to port %1").arg(first.serverPort())));
    PCLinkServer second(nullptr, first.serverPort());
    QVERIFY(!second.isListening());
}

// A peer's files at the (lowered) limits of their kinds, and a byte or a
// name's letter over: at the limit taken; over in size or name refused at
// the announce, the link going on; over in a line, or a file its kind's
// reader does not take whole, read back, removed, and the connection
// ended. Every file that was there stays byte for byte. "device": the
// answering side receives; "client": the connecting side fetches the
// device's index; "lifted": only the announced size counts.
void TestPCLink::filesAtTheirLimits_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("outcome"); // taken, refused, unreadable or answered
    const auto lineOf = [](int size) { return "FOLDER\nPROP=a=" + QByteArray(size - 7, 'x') + "\nEND\n"; };
    QTest::newRow("book of its size") << "device" << "[A]Trip.exp" << bookPattern(8192) << "taken";
    QTest::newRow("book over its size") << "device" << "[A]bomb.exp" << QByteArray(8193, '\n') << "refused";
    QTest::newRow("book with the longest line") << "device" << "[A]Trip.exp" << lineOf(256) << "taken";
    QTest::newRow("book with a line a byte longer") << "device" << "[A]Trip.exp" << lineOf(257) << "unreadable";
    QTest::newRow("category file of its size") << "device" << "[A]ymrCategory" << bookPattern(4096) << "taken";
    QTest::newRow("category file over its size") << "device" << "[A]ymrCategory" << QByteArray(4097, '\n')
                                                 << "refused";
    QTest::newRow("category file with a long line") << "device" << "[A]ymrCategory" << lineOf(257) << "unreadable";
    QTest::newRow("value list of its size") << "device" << "[D]types" << contentFor("[D]", 1024) << "taken";
    QTest::newRow("value list over its size") << "device" << "[D]types" << QByteArray(1025, 'x') << "refused";
    QTest::newRow("date formats of their size") << "device" << "[D]dateFormat" << contentFor("[D]", 1024) << "taken";
    QTest::newRow("date formats over their size") << "device" << "[D]dateFormat" << QByteArray(1025, '\n')
                                                  << "refused";
    QTest::newRow("currency list of the longest name") << "device" << "[D]currencies_abcdefgh" << contentFor("[D]", 20)
                                                       << "taken";
    QTest::newRow("currency list of a letter longer") << "device" << "[D]currencies_abcdefghi" << contentFor("[D]", 20)
                                                      << "refused";
    QTest::newRow("device index of its size") << "client" << "[A]ymrOutlaysIDX_EXT" << bookPattern(4096) << "taken";
    QTest::newRow("device index over its size") << "client" << "[A]ymrOutlaysIDX_EXT" << QByteArray(4097, '\n')
                                                << "refused";
    QTest::newRow("device index with a long line") << "client" << "[A]ymrOutlaysIDX_EXT" << lineOf(257)
                                                   << "unreadable";
    QTest::newRow("lifted, a size of 2^31 - 1") << "device" << "[A]Big.exp" << QByteArray("2147483647")
                                               << "answered";
    QTest::newRow("lifted, a size of 2^31") << "device" << "[A]Big.exp" << QByteArray("2147483648") << "refused";
    QTest::newRow("category file that is none") << "device" << "[A]ymrCategory" << QByteArray("hello world")
                                                << "unreadable";
    QTest::newRow("category file of zero bytes") << "device" << "[A]ymrCategory" << QByteArray(100, '\0')
                                                 << "unreadable";
    QTest::newRow("category file cut in its header")
        << "device" << "[A]ymrCategory" << QByteArray("FOLDER\nTOTAL=1\n") << "unreadable";
    QTest::newRow("device index cut in a book")
        << "client" << "[A]ymrOutlaysIDX_EXT" << QByteArray("FOLDER\nTOTAL=1\nEND\nT=Trip\nP=/a/Tr") << "unreadable";
    // at the sizes the program reads (what its load takes, it takes)
    const auto emptyRecords = [](int n) {
        return "FOLDER\nTOTAL=" + QByteArray::number(n) + "\nEND\n" + QByteArray(4 * n, 'E').replace("EEEE", "END\n");
    };
    QTest::newRow("full size: category file its store sets aside")
        << "device" << "[A]ymrCategory" << emptyRecords(85599) << "unreadable";
    QTest::newRow("full size: device index of 10,000 books")
        << "client" << "[A]ymrOutlaysIDX_EXT" << emptyRecords(DBManager::MaxBooks) << "taken";
    QTest::newRow("full size: device index of 10,001 books")
        << "client" << "[A]ymrOutlaysIDX_EXT" << emptyRecords(DBManager::MaxBooks + 1) << "unreadable";
}

void TestPCLink::filesAtTheirLimits()
{
    QFETCH(QString, side);
    QFETCH(QString, remote);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, outcome);
    const bool lifted = QTest::currentDataTag() && QByteArray(QTest::currentDataTag()).startsWith("lifted");
    const bool fullSize = QTest::currentDataTag() && QByteArray(QTest::currentDataTag()).startsWith("full size");
    TaskManager::setMaxBookSize(lifted ? INT_MAX : 8192);
    if (lifted)
        PCLink::setFreeSpace([](const QString &) { return qint64(1) << 40; });
    CategoryManager::setMaxFileSize(fullSize ? 0 : 4096);
    DBManager::setMaxFileSize(fullSize ? 0 : 4096);
    YMRPIM::setMaxListSize(1024);
    PIMTextReader::setMaxLineLength(256);
    const auto restore = qScopeGuard([] {
        TaskManager::setMaxBookSize(0);
        CategoryManager::setMaxFileSize(0);
        DBManager::setMaxFileSize(0);
        YMRPIM::setMaxListSize(0);
        PIMTextReader::setMaxLineLength(0);
        PCLink::setFreeSpace({});
    });
    const bool device = side == "device";
    EitherSide peer(device);
    QVERIFY(peer.open());
    const Home &home = peer.home();
    PCLink *link = peer.link();
    QTcpSocket *raw = peer.raw();
    writeFile(home.app() + "/Trip.exp", "FOLDER\nTOTAL=0\nEND\n");
    writeFile(home.app() + "/ymrCategory", "FOLDER\nEND\nT=Food\nEND\n");
    writeFile(home.app() + "/ymrOutlaysIDX_EXT", "FOLDER\nEND\n");
    writeFile(home.data() + "/types", "Cash\nCard");
    link->setBookPaths({home.app() + "/Trip.exp"});
    QMap<QString, QByteArray> expected = listTree(home.root.path());

    Recorder events(link);
    const qint64 size = lifted ? bytes.toLongLong() : bytes.size();
    if (device) {
        peer.c.send(PCLinkProtocol::announce("/x/file", size, remote));
    } else {
        const QString local = home.app() + "/ymrOutlaysIDX_EXT";
        peer.s.client.requestFile(remote, local);
        const QByteArray request = PCLinkProtocol::request(remote, local);
        QCOMPARE(readExactly(raw, request.size()), request);
        peer.s.send(PCLinkProtocol::announce("/x/ymrOutlaysIDX_EXT", size, local));
    }
    const QByteArray answer = PCLinkProtocol::answer(outcome != "refused");
    QCOMPARE(readExactly(raw, answer.size()), answer);
    if (outcome == "answered") {
        QCOMPARE(link->transferState(), int(PCLink::Receiving));
        raw->abort();
        QTRY_VERIFY(!link->isConnected());
    } else if (outcome == "refused") {
        QTRY_VERIFY(events.ended());
        QVERIFY(link->isConnected());
    } else {
        raw->write(bytes);
        raw->flush();
        if (outcome == "taken") {
            QTRY_VERIFY(events.ended());
            QVERIFY(link->isConnected());
            const QString path = link->resolvePath(device ? remote : "[A]ymrOutlaysIDX_EXT");
            QCOMPARE(events.events.last(), "receiveFileFinished:" + path);
            expected[path] = bytes;
        } else {
            // what this side cannot read ends the connection: the peer learns of it
            QTRY_VERIFY(raw->state() != QAbstractSocket::ConnectedState || !link->isConnected());
            QTRY_VERIFY(!link->isConnected());
        }
    }
    if (outcome != "taken") {
        QVERIFY(events.events.contains("receiveFileFailed") || outcome == "answered");
        QVERIFY(!events.events.join(' ').contains("receiveFileFinished"));
    }
    QTRY_COMPARE(link->transferState(), int(outcome == "answered" ? PCLink::Receiving : PCLink::Idle));
    QCOMPARE(listTree(home.root.path()), expected);
}

// A new book the device takes keeps its name only once the disk has
// confirmed it: with its folder synced a book is received; once the system
// refuses the folder's sync the next one fails and the device says why, the
// book is neither at its name nor listed, and the sender is cut.
void TestPCLink::newBookNotOnDiskIsNotReceived()
{
    const QString synced = appFile("Synced.exp"), target = appFile("New.exp");
    for (const QString &name : {synced, target, appFile("ymrOutlaysIDX")})
        QFile::remove(name);
    DeviceChild child;
    QVERIFY(child.connect());
    QProcess &device = child.process;
    QTcpSocket &raw = child.raw;
    const auto nextLine = [&child] { return child.nextLine(); };
    QByteArray line;
    const QByteArray incoming = book("new");
    DBManager index;
    for (const QString &path : {synced, target}) {
        raw.write(PCLinkProtocol::announce("/x/New.exp", incoming.size(), "[A]" + QFileInfo(path).fileName()));
        QCOMPARE(readExactly(&raw, 5), QByteArray("3 AOK"));
        // the book's lock taken (its own file made durable), before its bytes
        if (path == target) {
            device.write("refuse\n");
            line = nextLine();
            if (line != "refusing")
                QSKIP("the system does not refuse syncs here");
        }
        raw.write(incoming);
        QVERIFY(raw.waitForBytesWritten(5000));
        line = nextLine();
        if (path == synced) {
            QVERIFY2(line.contains("Receive Finished"), line.constData());
            QCOMPARE(readFile(synced), incoming);
            QTRY_VERIFY((index.load(), index.findByPath(synced)));
        }
    }
    QVERIFY2(line.contains("Receive Failed: " + target.toUtf8() + "|the disk did not confirm the write"),
             line.constData());
    QTRY_VERIFY(raw.state() != QAbstractSocket::ConnectedState);
    QVERIFY(!QFileInfo::exists(target) && !QFileInfo(target).isSymLink());
    QVERIFY(tempFilesIn(QFileInfo(target).path()).isEmpty());
    index.load();
    QVERIFY(!index.findByPath(target));
}

// A device killed once a new book is in place, before the book list that
// names it is written: the next start lists it.
void TestPCLink::newBookKilledBeforeItsListIsListedNext()
{
    const QString target = appFile("Arrived.exp");
    for (const QString &name : {target, appFile("ymrOutlaysIDX")})
        QFile::remove(name);
    DeviceChild child;
    QVERIFY(child.connect());
    QProcess &device = child.process;
    QTcpSocket &raw = child.raw;
    const auto nextLine = [&child] { return child.nextLine(); };
    const QByteArray incoming = book("arrived");
    raw.write(PCLinkProtocol::announce("/x/Arrived.exp", incoming.size(), "[A]Arrived.exp"));
    QCOMPARE(readExactly(&raw, 5), QByteArray("3 AOK"));
    device.write("kill\n");
    QCOMPARE(nextLine(), QByteArray("killing"));
    raw.write(incoming);
    QVERIFY(raw.waitForBytesWritten(5000));
    QVERIFY(device.waitForFinished(20000));
    QCOMPARE(device.exitStatus(), QProcess::CrashExit);
    QCOMPARE(readFile(target), incoming);
    DBManager index;
    index.load();
    QVERIFY(!index.findByPath(target));

    QCOMPARE(MoveJournal::finishPending(), 1);
    index.load();
    QVERIFY(index.findByPath(target));
    // what the kill cut short of the list's write
    for (const QString &left : tempFilesIn(QFileInfo(target).path()))
        QVERIFY(QFile::remove(QFileInfo(target).path() + '/' + left));
}

YMR_TEST_MAIN_WITH_CHILD(TestPCLink, "--device", deviceMain)
#include "tst_pclink.moc"
