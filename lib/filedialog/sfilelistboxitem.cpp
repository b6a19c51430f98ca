#include "sfilelistboxitem.h"
#include "mimeiconset.h"

#include <ymrlistbox.h>

#include <QFileInfo>
#include <QPainter>

SFileListBoxItem::SFileListBoxItem(YMRListBox *box, const MimeIconSet *icons,
                                   const QFileInfo &info)
    : YMRListBoxItem(nullptr),
      m_icons(icons),
      m_icon(info.isDir() ? icons->folderIcon()
                          : icons->icon(info.fileName(), info.isExecutable())),
      m_unreadable(!info.isReadable()),
      m_link(info.isSymLink())
{
    setText(info.fileName());
    if (box)
        box->insertItem(this);
}

int SFileListBoxItem::height(const YMRListBox *lb) const
{
    const int fh = lb ? lb->fontMetrics().height() : 0;
    return qMax(m_icons->size() + 1, fh + 2);
}

int SFileListBoxItem::width(const YMRListBox *lb) const
{
    if (!lb)
        return m_icons->size() + 5;
    const QFontMetrics fm = lb->fontMetrics();
    return fm.horizontalAdvance(text()) - fm.minLeftBearing() - fm.minRightBearing()
           + m_icons->size() + 5;
}

void SFileListBoxItem::paint(QPainter *p)
{
    const YMRListBox *lb = listBox();
    const int h = height(lb);
    const int w = width(lb);
    const int iy = (h - m_icon.height()) / 2;
    p->drawPixmap(1, iy, m_icon);
    const int bottom = iy + m_icon.height();
    if (m_link) {
        const QPixmap &ov = m_icons->linkIcon();
        p->drawPixmap(1, bottom - ov.height(), ov);
    }
    if (m_unreadable) {
        const QPixmap &ov = m_icons->lockIcon();
        p->drawPixmap(m_icon.width() + 1 - ov.width(), bottom - ov.height(), ov);
    }
    p->drawText(m_icon.width() + 3, 0, w - 3 - m_icon.width(), h,
                Qt::AlignLeft | Qt::AlignVCenter, text());
}
