#include "allocation_control.h"

#include <cstdlib>
#include <new>

// Every replaceable non-aligned form is replaced, so that memory from these
// forms is always released by the matching replacement (the sanitizers check
// that pairs match). The aligned forms keep their defaults.

namespace {

thread_local size_t gAllocations = 0;
thread_local size_t gFailAt = 0;  // allocation count that fails; 0: none
thread_local bool gTriggered = false;

bool failsNow()
{
    ++gAllocations;
    if (gFailAt != 0 && gAllocations == gFailAt) {
        gTriggered = true;
        return true;
    }
    return false;
}

void* allocate(std::size_t size)
{
    if (!failsNow()) {
        if (void* p = std::malloc(size == 0 ? 1 : size))
            return p;
    }
    throw std::bad_alloc();
}

void* allocateNoThrow(std::size_t size) noexcept
{
    if (failsNow())
        return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

size_t allocationsOnThisThread()
{
    return gAllocations;
}

FailingAllocation::FailingAllocation(size_t n)
{
    gTriggered = false;
    gFailAt = gAllocations + n;
}

FailingAllocation::~FailingAllocation()
{
    gFailAt = 0;
}

bool FailingAllocation::triggered() const
{
    return gTriggered;
}

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateNoThrow(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
