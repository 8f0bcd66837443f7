// Rays of many host threads through one cached diffraction surface while
// other threads load new surfaces into the same cache: every ray is served
// from the entry it names, and (under ThreadSanitizer) nothing the rays read
// is written meanwhile.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "DiffractionBlock.h"
#include "diffraction/DiffractionRequest.h"

namespace {

using namespace quelbrant;
using lenstest::DiffractionBlock;
using D = DiffractionData;

TEST(DiffractionCacheConcurrency, RaysOnOneEntryWhileOtherSurfacesLoad)
{
    lenstest::GratingFolder folder;
    folder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json", "g.json");
    const double t = 10.0 * 3.141592653589793 / 180.0;
    const auto ray = [&](double rotation) {
        DiffractionBlock block;
        folder.fill(block, "g.json");
        block.setParams({0.0, 0.0, 0.0, 0.0, rotation});
        block.setRay({std::sin(t), 0.0, std::cos(t)}, 0.55, 1.5, 1.0);
        block.setField({0, 0, -1, 0, 0, 0});
        block.setOrder(1, 0);
        return block;
    };
    const double expectedX = 1.5 * std::sin(t) + 0.55;
    ASSERT_EQ(runUserDiffraction2D(ray(0.0).data()), 0);

    std::atomic<bool> loadsDone{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < 8; ++r)
        threads.emplace_back([&] {
            int traced = 0;
            while (!loadsDone.load() || traced < 200) {
                DiffractionBlock block = ray(0.0);
                if (runUserDiffraction2D(block.data()) != 0 || std::abs(block[D::outCosine] - expectedX) > 1e-9)
                    ++wrong;
                ++traced;
            }
        });
    std::vector<std::thread> loaders;
    for (int l = 0; l < 2; ++l)
        loaders.emplace_back([&, l] {
            // Each rotation is a new entry: a load of its own.
            for (int k = 1; k <= 4; ++k) {
                DiffractionBlock block = ray(10.0 * k + l);
                if (runUserDiffraction2D(block.data()) != 0)
                    ++wrong;
            }
        });
    for (std::thread& loader : loaders)
        loader.join();
    loadsDone = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
