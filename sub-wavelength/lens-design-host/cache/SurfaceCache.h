#pragma once

// A process-wide map from a 64-bit key to an owned, never-evicted entry
// (a loaded surface), shared by any number of host threads.
//
// Lookup-or-build: a caller takes the shared lock and looks its key up. On a
// miss it only tries to become the one builder (upgrade ownership); a caller
// that cannot gives its shared ownership up, sleeps 100 ms and starts again,
// so it never waits on the builder while holding the lock. The builder waits
// for the shared owners to leave, looks again, builds, stores and turns its
// exclusive ownership back into shared ownership without a gap, then does
// its work like every other caller. Entries are only ever added, so an entry
// found under the shared lock stays valid for the whole call.
//
// A call whose entry is cached takes the reader fast path (ReaderIndicator.h)
// instead of the shared lock; a builder closes that path and waits for its
// readers before it inserts, so what a caller observes is the same: one build
// per key, no reader while the map changes, the retry rule for missing callers.

#include <cstddef>
#include <map>
#include <memory>
#include <utility>

#include "CacheLinePad.h"
#include "cache/ReaderIndicator.h"
#include "cache/SharedMutex.h"

namespace quelbrant {

// The pause of a caller that missed while another thread builds.
void pauseBeforeCacheRetry();

template <class Entry>
class SurfaceCache {
public:
    // build() -> std::unique_ptr<Entry>; work(const Entry&) -> int.
    // Returns work's result, or -1 when build or work throws anything;
    // onBuildFailure() runs after the lock is released when build threw.
    // Nothing is remembered about a failed build.
    template <class Build, class Work, class OnBuildFailure>
    int lookupOrBuild(std::size_t key, Build&& build, Work&& work, OnBuildFailure&& onBuildFailure)
    {
        if (mFastReaders.tryArrive()) {
            if (const Entry* cached = find(key)) {
                const int result = runWork(work, *cached);
                mFastReaders.depart();
                return result;
            }
            mFastReaders.depart();
        }
        const Entry* entry = nullptr;
        for (;;) {
            mMutex.lock_shared();
            entry = find(key);
            if (entry)
                break;
            if (!mMutex.try_unlock_shared_and_lock_upgrade()) {
                mMutex.unlock_shared();
                pauseBeforeCacheRetry();
                continue;
            }
            mMutex.unlock_upgrade_and_lock();
            try {
                entry = findOrInsert(key, build);
            } catch (...) {
                mMutex.unlock();
                try {
                    onBuildFailure();
                } catch (...) {
                }
                return -1;
            }
            mMutex.unlock_and_lock_shared();
            break;
        }
        const int result = runWork(work, *entry);
        mMutex.unlock_shared();
        return result;
    }

    // Entries held; for tests and diagnostics.
    std::size_t size() const
    {
        mMutex.lock_shared();
        const std::size_t count = mEntries.size();
        mMutex.unlock_shared();
        return count;
    }

private:
    friend struct SurfaceCacheTesting;

    template <class Work>
    static int runWork(Work& work, const Entry& entry) noexcept
    {
        try {
            return work(entry);
        } catch (...) {
            return -1;
        }
    }

    const Entry* find(std::size_t key) const
    {
        const auto found = mEntries.find(key);
        return found == mEntries.end() ? nullptr : found->second.get();
    }

    // Under exclusive ownership: another thread may have built the entry
    // between our miss and our upgrade.
    template <class Build>
    const Entry* findOrInsert(std::size_t key, Build& build)
    {
        if (const Entry* existing = find(key))
            return existing;
        std::unique_ptr<Entry> made = build();
        const Entry* entry = made.get();
        if (!entry)
            throw 0;
        // No fast reader may be inside the map while it changes.
        mFastReaders.closeAndDrain();
        try {
            mEntries.emplace(key, std::move(made));
        } catch (...) {
            mFastReaders.reopen();
            throw;
        }
        mFastReaders.reopen();
        return entry;
    }

    // Every cached call walks the map: its header keeps lines of its own.
    CacheLinePad mLeadingPad;
    std::map<std::size_t, std::unique_ptr<Entry>> mEntries;
    CacheLinePad mTrailingPad;
    mutable SharedMutex mMutex;
    ReaderIndicator mFastReaders;
};

struct CachedSurface;
struct CachedSequentialSurface;

SurfaceCache<CachedSurface>& diffractionSurfaceCache();
SurfaceCache<CachedSequentialSurface>& sequentialSurfaceCache();

}  // namespace quelbrant
