#include "ymrresource.h"

#include "ymrapplication.h"
#include "ymrlazyiconengine.h"

#include "qpe/boundedfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>

namespace {

// Far above any picture the program installs.
const qint64 maxPictureSize = 16 * 1024 * 1024;

} // namespace

QString YMRResource::findPicture(const QString &name)
{
    // read once: the platform directory does not move during a run
    static const QString dir = YMRApplication::qpeDir();
    const QString app = QCoreApplication::instance() ? QCoreApplication::instance()->objectName()
                                                     : QString();
    const bool large = YMRApplication::isVGAScreen();
    const QString file = name + QStringLiteral(".png");

    QStringList candidates;
    if (large) {
        candidates << dir + QStringLiteral("/pics144/") + app + QLatin1Char('/') + file
                   << dir + QStringLiteral("/pics144/ymr/") + file;
    }
    candidates << dir + QStringLiteral("/pics/") + app + QLatin1Char('/') + file
               << dir + QStringLiteral("/pics/ymr/") + file;
    if (large)
        candidates << dir + QStringLiteral("/pics144/") + file;
    candidates << dir + QStringLiteral("/pics/") + file;

    // a FIFO or a device at a picture's name is none
    for (const QString &c : qAsConst(candidates)) {
        if (QFileInfo(c).isFile())
            return c;
    }
    return QString();
}

QImage YMRResource::readPicture(const QString &path)
{
    // by descriptor, as a regular file only: what took the file's place
    // since it was found is never opened in its stead
    QByteArray bytes;
    if (path.isEmpty() || BoundedFile::readAll(path, maxPictureSize, bytes) != BoundedFile::Ok)
        return QImage();
    return QImage::fromData(bytes);
}

QImage YMRResource::loadImage(const QString &name)
{
    return readPicture(findPicture(name));
}

QPixmap YMRResource::loadPixmap(const QString &name)
{
    const QImage image = readPicture(findPicture(name));
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image, Qt::AutoColor);
}

QBitmap YMRResource::loadBitmap(const QString &name)
{
    const QImage image = readPicture(findPicture(name));
    return image.isNull() ? QBitmap() : QBitmap::fromImage(image, Qt::MonoOnly);
}

QIcon YMRResource::loadIconSet(const QString &name)
{
    return lazyIconSet(findPicture(name));
}

QIcon YMRResource::lazyIconSet(const QString &path)
{
    // the file is decoded when the icon is first drawn or asked about
    return path.isEmpty() ? QIcon() : QIcon(new YMRLazyIconEngine(path));
}

QString YMRResource::sizedName(const QString &name, const QFontMetrics &metrics)
{
    const int h = metrics.height();
    const int size = h < 17 ? 16 : (h < 25 ? 24 : 32);
    return QStringLiteral("%1/%2").arg(size).arg(name);
}

QImage YMRResource::loadSizedImage(const QString &name, const QFontMetrics &metrics)
{
    return loadImage(sizedName(name, metrics));
}

QPixmap YMRResource::loadSizedPixmap(const QString &name, const QFontMetrics &metrics)
{
    return loadPixmap(sizedName(name, metrics));
}

QIcon YMRResource::loadSizedIconSet(const QString &name, const QFontMetrics &metrics)
{
    return lazyIconSet(findPicture(sizedName(name, metrics)));
}
