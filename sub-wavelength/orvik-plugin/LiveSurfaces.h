#pragma once

// The surfaces LoadFile has handed out and Release has not yet destroyed.
// Only loads, releases and the GPU view touch the set, under a lock of its
// own; a ray never does, so tracing stays lock-free and a released instance
// must simply not be traced any more.

namespace quelbrant {

// Adds a surface that was just loaded. Throws std::bad_alloc when memory runs
// out (the surface is then not handed out).
void addLiveSurface(const void* instance);

// Takes a surface out of the set: true when it was in it, so that its caller
// destroys it once; false for anything else (released before, or never
// loaded here), which must not be freed.
bool removeLiveSurface(const void* instance);

// Calls read(instance, context) when instance is a surface LoadFile handed
// out and Release has not destroyed, under the set's lock, so that a Release
// of it waits until the reading is done; false, nothing read, otherwise.
bool readLiveSurface(const void* instance, void (*read)(const void* instance, void* context), void* context);

}  // namespace quelbrant
