#ifndef FIFOGUARD_H
#define FIFOGUARD_H

// A FIFO that a test hands to the code under test: should that code block
// in its open() or read(), a writer comes after a while and lets it go (end
// of file), so the fault fails the test instead of hanging it.

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace ymrtest {

class FifoGuard
{
public:
    explicit FifoGuard(const QByteArray &path, int ms = 5000)
        : m_thread([this, path, ms] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_done; }))
                  return;
              // succeeds only while a reader has it open or waits in open()
              const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
              if (fd >= 0) {
                  m_released = true;
                  ::close(fd);
              }
          })
    {
    }
    ~FifoGuard() { finish(); }
    // Whether the code under test had to be let go.
    bool released()
    {
        finish();
        return m_released;
    }

private:
    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};

} // namespace ymrtest

#endif
