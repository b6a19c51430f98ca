#ifndef FILTERLISTDIALOGBASE_H
#define FILTERLISTDIALOGBASE_H

#include <QDialog>

class QFrame;
class YMRListView;
class YMRPushButton;

// Form of the filter list: New, Edit, Remove, Sort, Up, Down over the list
// of filter names, Select and Close below it.
class FilterListDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit FilterListDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                                  bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~FilterListDialogBase() override;

    YMRPushButton *btnNew;
    YMRPushButton *btnEdit;
    QFrame *Line2;
    YMRPushButton *btnRemove;
    YMRPushButton *btnSort;
    QFrame *Line1;
    YMRPushButton *btnUp;
    YMRPushButton *btnDown;
    YMRListView *list;
    YMRPushButton *btnSelect;
    YMRPushButton *btnClose;

public slots:
    virtual void doDown();
    virtual void doEdit();
    virtual void doNew();
    virtual void doRemove();
    virtual void doUp();
    virtual void doUpdate();
    virtual void doSelect();
    virtual void sort();
};

#endif
