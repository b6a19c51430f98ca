#include "ymrtest.h"

#include "qpe/qcopchannel.h"
#include "qpe/qcopenvelope.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpeglobal.h"

#include <QDateTime>
#include <QDialog>
#include <QSignalSpy>
#include <QTimer>

namespace {

struct Received
{
    QByteArray channel, msg, data;
};

// Collects what arrives on any number of channels, in arrival order.
class Collector : public QObject
{
public:
    QList<Received> got;
    QCopChannel *listen(const QByteArray &name)
    {
        auto *ch = new QCopChannel(name, this);
        connect(ch, &QCopChannel::received, this, [this, name](const QByteArray &m, const QByteArray &d) {
            got.append({name, m, d});
        });
        return ch;
    }
    QByteArrayList messages() const
    {
        QByteArrayList l;
        for (const Received &r : got)
            l.append(r.channel + ':' + r.msg);
        return l;
    }
};

// A main window that logs its Show and the documents it is handed.
class DocWindow : public QWidget
{
    Q_OBJECT
public:
    QStringList log;
public slots:
    void setDocument(const QString &doc) { log.append(QStringLiteral("doc:") + doc); }

protected:
    void showEvent(QShowEvent *) override { log.append(QStringLiteral("show")); }
};

} // namespace

class TestQCop : public QObject
{
    Q_OBJECT
private slots:
    void notDeliveredDuringSend();
    void sendOrderAcrossChannels();
    void exactChannelOnly();
    void deliveredInsideNestedDialog();
    void channelDeletedBeforeDelivery();
    void receiverOpensAndClosesChannels();
    void envelopeRoundTrip();
    void appMessageNeedsObjectName();
    void documentOpenRequest();
    void documentOnCommandLineAfterShow();
};

void TestQCop::notDeliveredDuringSend()
{
    Collector c;
    c.listen("T/a");
    QCopChannel::send("T/a", "m()");
    QVERIFY(c.got.isEmpty());
    QTRY_COMPARE(c.got.size(), 1);
    QCOMPARE(c.got.at(0).msg, QByteArray("m()"));
    QVERIFY(c.got.at(0).data.isEmpty());
}

void TestQCop::sendOrderAcrossChannels()
{
    Collector c;
    c.listen("T/x");
    c.listen("T/y");
    QCopChannel::send("T/x", "1");
    QCopChannel::send("T/y", "2");
    QCopChannel::send("T/x", "3");
    QCopChannel::send("T/y", "4");
    QCopChannel::send("T/x", "5");
    QTRY_COMPARE(c.got.size(), 5);
    QCOMPARE(c.messages(), (QByteArrayList{"T/x:1", "T/y:2", "T/x:3", "T/y:4", "T/x:5"}));
}

void TestQCop::exactChannelOnly()
{
    Collector c;
    c.listen("T/chan");
    c.listen("T/chan");   // every live channel of the name receives
    c.listen("T/chan/sub");
    c.listen("T/Chan");
    c.listen("T/cha");
    QVERIFY(QCopChannel::isRegistered("T/chan"));
    QVERIFY(!QCopChannel::isRegistered("T/nobody"));
    QCopChannel::send("T/chan", "hit");
    QCopChannel::send("T/nobody", "lost");
    QCopChannel::send("T/end", "end");
    c.listen("T/end");
    QTRY_COMPARE(c.got.size(), 3);
    QCOMPARE(c.messages(), (QByteArrayList{"T/chan:hit", "T/chan:hit", "T/end:end"}));
}

void TestQCop::deliveredInsideNestedDialog()
{
    QDialog dlg;
    QCopChannel ch("T/modal");
    QByteArrayList seen;
    connect(&ch, &QCopChannel::received, &dlg, [&](const QByteArray &m, const QByteArray &) {
        seen.append(m);
        if (m == "close")
            dlg.accept();
    });
    QCopChannel::send("T/modal", "first");
    QCopChannel::send("T/modal", "close");
    QTimer::singleShot(10000, &dlg, &QDialog::reject);   // never hang the run
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(seen, (QByteArrayList{"first", "close"}));
}

void TestQCop::channelDeletedBeforeDelivery()
{
    Collector c;
    QCopChannel *doomed = c.listen("T/gone");
    c.listen("T/gone");
    QCopChannel::send("T/gone", "m");
    delete doomed;
    QTRY_COMPARE(c.got.size(), 1);
    QVERIFY(!QCopChannel::isRegistered("T/never"));

    // a receiver that deletes the other channel of the name mid-delivery
    Collector d;
    QCopChannel *first = d.listen("T/gone2");
    QCopChannel *second = d.listen("T/gone2");
    connect(first, &QCopChannel::received, second, [&]() { delete second; second = nullptr; });
    connect(second, &QCopChannel::received, first, [&]() { delete first; first = nullptr; });
    QCopChannel::send("T/gone2", "m");
    QTRY_COMPARE(d.got.size(), 1);
    ymrtest::flushEvents();
    QCOMPARE(d.got.size(), 1);
    // the first to hear it deletes the other
    QVERIFY((first == nullptr) != (second == nullptr));
}

void TestQCop::receiverOpensAndClosesChannels()
{
    Collector c;
    QCopChannel *ch = c.listen("T/open");
    int extra = 0;
    connect(ch, &QCopChannel::received, this, [&]() {
        // opening channels during a delivery must not disturb it
        auto *more = new QCopChannel("T/open", &c);
        connect(more, &QCopChannel::received, this, [&]() { ++extra; });
    });
    QCopChannel::send("T/open", "a");
    QTRY_COMPARE(c.got.size(), 1);
    QCOMPARE(extra, 0);
    QCopChannel::send("T/open", "b");
    QTRY_COMPARE(extra, 1);
}

void TestQCop::envelopeRoundTrip()
{
    Collector c;
    c.listen("T/env");
    const QDateTime when(QDate(2005, 3, 7), QTime(12, 30, 15));
    {
        QCopEnvelope e("T/env", "alarm(QDateTime,int)");
        e << when << qint32(42) << QString::fromUtf8("\xe9\xa3\x9f");
        QCOMPARE(e.channel(), QByteArray("T/env"));
        QVERIFY(c.got.isEmpty());
    }
    QVERIFY(c.got.isEmpty());
    QTRY_COMPARE(c.got.size(), 1);
    QCOMPARE(c.got.at(0).msg, QByteArray("alarm(QDateTime,int)"));
    QDataStream in(c.got.at(0).data);
    in.setVersion(Qpe::StreamVersion);
    QDateTime w;
    qint32 n = 0;
    QString s;
    in >> w >> n >> s;
    QCOMPARE(in.status(), QDataStream::Ok);
    QCOMPARE(w, when);
    QCOMPARE(n, 42);
    QCOMPARE(s, QString::fromUtf8("\xe9\xa3\x9f"));
    QVERIFY(in.atEnd());
}

void TestQCop::appMessageNeedsObjectName()
{
    auto *app = qobject_cast<QPEApplication *>(qApp);
    QVERIFY(app);
    QSignalSpy spy(app, &QPEApplication::appMessage);
    app->setObjectName(QString());
    QCopChannel::send("QPE/Application/", "nameless");
    QCopChannel::send("QPE/Application/" + QCoreApplication::applicationName().toUtf8(), "byexe");
    ymrtest::flushEvents();
    QCOMPARE(spy.count(), 0);

    app->setObjectName(QStringLiteral("tstapp"));
    QCopChannel::send("QPE/Application/tstapp", "hello", "data");
    QCopChannel::send("QPE/Application/tstapp2", "other");
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray("hello"));
    QCOMPARE(spy.at(0).at(1).toByteArray(), QByteArray("data"));

    // renamed: the old channel is closed
    app->setObjectName(QStringLiteral("renamed"));
    QCopChannel::send("QPE/Application/tstapp", "old");
    QCopChannel::send("QPE/Application/renamed", "new");
    QTRY_COMPARE(spy.count(), 2);
    ymrtest::flushEvents();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toByteArray(), QByteArray("new"));
}

void TestQCop::documentOpenRequest()
{
    auto *app = qobject_cast<QPEApplication *>(qApp);
    app->setObjectName(QStringLiteral("docapp"));
    DocWindow w;
    QPEApplication::setArgumentsForTest({QStringLiteral("prog")});
    app->showMainDocumentWidget(&w, false);
    QCOMPARE(QPEApplication::mainDocumentWidget(), &w);
    QSignalSpy spy(app, &QPEApplication::appMessage);
    {
        QCopEnvelope e("QPE/Application/docapp", "setDocument(QString)");
        e << QStringLiteral("/tmp/b.exp");
    }
    QTRY_COMPARE(w.log.count(QStringLiteral("doc:/tmp/b.exp")), 1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(w.log.first(), QStringLiteral("show"));
}

void TestQCop::documentOnCommandLineAfterShow()
{
    QCOMPARE(QPEApplication::documentArgument({QStringLiteral("prog")}), QString());
    QCOMPARE(QPEApplication::documentArgument({QStringLiteral("prog"), QStringLiteral("-style")}),
             QString());
    QCOMPARE(QPEApplication::documentArgument({QStringLiteral("prog"), QStringLiteral("/a/b.exp")}),
             QStringLiteral("/a/b.exp"));
    QCOMPARE(QPEApplication::documentArgument({QStringLiteral("prog"), QStringLiteral("b.exp")}),
             QDir::current().absoluteFilePath(QStringLiteral("b.exp")));

    auto *app = qobject_cast<QPEApplication *>(qApp);
    DocWindow w;
    QPEApplication::setArgumentsForTest({QStringLiteral("prog"), QStringLiteral("/data/Book1.exp")});
    app->showMainDocumentWidget(&w, false);
    // not during the call: the window sees its Show first
    QCOMPARE(w.log, QStringList{QStringLiteral("show")});
    QTRY_COMPARE(w.log, (QStringList{QStringLiteral("show"), QStringLiteral("doc:/data/Book1.exp")}));
    QVERIFY(w.isVisible());
    if (QPEApplication::isScreenEmulated())
        QCOMPARE(w.size(), QPEApplication::screenRect().size());
    QPEApplication::setArgumentsForTest(QStringList());
}

QPE_TEST_MAIN(TestQCop)
#include "tst_qcop.moc"
