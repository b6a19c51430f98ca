#include "pimlistviewitem.h"

#include "pimlistview.h"
#include "pimrecord.h"

PIMListViewItem::PIMListViewItem(PIMListView *list, PIMRecord *record)
    : YMRListViewItem(list), m_list(list), m_record(record),
      m_uid(record ? record->uidString() : QString())
{
}

PIMListViewItem::PIMListViewItem(PIMListView *list, YMRListViewItem *after, PIMRecord *record)
    : YMRListViewItem(list, after), m_list(list), m_record(record),
      m_uid(record ? record->uidString() : QString())
{
}

void PIMListViewItem::refresh()
{
}
