#include "tasklistviewitem.h"

#include "categoryrecord.h"
#include "pimreminder.h"
#include "task.h"
#include "tasklistview.h"

TaskListViewItem::TaskListViewItem(TaskListView *list, PIMRecord *record)
    : PIMListViewItem(list, record)
{
}

TaskListViewItem::TaskListViewItem(TaskListView *list, YMRListViewItem *after, PIMRecord *record)
    : PIMListViewItem(list, after, record)
{
}

void TaskListViewItem::refresh()
{
    auto *lv = static_cast<TaskListView *>(list());
    auto *task = static_cast<Task *>(record());
    if (!lv || !task)
        return;
    const int n = lv->columnIds().count();
    for (int i = 0; i < n; ++i) {
        switch (lv->columnId(i)) {
        case 0:
            setText(i, task->type);
            break;
        case 1:
            setText(i, lv->amountText(task));
            break;
        case 2:
            setText(i, task->currency);
            break;
        case 3:
            setText(i, task->city);
            break;
        case 4:
            setPixmap(i, lv->icon(task->description.isEmpty() ? 0 : 2));
            break;
        case 5:
            setText(i, task->account);
            break;
        case 6:
            setText(i, lv->dateText(task->date));
            break;
        case 7:
            setPixmap(i, lv->icon(task->reminder ? 1 : 0));
            break;
        case 8:
            setText(i, task->categoryTitle(true));
            break;
        case 9:
            setText(i, lv->dateTimeText(task->created()));
            break;
        case 10:
            setText(i, lv->dateTimeText(task->updated()));
            break;
        default:
            break;
        }
    }
    if (lv->colorMode() == 2) {
        if (CategoryRecord *c = task->firstCategory())
            setColors(c->textColor, c->backgroundColor);
    }
}
