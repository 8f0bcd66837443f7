// Loads on several threads at once share the error table, the logger and
// the parsed schema; each must still get its own surface or its own error.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "LoaderTestSupport.h"

using namespace quelbrant;

using namespace loadertest;

TEST(LoaderConcurrency, SurfacesLoadOnSeveralThreadsAtOnce)
{
    TempDir dir;
    const std::wstring good = wideName(std::filesystem::path(QUELBRANT_DATA_DIR) / "grating-1d.json");
    json broken = document();
    broken["grat_results_lower"]["angle_definition"] = {{"ux", {0.0}}, {"uy", {0.0}}};
    const std::wstring bad = wideName(dir.write("broken.json", broken));
    const std::string expected =
        "Schema validation failed: grat_results_lower and grat_results_upper must give their angles in the "
        "same form (both theta/phi, both ux/uy or both kx/ky).";

    constexpr int Threads = 4;
    constexpr int Rounds = 3;
    std::atomic<int> loaded{0};
    std::atomic<int> rightErrors{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t) {
        workers.emplace_back([&, t] {
            for (int round = 0; round < Rounds; ++round) {
                try {
                    GratingSurface surface(good.c_str(), false, false, (t + round) % 2 == 0);
                    if (Access::m_list_orders_Rn(surface)[0] == std::vector<int>{-1, 0, 1})
                        ++loaded;
                } catch (...) {
                }
                try {
                    GratingSurface surface(bad.c_str(), false, false, false);
                } catch (int index) {
                    // The index names this load's own failure, whatever the
                    // other threads appended meanwhile.
                    if (errorText(index) == expected)
                        ++rightErrors;
                }
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(loaded.load(), Threads * Rounds);
    EXPECT_EQ(rightErrors.load(), Threads * Rounds);
}
