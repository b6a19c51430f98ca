#include "taskselectlistview.h"

#include "task.h"
#include "taskmanager.h"
#include "taskselectlistviewitem.h"

#include "qt/ymrheader.h"
#include "qt/ymrresource.h"

#include <optional>

TaskSelectListView::TaskSelectListView(QWidget *parent, const char *name)
    : TaskListView(parent, name)
{
    appendIcon(YMRResource::loadPixmap(QStringLiteral("on")));
    appendIcon(YMRResource::loadPixmap(QStringLiteral("off")));
    connect(this, qOverload<PIMRecord *>(&PIMListView::activate), this,
            &TaskSelectListView::activateRecord);
    connect(this, qOverload<const QPoint &, PIMRecord *, int>(&PIMListView::activate), this,
            &TaskSelectListView::activateRecord);
}

void TaskSelectListView::setupColumns(int id, Config *settings)
{
    if (id != CheckColumn) {
        TaskListView::setupColumns(id, settings);
        return;
    }
    const int col = addColumn(YMRResource::loadIconSet(QStringLiteral("onoff")), QString(), -1);
    header()->setResizeEnabled(false, col);
}

namespace {
// The record marked or unmarked; the state before, for the store to take.
PIMRecord *setMark(PIMRecord *record, bool mark)
{
    auto *old = new Task(*static_cast<Task *>(record));
    if (mark)
        record->setProperty(TaskSelectListView::markProperty(), QStringLiteral("1"));
    else
        record->removeProperty(TaskSelectListView::markProperty());
    return old;
}
} // namespace

void TaskSelectListView::activateRecord()
{
    if (PIMRecord *record = currentRecord())
        record->store(setMark(record, !record->hasProperty(markProperty()))); // takes old in every case
}

void TaskSelectListView::sectionClicked(int section)
{
    if (columnId(section) != CheckColumn) {
        TaskListView::sectionClicked(section);
        return;
    }
    if (!manager())
        return;
    // one stroke: the alarm list written once (if at all), the lists
    // refreshed once, not per row
    std::optional<TaskManager::Stroke> stroke;
    if (auto *book = qobject_cast<TaskManager *>(manager()))
        stroke.emplace(book);
    const bool blocked = blockSignals(true);
    const QList<PIMRecord *> records = pageRecords();
    bool mark = false;
    for (PIMRecord *r : records)
        mark = mark || !r->hasProperty(markProperty());
    std::vector<PIMManager::Update> updates;
    updates.reserve(size_t(records.size()));
    for (PIMRecord *r : records)
        updates.push_back({setMark(r, mark), r});
    manager()->updateRecords(updates);
    blockSignals(blocked);
}

PIMListViewItem *TaskSelectListView::createItem(PIMRecord *record)
{
    return new TaskSelectListViewItem(this, record);
}

PIMListViewItem *TaskSelectListView::createItem(PIMRecord *record, YMRListViewItem *after)
{
    return new TaskSelectListViewItem(this, after, record);
}
