#ifndef DBLISTVIEWITEM_H
#define DBLISTVIEWITEM_H

#include "pimlistviewitem.h"

class DBListView;

// A row of a book list.
class DBListViewItem : public PIMListViewItem
{
public:
    DBListViewItem(DBListView *list, PIMRecord *record);
    DBListViewItem(DBListView *list, YMRListViewItem *after, PIMRecord *record);

    void refresh() override;
};

#endif
