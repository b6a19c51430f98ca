#ifndef LOCKHOLDER_H
#define LOCKHOLDER_H

// Another process holding a book's lock: a child of the test that takes the
// lock and waits; killed, it leaves the lock behind as a crash does.

#include <QLockFile>
#include <QString>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// The child's process id, or -1 when it could not take the lock.
inline pid_t holdLockInChild(const QString &lockPath)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // a test that fails before it kills the child takes it along
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::close(fds[0]);
        QLockFile lock(lockPath);
        lock.setStaleLockTime(0);
        const char taken = lock.tryLock(0) ? '1' : '0';
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

inline void killLockHolder(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

#endif
