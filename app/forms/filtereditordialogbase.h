#ifndef FILTEREDITORDIALOGBASE_H
#define FILTEREDITORDIALOGBASE_H

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class YMRComboBox;
class YMRListView;
class YMRPushButton;

// Form of the filter editor: the name, an editing area (field, condition,
// value) and the list of the filter's conditions. The dialog lays it out.
class FilterEditorDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit FilterEditorDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                                    bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~FilterEditorDialogBase() override;

    QLabel *l0;
    QLineEdit *fname;
    QFrame *line3;
    QLabel *la1;
    YMRComboBox *fs;
    QLabel *la2;
    YMRComboBox *cond;
    QLabel *la3;
    QFrame *valBase;
    QFrame *line2;
    YMRPushButton *btnRemove;
    YMRPushButton *btnAdd;
    QFrame *line1;
    QLabel *action;
    YMRListView *list;

public slots:
    virtual void addCondition();
    virtual void conditionChanged(int code);
    virtual void fieldChanged(int position);
    virtual void removeCondition();
};

#endif
