#ifndef ALERTDIALOGBASE_H
#define ALERTDIALOGBASE_H

#include <QDialog>

class QFrame;
class QGridLayout;
class QLabel;
class TaskListView;
class YMRComboBox;
class YMRPushButton;

// Form of the due-reminders dialog.
class AlertDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit AlertDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                             bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~AlertDialogBase() override;

    QLabel *icon;
    QLabel *subject;
    QLabel *TextLabel2;
    QLabel *date;
    QFrame *Line2;
    TaskListView *lv;
    YMRPushButton *PushButton1;
    YMRPushButton *PushButton2;
    YMRPushButton *PushButton3;
    QFrame *Line1;
    QLabel *TextLabel6;
    YMRComboBox *snoozebox;
    YMRPushButton *snoozebutton;

public slots:
    virtual void dismiss();
    virtual void dismissAll();
    virtual void snooze();
    // the form's "Open" command; it replaces QDialog's open()
    void open() override;

protected:
    QGridLayout *AlertDialogBaseLayout;
};

#endif
