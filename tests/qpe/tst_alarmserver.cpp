#include "ymrtest.h"

#include "filebytes.h"
#include "zonescope.h"

#include "qpe/alarmserver.h"
#include "qpe/wallclock.h"
#include "qpe/boundedfile.h"
#include "qpe/folderlock.h"
#include "qpe/localzone.h"
#include "qpe/qcopchannel.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpeglobal.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Delivery
{
    QByteArray msg;
    QDateTime when;
    qint32 data = -1;
    QDateTime arrived;   // system clock at arrival
};

// Listens on one channel and decodes the alarm data. Given a server, it
// deletes each alarm it got there, as the program does once the user
// dismissed the reminder; otherwise the alarm stays in the list.
class AlarmSink : public QObject
{
public:
    explicit AlarmSink(const QByteArray &channel, AlarmServer *done = nullptr)
    {
        auto *ch = new QCopChannel(channel, this);
        const QPointer<AlarmServer> server(done);
        connect(ch, &QCopChannel::received, this, [this, channel, server](const QByteArray &m, const QByteArray &d) {
            Delivery x;
            x.msg = m;
            QDataStream in(d);
            in.setVersion(Qpe::StreamVersion);
            in >> x.when >> x.data;
            x.arrived = QDateTime::currentDateTime();
            got.append(x);
            if (server)
                server->remove(x.when, channel, m, x.data);
        });
    }
    QList<Delivery> got;
};

// A clock the test moves by hand.
struct FakeClock
{
    QDateTime t;
    int reads = 0;   // how often the server looked at the time
    AlarmServer::Clock fn()
    {
        return [this] {
            ++reads;
            return t;
        };
    }
};

const QDateTime T0(QDate(2026, 3, 7), QTime(9, 0, 0));
// An alarm message as the record store writes it: name plus a 36-byte UID.
const QByteArray Msg = QByteArray("alarm(QDateTime,int)") + "0f8fad5b-d9cb-469f-a165-70867728950e";

} // namespace

class TestAlarmServer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void wholeSecondsDuplicatesAndDelete();
    void neverEarlyWhenTheTimerFiresEarly();
    void deliversAtTheTimeInOrder();
    void timerCappedAtOneMinute();
    void restartRearmsAndRingsAgainUntilDealtWith();
    void persistedFieldsRoundTrip();
    void damagedListKeepsItsAlarms_data();
    void damagedListKeepsItsAlarms();
    void listWrittenAsTheDamagedOneGoesIsRead();
    void listRoundTrips_data();
    void listRoundTrips();
    void onlyOneServerPerRootDelivers();
    void idleHolderSeesAnotherCopysAlarm();
    void lockOfAnEndedCopyIsTakenOver();
    void realClockNotEarly();
    void applicationServerStartsInsideTheLoop();
    void changeWaitsForAnotherCopysWrite();
    void longListLoadsAndChanges();
    void timesThatNeverComeAreRefused_data();
    void timesThatNeverComeAreRefused();
    void skippedTimeOfAnotherZone_data();
    void skippedTimeOfAnotherZone();
    void snoozeAcrossTheChangeOfTime_data();
    void snoozeAcrossTheChangeOfTime();
    void repeatedWallTimeOfAList_data();
    void repeatedWallTimeOfAList();
    void farYearsByTheZonesRules_data();
    void farYearsByTheZonesRules();
    void zoneAgreesWithTheCLibrary_data();
    void zoneAgreesWithTheCLibrary();
    void oneZoneHeldAtATime();

private:
    QString freshDir();
    QTemporaryDir m_tmp;
    int m_n = 0;
};

QString TestAlarmServer::freshDir()
{
    const QString d = m_tmp.path() + QStringLiteral("/root") + QString::number(++m_n);
    QDir().mkpath(d);
    return d;
}

void TestAlarmServer::init()
{
    QVERIFY(m_tmp.isValid());
}

void TestAlarmServer::wholeSecondsDuplicatesAndDelete()
{
    AlarmServer s(freshDir());
    const QDateTime snoozed = T0.addMSecs(5 * 60 * 1000 + 437);   // carries milliseconds
    s.add(snoozed, "A/ch", Msg, 0);
    s.add(snoozed, "A/ch", Msg, 0);                // same alarm again
    s.add(AlarmServer::wholeSeconds(snoozed), "A/ch", Msg, 0);   // same after the cut
    QCOMPARE(s.pending().size(), 1);
    QCOMPARE(s.pending().first().when, T0.addSecs(300));
    QCOMPARE(s.pending().first().when.time().msec(), 0);

    // differing in any value: another alarm
    s.add(snoozed, "A/ch", Msg, 1);
    s.add(snoozed, "A/other", Msg, 0);
    s.add(snoozed, "A/ch", Msg + "x", 0);
    QCOMPARE(s.pending().size(), 4);

    // deleting what is not there changes nothing
    s.remove(snoozed.addSecs(1), "A/ch", Msg, 0);
    s.remove(QDateTime(), "A/ch", Msg, 0);
    QCOMPARE(s.pending().size(), 4);

    // the whole-second form deletes the millisecond registration and vice versa
    s.remove(T0.addSecs(300), "A/ch", Msg, 0);
    s.remove(snoozed, "A/ch", Msg, 1);
    QCOMPARE(s.pending().size(), 2);
    QCOMPARE(s.pending().at(0).channel, QByteArray("A/other"));
    QCOMPARE(s.pending().at(1).message, Msg + "x");

    // many at once, as one by one: one named twice, one not there, a null
    // time, others at the same times staying; held, the list is written once
    // as the hold ends
    for (int i = 0; i < 6; ++i)
        QVERIFY(s.add(T0.addSecs(600 + i % 3), "A/ch", Msg + QByteArray::number(i), 0));
    const QByteArray before = readAll(s.fileName());
    AlarmServer::WriteHold hold(&s);
    QVERIFY(s.remove(QVector<AlarmServer::Alarm>{{T0.addSecs(600), "A/ch", Msg + "0", 0},
                                                 {T0.addSecs(601), "A/ch", Msg + "4", 0},
                                                 {T0.addSecs(600), "A/ch", Msg + "0", 0},
                                                 {T0.addSecs(602), "A/ch", Msg + "9", 0},
                                                 {QDateTime(), "A/ch", Msg + "2", 0},
                                                 {T0.addSecs(602).addMSecs(300), "A/ch", Msg + "5", 0}}));
    QStringList left;
    for (const AlarmServer::Alarm &a : s.pending())
        left << QString::fromLatin1(a.message.right(1));
    QCOMPARE(left, QStringList({"e", "x", "3", "1", "2"}));
    QCOMPARE(readAll(s.fileName()), before);
    QVERIFY(hold.release());
    QCOMPARE(AlarmServer(QFileInfo(s.fileName()).path()).pending(), s.pending());

    // a list that cannot be written is reported
    QVERIFY(QFile::remove(s.fileName()));
    QVERIFY(QDir().mkpath(s.fileName() + QStringLiteral("/x")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not saved: it does not read"));
    QVERIFY(!s.add(T0.addSecs(900), "A/ch", Msg, 0));
    QVERIFY(QDir(s.fileName()).removeRecursively());
    QVERIFY(s.remove(T0.addSecs(900), "A/ch", Msg, 0));
}

void TestAlarmServer::neverEarlyWhenTheTimerFiresEarly()
{
    AlarmSink sink("A/early");
    FakeClock clock;
    clock.t = T0;
    AlarmServer s(freshDir());
    s.setClock(clock.fn());
    s.start(0);
    s.add(T0.addSecs(10), "A/early", Msg, 0);
    QCOMPARE(s.timerInterval(), 10000);

    // the clock says 30 ms to go however long we wait: the timer keeps firing
    // and must not deliver
    clock.t = T0.addMSecs(9970);
    s.setClock(clock.fn());
    QCOMPARE(s.timerInterval(), 30);
    // each firing reads the clock: let it fire a few times
    const int reads = clock.reads;
    QTRY_VERIFY_WITH_TIMEOUT(clock.reads >= reads + 6, 30000);
    QVERIFY(sink.got.isEmpty());
    QCOMPARE(s.pending().size(), 1);
    s.deliverDue();
    ymrtest::flushEvents();
    QVERIFY(sink.got.isEmpty());

    clock.t = T0.addSecs(10);
    QTRY_COMPARE(sink.got.size(), 1);
    // sent once; it stays in the list until its receiver deletes it
    QCOMPARE(s.pending().size(), 1);
    QCOMPARE(s.timerInterval(), -1);
    ymrtest::flushEvents();
    s.deliverDue();
    ymrtest::flushEvents();
    QCOMPARE(sink.got.size(), 1);
    QVERIFY(s.remove(T0.addSecs(10), "A/early", Msg, 0));
    QVERIFY(s.pending().isEmpty());
}

void TestAlarmServer::deliversAtTheTimeInOrder()
{
    FakeClock clock;
    clock.t = T0;
    AlarmServer s(freshDir());
    AlarmSink sink("A/order", &s);
    AlarmSink other("A/order2", &s);
    s.setClock(clock.fn());
    s.start(0);
    s.add(T0.addSecs(20), "A/order", "third", 3);
    s.add(T0.addSecs(10), "A/order", "first", 1);
    s.add(T0.addSecs(10), "A/order2", "second", 2);
    s.add(T0.addSecs(99), "A/order", "later", 4);

    clock.t = T0.addSecs(25);
    s.deliverDue();
    QTRY_COMPARE(sink.got.size(), 2);
    QCOMPARE(other.got.size(), 1);
    QCOMPARE(sink.got.at(0).msg, QByteArray("first"));
    QCOMPARE(sink.got.at(0).when, T0.addSecs(10));
    QCOMPARE(sink.got.at(0).data, 1);
    QCOMPARE(sink.got.at(1).msg, QByteArray("third"));
    QCOMPARE(sink.got.at(1).when, T0.addSecs(20));
    QCOMPARE(sink.got.at(1).data, 3);
    QCOMPARE(other.got.at(0).msg, QByteArray("second"));
    QCOMPARE(s.pending().size(), 1);
    QCOMPARE(s.timerInterval(), AlarmServer::MaxInterval);
}

void TestAlarmServer::timerCappedAtOneMinute()
{
    FakeClock clock;
    clock.t = T0;
    AlarmServer s(freshDir());
    s.setClock(clock.fn());
    s.add(T0.addSecs(3600), "A/cap", Msg, 0);
    QCOMPARE(s.timerInterval(), -1);   // not armed before the start
    s.start(0);
    QCOMPARE(s.timerInterval(), AlarmServer::MaxInterval);
    clock.t = T0.addSecs(3600 - 5);
    s.setClock(clock.fn());
    QCOMPARE(s.timerInterval(), 5000);
    s.remove(T0.addSecs(3600), "A/cap", Msg, 0);
    QCOMPARE(s.timerInterval(), -1);
}

void TestAlarmServer::restartRearmsAndRingsAgainUntilDealtWith()
{
    const QString dir = freshDir();
    AlarmSink sink("A/restart");
    FakeClock clock;
    clock.t = T0;
    {
        AlarmServer first(dir);
        first.setClock(clock.fn());
        first.start(0);
        first.add(T0.addSecs(10), "A/restart", "missed", 0);
        first.add(T0.addSecs(3600), "A/restart", "future", 0);
    }
    // the program was not running when the first fell due
    clock.t = T0.addSecs(600);
    {
        AlarmServer second(dir);
        second.setClock(clock.fn());
        QCOMPARE(second.pending().size(), 2);
        second.start(150);
        QVERIFY(second.isDelivering());
        // not at once: after the start-up delay
        QVERIFY(second.timerInterval() > 0 && second.timerInterval() <= 150);
        QCoreApplication::processEvents();
        QVERIFY(sink.got.isEmpty());
        QTRY_COMPARE(sink.got.size(), 1);
        QCOMPARE(sink.got.at(0).msg, QByteArray("missed"));
        QCOMPARE(second.timerInterval(), AlarmServer::MaxInterval);
        // once in this run, however often it looks
        second.deliverDue();
        ymrtest::flushEvents();
        QCOMPARE(sink.got.size(), 1);
        // the program ends while it shows: not dealt with, it stays
        QCOMPARE(second.pending().size(), 2);
    }
    {
        AlarmServer third(dir);
        third.setClock(clock.fn());
        third.start(0);
        QTRY_COMPARE(sink.got.size(), 2);
        QCOMPARE(sink.got.at(1).msg, QByteArray("missed"));
        // dismissed this time
        QVERIFY(third.remove(sink.got.at(1).when, "A/restart", "missed", 0));
        QCOMPARE(third.pending().size(), 1);
        QCOMPARE(third.pending().first().message, QByteArray("future"));
        clock.t = T0.addSecs(3600);
        third.deliverDue();
        QTRY_COMPARE(sink.got.size(), 3);
        QCOMPARE(sink.got.at(2).msg, QByteArray("future"));
    }
    // what was dealt with reached the list before the end
    AlarmServer fourth(dir);
    QCOMPARE(fourth.pending().size(), 1);
    QCOMPARE(fourth.pending().first().message, QByteArray("future"));
}

void TestAlarmServer::persistedFieldsRoundTrip()
{
    const QString dir = freshDir();
    const QByteArray odd = QByteArray("a\tb%c\nd\xe9") + char(0) + "z";
    {
        AlarmServer s(dir);
        s.add(T0, "QPE/Application/ymrOutlays", Msg, 0);
        s.add(T0.addSecs(1), "A/odd", odd, -5);
    }
    QFile f(dir + QStringLiteral("/alarms"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll().count('\n'), 2);
    AlarmServer s(dir);
    QCOMPARE(s.pending().size(), 2);
    QCOMPARE(s.pending().at(0).channel, QByteArray("QPE/Application/ymrOutlays"));
    QCOMPARE(s.pending().at(0).message, Msg);
    QCOMPARE(s.pending().at(0).when, T0);
    QCOMPARE(s.pending().at(1).message, odd);
    QCOMPARE(s.pending().at(1).data, -5);
}

// A line that is no alarm makes the list a damaged one: its bytes are kept
// beside it, the user is told, and every alarm that reads goes on ringing,
// written anew at once.
void TestAlarmServer::damagedListKeepsItsAlarms_data()
{
    QTest::addColumn<QByteArray>("bad");
    QTest::newRow("no alarm at all") << QByteArray("garbage");
    QTest::newRow("a zero byte") << QByteArray("2026-03-07T09:00:00\tA/c\tze\0ro\t1", 31);
    QTest::newRow("a line cut short") << QByteArray("2026-03-07T09:00:00\tA/c\tcut");
    QTest::newRow("a bad month") << QByteArray("2026-13-07T09:00:00\tA/c\tbad\t1");
    QTest::newRow("no date") << QByteArray("not a date\tA/c\tbad\t1");
    QTest::newRow("a missing field") << QByteArray("2026-03-07T09:00:00\t\tnochannel\t1");
    QTest::newRow("data that is no number") << QByteArray("2026-03-07T09:00:00\tA/c\tbaddata\tx");
    QTest::newRow("a field too many") << QByteArray("2026-03-07T09:00:00\tA/c\ttoo\tmany\tfields");
}

void TestAlarmServer::damagedListKeepsItsAlarms()
{
    QFETCH(QByteArray, bad);
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/alarms");
    const QByteArray good = "2026-03-07T09:00:00\tA/c\tgood\t7\n";
    const QByteArray later = "2026-03-08T10:00:00\tA/c\tlater\t0\n";
    const QByteArray file = good + bad + "\n" + later + "\n";
    writeAll(path, file);
    QStringList told;
    BoundedFile::setNotifier([&told](const QString &p, const QString &) { told << p; });
    const auto restore = qScopeGuard([] { BoundedFile::setNotifier(BoundedFile::Notifier()); });
    for (int start = 0; start < 2; ++start) {
        AlarmServer s(dir);
        QCOMPARE(s.pending().size(), 2);
        QCOMPARE(s.pending().first().message, QByteArray("good"));
        QCOMPARE(s.pending().first().data, 7);
        QCOMPARE(s.pending().last().message, QByteArray("later"));
        QCOMPARE(told, QStringList{path});
        QCOMPARE(readAll(BoundedFile::asideName(path)), file);
        QCOMPARE(readAll(path), good + later);
    }
}

// Another copy writes its list the moment this one sets a damaged one
// aside: that list is read at the next look, not taken as the one found.
void TestAlarmServer::listWrittenAsTheDamagedOneGoesIsRead()
{
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/alarms");
    writeAll(path, "garbage\n");
    BoundedFile::setNotifier([&path](const QString &, const QString &) {
        writeAll(path, "2026-03-07T09:00:00\tA/c\ttheirs\t1\n");
    });
    const auto restore = qScopeGuard([] { BoundedFile::setNotifier(BoundedFile::Notifier()); });
    AlarmServer s(dir);
    QCOMPARE(s.pending().size(), 1);
    QCOMPARE(s.pending().first().message, QByteArray("theirs"));
}

// Inputs the fuzzing of the list found: whatever a server reads, it writes
// a list that reads back the same and writes the same bytes again.
void TestAlarmServer::listRoundTrips_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("kept");
    // a time with an offset is the wall time it shows, within the years
    QTest::newRow("last second of year 9999, far west") << QByteArray("9999-12-31T23:59:59-14:00\tc\tm\t1\n") << 1;
    QTest::newRow("first second of year 1, far east") << QByteArray("0001-01-01T00:00:00+14:00\tc\tm\t1\n") << 1;
    QTest::newRow("offset and escapes") << QByteArray("2005-01-18T13:45:00+02:00\tch%09x\tm%zz\t-5\n") << 1;
}

void TestAlarmServer::listRoundTrips()
{
    QFETCH(QByteArray, file);
    QFETCH(int, kept);
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/alarms");
    writeAll(path, file);
    const QDateTime probe(QDate(2001, 2, 3), QTime(4, 5, 6));
    // adding and removing an alarm writes the list
    auto rewrite = [&](AlarmServer &s) {
        s.add(probe, "p", "p", 0);
        s.remove(probe, "p", "p", 0);
        return readAll(path);
    };
    QList<AlarmServer::Alarm> read;
    QByteArray first;
    {
        AlarmServer s(dir);
        read = s.pending();
        QCOMPARE(read.size(), kept);
        first = rewrite(s);
    }
    AlarmServer again(dir);
    QCOMPARE(again.pending(), read);
    QCOMPARE(rewrite(again), first);
    // nor is such a time taken from the program
    const QDateTime beyond(QDate(9999, 12, 31), QTime(23, 59), Qt::OffsetFromUTC, -14 * 3600);
    QVERIFY(again.add(beyond, "c", "m", 1));
    QCOMPARE(again.pending(), read);
}

void TestAlarmServer::onlyOneServerPerRootDelivers()
{
    const QString dir = freshDir();
    AlarmSink sink("A/lock");
    // a clock each: the holder follows the file, so it must not see the
    // time pass before the other copy has tried to deliver
    FakeClock clock, clockA;
    clock.t = clockA.t = T0;
    std::unique_ptr<AlarmServer> a(new AlarmServer(dir));
    AlarmServer b(dir);
    // what a copy rang and the user dealt with is gone from the list
    AlarmSink done("A/lock", a.get());
    a->setClock(clockA.fn());
    b.setClock(clock.fn());
    a->start(0);
    b.start(0);
    QVERIFY(a->isDelivering());
    QVERIFY(!b.isDelivering());

    // registrations of either reach the file both read
    b.add(T0.addSecs(1), "A/lock", "from b", 0);
    a->add(T0.addSecs(2), "A/lock", "from a", 0);
    QCOMPARE(b.pending().size(), 2);

    clock.t = T0.addSecs(5);
    b.deliverDue();
    ymrtest::flushEvents();
    QVERIFY(sink.got.isEmpty());
    clockA.t = T0.addSecs(5);
    a->deliverDue();
    QTRY_COMPARE(sink.got.size(), 2);
    QCOMPARE(sink.got.at(0).msg, QByteArray("from b"));

    // the holder ends: the other takes over
    b.add(T0.addSecs(6), "A/lock", "after", 0);
    a.reset();
    clock.t = T0.addSecs(10);
    b.deliverDue();
    QVERIFY(b.isDelivering());
    QTRY_COMPARE(sink.got.size(), 3);
    ymrtest::flushEvents();
    QCOMPARE(sink.got.size(), 3);
}

void TestAlarmServer::idleHolderSeesAnotherCopysAlarm()
{
    const QString dir = freshDir();
    AlarmSink sink("A/idle");
    FakeClock clock;
    clock.t = T0;
    AlarmServer holder(dir);
    AlarmServer other(dir);
    holder.setClock(clock.fn());
    other.setClock(clock.fn());
    holder.start(0);
    other.start(0);
    QVERIFY(holder.isDelivering());
    QCOMPARE(holder.timerInterval(), -1);

    // the holder has nothing of its own to wait for, yet rings the other's
    other.add(T0.addSecs(2), "A/idle", "from the other copy", 0);
    QTRY_COMPARE(holder.timerInterval(), 2000);
    clock.t = T0.addSecs(2);
    holder.setClock(clock.fn());
    QTRY_COMPARE(sink.got.size(), 1);
    QCOMPARE(sink.got.at(0).msg, QByteArray("from the other copy"));
}

void TestAlarmServer::lockOfAnEndedCopyIsTakenOver()
{
    // a copy that crashed left its lock file behind
    QProcess gone;
    gone.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    gone.kill();
    QVERIFY(gone.waitForFinished());
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/alarms.lock");
    QByteArray content;
    {
        QLockFile model(path);
        QVERIFY(model.tryLock(0));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        content = f.readAll();
    }
    // the same lock, but held by a process that has ended
    content = QByteArray::number(pid) + content.mid(content.indexOf('\n'));
    QFile lock(path);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(content);
    lock.close();
    AlarmServer s(dir);
    s.start(0);
    QVERIFY(s.isDelivering());

    // a live holder keeps its lock however old the file is
    QFile held(path);
    QVERIFY(held.open(QIODevice::ReadWrite));
    QVERIFY(held.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    held.close();
    AlarmServer other(dir);
    other.start(0);
    QVERIFY(!other.isDelivering());
}

void TestAlarmServer::realClockNotEarly()
{
    AlarmSink sink("A/real");
    AlarmServer s(freshDir());
    s.start(0);
    const QDateTime when = AlarmServer::wholeSeconds(QDateTime::currentDateTime()).addSecs(2);
    s.add(when, "A/real", Msg, 9);
    QTRY_VERIFY_WITH_TIMEOUT(sink.got.size() == 1, 30000);
    QVERIFY2(sink.got.at(0).arrived >= when, qPrintable(sink.got.at(0).arrived.toString(Qt::ISODateWithMs)));
    QCOMPARE(sink.got.at(0).when, when);
    QCOMPARE(sink.got.at(0).data, 9);
}

void TestAlarmServer::applicationServerStartsInsideTheLoop()
{
    AlarmServer *s = AlarmServer::instance();
    QTRY_VERIFY(s->isStarted());
    QVERIFY(s->isDelivering());
    QCOMPARE(s->fileName(), Qpe::userRoot() + QStringLiteral("/Settings/alarms"));
    AlarmSink sink("QPE/Application/tst", s);
    const QDateTime past = QDateTime::currentDateTime().addSecs(-30);
    AlarmServer::addAlarm(past, "QPE/Application/tst", Msg, 0);
    AlarmServer::addAlarm(past.addSecs(3600), "QPE/Application/tst", Msg, 0);
    AlarmServer::deleteAlarm(past.addSecs(3600), "QPE/Application/tst", Msg, 0);
    QTRY_COMPARE(sink.got.size(), 1);
    QCOMPARE(sink.got.at(0).msg, Msg);
    QVERIFY(s->pending().isEmpty());
}

// Another copy of the program is in the middle of its change of the list
// (read, about to write): a change made here meanwhile waits for it and
// goes onto what it wrote.
void TestAlarmServer::changeWaitsForAnotherCopysWrite()
{
    const QString dir = freshDir();
    AlarmServer s(dir);
    QVERIFY(s.add(T0, "A/c", "before", 0));
    int fds[2];
    QCOMPARE(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::close(fds[0]);
        FolderLock lock(dir);
        const QByteArray path = QFile::encodeName(s.fileName());
        char text[4096];
        const int in = ::open(path.constData(), O_RDONLY);
        const ssize_t n = in < 0 ? 0 : ::read(in, text, sizeof text);
        (void)!::write(fds[1], "1", 1);
        // well within a lock's short wait
        ::usleep(100000);
        const QByteArray line("2026-03-07T09:00:00\tA/c\tother copy\t0\n");
        const int out = ::open(path.constData(), O_WRONLY | O_TRUNC);
        (void)!::write(out, text, size_t(qMax<ssize_t>(n, 0)));
        (void)!::write(out, line.constData(), size_t(line.size()));
        ::close(out);
        ::_exit(lock.isLocked() ? 0 : 1);
    }
    ::close(fds[1]);
    char taken = 0;
    QCOMPARE(::read(fds[0], &taken, 1), ssize_t(1));
    ::close(fds[0]);
    QVERIFY(s.add(T0, "A/c", "this copy", 0));
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QStringList messages;
    for (const AlarmServer::Alarm &a : AlarmServer(dir).pending())
        messages << QString::fromUtf8(a.message);
    QCOMPARE(messages, QStringList({"before", "other copy", "this copy"}));
}

// The longest list there may be reads whole, repeated lines dropped, and
// takes changes among its alarms (its time: bench_qpe_alarmlist).
void TestAlarmServer::longListLoadsAndChanges()
{
    const QString dir = freshDir();
    QByteArray text;
    // as many as the list's memory bound lets through, every line twice
    const int count = 50000;
    text.reserve(count * 36);
    for (int i = 0; i < count; ++i) {
        const int secs = T0.time().msecsSinceStartOfDay() / 1000 + i;
        text += T0.date().addDays(secs / 86400).toString(Qt::ISODate).toLatin1()
                + QTime::fromMSecsSinceStartOfDay(secs % 86400 * 1000).toString("'T'hh:mm:ss").toLatin1()
                + "\tA/long\tm" + QByteArray::number(i % 997) + "\t0\n";
    }
    // every line twice: the second is dropped
    writeAll(dir + QStringLiteral("/alarms"), text + text);
    FakeClock clock;
    clock.t = T0.addSecs(-60);
    AlarmServer s(dir);
    s.setClock(clock.fn());
    s.start(0);
    for (int i = 0; i < 5; ++i) {
        QVERIFY(s.add(T0.addSecs(count + i), "A/long", "new", 0));
        QVERIFY(s.remove(T0.addSecs(i), "A/long", "m" + QByteArray::number(i % 997), 0));
    }
    const QList<AlarmServer::Alarm> now = s.pending();
    QCOMPARE(now.size(), count);
    QCOMPARE(now.first().when, T0.addSecs(5));
    QCOMPARE(now.last().message, QByteArray("new"));
}

// A local time the clocks skip (a change to summer time) is an invalid
// QDateTime: kept, it would never be sent. The server refuses it, and a
// null time, and keeps nothing; the first minute after the gap is taken.
void TestAlarmServer::timesThatNeverComeAreRefused_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDate>("day");
    QTest::newRow("Europe/Berlin") << QByteArray("Europe/Berlin") << QDate(2027, 3, 28);
    QTest::newRow("America/St_Johns") << QByteArray("America/St_Johns") << QDate(2027, 3, 14);
}

void TestAlarmServer::timesThatNeverComeAreRefused()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDate, day);
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", zone);
    AlarmServer s(freshDir());
    const bool skipped = s.add(QDateTime(day, QTime(2, 30)), "A/ch", Msg, 0);
    const bool null = s.add(QDateTime(), "A/ch", Msg, 0);
    const bool after = s.add(QDateTime(day, QTime(3, 0)), "A/ch", Msg, 0);
    const QList<AlarmServer::Alarm> kept = s.pending();
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    QVERIFY(!skipped);
    QVERIFY(!null);
    QVERIFY(after);
    QCOMPARE(kept.size(), 1);
}

// A list written under Asia/Kathmandu holds 02:30 of the night Europe/Berlin
// skips. Read under Berlin it rings at 03:00, not at once, and either the
// moment it was sent at or the wall time as stored takes it off the list.
void TestAlarmServer::skippedTimeOfAnotherZone_data()
{
    QTest::addColumn<bool>("byWallTime");
    QTest::addColumn<bool>("askedFirst");   // as the alarm window does
    QTest::newRow("the moment sent") << false << false;
    QTest::newRow("the wall time stored") << true << false;
    QTest::newRow("the moment sent, asked whether listed") << false << true;
}

void TestAlarmServer::skippedTimeOfAnotherZone()
{
    QFETCH(bool, byWallTime);
    const QDate day(2026, 3, 29);
    const QString dir = freshDir();
    {
        ymrtest::ZoneScope kathmandu("Asia/Kathmandu");
        AlarmServer s(dir);
        QVERIFY(s.add(QDateTime(day, QTime(2, 30)), "A/zone", Msg, 0));
    }
    ymrtest::ZoneScope berlin("Europe/Berlin");
    QVERIFY(!QDateTime(day, QTime(2, 30)).isValid());
    AlarmSink sink("A/zone");
    FakeClock clock;
    clock.t = QDateTime(day.addDays(-9), QTime(12, 0));
    AlarmServer s(dir);
    s.setClock(clock.fn());
    s.start(0);
    s.deliverDue();
    ymrtest::flushEvents();
    QVERIFY(sink.got.isEmpty());
    const QList<AlarmServer::Alarm> kept = s.pending();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().when, QDateTime(day, QTime(3, 0)));
    clock.t = QDateTime(day, QTime(3, 0));
    s.deliverDue();
    QTRY_COMPARE(sink.got.size(), 1);
    QCOMPARE(sink.got.first().when, QDateTime(day, QTime(3, 0)));
    const QDateTime named = byWallTime ? QDateTime(day, QTime(2, 30)) : sink.got.first().when;
    QFETCH(bool, askedFirst);
    if (askedFirst)
        QCOMPARE(s.registered(named, "A/zone", Msg, 0), QDateTime(day, QTime(3, 0)));
    QVERIFY(s.remove(named, "A/zone", Msg, 0));
    QVERIFY(s.flush());
    QVERIFY(s.pending().isEmpty());
    QCOMPARE(readAll(s.fileName()).trimmed(), QByteArray());
}

// A reminder snoozed five minutes as the clocks change (Europe/Berlin): in
// autumn from 02:56 summer time into 02:01 winter time, a wall time the
// clocks show twice; in spring from 01:58 into 03:03, past the hour
// skipped. The list holds it as the moment it was set: it rings then, not
// at once, read back by another server too; the book's wall time alone
// still takes it off. A line of the earlier form reads as it did.
void TestAlarmServer::snoozeAcrossTheChangeOfTime_data()
{
    QTest::addColumn<QDateTime>("rang");   // UTC
    QTest::addColumn<QByteArray>("stored");
    // the earlier form's wall time alone: a repeated one as its first showing
    QTest::addColumn<QDateTime>("wallAlone");   // UTC
    QTest::newRow("autumn") << QDateTime(QDate(2026, 10, 25), QTime(0, 56), Qt::UTC)
                            << QByteArray("2026-10-25T02:01:00+01:00\t")
                            << QDateTime(QDate(2026, 10, 25), QTime(0, 1), Qt::UTC);
    QTest::newRow("spring") << QDateTime(QDate(2026, 3, 29), QTime(0, 58), Qt::UTC)
                            << QByteArray("2026-03-29T03:03:00\t")
                            << QDateTime(QDate(2026, 3, 29), QTime(1, 3), Qt::UTC);
}

void TestAlarmServer::snoozeAcrossTheChangeOfTime()
{
    QFETCH(QDateTime, rang);
    QFETCH(QByteArray, stored);
    QFETCH(QDateTime, wallAlone);
    ymrtest::ZoneScope berlin("Europe/Berlin");
    const QString dir = freshDir();
    const QDateTime snoozed = rang.toLocalTime().addSecs(300);
    // another reminder two minutes after the ring: in autumn a later wall
    // time of the hour's first showing, which rings before the snoozed one
    const QDateTime soon = rang.toLocalTime().addSecs(120);
    FakeClock clock;
    clock.t = rang.toLocalTime();
    {
        AlarmServer s(dir);
        s.setClock(clock.fn());
        s.start(0);
        QVERIFY(s.add(snoozed, "A/snooze", Msg, 0));
        QVERIFY(s.add(soon, "A/snooze", "soon", 0));
    }
    QVERIFY2(("\n" + readAll(dir + "/alarms")).contains("\n" + stored), readAll(dir + "/alarms").constData());
    AlarmSink sink("A/snooze");
    AlarmServer s(dir);
    s.setClock(clock.fn());
    s.start(0);
    QCOMPARE(s.pending().size(), 2);
    QCOMPARE(s.pending().last().when, snoozed);
    QCOMPARE(s.pending().last().when.toUTC(), rang.addSecs(300));
    for (const QDateTime &moment : {soon, snoozed}) {
        clock.t = moment.addSecs(-1);
        s.deliverDue();
        ymrtest::flushEvents();
        QCOMPARE(sink.got.size(), moment == soon ? 0 : 1);
        QCOMPARE(s.timerInterval(), 1000);
        clock.t = moment;
        s.deliverDue();
        QTRY_COMPARE(sink.got.size(), moment == soon ? 1 : 2);
        QCOMPARE(sink.got.last().when, moment);
    }
    const QDateTime wallOnly(snoozed.date(), snoozed.time());
    QVERIFY(s.remove(wallOnly, "A/snooze", Msg, 0));
    QCOMPARE(s.pending().size(), 1);

    // the earlier form: the wall time alone, read the same every time
    writeAll(dir + "/alarms", QByteArray(stored).replace("+01:00", "") + "A/snooze\told\t0\n");
    AlarmServer earlier(dir);
    for (const QDateTime &moment : {wallAlone, wallAlone.addSecs(3600), wallAlone.addSecs(-3600)}) {
        // the system's conversion goes by the one before
        moment.toLocalTime();
        QCOMPARE(earlier.pending().first().when.toUTC(), wallAlone);
    }
}

// A list line in the hour the clocks repeat, read after a conversion of the
// other showing's season: a wall time alone is its first showing; one with
// an offset that showing here, or under another zone the wall time there
// (written without it). Sent, the moment carries its offset; kept again by
// the receiver it stays one alarm; its moment takes it off.
void TestAlarmServer::repeatedWallTimeOfAList_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDate>("otherSeason");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QDateTime>("rings");   // UTC
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<bool>("repeatedHere");
    const QDate summer(2027, 7, 1), winter(2026, 12, 15);
    const auto row = [](const char *name, const char *zone, const QDate &season, const char *time, int month,
                        int day, int hour, int minute, const char *written, bool repeatedHere) {
        QTest::newRow(name) << QByteArray(zone) << season << QByteArray(time)
                            << QDateTime(QDate(2027, month, day), QTime(hour, minute), Qt::UTC)
                            << QByteArray(written) << repeatedHere;
    };
    row("alone, Berlin", "Europe/Berlin", winter, "2027-10-31T02:57:00", 10, 31, 0, 57, "2027-10-31T02:57:00", true);
    row("second, Berlin", "Europe/Berlin", summer, "2027-10-31T02:57:00+01:00", 10, 31, 1, 57,
        "2027-10-31T02:57:00+01:00", true);
    row("Berlin's second, London", "Europe/London", summer, "2027-10-31T02:57:00+01:00", 10, 31, 2, 57,
        "2027-10-31T02:57:00", false);
    // a day either side of the change the clocks show a wall time once
    row("a day before, Berlin", "Europe/Berlin", winter, "2027-10-30T02:57:00", 10, 30, 0, 57, "2027-10-30T02:57:00",
        false);
    row("a day after, New York", "America/New_York", summer, "2027-11-08T01:30:00", 11, 8, 6, 30,
        "2027-11-08T01:30:00", false);
    row("alone, New York", "America/New_York", winter, "2027-11-07T01:30:00", 11, 7, 5, 30, "2027-11-07T01:30:00",
        true);
    row("New York's second, Los Angeles", "America/Los_Angeles", winter, "2027-11-07T01:30:00-05:00", 11, 7, 8, 30,
        "2027-11-07T01:30:00", true);
    row("second, Lord Howe", "Australia/Lord_Howe", winter, "2027-04-04T01:45:00+10:30", 4, 3, 15, 15,
        "2027-04-04T01:45:00+10:30", true);
    row("Lord Howe's second, Brisbane", "Australia/Brisbane", winter, "2027-04-04T01:45:00+10:30", 4, 3, 15, 45,
        "2027-04-04T01:45:00", false);
}

void TestAlarmServer::repeatedWallTimeOfAList()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDate, otherSeason);
    QFETCH(QByteArray, time);
    QFETCH(QDateTime, rings);
    QFETCH(QByteArray, written);
    QFETCH(bool, repeatedHere);
    ymrtest::ZoneScope scope(zone);
    const QString dir = freshDir();
    writeAll(dir + "/alarms", time + "\tA/wall\tm\t0\n");
    (void)QDateTime(otherSeason, QTime(12, 0)).toMSecsSinceEpoch();
    FakeClock clock;
    clock.t = rings.addSecs(-1);
    AlarmServer s(dir);
    AlarmSink sink("A/wall");
    s.setClock(clock.fn());
    s.start(0);
    QCOMPARE(s.pending().size(), 1);
    QCOMPARE(s.pending().first().when.toUTC(), rings);
    clock.t = rings;
    s.deliverDue();
    QTRY_COMPARE(sink.got.size(), 1);
    const QDateTime sent = sink.got.first().when;
    QCOMPARE(sent.toUTC(), rings);
    // a wall time repeated here is sent with its offset: alone it reads
    // back as either showing
    QCOMPARE(sent.timeSpec(), repeatedHere ? Qt::OffsetFromUTC : Qt::LocalTime);
    QVERIFY(s.add(sent, "A/wall", "m", 0));
    QCOMPARE(s.pending().size(), 1);
    // the list written anew
    QVERIFY(s.add(rings.addDays(1), "A/wall", "later", 0));
    QVERIFY2(readAll(s.fileName()).startsWith(written + '\t'), readAll(s.fileName()).constData());
    QVERIFY(s.remove(sent, "A/wall", "m", 0));
    QCOMPARE(s.pending().size(), 1);
}

// Before 1970 and after 2037 Qt reads a local time by rules of its own (no
// summer time before 1970, a stand-in year after 2037), an hour off the
// zone's near a change of time. An alarm there rings at its wall time by
// the zone's rules.
void TestAlarmServer::farYearsByTheZonesRules_data()
{
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QDateTime>("rings");   // UTC
    QTest::newRow("1945, double summer time") << QByteArray("1945-07-01T12:00:00")
                                              << QDateTime(QDate(1945, 7, 1), QTime(9, 0), Qt::UTC);
    QTest::newRow("2040, two days into summer time") << QByteArray("2040-03-27T12:00:00")
                                                     << QDateTime(QDate(2040, 3, 27), QTime(10, 0), Qt::UTC);
    QTest::newRow("the last days Qt reads itself") << QByteArray("2037-12-30T12:00:00")
                                                   << QDateTime(QDate(2037, 12, 30), QTime(11, 0), Qt::UTC);
    QTest::newRow("the turn of 2038") << QByteArray("2037-12-31T23:30:00")
                                      << QDateTime(QDate(2037, 12, 31), QTime(22, 30), Qt::UTC);
    QTest::newRow("the last second before 1970") << QByteArray("1969-12-31T23:59:59")
                                                 << QDateTime(QDate(1969, 12, 31), QTime(22, 59, 59), Qt::UTC);
    // mean time gave way to CET at 00:06:32: the first whole minute after
    QTest::newRow("skipped as the zone left its mean time")
        << QByteArray("1893-04-01T00:03:00") << QDateTime(QDate(1893, 3, 31), QTime(23, 7), Qt::UTC);
    QTest::newRow("the last second the list holds")
        << QByteArray("9999-12-31T23:59:59") << QDateTime(QDate(9999, 12, 31), QTime(22, 59, 59), Qt::UTC);
}

void TestAlarmServer::farYearsByTheZonesRules()
{
    QFETCH(QByteArray, time);
    QFETCH(QDateTime, rings);
    ymrtest::ZoneScope berlin("Europe/Berlin");
    const QString dir = freshDir();
    writeAll(dir + "/alarms", time + "\tA/far\tm\t0\n");
    AlarmServer s(dir);
    QCOMPARE(s.pending().size(), 1);
    QCOMPARE(s.pending().first().when.toUTC(), rings);
}

// The zone's table says what the C library says at every change of offset
// from 1900 to 2200 (those the C library shows and those the table holds),
// and at every moment a row names: the offset either side, and the
// showings of the wall times at its edges (two where the clocks go back,
// the two earliest where they show it three times, none in the gap as they
// go forward, where a reminder rings at the first whole minute after it,
// however long the gap); a repeated wall time's every showing a local
// date-time reads back as. Zones of every kind: a rule past the file's last
// change (hour 24, negative hours), a day left out, a POSIX rule in TZ (one
// whose summer spans the turn of the year; one without dates, or out of
// form, read as the C library reads it), leap seconds, a file named by path
// or like a rule, crafted files, UTC for an empty TZ or one naming nothing;
// each read as TZ changes. A file or rule of the form every reader takes
// alike is the program's own reading, which the C library never
// contradicts; any other is the C library's.
namespace {
// A block of a zone file: its changes (moment, type), types (offset,
// summer), leap seconds (moment, correction) and bytes of names.
QByteArray zoneBlock(char version, int timeSize, const QVector<QPair<qint64, int>> &changes,
                     const QVector<QPair<int, bool>> &types, const QVector<QPair<qint64, int>> &leaps = {},
                     int chars = 4)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.writeRawData("TZif", 4);
    s << quint8(version);
    for (int i = 0; i < 15; ++i)
        s << quint8(0);
    s << qint32(0) << qint32(0) << qint32(leaps.size()) << qint32(changes.size()) << qint32(types.size())
      << qint32(chars);
    const auto time = [&s, timeSize](qint64 t) { timeSize == 8 ? s << qint64(t) : s << qint32(t); };
    for (const auto &c : changes)
        time(c.first);
    for (const auto &c : changes)
        s << quint8(c.second);
    for (const auto &t : types)
        s << qint32(t.first) << quint8(t.second) << quint8(0);
    s.writeRawData(QByteArray("XST").leftJustified(chars, '\0').constData(), chars);
    for (const auto &l : leaps) {
        time(l.first);
        s << qint32(l.second);
    }
    return out;
}

// A zone file of version 2: an empty 32-bit block, the 64-bit one, and the
// text after it (a rule between line breaks).
QByteArray zoneFile(const QVector<QPair<qint64, int>> &changes, const QVector<QPair<int, bool>> &types,
                    const QByteArray &rule)
{
    return zoneBlock('2', 4, {}, {{0, false}}) + zoneBlock('2', 8, changes, types) + '\n' + rule + '\n';
}

qint64 utc(int year, int month = 1, int day = 1)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
}

// The C library's wall clock at a moment less the moment (with leap
// seconds, not tm_gmtoff; timegm would count them too).
int cOffset(qint64 t)
{
    const time_t at = time_t(t);
    struct tm local;
    localtime_r(&at, &local);
    const QDate day(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return int(WallClock::wallOf(day, QTime(0, 0)) + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec - t);
}

QVector<qint64> everySecondsOf(qint64 from, qint64 to, qint64 step)
{
    QVector<qint64> out;
    for (qint64 t = from; t < to; t += step)
        out << t;
    return out;
}
} // namespace

void TestAlarmServer::zoneAgreesWithTheCLibrary_data()
{
    QTest::addColumn<QByteArray>("zone");
    // a zone file written for the row, named by its path in TZ
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("own");
    // moments where the table is asked besides the changes
    QTest::addColumn<QVector<qint64>>("probes");
    for (const char *zone : {"Europe/Berlin", "Australia/Lord_Howe", "America/Santiago", "America/Nuuk", "Pacific/Apia",
                             "Asia/Kathmandu", ":Europe/Paris", "EST5EDT", "", "XST5XDT,J60,59",
                             "XST-1XDT,M2.5.0/23,M3.1.0",
                             "XST0XDT,J69/13,J70/13", "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "XST-13XDT,J365/25,J1/0",
                             "XST-1XDT,M3.5.0,M10.5.0/3", "XST-2XDT,M3.5.0/-1,M10.5.0/27",
                             // an hour repeated with standard time on both sides
                             "Asia/Almaty", "Europe/Moscow", "right/UTC", "right/Europe/Berlin"})
        QTest::newRow(zone) << QByteArray(zone) << QByteArray() << true << QVector<qint64>();
    // rules without dates, and out of form
    for (const char *zone : {"CET-1CEST", "XST5XDT4", "CET-1CEST,", "XXX-24YYY,M13.5.0,M0.0.0",
                             "EST5EDT,M3.2.0,M11.0.0", "EST5EDT,M3.2.0/2:,M11.1.0", "XST+5:99XDT,J0,J366",
                             "EST5EDT,M3.2.0", "XST-25XDT,M3.5.0,M10.5.0/3 ", "XST 5", "AB5", ":", "<A>5",
                             "XST5XDT,M3.2.0/+2,M11.1.0/-", "XST5XDT,J60/200,300/-170", "Nowhere/Else",
                             "XST5XDT,J0,J100"})
        QTest::newRow(zone) << QByteArray(zone) << QByteArray() << false << QVector<qint64>();
    // changes minutes apart at the turn of a year
    const QVector<qint64> newYear = everySecondsOf(utc(1973) - 3600, utc(1973) + 20 * 3600, 100);
    for (const char *zone : {"LHST1:5XYZ,M0.0.7,M3.3.3", "ABC18LHST0:15,M0.9.7,J999/-168"})
        QTest::newRow(zone) << QByteArray(zone) << QByteArray() << false << newYear;
    const QVector<QPair<int, bool>> types{{3600, false}, {7200, true}};
    const QByteArray rule = "XST-1XDT,M3.5.0,M10.5.0/3";
    const QVector<QPair<qint64, int>> changes{{utc(1980), 1}, {utc(1980, 7), 0}, {utc(1990), 1}};
    QTest::newRow("a file by its path") << QByteArray() << zoneFile(changes, types, rule) << true << QVector<qint64>();
    QTest::newRow("changes out of order, damaged")
        << QByteArray() << zoneFile({{utc(1990), 1}, {utc(1980), 0}, {utc(2000), 1}}, types, "XST-1") << false
        << QVector<qint64>();
    // a search of the C library's and a binary search part ways over these
    QTest::newRow("changes out of order, searched otherwise, damaged")
        << QByteArray()
        << zoneFile({{utc(1989), 0}, {utc(2008), 0}, {utc(1990, 7), 1}, {utc(2027, 7), 1}}, types, "XST-1") << false
        << QVector<qint64>();
    QTest::newRow("two changes at one second")
        << QByteArray() << zoneFile({{utc(1980), 1}, {utc(1990), 0}, {utc(1990), 1}}, types, "XST-1") << false
        << QVector<qint64>();
    QTest::newRow("a type past the types, damaged")
        << QByteArray() << zoneFile({{utc(1980), 1}, {utc(1990), 2}}, types, "XST-1") << false << QVector<qint64>();
    // offsets far past any zone's, a change ten minutes after another: both
    // within half an hour
    const QVector<qint64> close = everySecondsOf(utc(1990) - 3600, utc(1990) + 3600, 60);
    for (const int hours : {27, 30, 7 * 24})
        QTest::newRow(qPrintable(QString("an offset of %1 hours, a close change").arg(hours)))
            << QByteArray()
            << zoneFile({{utc(1980), 1}, {utc(1990) + 100, 0}, {utc(1990) + 700, 1}, {utc(1995), 0}},
                        {{3600, false}, {hours * 3600, true}},
                        "XST-1")
            << false << close;
    QTest::newRow("a file over 4 MiB, a close change")
        << QByteArray()
        << zoneBlock('2', 4, {}, {{0, false}})
               + zoneBlock('2', 8, {{utc(1990) + 100, 1}, {utc(1990) + 700, 0}, {utc(1995), 1}}, types, {},
                           (4 << 20) + 4)
               + "\n"
               + rule + "\n"
        << true << close;
    QTest::newRow("a wall time shown three times")
        << QByteArray()
        << zoneFile({{utc(1990), 1}, {utc(1990) + 1800, 2}}, {{10800, false}, {7200, false}, {3600, false}}, "XST-1")
        << true << close;
    // the C library reads the rule after a file's changes only when there
    // are changes, and a version's 64-bit block alone
    QTest::newRow("no changes, a rule")
        << QByteArray() << zoneFile({}, {{-18000, false}}, "EST5EDT,M3.2.0,M11.1.0") << true << QVector<qint64>();
    QTest::newRow("no changes, a southern rule")
        << QByteArray() << zoneFile({}, {{36000, false}}, "XST-10XDT,M10.1.0,M4.1.0/3") << true << QVector<qint64>();
    const QByteArray bothBlocks =
        zoneBlock('1', 4, {{utc(1980), 0}}, {{0, false}}) + zoneBlock('1', 8, {{utc(1980), 0}}, {{18000, false}});
    QTest::newRow("version 1, both blocks") << QByteArray() << bothBlocks + "\n\n" << true << QVector<qint64>();
    QTest::newRow("version 1, nothing after the blocks") << QByteArray() << bothBlocks << false << QVector<qint64>();
    QTest::newRow("version 2 without its second header")
        << QByteArray() << zoneBlock('2', 4, {{utc(1980), 0}}, {{10800, false}}) << false << QVector<qint64>();
    QTest::newRow("no version, the 32-bit block")
        << QByteArray() << zoneBlock('\0', 4, {{utc(1980), 1}, {utc(1990), 0}}, types) << true << QVector<qint64>();
    QTest::newRow("a rule without its final line break")
        << QByteArray() << zoneFile(changes, types, rule).chopped(1) << false << QVector<qint64>();
    QTest::newRow("a line after the rule")
        << QByteArray() << zoneFile(changes, types, rule) + "XYZ\n" << false << QVector<qint64>();
    QTest::newRow("leap seconds")
        << QByteArray()
        << zoneBlock('2', 4, {}, {{0, false}})
               + zoneBlock('2', 8, changes, types, {{utc(1981, 7) + 1, 1}, {utc(1983, 7) + 2, 2}, {utc(1990, 3), 1}})
               + '\n' + rule + '\n'
        << true << everySecondsOf(utc(1983, 7) - 5, utc(1983, 7) + 5, 1);
}

void TestAlarmServer::zoneAgreesWithTheCLibrary()
{
    QFETCH(QByteArray, zone);
    QFETCH(QByteArray, file);
    QFETCH(bool, own);
    QFETCH(QVector<qint64>, probes);
    if (zone.startsWith("right/") && !QFile::exists("/usr/share/zoneinfo/" + zone))
        QSKIP("no zone files with leap seconds here");
    if (!file.isEmpty()) {
        zone = QFile::encodeName(freshDir() + "/Zone");
        writeAll(QString::fromLocal8Bit(zone), file);
    }
    ymrtest::ZoneScope scope(zone);
    const auto held = LocalZone::current();
    const LocalZone &table = *held;
    QCOMPARE(table.ownReading(), own);
    QVERIFY(!table.ownReadingContradicted());
    for (const qint64 t : qAsConst(probes))
        QCOMPARE(table.offsetAt(t), cOffset(t));
    // the changes the C library shows, found to the second, and those the
    // table holds
    std::vector<qint64> changes;
    table.changesIn(utc(1900), utc(2201), changes);
    QSet<int> offsets;
    const qint64 step = 6 * 3600;
    int was = cOffset(utc(1900));
    for (qint64 t = utc(1900); t < utc(2201); t += step) {
        const int next = cOffset(t + step);
        QCOMPARE(table.offsetAt(t), was);
        offsets << was;
        if (next != was) {
            qint64 lo = t, hi = t + step;
            while (hi - lo > 1)
                (cOffset((lo + hi) / 2) == was ? lo : hi) = (lo + hi) / 2;
            changes.push_back(hi);
        }
        was = next;
    }
    std::sort(changes.begin(), changes.end());
    changes.erase(std::unique(changes.begin(), changes.end()), changes.end());
    // mktime counts leap seconds a way of its own
    bool leaps = false;
    for (const qint64 hi : changes) {
        offsets << cOffset(hi - 1) << cOffset(hi);
        leaps = leaps || qAbs(cOffset(hi) - cOffset(hi - 1)) == 1;
    }
    for (const qint64 hi : changes) {
        const int before = cOffset(hi - 1), after = cOffset(hi);
        QCOMPARE(table.offsetAt(hi - 1), before);
        QCOMPARE(table.offsetAt(hi), after);
        for (const qint64 wall : {hi + before - 1, hi + before, hi + after - 61, hi + after - 1, hi + after}) {
            QList<qint64> all;   // earliest first
            for (const int offset : qAsConst(offsets)) {
                if (cOffset(wall - offset) == offset)
                    all << wall - offset;
            }
            std::sort(all.begin(), all.end());
            qint64 moments[2];
            const int n = table.showingsOf(wall, moments);
            QCOMPARE(QList<qint64>(moments, moments + n), all.mid(0, 2));
            // what the reminder page tells skipped, in every year
            QCOMPARE(WallClock::skipped(WallClock::dateOf(wall), WallClock::timeOf(wall)), all.isEmpty());
            // what mktime makes of the wall time shows it only when it
            // is one of them
            const time_t asUtc = time_t(wall);
            struct tm fields;
            gmtime_r(&asUtc, &fields);
            const struct tm asked = fields;
            fields.tm_isdst = -1;
            const time_t made = mktime(&fields);
            const bool shows = fields.tm_hour == asked.tm_hour && fields.tm_min == asked.tm_min
                               && fields.tm_sec == asked.tm_sec && fields.tm_mday == asked.tm_mday;
            if (!leaps)
                QCOMPARE(shows, all.contains(qint64(made)));
            // a repeated wall time's each showing, as a local date-time,
            // reads back as itself
            for (int i = 0; i < n && n == 2; ++i) {
                const QDateTime local = WallClock::local(
                    QDateTime::fromSecsSinceEpoch(moments[i], Qt::OffsetFromUTC, int(wall - moments[i])));
                QCOMPARE(local.toSecsSinceEpoch(), moments[i]);
                QCOMPARE(WallClock::wallOf(local.date(), local.time()), wall);
            }
            // a wall time the clocks skip as they go forward here rings
            // at the first whole minute after the gap, however long
            if (after > before && wall >= hi + before && wall < hi + after && all.isEmpty()) {
                const qint64 past = ((hi + after) % 60 + 60) % 60;
                const qint64 minute = past == 0 ? hi + after : hi + after - past + 60;
                const QDateTime rings = WallClock::moment(WallClock::dateOf(wall), WallClock::timeOf(wall));
                QVERIFY2(rings.isValid(), qPrintable(QString::number(wall)));
                if (cOffset(minute - after) == after)
                    QCOMPARE(rings.toSecsSinceEpoch(), minute - after);
            }
        }
    }
    // and no answer contradicts another: a moment's wall time shows at it
    for (qint64 t = utc(1975); t < utc(2005); t += 30 * 86400 + 3917) {
        qint64 moments[2];
        const int n = table.showingsOf(table.wallAt(t), moments);
        QVERIFY2(std::find(moments, moments + n, t) != moments + n, qPrintable(QString::number(t)));
    }
}

// One zone is held at a time, however often it changes; a reader holding
// one read before keeps it, and its answers, until done.
void TestAlarmServer::oneZoneHeldAtATime()
{
    ymrtest::ZoneScope berlin("Europe/Berlin");
    const auto before = LocalZone::current();
    const int offset = before->offsetAt(utc(2027, 7));
    for (int i = 0; i < 40; ++i) {
        ymrtest::ZoneScope::set(i % 2 ? "Asia/Tokyo" : "America/New_York");
        QCOMPARE(LocalZone::current()->offsetAt(utc(2027, 1)), i % 2 ? 9 * 3600 : -5 * 3600);
        QVERIFY(LocalZone::alive() <= 2);
    }
    QCOMPARE(before->offsetAt(utc(2027, 7)), offset);
    QCOMPARE(LocalZone::alive(), 2);
}

QPE_TEST_MAIN(TestAlarmServer)
#include "tst_alarmserver.moc"
