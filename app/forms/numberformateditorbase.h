#ifndef NUMBERFORMATEDITORBASE_H
#define NUMBERFORMATEDITORBASE_H

#include <QDialog>

class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class YMRListBox;
class YMRPushButton;

// Form of the number-format editor.
class NumberFormatEditorBase : public QDialog
{
    Q_OBJECT
public:
    explicit NumberFormatEditorBase(QWidget *parent = nullptr, const char *name = nullptr,
                                    bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~NumberFormatEditorBase() override;

    QGroupBox *GroupBox2;
    QLineEdit *edit;
    QGroupBox *GroupBox1;
    QLabel *TextLabel1;
    QLineEdit *number;
    QLabel *TextLabel2;
    QLabel *example;
    YMRListBox *list;
    QFrame *Line1;
    YMRPushButton *btnAdd;
    YMRPushButton *btnUpdate;
    YMRPushButton *btnRemove;

public slots:
    virtual void addItem();
    virtual void itemSelected(const QString &text);
    virtual void numberChanged();
    virtual void removeItem();
    virtual void formatChanged();
    virtual void update();

protected:
    QGridLayout *NumberFormatEditorBaseLayout;
};

#endif
