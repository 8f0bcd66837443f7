// Many threads tracing one surface: each thread's results depend only on
// its own generator and rays, never on what the other threads do.

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"
#include "ray/RandomGenerator.h"

using namespace quelbrant;

namespace {

struct Outcome {
    std::vector<int> results;
    std::vector<TestRay> rays;
};

// A fixed list of rays over the whole position grid, both sides, random
// and requested orders, some in the hole and outside.
Outcome traceRays(GratingSurface& surface, std::uint64_t seed, int count)
{
    seedCallingThreadGenerator(seed);
    std::mt19937_64 random(seed + 1000);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Outcome outcome;
    for (int n = 0; n < count; ++n) {
        TestRay ray;
        const bool fromLower = u(random) > 0;
        ray.polar(40.0 + 40.0 * u(random), 180.0 + 180.0 * u(random), fromLower)
            .media(fromLower ? 1.5 : 1.0, fromLower ? 1.0 : 1.5)
            .wavelength(550.0 + 100.0 * u(random))
            .at(4.5 * u(random), 3.5 * u(random))
            .field({u(random), 0.0}, {0.0, u(random)});
        const std::vector<int> order = n % 7 == 0 ? std::vector<int>{1, 0} : std::vector<int>{};
        outcome.results.push_back(trace(surface, ray, order));
        outcome.rays.push_back(ray);
    }
    return outcome;
}

TEST(InteractionConcurrency, ThreadsTracingOneSurfaceGetTheResultsOfTracingAlone)
{
    std::unique_ptr<GratingSurface> surface = loadSample("grating-2d-positions.json");
    constexpr int Threads = 8;
    constexpr int Rays = 3000;
    std::vector<Outcome> alone;
    for (int t = 0; t < Threads; ++t)
        alone.push_back(traceRays(*surface, 100 + t, Rays));

    std::vector<Outcome> together(Threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t)
        workers.emplace_back([&, t] { together[t] = traceRays(*surface, 100 + t, Rays); });
    for (std::thread& w : workers)
        w.join();

    for (int t = 0; t < Threads; ++t) {
        ASSERT_EQ(together[t].results, alone[t].results) << "thread " << t;
        for (int n = 0; n < Rays; ++n)
            ASSERT_TRUE(sameRecord(together[t].rays[n], alone[t].rays[n])) << "thread " << t << " ray " << n;
    }
}

TEST(InteractionConcurrency, EveryThreadHasItsOwnGenerator)
{
    seedCallingThreadGenerator(42);
    const double first = drawUniform(0.0, 1.0);
    std::vector<double> drawn(4);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&, t] {
            seedCallingThreadGenerator(42);
            drawn[t] = drawUniform(0.0, 1.0);
        });
    for (std::thread& w : workers)
        w.join();
    for (double d : drawn)
        EXPECT_EQ(d, first);
    // The calling thread's generator went on undisturbed.
    seedCallingThreadGenerator(42);
    EXPECT_EQ(drawUniform(0.0, 1.0), first);
}

TEST(RandomGenerator, UniformDrawsStayInTheirRange)
{
    seedCallingThreadGenerator(1);
    for (int i = 0; i < 10000; ++i) {
        const double d = drawUniform(0.25, 0.5);
        ASSERT_GE(d, 0.25);
        ASSERT_LT(d, 0.5);
    }
    EXPECT_EQ(drawUniform(0.0, 0.0), 0.0);
}

TEST(RandomGenerator, UnseededThreadsDrawDifferentSequences)
{
    // Each thread seeds itself from the random device on first use.
    std::vector<double> drawn(2);
    for (int t = 0; t < 2; ++t)
        std::thread([&, t] { drawn[t] = drawUniform(0.0, 1.0); }).join();
    EXPECT_NE(drawn[0], drawn[1]);
}

}  // namespace
