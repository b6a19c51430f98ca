#ifndef RENAMEDIALOGBASE_H
#define RENAMEDIALOGBASE_H

#include "ymrpushbutton.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>

class QFrame;
class QGridLayout;
class QHBoxLayout;

// Layout of the rename prompt: a picture, the old name greyed above the new
// one, and "Cancel" and "Ok" under a line.
class RenameDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit RenameDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                              bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~RenameDialogBase() override;

    QLabel *icon;
    QLineEdit *fname1;
    QLineEdit *fname;
    QFrame *Line9;
    YMRPushButton *btnCancel;
    YMRPushButton *btnOk;

protected:
    QGridLayout *RenameDialogBaseLayout;
    QHBoxLayout *buttonLayout;
};

#endif
