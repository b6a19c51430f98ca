#include "boundedfile.h"

#include "filereplacer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
BoundedFile::Notifier s_notifier;
}

BoundedFile::Result BoundedFile::open(QFile &file, const QString &path, qint64 maxSize,
                                      QIODevice::OpenMode extra, Links links)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer
    const int fd = ::open(name.constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == NoLinks ? O_NOFOLLOW : 0));
    if (fd < 0) {
        if (errno == ENOENT)
            return Missing;
        return links == NoLinks && errno == ELOOP ? NotRegular : Unreadable;
    }
    struct stat st;
    Result result = Ok;
    if (::fstat(fd, &st) != 0)
        result = Unreadable;
    else if (!S_ISREG(st.st_mode))
        result = NotRegular;
    else if (st.st_size > maxSize)
        result = TooLarge;
    if (result == Ok) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
            result = Unreadable;
    }
    if (result != Ok) {
        ::close(fd);
        return result;
    }
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly | extra, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Unreadable;
    }
    return Ok;
}

BoundedFile::Result BoundedFile::readAll(const QString &path, qint64 maxSize, QByteArray &bytes,
                                         Links links)
{
    bytes.clear();
    QFile file;
    const Result r = open(file, path, maxSize, QIODevice::NotOpen, links);
    if (r != Ok)
        return r;
    // the file may have grown since the look: never more than the limit
    bytes = file.read(qMin(file.size(), maxSize) + 1);
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return Unreadable;
    }
    if (bytes.size() > maxSize) {
        bytes.clear();
        return TooLarge;
    }
    return Ok;
}

QString BoundedFile::asideName(const QString &path, int n)
{
    const QString first = path + QStringLiteral(".damaged");
    return n <= 1 ? first : first + QLatin1Char('.') + QString::number(n);
}

bool BoundedFile::setAside(const QString &path, bool folderToo, QString *why)
{
    // a folder there is no damaged file: it stays, and reading just fails
    struct stat st;
    if (!folderToo && ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        if (why)
            *why = QCoreApplication::translate("BoundedFile", "a folder stands at its name");
        return false;
    }
    QString aside;
    for (int n = 1; n <= MaxAsideNames; ++n) {
        aside = asideName(path, n);
        if (FileReplacer::renameNoReplace(path, aside))
            break;
        aside.clear();
        if (FileReplacer::lastFailure() != FileReplacer::InUse)
            break;
    }
    if (aside.isEmpty()) {
        const QString reason = FileReplacer::lastFailure() == FileReplacer::InUse
                                   ? QCoreApplication::translate("BoundedFile", "every name to keep it under is taken (\"%1\" to \"%2\")")
                                         .arg(QFileInfo(asideName(path)).fileName(),
                                              QFileInfo(asideName(path, MaxAsideNames)).fileName())
                                   : FileReplacer::lastFailureText();
        qWarning("Cannot set aside %s: %s", qPrintable(path), qPrintable(reason));
        if (why)
            *why = reason;
        return false;
    }
    qWarning("%s cannot be read; set aside as %s", qPrintable(path), qPrintable(aside));
    if (s_notifier)
        s_notifier(path, aside);
    return true;
}

void BoundedFile::setNotifier(const Notifier &notifier)
{
    s_notifier = notifier;
}
