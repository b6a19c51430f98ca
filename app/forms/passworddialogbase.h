#ifndef PASSWORDDIALOGBASE_H
#define PASSWORDDIALOGBASE_H

#include <QDialog>

class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class YMRPushButton;

// Form of the password prompt: two entries, a mask toggle, Cancel and Ok.
class PasswordDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit PasswordDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                                bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~PasswordDialogBase() override;

    QLabel *icon;
    QLineEdit *p1;
    QLineEdit *p2;
    QFrame *Line9;
    YMRPushButton *btnMask;
    YMRPushButton *btnCancel;
    YMRPushButton *btnOk;

public slots:
    virtual void maskChanged();

protected:
    QGridLayout *PasswordDialogBaseLayout;
    QHBoxLayout *Layout1;
};

#endif
