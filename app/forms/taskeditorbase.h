#ifndef TASKEDITORBASE_H
#define TASKEDITORBASE_H

#include <QWidget>

class CategoriesSelector;
class QGridLayout;
class QLabel;
class QLineEdit;
class YMDateTimeEditor;
class YMRComboBox;
class YMRPushButton;

// Form of the expense page.
class TaskEditorBase : public QWidget
{
    Q_OBJECT
public:
    explicit TaskEditorBase(QWidget *parent = nullptr, const char *name = nullptr,
                            Qt::WindowFlags fl = Qt::WindowFlags());
    ~TaskEditorBase() override;

    QLabel *TextLabel3_2_2;
    QLineEdit *amount;
    YMRPushButton *samount;
    YMRComboBox *cur;
    YMRPushButton *scur;
    QLabel *TextLabel3;
    YMRComboBox *type;
    YMRPushButton *stype;
    QLabel *TextLabel3_2;
    YMDateTimeEditor *date;
    QLabel *TextLabel3_3;
    YMRComboBox *city;
    YMRPushButton *scity;
    QLabel *TextLabel3_4;
    YMRComboBox *account;
    YMRPushButton *saccount;
    QLabel *TextLabel1;
    CategoriesSelector *cats;

public slots:
    virtual void amountActivated();
    virtual void editList();

protected:
    QGridLayout *TaskEditorBaseLayout;
};

#endif
