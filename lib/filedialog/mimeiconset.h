#ifndef MIMEICONSET_H
#define MIMEICONSET_H

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QVector>

class QFontMetrics;

// The pictures of file-system entries in one of three sizes (16, 24, 32)
// that follows a widget's font. Pixmaps are held by value, so a picture a
// row copied stays valid after the set was resized.
class MimeIconSet
{
public:
    enum Icon {
        Desktop, Link, LockOverlay, Folder, OpenFolder, Empty, Binary, Document, Font, Html,
        Image, Info, Make, Pdf, Sound, Spreadsheet, Tar, Video, WordProcessing, IconCount
    };

    MimeIconSet();

    int size() const { return m_size; }
    void setSizeFor(const QFontMetrics &fm);
    void setSize(int size);

    // The picture of a file (not a folder) by its name and executable flag.
    const QPixmap &icon(const QString &fileName, bool executable) const;
    // Which of the pictures icon() gives.
    static Icon iconIndex(const QString &fileName, bool executable);
    static QString iconName(Icon icon);

    const QPixmap &pixmap(Icon icon) const;
    const QPixmap &desktopIcon() const { return pixmap(Desktop); }
    const QPixmap &linkIcon() const { return pixmap(Link); }
    const QPixmap &lockIcon() const { return pixmap(LockOverlay); }
    const QPixmap &folderIcon() const { return pixmap(Folder); }
    const QPixmap &openFolderIcon() const { return pixmap(OpenFolder); }

    // How many times this set loaded its pictures.
    int loadCount() const { return m_loads; }

    static QString pathTemplate();

private:
    int m_size = 0;
    int m_loads = 0;
    QVector<QPixmap> m_icons;
};

#endif
