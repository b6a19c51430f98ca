#include "fileiconlistviewitem.h"
#include "mimeiconset.h"

#include <ymrlistview.h>

#include <QPainter>
#include <QPalette>

FileIconListViewItem::FileIconListViewItem(YMRListView *view, const MimeIconSet *icons,
                                           const QPixmap &icon, bool unreadable, bool link)
    : YMRListViewItem(view), m_icons(icons), m_icon(icon), m_unreadable(unreadable), m_link(link)
{
}

FileIconListViewItem::FileIconListViewItem(YMRListViewItem *parent, const MimeIconSet *icons)
    : YMRListViewItem(parent), m_icons(icons), m_unreadable(false), m_link(false)
{
}

int FileIconListViewItem::width(const QFontMetrics &fm, const YMRListView *lv, int column) const
{
    if (column != 0)
        return YMRListViewItem::width(fm, lv, column);
    return fm.horizontalAdvance(text(0)) + (lv ? lv->itemMargin() : 0) + m_icons->size() + 6;
}

void FileIconListViewItem::setup()
{
    widthChanged();
    const YMRListView *lv = listView();
    const int fh = lv ? lv->fontMetrics().height() : 0;
    setHeight(qMax(m_icons->size() + 1, fh + 2));
}

void FileIconListViewItem::paintCell(QPainter *p, const QPalette &cg, int column, int width,
                                     int alignment)
{
    if (column != 0) {
        YMRListViewItem::paintCell(p, cg, column, width, alignment);
        return;
    }
    const int h = height();
    p->fillRect(0, 0, width, h, cg.brush(QPalette::Base));
    if (isSelected()) {
        p->fillRect(0, 0, width, h, cg.brush(QPalette::Highlight));
        p->setPen(cg.color(QPalette::HighlightedText));
    } else {
        p->setPen(cg.color(QPalette::Text));
    }
    const int iy = (h - m_icon.height()) / 2;
    p->drawPixmap(3, iy, m_icon);
    const int bottom = iy + m_icon.height();
    if (m_link) {
        const QPixmap &ov = m_icons->linkIcon();
        p->drawPixmap(3, bottom - ov.height(), ov);
    }
    if (m_unreadable) {
        const QPixmap &ov = m_icons->lockIcon();
        p->drawPixmap(m_icon.width() + 3 - ov.width(), bottom - ov.height(), ov);
    }
    p->drawText(m_icon.width() + 6, 0, width - m_icon.width() - 7, h,
                Qt::AlignLeft | Qt::AlignVCenter, text(0));
}
