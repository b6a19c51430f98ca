#include "sfilelistviewitem.h"
#include "mimeiconset.h"

#include <ymrlistview.h>

#include <QFileInfo>
#include <QPainter>
#include <QPalette>

SFileListViewItem::SFileListViewItem(YMRListView *view, const MimeIconSet *icons,
                                     const QFileInfo &info)
    : YMRListViewItem(view),
      m_icons(icons),
      m_size(info.size()),
      m_modified(info.lastModified()),
      m_icon(info.isDir() ? icons->folderIcon()
                          : icons->icon(info.fileName(), info.isExecutable())),
      m_unreadable(!info.isReadable()),
      m_link(info.isSymLink())
{
    setText(0, info.fileName());
    updateTexts();
}

SFileListViewItem::SFileListViewItem(YMRListView *view, const MimeIconSet *icons,
                                     const QString &name, qint64 size,
                                     const QDateTime &modified, bool link, bool folder,
                                     bool executable)
    : YMRListViewItem(view),
      m_icons(icons),
      m_size(size),
      m_modified(modified),
      m_icon(folder ? icons->folderIcon() : icons->icon(name, executable)),
      m_unreadable(false),
      m_link(link)
{
    setText(0, name);
    updateTexts();
}

void SFileListViewItem::updateTexts()
{
    setText(1, QString::number(m_size));
    const QDate d = m_modified.date();
    const QTime t = m_modified.time();
    setText(2, QString::asprintf("%4d-%02d-%02d %02d:%02d", d.year(), d.month(), d.day(),
                                 t.hour(), t.minute()));
}

QString SFileListViewItem::key(int column, bool ascending) const
{
    if (column == 1)
        return QString::asprintf("%08lld", static_cast<long long>(m_size));
    if (column == 2) {
        static const QDateTime epoch(QDate(1980, 1, 1), QTime(0, 0));
        return QString::asprintf("%08lld", static_cast<long long>(epoch.secsTo(m_modified)));
    }
    return YMRListViewItem::key(column, ascending);
}

int SFileListViewItem::width(const QFontMetrics &fm, const YMRListView *lv, int column) const
{
    if (column != 0)
        return YMRListViewItem::width(fm, lv, column);
    return fm.horizontalAdvance(text(0)) + (lv ? lv->itemMargin() : 0) + m_icons->size() + 6;
}

void SFileListViewItem::setup()
{
    widthChanged();
    const YMRListView *lv = listView();
    const int fh = lv ? lv->fontMetrics().height() : 0;
    setHeight(qMax(m_icons->size() + 1, fh + 2));
}

void SFileListViewItem::paintCell(QPainter *p, const QPalette &cg, int column, int width,
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
