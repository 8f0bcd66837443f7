// Fuzzes the loader with arbitrary bytes as a grating file, and traces a
// few rays through every surface it accepts, before and after the CMOS
// rewrite, and writes its verification report.
//
// The bytes are written to a file and loaded as the light-simulation host
// does (and, for documents that mention a parameter scan, once more in the
// lens-design host's mode, which accepts one). A load either builds a
// surface or throws the index of an error-table entry; anything else (a
// foreign exception, a crash, undefined behaviour, a leak, an allocation
// the file's size does not back) is a finding. A surface that loads must
// then answer rays inside and just outside its data soundly.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "ErrorTable.h"
#include "FuzzSupport.h"
#include "GratingSurface.h"
#include "RandomGeneratorTesting.h"
#include "RayProbes.h"

using namespace quelbrant;

namespace {

// QUELBRANT_FUZZ_VERBOSE=1 prints what each load and ray did (for reading
// a single input, not for fuzzing).
const bool Verbose = std::getenv("QUELBRANT_FUZZ_VERBOSE") != nullptr;

// One file per fuzzing process (libFuzzer's -jobs run several at once).
const std::filesystem::path& inputPath()
{
    static const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                              ("quelbrant-loader-fuzz-" + std::to_string(getpid()) + ".json");
    return path;
}

void writeInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(inputPath().c_str(), "wb");
    FUZZ_REQUIRE(file != nullptr, "the fuzz input file can be written");
    FUZZ_REQUIRE(size == 0 || std::fwrite(data, 1, size, file) == size,
                 "the fuzz input file is written whole");
    std::fclose(file);
}

std::wstring widePath()
{
    const std::string narrow = inputPath().string();
    return std::wstring(narrow.begin(), narrow.end());  // temp paths are ASCII here
}

// Inside the data at both ends and the middle, and a little beyond it.
const ProbePlace Places[] = {
    {0, 0.0, 0.0, 0.0, 0.0, 0.0},    {0, 0.5, 0.5, 0.5, 0.5, 0.5},   {0, 1.0, 1.0, 1.0, 1.0, 1.0},
    {1, 0.0, 1.0, 0.5, 1.0, 0.0},    {1, 0.3, 0.7, 0.2, 0.6, 0.4},   {1, 1.0, 0.0, 1.0, 0.0, 1.0},
    {0, -0.1, 1.1, -0.1, 1.1, -0.1}, {1, 1.1, -0.1, 1.1, -0.1, 1.1},
};

void traceProbes(GratingSurface& surface, bool hostMode)
{
    seedCallingThreadGenerator(20261208);
    for (const ProbePlace& place : Places) {
        std::vector<double> params;
        const ProbeRay before = probeRayAt(surface, place, params);
        ProbeRay ray = before;
        try {
            const int result = surface.Interaction_V2(&ray.record, {}, true, true,
                                                      hostMode ? params : std::vector<double>{});
            if (Verbose)
                std::fprintf(stderr, "  ray from side %d: result %d\n", place.side, result);
            requireSoundOutcome(result, before, ray, false);
        } catch (int error) {
            if (Verbose)
                std::fprintf(stderr, "  ray from side %d: error %ls\n", place.side, errorDescription(error));
            requireSoundFailure(error, before, ray);
        }
    }
}

void writeReport(GratingSurface& surface, const std::wstring& path)
{
    // False for grids the report cannot list (unit-vector or k-vector axes
    // that differ); an exception would be a finding.
    (void)surface.export_verify_data(path);
    FUZZ_REQUIRE(!surface.export_verify_data(path), "a surface writes its report once");
    std::remove((inputPath().string() + ".log").c_str());
}

void load(const std::wstring& path, bool hostMode)
{
    try {
        GratingSurface surface(path.c_str(), false, false, hostMode);
        if (Verbose)
            std::fprintf(stderr, "loaded (%s mode)\n", hostMode ? "host-program" : "light-simulation");
        traceProbes(surface, hostMode);
        // What the lens-design adapters do next with a surface they cache:
        // the verification report, then CMOS mode and rays on the
        // rewritten tables.
        writeReport(surface, path);
        if (surface.restore_Tpower_to_T00())
            traceProbes(surface, hostMode);
    } catch (int error) {
        if (Verbose)
            std::fprintf(stderr, "load failed (%s mode): %ls\n",
                         hostMode ? "host-program" : "light-simulation", errorDescription(error));
        FUZZ_REQUIRE(error >= 1 && static_cast<size_t>(error) < errorTableSize(),
                     "a failed load throws the index of an entry");
    }
}

}  // namespace

// The input file goes when the process ends (every process of -jobs and
// -fork has its own); the path is made first, so that it outlives the
// handler.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    (void)inputPath();
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove(inputPath(), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    resetErrorTable();
    writeInput(data, size);
    const std::wstring path = widePath();
    load(path, false);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.find("par_") != std::string_view::npos)
        load(path, true);
    // Gone after every input too: a process that libFuzzer ends for a
    // timeout or its memory limit skips the handler at exit.
    std::error_code ignored;
    std::filesystem::remove(inputPath(), ignored);
    return 0;
}
