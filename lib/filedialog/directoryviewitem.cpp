#include "directoryviewitem.h"
#include "directoryview.h"
#include "mimeiconset.h"

#include <qpeglobal.h>

#include <QDir>
#include <QFileInfo>

DirectoryViewItem::DirectoryViewItem(YMRListView *view, const MimeIconSet *icons)
    : FileIconListViewItem(view, icons, icons->desktopIcon(), false, false),
      m_name(QDir::rootPath()),
      m_parent(nullptr)
{
}

DirectoryViewItem::DirectoryViewItem(DirectoryViewItem *parent, const MimeIconSet *icons,
                                     const QString &name)
    : FileIconListViewItem(parent, icons), m_name(name), m_parent(parent)
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
        QStringList names;
        const QFileInfoList dirs = d.entryInfoList(QDir::Dirs | QDir::Hidden);
        for (const QFileInfo &fi : dirs) {
            if (fi.fileName() != QLatin1String(".") && fi.fileName() != QLatin1String(".."))
                names << fi.fileName();
        }
        // folders QDir cannot read are shown too, as unreadable ones
        for (const QString &name : Qpe::unreadableEntries(path())) {
            if (name.endsWith(QLatin1Char('/')))
                names << name.left(name.size() - 1);
        }
        for (const QString &name : qAsConst(names)) {
            if (view)
                view->createItem(this, name);
            else
                new DirectoryViewItem(this, m_icons, name);
        }
        if (view)
            view->setUpdatesEnabled(updates);
    }
    FileIconListViewItem::setOpen(open);
    if (m_parent)
        setFolderIcon(isOpen());
}
