// Cost of the log front ends on the per-ray path: a line that is switched
// off must cost one flag load and allocate nothing; a line that is written
// shows what switching verbose output on costs a ray thread.

#include <benchmark/benchmark.h>

#include <atomic>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <random>
#include <string>

#include "logger.h"

using namespace quelbrant;

namespace {

// Every allocation of the program, counted by the replaced operator new.
std::atomic<std::size_t> allocationCount{0};

// Argument mix of the interaction's debug lines.
constexpr double incidenceAngle = 0.30000000000000004;
constexpr int orderIndex = -3;
constexpr bool isSpecular = true;
const std::complex<double> coefficient(0.125, -0.5);

void reportAllocations(benchmark::State& state, std::size_t allocationsBefore)
{
    state.counters["allocations"] = benchmark::Counter(
        static_cast<double>(allocationCount.load() - allocationsBefore), benchmark::Counter::kAvgIterations);
}

void configureLogger(bool enabled, bool verbose)
{
    getLogger().setEnabled(enabled);
    getLogger().setVerbose(verbose);
}

void BM_LogDebugWhileVerboseIsOff(benchmark::State& state)
{
    configureLogger(true, false);
    const std::size_t before = allocationCount.load();
    for (auto _ : state)
        LogDebug("theta = ", incidenceAngle, ", order ", orderIndex, ", specular ", isSpecular,
                 ", r = ", coefficient);
    reportAllocations(state, before);
}
BENCHMARK(BM_LogDebugWhileVerboseIsOff);

void BM_LogWhileLoggingIsDisabled(benchmark::State& state)
{
    configureLogger(false, false);
    const std::size_t before = allocationCount.load();
    for (auto _ : state)
        Log("theta = ", incidenceAngle, ", order ", orderIndex, ", specular ", isSpecular,
            ", r = ", coefficient);
    reportAllocations(state, before);
}
BENCHMARK(BM_LogWhileLoggingIsDisabled);

// For comparison: the same line formatted, time-stamped and queued for the
// writer (bounded run, the file grows by each line).
void BM_LogDebugWhileVerboseIsOn(benchmark::State& state)
{
    configureLogger(true, true);
    getLogger().start();
    const std::size_t before = allocationCount.load();
    for (auto _ : state)
        LogDebug("theta = ", incidenceAngle, ", order ", orderIndex, ", specular ", isSpecular,
                 ", r = ", coefficient);
    reportAllocations(state, before);
    getLogger().flush();
    configureLogger(true, false);
}
BENCHMARK(BM_LogDebugWhileVerboseIsOn)->Iterations(200000);

void BM_MakeTimeStamp(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(makeTimeStamp());
}
BENCHMARK(BM_MakeTimeStamp);

}  // namespace

// Kept out of line: once inlined, GCC takes the malloc/free pairs behind
// new and delete for mismatched allocation functions.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

[[gnu::noinline]] void* operator new[](std::size_t size)
{
    return operator new(size);
}

[[gnu::noinline]] void operator delete(void* memory) noexcept
{
    std::free(memory);
}

[[gnu::noinline]] void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

[[gnu::noinline]] void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

int main(int argc, char** argv)
{
    // The written lines go to a scratch directory removed at the end.
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() /
        ("quelbrant-logging-bench-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(directory);
    getLogger().setLogPath(directory.string());
    configureLogger(false, false);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    getLogger().stop();
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    return 0;
}
