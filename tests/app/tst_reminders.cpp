// ymr-test-screens: 240x320 480x640
#include "alert.h"
#include "remindereditor.h"
#include "ymrtest.h"

#include "pim/pimreminder.h"
#include "qpe/config.h"
#include "qpe/qpedevice.h"
#include "qpe/qpesound.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QTimer>
#include <QtTest>
#include <memory>

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

YMR_TEST_MAIN(TestReminders)
#include "tst_reminders.moc"
