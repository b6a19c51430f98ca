#ifndef DIRECTORYVIEWITEM_H
#define DIRECTORYVIEWITEM_H

#include <ymrlistviewitem.h>

#include <QPixmap>

class MimeIconSet;

// One folder of the folder tree; its sub-folders are read on first opening.
class DirectoryViewItem : public YMRListViewItem
{
public:
    // The root, standing for the file system's root.
    DirectoryViewItem(YMRListView *view, const MimeIconSet *icons);
    DirectoryViewItem(DirectoryViewItem *parent, const MimeIconSet *icons, const QString &name);

    int width(const QFontMetrics &fm, const YMRListView *lv, int column) const override;
    void setOpen(bool open) override;
    void setup() override;
    void paintCell(QPainter *p, const QPalette &cg, int column, int width,
                   int alignment) override;

    QString path() const;
    QString name() const { return m_name; }
    DirectoryViewItem *parentFolder() const { return m_parent; }
    void setFolderIcon(bool open);

    bool isLink() const { return m_link; }
    bool isUnreadable() const { return m_unreadable; }
    const QPixmap &icon() const { return m_icon; }

private:
    const MimeIconSet *m_icons;
    QString m_name;
    DirectoryViewItem *m_parent;
    QPixmap m_icon;
    bool m_unreadable;
    bool m_link;
};

#endif
