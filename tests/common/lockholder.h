#ifndef LOCKHOLDER_H
#define LOCKHOLDER_H

// Another process holding a book's lock as a copy of the program does: a
// child of the test that writes the lock file, takes the advisory lock on
// it and waits; killed, it leaves the file behind as a crash does. The
// child makes system calls only (a forked copy of a threaded test may use
// nothing else).

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// A child of the test that runs take() (system calls only) and, when that
// took what it holds, waits until killed. Its process id, or -1 when take()
// failed.
template <typename Take>
pid_t holdInChild(Take take)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // a test that fails before it kills the child takes it along
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::close(fds[0]);
        const char taken = take() ? '1' : '0';
        (void)!::write(fds[1], &taken, 1);
        for (;;)
            ::pause();
    }
    ::close(fds[1]);
    char taken = '0';
    const bool answered = pid > 0 && ::read(fds[0], &taken, 1) == 1;
    ::close(fds[0]);
    if (answered && taken == '1')
        return pid;
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return -1;
}

// The child's process id, or -1 when it could not take the lock. The lock
// file holds text, or when it is null what a copy of the program writes
// (its process id, "lockholder", the host).
inline pid_t holdLockInChild(const QString &lockPath, const QByteArray &text = QByteArray())
{
    const QByteArray name = QFile::encodeName(lockPath);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return holdInChild([&name, &text, &host] {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0)
            return false;
        if (text.isNull()) {
            char digits[24];
            int n = 0;
            for (pid_t p = ::getpid(); p > 0 && n < 23; p /= 10)
                digits[n++] = char('0' + p % 10);
            for (int i = n - 1; i >= 0; --i)
                (void)!::write(fd, digits + i, 1);
            (void)!::write(fd, "\nlockholder\n", 12);
            (void)!::write(fd, host, strlen(host));
            (void)!::write(fd, "\n", 1);
        } else {
            (void)!::write(fd, text.constData(), size_t(text.size()));
        }
        return true;
    });
}

// A child holding folder's lock as a copy of the program does mid-save; -1
// when it is held already.
inline pid_t holdFolderInChild(const QString &folder)
{
    const QByteArray name = QFile::encodeName(folder);
    return holdInChild([&name] {
        const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    });
}

inline void killLockHolder(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

#endif
