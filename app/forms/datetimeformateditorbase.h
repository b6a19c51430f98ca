#ifndef DATETIMEFORMATEDITORBASE_H
#define DATETIMEFORMATEDITORBASE_H

#include <QDialog>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class YMRListBox;
class YMRPushButton;

// Form of the date and time pattern editor.
class DateTimeFormatEditorBase : public QDialog
{
    Q_OBJECT
public:
    explicit DateTimeFormatEditorBase(QWidget *parent = nullptr, const char *name = nullptr,
                                      bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~DateTimeFormatEditorBase() override;

    QLineEdit *edit;
    QGroupBox *GroupBox1;
    QLabel *example;
    YMRListBox *list;
    YMRPushButton *btnAdd;
    YMRPushButton *btnUpdate;
    YMRPushButton *btnRemove;
    YMRPushButton *btnOk;
    YMRPushButton *btnCancel;

public slots:
    virtual void addItem();
    virtual void formatChanged();
    virtual void itemSelected(const QString &text);
    virtual void update();
    virtual void removeItem();

protected:
    QGridLayout *DateTimeFormatEditorBaseLayout;
};

#endif
