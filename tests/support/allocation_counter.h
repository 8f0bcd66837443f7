#pragma once

// Watches the global operator new of the current thread, so a test can state
// that a per-ray routine allocates nothing, or that a load refuses a huge
// table instead of requesting it. The replacements live in
// allocation_counter_definitions.h, which exactly one source file of each
// test program that uses this header includes.

#include <cstddef>

size_t allocationsOnThisThread();

// The largest single request (bytes) of this thread since the last reset,
// refused requests included.
size_t largestAllocationOnThisThread();
void resetLargestAllocationOnThisThread();

// Requests above this many bytes on this thread fail with std::bad_alloc
// without reaching the system; 0 means no limit.
void setAllocationLimitOnThisThread(size_t bytes);

// Makes this thread's n-th request from now (n >= 1) fail as if the system
// refused it; 0 cancels. Whether that failure has happened since:
// allocationFailedOnThisThread().
void failAllocationOnThisThread(size_t n);
bool allocationFailedOnThisThread();

class AllocationCount {
public:
    AllocationCount() : mStart(allocationsOnThisThread()) {}
    size_t sinceStart() const { return allocationsOnThisThread() - mStart; }

private:
    size_t mStart;
};

// For its lifetime, refuses this thread's requests above `limit` bytes and
// records the largest request.
class AllocationLimit {
public:
    explicit AllocationLimit(size_t limit)
    {
        resetLargestAllocationOnThisThread();
        setAllocationLimitOnThisThread(limit);
    }
    ~AllocationLimit() { setAllocationLimitOnThisThread(0); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

    size_t largestRequest() const { return largestAllocationOnThisThread(); }
};

// For its lifetime, this thread's n-th request from now fails.
class FailingAllocation {
public:
    explicit FailingAllocation(size_t n) { failAllocationOnThisThread(n); }
    ~FailingAllocation() { failAllocationOnThisThread(0); }
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    bool triggered() const { return allocationFailedOnThisThread(); }
};
