#pragma once

// The replaceable non-aligned global allocation forms, routed to three
// functions the including file defines before including this header:
//   void* allocate(std::size_t)         throws std::bad_alloc on failure
//   void* tryAllocate(std::size_t)      null on failure
//   void release(void*)                 frees what either of them returned
// Include it in exactly one source file of a test program. Every
// non-aligned form is replaced, so memory from them is always released by
// the matching replacement (the sanitizers check that pairs match); the
// aligned forms keep their defaults, which pair with each other.

#include <cstddef>
#include <new>

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
    return tryAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return tryAllocate(size);
}
void operator delete(void* p) noexcept
{
    release(p);
}
void operator delete[](void* p) noexcept
{
    release(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    release(p);
}
