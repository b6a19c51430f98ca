#ifndef FIFOGUARD_H
#define FIFOGUARD_H

// A FIFO that a test hands to the code under test: should that code block
// in its open() or read(), a writer comes after five seconds and lets it go
// (end of file), so the fault fails the test instead of hanging it.

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace ymrtest {

class FifoGuard
{
public:
    explicit FifoGuard(const QByteArray &path)
        : m_thread([this, path] {
              for (int i = 0; i < 100 && !m_done; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              // succeeds only while a reader has it open or waits in open()
              const int fd = m_done ? -1 : ::open(path.constData(), O_WRONLY | O_NONBLOCK);
              m_released = fd >= 0;
              if (fd >= 0)
                  ::close(fd);
          })
    {
    }
    ~FifoGuard() { released(); }
    // Whether the code under test had to be let go.
    bool released()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_released;
    }

private:
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};

} // namespace ymrtest

#endif
