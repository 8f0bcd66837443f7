// Many host threads on one cache: missing callers of one key load it once;
// threads working on a cached entry run while other keys are built, and a
// builder never changes the map under a reader (ThreadSanitizer checks the
// latter in the tsan stage).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "cache/SurfaceCache.h"

namespace {

using quelbrant::SurfaceCache;

struct Entry {
    explicit Entry(std::size_t k) : key(k), payload(64, static_cast<int>(k)) {}
    std::size_t key;
    std::vector<int> payload;
};

TEST(SurfaceCacheConcurrency, ThreadsMissingOneKeyBuildItOnce)
{
    SurfaceCache<Entry> cache;
    std::atomic<int> builds{0};
    std::atomic<int> served{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            while (!go.load())
                std::this_thread::yield();
            const int result = cache.lookupOrBuild(
                5,
                [&] {
                    ++builds;
                    // A slow load, so that the others miss meanwhile.
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    return std::make_unique<Entry>(5);
                },
                [](const Entry& e) { return static_cast<int>(e.key); }, [] {});
            if (result == 5)
                ++served;
        });
    go = true;
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(builds.load(), 1);
    EXPECT_EQ(served.load(), 8);
}

TEST(SurfaceCacheConcurrency, RaysOnOneEntryWhileOtherKeysAreBuilt)
{
    SurfaceCache<Entry> cache;
    const auto work = [](const Entry& e) {
        int sum = 0;
        for (int v : e.payload)
            sum += v;
        return sum / static_cast<int>(e.payload.size());
    };
    ASSERT_EQ(cache.lookupOrBuild(0, [] { return std::make_unique<Entry>(0); }, work, [] {}), 0);

    constexpr int builders = 3;
    constexpr std::size_t keysPerBuilder = 20;
    std::atomic<int> builds{0};
    std::atomic<bool> buildersDone{false};
    std::atomic<long> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            long rays = 0;
            while (!buildersDone.load() || rays < 1000) {
                if (cache.lookupOrBuild(0, [] { return std::make_unique<Entry>(0); }, work, [] {}) != 0)
                    ++wrong;
                ++rays;
            }
        });
    std::vector<std::thread> building;
    for (int b = 0; b < builders; ++b)
        building.emplace_back([&, b] {
            // Each key is asked for by two builders; each must be built once.
            for (std::size_t i = 1; i <= keysPerBuilder; ++i) {
                const std::size_t key = 1 + (i + static_cast<std::size_t>(b % 2)) % keysPerBuilder;
                const int result = cache.lookupOrBuild(
                    key,
                    [&] {
                        ++builds;
                        return std::make_unique<Entry>(key);
                    },
                    work, [] {});
                if (result != static_cast<int>(key))
                    ++wrong;
            }
        });
    for (std::thread& t : building)
        t.join();
    buildersDone = true;
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(builds.load(), static_cast<int>(keysPerBuilder));
    EXPECT_EQ(cache.size(), keysPerBuilder + 1);
}

}  // namespace
