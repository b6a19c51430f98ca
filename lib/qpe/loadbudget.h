#ifndef LOADBUDGET_H
#define LOADBUDGET_H

#include <QtGlobal>

#include <atomic>

// What reading one file may cost, counted while it is read. A file well
// under its size limit can still describe far more than its bytes (an empty
// record costs some fifty times the four bytes of its "END" line), so its
// readers charge an estimate of the memory each thing they keep takes, and
// stop once the file would cost more than factor() times its size plus
// allowance(), or hold more entries than its kind allows. The file is then
// refused whole. A signal that ends the program (UnixSignalNotifier) ends
// the read as well, so that a long one never keeps the program from
// answering it. Readers on several threads may charge one budget at once.
class LoadBudget
{
public:
    enum Outcome {
        Within,
        // the memory the file would take is over the limit
        OverMemory,
        // more entries than the file's kind may hold
        OverCount,
        // one entry holds more than an entry may (categories of a record)
        OverEntry,
        // a signal asks the program to end
        Stopped,
    };

    // Memory per byte of file, what the program's own files take at most.
    static const int Factor = 4;
    // On top of that for any file: a small file of many small entries.
    static const qint64 DefaultAllowance = 16 * 1024 * 1024;

    // The budget of a file of fileSize bytes; maxCount entries at most
    // (-1: any number).
    explicit LoadBudget(qint64 fileSize, qint64 maxCount = -1);
    LoadBudget(const LoadBudget &) = delete;
    LoadBudget &operator=(const LoadBudget &) = delete;

    static qint64 limitFor(qint64 fileSize);
    static qint64 allowance();
    // For tests; 0 brings back the default.
    static void setAllowance(qint64 bytes);

    // Heap bytes that one allocation of n bytes takes (the allocator's
    // header and rounding): the unit of every estimate.
    static qint64 heapBytes(qint64 n)
    {
        const qint64 chunk = (n + 8 + 15) & ~qint64(15);
        return chunk < 32 ? 32 : chunk;
    }

    // Counts bytes and entries more; false once the budget is spent.
    bool charge(qint64 bytes, qint64 count = 0);
    // The read ends for why (the first reason given stays).
    void refuse(Outcome why);
    // Over a limit or stopped: the reader reads nothing more.
    bool isSpent();
    Outcome outcome() const { return Outcome(m_outcome.load(std::memory_order_relaxed)); }
    qint64 limit() const { return m_limit; }
    qint64 maxCount() const { return m_maxCount; }
    qint64 charged() const { return m_charged.load(std::memory_order_relaxed); }
    qint64 count() const { return m_count.load(std::memory_order_relaxed); }

private:
    qint64 m_limit;
    qint64 m_maxCount;
    std::atomic<qint64> m_charged{0};
    std::atomic<qint64> m_count{0};
    std::atomic<int> m_outcome{Within};
};

#endif
