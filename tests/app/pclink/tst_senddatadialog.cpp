// The device's server dialog and the connecting side's transfer dialog,
// together in one process over loopback.
#include "ymrtest.h"

#include "pclink.h"
#include "pclinkprotocol.h"
#include "pclinkserver.h"
#include "pclinktestutil.h"
#include "tempfiles.h"
#include "senddatadialogclient.h"
#include "senddatadialogserver.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/pimtextreader.h"
#include "pim/taskmanager.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"

#include <QProgressBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

namespace {

using namespace pclinktest;

// A client dialog's per-file signals as "success:<source>" / "failed:<source>".
struct Outcomes : QObject
{
    QStringList events;
    bool stopOnFailure = false;
    void watch(SendDataDialogClient *client)
    {
        connect(client, &SendDataDialogClient::sendFileSuccess, this, [this](const QString &s) { events << "success:" + s; });
        connect(client, &SendDataDialogClient::getFileSuccess, this, [this](const QString &s) { events << "success:" + s; });
        connect(client, &SendDataDialogClient::sendFileFailed, this, [this](const QString &s, bool &stop) {
            events << "failed:" + s;
            stop = stopOnFailure;
        });
        connect(client, &SendDataDialogClient::getFileFailed, this, [this](const QString &s, bool &stop) {
            events << "failed:" + s;
            stop = stopOnFailure;
        });
    }
};

} // namespace

class TestSendDataDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sendBatchRegistersBooks();
    void getBatchStopsWhenAsked();
    void emptyListAcceptedOnConnect();
    void okBeforeTheEndIsNoSuccess();
    void noDeviceListening();
    void deviceOutOfStepEndsTheRun_data();
    void deviceOutOfStepEndsTheRun();
    void oneFileAtATime_data();
    void oneFileAtATime();
    void givenUpRequestIsNeverWritten();
    void deviceGoneMidTransfer_data();
    void deviceGoneMidTransfer();
    void busyDeviceRefusesSecondConnection();
    void sessionBetweenFilesKeepsTheDevice();
    void silentPeerLetsTheNextOneIn_data();
    void silentPeerLetsTheNextOneIn();
    void longPathsKeepTheWindowsSize();
    void portTakenIsShown();
    void fileTheDeviceCannotStoreFails_data();
    void fileTheDeviceCannotStoreFails();

private:
    QTemporaryDir m_local;
    DBManager *m_index = nullptr;
    SendDataDialogServer *m_server = nullptr;

    void startServer()
    {
        PCLinkServer::setPort(0);
        m_server = new SendDataDialogServer(m_index);
        QVERIFY(m_server->server()->isListening());
        PCLinkServer::setPort(m_server->server()->serverPort());
    }
    QString local(const QString &name) const { return m_local.path() + "/" + name; }
};

void TestSendDataDialog::init()
{
    QFile::remove(appFile("ymrOutlaysIDX"));
    m_index = new DBManager;
    m_index->load();
}

void TestSendDataDialog::cleanup()
{
    delete m_server;
    m_server = nullptr;
    delete m_index;
    m_index = nullptr;
    YMRDialog::stopScript();
}

void TestSendDataDialog::sendBatchRegistersBooks()
{
    startServer();
    makeBook(local("Trip.exp"), {}, "Summer trip");
    const QByteArray categories = "FOLDER\nTOTAL=1\nEND\nT=Food\nUID=11111111-2222-3333-4444-555555555555\nEND\n";
    writeFile(local("ymrCategory"), categories);
    const QStringList pairs = {local("Trip.exp"), "[A]Trip.exp", local("missing.exp"), "[A]missing.exp",
                               local("ymrCategory"), "[A]ymrCategory"};
    for (int round = 0; round < 2; ++round) {
        SendDataDialogClient client("127.0.0.1", true, pairs);
        Outcomes out;
        out.watch(&client);
        QCOMPARE(client.exec(), 1);
        // a file sent counts once the device answers the next one
        QCOMPARE(out.events, QStringList({"failed:" + local("missing.exp"), "success:" + local("Trip.exp"),
                                          "success:" + local("ymrCategory")}));
        QCOMPARE(m_server->upperText(), QString("Receive Finished"));
    }
    QCOMPARE(readFile(appFile("ymrCategory")), categories);
    // the book is listed once, refreshed from its header; the category file is not a book
    QCOMPARE(m_index->count(), 1);
    DBRecord *book = m_index->findByPath(appFile("Trip.exp"));
    QVERIFY(book);
    QCOMPARE(book->title(), QString("Trip"));
    QCOMPARE(book->description(), QString("Summer trip"));
    DBManager reread;
    reread.load();
    QVERIFY(reread.findByPath(appFile("Trip.exp")));
    QTRY_COMPARE(m_server->upperText(), QString("Waiting for connection ..."));
}

void TestSendDataDialog::getBatchStopsWhenAsked()
{
    startServer();
    makeBook(appFile("Home.exp"), {"x"});
    // the index is read when the connection comes
    addBook(m_index, appFile("Home.exp"));
    writeFile(Global::applicationFileName("ymrOutlaysData", "cities"), "Oslo");

    const QStringList pairs = {appFile("Home.exp"), local("Home.exp"), "[A]Gone.exp", local("Gone.exp"),
                               "[D]cities", local("cities")};
    {
        SendDataDialogClient client("127.0.0.1", false, pairs);
        Outcomes out;
        out.stopOnFailure = true;
        out.watch(&client);
        QCOMPARE(client.exec(), 0);
        // the pair never tried is named too
        QCOMPARE(out.events,
                 QStringList({"success:" + appFile("Home.exp"), "failed:[A]Gone.exp", "failed:[D]cities"}));
        QVERIFY(!QFile::exists(local("cities")));
    }
    QCOMPARE(readFile(local("Home.exp")), readFile(appFile("Home.exp")));
    SendDataDialogClient client("127.0.0.1", false, pairs);
    Outcomes out;
    out.watch(&client);
    QCOMPARE(client.exec(), 1);
    QCOMPARE(out.events.size(), 3);
    QCOMPARE(readFile(local("cities")), QByteArray("Oslo"));
    QCOMPARE(m_server->upperText(), QString("Send Finished"));
}

void TestSendDataDialog::emptyListAcceptedOnConnect()
{
    startServer();
    SendDataDialogClient client("127.0.0.1", true, QStringList());
    QCOMPARE(client.statusText(), QString("Connecting ..."));
    QCOMPARE(client.exec(), 1);
    QCOMPARE(client.statusText(), QString("Connect"));
    QTRY_COMPARE(m_server->upperText(), QString("Connect"));
}

void TestSendDataDialog::okBeforeTheEndIsNoSuccess()
{
    ClosedPort closed;
    PCLinkServer::setPort(closed.port());
    SendDataDialogClient client("127.0.0.1", true, QStringList());
    QTimer::singleShot(0, &client, &QDialog::accept);
    QCOMPARE(client.exec(), 0);
}

void TestSendDataDialog::noDeviceListening()
{
    ClosedPort closed;
    PCLinkServer::setPort(closed.port());
    YMRDialog::queueAnswer(1);
    SendDataDialogClient client("127.0.0.1", true, {local("a.exp"), "[A]a.exp"});
    QCOMPARE(client.exec(), 0);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().caption, QString("Connection error ..."));
    QCOMPARE(boxes.first().text, QString("Run server part first."));
}

// The device answers the request, sends part of the file and goes away or
// falls silent: the file cut short is reported failed and the old one stays.
void TestSendDataDialog::deviceGoneMidTransfer_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("gone") << false;
    QTest::newRow("silent for 30 s") << true;
}

void TestSendDataDialog::deviceGoneMidTransfer()
{
    QFETCH(bool, silent);
    FakeClock clock;
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    PCLinkServer::setPort(device.serverPort());
    writeFile(local("Trip.exp"), "old");
    YMRDialog::queueAnswer(1);
    SendDataDialogClient client("127.0.0.1", false, {"[A]Trip.exp", local("Trip.exp")});
    QTcpSocket *peer = nullptr;
    connect(&device, &QTcpServer::newConnection, this, [&] {
        peer = device.nextPendingConnection();
        connect(peer, &QTcpSocket::readyRead, this, [&] {
            peer->readAll();
            peer->write(PCLinkProtocol::announce("/x/Trip.exp", 100, local("Trip.exp")) + "part");
            peer->flush();
        });
    });
    Outcomes out;
    out.watch(&client);
    QTimer::singleShot(0, this, [&] {
        QTRY_COMPARE(client.link()->transferState(), 2);
        if (silent)
            clock.now += PCLink::stallTime();
        else
            peer->disconnectFromHost();
    });
    QCOMPARE(client.exec(), 0);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QString("Data transfer is not completed."));
    QCOMPARE(out.events, QStringList{"failed:[A]Trip.exp"});
    QCOMPARE(readFile(local("Trip.exp")), QByteArray("old"));
    QVERIFY(tempFilesIn(QFileInfo(local("Trip.exp")).path()).isEmpty());
}

// A device that says what nobody asked for, before anything was asked or
// in answer to a file sent, ends the run: one message, and every file of
// the run named as failed (none of them was taken). "atOnce": said as the
// connection comes; else on the first bytes of the run.
void TestSendDataDialog::deviceOutOfStepEndsTheRun_data()
{
    QTest::addColumn<bool>("atOnce");
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("FS before anything is asked") << true << PCLinkProtocol::cannotSend();
    QTest::newRow("garbage in answer to a file sent") << false << QByteArray("xx");
    // (what else the link takes for out of step: tst_pclink clientTakesOnlyAnswers)
    QTest::newRow("the answer twice") << false << QByteArray("3 AOK3 AOK");
}

void TestSendDataDialog::deviceOutOfStepEndsTheRun()
{
    QFETCH(bool, atOnce);
    QFETCH(QByteArray, said);
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    PCLinkServer::setPort(device.serverPort());
    connect(&device, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *peer = device.nextPendingConnection();
        if (atOnce)
            peer->write(said);
        else
            connect(peer, &QTcpSocket::readyRead, peer, [peer, said] { peer->readAll(), peer->write(said); });
    });
    makeBook(local("Sea.exp"), {"sea"});
    makeBook(local("Hill.exp"), {"hill"});
    YMRDialog::queueAnswer(1);
    SendDataDialogClient client("127.0.0.1", true, {local("Sea.exp"), "[A]Sea.exp", local("Hill.exp"), "[A]Hill.exp"});
    Outcomes out;
    out.watch(&client);
    QCOMPARE(client.exec(), 0);
    QCOMPARE(out.events, QStringList({"failed:" + local("Sea.exp"), "failed:" + local("Hill.exp")}));
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QString("Data transfer is not completed."));
}

// One file at a time. Told to go on (as a second report of the connection
// would) while a file is asked for or moving, the run asks for nothing more
// until that file has ended, and goes through. The end of a file nobody
// asked for (here: as a failure is told) ends the run there as one cut
// short: the next file is never asked for.
void TestSendDataDialog::oneFileAtATime_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<QString>("told"); // "go on", or the end of a file: "finished" or "failed"
    for (const bool send : {true, false}) {
        for (const char *told : {"go on", "finished", "failed"})
            QTest::addRow("%s, %s", send ? "Send Data" : "Get Data", told) << send << QString(told);
    }
}

void TestSendDataDialog::oneFileAtATime()
{
    QFETCH(bool, send);
    QFETCH(QString, told);
    const bool goOn = told == "go on";
    startServer();
    QStringList pairs;
    // the first file moves, or is not there: its failure is where an end is told
    for (const QString &name : {QString(goOn ? "Sea.exp" : "Gone.exp"), QString("Hill.exp")}) {
        if (name != "Gone.exp") {
            makeBook(local(name), {"the PC's " + name});
            makeBook(appFile(name), {"the device's " + name});
            addBook(m_index, appFile(name));
        }
        pairs << (send ? local(name) : "[A]" + name) << (send ? "[A]" + name : local(name));
    }
    const QString source = send ? local("Hill.exp") : appFile("Hill.exp"),
                  target = send ? appFile("Hill.exp") : local("Hill.exp");
    const QByteArray from = readFile(source), to = readFile(target);
    // a run cut short says so
    YMRDialog::queueAnswer(1);
    SendDataDialogClient client("127.0.0.1", send, pairs);
    Outcomes out;
    out.watch(&client);
    PCLink *link = client.link();
    int times = 0;
    const auto tell = [&] {
        if (times && !goOn)
            return;
        ++times;
        if (goOn)
            client.start();
        else if (told == "failed")
            send ? emit link->sendingFileFailed() : emit link->receiveFileFailed();
        else
            send ? emit link->sendingFileFinished() : emit link->receiveFileFinished("/elsewhere/Gone.exp");
    };
    if (goOn) {
        connect(link, &PCLink::sendingFile, this, tell);
        connect(link, &PCLink::receiveFile, this, tell);
    } else {
        connect(&client, &SendDataDialogClient::sendFileFailed, this, tell);
        connect(&client, &SendDataDialogClient::getFileFailed, this, tell);
    }
    QCOMPARE(client.exec(), int(goOn));
    const QString outcome = goOn ? "success:" : "failed:";
    QCOMPARE(out.events, QStringList({outcome + pairs.at(0), outcome + pairs.at(2)}));
    QCOMPARE(times, goOn ? 2 : 1);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), goOn ? 0 : 1);
    if (!goOn)
        QCOMPARE(boxes.first().text, QString("Data transfer is not completed."));
    QCOMPARE(readFile(source), from);
    QCOMPARE(readFile(target), goOn ? from : to);
}

// A run given up (Close) while its request is out takes nothing the device
// sends after, though the dialog is still there: the reply is never
// written, and the book counts as not received.
void TestSendDataDialog::givenUpRequestIsNeverWritten()
{
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    PCLinkServer::setPort(device.serverPort());
    QTcpSocket *peer = nullptr;
    connect(&device, &QTcpServer::newConnection, this, [&] { peer = device.nextPendingConnection(); });
    makeBook(local("Trip.exp"), {"mine"});
    const QByteArray mine = readFile(local("Trip.exp"));
    SendDataDialogClient client("127.0.0.1", false, {"[A]Trip.exp", local("Trip.exp")});
    Outcomes out;
    out.watch(&client);
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(peer && peer->bytesAvailable());
        client.reject();
    });
    QCOMPARE(client.exec(), 0);
    peer->readAll();
    const QByteArray book("FOLDER\nEND\nTYPE=Theirs\nEND\n");
    peer->write(PCLinkProtocol::announce("/x/Trip.exp", book.size(), local("Trip.exp")));
    QTest::qWait(100);
    peer->write(book);
    QTest::qWait(100);
    QVERIFY(!peer->bytesAvailable());
    QCOMPARE(out.events, QStringList{"failed:[A]Trip.exp"});
    QCOMPARE(readFile(local("Trip.exp")), mine);
    QVERIFY(tempFilesIn(m_local.path()).isEmpty());
}

// The device reads a received file back (as a book the program opens whole:
// not empty, its header ending at its END line) and drops the connection
// when it cannot: the sending side counts that file as failed, last or not,
// and the device keeps what it had.
// A file the device took ("AOK") but could not read back, write or put in
// place fails on the sending side: the device ends the connection, and the
// files that were to follow never go.
void TestSendDataDialog::fileTheDeviceCannotStoreFails_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("last");
    QTest::newRow("empty book, last file") << "empty" << true;
    QTest::newRow("empty book, a file before another") << "empty" << false;
    QTest::newRow("damaged END line, last file") << "endx" << true;
    QTest::newRow("unreadable, last file") << "unreadable" << true;
    QTest::newRow("unreadable, a file before another") << "unreadable" << false;
    QTest::newRow("disk full at the last write, last file") << "full" << true;
    QTest::newRow("disk full at the last write, a file before another") << "full" << false;
    QTest::newRow("a write fails, last file") << "write" << true;
    QTest::newRow("a write fails, a file before another") << "write" << false;
}

void TestSendDataDialog::fileTheDeviceCannotStoreFails()
{
    QFETCH(QString, fault);
    QFETCH(bool, last);
    PIMTextReader::setMaxLineLength(256);
    struct rlimit before;
    getrlimit(RLIMIT_FSIZE, &before);
    const auto restore = qScopeGuard([before] {
        PIMTextReader::setMaxLineLength(0);
        FileReplacer::setSpaceLeft(-1);
        setrlimit(RLIMIT_FSIZE, &before);
    });
    startServer();
    makeBook(appFile("Long.exp"), {"the device's own"});
    const QByteArray own = readFile(appFile("Long.exp"));
    addBook(m_index, appFile("Long.exp"));
    if (fault == "unreadable") {
        writeFile(local("Long.exp"), "FOLDER\nDESC=" + QByteArray(300, 'x') + "\nEND\n");
    } else if (fault == "empty") {
        writeFile(local("Long.exp"), QByteArray());
    } else if (fault == "endx") {
        // the header runs on to the first record's end: that record would be lost
        writeFile(local("Long.exp"), "FOLDER\nTOTAL=1\nENDX\nTYPE=Sea\nEND\nTYPE=Hill\nEND\n");
    } else {
        QStringList lines;
        for (int i = 0; i < 4000; ++i)
            lines << QString("expense %1").arg(i);
        makeBook(local("Long.exp"), lines);
    }
    makeBook(local("Fine.exp"), {"x"});
    QStringList pairs = {local("Long.exp"), "[A]Long.exp"};
    if (!last)
        pairs << local("Fine.exp") << "[A]Fine.exp";
    YMRDialog::queueAnswer(1);
    SendDataDialogClient client("127.0.0.1", true, pairs);
    Outcomes out;
    out.watch(&client);
    if (fault == "full") {
        FileReplacer::setSpaceLeft(0);
    } else if (fault == "write") {
        // the device's file may not grow past 100,000 bytes: the book is larger
        QVERIFY(QFileInfo(local("Long.exp")).size() > 200000);
        struct rlimit limit = before;
        limit.rlim_cur = 100000;
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    QCOMPARE(client.exec(), 0);
    // one that was to follow never went (a write failing cuts the file in
    // transfer: the next may not have been announced yet)
    QStringList failed{"failed:" + local("Long.exp")};
    if (!last && (fault != "write" || out.events.size() > 1))
        failed << "failed:" + local("Fine.exp");
    QCOMPARE(out.events, failed);
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QString("Data transfer is not completed."));
    // the old book byte for byte, no copy of it made, the failure named for it
    QCOMPARE(readFile(appFile("Long.exp")), own);
    QCOMPARE(QDir(QFileInfo(appFile("Long.exp")).path()).entryList({"Long.exp*"}), QStringList{"Long.exp"});
    QVERIFY(tempFilesIn(QFileInfo(appFile("Long.exp")).path()).isEmpty());
    const QString named = "Receive Failed: " + appFile("Long.exp");
    QTRY_VERIFY(m_server->lowerText() == named || m_server->upperText() == named);
}

// With the port taken the window says it cannot listen, and why, rather
// than wait for a connection that cannot come; Close ends it.
void TestSendDataDialog::portTakenIsShown()
{
    ClosedPort taken;
    PCLinkServer::setPort(taken.port());
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("Failed to bind to port %1").arg(taken.port())));
    SendDataDialogServer dialog(m_index);
    QVERIFY(!dialog.server()->isListening());
    QCOMPARE(dialog.upperText(), QString("Cannot listen on port %1: %2").arg(taken.port()).arg(dialog.server()->errorString()));
    QVERIFY(!dialog.server()->errorString().isEmpty());
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.grab().save(ymrtest::grabPath("pclink_port_taken"));
        auto *close = dialog.findChild<YMRPushButton *>();
        QVERIFY(close);
        close->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
}

void TestSendDataDialog::busyDeviceRefusesSecondConnection()
{
    startServer();
    QTcpSocket first, second;
    first.connectToHost("127.0.0.1", PCLinkServer::port());
    QVERIFY(first.waitForConnected(5000));
    QTRY_VERIFY(m_server->link() && m_server->link()->isConnected());
    // a book, as the device takes one, in two halves
    const QByteArray book("FOLDER\nEND\n");
    first.write(PCLinkProtocol::announce("/x/New.exp", book.size(), "[A]New.exp") + book.left(4));
    QTRY_COMPARE(m_server->link()->transferState(), 2);
    QCOMPARE(m_server->lowerText(), QString("Receiving ..."));
    PCLink *busy = m_server->link();

    second.connectToHost("127.0.0.1", PCLinkServer::port());
    QVERIFY(second.waitForConnected(5000));
    QTRY_VERIFY(second.state() == QAbstractSocket::UnconnectedState);
    QCOMPARE(m_server->link(), busy);
    first.write(book.mid(4));
    QTRY_COMPARE(m_server->upperText(), QString("Receive Finished"));
    QCOMPARE(readFile(appFile("New.exp")), book);
    QVERIFY(m_index->findByPath(appFile("New.exp")));
    QVERIFY(m_index->findByPath(appFile("New.exp"))->isAvailable());
}

// A session between two files is not cut by another copy connecting: the
// newcomer is refused, the session goes on; once it has ended the next one
// is served.
void TestSendDataDialog::sessionBetweenFilesKeepsTheDevice()
{
    startServer();
    QTcpSocket first, second, third;
    first.connectToHost("127.0.0.1", PCLinkServer::port());
    QVERIFY(first.waitForConnected(5000));
    QTRY_COMPARE(m_server->upperText(), QString("Connect"));
    first.write(PCLinkProtocol::announce("/x/a.exp", 11, "[A]a.exp") + "FOLDER\nEND\n");
    QTRY_COMPARE(m_server->upperText(), QString("Receive Finished"));
    QCOMPARE(m_server->progressBar()->value(), 0);
    QTRY_COMPARE(first.bytesAvailable(), qint64(5));
    QCOMPARE(first.readAll(), QByteArray("3 AOK"));
    PCLink *session = m_server->link();

    second.connectToHost("127.0.0.1", PCLinkServer::port());
    QVERIFY(second.waitForConnected(5000));
    QTRY_VERIFY(second.state() == QAbstractSocket::UnconnectedState);
    QCOMPARE(m_server->link(), session);
    QCOMPARE(m_server->upperText(), QString("Receive Finished"));
    // the session's next file
    const QByteArray book("FOLDER\nTOTAL=1\nEND\nTYPE=Bus\nEND\n");
    first.write(PCLinkProtocol::announce("/x/b.exp", book.size(), "[A]b.exp"));
    QTRY_COMPARE(first.bytesAvailable(), qint64(5));
    QCOMPARE(first.readAll(), QByteArray("3 AOK"));
    first.write(book);
    QTRY_COMPARE(readFile(appFile("b.exp")), book);

    first.disconnectFromHost();
    QTRY_COMPARE(m_server->upperText(), QString("Waiting for connection ..."));
    QCOMPARE(m_server->lowerText(), QString());
    QCOMPARE(m_server->progressBar()->value(), 0);
    third.connectToHost("127.0.0.1", PCLinkServer::port());
    QVERIFY(third.waitForConnected(5000));
    QTRY_COMPARE(m_server->upperText(), QString("Connect"));
    QVERIFY(m_server->link() != session);
    third.disconnectFromHost();
}

// A peer that falls silent, in any state, is cut after the (here shortened)
// stall time, and the next one is served.
void TestSendDataDialog::silentPeerLetsTheNextOneIn_data()
{
    QTest::addColumn<QByteArray>("said");
    const QByteArray book("FOLDER\nEND\n");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("half a frame") << QByteArray("12 R");
    QTest::newRow("half a book") << PCLinkProtocol::announce("/x/a.exp", book.size(), "[A]a.exp") + book.left(4);
    QTest::newRow("a whole book") << PCLinkProtocol::announce("/x/a.exp", book.size(), "[A]a.exp") + book;
}

void TestSendDataDialog::silentPeerLetsTheNextOneIn()
{
    QFETCH(QByteArray, said);
    PCLink::setStallTime(300);
    const auto restore = qScopeGuard([] { PCLink::setStallTime(0); });
    // new names in every row: the index starts empty
    QFile::remove(appFile("a.exp"));
    QFile::remove(appFile("b.exp"));
    startServer();
    QTcpSocket silent, next;
    silent.connectToHost("127.0.0.1", PCLinkServer::port());
    QVERIFY(silent.waitForConnected(5000));
    QTRY_VERIFY(m_server->link() && m_server->link()->isConnected());
    silent.write(said);
    QTRY_VERIFY_WITH_TIMEOUT(silent.state() == QAbstractSocket::UnconnectedState, 5000);
    QTRY_COMPARE(m_server->upperText(), QString("Waiting for connection ..."));

    // the next peer has all the time it needs, however slow this machine
    PCLink::setStallTime(0);
    next.connectToHost("127.0.0.1", PCLinkServer::port());
    QVERIFY(next.waitForConnected(5000));
    QTRY_COMPARE(m_server->upperText(), QString("Connect"));
    const QByteArray book("FOLDER\nTOTAL=1\nEND\nTYPE=Bus\nEND\n");
    next.write(PCLinkProtocol::announce("/x/b.exp", book.size(), "[A]b.exp") + book);
    QTRY_COMPARE(readFile(appFile("b.exp")), book);
    QTRY_COMPARE(m_server->upperText(), QString("Receive Finished"));
}

// A file's path shown while it moves wraps inside the window; neither
// side's window grows past the screen.
void TestSendDataDialog::longPathsKeepTheWindowsSize()
{
    const QString path = QStringLiteral("/home/someone/Documents/Expense Books/Travel and "
                                        "holidays/Summer in the mountains 2026/Trip.exp");
    const QSize screen = QPEApplication::screenRect().size();
    startServer();
    SendDataDialogClient client("127.0.0.1", true, {});
    m_server->receiveFile(path);
    client.sendingFile(path);
    QCoreApplication::processEvents();
    m_server->sendingFile(path);
    client.receiveFile(path);
    QCoreApplication::processEvents();
    QCOMPARE(m_server->size(), screen);
    QCOMPARE(client.size(), screen);
}

YMR_TEST_MAIN(TestSendDataDialog)
#include "tst_senddatadialog.moc"
