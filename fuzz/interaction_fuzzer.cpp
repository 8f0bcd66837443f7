// Fuzzes the ray path: arbitrary incident rays (NaN, infinities, zero and
// non-unit directions, extreme wavelengths, indices, fields and positions,
// specific orders, the lens-design host's parameters) against every shipped
// sample surface, loaded once in each host's mode.
//
// Every ray either gets a sound outcome (see requireSoundOutcome) or the
// index of an error-table entry with its record untouched. Rays are either
// placed inside a surface's data (fractions along its axes) with some of
// their values then overridden, or made of arbitrary values altogether.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ErrorTable.h"
#include "FuzzSupport.h"
#include "FuzzedValues.h"
#include "GratingSurface.h"
#include "RandomGeneratorTesting.h"
#include "RayProbes.h"

using namespace quelbrant;

namespace {

// QUELBRANT_FUZZ_VERBOSE=1 prints each call (for reading a single input).
const bool Verbose = std::getenv("QUELBRANT_FUZZ_VERBOSE") != nullptr;

struct LoadedSurface {
    std::unique_ptr<GratingSurface> surface;
    bool hostMode;
    // In host-program mode, the same file once more in CMOS mode (all
    // transmitted power in the zeroth order), as the lens-design adapters
    // can cache it.
    std::unique_ptr<GratingSurface> cmos;
};

std::unique_ptr<GratingSurface> loadSample(const std::filesystem::path& file, bool hostMode)
{
    try {
        return std::make_unique<GratingSurface>(file.wstring().c_str(), false, false, hostMode);
    } catch (int error) {
        std::fprintf(stderr, "sample %s does not load: %ls\n", file.c_str(), errorDescription(error));
        std::abort();
    }
}

std::vector<LoadedSurface> loadSamples()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(QUELBRANT_DATA_DIR)) {
        if (entry.path().extension() == ".json")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());  // the same surface index in every run
    std::vector<LoadedSurface> surfaces;
    for (const auto& file : files) {
        for (bool hostMode : {false, true}) {
            std::unique_ptr<GratingSurface> cmos;
            if (hostMode) {
                cmos = loadSample(file, true);
                if (!cmos->restore_Tpower_to_T00())
                    cmos.reset();
            }
            surfaces.push_back({loadSample(file, hostMode), hostMode, std::move(cmos)});
        }
    }
    FUZZ_REQUIRE(!surfaces.empty(), "the samples of " QUELBRANT_DATA_DIR " load");
    return surfaces;
}

const std::vector<LoadedSurface>& samples()
{
    static const std::vector<LoadedSurface> loaded = loadSamples();
    return loaded;
}

double fuzzedFraction(FuzzedDataProvider& input)
{
    return input.ConsumeFloatingPointInRange<double>(-0.25, 1.25);
}

// Fields of the record that an override may replace, in record order.
enum Field { DirX, DirY, DirZ, Lambda, Energy, Esr, Esi, Epr, Epi, N1, N2, U, V, X, Y, Z, FieldCount };

double& field(ProbeRay& ray, int which)
{
    BsdfPluginInteraction_V2& r = ray.record;
    double* const fields[FieldCount] = {&ray.direction[0],
                                        &ray.direction[1],
                                        &ray.direction[2],
                                        &r.lambda,
                                        &r.energy,
                                        &r.esr,
                                        &r.esi,
                                        &r.epr,
                                        &r.epi,
                                        &r.n1,
                                        &r.n2,
                                        &r.u,
                                        &r.v,
                                        &r.x,
                                        &r.y,
                                        &r.z};
    return *fields[which];
}

// The ray placed in the surface's data, then with the fields whose bit is
// set in the overrides word replaced by fuzzed values; ordinary is true when
// none was replaced.
ProbeRay fuzzedRay(FuzzedDataProvider& input, const GratingSurface& surface, std::vector<double>& params,
                   bool& ordinary)
{
    ProbePlace place;
    place.side = input.ConsumeBool() ? 1 : 0;
    place.angle1 = fuzzedFraction(input);
    place.angle2 = fuzzedFraction(input);
    place.wavelength = fuzzedFraction(input);
    place.position1 = fuzzedFraction(input);
    place.position2 = fuzzedFraction(input);
    ProbeRay ray = probeRayAt(surface, place, params);
    // Each set bit replaces one field with a fuzzed value.
    const uint16_t overrides = input.ConsumeIntegral<uint16_t>();
    ordinary = overrides == 0;
    for (int which = 0; which < FieldCount; ++which) {
        if (overrides & (1u << which))
            field(ray, which) = fuzzedValue(input);
    }
    return ray;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    (void)samples();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    resetErrorTable();
    FuzzedDataProvider input(data, size);
    const auto& surfaces = samples();
    const LoadedSurface& chosen = surfaces[input.ConsumeIntegralInRange<size_t>(0, surfaces.size() - 1)];
    seedCallingThreadGenerator(input.ConsumeIntegral<uint64_t>());

    // As the light-simulation host's export calls it, or with the options
    // only the lens-design adapters use.
    std::vector<int> order;
    bool includeReflection = true, includeTransmission = true;
    const bool adapterCall = input.ConsumeBool();
    if (adapterCall) {
        includeReflection = input.ConsumeBool();
        includeTransmission = input.ConsumeBool();
        if (input.ConsumeBool())
            order = {input.ConsumeIntegralInRange<int>(-3, 3), input.ConsumeIntegralInRange<int>(-3, 3)};
        else if (input.ConsumeBool())
            order = {input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>()};
    }
    std::vector<double> params;
    bool placedOnly = false;
    const ProbeRay before = fuzzedRay(input, *chosen.surface, params, placedOnly);
    if (!chosen.hostMode)
        params.clear();  // the light-simulation host passes none
    const bool paramsFuzzed = input.ConsumeBool();
    if (paramsFuzzed) {
        params.resize(input.ConsumeIntegralInRange<size_t>(0, 5));
        for (double& value : params) {
            if (input.ConsumeBool())
                value = fuzzedValue(input);
        }
    }

    // Read last, so that inputs written before CMOS surfaces were offered
    // still choose what they chose then.
    GratingSurface& surface = chosen.cmos && input.ConsumeBool() ? *chosen.cmos : *chosen.surface;

    if (Verbose) {
        std::fprintf(stderr, "surface %zu (%s mode%s), order [",
                     static_cast<size_t>(&chosen - surfaces.data()),
                     chosen.hostMode ? "host-program" : "light-simulation",
                     &surface == chosen.cmos.get() ? ", CMOS" : "");
        for (int n : order)
            std::fprintf(stderr, " %d", n);
        std::fprintf(stderr, " ], reflection %d, transmission %d, params [", includeReflection,
                     includeTransmission);
        for (double p : params)
            std::fprintf(stderr, " %.17g", p);
        std::fprintf(stderr, " ]\n");
        printProbeRay("in ", before);
    }

    // Nothing but a placed ray, at least one family allowed: the sample's
    // data or the fallback must answer it.
    const bool ordinary = placedOnly && !paramsFuzzed && (includeReflection || includeTransmission);
    ProbeRay ray = before;
    try {
        const int result =
            surface.Interaction_V2(&ray.record, order, includeReflection, includeTransmission, params);
        if (Verbose) {
            std::fprintf(stderr, "result %d\n", result);
            printProbeRay("out", ray);
        }
        requireSoundOutcome(result, before, ray, order.size() == 2);
    } catch (int error) {
        if (Verbose)
            std::fprintf(stderr, "error %ls\n", errorDescription(error));
        requireSoundFailure(error, before, ray);
        FUZZ_REQUIRE(!ordinary, "a ray placed in a sample's data with ordinary values is traced");
    }
    return 0;
}
