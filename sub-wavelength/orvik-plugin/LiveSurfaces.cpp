#include "LiveSurfaces.h"

#include <mutex>
#include <unordered_set>

namespace quelbrant {

namespace {

struct LiveSet {
    std::mutex mutex;
    std::unordered_set<const void*> instances;
};

// Goes with the library when it is unloaded, like the error table: a host
// that unloads it has no surfaces left to release.
LiveSet& liveSet()
{
    static LiveSet set;
    return set;
}

}  // namespace

void addLiveSurface(const void* instance)
{
    LiveSet& set = liveSet();
    std::lock_guard<std::mutex> lock(set.mutex);
    set.instances.insert(instance);
}

bool removeLiveSurface(const void* instance)
{
    LiveSet& set = liveSet();
    std::lock_guard<std::mutex> lock(set.mutex);
    return set.instances.erase(instance) == 1;
}

bool readLiveSurface(const void* instance, void (*read)(const void* instance, void* context), void* context)
{
    LiveSet& set = liveSet();
    std::lock_guard<std::mutex> lock(set.mutex);
    if (set.instances.count(instance) == 0)
        return false;
    read(instance, context);
    return true;
}

}  // namespace quelbrant
