#ifndef YMRRESOURCE_H
#define YMRRESOURCE_H

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

class QFontMetrics;

// Pictures by name ("button_ok", "icons/12"): the file <name>.png from the
// platform's picture folders, high-resolution ones first on the large
// screens, the application's own before the toolkit's before the common
// ones. A name that matches no file (or only something that is no regular
// file) gives a null picture.
class YMRResource
{
public:
    static QImage loadImage(const QString &name);
    static QPixmap loadPixmap(const QString &name);
    static QBitmap loadBitmap(const QString &name);
    // A YMRIconSet (normal and greyed disabled picture), read on first use;
    // null when missing.
    static QIcon loadIconSet(const QString &name);

    // The same from the size folder "16", "24" or "32" that suits the font.
    static QImage loadSizedImage(const QString &name, const QFontMetrics &metrics);
    static QPixmap loadSizedPixmap(const QString &name, const QFontMetrics &metrics);
    static QIcon loadSizedIconSet(const QString &name, const QFontMetrics &metrics);

    // The picture in the file at path: a regular file only (a FIFO would
    // block the open), read whole within a size no picture comes near.
    static QImage readPicture(const QString &path);

private:
    // The first existing candidate file, or an empty string.
    static QString findPicture(const QString &name);
    static QIcon lazyIconSet(const QString &path);
    static QString sizedName(const QString &name, const QFontMetrics &metrics);
};

#endif
