// ymr-test-screens: 240x320 480x640
#include "ymrtest.h"

#include "bookfixtures.h"
#include "lockholder.h"
#include "modaldriver.h"
#include "programrun.h"

#include "alert.h"
#include "alertdialog.h"
#include "customlistdialog.h"
#include "passworddialog.h"
#include "passworddialog2.h"
#include "remindereditor.h"
#include "taskdialog.h"
#include "taskeditor.h"
#include "templatedialog.h"
#include "todowindow.h"

#include "pim/bookfile.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/tasklistview.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"
#include "pim/ymrpim.h"
#include "qpe/alarmserver.h"
#include "qpe/popupmenu.h"
#include "qpe/qpedevice.h"
#include "qpe/qpeglobal.h"
#include "qpe/qpesound.h"
#include "qt/enterstringdialog.h"
#include "qt/ymdatetimeeditor.h"
#include "qt/ymraction.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrlistview.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymtabwidget.h"

#include <QCheckBox>
#include <QDataStream>
#include <QProcess>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

using namespace fixtures;

// The expense commands, templates, value lists and reminders driven through
// the main window, headless, with the book file read back from disk.
class TestToDoWindowRecords : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void nothingWithoutABook();
    void addEditCloneDelete();
    void templates();
    void valueListsReachThePage();
    void reminderRingsSnoozeDismiss();
    void alarmWaitsForTheRecordDialog();
    void alarmOfAnotherBook_data();
    void alarmOfAnotherBook();
    void alarmOfALockedBook_data();
    void alarmOfALockedBook();
    void alarmOfAMissingBookIsTold_data();
    void alarmOfAMissingBookIsTold();
    void dismissOfABookAnotherCopyHoldsAsks();

private:
    void startWith(ToDoWindow &w, const QString &title);
    static void trigger(ToDoWindow &w, const char *action);
    static Task *reread(const QString &path, const QString &uid, TaskManager &store);
    static void select(ToDoWindow &w, Task *task);
    Task *addWithReminder(TaskManager *book, const QString &type, int inSeconds);
    // A book file beside the open one, listed in the index, holding one
    // expense whose reminder falls due in 30 s; its alarm message.
    QByteArray bookWithReminder(ToDoWindow &w, const QString &title, const QString &type,
                                const QString &password = QString());
    // Rings what is due: the alert (its text to alertText), then act on the
    // alarm window unless act is empty.
    void ring(ToDoWindow &w, ModalDriver &driver, const std::function<void(AlertDialog *)> &act,
              QString *alertText = nullptr);

    QDateTime m_now;
};

void TestToDoWindowRecords::initTestCase()
{
    qApp->setQuitOnLastWindowClosed(false);
    // a test function named on the command line is no document to open
    QPEApplication::setArgumentsForTest({QStringLiteral("ymroutlays")});
    qputenv("LANG", "en");
    PasswordDialog2::installPrompts();
    m_now = QDateTime(QDate(2026, 12, 7), QTime(10, 15, 42));
    AlarmServer::instance()->setClock([this] { return m_now; });
    YMRPIM::saveList(QStringLiteral("types"), {"Lunch", "Taxi"});
    YMRPIM::saveList(QStringLiteral("currencies_en"), {"$|@#.00", "EUR"});
}

void TestToDoWindowRecords::cleanupTestCase()
{
    // the server outlives this object (the application owns it): its clock
    // must not read m_now once this object is gone
    AlarmServer::instance()->setClock(nullptr);
}

void TestToDoWindowRecords::init()
{
    QpeDevice::startRecording({QStringLiteral("/dev/pda_led"), QStringLiteral("/dev/pda_buz")});
    QpeSound::startRecording();
}

void TestToDoWindowRecords::cleanup()
{
    YMRDialog::stopScript();
    QpeDevice::stopRecording();
    QpeSound::stopRecording();
}

void TestToDoWindowRecords::startWith(ToDoWindow &w, const QString &title)
{
    const QString path = bookPath(title);
    if (!w.bookIndex()->findByPath(path)) {
        if (!QFileInfo::exists(path)) {
            TaskManager book(path);
            book.forceSave();
        }
        addBook(w.bookIndex(), title);
        w.bookIndex()->save();
    }
    setSetting("Options", "book", path);
    ymrApp->showMainDocumentWidget(&w);
    QTRY_VERIFY_WITH_TIMEOUT(w.manager(), 5000);
    QCOMPARE(w.manager()->fileName(), path);
}

void TestToDoWindowRecords::trigger(ToDoWindow &w, const char *name)
{
    YMRAction *a = w.action(name);
    QVERIFY2(a, name);
    QVERIFY2(a->isEnabled(), name);
    emit a->activated();
}

Task *TestToDoWindowRecords::reread(const QString &path, const QString &uid, TaskManager &store)
{
    store.load();
    return dynamic_cast<Task *>(store.findRecord(uid));
}

void TestToDoWindowRecords::select(ToDoWindow &w, Task *task)
{
    w.listView()->setCurrentItem(w.listView()->findItem(task));
    QCOMPARE(w.listView()->currentRecord(), task);
}

Task *TestToDoWindowRecords::addWithReminder(TaskManager *book, const QString &type, int inSeconds)
{
    auto *t = new Task(book);
    t->type = type;
    t->reminder = new PIMReminder;
    t->reminder->dateTime = m_now.addSecs(inSeconds);
    t->reminder->sound = true;
    t->reminder->led = true;
    t->reminder->type = 4;
    t->store(nullptr);
    return t;
}

QByteArray TestToDoWindowRecords::bookWithReminder(ToDoWindow &w, const QString &title,
                                                   const QString &type, const QString &password)
{
    const QString path = bookPath(title);
    QFile::remove(path);
    TaskManager book(path);
    book.setPassword(password);
    const QByteArray message = TaskManager::alarmMessage(addWithReminder(&book, type, 30));
    book.save();
    if (!w.bookIndex()->findByPath(path))
        addBook(w.bookIndex(), title, password);
    w.bookIndex()->save();
    return message;
}

void TestToDoWindowRecords::nothingWithoutABook()
{
    ToDoWindow w; // never shown: no book is open
    QVERIFY(!w.manager());
    QVERIFY(!w.action("new")->isEnabled() && !w.action("purge")->isEnabled());
    ModalDriver driver;
    w.createTask();
    w.purgeAll();
    w.doClone();
    w.removeTask();
    w.editTask();
    w.newFromTemplate(1);
    w.commentChanged();
    QCoreApplication::processEvents();
    QVERIFY(driver.unexpected.isEmpty());
    QCOMPARE(YMRDialog::takeScriptedBoxes().size(), 0);
    bool free = false;
    w.editDialogIsFree(&free);
    QVERIFY(free);
}

void TestToDoWindowRecords::addEditCloneDelete()
{
    ModalDriver driver;
    ToDoWindow w;
    startWith(w, QStringLiteral("Records"));
    const QString path = w.manager()->fileName();

    // a new expense with every field
    driver.expect("TaskDialog", [&w](QWidget *d) {
        auto *td = static_cast<TaskDialog *>(d);
        bool free = true;
        w.editDialogIsFree(&free);
        QVERIFY(!free);
        QVERIFY(td->windowTitle().startsWith(QLatin1String("New Expense - Records")));
        TaskEditor *page = td->taskEditor();
        page->amount->clear();
        QTest::keyClicks(page->amount, QStringLiteral("12.50"));
        page->type->setCurrentItem(1);
        page->cur->setCurrentItem(1);
        page->city->setEditText(QStringLiteral("Lisbon"));
        page->account->setEditText(QStringLiteral("Cash"));
        page->date->setDate(QDate(2026, 11, 30));
        td->memo()->setPlainText(QStringLiteral("with colleagues"));
        td->accept();
    });
    trigger(w, "new");
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(w.manager()->count(), 1);
    bool free = false;
    w.editDialogIsFree(&free);
    QVERIFY(free);
    auto *lunch = static_cast<Task *>(w.manager()->records()->at(0));
    const QString uid = lunch->uidString();
    QVERIFY(w.manager()->save());
    {
        TaskManager disk(path);
        Task *t = reread(path, uid, disk);
        QVERIFY(t);
        QCOMPARE(t->type, QStringLiteral("Lunch"));
        QCOMPARE(t->amount, QStringLiteral("12.50"));
        QCOMPARE(t->currency, QStringLiteral("$"));
        QCOMPARE(t->city, QStringLiteral("Lisbon"));
        QCOMPARE(t->account, QStringLiteral("Cash"));
        QCOMPARE(t->date, QDate(2026, 11, 30));
        QCOMPARE(t->description, QStringLiteral("with colleagues"));
    }

    // edit it: a bad amount is refused, nothing half-stored; then a good one,
    // and a second expense made inside the dialog
    select(w, lunch);
    driver.expect("TaskDialog", [](QWidget *d) {
        auto *td = static_cast<TaskDialog *>(d);
        QCOMPARE(td->windowTitle(), QStringLiteral("Expense - Records"));
        td->taskEditor()->amount->setText(QStringLiteral("1e400"));
        td->accept();
        // refused with a hint at the field
        QVERIFY(td->isVisible());
        QVERIFY(td->taskEditor()->amount->findChild<QLabel *>(QStringLiteral("YMRPIM hint"))->isVisible());
        td->taskEditor()->amount->setText(QStringLiteral("13"));
        td->doNew();
        td->taskEditor()->type->setEditText(QStringLiteral("Taxi"));
        td->doBack(); // stores Taxi, shows Lunch again
        QCOMPARE(td->task()->type, QStringLiteral("Lunch"));
        td->accept();
    });
    trigger(w, "edit");
    QCOMPARE(lunch->amount, QStringLiteral("13"));
    QCOMPARE(w.manager()->count(), 2);

    // duplicate: Cancel changes nothing, OK adds a copy with a new UID
    select(w, lunch);
    driver.expect("TaskDialog", [](QWidget *d) { ModalDriver::reject(d); });
    trigger(w, "clone");
    QCOMPARE(w.manager()->count(), 2);
    select(w, lunch);
    driver.expect("TaskDialog", [](QWidget *d) {
        QVERIFY(d->windowTitle().startsWith(QLatin1String("New Expense")));
        ModalDriver::accept(d);
    });
    trigger(w, "clone");
    QCOMPARE(w.manager()->count(), 3);
    auto *copy = static_cast<Task *>(w.manager()->records()->at(2));
    QVERIFY(copy->uidString() != uid);
    QCOMPARE(copy->amount, QStringLiteral("13"));

    // the description pane stores what is typed
    select(w, copy);
    QVERIFY(w.descriptionPane()->isEnabled());
    w.descriptionPane()->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.descriptionPane(), QStringLiteral("!"));
    QCOMPARE(copy->description, QStringLiteral("with colleagues!"));

    // delete with confirmation
    YMRDialog::queueAnswer(2);
    trigger(w, "remove");
    QCOMPARE(w.manager()->count(), 3);
    YMRDialog::queueAnswer(1);
    trigger(w, "remove");
    QCOMPARE(w.manager()->count(), 2);
    QCOMPARE(YMRDialog::takeScriptedBoxes().at(0).text,
             QStringLiteral("Are you sure you want to delete\nExpense [Lunch] ?"));

    // the record menu on a row opens the memo page
    select(w, lunch);
    QTimer menuTimer;
    connect(&menuTimer, &QTimer::timeout, [&w, &menuTimer] {
        if (!w.recordMenu()->isVisible())
            return;
        menuTimer.stop();
        w.recordMenu()->setActiveAction(w.recordMenu()->itemAction(1));
        QTest::keyClick(w.recordMenu(), Qt::Key_Return);
    });
    menuTimer.start(10);
    driver.expect("TaskDialog", [](QWidget *d) {
        auto *td = static_cast<TaskDialog *>(d);
        QCOMPARE(td->tabs()->currentPage(), static_cast<QWidget *>(td->memo()));
        ModalDriver::reject(d);
    });
    w.popup(QPoint(10, 10), lunch);
    QCOMPARE(driver.pending(), 0);

    YMRDialog::queueAnswer(1);
    trigger(w, "purge");
    QCOMPARE(w.manager()->count(), 0);
    QVERIFY(driver.unexpected.isEmpty());
    const QString screen = QString::number(QPEApplication::screenRect().width());
    w.grab().save(ymrtest::grabPath("ymr-records-main-" + screen));
}

void TestToDoWindowRecords::templates()
{
    ModalDriver driver;
    ToDoWindow w;
    startWith(w, QStringLiteral("Templates"));
    QVERIFY(!w.templates()->names().contains(QStringLiteral("Coffee")));

    driver.expect("TemplateDialog", [&driver](QWidget *d) {
        auto *td = static_cast<TemplateDialog *>(d);
        driver.expect("TaskDialog", [](QWidget *x) {
            auto *task = static_cast<TaskDialog *>(x);
            QVERIFY(!task->navigationBar()->isVisible());
            task->taskEditor()->type->setEditText(QStringLiteral("Coffee"));
            task->taskEditor()->amount->setText(QStringLiteral("2.20"));
            task->taskEditor()->date->setDate(QDate(2020, 1, 1));
            ModalDriver::accept(x);
        });
        driver.expect("EnterStringDialog", [](QWidget *x) {
            QCOMPARE(static_cast<EnterStringDialog *>(x)->fname->text(), QStringLiteral("Coffee"));
            ModalDriver::accept(x);
        });
        td->btnNew->click();
        td->btnSep->click();
        const QString screen = QString::number(QPEApplication::screenRect().width());
        QVERIFY(td->width() <= QPEApplication::screenRect().width());
        td->grab().save(ymrtest::grabPath("ymr-records-templates-" + screen));
        ModalDriver::reject(d);
    });
    trigger(w, "template");
    QCOMPARE(driver.pending(), 0);
    QVERIFY(w.templates()->names().contains(QStringLiteral("Coffee")));
    QVERIFY(w.findChild<QToolButton *>() != nullptr);

    // a new expense from the template: new UID, today's date
    int id = 0;
    for (int i = 0; i < w.templatesMenu()->count(); ++i) {
        const int itemId = w.templatesMenu()->idAt(i);
        if (w.templatesMenu()->text(itemId) == QStringLiteral("Coffee"))
            id = itemId;
    }
    QVERIFY(id != 0);
    driver.expect("TaskDialog", [](QWidget *x) {
        auto *task = static_cast<TaskDialog *>(x);
        QCOMPARE(task->taskEditor()->amount->text(), QStringLiteral("2.20"));
        ModalDriver::accept(x);
    });
    const QDate day = QDate::currentDate();
    emit w.templatesMenu()->activated(id);
    QCOMPARE(w.manager()->count(), 1);
    auto *made = static_cast<Task *>(w.manager()->records()->at(0));
    QCOMPARE(made->type, QStringLiteral("Coffee"));
    QVERIFY2(ymrtest::isToday(made->date, day), qPrintable(made->date.toString(Qt::ISODate)));
    QVERIFY(made->uidString() != w.templates()->find(QStringLiteral("Coffee"))->uidString());

    // rename, then delete
    driver.expect("TemplateDialog", [&driver](QWidget *d) {
        auto *td = static_cast<TemplateDialog *>(d);
        for (YMRListViewItem *i = td->list->firstChild(); i; i = i->itemBelow()) {
            if (i->text(0) == QStringLiteral("Coffee"))
                td->list->setCurrentItem(i);
        }
        driver.expect("RenameDialog", [](QWidget *x) {
            type(x, "fname", QStringLiteral("Espresso"));
            ModalDriver::accept(x);
        });
        td->btnRename->click();
        QCOMPARE(td->list->currentItem()->text(0), QStringLiteral("Espresso"));
        YMRDialog::queueAnswer(1);
        td->btnRemove->click();
        ModalDriver::reject(d);
    });
    trigger(w, "template");
    QVERIFY(!w.templates()->names().contains(QStringLiteral("Espresso")));
    QVERIFY(!w.templates()->names().contains(QStringLiteral("Coffee")));
    QVERIFY(driver.unexpected.isEmpty());
}

void TestToDoWindowRecords::valueListsReachThePage()
{
    ModalDriver driver;
    ToDoWindow w;
    startWith(w, QStringLiteral("Lists"));
    driver.expect("TaskDialog", [&driver](QWidget *d) {
        auto *td = static_cast<TaskDialog *>(d);
        driver.expect("CustomListDialog", [](QWidget *x) {
            auto *editor = static_cast<CustomListDialog *>(x);
            editor->btnNew->click();
            QTest::keyClicks(editor->text, QStringLiteral("Museum"));
            editor->close();
        });
        td->taskEditor()->stype->click();
        TaskEditor *page = td->taskEditor();
        bool offered = false;
        for (int i = 0; i < page->type->count(); ++i)
            offered = offered || page->type->text(i) == QStringLiteral("Museum");
        QVERIFY(offered);
        ModalDriver::reject(d);
    });
    trigger(w, "new");
    QCOMPARE(driver.pending(), 0);
    QVERIFY(YMRPIM::loadList(QStringLiteral("types")).contains(QStringLiteral("Museum")));
}

void TestToDoWindowRecords::ring(ToDoWindow &w, ModalDriver &driver,
                                 const std::function<void(AlertDialog *)> &act, QString *alertText)
{
    driver.expect("Alert", [alertText](QWidget *d) {
        const QString screen = QString::number(QPEApplication::screenRect().width());
        d->grab().save(ymrtest::grabPath("ymr-records-alert-" + screen));
        if (alertText)
            *alertText = static_cast<Alert *>(d)->text();
        ModalDriver::accept(d);
    });
    if (act)
        driver.expect("AlertDialog", [act](QWidget *d) { act(static_cast<AlertDialog *>(d)); });
    AlarmServer::instance()->deliverDue();
    QTRY_COMPARE_WITH_TIMEOUT(driver.pending(), 0, 5000);
    QTRY_VERIFY(!w.alertDialog()->isVisible());
}

void TestToDoWindowRecords::reminderRingsSnoozeDismiss()
{
    ModalDriver driver;
    ToDoWindow w;
    startWith(w, QStringLiteral("Alarms"));
    const QString path = w.manager()->fileName();

    // a reminder set a little in the future through the record dialog
    driver.expect("TaskDialog", [this](QWidget *d) {
        auto *td = static_cast<TaskDialog *>(d);
        td->taskEditor()->type->setEditText(QStringLiteral("Rent"));
        ReminderEditor *page = td->reminderEditor();
        page->alarm->setChecked(true);
        page->dt->setDateTime(m_now.addSecs(120));
        ModalDriver::accept(d);
    });
    trigger(w, "new");
    auto *rent = static_cast<Task *>(w.manager()->records()->at(0));
    QVERIFY(rent->reminder);
    const QDateTime due = rent->reminder->dateTime;

    // a reminder in the past registers no alarm
    auto *old = addWithReminder(w.manager(), QStringLiteral("Old"), -600);
    QVERIFY(alarmTimes(TaskManager::alarmMessage(old)).isEmpty());

    // rung while the window is hidden: the Show it causes keeps the open store
    TaskManager *open = w.manager();
    w.hide();
    m_now = due.addSecs(1);
    QpeDevice::clearRecord();
    ring(w, driver, [&w](AlertDialog *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("1 Reminders"));
        QCOMPARE(d->boundStore(), static_cast<PIMManager *>(w.manager()));
        QVERIFY(w.alarmStores().isEmpty());
        d->snoozebox->setCurrentItem(1); // 10 minutes
        d->snoozebutton->click();
    });
    QVERIFY(QpeDevice::recorded().join(' ').contains("{13,7}"));
    QVERIFY(QpeDevice::recorded().join(' ').contains("{13,0}"));
    QVERIFY(QpeSound::recorded().contains(QStringLiteral("soundAlarm")));
    QCOMPARE(rent->reminder->dateTime, m_now.addSecs(600));
    QVERIFY(w.isVisible());
    QCOMPARE(w.manager(), open);

    // ringing again after the snooze; dismissed this time
    m_now = m_now.addSecs(601);
    ring(w, driver, [](AlertDialog *d) { d->PushButton3->click(); });
    QVERIFY(!rent->reminder);
    QVERIFY(w.manager()->save());
    TaskManager disk(path);
    Task *t = reread(path, rent->uidString(), disk);
    QVERIFY(t);
    QVERIFY(!t->reminder);
    QVERIFY(driver.unexpected.isEmpty());
}

void TestToDoWindowRecords::alarmWaitsForTheRecordDialog()
{
    ModalDriver driver;
    ToDoWindow w;
    startWith(w, QStringLiteral("Busy"));
    Task *lunch = addWithReminder(w.manager(), QStringLiteral("Lunch"), 30);
    m_now = m_now.addSecs(31);
    select(w, lunch);
    driver.expect("TaskDialog", [&w](QWidget *d) {
        AlarmServer::instance()->deliverDue();
        QTRY_COMPARE(w.alertDialog()->queue().size(), 1);
        QVERIFY(!w.alertDialog()->alertWindow());
        ModalDriver::reject(d);
    });
    trigger(w, "edit");
    QCOMPARE(w.alertDialog()->queue().size(), 1);
    // the queue timer's next tick handles it
    driver.expect("Alert", [](QWidget *d) { ModalDriver::accept(d); });
    driver.expect("AlertDialog", [](QWidget *d) {
        static_cast<AlertDialog *>(d)->PushButton1->click();
    });
    w.alertDialog()->check();
    QTRY_COMPARE(driver.pending(), 0);
    QVERIFY(!lunch->reminder);
}

// A reminder of a book not open rings from a store opened beside the open
// book. Another book holding the same UID (a copy of the book, one received
// over the link), the open one at that, neither takes, silences nor shows it:
// each alarm action acts on the expense that set it, in its own book.
void TestToDoWindowRecords::alarmOfAnotherBook_data()
{
    QTest::addColumn<QString>("twin");   // the open book's expense of that UID
    QTest::addColumn<QString>("act");
    QTest::newRow("no twin, dismissed") << "" << "dismiss";
    QTest::newRow("twin without reminder, dismissed") << "none" << "dismiss";
    QTest::newRow("twin with a later reminder, dismissed") << "later" << "dismiss";
    QTest::newRow("twin with a later reminder, snoozed") << "later" << "snooze";
    QTest::newRow("twin without reminder, opened") << "none" << "open";
    QTest::newRow("twin with a later reminder, opened") << "later" << "open";
    // a copy of the book: an entry each, each shown and dealt with alone
    QTest::newRow("twin at the same moment, dismissed") << "same" << "dismiss";
    QTest::newRow("twin at the same moment, snoozed") << "same" << "snooze";
    QTest::newRow("twin at the same moment, opened") << "same" << "open";
}

void TestToDoWindowRecords::alarmOfAnotherBook()
{
    QFETCH(QString, twin);
    QFETCH(QString, act);
    const QString otherPath = bookPath(QStringLiteral("Other"));
    const QString minePath = bookPath(QStringLiteral("Mine"));
    const QDateTime later = m_now.addDays(200);
    QString uid;
    {
        QFile::remove(otherPath);
        TaskManager other(otherPath);
        uid = addWithReminder(&other, QStringLiteral("Insurance"), 30)->uidString();
        QVERIFY(other.save());
    }
    const QByteArray message = "alarm(QDateTime,int)" + uid.toLatin1();
    QFile::remove(minePath);
    const QDateTime due = m_now.addSecs(30);
    if (!twin.isEmpty()) {
        QByteArray text = "FOLDER\nEND\nTYPE=Planted\n";
        if (twin != "none") {
            const QDateTime at = twin == "later" ? later : AlarmServer::wholeSeconds(due);
            text += "REMINDER\nDATETIME=" + at.toString(QStringLiteral("d M yyyy h m s")).toLatin1()
                    + "\nREMINDER_END\n";
        }
        // as an earlier version lists it, under no book
        if (twin == "later")
            QVERIFY(AlarmServer::addAlarm(later, TaskManager::alarmChannel(), message));
        writeFile(minePath, text + "UID=" + uid.toLatin1() + "\nEND\n");
    }
    ModalDriver driver;
    ToDoWindow w;
    addBook(w.bookIndex(), QStringLiteral("Other"));
    w.bookIndex()->save();
    startWith(w, QStringLiteral("Mine"));
    QCOMPARE(w.manager()->records()->count(), twin.isEmpty() ? 0 : 1);
    if (twin == "same")
        QCOMPARE(alarmTimesOnDisk(message), QList<QDateTime>({due, due}));
    m_now = m_now.addSecs(31);
    QString opened;
    ring(w, driver, [&](AlertDialog *d) {
        // that book's store is opened once, beside the open book
        QCOMPARE(w.alarmStores().size(), 1);
        QCOMPARE(w.alarmStores().at(0)->fileName(), otherPath);
        QCOMPARE(d->boundStore(), static_cast<PIMManager *>(w.alarmStores().at(0)));
        QVERIFY(w.manager()->fileName() != otherPath);
        d->lv->setCurrentItem(d->lv->firstChild());
        QCOMPARE(d->subject->text(), QStringLiteral("Insurance"));
        if (act == "snooze") {
            d->snoozebox->setCurrentItem(0);   // 5 minutes
            d->snoozebutton->click();
        } else if (act == "open") {
            driver.expect("TaskDialog", [&opened](QWidget *td) {
                opened = static_cast<TaskDialog *>(td)->task()->type;
                ModalDriver::reject(td);
            });
            QTimer::singleShot(0, d, [d] {
                d->PushButton2->click();
                d->reject();
            });
        } else {
            d->PushButton3->click();
        }
    });
    // freed once the list closed; it wrote the dismissed reminder
    QVERIFY(w.alarmStores().isEmpty());
    QList<QDateTime> killedAfter;
    if (twin == "same") {
        // the open book's alarm waited for the list to close
        QCOMPARE(w.alertDialog()->queue().size(), 1);
        driver.expect("Alert", [](QWidget *d) { ModalDriver::accept(d); });
        driver.expect("AlertDialog", [&](QWidget *widget) {
            auto *d = static_cast<AlertDialog *>(widget);
            QCOMPARE(d->boundStore(), static_cast<PIMManager *>(w.manager()));
            d->lv->setCurrentItem(d->lv->firstChild());
            QCOMPARE(d->subject->text(), QStringLiteral("Planted"));
            if (act == "snooze") {
                d->snoozebox->setCurrentItem(0);
                d->snoozebutton->click();
            } else if (act == "open") {
                d->reject();
            } else {
                d->PushButton3->click();
            }
            // as a kill right after the stroke finds it
            QCoreApplication::processEvents();
            killedAfter = alarmTimesOnDisk(message);
        });
        w.alertDialog()->check();
        QTRY_COMPARE_WITH_TIMEOUT(driver.pending(), 0, 5000);
        QTRY_VERIFY(!w.alertDialog()->isVisible());
    }
    TaskManager disk(otherPath);
    Task *t = reread(otherPath, uid, disk);
    QVERIFY(t);
    QCOMPARE(opened, act == "open" ? QStringLiteral("Insurance") : QString());
    QList<QDateTime> rings;
    if (act == "snooze") {
        QVERIFY(t->reminder);
        QCOMPARE(t->reminder->dateTime, m_now.addSecs(300));
        rings << AlarmServer::wholeSeconds(m_now.addSecs(300));
    } else if (act == "open") {
        // closed without a word: it rings again at the next start
        QVERIFY(t->reminder);
        rings << due;
    } else {
        QVERIFY(!t->reminder);
    }
    // the open book's expense is as it was, its own alarm listed still
    if (!twin.isEmpty()) {
        auto *planted = static_cast<Task *>(w.manager()->records()->at(0));
        QCOMPARE(planted->type, QStringLiteral("Planted"));
        QCOMPARE(planted->uidString(), uid);
        QCOMPARE(planted->reminder != nullptr, twin == "later" || (twin == "same" && act != "dismiss"));
    }
    if (twin == "later")
        rings << later;
    if (twin == "same" && act != "dismiss")
        rings << rings.last();
    std::sort(rings.begin(), rings.end());
    QCOMPARE(alarmTimes(message), rings);
    // each dismissal and snooze on disk as made: a kill now loses none
    QCOMPARE(alarmTimesOnDisk(message), rings);
    if (twin == "same")
        QCOMPARE(killedAfter, rings);
    forgetAlarms(message);
    QVERIFY(driver.unexpected.isEmpty());
}

// A reminder of a book with a password shows nothing of its expenses before
// the password: the alarm window says a locked book's reminder is due, then
// the password is asked; without the right one no list is shown and the
// reminder stays registered for the next start.
void TestToDoWindowRecords::alarmOfALockedBook_data()
{
    QTest::addColumn<QString>("typed");   // null: the prompt cancelled
    QTest::addColumn<bool>("opened");
    QTest::newRow("right password") << "Secret" << true;
    QTest::newRow("wrong password") << "secret" << false;
    QTest::newRow("cancelled") << QString() << false;
}

void TestToDoWindowRecords::alarmOfALockedBook()
{
    QFETCH(QString, typed);
    QFETCH(bool, opened);
    const QString lockedPath = bookPath(QStringLiteral("Locked"));
    ModalDriver driver;
    ToDoWindow w;
    const QByteArray message = bookWithReminder(w, QStringLiteral("Locked"), QStringLiteral("Insurance"),
                                                QStringLiteral("Secret"));
    startWith(w, QStringLiteral("Unlocked"));
    m_now = m_now.addSecs(31);
    QString alertText;
    bool listShownBeforePassword = true;
    QString shown;
    driver.expect("Alert", [&](QWidget *d) {
        alertText = static_cast<Alert *>(d)->text();
        ModalDriver::accept(d);
    });
    driver.expect("PasswordDialog", [&](QWidget *p) {
        listShownBeforePassword = w.alertDialog()->isVisible();
        if (typed.isNull()) {
            ModalDriver::reject(p);
            return;
        }
        type(p, "p1", typed);
        static_cast<PasswordDialog *>(p)->btnOk->click();
    });
    if (opened) {
        driver.expect("AlertDialog", [&](QWidget *d) {
            auto *alerts = static_cast<AlertDialog *>(d);
            alerts->lv->setCurrentItem(alerts->lv->firstChild());
            // the password was given: "Open" asks no more
            driver.expect("TaskDialog", [&shown](QWidget *td) {
                shown = static_cast<TaskDialog *>(td)->task()->type;
                ModalDriver::reject(td);
            });
            QTimer::singleShot(0, alerts, [alerts] {
                alerts->PushButton2->click();
                alerts->PushButton3->click();   // Dismiss
            });
        });
    } else {
        YMRDialog::queueAnswer(1);   // "Access denied."
    }
    AlarmServer::instance()->deliverDue();
    QTRY_COMPARE_WITH_TIMEOUT(driver.pending(), 0, 5000);
    QTRY_VERIFY(!w.alertDialog()->isVisible() && !w.alertDialog()->boundStore());
    QVERIFY(alertText.contains(QStringLiteral("locked book")));
    QVERIFY(!alertText.contains(QStringLiteral("Insurance")));
    QVERIFY(!listShownBeforePassword);
    QCOMPARE(shown, opened ? QStringLiteral("Insurance") : QString());
    QVERIFY(driver.unexpected.isEmpty());
    const QList<YMRDialog::ScriptedBox> boxes = YMRDialog::takeScriptedBoxes();
    QCOMPARE(boxes.size(), opened ? 0 : 1);
    QCOMPARE(w.manager()->fileName(), bookPath(QStringLiteral("Unlocked")));
    QCOMPARE(alarmTimes(message).isEmpty(), opened);
    TaskManager disk(lockedPath);
    QVERIFY(disk.load());
    QCOMPARE(disk.records()->count(), 1);
    QCOMPARE(static_cast<Task *>(disk.records()->at(0))->reminder != nullptr, !opened);
    if (!opened)
        forgetAlarms(message);
}

// A reminder of a book another program renamed while this one was not
// running: told in the alarm window with its time and the books that cannot
// be found, then it leaves the alarm list. Due as the session ends (in a run
// of its own), nobody is told: it stays for the next start.
void TestToDoWindowRecords::alarmOfAMissingBookIsTold_data()
{
    QTest::addColumn<bool>("sessionEnds");
    QTest::newRow("told") << false;
    QTest::newRow("at the session's end") << true;
}

namespace {
// A run whose session ends as the alarm of argv[2] (its moment argv[3],
// its book argv[4]) comes.
int sessionEndMain(int argc, char **argv)
{
    if (argc < 5)
        return 1;
    const QDateTime due = QDateTime::fromString(QString::fromLatin1(argv[3]), Qt::ISODate).toLocalTime();
    AlarmServer::instance()->setClock([due] { return due.addSecs(1); });
    ToDoWindow w;
    QByteArray data;
    QDataStream ds(&data, QIODevice::WriteOnly);
    ds.setVersion(Qpe::StreamVersion);
    ds << due << qint32(TaskManager::bookKey(QString::fromLocal8Bit(argv[4])));
    const QByteArray message(argv[2]);
    QObject::connect(ymrApp, &QPEApplication::sessionEnding, &w,
                     [&] { w.alertDialog()->appMessage(message, data); });
    ymrApp->endSession();
    return 0;
}
} // namespace

void TestToDoWindowRecords::alarmOfAMissingBookIsTold()
{
    QFETCH(bool, sessionEnds);
    const QString path = bookPath(QStringLiteral("Renamed"));
    ModalDriver driver;
    ToDoWindow w;
    const QByteArray message = bookWithReminder(w, QStringLiteral("Renamed"), QStringLiteral("Dentist"));
    startWith(w, QStringLiteral("Present"));
    QFile::remove(bookPath(QStringLiteral("Moved")));
    QVERIFY(QFile::rename(path, bookPath(QStringLiteral("Moved"))));
    const QDateTime due = m_now.addSecs(30);
    if (sessionEnds) {
        QProcess child;
        ymrtest::startChild(child, {"--session-end", message, due.toUTC().toString(Qt::ISODate), path});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(alarmTimesOnDisk(message), QList<QDateTime>({due}));
        forgetAlarms(message);
        return;
    }
    m_now = m_now.addSecs(31);
    QString told;
    ring(w, driver, nullptr, &told);
    ymrtest::flushEvents();
    QVERIFY2(told.contains(due.toString()), qPrintable(told));
    QVERIFY(told.contains(QStringLiteral("Renamed")));
    QVERIFY(!w.alertDialog()->isVisible());
    QVERIFY(alarmTimes(message).isEmpty());
    QVERIFY(driver.unexpected.isEmpty());
}

// Dismissing a reminder of a book another copy of the program holds would
// change a book that cannot be saved here: the user is asked first, and
// keeping it as it is leaves the reminder in the book and the alarm list.
void TestToDoWindowRecords::dismissOfABookAnotherCopyHoldsAsks()
{
    const QString heldPath = bookPath(QStringLiteral("Held"));
    ModalDriver driver;
    ToDoWindow w;
    const QByteArray message = bookWithReminder(w, QStringLiteral("Held"), QStringLiteral("Rent"));
    const pid_t holder = holdLockInChild(BookFile::lockFileName(heldPath));
    QVERIFY(holder > 0);
    startWith(w, QStringLiteral("Here"));
    m_now = m_now.addSecs(31);
    QString asked;
    bool stillListed = false;
    ring(w, driver, [&](AlertDialog *d) {
        d->lv->setCurrentItem(d->lv->firstChild());
        YMRDialog::queueAnswer(1);   // not opened anyway
        d->PushButton3->click();     // Dismiss
        asked = YMRDialog::takeScriptedBoxes().value(0).text;
        stillListed = d->lv->childCount() == 1;
        d->reject();
    });
    killLockHolder(holder);
    QVERIFY2(asked.startsWith(QStringLiteral("Expense Book [Held] is open in another program")),
             qPrintable(asked));
    QVERIFY(stillListed);
    QVERIFY(!alarmTimes(message).isEmpty());
    TaskManager disk(heldPath);
    QVERIFY(disk.load());
    QVERIFY(static_cast<Task *>(disk.records()->at(0))->reminder);
    forgetAlarms(message);
    QVERIFY(driver.unexpected.isEmpty());
}

YMR_TEST_MAIN_WITH_CHILD(TestToDoWindowRecords, "--session-end", sessionEndMain)
#include "tst_todowindowrecords.moc"
