#ifndef SFILELISTVIEW_H
#define SFILELISTVIEW_H

#include "mimeiconset.h"

#include <ymrlistview.h>

class QFileInfo;
class YMFileView;

// The detail presentation of a folder. Besides plain folders it shows trash
// folders from their index and the find-file folder by its links' targets.
class SFileListView : public YMRListView
{
    Q_OBJECT
public:
    enum FolderMode { PlainFolder, FindFileFolder, TrashFolder };
    static const int EnterFolderEvent = 1001;

    explicit SFileListView(YMFileView *view, QWidget *parent = nullptr);
    ~SFileListView() override;

    QString dir() const { return m_dir; }
    FolderMode folderMode() const;
    QString currentFile() const;
    QStringList selectedFiles() const;
    MimeIconSet &icons() { return m_icons; }

    // The folder whose rows are the find-file program's results.
    static QString findFileDir();

public slots:
    bool setDir(const QString &path);
    void dirClicked(YMRListViewItem *item);
    void colorModeChanged();

signals:
    void dirChanged(const QString &path);
    void checkKey(bool &handled, int code);

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    bool readDir();
    void readPlain(const QString &folder);
    void readTrash();
    void readFindFile(const QString &folder);
    bool isFindFileDir() const;
    bool isTrashDir() const;
    void setInfoTexts(YMRListViewItem *row, const QFileInfo &info);
    void refresh();
    QString rowPath(const YMRListViewItem *row, FolderMode mode, bool forSelection) const;

    YMFileView *m_view;
    QString m_dir;
    QString m_entering;
    MimeIconSet m_icons;
};

#endif
