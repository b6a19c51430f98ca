#include "qpedevice.h"

#include <QSet>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool s_recording = false;
QStringList s_present;
QStringList s_record;
QSet<int> s_open;
int s_nextFd = 100;

QString hex(unsigned long v)
{
    return QStringLiteral("0x") + QString::number(qulonglong(v), 16);
}

} // namespace

int QpeDevice::open(const char *path)
{
    if (!s_recording)
        return ::open(path, O_WRONLY);
    const QString p = QString::fromLocal8Bit(path);
    if (!s_present.contains(p)) {
        s_record.append(QStringLiteral("open %1 failed").arg(p));
        return -1;
    }
    const int fd = s_nextFd++;
    s_open.insert(fd);
    s_record.append(QStringLiteral("open %1 = %2").arg(p).arg(fd));
    return fd;
}

int QpeDevice::ioctlRecord(int fd, unsigned long request, const int *record, int n)
{
    if (!s_recording)
        return ::ioctl(fd, request, record);
    QStringList values;
    for (int i = 0; i < n; ++i)
        values.append(QString::number(record[i]));
    s_record.append(QStringLiteral("ioctl %1 %2 {%3}").arg(fd).arg(hex(request), values.join(QLatin1Char(','))));
    return s_open.contains(fd) ? 0 : -1;
}

int QpeDevice::ioctlValue(int fd, unsigned long request, long value)
{
    if (!s_recording)
        return ::ioctl(fd, request, value);
    s_record.append(QStringLiteral("ioctl %1 %2 %3").arg(fd).arg(hex(request)).arg(value));
    return s_open.contains(fd) ? 0 : -1;
}

int QpeDevice::close(int fd)
{
    if (!s_recording)
        return ::close(fd);
    const bool known = s_open.remove(fd);
    s_record.append(known ? QStringLiteral("close %1").arg(fd)
                          : QStringLiteral("close %1 failed").arg(fd));
    return known ? 0 : -1;
}

void QpeDevice::sleepSeconds(unsigned seconds)
{
    if (!s_recording) {
        ::sleep(seconds);
        return;
    }
    s_record.append(QStringLiteral("sleep %1").arg(seconds));
}

void QpeDevice::startRecording(const QStringList &presentDevices)
{
    s_recording = true;
    s_present = presentDevices;
    s_record.clear();
    s_open.clear();
}

void QpeDevice::stopRecording()
{
    s_recording = false;
    s_present.clear();
}

bool QpeDevice::isRecording()
{
    return s_recording;
}

QStringList QpeDevice::recorded()
{
    return s_record;
}

void QpeDevice::clearRecord()
{
    s_record.clear();
}

int QpeDevice::openDescriptors()
{
    return s_open.size();
}
