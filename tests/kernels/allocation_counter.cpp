#include "allocation_counter.h"

#include <cstdlib>
#include <new>

// Every replaceable non-aligned form is replaced, so that memory from these
// forms is always released by the matching replacement (the sanitizers check
// that pairs match). The aligned forms keep their defaults, which pair with
// each other.

namespace {

thread_local size_t gAllocations = 0;

void* allocate(std::size_t size)
{
    ++gAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateNoThrow(std::size_t size) noexcept
{
    ++gAllocations;
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

size_t allocationsOnThisThread()
{
    return gAllocations;
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
