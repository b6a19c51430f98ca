#include "ymrtest.h"
#include "zonescope.h"

#include "pim/pimmanager.h"
#include "pim/pimreminder.h"
#include "pim/pimtextreader.h"
#include "pim/pimtextwriter.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/wallclock.h"
#include "qt/ymrapplication.h"

#include <QBuffer>

#include <uuid/uuid.h>

namespace {

QByteArray blockOf(const PIMRecord &r)
{
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    {
        PIMTextWriter out(&buf);
        r.write(out);
    }
    return buf.data();
}

void readBlock(PIMRecord &r, const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    PIMTextReader in(&buf);
    r.read(in);
}

const char *Uid = "0c5b8a4e-2d4f-4a55-9b0f-3f0c1d2e3a4b";

} // namespace

class TestTask : public QObject
{
    Q_OBJECT
private slots:
    void minimalBlocks();
    void expenseBlockAndReadBack();
    void copiesOwnTheirReminder();
    void reminderWallTimeReadsAsTheZone_data();
    void reminderWallTimeReadsAsTheZone();
    void storeAddsOrUpdates();
};

void TestTask::minimalBlocks()
{
    PIMRecord r(nullptr);
    r.setCreated(QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9)));
    r.setUpdated(QDateTime(QDate(2004, 3, 6), QTime(0, 0, 0)));
    const QByteArray expected = "UID=" + r.uidString().toLatin1()
                                + "\nCREATED=5 3 2004 14 7 9\nUPDATED=6 3 2004 0 0 0\nEND\n";
    QCOMPARE(blockOf(r), expected);

    const QDate day = QDate::currentDate();
    Task t(nullptr);
    QVERIFY(ymrtest::isToday(t.date, day));
    t.date = QDate(2004, 3, 5);
    t.setCreated(r.created());
    t.setUpdated(r.updated());
    QCOMPARE(blockOf(t), "DATE=5 3 2004 0 0 0\nUID=" + t.uidString().toLatin1()
                             + "\nCREATED=5 3 2004 14 7 9\nUPDATED=6 3 2004 0 0 0\nEND\n");
    t.date = QDate();
    QVERIFY(blockOf(t).startsWith("DATE=\nUID="));
}

void TestTask::expenseBlockAndReadBack()
{
    Task t(nullptr);
    t.type = QStringLiteral("Food");
    t.amount = QStringLiteral("-12.5");
    t.description = QStringLiteral("line one\nline=two|three");
    t.date = QDate(2004, 3, 5);
    t.reminder = new PIMReminder;
    t.reminder->dateTime = QDateTime(QDate(2004, 3, 5), QTime(8, 30));
    t.reminder->sound = true;
    t.reminder->type = 4;
    t.setProperty(QStringLiteral("select"), QStringLiteral("1"));
    t.setCategories({QStringLiteral("a"), QStringLiteral("b")});
    const QByteArray block = blockOf(t);
    QVERIFY(block.startsWith("REMINDER\nDATETIME=5 3 2004 8 30 0\nSOUND=1\nLED=0\nTYPE=4\nREMINDER_END\n"
                             "TYPE=Food\nAMOUNT=-12.5\nDESC=line one|line=two|three\nDATE=5 3 2004 0 0 0\nUID="));
    QVERIFY(!block.contains("ACCOUNT="));
    QVERIFY(!block.contains("CUR="));
    QVERIFY(block.endsWith("PROP=select=1\nCATS=a|b\nEND\n"));

    Task back(nullptr);
    readBlock(back, block + "TYPE=never read\n");
    QCOMPARE(back.uidString(), t.uidString());
    QCOMPARE(back.type, QStringLiteral("Food"));
    QCOMPARE(back.amount, QStringLiteral("-12.5"));
    QVERIFY(back.account.isEmpty());
    QCOMPARE(back.description, QStringLiteral("line one\nline=two\nthree"));
    QVERIFY(back.reminder);
    QCOMPARE(back.reminder->type, 4);
    QVERIFY(back.reminder->sound);
    QCOMPARE(back.categories(), QStringList({"a", "b"}));
    QCOMPARE(back.created(), t.created().addMSecs(-t.created().time().msec()));

    // a DATE with a time part gives the date; the UID parses
    Task d(nullptr);
    readBlock(d, QByteArray("DATE=5 3 2004 14 7 9\nUID=") + Uid + "\nEND\n");
    QCOMPARE(d.date, QDate(2004, 3, 5));
    QCOMPARE(d.uidString(), QString::fromLatin1(Uid));
    // every byte value written as the UID library writes it, in the block,
    // the text and an alarm's message
    for (int first = 0; first < 256; first += 16) {
        uuid_t bytes;
        for (int i = 0; i < 16; ++i)
            bytes[i] = uchar(first + i);
        char text[37];
        uuid_unparse_lower(bytes, text);
        Task u(nullptr);
        readBlock(u, QByteArray("UID=") + QByteArray(text) + "\nEND\n");
        QCOMPARE(u.uidString(), QString::fromLatin1(text));
        QVERIFY(blockOf(u).contains(QByteArray("UID=") + QByteArray(text) + "\n"));
        QCOMPARE(TaskManager::alarmMessage(&u), QByteArray("alarm(QDateTime,int)") + QByteArray(text));
    }
    // a UID that does not parse keeps the fresh one
    Task e(nullptr);
    const QString fresh = e.uidString();
    readBlock(e, QByteArray("UID=") + QByteArray(Uid).left(35) + "\nUID=" + Uid + "x\nEND\n");
    QCOMPARE(e.uidString(), fresh);
}

void TestTask::copiesOwnTheirReminder()
{
    Task t(nullptr);
    t.type = QStringLiteral("Taxi");
    t.reminder = new PIMReminder;
    t.reminder->led = true;
    t.setProperty(QStringLiteral("p"), QStringLiteral("1"));
    Task copy(t);
    QVERIFY(copy.reminder && copy.reminder != t.reminder);
    copy.reminder->led = false;
    copy.setProperty(QStringLiteral("p"), QStringLiteral("2"));
    QVERIFY(t.reminder->led);
    QCOMPARE(t.property(QStringLiteral("p")), QStringLiteral("1"));
    QCOMPARE(copy.type, QStringLiteral("Taxi"));
    QCOMPARE(copy.uidString(), t.uidString());
    Task none(nullptr);
    Task noneCopy(none);
    QVERIFY(!noneCopy.reminder);
}

// A reminder's wall time reads by the zone's own changes of offset in every
// year (Qt reads those before 1970 and after 2037 by rules of its own): one
// the clocks repeat is its first showing, or the one its OFFSET names; one
// they skip rings after the gap. Read and written back, the block is as it
// was.
void TestTask::reminderWallTimeReadsAsTheZone_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QDateTime>("rings");   // UTC
    const auto row = [](const char *name, const char *wall, const char *offset, int y, int m, int d, int h, int min) {
        QTest::newRow(name) << QByteArray("DATETIME=") + wall + "\nSOUND=1\nLED=0\nTYPE=4\n" + offset + "REMINDER_END\n"
                            << QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC);
    };
    row("2040, first showing", "28 10 2040 2 30 0", "", 2040, 10, 28, 0, 30);
    row("2040, second showing", "28 10 2040 2 30 0", "OFFSET=3600\n", 2040, 10, 28, 1, 30);
    row("2040, skipped", "25 3 2040 2 30 0", "", 2040, 3, 25, 1, 0);
    row("1945, first showing", "18 11 1945 2 30 0", "", 1945, 11, 18, 0, 30);
    row("1945, second showing", "18 11 1945 2 30 0", "OFFSET=3600\n", 1945, 11, 18, 1, 30);
}

void TestTask::reminderWallTimeReadsAsTheZone()
{
    QFETCH(QByteArray, block);
    QFETCH(QDateTime, rings);
    const ymrtest::ZoneScope berlin("Europe/Berlin");
    Task t(nullptr);
    readBlock(t, "REMINDER\n" + block + "UID=" + Uid + "\nEND\n");
    QVERIFY(t.reminder);
    QCOMPARE(WallClock::moment(t.reminder->dateTime).toUTC(), rings);
    QVERIFY(blockOf(t).startsWith("REMINDER\n" + block + "DATE="));
}

void TestTask::storeAddsOrUpdates()
{
    class Store : public PIMManager
    {
    public:
        Store() : PIMManager(QStringLiteral("test"), QStringLiteral("t.exp")) {}
    } store;
    auto *t = new Task(&store);
    QVERIFY(t->store(new Task(*t))); // not held: added, the old copy deleted
    QVERIFY(store.contains(t));
    QCOMPARE(store.count(), 1);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
    t->setUpdated(before);
    t->amount = QStringLiteral("3");
    QVERIFY(t->store(new Task(*t)));
    QVERIFY(t->updated() > before);
    QCOMPARE(store.count(), 1);
    QVERIFY(t->isFirst());
    store.removeAll();
}

YMR_TEST_MAIN(TestTask)
#include "tst_task.moc"
