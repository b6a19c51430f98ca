#ifndef TASKLISTVIEWITEM_H
#define TASKLISTVIEWITEM_H

#include "pimlistviewitem.h"

class TaskListView;

// A row of the expense list.
class TaskListViewItem : public PIMListViewItem
{
public:
    TaskListViewItem(TaskListView *list, PIMRecord *record);
    TaskListViewItem(TaskListView *list, YMRListViewItem *after, PIMRecord *record);

    void refresh() override;
};

#endif
