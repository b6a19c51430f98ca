#ifndef DBSELECTLISTVIEW_H
#define DBSELECTLISTVIEW_H

#include "dblistview.h"

// The book list with a check column (id 5): the mark is the book record's
// property "transfer". A click on the check column's header marks every
// available book of the page, or unmarks every book when none is left to mark.
class DBSelectListView : public DBListView
{
    Q_OBJECT
public:
    enum { CheckColumn = 5 };

    explicit DBSelectListView(QWidget *parent = nullptr, const char *name = nullptr);

    static QString markProperty() { return QStringLiteral("transfer"); }

public slots:
    void sectionClicked(int section) override;

protected:
    void setupColumns(int id, Config *settings) override;
    PIMListViewItem *createItem(PIMRecord *record) override;
    PIMListViewItem *createItem(PIMRecord *record, YMRListViewItem *after) override;
};

#endif
