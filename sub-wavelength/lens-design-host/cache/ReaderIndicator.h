#pragma once

// A fast path for the readers of a read-mostly structure guarded by a
// reader-writer lock. boost::shared_mutex takes one internal mutex on every
// lock_shared and unlock_shared, so host threads tracing rays on one cached
// surface all bounce that mutex's cache line between them. Here a reader
// instead counts itself on a cache line picked by its thread id (threads
// that share one still count correctly) and reads while the fast path is open. A writer that holds
// the lock exclusively closes the fast path and waits until every counted
// reader has left before it changes anything; readers arriving meanwhile
// fall back to the lock, where they wait as before. So writers still never
// overlap a reader, and readers still never wait for one another.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

namespace quelbrant {

class ReaderIndicator {
public:
    // True when the caller may read: it is counted until depart(). False when
    // a writer has closed the fast path (the caller takes the lock instead).
    bool tryArrive()
    {
        std::atomic<unsigned>& readers = mSlots[threadSlot()].readers;
        // Both sequentially consistent: either the writer sees this count or
        // this reader sees the path closed (Dekker's pattern).
        readers.fetch_add(1, std::memory_order_seq_cst);
        if (mOpen.load(std::memory_order_seq_cst))
            return true;
        readers.fetch_sub(1, std::memory_order_release);
        return false;
    }

    void depart() { mSlots[threadSlot()].readers.fetch_sub(1, std::memory_order_release); }

    // Call holding the lock exclusively: after it no fast reader is inside,
    // and none enters until reopen().
    void closeAndDrain()
    {
        mOpen.store(false, std::memory_order_seq_cst);
        for (Slot& slot : mSlots)
            while (slot.readers.load(std::memory_order_seq_cst) != 0)
                std::this_thread::yield();
    }

    void reopen() { mOpen.store(true, std::memory_order_seq_cst); }

private:
    static constexpr std::size_t SlotCount = 32;  // the top 5 bits of the hash

    // The counter sits a full cache line away from its neighbours' (padding
    // rather than alignas: the caches may live in over-alignment-unaware
    // storage on Windows).
    struct Slot {
        char leadingPad[64];
        std::atomic<unsigned> readers{0};
        char trailingPad[60];
    };

    // The calling thread's slot: its id spread by Fibonacci hashing (Linux
    // thread ids are addresses far apart by powers of two). No thread_local,
    // which the Windows toolchain emulates with clean-up at thread exit.
    static std::size_t threadSlot()
    {
        const std::uint64_t id = std::hash<std::thread::id>()(std::this_thread::get_id());
        return static_cast<std::size_t>((id * 0x9e3779b97f4a7c15ULL) >> 59);
    }

    Slot mSlots[SlotCount];
    std::atomic<bool> mOpen{true};
};

}  // namespace quelbrant
