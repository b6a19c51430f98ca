#include "unixsignalnotifier.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// [0] written by the handler, [1] read on the event loop
int s_pair[2] = {-1, -1};
// set by the handler (a lock-free atomic is safe there), cleared once the
// event loop has taken the signals
std::atomic<int> s_pending{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler sets it");

extern "C" void writeSignalNumber(int number)
{
    const int savedErrno = errno;
    s_pending.store(1, std::memory_order_relaxed);
    const unsigned char byte = static_cast<unsigned char>(number);
    // a full socket already holds a wake-up: losing this byte loses nothing
    const ssize_t written = ::write(s_pair[0], &byte, 1);
    (void)written;
    errno = savedErrno;
}

} // namespace

UnixSignalNotifier::UnixSignalNotifier(const QList<int> &numbers, QObject *parent)
    : QObject(parent)
{
    if (s_pair[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, s_pair) != 0) {
        s_pair[0] = s_pair[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(s_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalNotifier::readPending);

    m_valid = true;
    for (int number : numbers) {
        struct sigaction action = {};
        action.sa_handler = writeSignalNumber;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        struct sigaction previous = {};
        if (::sigaction(number, &action, &previous) != 0) {
            m_valid = false;
            continue;
        }
        m_numbers.append(number);
        m_previous.append(previous);
    }
}

UnixSignalNotifier::~UnixSignalNotifier()
{
    for (int i = 0; i < m_numbers.size(); ++i)
        ::sigaction(m_numbers.at(i), &m_previous.at(i), nullptr);
    if (!m_notifier)
        return;
    delete m_notifier;
    ::close(s_pair[0]);
    ::close(s_pair[1]);
    s_pair[0] = s_pair[1] = -1;
    s_pending.store(0, std::memory_order_relaxed);
}

bool UnixSignalNotifier::pending()
{
    return s_pending.load(std::memory_order_relaxed) != 0;
}

void UnixSignalNotifier::readPending()
{
    s_pending.store(0, std::memory_order_relaxed);
    unsigned char byte = 0;
    while (::read(s_pair[1], &byte, 1) == 1)
        emit received(byte);
}
