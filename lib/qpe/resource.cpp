#include "resource.h"
#include "qpeapplication.h"

#include <QFileInfo>

QString Resource::findSound(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    const QString path = QPEApplication::qpeDir() + QStringLiteral("/sounds/") + name
                       + QStringLiteral(".wav");
    return QFileInfo(path).isFile() ? path : QString();
}
