#ifndef TASKSELECTLISTVIEWITEM_H
#define TASKSELECTLISTVIEWITEM_H

#include "tasklistviewitem.h"

class TaskSelectListView;

// A row of the expense list with a check mark.
class TaskSelectListViewItem : public TaskListViewItem
{
public:
    TaskSelectListViewItem(TaskSelectListView *list, PIMRecord *record);
    TaskSelectListViewItem(TaskSelectListView *list, YMRListViewItem *after, PIMRecord *record);

    void refresh() override;
};

#endif
