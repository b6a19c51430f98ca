// ymr-test-screens: 240x320 480x640
#include "alert.h"
#include "copyspecial.h"
#include "dbdialog.h"
#include "pclink.h"
#include "pclinkserver.h"
#include "remindereditor.h"
#include "transferdata.h"
#include "ymrtest.h"

#include "modaldriver.h"
#include "openbook.h"
#include "programrun.h"
#include "zonescope.h"

#include "pim/dblistview.h"
#include "pim/movejournal.h"
#include "pim/pimreminder.h"
#include "pim/taskselectlistview.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/filereplacer.h"
#include "qpe/global.h"
#include "qpe/qpeglobal.h"
#include "qpe/qpedevice.h"
#include "qpe/qpesound.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrutil.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QTimer>
#include <QtTest>
#include <memory>

#include <csignal>
#include <unistd.h>


namespace {
const QString led = QStringLiteral("/dev/pda_led");
const QString buzzer = QStringLiteral("/dev/pda_buz");

QStringList ioctls(const QStringList &record)
{
    QStringList result;
    for (const QString &line : record) {
        if (line.startsWith(QLatin1String("ioctl")))
            result.append(line.section(QLatin1Char(' '), 2));
        else if (line.startsWith(QLatin1String("sleep")))
            result.append(line.section(QLatin1Char(' '), 1));
    }
    return result;
}

// The tests' clock, long before the reminders: all of them are to come.
QDateTime earlyNow()
{
    return QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC);
}

// A local time of another season converted: the C library reads a wall
// time the clocks repeat as the showing of the last offset it met.
void tempt(const QDate &season)
{
    (void)QDateTime(season, QTime(12, 0)).toMSecsSinceEpoch();
}

// The moment (UTC) the alarm list holds the expense's alarm at, read anew
// as a start reads it; null when it holds none.
QDateTime listed(const QString &uid)
{
    const QByteArray message = QByteArray("alarm(QDateTime,int)") + uid.toLatin1();
    AlarmServer list(Qpe::settingsDir());
    for (const AlarmServer::Alarm &a : list.pending()) {
        if (a.message == message)
            return a.when.toUTC();
    }
    return QDateTime();
}

// A book at path of one expense whose reminder rings at moment, as a
// snooze sets it; registered here unless the book is made on a device.
QString reminderBook(const QString &path, const QDateTime &moment, bool registered)
{
    TaskManager book(path);
    book.load();
    auto *t = new Task(&book);
    t->type = QStringLiteral("Taxi");
    t->amount = QStringLiteral("12");
    t->reminder = new PIMReminder;
    t->reminder->dateTime = moment.toLocalTime();
    registered ? book.addRecord(t) : book.appendRecord(t);
    book.forceSave();
    return t->uidString();
}

QString copySpecial(const QString &source, const QString &to, bool move = false);

// Where a run is killed: at the first file started in s_killIn once the
// book s_killAfter holds the copied expense on disk.
QString s_killIn;
QString s_killAfter;

void killWhenStarted(int fd)
{
    char link[64];
    char target[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n <= 0)
        return;
    target[n] = 0;
    if (QFileInfo(QString::fromLocal8Bit(target)).path() == s_killIn
        && fixtures::readAll(s_killAfter).contains("TYPE=Taxi"))
        ::raise(SIGKILL);
}

// A later run of the program: a conversion of the season given, then the
// expense's amount changed, or its reminder set again to the minute it
// shows as the list's pop-up editor sets it, and stored. Or the expense
// copied (moved) by Copy Special into the book titled as this one with
// "Copy", the run killed right after that book's save: before the alarm
// list is written (before the source's save).
int editMain(int argc, char **argv)
{
    if (argc < 6)
        return 1;
    tempt(QDate::fromString(QString::fromLatin1(argv[4]), Qt::ISODate));
    AlarmServer::instance()->setClock(earlyNow);
    const bool move = qstrcmp(argv[5], "move killed") == 0;
    if (move || qstrcmp(argv[5], "copy killed") == 0) {
        const QString source = QString::fromLocal8Bit(argv[2]);
        const QString to = QFileInfo(source).completeBaseName() + QStringLiteral("Copy");
        s_killAfter = fixtures::bookPath(to);
        s_killIn = QFileInfo(move ? fixtures::booksDir() : QFileInfo(AlarmServer::instance()->fileName()).path())
                       .canonicalFilePath();
        FileReplacer::setCreatedHook(killWhenStarted);
        copySpecial(source, to, move);
        return 4;
    }
    TaskManager book(QString::fromLocal8Bit(argv[2]));
    auto *task = book.load() ? dynamic_cast<Task *>(book.findRecord(QString::fromLatin1(argv[3]))) : nullptr;
    if (!task || !task->reminder)
        return 2;
    auto *old = new Task(*task);
    const QDateTime was = task->reminder->dateTime;
    if (qstrcmp(argv[5], "again") == 0 || qstrcmp(argv[5], "minute") == 0)
        task->reminder->dateTime = YMRUtil::firstValidLocalTime(
            was.date(), QTime(was.time().hour(), was.time().minute() + (qstrcmp(argv[5], "minute") == 0)));
    else
        task->amount = QStringLiteral("99");
    task->store(old);
    return book.save() ? 0 : 3;
}

// The value of the first DATETIME line of the file.
QByteArray dateTimeLine(const QString &path)
{
    const QRegularExpressionMatch m = QRegularExpression("\nDATETIME=([^\n]*)").match(fixtures::readAll(path));
    return m.captured(1).toLatin1();
}

// The expense changed in a later run, in zone; a run that is to be killed
// (see editMain) is.
bool editInLaterRun(const QByteArray &zone, const QString &path, const QString &uid, const QDate &season,
                    const char *change = "amount")
{
    QProcess child;
    QProcessEnvironment env = ymrtest::childEnvironment();
    env.insert(QStringLiteral("TZ"), QString::fromLatin1(zone));
    ymrtest::startChild(child, {"--edit", path, uid, season.toString(Qt::ISODate), change}, env);
    if (!child.waitForFinished(60000))
        return false;
    if (QByteArray(change).endsWith("killed"))
        return child.exitStatus() == QProcess::CrashExit;
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

// The expense copied (or moved) into the book titled to by Copy Special,
// the source opened in the main window; the copy's UID.
QString copySpecial(const QString &source, const QString &to, bool move)
{
    ToDoWindow w;
    if (!fixtures::openInWindow(w, source))
        return QString();
    ModalDriver driver;
    ymrtest::whenModalShown([&](QDialog *dialog) {
        auto *d = static_cast<CopySpecial *>(dialog);
        d->listView()->setCurrentItem(d->listView()->firstChild());
        d->listView()->activateRecord();
        driver.expect("DBDialog", [to](QWidget *widget) {
            auto *books = static_cast<DBDialog *>(widget);
            for (YMRListViewItem *item = books->list->firstChild(); item; item = item->nextSibling()) {
                auto *book = dynamic_cast<DBRecord *>(static_cast<PIMListViewItem *>(item)->record());
                if (book && book->title() == to)
                    books->list->setCurrentItem(item);
            }
            books->btnSelect->click();
        });
        YMRDialog::queueAnswer(1);
        (move ? d->moveButton() : d->copyButton())->click();
        d->reject();
    });
    fixtures::trigger(w, "cs");
    YMRDialog::takeScriptedBoxes();
    TaskManager copies(fixtures::bookPath(to));
    return copies.load() && copies.count() == 1 ? copies.records()->at(0)->uidString() : QString();
}

// A device's book received by Get Data (the device a link in this
// process, on folders of its own); its path here.
QString receive(const QString &deviceBook)
{
    PCLinkServer server(nullptr, 0);
    PCLinkServer::setPort(server.serverPort());
    const QString app = QFileInfo(deviceBook).path();
    QObject::connect(&server, &PCLinkServer::connected, &server, [&](int fd) {
        auto *link = new PCLink(&server);
        link->setDirectories(app, app);
        link->setBookPaths({deviceBook});
        link->setSocket(fd);
    });
    {
        DBManager published(true);
        published.load();
        published.removeAll();
        auto *r = new DBRecord(&published);
        r->setPath(deviceBook);
        published.addRecord(r);
        published.save();
    }
    const QString name = QStringLiteral("ymrOutlaysIDX_EXT");
    QFile::remove(app + QLatin1Char('/') + name);
    QFile::rename(Global::applicationFileName("ymrOutlays", name), app + QLatin1Char('/') + name);
    DBManager index;
    index.load();
    {
        TransferData get(false, &index, QString());
        get.data->setChecked(false);
        get.doConnect();
        if (!get.deviceIndexStore())
            return QString();
        get.select(get.deviceIndexStore()->findByPath(deviceBook));
        for (int i = 0; i < 4; ++i)
            YMRDialog::queueAnswer(1);
        get.start();
    }
    YMRDialog::takeScriptedBoxes();
    // where the book index has a book of that name, there
    index.load();
    for (int i = 0; i < index.count(); ++i) {
        const QString path = static_cast<DBRecord *>(index.records()->at(i))->path();
        if (QFileInfo(path).fileName() == QFileInfo(deviceBook).fileName())
            return path;
    }
    return QString();
}

}

class TestReminders : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QpeSound::startRecording();
    }
    void cleanup()
    {
        QpeDevice::stopRecording();
        QpeSound::stopRecording();
    }

    void setLed_data()
    {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("with buzzer, normal")
            << QStringList({led, buzzer}) << 4
            << QStringList({"0x5681 {13,7}", "0x5681 {13,0}"});
        QTest::newRow("with buzzer, soft flash")
            << QStringList({led, buzzer}) << 7
            << QStringList({"0x5681 {13,10}", "0x5681 {13,0}"});
        QTest::newRow("without buzzer") << QStringList({led}) << 4
                                        << QStringList({"0x5681 {2,1}", "0x5681 {2,0}"});
        QTest::newRow("without led") << QStringList({buzzer}) << 4 << QStringList();
    }

    void setLed()
    {
        QFETCH(QStringList, devices);
        QFETCH(int, pattern);
        QFETCH(QStringList, expected);
        QpeDevice::startRecording(devices);
        Alert::setLed(true, pattern);
        Alert::setLed(false, -1);
        QCOMPARE(ioctls(QpeDevice::recorded()), expected);
        QCOMPARE(QpeDevice::openDescriptors(), 0);
    }

    void soundAlarm_data()
    {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("buzzer") << QStringList({buzzer})
                                << QStringList({"0x5684 {4,100,0}", "0x5681 {4,100,0}",
                                                "0x5680 4", "1", "0x5680 4", "1", "0x5680 4"});
        QTest::newRow("no buzzer") << QStringList() << QStringList({"2"});
    }

    void soundAlarm()
    {
        QFETCH(QStringList, devices);
        QFETCH(QStringList, expected);
        {
            Config device(QStringLiteral("deviceqpe"));
            device.setGroup(QStringLiteral("Sound"));
            device.writeEntry(QStringLiteral("ScheduleAlarm"),
                              QStringLiteral("/somewhere/else/alarma300.wav"));
        }
        QpeDevice::startRecording(devices);
        Alert::soundAlarm();
        QCOMPARE(ioctls(QpeDevice::recorded()), expected);
        QCOMPARE(QpeDevice::openDescriptors(), 0);
        // the sound file is looked up by its base name among the platform's
        QCOMPARE(QpeSound::recorded(),
                 QStringList({QStringLiteral("soundAlarm"),
                              QStringLiteral("play ") + QPEApplication::qpeDir()
                                  + QStringLiteral("/sounds/alarma300.wav")}));
    }

    void alertRings()
    {
        QpeDevice::startRecording({led, buzzer});
        PIMReminder both;
        both.sound = true;
        both.led = true;
        both.type = 4;
        PIMReminder quiet;
        {
            Alert alert;
            QCOMPARE(alert.windowTitle(), QStringLiteral("Expense Alarm"));
            QVERIFY(alert.text().contains(QLatin1String("Expense Alarm")));
            alert.start(&both);
            QCOMPARE(alert.findChildren<QTimer *>(QStringLiteral("soundTimer")).size(), 1);
            alert.start(&both);
            QCOMPARE(alert.findChildren<QTimer *>(QStringLiteral("soundTimer")).size(), 2);
            // the last reminder given has no LED; the LED still goes off at the end
            alert.start(&quiet);
            QCOMPARE(alert.reminder(), &quiet);
            QpeDevice::clearRecord();
            const QString screen = QString::fromLocal8Bit(qgetenv("QPE_SCREEN"));
            QVERIFY(QTest::qWaitForWindowExposed(&alert));
            alert.grab().save(ymrtest::grabPath("ymr-alert-" + screen));
        }
        QCOMPARE(ioctls(QpeDevice::recorded()), QStringList({"0x5681 {13,0}"}));
        QCOMPARE(QpeDevice::openDescriptors(), 0);
    }

    void alertWithoutNotification()
    {
        QpeDevice::startRecording({led, buzzer});
        PIMReminder none;
        {
            Alert alert;
            alert.start(&none);
            QVERIFY(alert.findChildren<QTimer *>(QStringLiteral("soundTimer")).isEmpty());
        }
        QVERIFY(QpeDevice::recorded().isEmpty());
        QVERIFY(QpeSound::recorded().isEmpty());
    }

    // Keys typed on without a rest when the window comes up were meant for
    // another window: none presses its Ok, however the window manager
    // handed it the keyboard. A key after a rest does.
    void keysWithoutARestDoNotAct()
    {
        QWidget other;
        other.show();
        Alert::setKeyRest(60000);
        Alert alert;
        alert.start(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(&alert));
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target && target->window() == &alert);
        QTest::keyClick(target, Qt::Key_Space);
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(&other, Qt::Key_A);
        QVERIFY(alert.isVisible());
        QCOMPARE(alert.result(), 0);
        Alert::setKeyRest(0);
        QTest::keyClick(target, Qt::Key_Space);
        QVERIFY(!alert.isVisible());
        QCOMPARE(alert.result(), int(QDialog::Accepted));
        Alert::setKeyRest(-1);
    }

    void initTestCase()
    {
        qApp->setQuitOnLastWindowClosed(false);
        AlarmServer::instance()->setClock(earlyNow);
    }
    void cleanupTestCase()
    {
        AlarmServer::instance()->setClock(nullptr);
    }

    // A reminder in the hour the clocks repeat, set in either showing (as a
    // snooze sets it), rings at that moment through every later registration
    // of its wall time: the expense changed, or its reminder set again to the
    // minute, in a later run; a copy to another book; a book made on a device
    // (the list here knows nothing of it) and received over the link; and a
    // book of the earlier version (the wall time alone, the list the moment). Each run converts a time of
    // the other showing's season first. (Another zone: tst_alarmserver.) The book keeps the wall time it
    // shows: one the clocks skip as it was, ringing after the gap; one set a minute on in the second
    // showing the new minute alone, its first showing.
    void momentKeptThroughEveryPath_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("moment"); // UTC
        QTest::addColumn<QDate>("otherSeason");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("wall");   // the book's DATETIME put in by hand (empty: as written)
        QTest::addColumn<QDateTime>("rings");   // UTC, where not at moment
        const auto utc = [](int month, int day, int hour, int minute) {
            return QDateTime(QDate(2027, month, day), QTime(hour, minute), Qt::UTC);
        };
        const QDate summer(2027, 7, 1), winter(2026, 12, 15);
        struct Zone
        {
            const char *name;
            QDateTime first, second; // the wall time's two showings
            QDate firstSeason, secondSeason;
        };
        const Zone zones[] = {
            {"Europe/Berlin", utc(10, 31, 0, 57), utc(10, 31, 1, 57), summer, winter},      // 31 Oct, 02:57
            {"America/New_York", utc(11, 7, 5, 30), utc(11, 7, 6, 30), summer, winter},     // 7 Nov, 01:30
            {"Australia/Lord_Howe", utc(4, 3, 14, 45), utc(4, 3, 15, 15), winter, summer},  // 4 Apr, 01:45
        };
        for (const Zone &z : zones) {
            for (const bool second : {false, true}) {
                for (const char *path : {"edited later", "set again later", "copied", "received",
                                         "earlier book edited later", "earlier book copied"}) {
                    QTest::addRow("%s, %s showing, %s", z.name, second ? "second" : "first", path)
                        << QByteArray(z.name) << (second ? z.second : z.first)
                        << (second ? z.firstSeason : z.secondSeason) << QString::fromLatin1(path) << QByteArray()
                        << QDateTime();
                }
            }
        }
        QTest::newRow("Europe/Berlin, skipped, edited later")
            << QByteArray("Europe/Berlin") << utc(3, 28, 1, 0) << summer << QStringLiteral("edited later")
            << QByteArray("28 3 2027 2 30 0") << QDateTime();
        QTest::newRow("Europe/Berlin, second showing, moved")
            << QByteArray("Europe/Berlin") << zones[0].second << winter << QStringLiteral("moved") << QByteArray()
            << QDateTime();
        // killed between a book's save and the alarm list's write: the
        // next opening of the book lists what the list lacks
        for (const char *path : {"copy killed", "move killed"}) {
            QTest::addRow("Europe/Berlin, second showing, %s", path)
                << QByteArray("Europe/Berlin") << zones[0].second << winter << QString::fromLatin1(path)
                << QByteArray() << QDateTime();
        }
        // the copy's book cannot be written: no alarm of it stays
        QTest::newRow("Europe/Berlin, second showing, copy refused")
            << QByteArray("Europe/Berlin") << zones[0].second << winter << QStringLiteral("copy refused")
            << QByteArray() << QDateTime();
        QTest::newRow("Europe/Berlin, second showing, a minute on later")
            << QByteArray("Europe/Berlin") << zones[0].second << winter << QStringLiteral("a minute on later")
            << QByteArray() << zones[0].first.addSecs(60);
    }

    void momentKeptThroughEveryPath()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, moment);
        QFETCH(QDate, otherSeason);
        QFETCH(QString, path);
        QFETCH(QByteArray, wall);
        QFETCH(QDateTime, rings);
        const ymrtest::ZoneScope scope(zone);
        const QString title = QStringLiteral("Moment%1").arg(QTest::currentDataTag()).remove(QRegularExpression("\\W"));
        QString book = fixtures::bookPath(title);
        {
            DBManager index(false);
            index.load();
            fixtures::addBook(&index, title);
            fixtures::addBook(&index, title + QStringLiteral("Copy"));
            index.save();
        }
        QString uid;
        if (path == QLatin1String("received")) {
            // made on the device: this home's list knows nothing of it
            const QString device = ymrtest::userRoot().filePath(QStringLiteral("device"));
            QDir().mkpath(device);
            uid = reminderBook(device + QLatin1Char('/') + title + QStringLiteral(".exp"), moment, false);
            QVERIFY(listed(uid).isNull());
            tempt(otherSeason);
            book = receive(device + QLatin1Char('/') + title + QStringLiteral(".exp"));
            QVERIFY(QFileInfo::exists(book));
        } else {
            uid = reminderBook(book, moment, true);
            QCOMPARE(listed(uid), moment);
        }
        if (!wall.isEmpty())
            fixtures::writeFile(book, fixtures::readAll(book).replace("DATETIME=" + dateTimeLine(book), "DATETIME=" + wall));
        const QByteArray shown = dateTimeLine(book);
        if (path.startsWith(QLatin1String("earlier book"))) {
            const QString text = QString::fromUtf8(fixtures::readAll(book));
            fixtures::writeFile(book, QString(text).remove(QRegularExpression("OFFSET=.*\n")).toUtf8());
        }
        TaskManager(fixtures::bookPath(title + QStringLiteral("Copy"))).forceSave();
        QString ringing = uid;
        if (path == QLatin1String("copy refused")) {
            tempt(otherSeason);
            const int alarms = AlarmServer::instance()->pending().size();
            FileReplacer::setSpaceLeft(0);
            QVERIFY(copySpecial(book, title + QStringLiteral("Copy")).isEmpty());
            FileReplacer::setSpaceLeft(-1);
            QCOMPARE(AlarmServer::instance()->pending().size(), alarms);
        } else if (path.endsWith(QLatin1String("killed"))) {
            const QString copyBook = fixtures::bookPath(title + QStringLiteral("Copy"));
            QVERIFY(editInLaterRun(zone, book, uid, otherSeason, path.toLatin1().constData()));
            const QRegularExpressionMatch copied = QRegularExpression("\nUID=([^\n]*)").match(fixtures::readAll(copyBook));
            QVERIFY(copied.hasMatch());
            ringing = copied.captured(1);
            QVERIFY(ringing != uid);
            if (path.startsWith(QLatin1String("copy")))
                QVERIFY(listed(ringing).isNull());
            // the next start ends the copy or move the kill cut (a moved
            // expense leaves its book, and its alarm the list) and opens the books: the
            // list lacks none of their reminders, and takes them in one
            // write each
            const bool moved = path.startsWith(QLatin1String("move"));
            QCOMPARE(MoveJournal::finishPending(), 1);
            for (const QString &opened : {book, copyBook}) {
                const int writes = AlarmServer::instance()->writeCount();
                TaskManager store(opened);
                QVERIFY(store.load());
                QCOMPARE(store.count(), moved && opened == book ? 0 : 1);
                QVERIFY(AlarmServer::instance()->writeCount() - writes <= 1);
            }
            QCOMPARE(listed(uid), moved ? QDateTime() : moment);
        } else if (path.endsWith(QLatin1String("copied")) || path == QLatin1String("moved")) {
            tempt(otherSeason);
            ringing = copySpecial(book, title + QStringLiteral("Copy"), path == QLatin1String("moved"));
            QVERIFY(!ringing.isEmpty() && ringing != uid);
            // moved: the expense's own alarm went with it
            QCOMPARE(listed(uid).isNull(), path == QLatin1String("moved"));
        } else {
            const char *change = path == QLatin1String("set again later")      ? "again"
                                 : path == QLatin1String("a minute on later") ? "minute"
                                                                              : "amount";
            QVERIFY(editInLaterRun(zone, book, uid, otherSeason, change));
        }
        QCOMPARE(listed(ringing), rings.isValid() ? rings : moment);
        const QString ringingBook = ringing == uid ? book : fixtures::bookPath(title + QStringLiteral("Copy"));
        if (rings.isValid()) {
            QCOMPARE(dateTimeLine(ringingBook), YMRPIM::dateTimeToText(rings.toLocalTime()).toLatin1());
            QVERIFY(!fixtures::readAll(ringingBook).contains("OFFSET="));
        } else {
            QCOMPARE(dateTimeLine(ringingBook), shown);
        }
    }

    void reminderPage()
    {
        ReminderEditor page;
        page.load(nullptr);
        QVERIFY(!page.alarm->isChecked());
        QVERIFY(!page.dt->isEnabled() && !page.panel->isEnabled());
        QVERIFY(!page.reminder());

        PIMReminder r;
        r.dateTime = QDateTime(QDate(2026, 3, 4), QTime(12, 34, 56));
        r.sound = false;
        r.led = true;
        r.type = 7;
        page.load(&r);
        QVERIFY(page.alarm->isChecked() && page.dt->isEnabled() && page.panel->isEnabled());
        QCOMPARE(page.led->currentText(), QStringLiteral("Soft Flash"));
        std::unique_ptr<PIMReminder> back(page.reminder());
        QVERIFY(back);
        // shown in minutes: unchanged it keeps its seconds (OK after Open
        // moves no snoozed reminder), changed it has none
        QCOMPARE(back->dateTime, r.dateTime);
        QVERIFY(!back->sound && back->led);
        QCOMPARE(back->type, 7);
        page.dt->setDateTime(QDateTime(QDate(2026, 3, 4), QTime(12, 35)));
        back.reset(page.reminder());
        QCOMPARE(back->dateTime, QDateTime(QDate(2026, 3, 4), QTime(12, 35)));

        // off and on again: now, sound, LED, "Normal"
        page.alarm->setChecked(false);
        QVERIFY(!page.panel->isEnabled());
        const QDateTime before = QDateTime::currentDateTime();
        page.alarm->setChecked(true);
        back.reset(page.reminder());
        QVERIFY(back->sound && back->led);
        QCOMPARE(back->type, 4);
        QCOMPARE(back->dateTime.time().second(), 0);
        QCOMPARE(back->dateTime.time().msec(), 0);
        QVERIFY(qAbs(back->dateTime.secsTo(before)) < 120);
    }

    void testButton()
    {
        QpeDevice::startRecording({led});
        ReminderEditor page;
        page.alarm->setChecked(true);
        page.sound->click(); // sound off, LED on
        QVERIFY(page.btnTest->isEnabled());
        page.btnTest->click();
        QCOMPARE(ioctls(QpeDevice::recorded()),
                 QStringList({"0x5681 {2,1}", "2", "0x5681 {2,0}"}));
        QVERIFY(page.btnTest->isEnabled());
        page.ledbox->click(); // neither: nothing to test
        QVERIFY(!page.btnTest->isEnabled());
    }
};

YMR_TEST_MAIN_WITH_CHILD(TestReminders, "--edit", editMain)
#include "tst_reminders.moc"
