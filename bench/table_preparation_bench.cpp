// Cost of preparing one dense table against the cost of parsing the JSON
// that carries it. The table is sized like the R table of a ~100 MB file:
// 46 theta x 18 phi x 31 wavelengths x 25 listed orders x 2 x 2.

#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "tables/BasisConversion.h"
#include "tables/TablePreparation.h"

using namespace quelbrant;

namespace {

constexpr size_t A1 = 46, A2 = 18, L = 31;
constexpr int OrderHalfWidth = 2;  // n, m in -2..2: 25 listed orders

struct Inputs {
    std::vector<double> theta, phi, lambda;
    NdArrayInt orders;
    NdArrayComplex file;
    std::string json;  // the file table as its "_data" array
};

const Inputs& inputs()
{
    static const Inputs in = [] {
        Inputs s;
        for (size_t i = 0; i < A1; ++i)
            s.theta.push_back(2.0 * i);
        for (size_t j = 0; j < A2; ++j)
            s.phi.push_back(20.0 * j);
        for (size_t k = 0; k < L; ++k)
            s.lambda.push_back(0.4e-6 + 0.01e-6 * k);
        std::vector<int> n, m;
        for (int a = -OrderHalfWidth; a <= OrderHalfWidth; ++a)
            for (int b = -OrderHalfWidth; b <= OrderHalfWidth; ++b)
                n.push_back(a), m.push_back(b);
        s.orders.m_size = {n.size(), 2};
        s.orders.insert(s.orders.end(), n.begin(), n.end());
        s.orders.insert(s.orders.end(), m.begin(), m.end());
        s.file.m_size = {A1, A2, L, n.size(), 2, 2};
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> value(-1, 1);
        const size_t count = A1 * A2 * L * n.size() * 4;
        s.file.reserve(count);
        std::ostringstream text;
        text.precision(17);
        text << '[';
        for (size_t f = 0; f < count; ++f) {
            s.file.emplace_back(value(rng), value(rng));
            text << (f ? "," : "") << s.file.back().real() << ',' << s.file.back().imag();
        }
        text << ']';
        s.json = text.str();
        return s;
    }();
    return in;
}

void BM_ParseTableJson(benchmark::State& state)
{
    const Inputs& in = inputs();
    for (auto _ : state)
        benchmark::DoNotOptimize(nlohmann::json::parse(in.json));
    state.counters["MB"] = static_cast<double>(in.json.size()) / 1e6;
}

// The inputs' order vectors and their dense table, built once outside the
// timed loops that start from them.
struct DenseInputs {
    NdArrayInt orders;
    NdArrayComplex file;
    std::vector<int> n, m;
    NdArrayComplex dense;
};

DenseInputs denseInputs(const Inputs& in)
{
    DenseInputs d{in.orders, in.file, {}, {}, {}};
    constructOrderVectors(d.orders, d.n, d.m);
    populateRTMatrices(d.file, d.n, d.m, d.orders, d.dense, false);
    return d;
}

void BM_PopulateRTMatrices(benchmark::State& state)
{
    DenseInputs d = denseInputs(inputs());
    for (auto _ : state)
        populateRTMatrices(d.file, d.n, d.m, d.orders, d.dense, false);
}

void BM_SortAngleAndWavelength(benchmark::State& state)
{
    const Inputs& in = inputs();
    NdArrayComplex R = denseInputs(in).dense;
    NdArrayComplex T = R;
    for (auto _ : state) {
        state.PauseTiming();
        // Wavelengths stored in descending order: every slice moves.
        std::vector<double> theta = in.theta, phi = in.phi, lambda(in.lambda.rbegin(), in.lambda.rend());
        state.ResumeTiming();
        sortAngleAndWavelength(R, T, theta, phi, lambda, false);
    }
}

void BM_ConvertRTBetweenBases(benchmark::State& state)
{
    const Inputs& in = inputs();
    DenseInputs d = denseInputs(in);
    NdArrayComplex& dense = d.dense;
    const std::vector<int>& n = d.n;
    const std::vector<int>& m = d.m;
    LatticeVectorsPerPosition lattice;
    lattice.k1x = {2 * 3.141592653589793 / 2e-6};
    lattice.k1y = {0.0};
    lattice.k2x = {0.0};
    lattice.k2y = {lattice.k1x[0]};
    const quelbrant::DenseTableAxes axes =
        quelbrant::denseTableAxes(in.theta, in.phi, in.lambda, n, m, false);
    bool toXY = true;
    for (auto _ : state) {
        convertRTBetweenBases(dense, axes, lattice, {GratingSurface::POLAR, 1.5, 1.0, false, 1.0}, toXY);
        toXY = !toXY;  // alternate so the values stay bounded
    }
}

}  // namespace

BENCHMARK(BM_ParseTableJson)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PopulateRTMatrices)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortAngleAndWavelength)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ConvertRTBetweenBases)->Unit(benchmark::kMillisecond)->Iterations(4);

BENCHMARK_MAIN();
