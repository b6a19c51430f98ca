#ifndef DBSELECTLISTVIEWITEM_H
#define DBSELECTLISTVIEWITEM_H

#include "dblistviewitem.h"

class DBSelectListView;

// A row of the book list with a transfer mark.
class DBSelectListViewItem : public DBListViewItem
{
public:
    DBSelectListViewItem(DBSelectListView *list, PIMRecord *record);
    DBSelectListViewItem(DBSelectListView *list, YMRListViewItem *after, PIMRecord *record);

    void refresh() override;
};

#endif
