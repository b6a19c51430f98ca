#include "sfilelistviewitem.h"
#include "mimeiconset.h"

#include <ymrlistview.h>

#include <QFileInfo>

SFileListViewItem::SFileListViewItem(YMRListView *view, const MimeIconSet *icons,
                                     const QFileInfo &info)
    : FileIconListViewItem(view, icons,
                           info.isDir() ? icons->folderIcon()
                                        : icons->icon(info.fileName(), info.isExecutable()),
                           !info.isReadable(), info.isSymLink()),
      m_size(info.size()),
      m_modified(info.lastModified())
{
    setText(0, info.fileName());
    updateTexts();
}

SFileListViewItem::SFileListViewItem(YMRListView *view, const MimeIconSet *icons,
                                     const QString &name, qint64 size,
                                     const QDateTime &modified, bool link, bool folder,
                                     bool executable)
    : FileIconListViewItem(view, icons,
                           folder ? icons->folderIcon() : icons->icon(name, executable), false,
                           link),
      m_size(size),
      m_modified(modified)
{
    setText(0, name);
    updateTexts();
}

void SFileListViewItem::updateTexts()
{
    setText(1, QString::number(m_size));
    setText(2, timeText(m_modified));
}

QString SFileListViewItem::timeText(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    const QDate d = time.date();
    const QTime t = time.time();
    return QString::asprintf("%4d-%02d-%02d %02d:%02d", d.year(), d.month(), d.day(), t.hour(),
                             t.minute());
}

QString SFileListViewItem::key(int column, bool ascending) const
{
    if (column == 1)
        return QString::asprintf("%08lld", static_cast<long long>(m_size));
    if (column == 2) {
        static const QDateTime epoch(QDate(1980, 1, 1), QTime(0, 0));
        return QString::asprintf("%08lld", static_cast<long long>(epoch.secsTo(m_modified)));
    }
    return FileIconListViewItem::key(column, ascending);
}
