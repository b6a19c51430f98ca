#include "alertdialog.h"

#include "alert.h"
#include "pim/pimlistviewitem.h"
#include "pim/pimmanager.h"
#include "pim/pimreminder.h"
#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/tasklistview.h"
#include "pim/ymrpim.h"
#include "qpe/alarmserver.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qpe/qpeglobal.h"
#include "qpe/wallclock.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDataStream>
#include <QLabel>

namespace {
const char alarmPrefix[] = "alarm(QDateTime,int)";
const int prefixLength = 20;
const int queueInterval = 10000;
}

AlertDialog::AlertDialog(QWidget *parent, const char *name)
    : AlertDialogBase(parent, name, true)
{
    connect(lv, &PIMListView::selected, this, &AlertDialog::selected);
    connect(&m_queueTimer, &QTimer::timeout, this, &AlertDialog::check);
    lv->setObjectName(QStringLiteral("alarm"));
    icon->setPixmap(YMRResource::loadPixmap(QStringLiteral("reminder")));
    {
        Config config(YMRPIM::applicationName());
        config.setGroup(QStringLiteral("Options"));
        lv->setColorMode(config.readNumEntry(QStringLiteral("colormode"), 1));
    }
    if (auto *app = qobject_cast<QPEApplication *>(QCoreApplication::instance())) {
        connect(app, &QPEApplication::appMessage, this, &AlertDialog::appMessage);
        connect(app, &QPEApplication::sessionEnding, this, [this] { m_sessionEnded = true; });
    }
}

AlertDialog::~AlertDialog() = default;

QDateTime AlertDialog::snoozeTime(int entry, const QDateTime &now)
{
    static const int seconds[] = {300, 600, 900, 1800, 3600, 10800, 21600};
    // by the alarms' clock: Qt's local time may read a repeated hour as
    // its other showing
    if (entry >= 0 && entry < 7)
        return WallClock::after(now, seconds[entry]);
    return WallClock::dayAfter(now);
}

void AlertDialog::enqueue(const QString &name, const QByteArray &data)
{
    m_queue.append(name);
    m_queueData.append(data);
    m_queueTimer.start(queueInterval);
}

namespace {
// The time and value an alarm message's data carries; false when it holds none.
bool alarmOf(const QByteArray &data, QDateTime &when, qint32 &alarmData)
{
    QDataStream in(data);
    in.setVersion(Qpe::StreamVersion);
    in >> when >> alarmData;
    return in.status() == QDataStream::Ok && when.isValid();
}

// Whether the alarm a message came from is still in the list. One that left
// it meanwhile was dealt with, or went with its expense when the book's
// load gave that expense a UID of its own (another had the same): it rings
// under that one.
bool stillListed(const QString &name, const QByteArray &data)
{
    QDateTime when;
    qint32 alarmData = 0;
    return !alarmOf(data, when, alarmData)
           || AlarmServer::instance()->registered(when, TaskManager::alarmChannel(), name.toUtf8(), alarmData)
                  .isValid();
}
} // namespace

void AlertDialog::alarmDone(const QString &name, const QByteArray &data)
{
    QDateTime when;
    qint32 alarmData = 0;
    if (alarmOf(data, when, alarmData))
        AlarmServer::deleteAlarm(when, TaskManager::alarmChannel(), name.toUtf8(), alarmData);
}

void AlertDialog::alarmKept(const QByteArray &name, const QByteArray &data)
{
    QDateTime when;
    qint32 alarmData = 0;
    if (alarmOf(data, when, alarmData))
        AlarmServer::addAlarm(when, TaskManager::alarmChannel(), name, alarmData);
}

void AlertDialog::alarmsDoneOf(Task *task)
{
    const QString name = QString::fromLatin1(TaskManager::alarmMessage(task));
    for (const QByteArray &data : m_alarmsOf.take(task->uidString()))
        alarmDone(name, data);
}

bool AlertDialog::anotherDialogHasKeyboard() const
{
    const QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != this && modal != m_alert)
        return true;
    if (QApplication::activePopupWidget())
        return true;
    const QWidget *active = QApplication::activeWindow();
    return active && active != this && active != m_alert && active->inherits("QDialog");
}

void AlertDialog::appMessage(const QByteArray &message, const QByteArray &data)
{
    const QString name = QString::fromUtf8(message);
    if (!name.startsWith(QLatin1String(alarmPrefix)))
        return;
    const QString uid = name.mid(prefixLength);
    // listed already (sent again after the expense dialog kept it)
    if (m_bound && m_alarmsOf.value(uid).contains(data))
        return;
    bool free = true;
    emit editDialogIsFree(&free);
    // a window that is up takes further reminders into its list; otherwise
    // a reminder waits while another dialog has the keyboard
    if (!free || (!m_running && !m_alert && anotherDialogHasKeyboard())) {
        enqueue(name, data);
        return;
    }
    // the alarm is its own expense's, whatever another book holds under
    // the same UID: one whose reminder set it
    QDateTime when;
    qint32 alarmData = 0;
    if (!alarmOf(data, when, alarmData))
        when = QDateTime();
    Task *task = nullptr;
    // an expense of the listed book comes from the store already bound
    const auto *bound = qobject_cast<TaskManager *>(m_bound.data());
    if (bound && (alarmData == 0 || alarmData == bound->alarmKey())) {
        task = dynamic_cast<Task *>(m_bound->findRecord(uid));
        if (!TaskManager::setsAlarmAt(task, when))
            task = nullptr;
    }
    if (!task)
        emit getTask(&task, uid, when, alarmData);
    if (!task) {
        // the user is told before it goes: one not told rings again
        if (tellMissing(data))
            alarmDone(name, data);
        return;
    }
    PIMManager *store = task->manager();
    const auto *book = qobject_cast<TaskManager *>(store);
    // an earlier version's alarm, or one of a book known by another name
    // now, beside the book's own entry of it: the one rings, for both
    const bool twice = book && alarmData != book->alarmKey()
                       && AlarmServer::instance()
                              ->registered(when, TaskManager::alarmChannel(), name.toUtf8(), book->alarmKey())
                              .isValid();
    if (twice || !stillListed(name, data)) {
        if (twice)
            alarmDone(name, data);
        if (store != m_bound)
            emit freeManager(store);
        return;
    }
    if (!TaskManager::setsAlarmAt(task, when)) {
        // its reminder was cleared or moved meanwhile
        alarmDone(name, data);
        if (store != m_bound)
            emit freeManager(store);
        return;
    }
    if (m_bound && store != m_bound) {
        emit freeManager(store);
        enqueue(name, data);
        return;
    }
    m_alarmsOf[task->uidString()].append(data);
    if (!m_bound) {
        bool open = true;
        emit unlockBook(store, false, &open);
        m_locked = !open;
        m_bound = store;
        emit setupView(lv, task);
    }
    emit raiseMainWindow();
    // the main window raised would cover the window up already (raised
    // only where the user is in the program)
    if (!QPEApplication::noWindowHasKeyboard()) {
        if (m_running)
            raise();
        else if (m_alert)
            m_alert->raise();
    }
    lv->newTask(task);
    setWindowTitle(QString::number(lv->childCount()) + QLatin1Char(' ') + tr("Reminders"));
    if (m_running)
        return;
    if (m_alert) {
        m_alert->start(task->reminder);
        return;
    }
    // it rings now; the window waits where it would come up under the
    // pointer or out of sight, until the user comes to the program
    if (m_waiting || !QPEApplication::mayComeUp(parentWidget())) {
        if (task->reminder->sound)
            Alert::soundAlarm();
        if (m_waiting)
            return;
        m_waiting = true;
        const bool comeUp = QPEApplication::waitToComeUp(parentWidget());
        m_waiting = false;
        // the listed ones ring again at the next start
        if (!comeUp || !m_bound || lv->childCount() == 0) {
            release();
            return;
        }
        // the store may have been read again meanwhile
        task = dynamic_cast<Task *>(m_bound->findRecord(uid));
    }
    m_alert = new Alert(this);
    if (m_locked)
        m_alert->setNote(tr("A reminder of a locked book is due."));
    m_alert->start(task ? task->reminder : nullptr);
    m_alert->exec();
    delete m_alert;
    // nothing of a locked book before its password: without it the
    // reminders stay in the alarm list and ring again at the next start
    if (m_bound && m_locked) {
        bool open = false;
        emit unlockBook(m_bound, true, &open);
        m_locked = !open;
    }
    // everything may have been handled while the window rang
    if (!m_bound || m_locked || lv->childCount() == 0) {
        release();
        return;
    }
    // it follows the alarm window, not a click on it: it asks for no
    // keyboard. Where the window manager hands the keyboard back to the main
    // window as the alarm window goes, it comes on to the list (refused
    // until the list is shown, those keys would be lost)
    QPEApplication::leaveKeyboardAtShow(this, false);
    // X maps a window where it lies in the stacking order, and with no
    // window manager nothing raises it: shown before, the list lies below
    // the main window raised since, which it then blocks unseen
    raise();
    YMRApplication::showMaximized(this, true);
    m_running = true;
    lv->setFocus();
    QDialog::exec();
    m_running = false;
}

bool AlertDialog::tellMissing(const QByteArray &data)
{
    QStringList titles;
    emit missingBooks(&titles);
    // every book was read: the expense itself is gone, with its reminder
    if (titles.isEmpty())
        return true;
    QDateTime when;
    qint32 alarmData = 0;
    const QString time = alarmOf(data, when, alarmData) ? when.toString() : tr("an unknown time");
    // the session ends first: told at the next start
    if (!QPEApplication::waitToComeUp(parentWidget()) || m_sessionEnded)
        return false;
    // told in the alarm window: no key typed for another window dismisses it
    Alert alert(this);
    alert.setNote(tr("A reminder due at %1 belongs to an expense in none of the books that "
                     "could be read.\nThese books cannot be found (renamed, moved or deleted "
                     "by another program):\n%2")
                      .arg(time, titles.join(QLatin1Char('\n'))));
    alert.exec();
    // a window of an ending session closes unseen
    return !m_sessionEnded;
}

void AlertDialog::check()
{
    bool free = true;
    emit editDialogIsFree(&free);
    if (!free || m_queue.isEmpty())
        return;
    const QString name = m_queue.takeFirst();
    const QByteArray data = m_queueData.isEmpty() ? QByteArray() : m_queueData.takeFirst();
    if (m_queue.isEmpty())
        m_queueTimer.stop();
    appMessage(name.toUtf8(), data);
}

void AlertDialog::selected(PIMRecord *record)
{
    auto *task = dynamic_cast<Task *>(record);
    if (!task)
        return;
    subject->setText(task->type);
    date->setText(task->date.isValid() ? task->date.toString() : tr("None"));
    const bool hasReminder = task->reminder != nullptr;
    snoozebutton->setEnabled(hasReminder);
    snoozebox->setEnabled(hasReminder);
}

Task *AlertDialog::currentTask() const
{
    return dynamic_cast<Task *>(lv->currentRecord());
}

void AlertDialog::removeItemOf(Task *task)
{
    delete lv->findItem(task);
}

void AlertDialog::storeChange(Task *task, Task *old)
{
    // the store re-registers or cancels the alarm as it stores the reminder
    task->store(old);
}

bool AlertDialog::mayStoreChanges()
{
    bool mayStore = true;
    emit claimBook(m_bound, &mayStore);
    return mayStore;
}

void AlertDialog::dismiss()
{
    Task *task = currentTask();
    if (!task || !mayStoreChanges())
        return;
    removeItemOf(task);
    auto *old = new Task(*task);
    delete task->reminder;
    task->reminder = nullptr;
    storeChange(task, old);
    alarmsDoneOf(task);
    if (lv->childCount() == 0)
        accept();
}

void AlertDialog::dismissAll()
{
    if (!mayStoreChanges())
        return;
    QList<Task *> tasks;
    for (YMRListViewItem *i = lv->firstChild(); i; i = i->itemBelow()) {
        if (auto *item = dynamic_cast<PIMListViewItem *>(i)) {
            if (auto *task = dynamic_cast<Task *>(item->record()))
                tasks.append(task);
        }
    }
    // the list written once, as the stroke ends
    const AlarmServer::WriteHold hold;
    for (Task *task : tasks) {
        auto *old = new Task(*task);
        delete task->reminder;
        task->reminder = nullptr;
        storeChange(task, old);
        alarmsDoneOf(task);
    }
    accept();
}

void AlertDialog::snooze()
{
    Task *task = currentTask();
    if (!task || !task->reminder || !mayStoreChanges())
        return;
    auto *old = new Task(*task);
    task->reminder->dateTime = snoozeTime(snoozebox->currentItem(), AlarmServer::instance()->now());
    storeChange(task, old);
    alarmsDoneOf(task);
    removeItemOf(task);
    if (lv->childCount() == 0)
        accept();
}

void AlertDialog::open()
{
    Task *task = currentTask();
    if (!task)
        return;
    // the store cancels an updated expense's alarm and registers only one
    // still to come: a due reminder the dialog kept would leave the list
    QHash<QString, QDateTime> before;
    for (auto it = m_alarmsOf.cbegin(); it != m_alarmsOf.cend(); ++it) {
        auto *t = m_bound ? dynamic_cast<Task *>(m_bound->findRecord(it.key())) : nullptr;
        if (t && t->reminder)
            before.insert(it.key(), t->reminder->dateTime);
    }
    emit editTask(task);
    const QStringList uids = m_alarmsOf.keys();
    for (const QString &uid : uids) {
        auto *t = m_bound ? dynamic_cast<Task *>(m_bound->findRecord(uid)) : nullptr;
        if (t && t->reminder && before.contains(uid) && t->reminder->dateTime == before.value(uid)) {
            const QByteArray name = TaskManager::alarmMessage(t);
            for (const QByteArray &data : m_alarmsOf.value(uid))
                alarmKept(name, data);
            continue;
        }
        // changed or cleared there: the store registered what it holds now
        m_alarmsOf.remove(uid);
        if (t)
            removeItemOf(t);
    }
    lv->readCurrencyFormats();
    if (lv->childCount() == 0)
        accept();
}

void AlertDialog::release()
{
    PIMManager *store = m_bound;
    m_bound = nullptr;
    m_locked = false;
    // the listed reminders not dealt with ring again at the next start
    m_alarmsOf.clear();
    lv->clear();
    emit freeManager(store);
}

void AlertDialog::accept()
{
    release();
    QDialog::accept();
}

void AlertDialog::reject()
{
    release();
    QDialog::reject();
}

void AlertDialog::closeEvent(QCloseEvent *e)
{
    release();
    QDialog::closeEvent(e);
}
