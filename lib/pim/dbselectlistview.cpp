#include "dbselectlistview.h"

#include "dbrecord.h"
#include "dbselectlistviewitem.h"

#include "qt/ymrresource.h"

DBSelectListView::DBSelectListView(QWidget *parent, const char *name) : DBListView(parent, name)
{
    appendIcon(YMRResource::loadPixmap(QStringLiteral("on")));
    appendIcon(YMRResource::loadPixmap(QStringLiteral("off")));
}

void DBSelectListView::setupColumns(int id, Config *settings)
{
    if (id == CheckColumn)
        addIconColumn(QStringLiteral("onoff"));
    else
        DBListView::setupColumns(id, settings);
}

void DBSelectListView::sectionClicked(int section)
{
    if (columnId(section) != CheckColumn) {
        DBListView::sectionClicked(section);
        return;
    }
    const bool blocked = blockSignals(true);
    const QList<PIMRecord *> records = pageRecords();
    bool mark = false;
    for (PIMRecord *r : records) {
        auto *book = static_cast<DBRecord *>(r);
        mark = mark || (book->isAvailable() && !book->hasProperty(markProperty()));
    }
    for (PIMRecord *r : records) {
        auto *book = static_cast<DBRecord *>(r);
        auto *old = new DBRecord(*book);
        if (!mark)
            book->removeProperty(markProperty());
        else if (book->isAvailable())
            book->setProperty(markProperty(), QStringLiteral("1"));
        book->store(old); // takes old in every case
    }
    blockSignals(blocked);
}

PIMListViewItem *DBSelectListView::createItem(PIMRecord *record)
{
    return new DBSelectListViewItem(this, record);
}

PIMListViewItem *DBSelectListView::createItem(PIMRecord *record, YMRListViewItem *after)
{
    return new DBSelectListViewItem(this, after, record);
}
