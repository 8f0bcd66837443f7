#pragma once

// The replaceable global allocation functions behind allocation_counter.h.
// Include this file in exactly one source file of a test program.

#include <cstdlib>
#include <new>

#include "allocation_counter.h"

namespace {

thread_local size_t gAllocations = 0;
thread_local size_t gLargestRequest = 0;
thread_local size_t gLimit = 0;
thread_local size_t gFailingRequest = 0;  // value of gAllocations that fails; 0: none
thread_local bool gFailed = false;

// Null when the request is over this thread's limit, is the one chosen to
// fail, or the system refuses.
void* tryAllocate(std::size_t size) noexcept
{
    ++gAllocations;
    if (size > gLargestRequest)
        gLargestRequest = size;
    if (gLimit != 0 && size > gLimit)
        return nullptr;
    if (gFailingRequest != 0 && gAllocations == gFailingRequest) {
        gFailed = true;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* allocate(std::size_t size)
{
    if (void* p = tryAllocate(size))
        return p;
    throw std::bad_alloc();
}

void release(void* p) noexcept
{
    std::free(p);
}

}  // namespace

size_t allocationsOnThisThread()
{
    return gAllocations;
}

size_t largestAllocationOnThisThread()
{
    return gLargestRequest;
}

void resetLargestAllocationOnThisThread()
{
    gLargestRequest = 0;
}

void setAllocationLimitOnThisThread(size_t bytes)
{
    gLimit = bytes;
}

void failAllocationOnThisThread(size_t n)
{
    gFailed = false;
    gFailingRequest = n == 0 ? 0 : gAllocations + n;
}

bool allocationFailedOnThisThread()
{
    return gFailed;
}

#include "replaced_global_allocation.h"
