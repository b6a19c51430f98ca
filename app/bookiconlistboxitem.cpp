#include "bookiconlistboxitem.h"

#include <QPainter>

BookIconListBoxItem::BookIconListBoxItem(YMRListBox *listbox, const QPixmap &pixmap,
                                         const QString &name)
    : YMRListBoxPixmap(listbox, pixmap)
    , m_name(name)
{
}

BookIconListBoxItem::~BookIconListBoxItem() = default;

int BookIconListBoxItem::height(const YMRListBox *) const
{
    return pixmap()->height() + 8;
}

int BookIconListBoxItem::width(const YMRListBox *) const
{
    return pixmap()->width() + 8;
}

void BookIconListBoxItem::paint(QPainter *p)
{
    p->drawPixmap(4, 4, *pixmap());
}
