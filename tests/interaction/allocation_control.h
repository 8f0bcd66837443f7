#pragma once

// Control over the global operator new of the test program, per thread:
// counting the calls, and making one of them fail.

#include <cstddef>

// Calls of the global operator new made so far by the calling thread.
size_t allocationsOnThisThread();

// While alive, the calling thread's n-th allocation from now (n >= 1)
// throws std::bad_alloc (or returns null for the nothrow forms); later
// ones succeed again.
class FailingAllocation {
public:
    explicit FailingAllocation(size_t n);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    // Whether the failure has happened.
    bool triggered() const;
};
