// Per-ray kernels: table interpolation (without and with position data),
// construction of the propagating orders, and the Fresnel fallback.

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "interpolation/Interpolation.h"
#include "orders/PropagatingOrders.h"
#include "ray/FresnelFallback.h"

using namespace quelbrant;

namespace {

using Complex = std::complex<double>;

std::vector<double> axis(size_t count, double first, double step)
{
    std::vector<double> a(count);
    for (size_t i = 0; i < count; ++i)
        a[i] = first + step * static_cast<double>(i);
    return a;
}

// One half space of a typical file: theta 0..87 deg in 3 deg, phi 0..180 in
// 15 deg, 10 wavelengths, orders -3..3 x -3..3, optionally on a 5 x 5
// position grid. The small grid (theta in 30 deg, phi in 90 deg, 3
// wavelengths) fits in cache and shows the arithmetic alone.
struct Side {
    std::vector<double> theta;
    std::vector<double> phi;
    std::vector<double> lambda;
    std::vector<double> X = axis(5, 0.0, 1e-3);
    std::vector<double> Y = axis(5, 0.0, 1e-3);
    std::vector<double> k1x, k1y, k2x, k2y;
    NdArrayInt indexMap;
    NdArrayComplex G;
    bool withPosition;

    Side(bool position, bool small)
        : theta(small ? axis(4, 0.0, 30.0) : axis(30, 0.0, 3.0)),
          phi(small ? axis(3, 0.0, 90.0) : axis(13, 0.0, 15.0)),
          lambda(small ? axis(3, 400e-9, 180e-9) : axis(10, 400e-9, 40e-9)),
          withPosition(position)
    {
        const size_t P = position ? 25 : 1;
        std::vector<size_t> extents = {theta.size(), phi.size(), lambda.size(), 7, 7, 2, 2};
        if (position)
            extents.insert(extents.begin(), P);
        size_t count = 1;
        for (size_t e : extents)
            count *= e;
        std::mt19937_64 rng(1);
        std::uniform_real_distribution<double> u(-0.3, 0.3);
        G.m_size = extents;
        G.resize(count);
        for (Complex& c : G)
            c = Complex(u(rng), u(rng));
        indexMap.m_size = {5, 5};
        for (int p = 1; p <= 25; ++p)
            indexMap.push_back(p);
        for (size_t p = 0; p < P; ++p) {
            k1x.push_back(2 * 3.141592653589793 / 1e-6);
            k1y.push_back(0.0);
            k2x.push_back(0.0);
            k2y.push_back(2 * 3.141592653589793 / 1.2e-6);
        }
    }
};

void interpolate(benchmark::State& state, bool position, bool small = false)
{
    const Side side(position, small);
    std::mt19937_64 rng(2);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    NdArrayComplex result;
    std::vector<double> k1gk2g(6, 0.0);
    HalfSpaceGrid grid;
    grid.angle1Nodes = side.theta.data();
    grid.angle1Length = side.theta.size();
    grid.angle2 = &side.phi;
    grid.lambda = &side.lambda;
    grid.withPosition = side.withPosition;
    if (side.withPosition) {
        grid.positions = side.G.m_size[0];
        grid.indexMap = &side.indexMap;
        grid.X = &side.X;
        grid.Y = &side.Y;
        grid.k1x = &side.k1x;
        grid.k1y = &side.k1y;
        grid.k2x = &side.k2x;
        grid.k2y = &side.k2y;
    }
    for (auto _ : state) {
        GridPoint point;
        point.angle1 = 85.0 * u(rng);
        point.angle2 = 180.0 * u(rng);
        point.lambda = 400e-9 + 360e-9 * u(rng);
        point.first = 4e-3 * u(rng);
        point.second = 4e-3 * u(rng);
        const int rc = interpGratingOrders(result, side.G, grid, point, k1gk2g, 0);
        benchmark::DoNotOptimize(rc);
        benchmark::DoNotOptimize(result.data());
    }
}

void BM_InterpGratingOrders(benchmark::State& state)
{
    interpolate(state, false);
}
BENCHMARK(BM_InterpGratingOrders);

void BM_InterpGratingOrdersSmallTable(benchmark::State& state)
{
    interpolate(state, false, true);
}
BENCHMARK(BM_InterpGratingOrdersSmallTable);

void BM_InterpGratingOrdersWithPosition(benchmark::State& state)
{
    interpolate(state, true);
}
BENCHMARK(BM_InterpGratingOrdersWithPosition);

void BM_ConstructAllOrders(benchmark::State& state)
{
    // 7 x 7 orders at 550 nm on a 1 um x 1.2 um lattice, 20 degrees incidence.
    const std::vector<int> orders = {-3, -2, -1, 0, 1, 2, 3};
    NdArrayComplex RT;
    RT.m_size = {7, 7, 2};
    RT.assign(98, Complex(0.1, -0.05));
    const double k = 2 * 3.141592653589793 / 550e-9;
    const std::vector<double> lattice = {2 * 3.141592653589793 / 1e-6,   0.0,
                                         2 * 3.141592653589793 / 1e-6,   0.0,
                                         2 * 3.141592653589793 / 1.2e-6, 2 * 3.141592653589793 / 1.2e-6};
    OrderFamilyInputs family;
    family.table = &RT;
    family.n = &orders;
    family.m = &orders;
    family.k1gk2g = &lattice;
    family.kMaterial = k;
    family.kInx = std::sin(0.35) * k;
    family.specular = true;
    PropagatingOrderList list;
    for (auto* v : {&list.Ux, &list.Uy, &list.Uz, &list.power})
        v->reserve(49);
    list.specOrDirac.reserve(49);
    list.ESOut.reserve(49);
    list.EPOut.reserve(49);
    for (auto _ : state) {
        list.clear();
        constructAllOrders(family, list);
        benchmark::DoNotOptimize(list.Ux.data());
    }
    state.counters["orders"] = static_cast<double>(list.size());
}
BENCHMARK(BM_ConstructAllOrders);

void BM_Refraction(benchmark::State& state)
{
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (auto _ : state) {
        double L = 0.3, M = 0.2, N = std::sqrt(1 - 0.13);
        double esr = 0.6, esi = 0.0, epr = 0.0, epi = 0.8, energy = 1.0;
        refraction(1.0, 1.5, L, M, N, esr, esi, epr, epi, energy, true, true, u(rng));
        benchmark::DoNotOptimize(N);
        benchmark::DoNotOptimize(esr);
    }
}
BENCHMARK(BM_Refraction);

}  // namespace

BENCHMARK_MAIN();
