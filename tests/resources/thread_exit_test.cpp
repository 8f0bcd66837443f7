// A thread that traced rays and ends gives back its working storage, and
// only that: hosts run rays on pools whose threads come and go.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "LiveHeap.h"
#include "orvik-plugin-exports.h"

namespace {

// Traces rays of several sizes on the calling thread, so that its working
// storage holds grown buffers when the thread ends.
void traceSomeRays(void* instance)
{
    for (int i = 0; i < 50; ++i) {
        double direction[3] = {0.1 * (i % 7), -0.05 * (i % 5), -1.0};
        BsdfPluginInteraction_V2 record{};
        record.instance = instance;
        record.direction = direction;
        record.lambda = 450.0 + 4.0 * i;
        record.energy = 1.0;
        record.esr = 1.0;
        record.n1 = 1.0;
        record.n2 = 1.5;
        record.x = -4.0 + 0.16 * i;
        // An outgoing ray (+-1 specular, +-6 other order) or none (0); never
        // an error index.
        const int result = Interaction_V2(&record);
        ASSERT_TRUE(result == 0 || result == 1 || result == -1 || result == 6 || result == -6)
            << "ray " << i << ": " << result;
    }
}

}  // namespace

TEST(ThreadExit, EndingThreadsReleaseExactlyTheirRayStorage)
{
    const std::wstring file = (std::filesystem::path(QUELBRANT_DATA_DIR) / "grating-2d-positions.json").wstring();
    void* instance = nullptr;
    ASSERT_EQ(LoadFile(file.c_str(), instance), 0);
    // One-time state (random device, any process-wide slot) settles here.
    std::thread(traceSomeRays, instance).join();

    const size_t before = liveHeapBytes();
    for (int round = 0; round < 20; ++round) {
        std::thread workers[4];
        for (std::thread& w : workers)
            w = std::thread(traceSomeRays, instance);
        for (std::thread& w : workers)
            w.join();
        ASSERT_EQ(liveHeapBytes(), before) << "after round " << round;
    }
    EXPECT_EQ(Release(instance), 0);
}
