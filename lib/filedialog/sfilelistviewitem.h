#ifndef SFILELISTVIEWITEM_H
#define SFILELISTVIEWITEM_H

#include <ymrlistviewitem.h>

#include <QDateTime>
#include <QPixmap>

class MimeIconSet;
class QFileInfo;

// One row of the detail view: name, size and time plus the columns its
// folder kind adds.
class SFileListViewItem : public YMRListViewItem
{
public:
    SFileListViewItem(YMRListView *view, const MimeIconSet *icons, const QFileInfo &info);
    SFileListViewItem(YMRListView *view, const MimeIconSet *icons, const QString &name,
                      qint64 size, const QDateTime &modified, bool link, bool folder,
                      bool executable);

    int width(const QFontMetrics &fm, const YMRListView *lv, int column) const override;
    QString key(int column, bool ascending) const override;
    void setup() override;
    void paintCell(QPainter *p, const QPalette &cg, int column, int width,
                   int alignment) override;

    void updateTexts();

    qint64 size() const { return m_size; }
    QDateTime modified() const { return m_modified; }
    bool isLink() const { return m_link; }
    bool isUnreadable() const { return m_unreadable; }
    const QPixmap &icon() const { return m_icon; }

private:
    const MimeIconSet *m_icons;
    qint64 m_size;
    QDateTime m_modified;
    QPixmap m_icon;
    bool m_unreadable;
    bool m_link;
};

#endif
