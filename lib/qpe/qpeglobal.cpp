#include "qpeglobal.h"

#include <QDir>

QString Qpe::userRoot()
{
    const QByteArray env = qgetenv(QPE_ENV_HOME);
    if (!env.isEmpty())
        return QDir::cleanPath(QString::fromLocal8Bit(env));
    return QDir::cleanPath(QDir::homePath());
}

QString Qpe::settingsDir()
{
    const QString dir = userRoot() + QStringLiteral("/Settings");
    QDir().mkpath(dir);
    return dir;
}
