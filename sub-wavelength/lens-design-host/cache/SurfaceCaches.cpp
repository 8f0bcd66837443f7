#include <chrono>
#include <thread>

#include "cache/CachedSequentialSurface.h"
#include "cache/CachedSurface.h"
#include "cache/SurfaceCache.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quelbrant {

void pauseBeforeCacheRetry()
{
#if defined(_WIN32)
    ::Sleep(100);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
#endif
}

// Both live until the library is unloaded; every surface they hold is freed
// then, never before.
SurfaceCache<CachedSurface>& diffractionSurfaceCache()
{
    static SurfaceCache<CachedSurface> cache;
    return cache;
}

SurfaceCache<CachedSequentialSurface>& sequentialSurfaceCache()
{
    static SurfaceCache<CachedSequentialSurface> cache;
    return cache;
}

}  // namespace quelbrant
