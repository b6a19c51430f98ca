#ifndef TASKDIALOG_H
#define TASKDIALOG_H

#include <QDialog>

class QPlainTextEdit;
class ReminderEditor;
class Task;
class TaskEditor;
class YMRSpinBox;
class YMTabWidget;

// The record dialog: one expense on three pages (expense, memo, reminder)
// and a bar to create, clone, delete and step through the store's records.
// Each step stores the shown record first; OK stores it, Cancel drops the
// edits since the last step and deletes a record that was never stored.
class TaskDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TaskDialog(QWidget *parent = nullptr, const char *name = nullptr);
    ~TaskDialog() override;

    // page: 0 expense, 1 memo, 3 reminder. navigation: show the bar.
    int exec(Task *task, int page, bool navigation);
    using QDialog::exec;

    void load();
    void store();
    void updateNavigation();
    // What the pages hold that was typed since the record was shown and is
    // not stored: empty when they show the record as it was loaded.
    QString unsavedInput() const;

    Task *task() const { return m_task; }
    TaskEditor *taskEditor() const { return m_editor; }
    ReminderEditor *reminderEditor() const { return m_reminder; }
    QPlainTextEdit *memo() const { return m_memo; }
    YMTabWidget *tabs() const { return m_tabs; }
    YMRSpinBox *numberBox() const { return m_number; }
    QWidget *navigationBar() const { return m_bar; }

public slots:
    void doNew();
    void doClone();
    void doDelete();
    void doBack();
    void doForward();
    void doStart();
    void doEnd();
    void recordSelected(int number);
    // Refuses to close while the amount is not a valid number.
    void accept() override;

private:
    // Stores the shown record; false (nothing stored) when a typed date or
    // the amount is refused.
    bool commit();
    // Ends what is being typed into the dates of every page, however the
    // entry ends (a button, a tab, OK): false when one was refused, whose
    // page then comes to the front with the keys in its field.
    bool takeDates();
    // Whether the amount reads; else its page comes to the front, where the
    // hint points at the field.
    bool checkAmount();
    void showPosition(int position);
    int viewPosition() const;
    // The shown record as the pages would store it, amount as typed.
    QByteArray pageValues() const;

    Task *m_task = nullptr;
    Task *m_copy = nullptr;
    // pageValues() when the record was shown
    QByteArray m_shownValues;
    YMTabWidget *m_tabs;
    TaskEditor *m_editor;
    ReminderEditor *m_reminder;
    QPlainTextEdit *m_memo;
    YMRSpinBox *m_number;
    QWidget *m_bar;
};

#endif
