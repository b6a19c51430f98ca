#ifndef SFILELISTBOXITEM_H
#define SFILELISTBOXITEM_H

#include <ymrlistboxitem.h>

#include <QPixmap>

class MimeIconSet;
class QFileInfo;

// One entry of the file list box: its picture, name and overlays.
class SFileListBoxItem : public YMRListBoxItem
{
public:
    SFileListBoxItem(YMRListBox *box, const MimeIconSet *icons, const QFileInfo &info);

    int height(const YMRListBox *lb) const override;
    int width(const YMRListBox *lb) const override;

    bool isLink() const { return m_link; }
    bool isUnreadable() const { return m_unreadable; }
    const QPixmap &icon() const { return m_icon; }

protected:
    void paint(QPainter *p) override;

private:
    const MimeIconSet *m_icons;
    QPixmap m_icon;
    bool m_unreadable;
    bool m_link;
};

#endif
