#include "ymrresource.h"

#include "ymrapplication.h"
#include "ymrlazyiconengine.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>

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

    for (const QString &c : qAsConst(candidates)) {
        if (QFile::exists(c))
            return c;
    }
    return QString();
}

QImage YMRResource::loadImage(const QString &name)
{
    const QString path = findPicture(name);
    return path.isEmpty() ? QImage() : QImage(path);
}

QPixmap YMRResource::loadPixmap(const QString &name)
{
    QPixmap pm;
    const QString path = findPicture(name);
    if (!path.isEmpty())
        pm.load(path, nullptr, Qt::AutoColor);
    return pm;
}

QBitmap YMRResource::loadBitmap(const QString &name)
{
    const QString path = findPicture(name);
    return path.isEmpty() ? QBitmap() : QBitmap(path);
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
