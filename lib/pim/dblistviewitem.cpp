#include "dblistviewitem.h"

#include "dblistview.h"
#include "dbrecord.h"

#include <QFileInfo>

DBListViewItem::DBListViewItem(DBListView *list, PIMRecord *record) : PIMListViewItem(list, record)
{
}

DBListViewItem::DBListViewItem(DBListView *list, YMRListViewItem *after, PIMRecord *record)
    : PIMListViewItem(list, after, record)
{
}

void DBListViewItem::refresh()
{
    auto *book = static_cast<DBRecord *>(record());
    if (!book)
        return;
    const int n = list()->columnIds().count();
    for (int i = 0; i < n; ++i) {
        switch (list()->columnId(i)) {
        case 0:
            setPixmap(i, static_cast<DBListView *>(list())->bookIcon(book));
            break;
        case 1:
            setText(i, book->title());
            break;
        case 2:
            setPixmap(i, list()->icon(book->description().isEmpty() ? 0 : 1));
            break;
        case 3:
            setPixmap(i, list()->icon(book->password().isEmpty() ? 0 : 2));
            break;
        case 4:
            setText(i, QFileInfo(book->path()).path());
            break;
        default:
            break;
        }
    }
}
