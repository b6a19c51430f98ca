#include "ymriconset.h"

#include <QImage>
#include <QPixmap>
#include <QVector>

namespace {

// Grey, lightened a quarter of the way to white, and a quarter more
// transparent.
QRgb greyed(QRgb px)
{
    const int grey = (11 * qRed(px) + 16 * qGreen(px) + 5 * qBlue(px)) >> 5;
    const int v = grey + (255 - grey) * 25 / 100;
    const int a = qAlpha(px) - qAlpha(px) * 25 / 100;
    return qRgba(v, v, v, a);
}

} // namespace

YMRIconSet::YMRIconSet(const QPixmap &pixmap)
    : QIcon(pixmap)
{
    if (pixmap.isNull())
        return;
    QImage image = pixmap.toImage();
    // the alpha buffer on: the disabled picture is part transparent
    if (image.colorCount() == 0)
        image = image.convertToFormat(QImage::Format_ARGB32);
    makeDisabled(image);
}

YMRIconSet::YMRIconSet(const QImage &image)
{
    if (image.isNull())
        return;
    addPixmap(QPixmap::fromImage(image, Qt::AutoColor), Normal);
    QImage copy = image;
    makeDisabled(copy);
}

YMRIconSet::~YMRIconSet() = default;

void YMRIconSet::makeDisabled(QImage &image)
{
    if (image.isNull())
        return;
    if (image.colorCount() > 0) {
        // Entries keep their transparency, reduced as for true colour:
        // forcing them opaque would turn transparent areas into a grey box.
        QVector<QRgb> table = image.colorTable();
        for (QRgb &c : table)
            c = greyed(c);
        image.setColorTable(table);
    } else {
        // an image without an alpha channel stays opaque
        const bool alpha = image.hasAlphaChannel();
        if (image.format() != QImage::Format_ARGB32)
            image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = alpha ? greyed(line[x]) : (greyed(line[x]) | 0xff000000u);
        }
        if (!alpha)
            image = image.convertToFormat(QImage::Format_RGB32);
    }
    addPixmap(QPixmap::fromImage(image, Qt::AutoColor), Disabled);
}
