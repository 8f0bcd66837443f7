// Many host threads on the user-defined surface at once: eight trace real
// rays through one cached surface while two others load new files into the
// same cache. Every ray comes out as the same ray traced alone.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "UserSurfaceCall.h"

namespace quelbrant::testing {
namespace {

UserSurfaceCall asphereRay()
{
    UserSurfaceCall call(5, "shared.json");
    call.out->x = 4.0;
    call.out->y = -2.0;
    call.out->z = -1.0;
    call.out->l = 0.1;
    call.out->n = std::sqrt(0.99);
    call.in->wavelength = 0.55;
    call.in->approachIndex = 1.5;
    call.in->exitIndex = 1.0;
    call.in->curvature = 0.02;
    call.in->param[1] = 1;
    call.in->param[3] = 20.0;
    call.in->param[16] = 1e-5;
    return call;
}

TEST(UserSurfaceConcurrency, RaysOnOneSurfaceWhileOthersLoad)
{
    DataFolder folder;
    folder.install("grating-1d.json", "shared.json");
    for (int i = 0; i < 4; ++i)
        folder.install("bare-interface.json", "other-" + std::to_string(i) + ".json");
    UserSurfaceCall reference = asphereRay();
    ASSERT_EQ(reference.run(), 0);

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                UserSurfaceCall call = asphereRay();
                if (call.run() != 0 || !call.recordsEqual(reference))
                    ++wrong;
            }
        });
    }
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2; ++i) {
                UserSurfaceCall load(2, "other-" + std::to_string(2 * t + i) + ".json");
                if (load.run() != 0)
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace quelbrant::testing
