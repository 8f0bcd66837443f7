#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "grating_documents.h"
#include "json/GratingSchema.h"

using namespace quelbrant;

using namespace grating_documents;

TEST(GratingSchemaConcurrency, ConcurrentValidationsShareTheSchema)
{
    const json valid = minimalDocument();
    json invalid = minimalDocument();
    invalid["grat_results_upper"]["angle_definition"]["f_conversion"] = 0;
    const std::string expected = validationMessage(invalid);
    ASSERT_NE(expected, "");

    constexpr int Threads = 8;
    std::vector<std::thread> threads;
    std::vector<int> mismatches(Threads, 0);
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            for (int k = 0; k < 50; ++k) {
                mismatches[t] += validationMessage(valid) == "" ? 0 : 1;
                mismatches[t] += validationMessage(invalid) == expected ? 0 : 1;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < Threads; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}
