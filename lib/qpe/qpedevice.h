#ifndef QPEDEVICE_H
#define QPEDEVICE_H

#include <QStringList>

// The seam over the buzzer and LED drivers: the system calls the alarm code
// makes, and a recorder that stands in for them in tests.
class QpeDevice
{
public:
    // open(path, O_WRONLY); -1 on failure.
    static int open(const char *path);
    // ioctl with the address of n 32-bit ints.
    static int ioctlRecord(int fd, unsigned long request, const int *record, int n);
    // ioctl with a plain value.
    static int ioctlValue(int fd, unsigned long request, long value);
    static int close(int fd);
    static void sleepSeconds(unsigned seconds);

    // Tests: from here on only the listed paths open, nothing reaches the
    // system, sleeps return at once, and every call is recorded:
    //   "open /dev/pda_led = 100", "open /dev/pda_buz failed",
    //   "ioctl 100 0x5681 {13,7}", "ioctl 101 0x5680 4", "close 100",
    //   "sleep 1".
    static void startRecording(const QStringList &presentDevices);
    static void stopRecording();
    static bool isRecording();
    static QStringList recorded();
    static void clearRecord();
    // Descriptors the recorder handed out and that were not closed.
    static int openDescriptors();
};

#endif
