// The two-dimensional diffraction entry of the lens-design host against the
// Interaction_V2 call it makes, per ray, on
//   the 21-order 1-D grating (generated here, as in interaction_bench) and
//   the bare glass/air interface of data/,
// and what the entry adds, piece by piece: the cache key over 103 doubles,
// the cache's shared lock, the whole lookup with an empty work step, the
// field-basis conversions and the per-ray vectors. Rays come from the glass
// side at up to 40 degrees, in the surface's stochastic mode (order chosen by
// power), from 1 and 8 threads on one cached entry.

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "orders/FieldBasisConversions.h"
#include "RandomGeneratorTesting.h"
#include "cache/CacheKeys.h"
#include "cache/CachedSurface.h"
#include "cache/SharedMutex.h"
#include "cache/SurfaceCache.h"
#include "diffraction/DiffractionData.h"
#include "diffraction/DiffractionRequest.h"
#include "GratingSurface.h"
#include "support/BenchGratingFiles.h"

namespace {

using namespace quelbrant;
using D = DiffractionData;
using Complex = std::complex<double>;
using benchfiles::Pi;

constexpr std::size_t BlockDoubles = D::minimumDoubles;

// A host block per ray: the file's folder and name, stochastic mode, and a
// ray from the glass side.
std::vector<std::vector<double>> makeBlocks(const std::string& directory, const std::string& name, std::size_t count)
{
    std::mt19937_64 random(777);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<std::vector<double>> blocks;
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<double> d(BlockDoubles, 0.0);
        auto text = [&](std::size_t offset, const std::string& s) {
            auto* bytes = reinterpret_cast<unsigned char*>(d.data()) + offset;
            for (std::size_t k = 0; k < s.size(); ++k) {
                const char16_t unit = static_cast<unsigned char>(s[k]);
                std::memcpy(bytes + 2 * k, &unit, 2);
            }
        };
        text(D::directoryBytes, directory);
        text(D::fileNameBytes, name);
        const double theta = 40.0 * u(random) * Pi / 180.0;
        const double phi = 2 * Pi * u(random);
        d[D::cosine] = std::sin(theta) * std::cos(phi);
        d[D::cosine + 1] = std::sin(theta) * std::sin(phi);
        d[D::cosine + 2] = std::cos(theta);
        d[D::normal + 2] = 1.0;
        d[D::wavelength] = 0.45 + 0.2 * u(random);
        d[D::approachIndex] = benchfiles::Glass;
        d[D::exitIndex] = benchfiles::Air;
        d[D::field] = std::sin(phi);  // s-polarised
        d[D::field + 2] = -std::cos(phi);
        d[D::paramCount] = 14;
        d[D::paramValues] = 1.0;  // "Stochastic mode"
        blocks.push_back(d);
    }
    return blocks;
}

struct Case {
    std::vector<std::vector<double>> blocks;
    GratingSurface* surface = nullptr;  // the cached entry's
};

Case makeCase(const std::string& directory, const std::string& name)
{
    Case c;
    c.blocks = makeBlocks(directory, name, 256);
    std::vector<double> first = c.blocks[0];
    if (runUserDiffraction2D(first.data()) != 0)
        throw std::runtime_error("cannot load " + directory + "\\" + name);
    const double* p = c.blocks[0].data() + D::paramValues;
    const std::size_t key = diffractionCacheKey(c.blocks[0].data(), std::vector<double>(p, p + 14));
    diffractionSurfaceCache().lookupOrBuild(
        key, [] { return std::unique_ptr<CachedSurface>(); },
        [&](const CachedSurface& entry) {
            c.surface = entry.surface;
            return 0;
        },
        [] {});
    return c;
}

// The file sits where the block's folder + "\" + name points.
Case& grating21()
{
    static Case c = [] {
        const std::string directory = benchfiles::temporaryFile("quelbrant-lens-bench");
        benchfiles::writeGratingFile(directory + "\\grating-21.json", benchfiles::grating1d21Orders());
        Case made = makeCase(directory, "grating-21.json");
        std::filesystem::remove(directory + "\\grating-21.json");
        return made;
    }();
    return c;
}

Case& bareInterface()
{
    static Case c = [] {
        const std::string directory = benchfiles::temporaryFile("quelbrant-lens-bench-bare");
        std::filesystem::copy_file(std::string(QUELBRANT_DATA_DIR) + "/bare-interface.json",
                                   directory + "\\bare.json", std::filesystem::copy_options::overwrite_existing);
        Case made = makeCase(directory, "bare.json");
        std::filesystem::remove(directory + "\\bare.json");
        return made;
    }();
    return c;
}

std::size_t startIndex(const benchmark::State& state, std::size_t count)
{
    return static_cast<std::size_t>(state.thread_index()) * 61 % count;
}

void diffractionCalls(benchmark::State& state, Case& c)
{
    seedCallingThreadGenerator(static_cast<std::uint64_t>(state.thread_index()) + 1);
    std::size_t i = startIndex(state, c.blocks.size());
    std::vector<double> block;
    for (auto _ : state) {
        block = c.blocks[i];
        benchmark::DoNotOptimize(runUserDiffraction2D(block.data()));
        if (++i == c.blocks.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

// The call the entry makes, with the record it builds (frame and field
// conversion done once up front, outside the loop).
void interactionCalls(benchmark::State& state, Case& c)
{
    seedCallingThreadGenerator(static_cast<std::uint64_t>(state.thread_index()) + 1);
    struct Ray {
        double direction[3];
        BsdfPluginInteraction_V2 record;
    };
    std::vector<Ray> rays;
    for (const std::vector<double>& d : c.blocks) {
        Ray r{{d[D::cosine], d[D::cosine + 1], d[D::cosine + 2]}, {}};
        Complex es, ep;
        convertXYZtoSPfromUnitVector(Complex(d[D::field], 0), Complex(d[D::field + 2], 0), Complex(0, 0), es, ep,
                                     r.direction[0], r.direction[1], r.direction[2]);
        r.record.instance = c.surface;
        r.record.lambda = d[D::wavelength] * 1000.0;
        r.record.energy = 1.0;
        r.record.esr = es.real();
        r.record.esi = es.imag();
        r.record.epr = ep.real();
        r.record.epi = ep.imag();
        r.record.n1 = d[D::approachIndex];
        r.record.n2 = d[D::exitIndex];
        rays.push_back(r);
    }
    const std::vector<int> noOrder;
    const std::vector<double> params(4, 0.0);
    std::size_t i = startIndex(state, rays.size());
    for (auto _ : state) {
        Ray r = rays[i];
        r.record.direction = r.direction;
        benchmark::DoNotOptimize(c.surface->Interaction_V2(&r.record, noOrder, true, true, params));
        benchmark::DoNotOptimize(r.direction);
        if (++i == rays.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_UserDiffraction2D_Grating21(benchmark::State& state)
{
    diffractionCalls(state, grating21());
}

void BM_Interaction_V2_Grating21(benchmark::State& state)
{
    interactionCalls(state, grating21());
}

void BM_UserDiffraction2D_BareInterface(benchmark::State& state)
{
    diffractionCalls(state, bareInterface());
}

void BM_Interaction_V2_BareInterface(benchmark::State& state)
{
    interactionCalls(state, bareInterface());
}

// ---------------------------------------------------------------- pieces

void BM_Piece_DiffractionKey(benchmark::State& state)
{
    const std::vector<double>& block = bareInterface().blocks[0];
    const std::vector<double> params(block.begin() + D::paramValues, block.begin() + D::paramValues + 14);
    for (auto _ : state)
        benchmark::DoNotOptimize(diffractionCacheKey(block.data(), params));
}

void BM_Piece_SharedLockUnlock(benchmark::State& state)
{
    static SharedMutex mutex;
    for (auto _ : state) {
        mutex.lock_shared();
        mutex.unlock_shared();
    }
    state.SetItemsProcessed(state.iterations());
}

// Key, lock and map lookup with nothing done on the entry.
void BM_Piece_CachedLookup(benchmark::State& state)
{
    Case& c = bareInterface();
    const std::vector<double>& block = c.blocks[0];
    const std::vector<double> params(block.begin() + D::paramValues, block.begin() + D::paramValues + 14);
    const std::size_t key = diffractionCacheKey(block.data(), params);
    for (auto _ : state)
        benchmark::DoNotOptimize(diffractionSurfaceCache().lookupOrBuild(
            key, [] { return std::unique_ptr<CachedSurface>(); }, [](const CachedSurface&) { return 0; }, [] {}));
    state.SetItemsProcessed(state.iterations());
}

void BM_Piece_BasisConversions(benchmark::State& state)
{
    const double u[3] = {0.3, 0.2, std::sqrt(1 - 0.13)};
    Complex ex(0.2, 0.1), ey(-0.9, 0), ez(0.1, 0), es, ep;
    for (auto _ : state) {
        convertXYZtoSPfromUnitVector(ex, ey, ez, es, ep, u[0], u[1], u[2]);
        convertSPtoXYZfromUnitVector(es, ep, ex, ey, ez, u[0], u[1], u[2]);
        benchmark::DoNotOptimize(ex);
    }
}

// The vectors a call builds: parameters, order list, four interaction values.
void BM_Piece_PerCallVectors(benchmark::State& state)
{
    const std::vector<double>& block = bareInterface().blocks[0];
    for (auto _ : state) {
        std::vector<double> params(block.begin() + D::paramValues, block.begin() + D::paramValues + 14);
        std::vector<int> orders{1, 0};
        std::vector<double> four{0.0, 0.0, 0.0, 0.0};
        benchmark::DoNotOptimize(params.data());
        benchmark::DoNotOptimize(orders.data());
        benchmark::DoNotOptimize(four.data());
    }
}

}  // namespace

BENCHMARK(BM_Interaction_V2_Grating21)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_UserDiffraction2D_Grating21)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_Interaction_V2_BareInterface)->Threads(1)->UseRealTime();
BENCHMARK(BM_UserDiffraction2D_BareInterface)->Threads(1)->UseRealTime();
BENCHMARK(BM_Piece_DiffractionKey);
BENCHMARK(BM_Piece_SharedLockUnlock)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_Piece_CachedLookup)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_Piece_BasisConversions);
BENCHMARK(BM_Piece_PerCallVectors);

BENCHMARK_MAIN();
