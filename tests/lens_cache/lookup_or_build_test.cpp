// The lookup-or-build protocol on a cache of plain entries: one build per
// key, nothing remembered about a failed build, failures answered -1.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "cache/SurfaceCache.h"

namespace {

using quelbrant::SurfaceCache;

struct Entry {
    explicit Entry(int v) : value(v) {}
    int value;
};

TEST(LookupOrBuild, BuildsOnceThenServesTheEntry)
{
    SurfaceCache<Entry> cache;
    int builds = 0;
    const auto build = [&] {
        ++builds;
        return std::make_unique<Entry>(41);
    };
    const auto work = [](const Entry& e) { return e.value + 1; };
    for (int call = 0; call < 3; ++call)
        EXPECT_EQ(cache.lookupOrBuild(7, build, work, [] { FAIL() << "no failure expected"; }), 42);
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(cache.size(), 1u);
}

TEST(LookupOrBuild, FailedBuildLeavesNoEntryAndIsRetriedByTheNextCall)
{
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Entry>()> failingBuild;
    };
    const Case cases[] = {
        {"int error index", []() -> std::unique_ptr<Entry> { throw 3; }},
        {"standard exception", []() -> std::unique_ptr<Entry> { throw std::runtime_error("no file"); }},
        {"no entry made", [] { return std::unique_ptr<Entry>(); }},
    };
    for (const Case& c : cases) {
        SurfaceCache<Entry> cache;
        int failures = 0, works = 0;
        const auto work = [&](const Entry&) { return ++works; };
        EXPECT_EQ(cache.lookupOrBuild(1, c.failingBuild, work, [&] { ++failures; }), -1) << c.what;
        EXPECT_EQ(cache.lookupOrBuild(1, c.failingBuild, work, [&] { ++failures; }), -1) << c.what;
        EXPECT_EQ(failures, 2) << c.what;
        EXPECT_EQ(works, 0) << c.what;
        EXPECT_EQ(cache.size(), 0u) << c.what;
        // The lock was released: the next build of the key goes through.
        EXPECT_EQ(cache.lookupOrBuild(1, [] { return std::make_unique<Entry>(5); }, work, [] {}), 1) << c.what;
    }
}

TEST(LookupOrBuild, FailingWorkKeepsTheEntry)
{
    SurfaceCache<Entry> cache;
    int builds = 0;
    const auto build = [&] {
        ++builds;
        return std::make_unique<Entry>(1);
    };
    EXPECT_EQ(cache.lookupOrBuild(
                  9, build, [](const Entry&) -> int { throw std::logic_error("trace failed"); }, [] {}),
              -1);
    EXPECT_EQ(cache.lookupOrBuild(9, build, [](const Entry& e) { return e.value; }, [] {}), 1);
    EXPECT_EQ(builds, 1);
}

TEST(LookupOrBuild, ThrowingFailureActionStillAnswersMinusOne)
{
    SurfaceCache<Entry> cache;
    EXPECT_EQ(cache.lookupOrBuild(
                  2, []() -> std::unique_ptr<Entry> { throw 1; }, [](const Entry&) { return 0; },
                  [] { throw std::bad_alloc(); }),
              -1);
}

}  // namespace
