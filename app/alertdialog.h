#ifndef ALERTDIALOG_H
#define ALERTDIALOG_H

#include "alert.h"
#include "forms/alertdialogbase.h"
#include "pim/pimmanager.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class PIMListView;
class PIMRecord;
class Task;

// Receives the alarm messages of due reminders, rings the alarm window and
// lists the due expenses to dismiss, snooze or open. It reaches the main
// window only through its signals. Alarms that arrive while the record
// dialog or any other dialog of the program has the keyboard, or that
// belong to another book than the listed ones, wait in a queue retried
// every 10 seconds.
class AlertDialog : public AlertDialogBase
{
    Q_OBJECT
public:
    explicit AlertDialog(QWidget *parent = nullptr, const char *name = nullptr);
    ~AlertDialog() override;

    PIMManager *boundStore() const { return m_bound; }
    Alert *alertWindow() const { return m_alert; }
    bool isRunning() const { return m_running; }
    QStringList queue() const { return m_queue; }
    QTimer *queueTimer() { return &m_queueTimer; }
    // The new alarm time of a snooze period entry.
    static QDateTime snoozeTime(int entry, const QDateTime &now);

signals:
    void freeManager(PIMManager *store);
    // The expense of that UID whose own reminder set the alarm at when
    // (TaskManager::setsAlarmAt), in the book the alarm's data names
    // (TaskManager::bookKey), or in whichever book holds it where the data
    // names none there (0: an earlier version's alarm).
    void getTask(Task **task, const QString &uid, const QDateTime &when, int book);
    void editDialogIsFree(bool *free);
    void raiseMainWindow();
    void setupView(PIMListView *list, Task *task);
    void editTask(Task *task);
    // Whether the expenses of a store may be shown: false for a locked book
    // whose password was not given; with ask, its password is asked.
    void unlockBook(PIMManager *store, bool ask, bool *open);
    // Whether a change of a store can be stored here (asks about a book
    // another copy of the program holds).
    void claimBook(PIMManager *store, bool *mayStore);
    // The titles of the books whose file cannot be found.
    void missingBooks(QStringList *titles);

public slots:
    void dismiss() override;
    void dismissAll() override;
    void snooze() override;
    void open() override;
    void check();
    void selected(PIMRecord *record);
    void appMessage(const QByteArray &message, const QByteArray &data);
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void enqueue(const QString &name, const QByteArray &data);
    // The alarm of a message dealt with (the reminder dismissed or snoozed,
    // or nothing to show): out of the alarm list, so that it does not ring
    // again at the next start. Until then it stays there, also when the
    // program ends while it shows.
    static void alarmDone(const QString &name, const QByteArray &data);
    void alarmsDoneOf(Task *task);
    // An alarm the store cancelled while its reminder stays: registered again.
    static void alarmKept(const QByteArray &name, const QByteArray &data);
    void release();
    Task *currentTask() const;
    void removeItemOf(Task *task);
    static void storeChange(Task *task, Task *old);
    // Whether a window of the program other than the reminders' has the
    // keyboard: a reminder then waits, so that no key meant for it acts here.
    bool anotherDialogHasKeyboard() const;
    bool mayStoreChanges();
    // False when the user could not be told (the program could not come
    // up): the alarm then stays listed.
    bool tellMissing(const QByteArray &data);

    QPointer<PIMManager> m_bound;
    QPointer<Alert> m_alert;
    bool m_running = false;
    // a due reminder waits for the user to come to the program
    bool m_waiting = false;
    QStringList m_queue;
    // each queued message's data: the alarm it came from
    QList<QByteArray> m_queueData;
    // the alarm messages of the listed expenses, by UID
    QHash<QString, QList<QByteArray>> m_alarmsOf;
    QTimer m_queueTimer;
    // the bound store is a locked book whose password was not given
    bool m_locked = false;
    // the session ended: no window shown from now on is seen
    bool m_sessionEnded = false;
};

#endif
