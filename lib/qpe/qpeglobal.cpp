#include "qpeglobal.h"

#include <QDir>
#include <QFile>

#include <cerrno>
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

Qpe::OpenResult Qpe::openRegularFile(QFile &file, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // non-blocking: the open of a FIFO returns at once; fstat then looks at
    // what was opened, not at what the name meant a moment before
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? OpenResult::Missing : OpenResult::Failed;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenResult::NotRegular;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return OpenResult::Failed;
    }
    return OpenResult::Opened;
}

bool Qpe::isRegularFile(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}
