#ifndef COLUMNSETUPBASE_H
#define COLUMNSETUPBASE_H

#include <QWidget>

class QFrame;
class QGridLayout;
class YMRComboBox;
class YMRListView;
class YMRListViewItem;
class YMRPushButton;

// Form of the column setup page: the view being set up, all columns on the
// left, the view's columns in order on the right, and the buttons between.
class ColumnSetupBase : public QWidget
{
    Q_OBJECT
public:
    explicit ColumnSetupBase(QWidget *parent = nullptr, const char *name = nullptr,
                             Qt::WindowFlags fl = Qt::WindowFlags());
    ~ColumnSetupBase() override;

    YMRComboBox *where;
    YMRListView *allcolumns;
    YMRListView *list;
    YMRPushButton *btnUp;
    YMRPushButton *btnGet;
    YMRPushButton *btnDown;
    QFrame *Line1;
    YMRPushButton *btnRemove;

public slots:
    virtual void currentChanged(YMRListViewItem *item);
    virtual void doDown();
    virtual void doGet();
    virtual void doRemove();
    virtual void doUp();
    virtual void whereChanged(int index);

protected:
    QGridLayout *ColumnSetupBaseLayout;
};

#endif
