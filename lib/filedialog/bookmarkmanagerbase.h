#ifndef BOOKMARKMANAGERBASE_H
#define BOOKMARKMANAGERBASE_H

#include <QDialog>

class YMRListView;
class YMRListViewItem;
class YMRPushButton;

// Form of the bookmark editor: the list and its four buttons.
class BookmarkManagerBase : public QDialog
{
    Q_OBJECT
public:
    explicit BookmarkManagerBase(QWidget *parent = nullptr, const char *name = nullptr,
                                 bool modal = false, Qt::WindowFlags f = Qt::WindowFlags());
    ~BookmarkManagerBase() override;

    YMRListView *list;
    YMRPushButton *btnUp;
    YMRPushButton *btnDown;
    YMRPushButton *btnRemove;
    YMRPushButton *btnGo;

public slots:
    virtual void doDown();
    virtual void doGo();
    virtual void doRemove();
    virtual void doUp();
    virtual void currentChanged(YMRListViewItem *item);
};

#endif
