#include "ymrtest.h"
#include "filebytes.h"
#include "zonescope.h"

#include "pim/categorymanager.h"
#include "pim/categoryrecord.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/alarmserver.h"
#include "qpe/filestamp.h"
#include "qpe/boundedfile.h"
#include "qpe/config.h"
#include "qt/ymrapplication.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>
#include <memory>

#include <sys/stat.h>

class TestTaskManager : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QStringList lines(const QString &file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return QStringList();
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    }
    static Task *addTask(TaskManager &book, const QString &type, const QString &amount)
    {
        Task *t = new Task(&book);
        t->type = type;
        t->amount = amount;
        t->store(nullptr);
        return t;
    }
    static QStringList viewTypes(TaskManager &book)
    {
        QStringList out;
        for (PIMRecord *r : *book.view())
            out << static_cast<Task *>(r)->type + QLatin1Char(':') + static_cast<Task *>(r)->amount;
        return out;
    }
    static void setReminder(Task *t, const QDateTime &when)
    {
        delete t->reminder;
        t->reminder = nullptr;
        if (when.isValid()) {
            t->reminder = new PIMReminder;
            t->reminder->dateTime = when;
        }
    }
    static QList<AlarmServer::Alarm> pending() { return AlarmServer::instance()->pending(); }
    static AlarmServer::Alarm alarmOf(Task *t, const QDateTime &when)
    {
        AlarmServer::Alarm a;
        a.when = when;
        a.channel = "QPE/Application/ymrOutlays";
        a.message = TaskManager::alarmMessage(t);
        a.data = TaskManager::bookKey(t->manager()->fileName());
        return a;
    }

    QTemporaryDir m_dir;
    QDateTime m_now;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void headerOnlySaveWritesOnlyOverAWholeBook_data();
    void headerOnlySaveWritesOnlyOverAWholeBook();
    void headerValues();
    void filtersInHeader();
    void viewFollowsFilter();
    void alarmsOnAddUpdateRemove();
    void purgeCancelsAlarms();
    void openingListsWhatTheListLacks_data();
    void openingListsWhatTheListLacks();
    void openingUnderAnotherZone_data();
    void openingUnderAnotherZone();
    void templatesRegisterNothing();
    void defaultsFromLastAdded();
    void addingAfterACrashNeverWaits();
    void sharedCategoryStore();
    void categoryStoreReleasedWhileBooksAreOpen();
    void sortColumns();
    void sortClicksAndFilterToggles();
};

void TestTaskManager::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_now = QDateTime(QDate(2030, 6, 1), QTime(12, 0));
    const QDateTime now = m_now;
    AlarmServer::instance()->setClock([now]() { return now; });
}

void TestTaskManager::cleanupTestCase()
{
    TaskManager::releaseSharedCategoryManager();
}

void TestTaskManager::init()
{
    AlarmServer *server = AlarmServer::instance();
    for (const AlarmServer::Alarm &a : server->pending())
        server->remove(a.when, a.channel, a.message, a.data);
}

void TestTaskManager::headerOnlySaveWritesOnlyOverAWholeBook_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<bool>("namesTaken");
    QTest::addColumn<bool>("atDestruction");
    const QByteArray whole("FOLDER\nTOTAL=2\nEND\nTYPE=Sea\nEND\nTYPE=Hill\nEND\n");
    // the header runs on to the Sea record's end; the count still matches
    const QByteArray endx("FOLDER\nTOTAL=1\nENDX\nTYPE=Sea\nEND\nTYPE=Hill\nEND\n");
    QTest::newRow("whole book") << whole << true << false << false;
    QTest::newRow("empty book") << QByteArray() << false << false << false;
    QTest::newRow("damaged END line") << endx << false << false << false;
    QTest::newRow("damaged END line, saved as the store goes") << endx << false << false << true;
    QTest::newRow("header run into a record") << QByteArray("FOLDER\nTOTAL=1\nUID=x\nTYPE=Sea\nEND\n") << false
                                              << false << false;
    QTest::newRow("no header") << QByteArray("FOER\nTYPE=Sea\nEND\n") << false << false << false;
    QTest::newRow("damaged END line, every copy name taken") << endx << false << true << false;
}

// A header-only store writes its header in front of the record part on
// disk only when the book reads whole (as it opens, and as a received book
// must); any other book is saved whole, its bytes kept as a copy first, and
// not at all while no copy can be made.
void TestTaskManager::headerOnlySaveWritesOnlyOverAWholeBook()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    QFETCH(bool, namesTaken);
    QFETCH(bool, atDestruction);
    const QString book = path(QStringLiteral("header.exp"));
    for (const QString &copy : QDir(m_dir.path()).entryList({QStringLiteral("header.exp*")}))
        QVERIFY(QFile::remove(m_dir.filePath(copy)));
    writeAll(book, bytes);
    if (namesTaken) {
        for (int n = 1; n <= BoundedFile::MaxAsideNames; ++n)
            writeAll(BoundedFile::asideName(book, n), "another damage");
    }
    QCOMPARE(TaskManager::readsWhole(book), whole);
    {
        // the book's own open by the same rule (a file without a header is
        // no book to open)
        TaskManager full(book);
        QVERIFY(full.load());
        QCOMPARE(full.isDamaged() || full.recordOffset() == 0, !whole);
    }
    QString failure;
    {
        TaskManager header(book, false, true);
        QVERIFY(header.load());
        header.setDescription(QStringLiteral("new"));
        if (!atDestruction) {
            QCOMPARE(header.save(), !namesTaken);
            failure = header.saveFailure();
        }
    }
    if (namesTaken) {
        QCOMPARE(readAll(book), bytes);
        QVERIFY2(failure.contains(QStringLiteral("could not be kept as a copy")), qPrintable(failure));
        return;
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    const QByteArray saved = readAll(book);
    QVERIFY(TaskManager::readsWhole(book));
    TaskManager reread(book);
    QVERIFY(reread.load());
    QCOMPARE(reread.description(), QStringLiteral("new"));
    if (whole) {
        // the record part as it was, to the byte
        QCOMPARE(saved.mid(saved.indexOf("\nEND\n")), bytes.mid(bytes.indexOf("\nEND\n")));
        QVERIFY(!QFile::exists(BoundedFile::asideName(book)));
    } else {
        QVERIFY(QFile::exists(BoundedFile::asideName(book)));
        QCOMPARE(readAll(BoundedFile::asideName(book)), bytes);
    }
}

void TestTaskManager::headerValues()
{
    const QString file = path(QStringLiteral("header.exp"));
    {
        TaskManager book(file);
        book.setDescription(QStringLiteral("Trip\nto Kyoto"));
        book.setIcon(QStringLiteral("5"));
        book.setPassword(QStringLiteral("se=cret="));
        QVERIFY(book.isDirty());
        QCOMPARE(book.changeCount(), 0);
        QVERIFY(book.save());
    }
    const QStringList text = lines(file);
    QVERIFY(text.contains(QStringLiteral("DESC=Trip|to Kyoto")));
    QVERIFY(text.contains(QStringLiteral("ICON=5")));
    QVERIFY(text.contains(QStringLiteral("PWD=se=cret=")));
    // the book's keys follow the base keys
    QVERIFY(text.indexOf(QStringLiteral("DESC=Trip|to Kyoto")) > text.indexOf(QStringLiteral("TOTAL=0")));
    QVERIFY(!text.join(QLatin1Char('\n')).contains(QStringLiteral("FILTERS=")));
    {
        TaskManager book(file);
        QVERIFY(book.load());
        QCOMPARE(book.description(), QStringLiteral("Trip\nto Kyoto"));
        QCOMPARE(book.icon(), QStringLiteral("5"));
        QCOMPARE(book.password(), QStringLiteral("se=cret="));
        book.setDescription(QString());
        book.setIcon(QString());
        book.setPassword(QString());
    }
    const QString all = lines(file).join(QLatin1Char('\n'));
    QVERIFY(!all.contains(QStringLiteral("DESC=")));
    QVERIFY(!all.contains(QStringLiteral("ICON=")));
    QVERIFY(!all.contains(QStringLiteral("PWD=")));
    TaskManager book(file);
    QVERIFY(book.load());
    QVERIFY(book.description().isNull());
    QVERIFY(book.password().isNull());
}

void TestTaskManager::filtersInHeader()
{
    const QString file = path(QStringLiteral("filters.exp"));
    TaskFilter taxi(QStringLiteral("Taxi|cab"));
    FilterCondition c;
    c.field = FilterCondition::Type;
    c.condition = 0;
    c.text = QStringLiteral("a==b");
    taxi.conditions << c;
    TaskFilter big(QStringLiteral("Big"));
    FilterCondition amount;
    amount.field = FilterCondition::Amount;
    amount.condition = 3;
    amount.amount = 1234567;
    big.conditions << amount;
    {
        TaskManager book(file);
        book.setFilters({taxi, big});
        book.setCurrentFilter(1);
    }
    const QStringList text = lines(file);
    QVERIFY(text.contains(QStringLiteral("CFILTER=1")));
    QVERIFY(text.contains(QStringLiteral("FILTERS=2 8 Taxi|cab 1 0 0 4 a==b 3 Big 1 1 3 7 1234567 ")));
    {
        TaskManager book(file);
        QVERIFY(book.load());
        QCOMPARE(book.currentFilter(), 1);
        QCOMPARE(book.filters().size(), 2);
        QCOMPARE(book.filters().at(0).name, QStringLiteral("Taxi\ncab"));
        QCOMPARE(book.filters().at(0).conditions.first().text, QStringLiteral("a==b"));
        QCOMPARE(book.filters().at(1).conditions.first().amount, 1234567.0);
        // the find filter is never written: the book reopens with no filter
        book.setFindFilter(big);
        QCOMPARE(book.currentFilter(), -2);
    }
    QVERIFY(lines(file).contains(QStringLiteral("CFILTER=-1")));

    // no saved filters: neither key, whatever is current
    const QString plain = path(QStringLiteral("nofilters.exp"));
    {
        TaskManager book(plain);
        book.setFindFilter(big);
    }
    const QString all = lines(plain).join(QLatin1Char('\n'));
    QVERIFY(!all.contains(QStringLiteral("FILTERS=")));
    QVERIFY(!all.contains(QStringLiteral("CFILTER=")));
    TaskManager book(plain);
    QVERIFY(book.load());
    QCOMPARE(book.currentFilter(), -1);
    QVERIFY(book.findFilter().conditions.isEmpty());
}

void TestTaskManager::viewFollowsFilter()
{
    TaskManager book(path(QStringLiteral("view.exp")));
    addTask(book, QStringLiteral("Taxi"), QStringLiteral("12"));
    addTask(book, QStringLiteral("Meal"), QStringLiteral("5"));
    addTask(book, QStringLiteral("Taxi"), QStringLiteral("30"));
    QCOMPARE(book.view()->count(), 3);
    const int changes = book.changeCount();

    TaskFilter taxi(QStringLiteral("Taxi"));
    FilterCondition c;
    c.field = FilterCondition::Type;
    c.condition = 1;
    c.text = QStringLiteral("Taxi");
    taxi.conditions << c;
    TaskFilter cheap(QStringLiteral("Cheap"));
    FilterCondition a;
    a.field = FilterCondition::Amount;
    a.condition = 5;
    a.amount = 20;
    cheap.conditions << a;

    QSignalSpy updated(&book, &PIMManager::updated);
    book.setCurrentFilter(0);
    book.setFilters({taxi, cheap});
    QCOMPARE(book.currentFilter(), -1);
    QCOMPARE(book.view()->count(), 3);
    QCOMPARE(updated.count(), 2);

    book.setCurrentFilter(0);
    QCOMPARE(viewTypes(book), QStringList({"Taxi:12", "Taxi:30"}));
    book.setCurrentFilter(1);
    QCOMPARE(viewTypes(book), QStringList({"Taxi:12", "Meal:5"}));
    QCOMPARE(updated.count(), 4);

    // records entering later are tested as they come
    addTask(book, QStringLiteral("Bus"), QStringLiteral("2"));
    addTask(book, QStringLiteral("Hotel"), QStringLiteral("200"));
    QCOMPARE(viewTypes(book), QStringList({"Taxi:12", "Meal:5", "Bus:2"}));

    // an index naming no saved filter lets everything pass and is kept
    book.setCurrentFilter(2);
    QCOMPARE(book.view()->count(), 5);
    QCOMPARE(book.currentFilter(), 2);
    book.setCurrentFilter(-7);
    QCOMPARE(book.view()->count(), 5);

    TaskFilter find(QStringLiteral("find"));
    FilterCondition all;
    all.field = FilterCondition::AllText;
    all.condition = 0;
    all.text = QStringLiteral("tel");
    find.conditions << all;
    book.setFindFilter(find);
    QCOMPARE(book.currentFilter(), -2);
    QCOMPARE(viewTypes(book), QStringList({"Hotel:200"}));

    // filter changes count no change, yet the book is dirty
    QCOMPARE(book.changeCount(), changes + 2);
    QVERIFY(book.isDirty());
}

void TestTaskManager::alarmsOnAddUpdateRemove()
{
    TaskManager book(path(QStringLiteral("alarms.exp")));
    const QDateTime future = m_now.addSecs(3600);
    const QDateTime past = m_now.addSecs(-3600);

    Task *t = new Task(&book);
    setReminder(t, future);
    t->store(nullptr);
    QCOMPARE(pending(), QList<AlarmServer::Alarm>({alarmOf(t, future)}));
    QCOMPARE(TaskManager::alarmMessage(t), QByteArray("alarm(QDateTime,int)") + t->uidString().toLatin1());
    QCOMPARE(TaskManager::alarmMessage(t).size(), 20 + 36);

    // in the past: the old registration goes, none comes
    Task *old = new Task(*t);
    setReminder(t, past);
    t->store(old);
    QVERIFY(pending().isEmpty());

    // back into the future
    old = new Task(*t);
    setReminder(t, future.addSecs(60));
    t->store(old);
    QCOMPARE(pending(), QList<AlarmServer::Alarm>({alarmOf(t, future.addSecs(60))}));

    // an unchanged reminder stays registered after any update, the alarm
    // list not written again; one gone from the list comes back
    const FileStamp written = FileStamp::of(AlarmServer::instance()->fileName());
    old = new Task(*t);
    t->amount = QStringLiteral("3");
    t->store(old);
    QCOMPARE(pending().size(), 1);
    QVERIFY(FileStamp::of(AlarmServer::instance()->fileName()) == written);
    AlarmServer::deleteAlarm(future.addSecs(60), TaskManager::alarmChannel(), TaskManager::alarmMessage(t),
                             alarmOf(t, future).data);
    old = new Task(*t);
    t->store(old);
    QCOMPARE(pending(), QList<AlarmServer::Alarm>({alarmOf(t, future.addSecs(60))}));

    // added in the past: nothing registered
    Task *p = new Task(&book);
    setReminder(p, past);
    p->store(nullptr);
    QCOMPARE(pending().size(), 1);

    t->remove();
    QVERIFY(pending().isEmpty());

    // removal cancels also when the time has meanwhile passed
    Task *q = new Task(&book);
    setReminder(q, m_now.addSecs(30));
    q->store(nullptr);
    QCOMPARE(pending().size(), 1);
    const QDateTime later = m_now.addSecs(120);
    AlarmServer::instance()->setClock([later]() { return later; });
    q->remove();
    const QDateTime now = m_now;
    AlarmServer::instance()->setClock([now]() { return now; });
    QVERIFY(pending().isEmpty());
}

// Added in one stroke (as Copy Special adds), the alarms and the defaults
// are on disk once it ends, not before; a purge cancels every alarm.
void TestTaskManager::purgeCancelsAlarms()
{
    TaskManager book(path(QStringLiteral("purge.exp")));
    const auto onDisk = [] { return AlarmServer(QFileInfo(AlarmServer::instance()->fileName()).path()).pending(); };
    const auto defaultType = [] {
        Config config(QStringLiteral("ymrOutlays"));
        config.setGroup(QStringLiteral("Default"));
        return config.readEntry(QStringLiteral("type"));
    };
    addTask(book, QStringLiteral("plain"), QStringLiteral("1"));
    int writes = AlarmServer::instance()->writeCount();
    {
        const TaskManager::Stroke stroke(&book);
        for (int i = 1; i <= 3; ++i) {
            Task *t = new Task(&book);
            t->type = QStringLiteral("T%1").arg(i);
            setReminder(t, m_now.addDays(i));
            t->store(nullptr);
        }
        QCOMPARE(pending().size(), 3);
        QVERIFY(onDisk().isEmpty());
        QCOMPARE(defaultType(), QStringLiteral("plain"));
    }
    QCOMPARE(onDisk().size(), 3);
    QCOMPARE(AlarmServer::instance()->writeCount(), writes + 1);
    QCOMPARE(defaultType(), QStringLiteral("T3"));
    writes = AlarmServer::instance()->writeCount();
    QVERIFY(book.removeAll());
    QCOMPARE(book.count(), 0);
    QVERIFY(onDisk().isEmpty());
    QCOMPARE(AlarmServer::instance()->writeCount(), writes + 1);
}

// A book's reminders still to come that the alarm list lacks (a kill
// before the list's write, a cut list, a book copied in) are listed as the
// book opens, in one write; a book only checked lists nothing.
void TestTaskManager::openingListsWhatTheListLacks_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("every"); // of the reminders to come, every so many unlisted
    QTest::newRow("a few, some unlisted") << 4 << 2;
    // looked through in pieces: an expense at any piece's edge counts
    QTest::newRow("many, none listed") << 20001 << 1;
}

// Opening a book lists every reminder to come that the alarm list lacks,
// in one write; the last expense's reminder is past.
void TestTaskManager::openingListsWhatTheListLacks()
{
    QFETCH(int, count);
    QFETCH(int, every);
    const QString file = path(QStringLiteral("opened.exp"));
    QList<AlarmServer::Alarm> toCome;
    {
        TaskManager book(file);
        const TaskManager::Stroke stroke(&book);
        for (int i = 0; i < count; ++i) {
            Task *t = new Task(&book);
            const QDateTime when = i < count - 1 ? m_now.addSecs(60 * (i + 1)) : m_now.addDays(-1);
            setReminder(t, when);
            t->store(nullptr);
            if (i < count - 1)
                toCome << alarmOf(t, when);
        }
        QVERIFY(book.save());
    }
    QCOMPARE(pending(), toCome);
    // the first and every so many after it gone from the list
    QVector<AlarmServer::Alarm> gone;
    for (int i = 0; i < toCome.size(); i += every)
        gone << toCome.at(i);
    QVERIFY(AlarmServer::instance()->remove(gone));
    QVERIFY(TaskManager::readsWhole(file));
    QCOMPARE(pending().size(), toCome.size() - gone.size());
    const int writes = AlarmServer::instance()->writeCount();
    TaskManager book(file);
    QVERIFY(book.load());
    QCOMPARE(AlarmServer::instance()->writeCount(), writes + 1);
    QCOMPARE(pending(), toCome);
    // all listed: opened again, nothing written
    QVERIFY(book.load());
    QCOMPARE(AlarmServer::instance()->writeCount(), writes + 1);
    const TaskManager::Stroke stroke(&book);
    QVERIFY(book.removeAll());
}

// A book and its alarm list made in one zone, with an entry of its reminder
// left at another time (a change cut short) and an earlier version's of
// no book, opened under another zone: the list holds one entry of the
// reminder, at the moment its wall time names there (after a gap the
// first minute past it), also where that moment has passed (it rings at
// the start). The showing chosen in a repeated hour (OFFSET=) stays in the
// book saved there, and rings again where it was chosen.
void TestTaskManager::openingUnderAnotherZone_data()
{
    QTest::addColumn<QByteArray>("madeIn");
    QTest::addColumn<QByteArray>("openedIn");
    QTest::addColumn<QDateTime>("wall");      // the book's, read as a local time
    QTest::addColumn<int>("offset");          // its OFFSET= line; 0 for none
    QTest::addColumn<QDateTime>("madeRings");   // UTC
    QTest::addColumn<QDateTime>("rings");     // UTC, opened there
    QTest::addColumn<int>("openedAfter");     // seconds from rings to the opening
    const auto utc = [](int month, int day, int hour, int minute) {
        return QDateTime(QDate(2027, month, day), QTime(hour, minute), Qt::UTC);
    };
    const auto wall = [](int month, int day, int hour, int minute) {
        return QDateTime(QDate(2027, month, day), QTime(hour, minute));
    };
    // New York skips 02:00-03:00 on 14 March, Berlin on 28 March
    QTest::newRow("New York's gap, in Berlin before it") << QByteArray("America/New_York")
        << QByteArray("Europe/Berlin") << wall(3, 14, 2, 30) << 0 << utc(3, 14, 7, 0) << utc(3, 14, 1, 30) << -40;
    QTest::newRow("New York's gap, in Berlin after it") << QByteArray("America/New_York")
        << QByteArray("Europe/Berlin") << wall(3, 14, 2, 30) << 0 << utc(3, 14, 7, 0) << utc(3, 14, 1, 30) << 60;
    QTest::newRow("Berlin's gap, in New York") << QByteArray("Europe/Berlin") << QByteArray("America/New_York")
        << wall(3, 28, 2, 30) << 0 << utc(3, 28, 1, 0) << utc(3, 28, 6, 30) << -3600;
    QTest::newRow("Berlin's gap, in Berlin from New York") << QByteArray("America/New_York")
        << QByteArray("Europe/Berlin") << wall(3, 28, 2, 30) << 0 << utc(3, 28, 6, 30) << utc(3, 28, 1, 0) << -60;
    // Berlin shows 02:00-03:00 twice on 31 October, New York 01:00-02:00 on 7 November
    QTest::newRow("Berlin's repeat, second showing, in New York") << QByteArray("Europe/Berlin")
        << QByteArray("America/New_York") << wall(10, 31, 2, 30) << 3600 << utc(10, 31, 1, 30)
        << utc(10, 31, 6, 30) << -60;
    QTest::newRow("New York's repeat, second showing, in Berlin") << QByteArray("America/New_York")
        << QByteArray("Europe/Berlin") << wall(11, 7, 1, 30) << -18000 << utc(11, 7, 6, 30) << utc(11, 7, 0, 30)
        << -60;
    QTest::newRow("New York's repeat, first showing, in Berlin") << QByteArray("America/New_York")
        << QByteArray("Europe/Berlin") << wall(11, 7, 1, 30) << 0 << utc(11, 7, 5, 30) << utc(11, 7, 0, 30) << -60;
}

void TestTaskManager::openingUnderAnotherZone()
{
    QFETCH(QByteArray, madeIn);
    QFETCH(QByteArray, openedIn);
    QFETCH(QDateTime, wall);
    QFETCH(int, offset);
    QFETCH(QDateTime, madeRings);
    QFETCH(QDateTime, rings);
    QFETCH(int, openedAfter);
    AlarmServer *server = AlarmServer::instance();
    QDateTime now = madeRings.addDays(-1);
    server->setClock([&now] { return now; });
    const auto restore = qScopeGuard([this, server] {
        const QDateTime fixed = m_now;
        server->setClock([fixed] { return fixed; });
    });
    const QString file = path(QStringLiteral("zoned.exp"));
    const QByteArray uid = "11111111-2222-3333-4444-555555555555";
    const QByteArray message = "alarm(QDateTime,int)" + uid;
    const QByteArray offsetLine = offset != 0 ? "OFFSET=" + QByteArray::number(offset) + "\n" : QByteArray();
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("FOLDER\nEND\nTYPE=Taxi\nREMINDER\nDATETIME="
            + wall.toString(QStringLiteral("d M yyyy h m s")).toLatin1() + "\n" + offsetLine
            + "REMINDER_END\nUID=" + uid + "\nEND\n");
    f.close();
    const int key = TaskManager::bookKey(file);
    // a process keeps its zone: the list read anew as a start there reads it
    const auto startIn = [server](const QByteArray &zone) {
        ymrtest::ZoneScope::set(zone);
        const QString list = server->fileName();
        QVERIFY(QFile::copy(list, list + QStringLiteral(".copy")));
        QVERIFY(QFile::remove(list));
        QVERIFY(QFile::rename(list + QStringLiteral(".copy"), list));
    };
    const ymrtest::ZoneScope zone(madeIn);
    const auto listed = [&] {
        QList<QDateTime> at;
        for (const AlarmServer::Alarm &a : server->pending()) {
            if (a.message == message) {
                at << a.when.toUTC();
                if (a.data != key)
                    at << QDateTime();
            }
        }
        return at;
    };
    {
        TaskManager book(file);
        QVERIFY(book.load());
        QCOMPARE(listed(), QList<QDateTime>({madeRings}));
        // a change cut short, and an earlier version's entry
        QVERIFY(server->add(madeRings.addSecs(3600), TaskManager::alarmChannel(), message, key));
        QVERIFY(server->add(madeRings, TaskManager::alarmChannel(), message, 0));
    }
    {
        startIn(openedIn);
        now = rings.addSecs(openedAfter);
        const int writes = server->writeCount();
        TaskManager book(file);
        QVERIFY(book.load());
        QCOMPARE(server->writeCount(), writes + 1);
        QCOMPARE(listed(), QList<QDateTime>({rings}));
        // opened again: nothing to change
        QVERIFY(book.load());
        QCOMPARE(server->writeCount(), writes + 1);
        // saved there, no change made
        book.forceSave();
        QCOMPARE(lines(file).filter(QStringLiteral("OFFSET=")),
                 offset != 0 ? QStringList({QString::fromLatin1(offsetLine.trimmed())}) : QStringList());
    }
    {
        // back where it was made, before it rings there
        startIn(madeIn);
        now = madeRings.addSecs(-60);
        TaskManager book(file);
        QVERIFY(book.load());
        QCOMPARE(listed(), QList<QDateTime>({madeRings}));
        const TaskManager::Stroke stroke(&book);
        QVERIFY(book.removeAll());
    }
    QVERIFY(listed().isEmpty());
}

void TestTaskManager::templatesRegisterNothing()
{
    {
        Config config(QStringLiteral("ymrOutlays"));
        config.setGroup(QStringLiteral("Default"));
        config.writeEntry(QStringLiteral("type"), QStringLiteral("before"));
    }
    TaskManager templates(QStringLiteral("tpl"), true);
    QVERIFY(templates.fileName().contains(QStringLiteral("/expensetemplates/")));
    Task *t = new Task(&templates);
    t->type = QStringLiteral("template type");
    setReminder(t, m_now.addDays(1));
    t->store(nullptr);
    Task *old = new Task(*t);
    setReminder(t, m_now.addDays(2));
    t->store(old);
    QVERIFY(pending().isEmpty());
    t->remove();
    Config config(QStringLiteral("ymrOutlays"));
    config.setGroup(QStringLiteral("Default"));
    QCOMPARE(config.readEntry(QStringLiteral("type")), QStringLiteral("before"));
}

void TestTaskManager::defaultsFromLastAdded()
{
    TaskManager book(path(QStringLiteral("defaults.exp")));
    Task *t = new Task(&book);
    t->type = QStringLiteral("Meal");
    t->currency = QStringLiteral("JPY");
    t->city = QStringLiteral("Osaka");
    t->account = QStringLiteral("Card");
    t->amount = QStringLiteral("800");
    t->description = QStringLiteral("lunch");
    t->setCategories({QStringLiteral("u1"), QStringLiteral("u2")});
    t->store(nullptr);
    {
        Config config(QStringLiteral("ymrOutlays"));
        config.setGroup(QStringLiteral("Default"));
        QCOMPARE(config.readEntry(QStringLiteral("type")), QStringLiteral("Meal"));
        QCOMPARE(config.readEntry(QStringLiteral("cur")), QStringLiteral("JPY"));
        QCOMPARE(config.readEntry(QStringLiteral("city")), QStringLiteral("Osaka"));
        QCOMPARE(config.readEntry(QStringLiteral("account")), QStringLiteral("Card"));
        QCOMPARE(config.readEntry(QStringLiteral("cats")), QStringLiteral("u1|u2"));
    }
    // an update saves no defaults
    Task *old = new Task(*t);
    t->type = QStringLiteral("Changed");
    t->store(old);

    const QDate day = QDate::currentDate();
    std::unique_ptr<Task> made(book.createWithDefaults());
    QCOMPARE(made->type, QStringLiteral("Meal"));
    QCOMPARE(made->currency, QStringLiteral("JPY"));
    QCOMPARE(made->city, QStringLiteral("Osaka"));
    QCOMPARE(made->account, QStringLiteral("Card"));
    QVERIFY(made->amount.isEmpty());
    QVERIFY(made->description.isEmpty());
    QVERIFY(ymrtest::isToday(made->date, day));
    QCOMPARE(made->categories(), QStringList({"u1", "u2"}));
    QVERIFY(!book.contains(made.get()));

    {
        Config config(QStringLiteral("ymrOutlays"));
        config.setGroup(QStringLiteral("Default"));
        config.writeEntry(QStringLiteral("cats"), QStringLiteral("a||b|"));
    }
    made.reset(book.createWithDefaults());
    QCOMPARE(made->categories(), QStringList({"a", "b"}));
}

void TestTaskManager::addingAfterACrashNeverWaits()
{
    // a crash during a settings write of an earlier version left an empty
    // lock behind: nothing waits for it, or looks at it
    const QString settings = Config::configFileName(QStringLiteral("ymrOutlays"));
    QFile lock(settings + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.close();
    TaskManager book(path(QStringLiteral("crash.exp")));
    QElapsedTimer timer;
    timer.start();
    addTask(book, QStringLiteral("Taxi"), QStringLiteral("5"));
    QVERIFY2(timer.elapsed() < 10000, QByteArray::number(timer.elapsed()));
    QVERIFY(lock.exists());

    // the same defaults again leave the settings file as it is
    struct stat before, after;
    QVERIFY(::stat(QFile::encodeName(settings).constData(), &before) == 0);
    addTask(book, QStringLiteral("Taxi"), QStringLiteral("7"));
    QVERIFY(::stat(QFile::encodeName(settings).constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    addTask(book, QStringLiteral("Bus"), QStringLiteral("2"));
    QVERIFY(::stat(QFile::encodeName(settings).constData(), &after) == 0);
    QVERIFY(after.st_ino != before.st_ino);
}

void TestTaskManager::sharedCategoryStore()
{
    TaskManager a(path(QStringLiteral("a.exp")));
    TaskManager b(path(QStringLiteral("b.exp")), false, true);
    QVERIFY(a.categoryManager());
    QCOMPARE(a.categoryManager(), b.categoryManager());
    QCOMPARE(a.categoryManager(), TaskManager::sharedCategoryManager());
}

void TestTaskManager::categoryStoreReleasedWhileBooksAreOpen()
{
    QPointer<CategoryManager> cats;
    {
        TaskManager book(path(QStringLiteral("open.exp")));
        cats = book.categoryManager();
        auto *c = new CategoryRecord(cats);
        c->title = QStringLiteral("Kept");
        cats->addRecord(c);
        Task *t = addTask(book, QStringLiteral("x"), QStringLiteral("1"));
        t->setCategories({c->uidString()});
        {
            TaskManager second(path(QStringLiteral("second.exp")));
            TaskManager::releaseSharedCategoryManager();
        }
        // the books still read their categories through it
        QVERIFY(cats);
        QCOMPARE(t->categoryTitle(false), QStringLiteral("Kept"));
        QCOMPARE(book.categoryManager(), cats.data());
    }
    // it went with the last book
    QVERIFY(!cats);
    // and the next book gets a fresh one
    TaskManager later(path(QStringLiteral("later.exp")));
    QVERIFY(later.categoryManager());
    QVERIFY(later.categoryManager()->findByTitle(QStringLiteral("Kept")));
}

void TestTaskManager::sortColumns()
{
    TaskManager book(path(QStringLiteral("sort.exp")));
    CategoryManager *cats = book.categoryManager();
    auto *zoo = new CategoryRecord(cats);
    zoo->title = QStringLiteral("Zoo");
    cats->addRecord(zoo);
    auto *art = new CategoryRecord(cats);
    art->title = QStringLiteral("Art");
    cats->addRecord(art);

    Task *million = addTask(book, QStringLiteral("a"), QStringLiteral("1000000"));
    Task *big = addTask(book, QStringLiteral("b"), QStringLiteral("999999"));
    Task *minus3 = addTask(book, QStringLiteral("c"), QStringLiteral("-3"));
    Task *minus10 = addTask(book, QStringLiteral("d"), QStringLiteral("-10"));
    Task *text = addTask(book, QStringLiteral("e"), QStringLiteral("abc"));
    Q_UNUSED(million) Q_UNUSED(big) Q_UNUSED(minus3) Q_UNUSED(minus10)

    book.setSort(1);
    QCOMPARE(viewTypes(book), QStringList({"d:-10", "c:-3", "e:abc", "b:999999", "a:1000000"}));
    QCOMPARE(text->sortKey(), QStringList(QStringLiteral("000000.00000")));

    // an update that keeps the amount leaves the record where it is
    Task *old = new Task(*text);
    text->type = QStringLiteral("z");
    text->store(old);
    QCOMPARE(book.view()->at(2), static_cast<PIMRecord *>(text));
    old = new Task(*text);
    text->amount = QStringLiteral("5000000");
    text->store(old);
    QCOMPARE(book.view()->last(), static_cast<PIMRecord *>(text));

    minus3->setCategories({zoo->uidString()});
    minus10->setCategories({art->uidString(), zoo->uidString()});
    book.setSort(8);
    QCOMPARE(minus10->sortKey(), QStringList(QStringLiteral("Art")));
    QCOMPARE(minus3->sortKey(), QStringList(QStringLiteral("Zoo")));
    QVERIFY(book.view()->find(minus10) < book.view()->find(minus3));
    // a renamed category: the same header again sorts by the new title
    auto *oldArt = new CategoryRecord(*art);
    art->title = QStringLiteral("Zzz");
    art->store(oldArt);
    book.setSort(8);
    QVERIFY(book.view()->find(minus10) < book.view()->find(minus3));
    book.setSort(8);

    book.setSort(4);
    old = new Task(*minus3);
    minus3->description = QStringLiteral("note");
    minus3->store(old);
    book.setSort(4);
    book.setSort(4);
    QCOMPARE(minus3->sortKey(), QStringList(QStringLiteral("1")));
    QCOMPARE(book.view()->last(), static_cast<PIMRecord *>(minus3));

    book.setSort(42);
    QVERIFY(minus3->sortKey().isEmpty());
}

// A session of header clicks and filter toggles: the same header again
// reads the view backwards, ties included; a filter keeps that order, and
// no filter gives the whole order back; an edit sorts the record anew.
void TestTaskManager::sortClicksAndFilterToggles()
{
    TaskManager book(path(QStringLiteral("clicks.exp")));
    const QStringList types = {"Taxi", "Bus", "Meal"};
    const QStringList cities = {"Rome", "Nara", "Oslo", "Lima"};
    for (int i = 0; i < 24; ++i) {
        Task *t = new Task(&book);
        t->type = types.at(i % 3);
        t->amount = QString::number((i * 7) % 24);
        t->city = cities.at(i % 4);
        t->store(nullptr);
    }
    // the records by type, equal types in the order they were added
    const auto byType = [&] {
        QList<PIMRecord *> order(book.records()->begin(), book.records()->end());
        std::stable_sort(order.begin(), order.end(), [](PIMRecord *a, PIMRecord *b) {
            return static_cast<Task *>(a)->type < static_cast<Task *>(b)->type;
        });
        return order;
    };
    const auto view = [&] { return QList<PIMRecord *>(book.view()->begin(), book.view()->end()); };
    const auto backwards = [](QList<PIMRecord *> l) {
        std::reverse(l.begin(), l.end());
        return l;
    };
    const auto withO = [](const QList<PIMRecord *> &l) {
        QList<PIMRecord *> out;
        for (PIMRecord *r : l) {
            if (static_cast<Task *>(r)->city.contains(QLatin1Char('o'), Qt::CaseInsensitive))
                out << r;
        }
        return out;
    };
    TaskFilter o(QStringLiteral("o"));
    FilterCondition c;
    c.field = FilterCondition::City;
    c.condition = FilterCondition::Contains;
    c.text = QStringLiteral("o");
    o.conditions << c;
    book.setFilters({o});

    book.setSort(FilterCondition::Type);
    QCOMPARE(view(), byType());
    book.setSort(FilterCondition::Type);
    QVERIFY(!book.sortOrder());
    QCOMPARE(view(), backwards(byType()));
    book.setCurrentFilter(0);
    QCOMPARE(view(), withO(backwards(byType())));
    book.setSort(FilterCondition::Type);
    QCOMPARE(view(), withO(byType()));
    book.setCurrentFilter(-1);
    QCOMPARE(view(), byType());

    // an edit while filtered: with the filter off, the record stands by
    // its new type
    book.setCurrentFilter(0);
    Task *edited = static_cast<Task *>(book.view()->at(0));
    Task *old = new Task(*edited);
    edited->type = QStringLiteral("Zoo");
    edited->store(old);
    book.setSort(FilterCondition::Type, false);
    book.setCurrentFilter(-1);
    QCOMPARE(view(), backwards(byType()));
    QCOMPARE(book.view()->first(), static_cast<PIMRecord *>(edited));

    // another column, then back: ascending again
    book.setSort(FilterCondition::Amount);
    QCOMPARE(static_cast<Task *>(book.view()->first())->amount, QStringLiteral("0"));
    book.setSort(FilterCondition::Type);
    QCOMPARE(view(), byType());
}

YMR_TEST_MAIN(TestTaskManager)
#include "tst_taskmanager.moc"
