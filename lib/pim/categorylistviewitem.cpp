#include "categorylistviewitem.h"

#include "categorylistview.h"
#include "categoryrecord.h"

CategoryListViewItem::CategoryListViewItem(CategoryListView *list, PIMRecord *record)
    : PIMListViewItem(list, record)
{
}

CategoryListViewItem::CategoryListViewItem(CategoryListView *list, YMRListViewItem *after,
                                           PIMRecord *record)
    : PIMListViewItem(list, after, record)
{
}

CategoryRecord *CategoryListViewItem::category() const
{
    return static_cast<CategoryRecord *>(record());
}

void CategoryListViewItem::refresh()
{
    CategoryRecord *c = category();
    if (!c)
        return;
    const int n = list()->columnIds().count();
    for (int i = 0; i < n; ++i) {
        switch (list()->columnId(i)) {
        case 0:
            setPixmap(i, list()->icon(c->on ? 1 : 2));
            break;
        case 1:
            setText(i, c->title);
            break;
        case 2:
            setPixmap(i, list()->icon(3));
            break;
        case 3:
            setPixmap(i, CategoryListView::swatch(c->textColor));
            break;
        case 4:
            setPixmap(i, CategoryListView::swatch(c->backgroundColor));
            break;
        default:
            break;
        }
    }
    setColors(c->textColor, c->backgroundColor);
}
