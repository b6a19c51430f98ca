#ifndef ENTERSTRINGDIALOGBASE_H
#define ENTERSTRINGDIALOGBASE_H

#include "ymrpushbutton.h"

#include <QDialog>
#include <QLineEdit>

class QFrame;
class QHBoxLayout;
class QVBoxLayout;

// Layout of the text prompt: one line of text and "Cancel" and "Ok" under
// a line.
class EnterStringDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit EnterStringDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                                   bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~EnterStringDialogBase() override;

    QLineEdit *fname;
    QFrame *Line9;
    YMRPushButton *btnCancel;
    YMRPushButton *btnOk;

protected:
    QVBoxLayout *EnterStringDialogBaseLayout;
    QHBoxLayout *buttonLayout;
};

#endif
