#include "global.h"
#include "qpeglobal.h"

#include <QDir>

QString Global::applicationFileName(const QString &appName, const QString &fileName)
{
    const QString dir = Qpe::userRoot() + QStringLiteral("/Applications/") + appName;
    QDir().mkpath(dir);
    return QDir::cleanPath(dir) + QLatin1Char('/') + fileName;
}
