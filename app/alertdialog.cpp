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
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrpushbutton.h"
#include "qt/ymrresource.h"

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
    if (auto *app = qobject_cast<QPEApplication *>(QCoreApplication::instance()))
        connect(app, &QPEApplication::appMessage, this, &AlertDialog::appMessage);
}

AlertDialog::~AlertDialog() = default;

QDateTime AlertDialog::snoozeTime(int entry, const QDateTime &now)
{
    static const int seconds[] = {300, 600, 900, 1800, 3600, 10800, 21600};
    if (entry >= 0 && entry < 7)
        return now.addSecs(seconds[entry]);
    return now.addDays(1);
}

void AlertDialog::enqueue(const QString &name, const QByteArray &data)
{
    m_queue.append(name);
    m_queueData.append(data);
    m_queueTimer.start(queueInterval);
}

void AlertDialog::alarmDone(const QString &name, const QByteArray &data)
{
    QDataStream in(data);
    in.setVersion(Qpe::StreamVersion);
    QDateTime when;
    qint32 alarmData = 0;
    in >> when >> alarmData;
    if (in.status() != QDataStream::Ok || !when.isValid())
        return;
    AlarmServer::deleteAlarm(when, TaskManager::alarmChannel(), name.toUtf8(), alarmData);
}

void AlertDialog::alarmsDoneOf(Task *task)
{
    const QString name = QString::fromLatin1(TaskManager::alarmMessage(task));
    for (const QByteArray &data : m_alarmsOf.take(task->uidString()))
        alarmDone(name, data);
}

void AlertDialog::appMessage(const QByteArray &message, const QByteArray &data)
{
    const QString name = QString::fromUtf8(message);
    if (!name.startsWith(QLatin1String(alarmPrefix)))
        return;
    bool free = true;
    emit editDialogIsFree(&free);
    if (!free) {
        enqueue(name, data);
        return;
    }
    const QString uid = name.mid(prefixLength);
    Task *task = nullptr;
    // an expense of the listed book comes from the store already bound
    if (m_bound)
        task = dynamic_cast<Task *>(m_bound->findRecord(uid));
    if (!task)
        emit getTask(&task, uid);
    if (!task) {
        alarmDone(name, data);
        return;
    }
    PIMManager *store = task->manager();
    if (m_bound && store != m_bound) {
        emit freeManager(store);
        enqueue(name, data);
        return;
    }
    if (!task->reminder) {
        alarmDone(name, data);
        if (!m_bound)
            emit freeManager(store);
        return;
    }
    m_alarmsOf[task->uidString()].append(data);
    if (!m_bound) {
        m_bound = store;
        emit setupView(lv, task);
    }
    emit raiseMainWindow();
    lv->newTask(task);
    setWindowTitle(QString::number(lv->childCount()) + QLatin1Char(' ') + tr("Reminders"));
    if (m_running)
        return;
    if (m_alert) {
        m_alert->start(task->reminder);
        return;
    }
    m_alert = new Alert(this);
    m_alert->start(task->reminder);
    m_alert->exec();
    delete m_alert;
    // everything may have been handled while the window rang
    if (!m_bound || lv->childCount() == 0) {
        release();
        return;
    }
    YMRApplication::showMaximized(this, true);
    m_running = true;
    lv->setFocus();
    QDialog::exec();
    m_running = false;
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

void AlertDialog::dismiss()
{
    Task *task = currentTask();
    if (!task)
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
    QList<Task *> tasks;
    for (YMRListViewItem *i = lv->firstChild(); i; i = i->itemBelow()) {
        if (auto *item = dynamic_cast<PIMListViewItem *>(i)) {
            if (auto *task = dynamic_cast<Task *>(item->record()))
                tasks.append(task);
        }
    }
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
    if (!task || !task->reminder)
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
    emit editTask(task);
    lv->readCurrencyFormats();
}

void AlertDialog::release()
{
    PIMManager *store = m_bound;
    m_bound = nullptr;
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
