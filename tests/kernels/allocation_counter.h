#pragma once

// Counts the calls of the global operator new made by the current thread,
// so a test can state that a per-ray routine allocates nothing.

#include <cstddef>

size_t allocationsOnThisThread();

class AllocationCount {
public:
    AllocationCount() : mStart(allocationsOnThisThread()) {}
    size_t sinceStart() const { return allocationsOnThisThread() - mStart; }

private:
    size_t mStart;
};
