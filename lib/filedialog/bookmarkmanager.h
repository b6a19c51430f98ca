#ifndef BOOKMARKMANAGER_H
#define BOOKMARKMANAGER_H

#include "bookmarkmanagerbase.h"

#include <QStringList>

// The bookmark editor: reorders and removes bookmarked folders, or goes to one.
class BookmarkManager : public BookmarkManagerBase
{
    Q_OBJECT
public:
    explicit BookmarkManager(const QStringList &bookmarks, QWidget *parent = nullptr,
                             const char *name = nullptr);
    ~BookmarkManager() override;

    QStringList bookmarks() const;
    QString goPath() const { return m_goPath; }

public slots:
    void doDown() override;
    void doGo() override;
    void doRemove() override;
    void doUp() override;
    void currentChanged(YMRListViewItem *item) override;

private:
    QString m_goPath;
};

#endif
