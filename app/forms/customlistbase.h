#ifndef CUSTOMLISTBASE_H
#define CUSTOMLISTBASE_H

#include <QDialog>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class YMRListView;
class YMROkCancelWidget;
class YMRPushButton;

// Form of the value-list editor.
class CustomListBase : public QDialog
{
    Q_OBJECT
public:
    explicit CustomListBase(QWidget *parent = nullptr, const char *name = nullptr,
                            bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~CustomListBase() override;

    YMRListView *list;
    QGroupBox *textBox;
    QLabel *licon;
    QLabel *label;
    QLineEdit *text;
    YMRPushButton *btnUp;
    YMRPushButton *btnDown;
    YMRPushButton *btnSort;
    YMRPushButton *btnNew;
    YMRPushButton *btnRemove;
    YMROkCancelWidget *okCancelWidget;

public slots:
    virtual void doDown();
    virtual void doNew();
    virtual void doRemove();
    virtual void doUp();
    virtual void doUpdate();
    virtual void sort();

protected:
    QGridLayout *CustomListBaseLayout;
};

#endif
