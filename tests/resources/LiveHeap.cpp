#include "LiveHeap.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Each block carries its size in a header of one max_align_t, so that the
// replacement keeps the alignment operator new promises and delete knows
// how much is released without a sized delete.

namespace {

constexpr size_t HeaderBytes = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t)
                                                                          : sizeof(size_t);

std::atomic<size_t> gLive{0};
std::atomic<size_t> gPeak{0};
std::atomic<size_t> gLargest{0};
std::atomic<size_t> gRequests{0};
std::atomic<size_t> gFailingRequest{0};  // value of gRequests that fails; 0: none
std::atomic<bool> gFailed{false};

void raiseTo(std::atomic<size_t>& value, size_t candidate)
{
    size_t seen = value.load(std::memory_order_relaxed);
    while (candidate > seen && !value.compare_exchange_weak(seen, candidate, std::memory_order_relaxed)) {
    }
}

void* tryAllocate(size_t size) noexcept
{
    raiseTo(gLargest, size);
    const size_t request = gRequests.fetch_add(1, std::memory_order_relaxed) + 1;
    if (request == gFailingRequest.load(std::memory_order_relaxed)) {
        gFailed.store(true, std::memory_order_relaxed);
        return nullptr;
    }
    if (size > static_cast<size_t>(-1) - HeaderBytes)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + HeaderBytes));
    if (block == nullptr)
        return nullptr;
    *reinterpret_cast<size_t*>(block) = size;
    raiseTo(gPeak, gLive.fetch_add(size, std::memory_order_relaxed) + size);
    return block + HeaderBytes;
}

void* allocate(size_t size)
{
    if (void* p = tryAllocate(size))
        return p;
    throw std::bad_alloc();
}

void release(void* p) noexcept
{
    if (p == nullptr)
        return;
    unsigned char* block = static_cast<unsigned char*>(p) - HeaderBytes;
    gLive.fetch_sub(*reinterpret_cast<size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

size_t liveHeapBytes()
{
    return gLive.load(std::memory_order_relaxed);
}

size_t peakLiveHeapBytes()
{
    return gPeak.load(std::memory_order_relaxed);
}

size_t largestHeapRequest()
{
    return gLargest.load(std::memory_order_relaxed);
}

void resetHeapPeaks()
{
    gPeak.store(liveHeapBytes(), std::memory_order_relaxed);
    gLargest.store(0, std::memory_order_relaxed);
}

size_t heapRequests()
{
    return gRequests.load(std::memory_order_relaxed);
}

void failHeapRequest(size_t n)
{
    gFailed.store(false, std::memory_order_relaxed);
    gFailingRequest.store(n == 0 ? 0 : heapRequests() + n, std::memory_order_relaxed);
}

bool heapRequestFailed()
{
    return gFailed.load(std::memory_order_relaxed);
}

#include "replaced_global_allocation.h"
