#include "dbselectlistviewitem.h"

#include "dbselectlistview.h"
#include "pimrecord.h"

DBSelectListViewItem::DBSelectListViewItem(DBSelectListView *list, PIMRecord *record)
    : DBListViewItem(list, record)
{
}

DBSelectListViewItem::DBSelectListViewItem(DBSelectListView *list, YMRListViewItem *after,
                                           PIMRecord *record)
    : DBListViewItem(list, after, record)
{
}

void DBSelectListViewItem::refresh()
{
    DBListViewItem::refresh();
    const int col = list()->columnIndex(DBSelectListView::CheckColumn);
    if (col >= 0)
        setPixmap(col, list()->icon(record()->hasProperty(DBSelectListView::markProperty()) ? 3
                                                                                            : 4));
}
