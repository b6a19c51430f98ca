#ifndef CURRENCIESLISTBASE_H
#define CURRENCIESLISTBASE_H

#include <QDialog>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class YMRComboBox;
class YMRListView;
class YMRListViewItem;
class YMRPushButton;

// Form of the currencies editor.
class CurrenciesListBase : public QDialog
{
    Q_OBJECT
public:
    explicit CurrenciesListBase(QWidget *parent = nullptr, const char *name = nullptr,
                                bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~CurrenciesListBase() override;

    YMRListView *list;
    QGroupBox *GroupBox1;
    QLabel *label;
    QLineEdit *text;
    QLabel *TextLabel1;
    YMRComboBox *formats;
    YMRPushButton *btnFormat;
    YMRPushButton *btnUp;
    YMRPushButton *btnDown;
    YMRPushButton *btnNew;
    YMRPushButton *btnRemove;

public slots:
    virtual void currentChanged(YMRListViewItem *item);
    virtual void doDown();
    virtual void doEdit();
    virtual void doNew();
    virtual void doRemove();
    virtual void doUp();
    virtual void doUpdate();
    virtual void formatChanged();

protected:
    QGridLayout *CurrenciesListBaseLayout;
};

#endif
