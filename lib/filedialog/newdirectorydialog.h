#ifndef NEWDIRECTORYDIALOG_H
#define NEWDIRECTORYDIALOG_H

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class YMRPushButton;

// Form asking for the name of a new folder.
class NewDirectoryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit NewDirectoryDialog(QWidget *parent = nullptr, const char *name = nullptr,
                                bool modal = false, Qt::WindowFlags f = Qt::WindowFlags());
    ~NewDirectoryDialog() override;

    QLabel *icon;
    QLineEdit *fname;
    QFrame *Line9;
    YMRPushButton *btnCancel;
    YMRPushButton *btnOk;
};

#endif
