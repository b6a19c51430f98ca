#include "directoryviewitem.h"
#include "directoryview.h"
#include "mimeiconset.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPalette>

DirectoryViewItem::DirectoryViewItem(YMRListView *view, const MimeIconSet *icons)
    : YMRListViewItem(view),
      m_icons(icons),
      m_name(QDir::rootPath()),
      m_parent(nullptr),
      m_icon(icons->desktopIcon()),
      m_unreadable(false),
      m_link(false)
{
}

DirectoryViewItem::DirectoryViewItem(DirectoryViewItem *parent, const MimeIconSet *icons,
                                     const QString &name)
    : YMRListViewItem(parent), m_icons(icons), m_name(name), m_parent(parent)
{
    const QFileInfo fi(QDir::cleanPath(path()));
    m_unreadable = !fi.isReadable();
    m_link = fi.isSymLink();
    m_icon = icons->folderIcon();
    setText(0, name);
    setExpandable(true);
}

QString DirectoryViewItem::path() const
{
    if (!m_parent)
        return m_name;
    return m_parent->path() + m_name + QDir::separator();
}

void DirectoryViewItem::setFolderIcon(bool open)
{
    m_icon = open ? m_icons->openFolderIcon() : m_icons->folderIcon();
    repaint();
}

void DirectoryViewItem::setOpen(bool open)
{
    if (!m_parent && !open)
        return;
    if (open && childCount() == 0) {
        QDir d(path(), QString(), QDir::IgnoreCase, QDir::AllEntries);
        if (!d.isReadable()) {
            setExpandable(false);
            if (m_parent)
                setFolderIcon(false);
            return;
        }
        auto *view = static_cast<DirectoryView *>(listView());
        const bool updates = view && view->updatesEnabled();
        if (view)
            view->setUpdatesEnabled(false);
        const QFileInfoList dirs = d.entryInfoList(QDir::Dirs | QDir::Hidden);
        for (const QFileInfo &fi : dirs) {
            if (fi.fileName() == QLatin1String(".") || fi.fileName() == QLatin1String(".."))
                continue;
            if (view)
                view->createItem(this, fi.fileName());
            else
                new DirectoryViewItem(this, m_icons, fi.fileName());
        }
        if (view)
            view->setUpdatesEnabled(updates);
    }
    YMRListViewItem::setOpen(open);
    if (m_parent)
        setFolderIcon(isOpen());
}

int DirectoryViewItem::width(const QFontMetrics &fm, const YMRListView *lv, int column) const
{
    if (column != 0)
        return YMRListViewItem::width(fm, lv, column);
    return fm.horizontalAdvance(text(0)) + (lv ? lv->itemMargin() : 0) + m_icons->size() + 6;
}

void DirectoryViewItem::setup()
{
    widthChanged();
    const YMRListView *lv = listView();
    const int fh = lv ? lv->fontMetrics().height() : 0;
    setHeight(qMax(m_icons->size() + 1, fh + 2));
}

void DirectoryViewItem::paintCell(QPainter *p, const QPalette &cg, int column, int width,
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
