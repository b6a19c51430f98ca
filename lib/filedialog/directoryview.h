#ifndef DIRECTORYVIEW_H
#define DIRECTORYVIEW_H

#include "mimeiconset.h"

#include <ymrlistview.h>

class DirectoryViewItem;

// The folder tree: "My PDA" for the root, folders loaded level by level.
class DirectoryView : public YMRListView
{
    Q_OBJECT
public:
    explicit DirectoryView(QWidget *parent = nullptr);
    ~DirectoryView() override;

    QString currentDir() const;
    MimeIconSet &icons() { return m_icons; }
    DirectoryViewItem *rootItem() const;

public slots:
    void setDir(const QString &path);
    void reload();
    void slotFolderSelected(YMRListViewItem *item);
    void colorModeChanged();

signals:
    void folderSelected(const QString &path);
    void checkKey(bool &handled, int code);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    friend class DirectoryViewItem;
    void createRoot();
    DirectoryViewItem *createItem(DirectoryViewItem *parent, const QString &name);

    MimeIconSet m_icons;
};

#endif
