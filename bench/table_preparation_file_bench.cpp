// Table preparation of a whole grating file against parsing that file.
// Point QUELBRANT_BIG_GRATING at a large file, e.g. one written by
//   tools/samples/generate_samples.py --big 100 --big-path /tmp/grating-big.json
// (default path /tmp/grating-big.json); without it the benchmarks skip.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "json/JsonReaders.h"
#include "tables/BasisConversion.h"
#include "tables/TablePreparation.h"

using namespace quelbrant;
using json = nlohmann::json;

namespace {

std::string bigFilePath()
{
    const char* path = std::getenv("QUELBRANT_BIG_GRATING");
    return path ? path : "/tmp/grating-big.json";
}

const std::string& fileText()
{
    static const std::string text = [] {
        std::ifstream in(bigFilePath());
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }();
    return text;
}

struct FileTables {
    NdArrayInt list[2][2];
    NdArrayComplex table[2][2];
    std::vector<double> a1[2], a2[2], lambda[2];
    double nLower, nUpper;
    std::vector<double> k1, k2;
};

// Everything a load reads before preparing its tables (polar grids, no
// position data: the shape of the generated big file).
FileTables readTables(const json& j)
{
    FileTables f;
    f.nLower = getdouble("n_lower", j, false, 0.0);
    f.nUpper = getdouble("n_upper", j, false, 0.0);
    getdoublevector(f.k1, "reciprocal_lattice_vector_1", j, true, {0.0, 0.0});
    getdoublevector(f.k2, "reciprocal_lattice_vector_2", j, true, {0.0, 0.0});
    const char* blocks[2] = {"grat_results_lower", "grat_results_upper"};
    for (int side = 0; side < 2; ++side) {
        const json& g = j.at(blocks[side]);
        makeNdArrayInt(f.list[side][0], g.at("list_orders_R"));
        makeNdArrayInt(f.list[side][1], g.at("list_orders_T"));
        makeNdArrayComplex(f.table[side][0], g.at("R"));
        makeNdArrayComplex(f.table[side][1], g.at("T"));
        getdoublevector(f.lambda[side], "wavelength", g, false, {});
        getdoublevector(f.a1[side], "theta", g.at("angle_definition"), false, {});
        getdoublevector(f.a2[side], "phi", g.at("angle_definition"), false, {});
    }
    return f;
}

void BM_ParseGratingFile(benchmark::State& state)
{
    if (fileText().empty()) {
        state.SkipWithError("no big grating file");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(json::parse(fileText()));
    state.counters["MB"] = static_cast<double>(fileText().size()) / 1e6;
}

// Order vectors, dense tables, dimension checks, sorting and the S/P to X/Y
// conversion of all four tables: the preparation a load adds to parsing.
void BM_PrepareGratingFileTables(benchmark::State& state)
{
    if (fileText().empty()) {
        state.SkipWithError("no big grating file");
        return;
    }
    FileTables file = readTables(json::parse(fileText()));
    LatticeVectorsPerPosition lattice;
    lattice.k1x = {file.k1[0]};
    lattice.k1y = {file.k1[1]};
    lattice.k2x = {file.k2[0]};
    lattice.k2y = {file.k2[1]};
    for (auto _ : state) {
        NdArrayComplex dense[2][2];
        std::vector<int> n[2][2], m[2][2];
        for (int side = 0; side < 2; ++side) {
            std::vector<double> a1 = file.a1[side], a2 = file.a2[side], lambda = file.lambda[side];
            for (int rt = 0; rt < 2; ++rt) {
                constructOrderVectors(file.list[side][rt], n[side][rt], m[side][rt]);
                populateRTMatrices(file.table[side][rt], n[side][rt], m[side][rt], file.list[side][rt],
                                   dense[side][rt], false);
                validateDimensions(dense[side][rt],
                                   quelbrant::denseTableAxes(a1, a2, lambda, n[side][rt], m[side][rt], false),
                                   nullptr);
            }
            sortAngleAndWavelength(dense[side][0], dense[side][1], a1, a2, lambda, false);
            const double nIn = side == 0 ? file.nLower : file.nUpper;
            const double nOther = side == 0 ? file.nUpper : file.nLower;
            const double sign = side == 0 ? 1.0 : -1.0;
            convertRTBetweenBases(dense[side][0],
                                  quelbrant::denseTableAxes(a1, a2, lambda, n[side][0], m[side][0], false),
                                  lattice, {GratingSurface::POLAR, nIn, nIn, side == 1, -sign}, true);
            convertRTBetweenBases(dense[side][1],
                                  quelbrant::denseTableAxes(a1, a2, lambda, n[side][1], m[side][1], false),
                                  lattice, {GratingSurface::POLAR, nIn, nOther, side == 1, sign}, true);
        }
        benchmark::DoNotOptimize(dense);
    }
}

}  // namespace

BENCHMARK(BM_ParseGratingFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PrepareGratingFileTables)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
