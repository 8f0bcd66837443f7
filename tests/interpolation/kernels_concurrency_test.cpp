#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "kernel_tables.h"
#include "orders/PropagatingOrders.h"
#include "ray/FresnelFallback.h"

using namespace quelbrant;

namespace {

// What one ray computes from a shared table: its interpolated entries and the
// orders built from them, and a Fresnel fallback.
struct RayOutcome {
    std::vector<Complex> table;
    std::vector<double> directions;
    double fallbackEnergy = 0.0;
    double fallbackN = 0.0;
};

RayOutcome traceOne(const InterpolationCase& side, int ray)
{
    std::mt19937_64 rng(static_cast<unsigned>(ray));
    std::uniform_real_distribution<double> u(0.0, 1.0);
    RayOutcome out;
    NdArrayComplex result;
    std::vector<double> k1gk2g = {1.0, 0.0, 1.0, 0.0, 1.0, 1.0};
    if (side.run(result, k1gk2g, 40.0 * u(rng), 90.0 * u(rng), 500e-9 + 100e-9 * u(rng), u(rng), u(rng)) != 0)
        return out;
    out.table.assign(result.begin(), result.end());
    // Contract PolIn with an S-polarised input: keep the PolIn = 0 half.
    result.resize(result.size() / 2);
    result.m_size.resize(3);
    const std::vector<int> n = {-1, 0, 1}, m = {0};
    OrderFamilyInputs family;
    family.table = &result;
    family.n = &n;
    family.m = &m;
    family.k1gk2g = &k1gk2g;
    family.kMaterial = 4.0;
    family.kInx = u(rng);
    family.specular = true;
    out.directions = constructAllOrders(family).Ux;
    double L = 0.2, M = 0.1, N = 0.97, esr = 1.0, esi = 0.0, epr = 0.0, epi = 0.0, energy = 1.0;
    refraction(1.0, 1.5, L, M, N, esr, esi, epr, epi, energy, true, true, u(rng));
    out.fallbackEnergy = energy;
    out.fallbackN = N;
    return out;
}

bool operator==(const RayOutcome& a, const RayOutcome& b)
{
    return a.table == b.table && a.directions == b.directions && a.fallbackEnergy == b.fallbackEnergy &&
           a.fallbackN == b.fallbackN;
}

TEST(KernelsConcurrency, ThreadsReadingOneSurfaceGetTheSingleThreadAnswers)
{
    InterpolationCase side;
    side.theta = {0.0, 20.0, 40.0};
    side.phi = {0.0, 45.0, 90.0};
    side.lambda = {500e-9, 600e-9};
    side.withPosition = true;
    side.X = {0.0, 1.0};
    side.Y = {0.0, 1.0};
    side.indexMap = indexMapFromRows({{1, 2}, {3, 0}});
    side.k1x = {1.0, 1.1, 0.9};
    side.k1y = {0.0, 0.1, -0.1};
    side.k2x = {0.0, 0.0, 0.0};
    side.k2y = {0.0, 0.0, 0.0};
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> v(-0.5, 0.5);
    side.G = makeTable({3, 3, 3, 2, 3, 1, 2, 2},
                       [&](const std::vector<size_t>&) { return Complex(v(rng), v(rng)); });

    constexpr int Rays = 400;
    std::vector<RayOutcome> expected;
    int answered = 0;
    for (int ray = 0; ray < Rays; ++ray) {
        expected.push_back(traceOne(side, ray));
        answered += expected.back().table.empty() ? 0 : 1;
    }
    // Most rays are answered from the table, some meet the missing node.
    ASSERT_GT(answered, Rays / 2);
    ASSERT_LT(answered, Rays);

    constexpr int Threads = 4;
    std::vector<std::vector<RayOutcome>> got(Threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t)
        workers.emplace_back([&, t] {
            for (int ray = 0; ray < Rays; ++ray)
                got[t].push_back(traceOne(side, ray));
        });
    for (std::thread& w : workers)
        w.join();
    for (int t = 0; t < Threads; ++t)
        for (int ray = 0; ray < Rays; ++ray)
            ASSERT_TRUE(got[t][ray] == expected[ray]) << "thread " << t << " ray " << ray;
}

}  // namespace
