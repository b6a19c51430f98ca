// ymr-test-screens: 240x320 480x640
// The Transfer Data dialog against a device: in this process through a
// link on its own folders, and end to end against a second copy of this
// program running the device's server dialog in its own home.
#include "ymrtest.h"
#include "programrun.h"

#include "pclink.h"
#include "pclinkprotocol.h"
#include "pclinkserver.h"
#include "pclinktestutil.h"
#include "senddatadialogclient.h"
#include "senddatadialogserver.h"
#include "todowindow.h"
#include "transferdata.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"
#include "pim/dbselectlistview.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimrecordarray.h"
#include "pim/pimtextreader.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/global.h"
#include "qt/ymrapplication.h"
#include "qt/ymrdialog.h"
#include "qt/ymraction.h"
#include "qt/ymrpushbutton.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpServer>

#include <unistd.h>

namespace {

using namespace pclinktest;

// A device in this process: answers through links on its own folders.
struct Device : QObject
{
    QTemporaryDir home;
    PCLinkServer server{nullptr, 0};
    QStringList books;
    QList<PCLink *> links;
    QString app() const { return home.path() + "/app"; }
    QString data() const { return home.path() + "/data"; }
    Device()
    {
        QDir().mkpath(app());
        QDir().mkpath(data());
        PCLinkServer::setPort(server.serverPort());
        connect(&server, &PCLinkServer::connected, this, [this](int fd) {
            auto *link = new PCLink(this);
            link->setDirectories(app(), data());
            link->setBookPaths(books);
            link->setSocket(fd);
            links << link;
        });
    }
    // Publishes the books as the device's index export.
    void publish()
    {
        {
            DBManager ext(true);
            ext.load();
            ext.removeAll();
            for (const QString &b : books)
                addBook(&ext, b);
            ext.save();
        }
        QFile::remove(app() + "/ymrOutlaysIDX_EXT");
        QVERIFY(QFile::rename(appFile("ymrOutlaysIDX_EXT"), app() + "/ymrOutlaysIDX_EXT"));
    }
};

// A device by script: serves its index and books from memory and, at a
// set point of a run, sends one message nobody asked for in the same write
// as the bytes before it: behind the data of the book of that number, or
// (0) ahead of the first book's announce.
struct StrayDevice : QObject
{
    QTcpServer server;
    QMap<QString, QByteArray> files;
    int strayAt = -1;
    QByteArray stray;
    int booksServed = 0;
    QByteArray input;
    QByteArray data;
    int dataBook = 0;
    StrayDevice()
    {
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        PCLinkServer::setPort(server.serverPort());
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *peer = server.nextPendingConnection();
            input.clear();
            connect(peer, &QTcpSocket::readyRead, this, [this, peer] { answer(peer); });
        });
    }
    void answer(QTcpSocket *peer)
    {
        input += peer->readAll();
        int pos = 0;
        QByteArray payload;
        PCLinkProtocol::Message m;
        while (PCLinkProtocol::takeFrame(input, pos, payload) == PCLinkProtocol::Frame
               && PCLinkProtocol::parse(payload, m)) {
            QByteArray out;
            if (m.kind == PCLinkProtocol::Request && files.contains(m.first)) {
                const bool book = m.first.endsWith(".exp");
                dataBook = book ? ++booksServed : 0;
                if (dataBook == 1 && strayAt == 0)
                    out += stray;
                out += PCLinkProtocol::announce(m.first, files.value(m.first).size(), m.second);
                data = files.value(m.first);
            } else if (m.kind == PCLinkProtocol::Request) {
                out = PCLinkProtocol::cannotSend();
            } else if (m.kind == PCLinkProtocol::Answer && m.ok) {
                out = data + (dataBook > 0 && dataBook == strayAt ? stray : QByteArray());
            }
            peer->write(out);
        }
        input.remove(0, pos);
    }
};

// The dialog shows its texts whole, inside its width: the group's title
// (whole in its tool tip, else cut short with an ellipsis), the check box's
// text (broken into lines at most) and the address field; the book list
// shows a few rows.
void checkTexts(TransferData &dlg, const QString &title, const QString &dataText)
{
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.dbbox->toolTip(), title);
    const QString shown = dlg.dbbox->title();
    QVERIFY2(shown == title || (shown.endsWith(QChar(0x2026)) && title.startsWith(shown.chopped(1))),
             qPrintable(shown));
    QVERIFY(dlg.dbbox->fontMetrics().horizontalAdvance(shown) < dlg.dbbox->width());
    QCOMPARE(dlg.data->text().simplified(), dataText);
    QVERIFY(dlg.data->sizeHint().width() <= dlg.data->width());
    QVERIFY(dlg.addr->width() >= dlg.addr->fontMetrics().horizontalAdvance("255.255.255.255"));
    // the book list has room for three rows
    QVERIFY2(dlg.list->viewport()->height() >= 3 * (dlg.list->fontMetrics().height() + 4),
             qPrintable(QString::number(dlg.list->viewport()->height())));
}

} // namespace

class TestTransferData : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sendModeMarksTheOpenBook();
    void sendPairs();
    void getModeConnectListsDeviceBooks();
    void connectNeedsTheWholeIndex_data();
    void connectNeedsTheWholeIndex();
    void getOverwriteQuestions();
    void failuresNamedInTheFinalMessage();
    void getTakesOnlyWhatReadsAndSaves_data();
    void getTakesOnlyWhatReadsAndSaves();
    void strayMessageEndsTheRun_data();
    void strayMessageEndsTheRun();
    void twoCopiesEndToEnd();
    void deviceProcess();

private:
    DBManager *m_index = nullptr;
    QTemporaryDir m_card;
};

void TestTransferData::init()
{
    ymrtest::useDesktopFont();
    QFile::remove(appFile("ymrOutlaysIDX"));
    m_index = new DBManager;
    m_index->load();
}

void TestTransferData::cleanup()
{
    delete m_index;
    m_index = nullptr;
    YMRDialog::stopScript();
    Config cfg("ymrOutlays");
    cfg.clearGroup();
    cfg.setGroup("Options");
    cfg.clearGroup();
    cfg.write();
}

void TestTransferData::sendModeMarksTheOpenBook()
{
    const QString open = appFile("Open.exp"), other = appFile("Other.exp");
    makeBook(open, {"a"});
    makeBook(other, {"b"});
    addBook(m_index, open);
    addBook(m_index, other)->setProperty("transfer", "1");
    {
        Config cfg("ymrOutlays");
        cfg.setGroup("Options");
        cfg.writeEntry("pclink_sdata", 0);
        cfg.writeEntry("ip", "10.0.0.7");
    }
    TransferData dlg(true, m_index, open);
    QCOMPARE(dlg.windowTitle(), QString("Transfer Data"));
    QCOMPARE(dlg.addr->text(), QString("10.0.0.7"));
    QVERIFY(!dlg.data->isChecked());
    QVERIFY(dlg.btnConnect->isHidden());
    QVERIFY(dlg.btnOk->isEnabled());
    checkTexts(dlg, "Select expense books for transfer to device",
               "Send Categories and Data lists to device");
    QVERIFY(m_index->findByPath(open)->hasProperty("transfer"));
    QVERIFY(!m_index->findByPath(other)->hasProperty("transfer"));
    QCOMPARE(static_cast<PIMListViewItem *>(dlg.list->currentItem())->record(), m_index->findByPath(open));
    Config cfg("ymrOutlays");
    cfg.setGroup("dbs_columns");
    QCOMPARE(cfg.readEntry("column"), QString("5;0;1;2;3;4"));
    dlg.grab().save(ymrtest::grabPath("transferdata_send_" + qEnvironmentVariable("QPE_SCREEN")));

    // clicking marks an available book and unmarks a marked one; never an unavailable one
    dlg.select(m_index->findByPath(other));
    QVERIFY(m_index->findByPath(other)->hasProperty("transfer"));
    dlg.select(m_index->findByPath(open));
    QVERIFY(!m_index->findByPath(open)->hasProperty("transfer"));
    DBRecord *gone = addBook(m_index, appFile("Gone.exp"));
    QFile::remove(appFile("Gone.exp"));
    m_index->refreshRecord(gone);
    QVERIFY(!gone->isAvailable());
    dlg.select(gone);
    QVERIFY(!gone->hasProperty("transfer"));
}

void TestTransferData::sendPairs()
{
    const QString home = appFile("Home.exp");
    const QString card = m_card.path() + "/Trip.exp";
    makeBook(home, {"x"});
    makeBook(card, {"y"});
    {
        TaskManager b(card, false, false);
        b.load();
        b.setProperty("device_path", "/media/card");
        b.save();
    }
    addBook(m_index, home);
    addBook(m_index, card);
    TransferData dlg(true, m_index, home);
    dlg.select(m_index->findByPath(card));
    dlg.data->setChecked(true);
    // a list edited here goes as edited, one never edited as installed
    QVERIFY(YMRPIM::saveList("accounts", {"Cash"}));
    QFile::remove(YMRPIM::userListPath("cities"));
    const QStringList pairs = dlg.buildPairs();
    QCOMPARE(pairs.size(), 2 * 11);
    QCOMPARE(pairs.mid(0, 6), QStringList({appFile("ymrCategory"), "[A]ymrCategory",
                                           Global::applicationFileName("ymrOutlaysData", "accounts"),
                                           "[D]accounts", YMRPIM::defaultListPath("cities"), "[D]cities"}));
    QCOMPARE(pairs.at(9), QString("[D]currencies_en"));
    QCOMPARE(pairs.at(17), QString("[D]numberformat"));
    QCOMPARE(pairs.mid(18), QStringList({home, "[A]Home.exp", card, "/media/card/Trip.exp"}));
    dlg.data->setChecked(false);
    QCOMPARE(dlg.buildPairs().size(), 4);
}

void TestTransferData::getModeConnectListsDeviceBooks()
{
    Device device;
    device.books = QStringList{device.app() + "/Away.exp", "/media/card/Card.exp"};
    device.publish();
    {
        TransferData dlg(false, m_index, QString());
        QVERIFY(!dlg.btnOk->isEnabled());
        QVERIFY(!dlg.btnConnect->isHidden());
        checkTexts(dlg, "Select expense books for receive",
                   "Receive Categories and Data lists from device");
        QCOMPARE(dlg.list->childCount(), 0);
        dlg.addr->setText("127.0.0.1");
        dlg.doConnect();
        QVERIFY(dlg.btnOk->isEnabled());
        QVERIFY(dlg.deviceIndexStore());
        QCOMPARE(dlg.list->childCount(), 2);
        dlg.select(dlg.deviceIndexStore()->findByPath("/media/card/Card.exp"));
        QVERIFY(dlg.deviceIndexStore()->findByPath("/media/card/Card.exp")->hasProperty("transfer"));
        dlg.grab().save(ymrtest::grabPath("transferdata_get_" + qEnvironmentVariable("QPE_SCREEN")));

        // a second Connect lists the index as fetched, marks cleared
        dlg.doConnect();
        QVERIFY(!dlg.deviceIndexStore()->findByPath("/media/card/Card.exp")->hasProperty("transfer"));
        QCOMPARE(dlg.list->childCount(), 2);
        Config cfg("ymrOutlays");
        cfg.setGroup("Options");
        QCOMPARE(cfg.readEntry("ip"), QString("127.0.0.1"));
        QCOMPARE(cfg.readNumEntry("pclink_gdata", -1), 1);
        QVERIFY(QFile::exists(appFile("ymrOutlaysIDX_EXT")));
    }
    QVERIFY(!QFile::exists(appFile("ymrOutlaysIDX_EXT")));
}

// Connect lists the device's books only when its index arrived whole and
// reads; an index an earlier Connect left is never listed instead, and the
// fetched file goes with the dialog.
void TestTransferData::connectNeedsTheWholeIndex_data()
{
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<QString>("why");
    QTest::newRow("device refuses its index") << QByteArray() << QString();
    QTest::newRow("index line over the limit") << "FOLDER\nEND\nPATH=" + QByteArray(300, 'x') + "\nEND\n"
                                               << QString();
    // one list row each: a list of more is none the device sends (its
    // reader, the connecting side's, stops there)
    QByteArray books = "FOLDER\nEND\n";
    for (int i = 0; i <= DBManager::MaxBooks; ++i)
        books += "END\n";
    QTest::newRow("more books than an index lists") << books << QString();
}

void TestTransferData::connectNeedsTheWholeIndex()
{
    QFETCH(QByteArray, index);
    QFETCH(QString, why);
    PIMTextReader::setMaxLineLength(256);
    const auto restore = qScopeGuard([] { PIMTextReader::setMaxLineLength(0); });
    Device device;
    if (!index.isEmpty())
        writeFile(device.app() + "/ymrOutlaysIDX_EXT", index);
    // what a Connect before left behind
    writeFile(appFile("ymrOutlaysIDX_EXT"), "FOLDER\nEND\nPATH=/old/Stale.exp\nEND\n");
    {
        TransferData dlg(false, m_index, QString());
        dlg.addr->setText("127.0.0.1");
        YMRDialog::queueAnswer(1);
        dlg.doConnect();
        const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, "Failed receive file: [A]ymrOutlaysIDX_EXT." + why);
        QVERIFY(!dlg.deviceIndexStore());
        QCOMPARE(dlg.list->childCount(), 0);
        QVERIFY(!dlg.btnOk->isEnabled());
        QVERIFY(!QFile::exists(appFile("ymrOutlaysIDX_EXT")));
    }
    QVERIFY(!QFile::exists(appFile("ymrOutlaysIDX_EXT")));
}

// Device books land on the local book of the same file name; existing files
// and names used twice in one run are asked about. Only a plain ".exp" name
// is taken (never the book index or the category file); the others fail.
void TestTransferData::getOverwriteQuestions()
{
    Device device;
    device.books = QStringList{device.app() + "/Trip.exp", device.app() + "/New.exp", device.data() + "/New.exp",
                               device.app() + "/Keep.exp", "/d/ymrOutlaysIDX", "/d/ymrCategory", "/d/a|b.exp",
                               "/d/\x01.exp"};
    device.publish();
    const QString cardTrip = m_card.path() + "/Trip.exp";
    makeBook(cardTrip, {"local"});
    addBook(m_index, cardTrip);
    makeBook(appFile("Keep.exp"), {"keep"});
    QCOMPARE(TransferData(false, m_index, QString()).localBookPath("/x/Trip.exp"), cardTrip);

    TransferData dlg(false, m_index, QString());
    dlg.data->setChecked(false);
    dlg.doConnect();
    PIMRecordArray *records = dlg.deviceIndexStore()->records();
    for (int i = 0; i < records->count(); ++i)
        dlg.select(records->at(i));
    YMRDialog::queueAnswer(1); // Trip: overwrite
    YMRDialog::queueAnswer(2); // the second New: cancel
    YMRDialog::queueAnswer(2); // Keep: cancel
    YMRDialog::queueAnswer(1); // a|b.exp failed
    YMRDialog::queueAnswer(1); // \x01.exp failed
    const QStringList pairs = dlg.buildPairs();
    QCOMPARE(pairs, QStringList({device.app() + "/Trip.exp", cardTrip, device.app() + "/New.exp",
                                 appFile("New.exp")}));
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 5);
    QCOMPARE(boxes.at(3).text, QString("Failed receive file: /d/a\nb.exp."));
    QCOMPARE(boxes.at(0).caption, QString("Receive Data ..."));
    QCOMPARE(boxes.at(0).text,
             QString("Expense Book [Trip] already exists on %1.\nDo you want overwrite it?").arg(cardTrip));
    QVERIFY(boxes.at(1).text.endsWith(appFile("New.exp") + ".\nDo you want overwrite it?"));
    QVERIFY(!dlg.deviceIndexStore()->findByPath(device.data() + "/New.exp")->hasProperty("transfer"));
    QVERIFY(!dlg.deviceIndexStore()->findByPath(device.app() + "/Keep.exp")->hasProperty("transfer"));
    QVERIFY(dlg.deviceIndexStore()->findByPath(device.app() + "/Trip.exp")->hasProperty("transfer"));
}

void TestTransferData::failuresNamedInTheFinalMessage()
{
    Device device;
    const QString upper = appFile("Trip.EXP"), lower = appFile("Lost.exp"), good = appFile("Good.exp");
    for (const QString &p : {upper, lower, good}) {
        makeBook(p, {"b"});
        addBook(m_index, p);
    }
    TransferData dlg(true, m_index, QString());
    for (const QString &p : {upper, lower, good})
        dlg.select(m_index->findByPath(p));
    dlg.data->setChecked(false);
    QFile::remove(upper);
    QFile::remove(lower);
    QVERIFY(dlg.buildPairs().contains(lower));
    YMRDialog::queueAnswer(1);
    YMRDialog::queueAnswer(1);
    dlg.start();
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0).caption, QString("Send File Failed ..."));
    QCOMPARE(boxes.at(0).text, QString("Failed send file: %1.").arg(lower));
    QCOMPARE(boxes.at(1).caption, QString("Sending Data ..."));
    QCOMPARE(boxes.at(1).text, QString("Data send failed.\n%1\n%2").arg(upper, lower));
    QCOMPARE(dlg.result(), 0);
    // sent books lose their marks, failed ones keep them
    QVERIFY(!m_index->findByPath(good)->hasProperty("transfer"));
    QVERIFY(m_index->findByPath(lower)->hasProperty("transfer"));
    QCOMPARE(descriptionsOf(device.app() + "/Good.exp"), QStringList{"b"});
}

void TestTransferData::getTakesOnlyWhatReadsAndSaves_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("no book") << QByteArray("shopping list\nmilk\n") << false;
    QTest::newRow("empty book") << QByteArray() << false;
    QTest::newRow("damaged END line") << QByteArray("FOLDER\nTOTAL=1\nENDX\nTYPE=Sea\nEND\nTYPE=Hill\nEND\n")
                                      << false;
    // a few thousand bytes of bare ends: every one a record written back at
    // a hundred bytes and more
    QTest::newRow("too large once saved") << "FOLDER\nEND\n" + QByteArray("END\n").repeated(1000) << true;
}

// Get Data takes what the program itself would open whole; anything else
// leaves the old book byte for byte and is named as failed. A book taken
// whose note of its origin cannot be saved (here: larger than the reader
// takes once saved) is received all the same, and the user told what it
// lacks.
void TestTransferData::getTakesOnlyWhatReadsAndSaves()
{
    QFETCH(QByteArray, served);
    QFETCH(bool, replaced);
    Device device;
    const QString remote = device.app() + "/Hostile.exp";
    device.books = QStringList{remote};
    device.publish();
    pclinktest::writeFile(remote, served);
    const QString local = appFile("Hostile.exp");
    makeBook(local, {"mine"});
    addBook(m_index, local);
    const QMap<QString, QByteArray> before = listTree(QFileInfo(local).path());
    TaskManager::setMaxBookSize(16384);
    {
        TransferData get(false, m_index, QString());
        get.data->setChecked(false);
        get.doConnect();
        QVERIFY(get.deviceIndexStore());
        get.select(get.deviceIndexStore()->findByPath(remote));
        for (int i = 0; i < 4; ++i)
            YMRDialog::queueAnswer(1);
        get.start();
    }
    const bool fits = TaskManager::readsWhole(local) && QFileInfo(local).size() <= 16384;
    TaskManager::setMaxBookSize(0);
    QVERIFY(fits);
    QStringList texts;
    for (const YMRDialog::ScriptedBox &box : YMRDialog::takeScriptedBoxes())
        texts << box.text;
    if (replaced) {
        QCOMPARE(readFile(local), served);
        QVERIFY2(texts.filter("Received " + remote + ", but the folder it came from could not be noted").size() == 1,
                 qPrintable(texts.join('|')));
        QCOMPARE(texts.last(), QString("Data get successful."));
    } else {
        QVERIFY2(texts.contains(QString("Failed receive file: %1.").arg(remote)), qPrintable(texts.join('|')));
        QCOMPARE(texts.last(), QString("Data get failed.\n%1").arg(remote));
        QCOMPARE(listTree(QFileInfo(local).path()), before);
    }
}

void TestTransferData::strayMessageEndsTheRun_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<QByteArray>("stray");
    for (int at = 0; at <= 5; ++at) {
        const QByteArray where = at ? "behind book " + QByteArray::number(at) : QByteArray("ahead of book 1");
        QTest::newRow("FS " + where) << at << PCLinkProtocol::cannotSend();
        QTest::newRow("announce " + where) << at << PCLinkProtocol::announce("/d/Stray.exp", 4, "[A]Stray.exp") + "abcd";
        QTest::newRow("answer " + where) << at << PCLinkProtocol::answer(true);
    }
}

// A Get Data of five books whose device sends one message nobody asked for
// at each point of the run: the run ends there, the books before it are
// received (the device's records, the index refreshed) and every book after
// it is named as failed and left byte for byte.
void TestTransferData::strayMessageEndsTheRun()
{
    QFETCH(int, at);
    QFETCH(QByteArray, stray);
    const QStringList names = {"Sea", "Hill", "Lake", "Wood", "Town"};
    StrayDevice device;
    device.strayAt = at;
    device.stray = stray;
    QTemporaryDir deviceFiles;
    {
        DBManager ext(true);
        ext.load();
        ext.removeAll();
        for (const QString &name : names) {
            const QString path = deviceFiles.path() + "/" + name + ".exp";
            makeBook(path, {name + " trip"}, name + " book");
            device.files.insert(path, readFile(path));
            addBook(&ext, path);
        }
        ext.save();
    }
    device.files.insert("[A]ymrOutlaysIDX_EXT", readFile(appFile("ymrOutlaysIDX_EXT")));
    QFile::remove(appFile("ymrOutlaysIDX_EXT"));
    QMap<QString, QByteArray> before;
    for (const QString &name : names) {
        const QString local = appFile(name + ".exp");
        makeBook(local, {"old"}, "old " + name);
        m_index->refreshRecord(addBook(m_index, local));
        before.insert(name, readFile(local));
    }
    // A real run's reports are modal boxes that turn the event loop while
    // they are up (the connection's next bytes, the run's queued next
    // request): each report of the run's dialog turns it here.
    QTimer hook;
    QPointer<SendDataDialogClient> hooked;
    connect(&hook, &QTimer::timeout, this, [&hooked] {
        auto *client = qobject_cast<SendDataDialogClient *>(QApplication::activeModalWidget());
        if (!client || client == hooked)
            return;
        hooked = client;
        connect(client, &SendDataDialogClient::getFileFailed, client, [] { QTest::qWait(20); });
        connect(client, &SendDataDialogClient::getFileSuccess, client, [] { QTest::qWait(20); });
    });
    hook.start(1);
    {
        TransferData get(false, m_index, QString());
        get.data->setChecked(false);
        get.doConnect();
        QVERIFY(get.deviceIndexStore());
        PIMRecordArray *records = get.deviceIndexStore()->records();
        for (int i = 0; i < records->count(); ++i)
            get.select(records->at(i));
        for (int i = 0; i < 12; ++i)
            YMRDialog::queueAnswer(1);
        get.start();
    }
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QVERIFY(!boxes.isEmpty());
    const QStringList summary = boxes.last().text.split('\n');
    int replacedWhileFailed = 0;
    QStringList failed, wrong;
    for (const QString &name : names) {
        const QString local = appFile(name + ".exp"), remote = deviceFiles.path() + "/" + name + ".exp";
        const QByteArray bytes = readFile(local);
        const QString listed = m_index->findByPath(local)->description();
        if (summary.contains(remote)) {
            failed << name;
            replacedWhileFailed += bytes != before.value(name);
            if (listed != "old " + name)
                wrong << name + ": failed, its index record changed";
            continue;
        }
        // the device's records behind a header that notes where they came from
        const QByteArray theirs = device.files.value(remote);
        if (bytes.mid(bytes.indexOf("\nEND\n")) != theirs.mid(theirs.indexOf("\nEND\n")))
            wrong << name + ": received, not the device's records";
        if (listed != name + " book")
            wrong << name + ": received, its index record not refreshed";
    }
    QCOMPARE(replacedWhileFailed, 0);
    QCOMPARE(wrong, QStringList());
    QCOMPARE(failed, names.mid(at));
    QCOMPARE(summary.first(), QString(at == 5 ? "Data get successful." : "Data get failed."));
    // a run cut short says so
    QCOMPARE(boxes.count() > 1 && boxes.at(boxes.count() - 2).text == "Data transfer is not completed.", at < 5);
}

// Two copies, two homes: this one lists the device's books, gets one,
// changes it and sends it back to where it came from.
void TestTransferData::twoCopiesEndToEnd()
{
    QTemporaryDir deviceHome;
    const QString deviceApp = deviceHome.path() + "/Applications/ymrOutlays";
    QDir().mkpath(deviceApp);
    makeBook(deviceApp + "/Away.exp", {"Taxi", "Hotel"});

    QProcess peer;
    QProcessEnvironment env = ymrtest::childEnvironment(deviceHome.path());
    // the device copy listens where the system lets it and says where
    env.insert("YMR_PCLINK_DEVICE_PORT", "0");
    // the program sets it so at start; it picks the installed categories
    env.insert("LANG", "en");
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ymrtest::startChild(peer, {"deviceProcess"}, env);
    QVERIFY(peer.waitForStarted(60000));
    QByteArray said;
    const QRegularExpression ready("device ready (\\d+)\n");
    QTRY_VERIFY_WITH_TIMEOUT(ready.match(QString::fromLatin1(said += peer.readAllStandardOutput())).hasMatch(), 60000);

    PCLinkServer::setPort(quint16(ready.match(QString::fromLatin1(said)).captured(1).toUInt()));
    {
        TransferData get(false, m_index, QString());
        get.addr->setText("127.0.0.1");
        get.doConnect();
        QVERIFY(get.deviceIndexStore());
        // the device's books as its index lists them
        QVERIFY(get.deviceIndexStore()->findByPath(deviceApp + "/Away.exp"));
        QCOMPARE(get.list->childCount(), get.deviceIndexStore()->count());
        get.select(get.deviceIndexStore()->findByPath(deviceApp + "/Away.exp"));
        YMRDialog::queueAnswer(1);
        get.start();
        QCOMPARE(get.result(), 1);
        QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text, QString("Data get successful."));
    }
    const QString local = appFile("Away.exp");
    QCOMPARE(descriptionsOf(local), QStringList({"Taxi", "Hotel"}));
    QVERIFY(m_index->findByPath(local));
    QVERIFY(QFile::exists(Global::applicationFileName("ymrOutlaysData", "types")));
    {
        TaskManager book(local, false, true);
        book.load();
        QCOMPARE(book.property("device_path"), deviceApp);
    }

    makeBook(local, {"Museum"});
    {
        // with the value lists as a new user has them: never edited
        for (const QString &list : QDir(YMRPIM::userListPath(QString())).entryList(QDir::Files))
            QFile::remove(YMRPIM::userListPath(list));
        TransferData put(true, m_index, local);
        put.data->setChecked(true);
        YMRDialog::queueAnswer(1);
        put.start();
        QCOMPARE(put.result(), 1);
        QCOMPARE(YMRDialog::takeScriptedBoxes().value(0).text, QString("Data send successful."));
    }
    QTRY_COMPARE(descriptionsOf(deviceApp + "/Away.exp"), QStringList({"Taxi", "Hotel", "Museum"}));
    // the device copy ends when its input closes, as it would if this process died
    peer.closeWriteChannel();
    QVERIFY(peer.waitForFinished(60000));
    said += peer.readAllStandardOutput();
    QVERIFY2(peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0, said.constData());
}

// The device's side of the end-to-end test, run as a separate process: the
// program's main window with its book open runs the PC-link command.
void TestTransferData::deviceProcess()
{
    const QByteArray port = qgetenv("YMR_PCLINK_DEVICE_PORT");
    if (port.isEmpty())
        QSKIP("runs only as the second copy of the end-to-end test");
    qApp->setQuitOnLastWindowClosed(false);
    const QString app = Global::applicationFileName("ymrOutlays", QString());
    {
        DBManager index;
        index.load();
        for (const QString &name : QDir(app).entryList({"*.exp"}))
            addBook(&index, app + name);
        QVERIFY(index.save());
        Config cfg("ymrOutlays");
        cfg.setGroup("Options");
        cfg.writeEntry("book", app + "Away.exp");
    }
    PCLinkServer::setPort(quint16(port.toInt()));
    ToDoWindow w;
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 10000);

    QSocketNotifier input(0, QSocketNotifier::Read);
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *server = qobject_cast<SendDataDialogServer *>(QApplication::activeModalWidget());
        if (!server)
            return;
        poll.stop();
        QVERIFY(server->server()->isListening());
        const int listening = server->server()->serverPort();
        // the copy ends when its input closes, as it would if the other copy died
        connect(&input, &QSocketNotifier::activated, server, [server] {
            char c;
            if (::read(0, &c, 1) <= 0)
                server->reject();
        });
        std::printf("device ready %d\n", listening);
        std::fflush(stdout);
    });
    poll.start(10);
    emit w.action("pclink")->activated();
    QVERIFY(!QFile::exists(appFile("ymrOutlaysIDX_EXT")));
    QVERIFY(w.manager());
}

YMR_TEST_MAIN(TestTransferData)
#include "tst_transferdata.moc"
