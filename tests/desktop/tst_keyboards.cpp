#include "xdesktop.h"

#include "bookfixtures.h"
#include "ymrdatesettings.h"

#include "filtereditordialog.h"
#include "remindereditor.h"
#include "taskdialog.h"
#include "taskeditor.h"

#include "pim/filtercondition.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "qpe/alarmserver.h"
#include "qpe/config.h"
#include "qt/ymdatetimeedit.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymtabwidget.h"

#include <QStandardPaths>

using namespace xdesktop;

namespace {

// Types text as the keyboard of the layout set sends it: xdotool presses
// Shift or AltGr around the characters that need them.
bool type(const QString &text)
{
    return text.isEmpty() || xdotool({"type", "--delay", "20", text});
}

// The frame and client of a window as the server has them.
QRect wholeOf(WId window)
{
    const Place p = placeOf(window);
    const int border = p.client.left() - p.frame.x();
    return QRect(p.frame, p.client.bottomRight() + QPoint(border, border));
}

} // namespace

// Typed on a real keyboard of the X server, in the layouts of several
// countries, and the windows the program places under a tiling manager.
class TestKeyboards : public QObject
{
    Q_OBJECT
private slots:
    void typedAsOnTheKeyboard_data();
    void typedAsOnTheKeyboard();
    void alarmOnTheScreen_data();
    void alarmOnTheScreen();
    void cleanupTestCase();
};

void TestKeyboards::cleanupTestCase()
{
    run("setxkbmap", {"us"});
}

void TestKeyboards::typedAsOnTheKeyboard_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("ampm");
    QTest::addColumn<QString>("dateKeys");     // the expense's date, over 15/04/2026
    QTest::addColumn<QString>("reminderKeys"); // the reminder's date, over 15/04/2026
    QTest::addColumn<QString>("timeKeys");     // its time, over 10:30
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDateTime>("reminder");
    const QDate apr15(2026, 4, 15);
    // ":" is Shift+; on the US keyboard
    QTest::newRow("us, 12-hour") << "us" << true << "01/05/2026" << "" << "11:59p" << QDate(2026, 5, 1)
                                 << QDateTime(apr15, QTime(23, 59));
    // "/" is Shift+7 and ":" Shift+. on the German one
    QTest::newRow("de, 24-hour") << "de" << false << "15/01/2027" << "15/01/2027" << "23:61" << QDate(2027, 1, 15)
                                 << QDateTime(QDate(2027, 1, 15), QTime(10, 30));
    // every digit, "/" and "." are shifted on the French one
    QTest::newRow("fr, 24-hour") << "fr" << false << "01.05.2026" << "1/5/000" << "35:00" << QDate(2026, 5, 1)
                                 << QDateTime(apr15, QTime(10, 30));
    QTest::newRow("fr, 12-hour") << "fr" << true << "1/5/7" << "" << "12:00a" << QDate(2007, 5, 1)
                                 << QDateTime(apr15, QTime(0, 0));
}

void TestKeyboards::typedAsOnTheKeyboard()
{
    QFETCH(QString, layout);
    QFETCH(bool, ampm);
    QFETCH(QString, dateKeys);
    QFETCH(QString, reminderKeys);
    QFETCH(QString, timeKeys);
    QFETCH(QDate, date);
    QFETCH(QDateTime, reminder);
    if (QStandardPaths::findExecutable("setxkbmap").isEmpty())
        QSKIP("setxkbmap is not installed (scripts/deps.sh installs it)");
    // the session's manager, as the user's runs on through a change of layout
    QVERIFY(manager() == Manager::Openbox || useManager(Manager::Openbox));
    bool ok = false;
    run("setxkbmap", {layout}, &ok);
    QVERIFY(ok);
    const ymrtest::DateSettingsKept kept;
    ymrtest::setDateSettings(ampm, 273);
    const QString path = ymrtest::userRoot().filePath(QStringLiteral("Typed.exp"));
    QFile::remove(path);
    {
        TaskManager book(path);
        book.load();
        auto *t = new Task(&book);
        t->type = QStringLiteral("Taxi");
        t->amount = QStringLiteral("12.50");
        t->date = QDate(2026, 4, 15);
        t->reminder = new PIMReminder;
        t->reminder->dateTime = QDateTime(QDate(2026, 4, 15), QTime(10, 30));
        book.addRecord(t);
        TaskDialog dialog;
        QString failed;
        ymrtest::whenModalShown([&](QDialog *d) {
            auto *td = static_cast<TaskDialog *>(d);
            // each field typed into ends its entry with Tab, which takes the
            // keyboard on once every key before it is in
            const auto typeInto = [&](YMDateTimeEdit *edit, const QString &keys) {
                if (keys.isEmpty() || !failed.isEmpty())
                    return;
                edit->setFocus();
                if (!waitFor([edit] { return edit->lineEdit()->hasFocus(); }) || !type(keys)
                    || !xdotool({"key", "Tab"})
                    || !waitFor([edit] { return !edit->lineEdit()->hasFocus(); }))
                    failed = edit->objectName() + " " + keys;
            };
            if (!placed(td))
                failed = "not placed";
            // a window being mapped may refuse the switch once: asked again
            else if (!waitFor([td] { return giveKeyboard(td->winId()); }))
                failed = "no keyboard";
            typeInto(td->taskEditor()->date->dateEdit(), dateKeys);
            td->tabs()->showPage(td->reminderEditor());
            YMDateTimeEdit *time = td->reminderEditor()->dt->timeEdit();
            if (!waitFor([&] { return time->sectionCount() == (ampm ? 3 : 2); }))
                failed = "no clock";
            typeInto(td->reminderEditor()->dt->dateEdit(), reminderKeys);
            typeInto(time, timeKeys);
            // a refusal stops the first OK
            td->accept();
            if (td->isVisible())
                td->accept();
        });
        QCOMPARE(dialog.exec(t, 0, false), 1);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        book.forceSave();

        // the same date in a filter's condition, Add to List
        FilterEditorDialog filter(&book, -1);
        QDate added;
        ymrtest::whenModalShown([&](QDialog *d) {
            auto *editor = static_cast<FilterEditorDialog *>(d);
            editor->fs->setCurrentItem(FilterCondition::Date + 1);
            editor->fieldChanged(FilterCondition::Date + 1);
            auto *field = editor->valueWidget()->findChild<YMDateTimeEdit *>();
            if (!field || !placed(editor) || !waitFor([editor] { return giveKeyboard(editor->winId()); })) {
                failed = "no filter's date";
            } else {
                field->setFocus();
                if (!waitFor([field] { return field->lineEdit()->hasFocus(); }) || !type(dateKeys))
                    failed = "filter's date " + dateKeys;
                // the keys are in once the field shows them all
                waitFor([&] { return field->date() == date; });
                editor->btnAdd->click();
                added = editor->filter().conditions.value(0).date;
            }
            editor->reject();
        });
        filter.exec();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QCOMPARE(added, date);
    }
    TaskManager stored(path);
    QVERIFY(stored.load());
    const Task *t = nullptr;
    for (PIMRecord *r : *stored.records())
        t = static_cast<Task *>(r);
    QVERIFY(t);
    QCOMPARE(t->date, date);
    QVERIFY(t->reminder);
    QCOMPARE(t->reminder->dateTime, reminder);
}

void TestKeyboards::alarmOnTheScreen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::newRow("240x320") << "240x320";
    QTest::newRow("480x640") << "480x640";
}

// The main window tiled into the lower half of the screen: the alarm
// window and the list of due reminders that follows it lie on the screen.
void TestKeyboards::alarmOnTheScreen()
{
    QFETCH(QString, screen);
    if (QStandardPaths::findExecutable("herbstluftwm").isEmpty())
        QSKIP("herbstluftwm is not installed (scripts/deps.sh installs it)");
    QVERIFY(useManager(Manager::Herbstluftwm));
    QVERIFY(xdotool({"mousemove", "1200", "40"}));
    run("herbstclient", {"split", "bottom", "0.5"});
    QVERIFY(xdotool({"mousemove", "1200", "900"}));
    bool ok = false;
    run("herbstclient", {"focus", "down"}, &ok);
    QVERIFY(ok);
    // the pointer away from where the program's windows come
    QVERIFY(xdotool({"mousemove", "1270", "10"}));
    Program ringing;
    const QString trip = ringing.home() + "/Trip.exp";
    const QDateTime due = AlarmServer::wholeSeconds(QDateTime::currentDateTime());
    QByteArray message;
    {
        TaskManager book(trip);
        book.load();
        auto *t = new Task(&book);
        t->type = QStringLiteral("Taxi");
        t->date = QDate(2026, 3, 1);
        t->reminder = new PIMReminder;
        t->reminder->dateTime = due;
        book.addRecord(t);
        book.forceSave();
        message = TaskManager::alarmMessage(t);
    }
    {
        Config settings(ringing.settingsFile(), Config::File);
        settings.setGroup("Options");
        settings.writeEntry("book", trip);
    }
    qputenv("QPE_SCREEN", screen.toLatin1());
    const bool started = ringing.start();
    qunsetenv("QPE_SCREEN");
    QVERIFY(started);
    const WId main = ringing.window("^Expense Book : Trip$");
    QVERIFY(main);
    const QRect all(0, 0, 1280, 1024);
    // tiled low
    QVERIFY(waitFor([&] { return placeOf(main).client.top() >= 500; }));
    QVERIFY(AlarmServer(ringing.home() + "/Settings").add(due, TaskManager::alarmChannel(), message, 0));
    WId alarm = ringing.window("^Expense Alarm$");
    QVERIFY(alarm);
    QVERIFY(waitFor([&] { return placeOf(alarm).framed; }));
    QVERIFY2(all.contains(wholeOf(alarm)), qPrintable(QStringLiteral("alarm at %1,%2 %3x%4")
                                                         .arg(wholeOf(alarm).x()).arg(wholeOf(alarm).y())
                                                         .arg(wholeOf(alarm).width()).arg(wholeOf(alarm).height())));
    const QByteArray grabs = qgetenv("YMR_DESKTOP_GRABS");
    if (!grabs.isEmpty())
        run("import", {"-window", "root", QString::fromLocal8Bit(grabs) + "/alarm-" + screen + ".png"});
    // its Ok button, along its lower edge, can be clicked
    const QSize size = placeOf(alarm).client.size();
    QVERIFY(click(alarm, QPoint(size.width() / 2, size.height() - 12)));
    const WId list = ringing.window("^1 Reminders$");
    QVERIFY(list);
    QVERIFY(waitFor([&] { return placeOf(list).framed; }));
    QVERIFY(all.contains(wholeOf(list)));
    QVERIFY(pressKeysIn(list, {"Escape"}));
    QVERIFY(ringing.gone("^1 Reminders$"));
    ringing.process().terminate();
    QVERIFY(ringing.process().waitForFinished(WaitMs));
}

YMR_DESKTOP_TEST_MAIN(TestKeyboards)
#include "tst_keyboards.moc"
