#include "loadbudget.h"

#include "unixsignalnotifier.h"

namespace {
qint64 s_allowance = LoadBudget::DefaultAllowance;
}

LoadBudget::LoadBudget(qint64 fileSize, qint64 maxCount)
    : m_limit(limitFor(fileSize)), m_maxCount(maxCount)
{
}

qint64 LoadBudget::limitFor(qint64 fileSize)
{
    return Factor * qMax<qint64>(fileSize, 0) + s_allowance;
}

qint64 LoadBudget::allowance()
{
    return s_allowance;
}

void LoadBudget::setAllowance(qint64 bytes)
{
    s_allowance = bytes > 0 ? bytes : DefaultAllowance;
}

bool LoadBudget::charge(qint64 bytes, qint64 count)
{
    const qint64 total = m_charged.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    if (total > m_limit)
        refuse(OverMemory);
    if (count) {
        const qint64 n = m_count.fetch_add(count, std::memory_order_relaxed) + count;
        if (m_maxCount >= 0 && n > m_maxCount)
            refuse(OverCount);
    }
    return !isSpent();
}

void LoadBudget::refuse(Outcome why)
{
    int within = Within;
    m_outcome.compare_exchange_strong(within, why, std::memory_order_relaxed);
}

bool LoadBudget::isSpent()
{
    if (m_outcome.load(std::memory_order_relaxed) != Within)
        return true;
    if (!UnixSignalNotifier::pending())
        return false;
    refuse(Stopped);
    return true;
}
