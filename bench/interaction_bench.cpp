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

using namespace quelbrant;

namespace {

using Complex = std::complex<double>;
using Access = GratingSurfaceAccess;

constexpr double Pi = 3.141592653589793;
constexpr double Glass = 1.5;
constexpr double Air = 1.0;

// ---------------------------------------------------------------- files

// Streams one grating file: glass below, air above, polar grid, both half
// spaces with the same grid, orders and random coefficients.
struct GratingFileSpec {
    std::vector<double> theta, phi, lambda;
    int nMax = 0, mMax = 0;  // orders -nMax..nMax x -mMax..mMax
    double K1[2] = {0, 0};   // rad/m
    double K2[2] = {0, 0};
    size_t positionsX = 0, positionsY = 0;  // 0: no position data
    double positionStep = 0.001;            // m
};

void writeNumbers(std::FILE* f, const std::vector<double>& values)
{
    std::fputc('[', f);
    for (size_t i = 0; i < values.size(); ++i)
        std::fprintf(f, i ? ",%.9g" : "%.9g", values[i]);
    std::fputc(']', f);
}

void writeRealMatrix(std::FILE* f, size_t rows, size_t columns, const std::vector<double>& data)
{
    std::fprintf(f, "{\"_type\":\"matrix\",\"_complex\":false,\"_size\":[%zu,%zu],\"_data\":", rows, columns);
    writeNumbers(f, data);
    std::fputc('}', f);
}

void writeGratingFile(const std::string& path, const GratingFileSpec& g)
{
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    const bool withPosition = g.positionsX > 0;
    const size_t P = withPosition ? g.positionsX * g.positionsY : 1;
    std::fprintf(f, "{\"n_lower\":%g,\"n_upper\":%g,", Glass, Air);
    if (withPosition) {
        std::vector<double> xs, ys, map;
        for (size_t i = 0; i < g.positionsX; ++i)
            xs.push_back((i - 0.5 * (g.positionsX - 1)) * g.positionStep);
        for (size_t j = 0; j < g.positionsY; ++j)
            ys.push_back((j - 0.5 * (g.positionsY - 1)) * g.positionStep);
        for (size_t i = 0; i < g.positionsX; ++i)
            for (size_t j = 0; j < g.positionsY; ++j)
                map.push_back(static_cast<double>(1 + i + g.positionsX * j));
        std::fprintf(f, "\"spatial_variation_or_parameter_scan\":{\"pos_x\":");
        writeNumbers(f, xs);
        std::fprintf(f, ",\"pos_y\":");
        writeNumbers(f, ys);
        std::fprintf(f, ",\"index_map\":");
        writeRealMatrix(f, g.positionsY, g.positionsX, map);
        std::fprintf(f, "},");
        // Lattice vectors turning slowly over the surface.
        std::vector<double> k1, k2;
        for (int c = 0; c < 2; ++c)
            for (size_t p = 0; p < P; ++p) {
                const double turn = 0.002 * static_cast<double>(p);
                k1.push_back(c == 0 ? g.K1[0] * std::cos(turn) : g.K1[0] * std::sin(turn));
                k2.push_back(c == 0 ? -g.K2[1] * std::sin(turn) : g.K2[1] * std::cos(turn));
            }
        std::fprintf(f, "\"reciprocal_lattice_vector_1\":");
        writeRealMatrix(f, P, 2, k1);
        std::fprintf(f, ",\"reciprocal_lattice_vector_2\":");
        writeRealMatrix(f, P, 2, k2);
        std::fputc(',', f);
    } else {
        std::fprintf(
            f, "\"reciprocal_lattice_vector_1\":[%.9g,%.9g],\"reciprocal_lattice_vector_2\":[%.9g,%.9g],",
            g.K1[0], g.K1[1], g.K2[0], g.K2[1]);
    }

    std::vector<double> orderData;
    for (int column = 0; column < 2; ++column)
        for (int m = -g.mMax; m <= g.mMax; ++m)
            for (int n = -g.nMax; n <= g.nMax; ++n)
                orderData.push_back(column == 0 ? n : m);
    const size_t K = orderData.size() / 2;
    // Random amplitudes with about 0.9 of the power over all orders.
    const double scale = std::sqrt(0.9 / (2.0 * static_cast<double>(K)));
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int side = 0; side < 2; ++side) {
        std::fprintf(f,
                     "\"%s\":{\"list_orders_R\":", side == 0 ? "grat_results_lower" : "grat_results_upper");
        writeRealMatrix(f, K, 2, orderData);
        std::fprintf(f, ",\"list_orders_T\":");
        writeRealMatrix(f, K, 2, orderData);
        for (const char* table : {"R", "T"}) {
            std::fprintf(f, ",\"%s\":{\"_type\":\"matrix\",\"_complex\":true,\"_size\":[", table);
            if (withPosition)
                std::fprintf(f, "%zu,", P);
            std::fprintf(f, "%zu,%zu,%zu,%zu,2,2],\"_data\":[", g.theta.size(), g.phi.size(), g.lambda.size(),
                         K);
            const size_t count = P * g.theta.size() * g.phi.size() * g.lambda.size() * K * 4;
            for (size_t i = 0; i < count; ++i)
                std::fprintf(f, i ? ",%.6g,%.6g" : "%.6g,%.6g", scale * u(random), scale * u(random));
            std::fprintf(f, "]}");
        }
        std::fprintf(f, ",\"wavelength\":");
        writeNumbers(f, g.lambda);
        std::fprintf(f, ",\"angle_definition\":{\"theta\":");
        writeNumbers(f, g.theta);
        std::fprintf(f, ",\"phi\":");
        writeNumbers(f, g.phi);
        std::fprintf(f, "},\"lossless\":0}%s", side == 0 ? "," : "");
    }
    std::fprintf(f, "}");
    if (std::fclose(f) != 0)
        throw std::runtime_error("cannot write " + path);
}

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

std::string temporaryFile(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
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

// (b): period 20 um along x, so that all 21 orders propagate at moderate
// incidence.
GratingFileSpec grating1d21Orders()
{
    GratingFileSpec g;
    for (int t = 0; t <= 80; t += 10)
        g.theta.push_back(t);
    for (int p = 0; p <= 360; p += 45)
        g.phi.push_back(p);
    g.lambda = {450e-9, 550e-9, 650e-9};
    g.nMax = 10;
    g.K1[0] = 2 * Pi / 20e-6;
    return g;
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
