#include "taskselectlistviewitem.h"

#include "pimrecord.h"
#include "taskselectlistview.h"

TaskSelectListViewItem::TaskSelectListViewItem(TaskSelectListView *list, PIMRecord *record)
    : TaskListViewItem(list, record)
{
}

TaskSelectListViewItem::TaskSelectListViewItem(TaskSelectListView *list, YMRListViewItem *after,
                                               PIMRecord *record)
    : TaskListViewItem(list, after, record)
{
}

void TaskSelectListViewItem::refresh()
{
    TaskListViewItem::refresh();
    const int col = list()->columnIndex(TaskSelectListView::CheckColumn);
    if (col >= 0)
        setPixmap(col, list()->icon(record()->hasProperty(TaskSelectListView::markProperty()) ? 3
                                                                                              : 4));
}
