// Nanoseconds per ray of GratingSurface::Interaction_V2:
//   (a) the bare glass/air interface of data/ (one order),
//   (b) a 1-D grating with 21 orders (generated here),
//   (c) a 2-D grating with 11 x 11 orders on a 16 x 16 position grid whose
//       tables (about 32 MB per table) do not fit in cache, rays spread over
//       the whole grid (generated here),
// and, for (c), the floor: the bare weighted sum over exactly the table
// entries each ray needs (32 grid nodes x every order and polarisation
// entry, reflection and transmission), read from a table laid out with one
// node's entries contiguous, nothing else. The reference interpolation over
// the dense tables is timed alongside for comparison.
//
// The generated files go to the system's temporary folder for the time of
// their loading, once per run.

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GratingSurface.h"
#include "GratingSurfaceAccess.h"
#include "RandomGeneratorTesting.h"
#include "interpolation/InteractionSurfaceTables.h"
#include "interpolation/InteractionWorkingTables.h"
#include "interpolation/Interpolation.h"
#include "support/BenchGratingFiles.h"

using namespace quelbrant;

namespace {

using Complex = std::complex<double>;
using Access = GratingSurfaceAccess;

using benchfiles::Air;
using benchfiles::Glass;
using benchfiles::GratingFileSpec;
using benchfiles::Pi;
using benchfiles::grating1d21Orders;
using benchfiles::temporaryFile;
using benchfiles::writeGratingFile;

// ---------------------------------------------------------------- files

std::unique_ptr<GratingSurface> load(const std::string& path)
{
    const std::wstring wide(path.begin(), path.end());
    try {
        return std::make_unique<GratingSurface>(wide.c_str(), false, false, false);
    } catch (int) {
        std::fprintf(stderr, "loading %s failed\n", path.c_str());
        throw;
    }
}

// Writes the file, loads it and removes it again.
std::unique_ptr<GratingSurface> generateAndLoad(const char* name, const GratingFileSpec& spec)
{
    const std::string path = temporaryFile(name);
    writeGratingFile(path, spec);
    std::unique_ptr<GratingSurface> surface = load(path);
    std::filesystem::remove(path);
    return surface;
}

// (c): periods 10 um; 11 x 11 orders; 16 x 16 positions x 2 theta x 2 phi x
// 4 wavelengths = 4096 grid nodes of 484 entries: 31.7 MB per table.
GratingFileSpec grating2dOnPositions()
{
    GratingFileSpec g;
    g.theta = {0.0, 40.0};
    g.phi = {0.0, 360.0};
    g.lambda = {450e-9, 520e-9, 590e-9, 660e-9};
    g.nMax = g.mMax = 5;
    g.K1[0] = 2 * Pi / 10e-6;
    g.K2[1] = 2 * Pi / 10e-6;
    g.positionsX = g.positionsY = 16;
    return g;
}

// ---------------------------------------------------------------- rays

struct Ray {
    double direction[3];
    BsdfPluginInteraction_V2 record;
};

// Rays from air (the upper side) at random incidence up to maxTheta,
// wavelengths in [lambdaLow, lambdaHigh] nm, hit points uniform in a square
// of half width halfWidthMm.
std::vector<Ray> makeRays(size_t count, double maxTheta, double lambdaLow, double lambdaHigh,
                          double halfWidthMm)
{
    std::mt19937_64 random(777);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Ray> rays(count);
    for (Ray& r : rays) {
        const double theta = maxTheta * u(random) * Pi / 180.0;
        const double phi = 2 * Pi * u(random);
        r.direction[0] = std::sin(theta) * std::cos(phi);
        r.direction[1] = std::sin(theta) * std::sin(phi);
        r.direction[2] = -std::cos(theta);
        r.record = BsdfPluginInteraction_V2{};
        r.record.lambda = lambdaLow + (lambdaHigh - lambdaLow) * u(random);
        r.record.energy = 1.0;
        r.record.esr = std::cos(phi);
        r.record.epi = std::sin(phi);
        r.record.n1 = Air;
        r.record.n2 = Glass;
        r.record.x = halfWidthMm * (2 * u(random) - 1);
        r.record.y = halfWidthMm * (2 * u(random) - 1);
    }
    return rays;
}

void traceRays(benchmark::State& state, GratingSurface& surface, const std::vector<Ray>& rays)
{
    seedCallingThreadGenerator(static_cast<std::uint64_t>(state.thread_index()) + 1);
    const std::vector<int> noOrder;
    const std::vector<double> noParams;
    // Each thread starts at its own place in the list.
    size_t i = static_cast<size_t>(state.thread_index()) * 7919 % rays.size();
    long long outgoing = 0;
    for (auto _ : state) {
        Ray r = rays[i];
        r.record.direction = r.direction;
        outgoing += surface.Interaction_V2(&r.record, noOrder, true, true, noParams) != 0;
        benchmark::DoNotOptimize(r.direction);
        if (++i == rays.size())
            i = 0;
    }
    benchmark::DoNotOptimize(outgoing);
    state.SetItemsProcessed(state.iterations());
}

// Surfaces and rays are built on first use and shared by every benchmark and
// thread (the surfaces are only read).
struct Case {
    std::unique_ptr<GratingSurface> surface;
    std::vector<Ray> rays;
};

Case& bareInterface()
{
    static Case c{load(std::string(QUELBRANT_DATA_DIR) + "/bare-interface.json"),
                  makeRays(4096, 85.0, 400, 700, 0)};
    return c;
}

Case& grating1d()
{
    static Case c{generateAndLoad("quelbrant-bench-grating-1d-21-orders.json", grating1d21Orders()),
                  makeRays(4096, 40.0, 450, 650, 0)};
    return c;
}

Case& grating2d()
{
    static Case c{generateAndLoad("quelbrant-bench-grating-2d-11x11-positions.json", grating2dOnPositions()),
                  makeRays(1 << 16, 40.0, 450, 660, 7.5)};
    return c;
}

void BM_Interaction_BareInterface(benchmark::State& state)
{
    Case& c = bareInterface();
    traceRays(state, *c.surface, c.rays);
}

void BM_Interaction_Grating1D_21Orders(benchmark::State& state)
{
    Case& c = grating1d();
    traceRays(state, *c.surface, c.rays);
}

void BM_Interaction_Grating2D_11x11Orders_Positions(benchmark::State& state)
{
    Case& c = grating2d();
    traceRays(state, *c.surface, c.rays);
}

// ---------------------------------------------------------------- floor

// The grid nodes and weights every ray of (c) reads, found once; the timed
// loop only sums.
struct FloorCase {
    OrderFastestTable R, T;
    std::vector<InterpolationStencil> stencils;
    std::vector<GridPoint> points;
    size_t side = 1;
};

GridPoint gridPointOf(const Ray& r)
{
    GridPoint p;
    p.angle1 = std::acos(std::fabs(r.direction[2])) * 180.0 / Pi;
    double phi = std::atan2(r.direction[1], r.direction[0]) * 180.0 / Pi;
    p.angle2 = phi < 0 ? phi + 360.0 : phi;
    p.lambda = r.record.lambda * 1e-9;
    p.first = 0.001 * r.record.x;
    p.second = 0.001 * r.record.y;
    return p;
}

FloorCase& floorCase()
{
    static FloorCase f = [] {
        Case& c = grating2d();
        const GratingSurface& s = *c.surface;
        FloorCase floor;
        const bool withPosition = Access::mXyVarOrParScan(s);
        floor.R = OrderFastestTable(Access::mR(s)[floor.side], withPosition);
        floor.T = OrderFastestTable(Access::mT(s)[floor.side], withPosition);
        const HalfSpaceGrid grid = halfSpaceGrid(s, floor.side);
        double k1gk2g[6];
        for (const Ray& r : c.rays) {
            InterpolationStencil stencil;
            const GridPoint p = gridPointOf(r);
            if (locateInterpolationStencil(grid, p, 0, stencil, k1gk2g)) {
                floor.stencils.push_back(stencil);
                floor.points.push_back(p);
            }
        }
        return floor;
    }();
    return f;
}

// The floor sums with the interaction's own summation kernel, so that the
// ratio of (c) to it is what everything else of a ray costs.
void BM_Floor_Grating2D_WeightedSumOnly(benchmark::State& state)
{
    FloorCase& f = floorCase();
    NdArrayComplex R, T;
    size_t i = static_cast<size_t>(state.thread_index()) * 7919 % f.stencils.size();
    for (auto _ : state) {
        interpolateAtStencil(f.R, f.stencils[i], R);
        interpolateAtStencil(f.T, f.stencils[i], T);
        benchmark::DoNotOptimize(R.data());
        benchmark::DoNotOptimize(T.data());
        if (++i == f.stencils.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

// The reference interpolators on the dense tables, R and T, same points.
void BM_ReferenceInterpolation_Grating2D_DenseTables(benchmark::State& state)
{
    FloorCase& f = floorCase();
    const GratingSurface& s = *grating2d().surface;
    const size_t side = f.side;
    NdArrayComplex R, T;
    std::vector<double> k1gk2g(6, 0.0);
    const HalfSpaceGrid grid = halfSpaceGrid(s, side);
    size_t i = 0;
    for (auto _ : state) {
        const GridPoint& p = f.points[i];
        for (int table = 0; table < 2; ++table)
            interpGratingOrders(table == 0 ? R : T, table == 0 ? Access::mR(s)[side] : Access::mT(s)[side],
                                grid, p, k1gk2g, 0);
        benchmark::DoNotOptimize(R.data());
        benchmark::DoNotOptimize(T.data());
        if (++i == f.points.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_Interaction_BareInterface)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_Interaction_Grating1D_21Orders)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_Interaction_Grating2D_11x11Orders_Positions)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_Floor_Grating2D_WeightedSumOnly)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_ReferenceInterpolation_Grating2D_DenseTables);

BENCHMARK_MAIN();
