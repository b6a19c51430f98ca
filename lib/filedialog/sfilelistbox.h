#ifndef SFILELISTBOX_H
#define SFILELISTBOX_H

#include "mimeiconset.h"

#include <ymrlistbox.h>

class YMFileView;

// The compact presentation of a folder: icons and names flowing in columns.
class SFileListBox : public YMRListBox
{
    Q_OBJECT
public:
    explicit SFileListBox(YMFileView *view, QWidget *parent = nullptr, const char *name = nullptr);
    ~SFileListBox() override;

    QString dir() const { return m_dir; }
    QString currentFile() const;
    QStringList selectedFiles() const;
    MimeIconSet &icons() { return m_icons; }
    // Whether the view shows an entry of Qpe::unreadableEntries (both
    // presentations ask); takes the folder mark off the name.
    static bool listsUnreadable(QString &name, const YMFileView *view);

public slots:
    bool setDir(const QString &path);
    void itemClicked(YMRListBoxItem *item);

signals:
    void dirChanged(const QString &path);
    void checkKey(bool &handled, int code);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    bool readDir();
    void refresh();
    void enterFolder(const QString &path);

    YMFileView *m_view;
    QString m_dir;
    MimeIconSet m_icons;
};

#endif
