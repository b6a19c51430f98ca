#include "qpeglobal.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool Qpe::nameReadable(const QString &name)
{
    return QFile::decodeName(QFile::encodeName(name)) == name;
}

bool Qpe::nameReadable(const QByteArray &bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QStringList Qpe::unreadableEntries(const QString &folder)
{
    QStringList names;
    const int dirFd = ::open(QFile::encodeName(folder).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return names;
    DIR *d = ::fdopendir(dirFd);
    if (!d) {
        ::close(dirFd);
        return names;
    }
    while (const dirent *e = ::readdir(d)) {
        const QByteArray raw(e->d_name);
        if (nameReadable(raw))
            continue;
        struct stat st;
        const bool folder = ::fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        names << QFile::decodeName(raw) + (folder ? QStringLiteral("/") : QString());
    }
    ::closedir(d);
    return names;
}
