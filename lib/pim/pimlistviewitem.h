#ifndef PIMLISTVIEWITEM_H
#define PIMLISTVIEWITEM_H

#include "qt/ymrlistviewitem.h"

#include <QString>

class PIMListView;
class PIMRecord;

// One row of a record list. It keeps the record's UID text as well, so the
// list can find its place again after the store reloaded its records.
class PIMListViewItem : public YMRListViewItem
{
public:
    PIMListViewItem(PIMListView *list, PIMRecord *record);
    PIMListViewItem(PIMListView *list, YMRListViewItem *after, PIMRecord *record);

    // Sets the shown cells from the record.
    virtual void refresh();

    PIMRecord *record() const { return m_record; }
    QString uid() const { return m_uid; }
    PIMListView *list() const { return m_list; }

private:
    PIMListView *m_list;
    PIMRecord *m_record;
    QString m_uid;
};

#endif
