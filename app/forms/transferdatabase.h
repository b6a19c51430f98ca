#ifndef TRANSFERDATABASE_H
#define TRANSFERDATABASE_H

#include <QDialog>

class DBSelectListView;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class YMRPushButton;

// Form of the Transfer Data dialog: device address, the book list with
// its marks, the categories-and-lists check box, Start and Cancel.
class TransferDataBase : public QDialog
{
    Q_OBJECT
public:
    explicit TransferDataBase(QWidget *parent = nullptr, const char *name = nullptr, bool modal = false,
                              Qt::WindowFlags flags = Qt::WindowFlags());
    ~TransferDataBase() override;

    QGroupBox *GroupBox1;
    QLabel *TextLabel1;
    QLineEdit *addr;
    YMRPushButton *btnConnect;
    QGroupBox *dbbox;
    DBSelectListView *list;
    QCheckBox *data;
    QFrame *Line2;
    YMRPushButton *btnOk;
    YMRPushButton *btnCancel;

public slots:
    virtual void doConnect();
    virtual void start();
};

#endif
