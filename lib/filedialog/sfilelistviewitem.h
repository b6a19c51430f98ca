#ifndef SFILELISTVIEWITEM_H
#define SFILELISTVIEWITEM_H

#include "fileiconlistviewitem.h"

#include <QDateTime>

class QFileInfo;

// One row of the detail view: name, size and time plus the columns its
// folder kind adds.
class SFileListViewItem : public FileIconListViewItem
{
public:
    SFileListViewItem(YMRListView *view, const MimeIconSet *icons, const QFileInfo &info);
    SFileListViewItem(YMRListView *view, const MimeIconSet *icons, const QString &name,
                      qint64 size, const QDateTime &modified, bool link, bool folder,
                      bool executable);

    QString key(int column, bool ascending) const override;

    void updateTexts();
    // The time column's text: empty for a time the entry does not have.
    static QString timeText(const QDateTime &time);

    qint64 size() const { return m_size; }
    QDateTime modified() const { return m_modified; }

private:
    qint64 m_size;
    QDateTime m_modified;
};

#endif
