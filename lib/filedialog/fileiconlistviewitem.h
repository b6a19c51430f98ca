#ifndef FILEICONLISTVIEWITEM_H
#define FILEICONLISTVIEWITEM_H

#include <ymrlistviewitem.h>

#include <QPixmap>

class MimeIconSet;

// A row whose first column shows a file's icon, with the link and lock
// marks over it, before its name.
class FileIconListViewItem : public YMRListViewItem
{
public:
    FileIconListViewItem(YMRListView *view, const MimeIconSet *icons, const QPixmap &icon,
                         bool unreadable, bool link);
    FileIconListViewItem(YMRListViewItem *parent, const MimeIconSet *icons);

    int width(const QFontMetrics &fm, const YMRListView *lv, int column) const override;
    void setup() override;
    void paintCell(QPainter *p, const QPalette &cg, int column, int width,
                   int alignment) override;

    bool isLink() const { return m_link; }
    bool isUnreadable() const { return m_unreadable; }
    const QPixmap &icon() const { return m_icon; }

protected:
    const MimeIconSet *m_icons;
    QPixmap m_icon;
    bool m_unreadable;
    bool m_link;
};

#endif
