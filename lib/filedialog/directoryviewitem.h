#ifndef DIRECTORYVIEWITEM_H
#define DIRECTORYVIEWITEM_H

#include "fileiconlistviewitem.h"

// One folder of the folder tree; its sub-folders are read on first opening.
class DirectoryViewItem : public FileIconListViewItem
{
public:
    // The root, standing for the file system's root.
    DirectoryViewItem(YMRListView *view, const MimeIconSet *icons);
    DirectoryViewItem(DirectoryViewItem *parent, const MimeIconSet *icons, const QString &name);

    void setOpen(bool open) override;

    QString path() const;
    QString name() const { return m_name; }
    DirectoryViewItem *parentFolder() const { return m_parent; }
    void setFolderIcon(bool open);

private:
    QString m_name;
    DirectoryViewItem *m_parent;
};

#endif
