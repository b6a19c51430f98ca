#include "qpeglobal.h"

#include <QDir>

QString Qpe::userRoot()
{
    const QByteArray env = qgetenv(QPE_ENV_HOME);
    if (!env.isEmpty())
        return QDir::cleanPath(QString::fromLocal8Bit(env));
    return QDir::cleanPath(QDir::homePath());
}

void Qpe::assertWarning(const char *cond, const char *file, int line)
{
    qWarning("ASSERT: \"%s\" in %s (%d)", cond, file, line);
}

QString Qpe::settingsDir()
{
    const QString dir = userRoot() + QStringLiteral("/Settings");
    QDir().mkpath(dir);
    return dir;
}
