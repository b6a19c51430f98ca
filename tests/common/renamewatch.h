#ifndef RENAMEWATCH_H
#define RENAMEWATCH_H

// Counts by name the files renamed into a folder (as every save puts its
// new file in place) since the watch began; the kernel queues each, nothing
// waits. Names leaving are watched too: the kernel folds an event into an
// equal one just before it, and each rename's leaving name lies between.

#include <QFile>
#include <QHash>
#include <QString>

#include <sys/inotify.h>
#include <unistd.h>

namespace ymrtest {

class RenameWatch
{
public:
    explicit RenameWatch(const QString &folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0 && ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_FROM | IN_MOVED_TO) < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RenameWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RenameWatch(const RenameWatch &) = delete;
    RenameWatch &operator=(const RenameWatch &) = delete;

    bool isValid() const { return m_fd >= 0; }
    // The files put in place at that name so far.
    int count(const QString &name)
    {
        drain();
        return m_counts.value(name);
    }

private:
    void drain()
    {
        alignas(struct inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t n = m_fd < 0 ? -1 : ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return;
            for (ssize_t at = 0; at < n;) {
                const auto *e = reinterpret_cast<const struct inotify_event *>(buffer + at);
                if (e->len > 0 && (e->mask & IN_MOVED_TO))
                    ++m_counts[QFile::decodeName(e->name)];
                at += ssize_t(sizeof(struct inotify_event) + e->len);
            }
        }
    }

    int m_fd;
    QHash<QString, int> m_counts;
};

} // namespace ymrtest

#endif
