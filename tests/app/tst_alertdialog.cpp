// ymr-test-screens: 240x320 480x640
#include "alert.h"
#include "alertdialog.h"
#include "exportdialog.h"
#include "filtereditordialog.h"
#include "passworddialog2.h"
#include "remindereditor.h"
#include "taskdialog.h"
#include "ymrtest.h"
#include "zonescope.h"

#include "bookfixtures.h"

#include "pim/dbmanager.h"
#include "pim/dbrecord.h"

#include "pim/pimlistviewitem.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "qpe/alarmserver.h"
#include "qpe/qpedevice.h"
#include "qpe/qpesound.h"
#include "qt/ymrapplication.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QUuid>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// Answers the modal dialogs that come up one after another, in order.
void answerInTurn(QList<std::function<void(QDialog *)>> steps)
{
    // owned by the application, so a timer still running when the tests end
    // goes with it
    auto *timer = new QTimer(QCoreApplication::instance());
    auto remaining = std::make_shared<QList<std::function<void(QDialog *)>>>(std::move(steps));
    auto last = std::make_shared<QPointer<QWidget>>();
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, remaining, last, waited] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (remaining->isEmpty() || ++*waited > 500) {
            if (d && !remaining->isEmpty())
                d->reject();
            timer->deleteLater();
            return;
        }
        if (!d || d == *last || !d->isVisible())
            return;
        *last = d;
        *waited = 0;
        remaining->takeFirst()(d);
    });
    timer->start(10);
}

QByteArray messageOf(Task *t)
{
    return TaskManager::alarmMessage(t);
}

// Keys as a user types them: each to the widget that has the keyboard.
bool typeKeys(const QString &text)
{
    for (const QChar c : text) {
        QWidget *target = QApplication::focusWidget();
        if (!target)
            return false;
        QTest::keyClick(target, c.toLatin1());
    }
    return true;
}

} // namespace

// Stands in for the main window's side of the signals.
class Host : public QObject
{
public:
    explicit Host(AlertDialog *dialog, QList<TaskManager *> known = {}) : stores(known)
    {
        connect(dialog, &AlertDialog::editDialogIsFree, this, [this](bool *free) { *free = !busy; });
        connect(dialog, &AlertDialog::getTask, this, [this](Task **task, const QString &uid) {
            ++lookups;
            for (TaskManager *s : stores) {
                if (PIMRecord *r = s->findRecord(uid)) {
                    *task = static_cast<Task *>(r);
                    return;
                }
            }
        });
        connect(dialog, &AlertDialog::freeManager, this,
                [this](PIMManager *s) { freed.append(s); });
        connect(dialog, &AlertDialog::raiseMainWindow, this, [this] { ++raised; });
        connect(dialog, &AlertDialog::setupView, this, [](PIMListView *list, Task *task) {
            list->setManager(task->manager(), false);
            list->restoreColumns();
            list->init();
        });
        connect(dialog, &AlertDialog::editTask, this, [this](Task *t) { edited.append(t); });
    }
    bool busy = false;
    int lookups = 0;
    int raised = 0;
    QList<TaskManager *> stores;
    QList<PIMManager *> freed;
    QList<Task *> edited;
};

class TestAlertDialog : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TaskManager> m_a;
    std::unique_ptr<TaskManager> m_b;
    QDateTime m_now;

    Task *addTask(TaskManager *store, const QString &type, bool reminder = true)
    {
        auto *t = new Task(store);
        t->type = type;
        t->date = QDate(2026, 12, 7);
        if (reminder) {
            t->reminder = new PIMReminder;
            t->reminder->dateTime = m_now.addSecs(60);
        }
        t->store(nullptr);
        return t;
    }

private slots:
    void initTestCase()
    {
        AlarmServer::instance()->setClock([this] { return m_now; });
        // due alarms ring at once, however long the program has run (after
        // the application's own start of the server)
        ymrtest::flushEvents();
        AlarmServer::instance()->start(0);
    }

    void init()
    {
        m_now = QDateTime(QDate(2026, 12, 7), QTime(10, 15, 42));
        const QString root = ymrtest::userRoot().path();
        QFile::remove(root + QStringLiteral("/A.exp"));
        QFile::remove(root + QStringLiteral("/B.exp"));
        m_a.reset(new TaskManager(root + QStringLiteral("/A.exp")));
        m_b.reset(new TaskManager(root + QStringLiteral("/B.exp")));
        QpeDevice::startRecording({});
        QpeSound::startRecording();
    }

    void cleanup()
    {
        m_a.reset();
        m_b.reset();
        QpeDevice::stopRecording();
        QpeSound::stopRecording();
    }

    void ignoresOtherMessagesAndUnknownRecords()
    {
        AlertDialog dialog;
        Host host(&dialog, {m_a.get()});
        dialog.appMessage("setDocument(QString)", QByteArray());
        QCOMPARE(host.lookups, 0);
        dialog.appMessage("alarm(QDateTime,int)00000000-0000-0000-0000-000000000000",
                          QByteArray());
        QCOMPARE(host.lookups, 1);
        QVERIFY(!dialog.alertWindow() && !dialog.boundStore() && host.raised == 0);
        // an expense whose reminder was removed meanwhile is dropped too
        Task *t = addTask(m_a.get(), "Lunch", false);
        dialog.appMessage(messageOf(t), QByteArray());
        QCOMPARE(host.freed, QList<PIMManager *>({m_a.get()}));
        QCOMPARE(host.raised, 0);
    }

    void ringListDismissAndSnooze()
    {
        Task *lunch = addTask(m_a.get(), "Lunch");
        Task *taxi = addTask(m_a.get(), "Taxi");
        taxi->date = QDate();
        AlertDialog dialog;
        Host host(&dialog, {m_a.get()});
        answerInTurn({[&](QDialog *d) {
                          auto *alert = qobject_cast<Alert *>(d);
                          QVERIFY(alert);
                          QCOMPARE(alert->reminder(), lunch->reminder);
                          // a second alarm while the window rings restarts it
                          dialog.appMessage(messageOf(taxi), QByteArray());
                          QCOMPARE(alert->reminder(), taxi->reminder);
                          alert->accept();
                      },
                      [&](QDialog *d) {
                          QCOMPARE(d, &dialog);
                          QCOMPARE(dialog.windowTitle(), QStringLiteral("2 Reminders"));
                          QCOMPARE(dialog.lv->objectName(), QStringLiteral("alarm"));
                          dialog.lv->setCurrentItem(dialog.lv->findItem(taxi));
                          QCOMPARE(dialog.subject->text(), QStringLiteral("Taxi"));
                          QCOMPARE(dialog.date->text(), QStringLiteral("None"));
                          QVERIFY(dialog.snoozebutton->isEnabled());
                          dialog.PushButton3->click(); // dismiss Taxi
                          QCOMPARE(dialog.lv->childCount(), 1);
                          dialog.lv->setCurrentItem(dialog.lv->firstChild());
                          dialog.snoozebox->setCurrentItem(4); // 1 hour
                          dialog.snoozebutton->click();
                      }});
        dialog.appMessage(messageOf(lunch), QByteArray());
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.boundStore());
        QCOMPARE(host.raised, 2);
        QCOMPARE(host.freed, QList<PIMManager *>({m_a.get()}));
        QVERIFY(!taxi->reminder);
        QVERIFY(lunch->reminder);
        QCOMPARE(lunch->reminder->dateTime, QDateTime(QDate(2026, 12, 7), QTime(11, 15, 42)));
        // the stored reminder and the alarm change together
        QList<QByteArray> pending;
        for (const AlarmServer::Alarm &a : AlarmServer::instance()->pending()) {
            if (a.message == messageOf(lunch))
                QCOMPARE(a.when, lunch->reminder->dateTime);
            pending.append(a.message);
        }
        QVERIFY(pending.contains(messageOf(lunch)));
        QVERIFY(!pending.contains(messageOf(taxi)));
    }

    void commandsWithoutACurrentExpense()
    {
        AlertDialog dialog;
        Host host(&dialog);
        dialog.PushButton3->click();
        dialog.snoozebutton->click();
        dialog.PushButton2->click();
        QVERIFY(host.edited.isEmpty());
        QVERIFY(host.freed.isEmpty());
    }

    void snoozePeriods()
    {
        const QDateTime now(QDate(2026, 3, 28), QTime(10, 15, 42));
        QCOMPARE(AlertDialog::snoozeTime(0, now), now.addSecs(300));
        QCOMPARE(AlertDialog::snoozeTime(6, now), now.addSecs(21600));
        QCOMPARE(AlertDialog::snoozeTime(7, now), now.addDays(1));
        // into an hour repeated with standard time either side: its second
        // showing, kept as such; a day on, the same wall time
        ymrtest::ZoneScope moscow("Europe/Moscow");
        const QDateTime before(QDate(2014, 10, 25), QTime(21, 58), Qt::UTC);
        const qint64 first = before.toSecsSinceEpoch();
        const QDateTime snoozed = AlertDialog::snoozeTime(0, before);
        QCOMPARE(snoozed.toSecsSinceEpoch(), first + 300);
        QCOMPARE(snoozed.time(), QTime(1, 3));
        QCOMPARE(AlertDialog::snoozeTime(7, snoozed).toSecsSinceEpoch(), first + 300 + 86400);
    }

    void waitsWhileTheRecordDialogIsBusy()
    {
        Task *lunch = addTask(m_a.get(), "Lunch");
        AlertDialog dialog;
        Host host(&dialog, {m_a.get()});
        host.busy = true;
        dialog.appMessage(messageOf(lunch), QByteArray());
        QCOMPARE(host.lookups, 0);
        QCOMPARE(dialog.queue().size(), 1);
        QVERIFY(dialog.queueTimer()->isActive());
        QCOMPARE(dialog.queueTimer()->interval(), 10000);
        dialog.check();
        QCOMPARE(dialog.queue().size(), 1);
        host.busy = false;
        answerInTurn({[](QDialog *d) { d->accept(); },
                      [&](QDialog *) {
                          QCOMPARE(dialog.lv->childCount(), 1);
                          dialog.PushButton1->click(); // dismiss all
                      }});
        dialog.check();
        QVERIFY(dialog.queue().isEmpty());
        QVERIFY(!dialog.queueTimer()->isActive());
        QVERIFY(!lunch->reminder);
    }

    void anotherBookWaits()
    {
        Task *lunch = addTask(m_a.get(), "Lunch");
        Task *other = addTask(m_b.get(), "Other");
        AlertDialog dialog;
        Host host(&dialog, {m_a.get(), m_b.get()});
        answerInTurn({[](QDialog *d) { d->accept(); },
                      [&](QDialog *) {
                          dialog.appMessage(messageOf(other), QByteArray());
                          QCOMPARE(host.freed, QList<PIMManager *>({m_b.get()}));
                          QCOMPARE(dialog.queue().size(), 1);
                          QCOMPARE(dialog.lv->childCount(), 1);
                          dialog.PushButton2->click(); // open
                          QCOMPARE(host.edited, QList<Task *>({lunch}));
                          dialog.reject();
                      },
                      [](QDialog *d) { d->accept(); },
                      [&](QDialog *) {
                          QCOMPARE(dialog.boundStore(), m_b.get());
                          dialog.PushButton3->click();
                      }});
        dialog.appMessage(messageOf(lunch), QByteArray());
        QVERIFY(lunch->reminder); // closing the list keeps the reminder
        dialog.check();
        QVERIFY(!other->reminder);
        QCOMPARE(host.freed.last(), m_b.get());
    }

    void deliveredByTheAlarmServer()
    {
        QpeDevice::startRecording({QStringLiteral("/dev/pda_led"), QStringLiteral("/dev/pda_buz")});
        Task *lunch = addTask(m_a.get(), "Lunch");
        lunch->reminder->led = true;
        lunch->reminder->type = 4;
        lunch->reminder->sound = true;
        auto *old = new Task(*lunch);
        lunch->store(old);
        // a reminder already past registers nothing
        Task *past = addTask(m_a.get(), "Past");
        auto *pastOld = new Task(*past);
        past->reminder->dateTime = m_now.addSecs(-60);
        past->store(pastOld);

        AlertDialog dialog;
        Host host(&dialog, {m_a.get()});
        bool rang = false;
        QString ringing;
        QStringList played;
        answerInTurn({[&](QDialog *d) {
                          rang = qobject_cast<Alert *>(d) != nullptr;
                          ringing = QpeDevice::recorded().join(' ');
                          played = QpeSound::recorded();
                          const QString screen = QString::fromLocal8Bit(qgetenv("QPE_SCREEN"));
                          d->grab().save(ymrtest::grabPath("ymr-alarm-" + screen));
                          d->accept();
                      },
                      [&](QDialog *d) {
                          const QString screen = QString::fromLocal8Bit(qgetenv("QPE_SCREEN"));
                          d->grab().save(ymrtest::grabPath("ymr-reminders-" + screen));
                          QCOMPARE(dialog.lv->childCount(), 1);
                          dialog.PushButton3->click();
                      }});
        m_now = m_now.addSecs(61);
        AlarmServer::instance()->deliverDue();
        QTRY_VERIFY(rang);
        QVERIFY(ringing.contains("{13,7}"));
        QVERIFY(played.contains(QStringLiteral("soundAlarm")));
        QTRY_VERIFY(!lunch->reminder);
        // dismissed: out of the alarm list
        QVERIFY(fixtures::alarmTimes(messageOf(lunch)).isEmpty());
        QVERIFY(QpeDevice::recorded().join(' ').contains("{13,0}"));
        QCOMPARE(host.edited.size(), 0);
        QVERIFY(past->reminder); // never delivered, never listed
        m_now = m_now.addSecs(-61);
    }

    // A reminder is done when the user dismisses or snoozes it: one only
    // shown stays in the alarm list (for the next start), rung once in this
    // run; an alarm with nothing to show leaves the list.
    void alarmsLeaveTheListWhenDealtWith()
    {
        Task *lunch = addTask(m_a.get(), "Lunch");
        AlertDialog dialog;
        Host host(&dialog, {m_a.get()});
        const auto listed = [] {
            QList<QByteArray> messages;
            for (const AlarmServer::Alarm &a : AlarmServer::instance()->pending())
                messages << a.message;
            return messages;
        };
        const QByteArray stray = "alarm(QDateTime,int)0f8fad5b-d9cb-469f-a165-70867728950e";
        AlarmServer::addAlarm(m_now.addSecs(30), TaskManager::alarmChannel(), stray);
        bool closed = false;
        answerInTurn({[](QDialog *d) { d->accept(); },
                      [&](QDialog *) {
                          QCOMPARE(dialog.lv->childCount(), 1);
                          dialog.reject();
                          closed = true;
                      }});
        m_now = m_now.addSecs(61);
        AlarmServer::instance()->deliverDue();
        QTRY_VERIFY(closed);
        ymrtest::flushEvents();
        QVERIFY(lunch->reminder);
        QVERIFY(listed().contains(messageOf(lunch)));
        QVERIFY(!listed().contains(stray));
        // not again in this run
        const int raised = host.raised;
        AlarmServer::instance()->deliverDue();
        ymrtest::flushEvents();
        QCOMPARE(host.raised, raised);
        // the message is made before removeRecord() deletes the record
        const QByteArray lunchMessage = messageOf(lunch);
        m_a->removeRecord(lunch);
        QVERIFY(!listed().contains(lunchMessage));
    }

    // A reminder falling due while the user types into another dialog waits
    // until it closes: every key lands in its field, none in the alarm.
    void waitsWhileADialogHasTheKeyboard_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("field");
        QTest::newRow("filter editor") << "filter" << "val";
        QTest::newRow("export dialog") << "export" << "otherDelimiter";
        QTest::newRow("password prompt") << "password" << "p1";
    }

    void waitsWhileADialogHasTheKeyboard()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, field);
        Task *lunch = addTask(m_a.get(), "Lunch");
        AlertDialog alerts;
        Host host(&alerts, {m_a.get()});
        DBManager index;
        auto *book = new DBRecord(&index);
        book->setTitle(QStringLiteral("Locked"));
        book->setPassword(QStringLiteral("x"));
        index.addRecord(book);
        std::unique_ptr<QDialog> typedInto;
        if (dialog == "filter") {
            typedInto.reset(new FilterEditorDialog(m_a.get(), -2));
        } else if (dialog == "export") {
            auto *e = new ExportDialog;
            e->other->click();
            typedInto.reset(e);
        } else {
            typedInto.reset(new PasswordDialog2(&index, book));
        }
        auto *edit = typedInto->findChild<QLineEdit *>(field);
        QVERIFY(edit);
        // an alarm window coming up regardless is noted and let go
        QStringList shown;
        QTimer guard;
        connect(&guard, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                if (d != typedInto.get()) {
                    shown << d->metaObject()->className();
                    d->reject();
                }
            }
        });
        guard.start(20);
        bool heldWhileTyping = false;
        bool typed = false;
        QTimer::singleShot(0, [&] {
            edit->clear();
            edit->setFocus();
            typed = QTest::qWaitForWindowActive(typedInto.get()) && typeKeys(QStringLiteral("to the"));
            m_now = m_now.addSecs(61);
            AlarmServer::instance()->deliverDue();
            ymrtest::flushEvents();
            heldWhileTyping = alerts.queue().size() == 1 && !alerts.alertWindow();
            typed = typed && typeKeys(QStringLiteral(" station 12 "));
            // the device's OK goes to the dialog in front
            if (QApplication::focusWidget())
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
            if (typedInto->isVisible())
                typedInto->reject();
        });
        const int result = typedInto->exec();
        guard.stop();
        QVERIFY(typed);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(edit->text(), QStringLiteral("to the station 12 "));
        QVERIFY(heldWhileTyping);
        QCOMPARE(shown, QStringList());
        QVERIFY(lunch->reminder);
        QVERIFY(!fixtures::alarmTimes(messageOf(lunch)).isEmpty());
        typedInto.reset();
        // with the dialog gone it rings
        answerInTurn({[](QDialog *d) { d->accept(); },
                      [&](QDialog *) { alerts.PushButton3->click(); }});
        alerts.check();
        QVERIFY(!lunch->reminder);
        QVERIFY(fixtures::alarmTimes(messageOf(lunch)).isEmpty());
    }

    // "Open", then OK in the expense dialog, keeps the reminder registered;
    // a reminder changed there is registered as changed.
    void openKeepsTheAlarm_data()
    {
        QTest::addColumn<int>("change");   // minutes added to the reminder, 0 none
        QTest::newRow("unchanged") << 0;
        QTest::newRow("moved") << 30;
    }

    void openKeepsTheAlarm()
    {
        QFETCH(int, change);
        Task *lunch = addTask(m_a.get(), "Lunch");
        const QDateTime due = lunch->reminder->dateTime;
        AlertDialog alerts;
        Host host(&alerts, {m_a.get()});
        connect(&alerts, &AlertDialog::editTask, [&](Task *t) {
            TaskDialog dialog;
            QTimer::singleShot(0, &dialog, [&dialog, t, change] {
                if (change)
                    dialog.reminderEditor()->dt->setDateTime(t->reminder->dateTime.addSecs(60 * change));
                dialog.accept();
            });
            dialog.exec(t, 0, true);
        });
        bool stillListed = false;
        bool closed = false;
        answerInTurn({[](QDialog *d) { d->accept(); },
                      [&](QDialog *) {
                          alerts.lv->setCurrentItem(alerts.lv->firstChild());
                          alerts.PushButton2->click();   // open
                          // the list stays up until the user's next click:
                          // an alarm kept comes back meanwhile
                          ymrtest::flushEvents();
                          stillListed = alerts.lv->childCount() == 1;
                          alerts.reject();
                          closed = true;
                      }});
        // a window up after the list would wait for an answer nobody gives
        int shownAfter = 0;
        QTimer guard;
        connect(&guard, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                if (closed) {
                    ++shownAfter;
                    d->reject();
                }
            }
        });
        guard.start(20);
        m_now = m_now.addSecs(61);
        AlarmServer::instance()->deliverDue();
        QTRY_VERIFY(closed);
        ymrtest::flushEvents();
        QVERIFY(!alerts.isVisible());
        QCOMPARE(host.raised, 1);
        QCOMPARE(shownAfter, 0);
        QCOMPARE(host.edited.size(), 1);
        QVERIFY(lunch->reminder);
        QCOMPARE(stillListed, change == 0);
        QCOMPARE(lunch->reminder->dateTime > due, change != 0);
        QCOMPARE(fixtures::alarmTimes(messageOf(lunch)), QList<QDateTime>({AlarmServer::wholeSeconds(lunch->reminder->dateTime)}));
        m_a->removeRecord(lunch);
    }

    // Two expenses of a book that hold one UID (a file taken whole from a
    // peer, or edited by hand), their alarms registered under it: at the
    // load the second takes a UID of its own and its alarm goes with it, so
    // that each rings, is dismissed and removed as itself; also when its
    // book is read only as the alarm rings.
    void twinsRingEachForItself_data()
    {
        QTest::addColumn<int>("firstIn");   // seconds to the first one's reminder
        QTest::addColumn<QString>("act");
        QTest::newRow("the second due, dismissed") << 365 * 86400 << "dismiss";
        QTest::newRow("the second due, its book read as it rings") << 365 * 86400 << "read at the alarm";
        QTest::newRow("one reminder twice, the first removed") << 60 << "remove 0";
        QTest::newRow("one reminder twice, the second removed") << 60 << "remove 1";
    }

    void twinsRingEachForItself()
    {
        QFETCH(int, firstIn);
        QFETCH(QString, act);
        const QDateTime times[] = {m_now.addSecs(firstIn), m_now.addSecs(60)};
        const QByteArray uid = QUuid::createUuid().toByteArray(QUuid::WithoutBraces), was = "alarm(QDateTime,int)" + uid;
        QByteArray text = "FOLDER\nEND\n";
        for (const QDateTime &when : times) {
            text += "TYPE=" + QByteArray(text.size() > 12 ? "Second" : "First") + "\nREMINDER\nDATETIME="
                    + when.toString(QStringLiteral("d M yyyy h m s")).toLatin1() + "\nREMINDER_END\nUID=" + uid + "\nEND\n";
            AlarmServer::addAlarm(when, TaskManager::alarmChannel(), was);
        }
        fixtures::writeFile(m_a->fileName(), text);
        // a book only checked (one a peer sends) moves no alarm
        QVERIFY(TaskManager::readsWhole(m_a->fileName()));
        QCOMPARE(fixtures::alarmTimes(was).size(), firstIn == 60 ? 1 : 2);
        AlertDialog dialog;
        connect(&dialog, &AlertDialog::getTask, this, [this] {
            if (m_a->count() == 0)
                m_a->load();
        });
        Host host(&dialog, {m_a.get()});
        if (act != "read at the alarm") {
            const int writes = AlarmServer::instance()->writeCount();
            QVERIFY(m_a->load());
            // the moved alarms are on disk at once, in one write
            QCOMPARE(AlarmServer::instance()->writeCount(), writes + 1);
            QCOMPARE(AlarmServer(QFileInfo(AlarmServer::instance()->fileName()).path()).pending(),
                     AlarmServer::instance()->pending());
        }
        if (act.startsWith("remove")) {
            m_a->removeRecord(m_a->records()->at(act.right(1).toInt()));
        } else {
            QStringList listed;
            answerInTurn({[](QDialog *d) { d->accept(); },
                          [&](QDialog *) {
                              dialog.lv->setCurrentItem(dialog.lv->firstChild());
                              listed << dialog.subject->text() << QString::number(dialog.lv->childCount());
                              dialog.PushButton3->click(); // dismiss
                              if (dialog.isVisible())
                                  dialog.reject();
                          }});
            m_now = m_now.addSecs(61);
            AlarmServer::instance()->deliverDue();
            // the alarm under the UID the two held, moved by the load meanwhile
            QTRY_COMPARE(m_a->count(), 2);
            AlarmServer::instance()->deliverDue();
            QTRY_VERIFY(!listed.isEmpty());
            QCOMPARE(listed, QStringList({"Second", "1"}));
        }
        for (PIMRecord *r : *m_a->records()) {
            auto *t = static_cast<Task *>(r);
            const bool first = t->type == QLatin1String("First");
            QCOMPARE(t->uidString().toLatin1() == uid, first);
            QCOMPARE(fixtures::alarmTimes(messageOf(t)),
                     t->reminder ? QList<QDateTime>{AlarmServer::wholeSeconds(times[first ? 0 : 1])}
                                 : QList<QDateTime>());
        }
        QVERIFY(static_cast<Task *>(m_a->records()->at(0))->reminder);
        m_a->removeAll();
    }
};

YMR_TEST_MAIN(TestAlertDialog)
#include "tst_alertdialog.moc"
