#ifndef CATEGORYLISTVIEWITEM_H
#define CATEGORYLISTVIEWITEM_H

#include "pimlistviewitem.h"

class CategoryListView;
class CategoryRecord;

// A row of the category list.
class CategoryListViewItem : public PIMListViewItem
{
public:
    CategoryListViewItem(CategoryListView *list, PIMRecord *record);
    CategoryListViewItem(CategoryListView *list, YMRListViewItem *after, PIMRecord *record);

    CategoryRecord *category() const;
    void refresh() override;
};

#endif
