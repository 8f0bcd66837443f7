#include "LiveSurfaces.h"

#include <mutex>
#include <unordered_set>

namespace quelbrant {

namespace {

struct LiveSet {
    std::mutex mutex;
    std::unordered_set<const void*> instances;
};

// Never destroyed: a host may release its surfaces from its own static
// destructors, after this library's would have run.
LiveSet& liveSet()
{
    static LiveSet* const set = new LiveSet;
    return *set;
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

}  // namespace quelbrant
