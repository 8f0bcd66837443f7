// Loading and releasing the same file again and again leaves the process
// as it was: the surface releases everything it took, and the only memory
// a load keeps is its entries in the error table, which is bounded.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ErrorTable.h"
#include "LiveHeap.h"
#include "ResourceTestSupport.h"

using namespace quelbrant;

using namespace resourcetest;

namespace {

constexpr int Cycles = 1000;

}  // namespace

TEST(ResourceBounds, ThousandLoadsAndReleasesOfOneFileLeaveTheHeapAsItWas)
{
    TempDir dir;
    const std::wstring file = wideName(dir.write("positions.json", positionsDocument().dump()));
    fillBoundedBuffers();
    ASSERT_EQ(loadAndRelease(file), 0);  // first-use statics (schema, scratch) settle here
    const size_t heapBefore = liveHeapBytes();
    const size_t entriesBefore = errorTableSize();
    const size_t residentBefore = residentBytes();
    for (int i = 0; i < Cycles; ++i)
        ASSERT_EQ(loadAndRelease(file), 0) << "cycle " << i;
    EXPECT_EQ(liveHeapBytes(), heapBefore);
    EXPECT_EQ(errorTableSize(), entriesBefore);
    // The allocator may keep freed pages, but a thousand loads of a
    // 10 kB file must not add megabytes.
    if (residentBefore != 0) {
        EXPECT_LT(residentBytes(), residentBefore + (8u << 20));
    }
}

TEST(ResourceBounds, EveryShippedSampleReleasesWhatItLoads)
{
    fillBoundedBuffers();
    for (const auto& entry : std::filesystem::directory_iterator(QUELBRANT_DATA_DIR)) {
        if (entry.path().extension() != ".json")
            continue;
        const std::wstring file = wideName(entry.path());
        ASSERT_EQ(loadAndRelease(file), 0) << entry.path();
        const size_t heapBefore = liveHeapBytes();
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(loadAndRelease(file), 0) << entry.path();
        EXPECT_EQ(liveHeapBytes(), heapBefore) << entry.path();
    }
}

TEST(ResourceBounds, RepeatedFailedLoadsKeepNothingOnceTheTableIsFull)
{
    // Below NoteLimit each failure appends its message (a host may list
    // them); beyond it the same failure returns the entry it had, so a host
    // that retries a broken file forever does not grow the process.
    TempDir dir;
    json doc = positionsDocument();
    doc["grat_results_upper"]["T"]["_size"] = {2, 2, 2, 2, 3, 2, 3};  // more elements than given
    const std::wstring file = wideName(dir.write("broken.json", doc.dump()));
    fillBoundedBuffers();
    const bool tableWasFull = errorTableSize() >= ErrorLimit;  // another test in this process filled it
    const int first = loadAndRelease(file);
    ASSERT_GT(first, 0);
    const size_t heapBefore = liveHeapBytes();
    const size_t entriesBefore = errorTableSize();
    for (int i = 0; i < Cycles; ++i)
        ASSERT_EQ(loadAndRelease(file), first);
    EXPECT_EQ(errorTableSize(), entriesBefore);
    EXPECT_EQ(liveHeapBytes(), heapBefore);
    if (!tableWasFull) {
        EXPECT_STREQ(errorDescription(first), L"_data size and _size information not match.");
    }
}
