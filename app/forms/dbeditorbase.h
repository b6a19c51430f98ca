#ifndef DBEDITORBASE_H
#define DBEDITORBASE_H

#include <QDialog>

class DirectorySelector;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class YMROkCancelWidget;
class YMRPushButton;

// Form of the book editor: title with icon and password buttons, folder,
// description.
class DBEditorBase : public QDialog
{
    Q_OBJECT
public:
    explicit DBEditorBase(QWidget *parent = nullptr, const char *name = nullptr,
                          bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~DBEditorBase() override;

    QLabel *TextLabel1;
    QLineEdit *title;
    YMRPushButton *icon;
    YMRPushButton *lock;
    QLabel *TextLabel2;
    DirectorySelector *path;
    QFrame *Line1;
    QGroupBox *GroupBox1;
    QPlainTextEdit *memo;
    YMROkCancelWidget *YMROkCancelWidget1;

public slots:
    virtual void selectPwd();
    virtual void selectIcon();

protected:
    QGridLayout *DBEditorBaseLayout;
};

#endif
