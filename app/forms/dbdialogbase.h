#ifndef DBDIALOGBASE_H
#define DBDIALOGBASE_H

#include <QDialog>

class DBListView;
class QFrame;
class QHBoxLayout;
class QPlainTextEdit;
class QVBoxLayout;
class YMRPushButton;

// Form of the books dialog: the book list, the description of the current
// book and a row of command buttons.
class DBDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit DBDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                          bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~DBDialogBase() override;

    DBListView *list;
    QPlainTextEdit *memo;
    YMRPushButton *btnGet;
    QFrame *Line3;
    YMRPushButton *btnOpen;
    QFrame *Line1;
    YMRPushButton *btnNew;
    YMRPushButton *btnEdit;
    YMRPushButton *btnDup;
    QFrame *line2;
    YMRPushButton *btnRemove;
    YMRPushButton *btnSelect;
    YMRPushButton *btnOk;

public slots:
    virtual void doDuplicate();
    virtual void doEdit();
    virtual void doNew();
    virtual void doOpen();
    virtual void doSelect();
    virtual void getData();

protected:
    QVBoxLayout *DBDialogBaseLayout;
    QHBoxLayout *Layout1;
};

#endif
