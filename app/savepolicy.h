#ifndef SAVEPOLICY_H
#define SAVEPOLICY_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class DBManager;
class PIMManager;
class QDialog;
class QLabel;
class QPushButton;
class QSessionManager;
class QTimer;
class QWidget;
class TaskManager;

// When the books are written: the one place that decides it.
//
// A change starts two clocks: the books are saved once they have been
// quiet a few seconds (idle), and at the latest a minute after the first
// change not yet on disk (deadline). A store that asks for a save after
// many changes (PIMManager::AutoSaveEvent) is saved at once. All of these
// run whatever dialog is up: a save only writes, it never deletes or
// reloads a record that a dialog may hold, and a record a dialog has not
// stored yet is no part of the book.
//
// No save started by a clock opens a window. One that failed is told in
// the notice line under the list and tried again on a third clock; a book
// another program changed waits there for the user's choice (the notice's
// buttons take no keys), or for the next act that needs it written
// (closing, switching books), where the window asks.
//
// The other files this home shares (the book index, the categories, the
// lists, the templates, the alarm list) whose write failed are kept in
// UnsavedFiles: the notice names them too, and the third clock retries them.
//
// At the session's end (a signal, a log-out) everything is written without
// a question, once and within a few seconds, and finish() tells what could
// not be kept: a book or shared file unsaved, or values typed into a dialog
// that the end closed. Nothing is written after that report.
class SavePolicy : public QObject
{
    Q_OBJECT
public:
    // index names the books in the notice; the notice line is a child of
    // noticeParent, for its owner to place.
    SavePolicy(DBManager *index, QWidget *noticeParent);
    ~SavePolicy() override;

    // The stores kept saved: the open book and those an alarm opened. A
    // store deleted is forgotten.
    void watch(TaskManager *store);
    void unwatch(TaskManager *store);

    // Idle 5 s, deadline 60 s, again after a failure 30 s; all single-shot.
    // Tests shorten or fire them.
    QTimer *idleTimer() const { return m_idle; }
    QTimer *deadlineTimer() const { return m_deadline; }
    QTimer *retryTimer() const { return m_retry; }

    QWidget *notice() const { return m_notice; }
    QString noticeText() const;
    // The store the notice's two choices are for; null while it offers none.
    PIMManager *otherVersionStore() const;

    // Writes every changed store now, without a question: for closing,
    // switching books, hiding and the session's end. False when one could
    // not be written.
    bool saveAll();
    // A shared store saved elsewhere (the book index, the categories): a
    // save that fails is told; its file keeps it in UnsavedFiles and
    // retries it.
    void watchShared(PIMManager *store);

    // The books and shared files left unsaved, each with the reason; empty
    // when all are saved.
    QString unsavedText() const;
    // The book's title in the index, else its file name.
    QString storeName(const PIMManager *store) const;
    // After the user decided what becomes of a store's changes: the notice
    // and the clocks follow what is still unsaved.
    void refresh();

    // A log-out whose save failed, where the session manager lets the
    // program ask: false keeps the program running (the log-out is cancelled).
    void setEndQuestion(const std::function<bool()> &ask) { m_askAtEnd = ask; }
    // The session ends: notes what the open dialogs hold typed and not
    // stored, before the end closes them.
    void noteTypedInput();
    // Closing the window with shared files unsaved: retries them, and asks
    // whether to try again or let them go; false keeps the window open.
    bool confirmSharedEnd();
    // What to do about a save that failed: 1 try again, 2 lose the changes,
    // 3 cancel.
    static int askTryAgain(const QString &text);
    // At the program's end: writes what is left, one try each within a few
    // seconds; returns what could not be kept, a line each, empty when
    // nothing was lost.
    QString finish();

signals:
    // The user's choice from the notice for a book another program changed.
    void otherVersionChosen(PIMManager *store, bool keepOther);
    // A save on a clock wrote these stores.
    void wrote(const QList<TaskManager *> &stores);
    // A log-out's save, or the end's, begins: the window's own settings go with it.
    void sessionSaving();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void changed();
    void timedSave();
    void retrySaves();
    void sharedSaved(PIMManager *store, bool ok);
    QString sharedText(bool afterBook) const;
    void storeSaved(bool ok);
    void showFailure(PIMManager *store);
    void commitData(QSessionManager &session);
    void chooseOtherVersion(bool keepOther);

    struct TypedInput {
        QPointer<QDialog> dialog;
        QString reason;
    };

    DBManager *m_index;
    QList<TaskManager *> m_stores;
    QTimer *m_idle;
    QTimer *m_deadline;
    QTimer *m_retry;
    QWidget *m_notice;
    QLabel *m_noticeText;
    QPushButton *m_keepOther;
    QPushButton *m_writeOver;
    QPointer<PIMManager> m_otherVersion;
    std::function<bool()> m_askAtEnd;
    QList<TypedInput> m_typed;
    QList<QPointer<PIMManager>> m_shared;
    // a save of a shared store from the retry clock opens no window
    bool m_retrying = false;
    // finish() made the last try: what it found unsaved stays so
    bool m_finished = false;
    // the user let the unsaved shared files go when closing
    bool m_sharedLetGo = false;
};

#endif
