// Loading a large grating file (about 100 MB: many orders, angles and
// wavelengths) against the bare JSON parse of the same file, in time and in
// peak memory.
//
// The file is generated on first use into the system's temporary folder.
// Peak memory is measured in a forked child per case (its resident-set peak
// reset at the start), so the cases do not see each other's allocations.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "GratingSurface.h"

#if defined(__linux__)
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace quelbrant;

namespace {

using json = nlohmann::json;

// Grid of the generated file, the same on both sides: 20 theta x 8 phi x 10
// wavelengths, orders n = -5..5, m = -4..4 (99, all listed), 2 x 2 Jones
// blocks, complex. That is 4 tables of 633,600 elements, 5.07 million numbers.
constexpr int ThetaCount = 20;
constexpr int PhiCount = 8;
constexpr int LambdaCount = 10;
constexpr int NMin = -5, NMax = 5, MMin = -4, MMax = 4;
constexpr size_t OrderCount = (NMax - NMin + 1) * (MMax - MMin + 1);
constexpr size_t TableElements = size_t{ThetaCount} * PhiCount * LambdaCount * OrderCount * 4;

struct BenchFile {
    std::filesystem::path path;
    std::wstring wideName;
    uintmax_t bytes = 0;
};

class NumberWriter {
public:
    explicit NumberWriter(std::FILE* out) : mOut(out) {}
    void list(const std::vector<double>& values)
    {
        std::fputc('[', mOut);
        for (size_t i = 0; i < values.size(); ++i)
            std::fprintf(mOut, i ? ",%.17g" : "%.17g", values[i]);
        std::fputc(']', mOut);
    }

private:
    std::FILE* mOut;
};

// Deterministic pseudo-random coefficients in [-1, 1), full double digits as
// a solver would write them.
double nextCoefficient(uint64_t& state)
{
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

void writeTable(std::FILE* out, uint64_t& state)
{
    std::fprintf(out, "{\"_type\":\"matrix\",\"_complex\":true,\"_size\":[%d,%d,%d,%zu,2,2],\"_data\":[",
                 ThetaCount, PhiCount, LambdaCount, OrderCount);
    for (size_t e = 0; e < 2 * TableElements; ++e)
        std::fprintf(out, e ? ",%.17g" : "%.17g", nextCoefficient(state));
    std::fputs("]}", out);
}

void writeOrderList(std::FILE* out)
{
    std::vector<double> n, m;
    for (int mm = MMin; mm <= MMax; ++mm) {
        for (int nn = NMin; nn <= NMax; ++nn) {
            n.push_back(nn);
            m.push_back(mm);
        }
    }
    n.insert(n.end(), m.begin(), m.end());
    std::fprintf(out, "{\"_type\":\"matrix\",\"_complex\":false,\"_size\":[%zu,2],\"_data\":", OrderCount);
    NumberWriter(out).list(n);
    std::fputc('}', out);
}

void writeHalfSpace(std::FILE* out, uint64_t& state)
{
    std::vector<double> theta, phi, lambda;
    for (int i = 0; i < ThetaCount; ++i)
        theta.push_back(3.0 * i);
    for (int j = 0; j < PhiCount; ++j)
        phi.push_back(45.0 * j);
    for (int k = 0; k < LambdaCount; ++k)
        lambda.push_back(4e-7 + 5e-8 * k);
    std::fputs("{\"angle_definition\":{\"theta\":", out);
    NumberWriter(out).list(theta);
    std::fputs(",\"phi\":", out);
    NumberWriter(out).list(phi);
    std::fputs("},\"wavelength\":", out);
    NumberWriter(out).list(lambda);
    std::fputs(",\"list_orders_R\":", out);
    writeOrderList(out);
    std::fputs(",\"list_orders_T\":", out);
    writeOrderList(out);
    std::fputs(",\"R\":", out);
    writeTable(out, state);
    std::fputs(",\"T\":", out);
    writeTable(out, state);
    std::fputc('}', out);
}

std::wstring wideFromAscii(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// interpolationBasis 2 keeps the file's S/P basis; 3 converts every table
// to X/Y during the load.
const BenchFile& benchFile(int interpolationBasis)
{
    static BenchFile files[4];
    BenchFile& file = files[interpolationBasis];
    if (!file.path.empty())
        return file;
    file.path = std::filesystem::temp_directory_path() /
                ("quelbrant-load-bench-100mb-basis" + std::to_string(interpolationBasis) + ".json");
    if (!std::filesystem::exists(file.path)) {
        const std::filesystem::path partial = file.path.string() + ".partial";
        std::FILE* out = std::fopen(partial.c_str(), "wb");
        if (out == nullptr)
            throw std::runtime_error("cannot write " + partial.string());
        uint64_t state = 20261207;
        std::fprintf(out,
                     "{\"description\":\"load benchmark\",\"n_lower\":1.5,\"n_upper\":1.0,"
                     "\"reciprocal_lattice_vector_1\":[6283185.307179586,0],"
                     "\"reciprocal_lattice_vector_2\":[0,3141592.653589793],"
                     "\"polarization_data_basis\":1,\"polarization_interpolation_basis\":%d,"
                     "\"grat_results_lower\":",
                     interpolationBasis);
        writeHalfSpace(out, state);
        std::fputs(",\"grat_results_upper\":", out);
        writeHalfSpace(out, state);
        std::fputs("}\n", out);
        std::fclose(out);
        std::filesystem::rename(partial, file.path);
    }
    file.bytes = std::filesystem::file_size(file.path);
    file.wideName = wideFromAscii(file.path.string());
    return file;
}

json bareParse(const std::filesystem::path& path)
{
    std::ifstream in(path);
    json document;
    in >> document;
    return document;
}

void loadSurface(const BenchFile& file)
{
    try {
        GratingSurface surface(file.wideName.c_str(), false, false, false);
        benchmark::DoNotOptimize(&surface);
    } catch (int index) {
        throw std::runtime_error("the benchmark file did not load: error " + std::to_string(index));
    }
}

void BM_BareParse(benchmark::State& state)
{
    const BenchFile& file = benchFile(2);
    for (auto _ : state) {
        json document = bareParse(file.path);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes));
}

void BM_Load(benchmark::State& state)
{
    const BenchFile& file = benchFile(static_cast<int>(state.range(0)));
    for (auto _ : state)
        loadSurface(file);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes));
}

#if defined(__linux__)
size_t statusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoul(line.substr(prefix.size()));
    }
    return 0;
}

// Growth of the resident-set peak over the baseline while work runs, in
// bytes, measured in a forked child.
template <class Work>
double peakGrowthBytes(Work work)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1.0;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::ofstream("/proc/self/clear_refs") << "5";  // reset the peak to the current size
        const size_t baseline = statusKiB("VmRSS");
        work();
        const double growth = 1024.0 * static_cast<double>(statusKiB("VmHWM") - baseline);
        (void)!write(pipeEnds[1], &growth, sizeof growth);
        _exit(0);
    }
    close(pipeEnds[1]);
    double growth = -1.0;
    if (read(pipeEnds[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth))
        growth = -1.0;
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return growth;
}

void BM_PeakMemory(benchmark::State& state)
{
    const BenchFile& file = benchFile(static_cast<int>(state.range(0)));
    double parsePeak = 0.0, loadPeak = 0.0;
    for (auto _ : state) {
        parsePeak = peakGrowthBytes([&] { benchmark::DoNotOptimize(bareParse(file.path)); });
        loadPeak = peakGrowthBytes([&] { loadSurface(file); });
    }
    // Four dense tables, each as large as its file table (every order of the
    // rectangle is listed).
    const double denseBytes = 4.0 * static_cast<double>(TableElements) * 16.0;
    const double mib = 1024.0 * 1024.0;
    state.counters["file_MiB"] = static_cast<double>(file.bytes) / mib;
    state.counters["dense_MiB"] = denseBytes / mib;
    state.counters["parse_peak_MiB"] = parsePeak / mib;
    state.counters["load_peak_MiB"] = loadPeak / mib;
    state.counters["load_over_parse_plus_2dense"] = loadPeak / (parsePeak + 2.0 * denseBytes);
    state.counters["load_peak_over_file"] = loadPeak / static_cast<double>(file.bytes);
}
#endif

}  // namespace

BENCHMARK(BM_BareParse)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Load)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Load)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(3);
#if defined(__linux__)
BENCHMARK(BM_PeakMemory)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1);
#endif

BENCHMARK_MAIN();
