// Fuzzes the lens-design host's two portable entry points as the host calls
// them: arbitrary DiffractionData blocks through runUserDiffraction2D and
// arbitrary UserSurfaceInput / UserSurfaceOutput records (every request
// type) through runUserDefinedSurface5, against the shipped samples placed
// in the host's folders.
//
// Properties: no crash or undefined behaviour; a call answers 0 or -1; on
// -1 the block or both records are byte for byte as they were; on 0 every
// double the call changed is finite, and a ray it sent on (a diffracted ray,
// a paraxial or real ray of the user surface) leaves in a direction of unit
// length. A call that reads the incident direction (the diffraction entry,
// requests 4 and 5) serves none with a NaN or infinite component. A ray a
// stochastic surface sends on is flagged reflected exactly when it leaves on
// the side it came from (ReflectedFlag.h). And a second oracle: an incident
// direction the engine takes as unit (|d|^2 - 1 within 1e-9), or one with a
// -0 component, is traced once more as its exactly unit twin
// (UnitDirectionTwin.h), with the same random draws; both must be served
// alike, but where a nearest theta node ties (NearestNodeTies.h).
//
// The caches keep every surface until unload, so the values that make a
// cache key (file, "Stochastic mode", "Test Mode", "Rotate", "Log") come
// from small fixed sets: arbitrary keys would load a file per input. "Test
// Mode" drives CMOS mode (8), the verification report (32) and both (40),
// written beside the sample copies in the fuzzer's own temporary folder;
// values that switch logs on are left out, and so is "Log" 99 (verbose log
// and report). Everything else in the block and records is arbitrary.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "FuzzSupport.h"
#include "FuzzedValues.h"
#include "NearestNodeTies.h"
#include "RandomGeneratorTesting.h"
#include "ReflectedFlag.h"
#include "UnitDirectionTwin.h"
#include "diffraction/DiffractionData.h"
#include "diffraction/DiffractionRequest.h"
#include "geometry/Geometry.h"
#include "logger.h"
#include "user-surface/AsphericSurface.h"
#include "user-surface/SurfaceParamNames.h"
#include "user-surface/UserDefinedSurface.h"
#include "user-surface/UserSurfaceRecords.h"

using namespace quelbrant;

namespace {

using quelbrant::DiffractionData;
using quelbrant::UserSurfaceInput;
using quelbrant::UserSurfaceOutput;

const bool Verbose = std::getenv("QUELBRANT_FUZZ_VERBOSE") != nullptr;
const double NaN = std::numeric_limits<double>::quiet_NaN();

// The samples in both host layouts: the user surface opens
// <root>\DLL\Surfaces\<name>, the diffraction entry <folder>\<name>. Off
// Windows a backslash is part of a file name, so both are files in base.
struct HostFolders {
    std::filesystem::path base;
    std::wstring root;
    std::u16string folder;
    std::vector<std::string> samples;
};

const HostFolders& hostFolders()
{
    static const HostFolders folders = [] {
        HostFolders made;
        made.base = std::filesystem::temp_directory_path() /
                    ("quelbrant-lens-fuzz-" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::create_directories(made.base);
        made.root = (made.base / "root").wstring();
        const std::string folder = (made.base / "gratings").string();
        made.folder.assign(folder.begin(), folder.end());
        for (const auto& entry : std::filesystem::directory_iterator(QUELBRANT_DATA_DIR)) {
            if (entry.path().extension() == ".json")
                made.samples.push_back(entry.path().filename().string());
        }
        std::sort(made.samples.begin(), made.samples.end());
        for (const std::string& name : made.samples) {
            const auto source = std::filesystem::path(QUELBRANT_DATA_DIR) / name;
            const auto overwrite = std::filesystem::copy_options::overwrite_existing;
            std::filesystem::copy_file(source, made.base / ("root\\DLL\\Surfaces\\" + name), overwrite);
            std::filesystem::copy_file(source, made.base / ("gratings\\" + name), overwrite);
        }
        FUZZ_REQUIRE(!made.samples.empty(), "the samples of " QUELBRANT_DATA_DIR " are there");
        return made;
    }();
    return folders;
}

std::wstring dataRoot()
{
    return hostFolders().root;
}

// A shipped sample, or a name that is not there.
std::string fuzzedFileName(FuzzedDataProvider& input)
{
    const auto& samples = hostFolders().samples;
    const std::size_t pick = input.ConsumeIntegralInRange<std::size_t>(0, samples.size());
    return pick < samples.size() ? samples[pick] : "missing.json";
}

template <std::size_t N>
double pickFrom(FuzzedDataProvider& input, const double (&values)[N])
{
    return values[input.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

// Every double of [begin, end) that differs (bitwise) from its copy in
// before is finite.
void requireChangedDoublesFinite(const void* before, const void* after, std::size_t bytes, const char* what)
{
    for (std::size_t offset = 0; offset + sizeof(double) <= bytes; offset += sizeof(double)) {
        double was, is;
        std::memcpy(&was, static_cast<const char*>(before) + offset, sizeof was);
        std::memcpy(&is, static_cast<const char*>(after) + offset, sizeof is);
        if (std::memcmp(&was, &is, sizeof was) != 0 && !std::isfinite(is)) {
            std::fprintf(stderr, "%s: byte offset %zu now holds %g\n", what, offset, is);
            FUZZ_REQUIRE(false, "a call writes only finite doubles into the host's records");
        }
    }
}

// A ray the call sent on leaves in a direction of unit length (the values
// are finite: checked before).
void requireUnitDirection(double x, double y, double z, const char* what)
{
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(std::abs(length - 1.0) <= 1e-9)) {
        std::fprintf(stderr, "%s: direction (%.17g, %.17g, %.17g) of length %.17g\n", what, x, y, z, length);
        FUZZ_REQUIRE(false, "a ray sent on leaves in a direction of unit length");
    }
}

// A call that served a ray read a direction that names one.
void requireFiniteDirectionIfServed(bool served, const double* direction, const char* what)
{
    if (served && !allFinite({direction[0], direction[1], direction[2]})) {
        std::fprintf(stderr, "%s: direction (%g, %g, %g) served\n", what, direction[0], direction[1], direction[2]);
        FUZZ_REQUIRE(false, "a direction with a NaN or infinite component is never served");
    }
}

// The theta ties of the sample where the host's "No Interpolation" value
// asks for nearest angle nodes; none where the lookup interpolates.
const std::vector<double>& tieCosinesIfNearest(double noInterpolation, const std::string& name)
{
    static const std::vector<double> none;
    return asksNearestAngleNodes(noInterpolation) ? thetaTieCosines(name) : none;
}

HostRayOutcome diffractionOutcome(int result, const std::vector<double>& block)
{
    HostRayOutcome outcome;
    outcome.result = result;
    outcome.power = block[DiffractionData::outputPower];
    std::copy_n(block.data() + DiffractionData::outCosine, 3, outcome.direction);
    std::copy_n(block.data() + DiffractionData::outField, 6, outcome.field);
    return outcome;
}

// The block as it was, traced again with the direction's twin; a
// stochastic surface draws the same numbers as for the first call.
void requireDiffractionSameAsTwin(const std::vector<double>& before, int result,
                                  const std::vector<double>& after, std::uint64_t seed, const std::string& name)
{
    double twinDirection[3];
    const double* direction = before.data() + DiffractionData::cosine;
    if (!ordinaryMagnitudes(before[DiffractionData::approachIndex], before[DiffractionData::exitIndex],
                            before[DiffractionData::wavelength]) ||
        !exactlyUnitTwin(direction, before.data() + DiffractionData::field, twinDirection))
        return;
    std::vector<double> twin = before;
    std::copy_n(twinDirection, 3, twin.data() + DiffractionData::cosine);
    seedCallingThreadGenerator(seed);
    const int twinResult = quelbrant::runUserDiffraction2D(twin.data());
    // The normal of the grating's frame (any length, either sign).
    std::array<double, 3> normal;
    const bool normalKnown = gratingFrameNormal(before.data() + DiffractionData::normal, normal);
    // "No Interpolation" is the block's parameter 12, read from 14 on.
    const double* params = before.data() + DiffractionData::paramValues;
    const double noInterpolation = before[DiffractionData::paramCount] >= 14.0 ? params[12] : 0.0;
    requireSameAsTwin("UserDiffraction2D", direction, twinDirection, diffractionOutcome(result, after),
                      diffractionOutcome(twinResult, twin), normalKnown ? normal.data() : nullptr,
                      tieCosinesIfNearest(noInterpolation, name));
}

void fuzzDiffraction(FuzzedDataProvider& input, std::uint64_t seed)
{
    std::vector<double> block(DiffractionData::minimumDoubles, 0.0);
    // The ray's doubles (indices 1 to 99) arbitrary, one by one as a mask
    // selects them; the rest of them stay at a plain ray's values.
    block[DiffractionData::cosine + 2] = 1.0;
    block[DiffractionData::normal + 2] = 1.0;
    block[DiffractionData::wavelength] = 0.55;
    block[DiffractionData::approachIndex] = 1.5;
    block[DiffractionData::exitIndex] = 1.0;
    block[DiffractionData::field] = 1.0;
    const std::size_t overrides = input.ConsumeIntegralInRange<std::size_t>(0, 12);
    for (std::size_t i = 0; i < overrides; ++i)
        block[input.ConsumeIntegralInRange<std::size_t>(1, 99)] = fuzzedValue(input);

    // File and folder: zero beyond their terminators, so that only the
    // sample chosen moves the key.
    const std::string name = fuzzedFileName(input);
    auto* bytes = reinterpret_cast<char16_t*>(block.data());
    const std::u16string& folder = hostFolders().folder;
    std::copy(folder.begin(), folder.end(), bytes + DiffractionData::directoryBytes / 2);
    std::copy(name.begin(), name.end(), bytes + DiffractionData::fileNameBytes / 2);

    const double counts[] = {0, 1, 3, 5, 7, 8, 13, 14, 15, 1000, -1, NaN, 1e300, 2147483648.0, 0.5};
    block[DiffractionData::paramCount] = pickFrom(input, counts);
    const double stochastic[] = {0.0, 1.0, NaN};
    const double testMode[] = {0.0, 8.0, 32.0, 40.0, 4.0, -8.0, 1e12, NaN};  // no log or verbose bits
    const double rotate[] = {0.0, 90.0, 30.0, -0.0, NaN};
    double* params = block.data() + DiffractionData::paramValues;
    params[0] = pickFrom(input, stochastic);
    params[2] = pickFrom(input, testMode);
    params[4] = pickFrom(input, rotate);
    for (int i : {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13}) {
        if (input.ConsumeBool())
            params[i] = fuzzedValue(input);
    }

    const std::vector<double> before = block;
    const int result = quelbrant::runUserDiffraction2D(block.data());
    if (Verbose)
        std::fprintf(stderr, "UserDiffraction2D %s: %d\n", name.c_str(), result);
    FUZZ_REQUIRE(result == 0 || result == -1, "UserDiffraction2D answers 0 or -1");
    const bool written = std::memcmp(before.data(), block.data(), block.size() * sizeof(double)) != 0;
    if (result == -1)
        FUZZ_REQUIRE(!written, "a refused or failed block is left untouched");
    else
        requireChangedDoublesFinite(before.data(), block.data(), block.size() * sizeof(double), "block");
    requireFiniteDirectionIfServed(result == 0 && written, before.data() + DiffractionData::cosine,
                                   "UserDiffraction2D");
    const double* out = block.data() + DiffractionData::outCosine;
    if (result == 0 && std::memcmp(out, before.data() + DiffractionData::outCosine, 3 * sizeof(double)) != 0)
        requireUnitDirection(out[0], out[1], out[2], "UserDiffraction2D");
    requireReflectedFlag(before, block, result);
    requireDiffractionSameAsTwin(before, result, block, seed, name);
}

// A real ray carries its power in the amplitude of its field; without a
// field from the host the trace starts from S = P = 1.
HostRayOutcome realRayOutcome(int result, const UserSurfaceOutput& out, const UserSurfaceInput& in,
                              const double* incidentField)
{
    const double incidentPower = fieldPower(incidentField);
    HostRayOutcome outcome;
    outcome.result = result;
    outcome.power = fieldPower(in.E) / (incidentPower != 0.0 ? incidentPower : 2.0);
    outcome.direction[0] = out.l;
    outcome.direction[1] = out.m;
    outcome.direction[2] = out.n;
    std::copy_n(in.E, 6, outcome.field);
    return outcome;
}

// A real ray (request 5) traced again from the records as they were, with
// the twin of the host's direction.
void requireRealRaySameAsTwin(const UserSurfaceOutput& outBefore, const UserSurfaceInput& inBefore,
                              int result, const UserSurfaceOutput& out, const UserSurfaceInput& in,
                              std::uint64_t seed)
{
    const double direction[3] = {outBefore.l, outBefore.m, outBefore.n};
    double twinDirection[3];
    if (inBefore.type != 5 ||
        !ordinaryMagnitudes(inBefore.approachIndex, inBefore.exitIndex, inBefore.wavelength) ||
        !exactlyUnitTwin(direction, inBefore.E, twinDirection))
        return;
    UserSurfaceOutput twinOut = outBefore;
    UserSurfaceInput twinIn = inBefore;
    twinOut.l = twinDirection[0];
    twinOut.m = twinDirection[1];
    twinOut.n = twinDirection[2];
    seedCallingThreadGenerator(seed);
    const int twinResult = quelbrant::runUserDefinedSurface5(&twinOut, &twinIn, dataRoot);
    // The surface's normal at the hit point of whichever call met it.
    const UserSurfaceOutput& hit = result == 0 ? out : twinOut;
    const EvenAsphere shape(inBefore.curvature, inBefore.conic, inBefore.param, UserSurfaceParamCount);
    Vector3 normal = {0.0, 0.0, 1.0};
    bool normalKnown = result == 0 || twinResult == 0;
    try {
        if (normalKnown && !shape.isPlane())
            normal = surfaceNormal(hit.x, hit.y, shape);
    } catch (int) {
        normalKnown = false;
    }
    requireSameAsTwin("UserDefinedSurface5 request 5", direction, twinDirection,
                      realRayOutcome(result, out, in, inBefore.E),
                      realRayOutcome(twinResult, twinOut, twinIn, inBefore.E),
                      normalKnown ? normal.data() : nullptr,
                      tieCosinesIfNearest(inBefore.param[SurfaceParam::CheckIndex + 3], inBefore.fileName));
}

void fuzzUserSurface(FuzzedDataProvider& input, std::uint64_t seed)
{
    UserSurfaceOutput out{};
    UserSurfaceInput in{};
    const int types[] = {0, 1, 2, 3, 4, 5, 5, 5, 6, 7, 8, -1};
    in.type = types[input.ConsumeIntegralInRange<std::size_t>(0, std::size(types) - 1)];
    in.item = input.ConsumeIntegralInRange<int>(-2, 30);
    in.reflecting = input.ConsumeIntegral<std::int8_t>() % 3;
    in.mirrorSpaceAfter = input.ConsumeIntegral<std::int8_t>() % 3;
    // A plain ray, then arbitrary values where a mask says so.
    out.n = 1.0;
    in.wavelength = 0.55;
    in.approachIndex = 1.5;
    in.exitIndex = 1.0;
    double* const fields[] = {&out.x, &out.y, &out.z, &out.l, &out.m, &out.n, &in.E[0], &in.E[1], &in.E[2],
                              &in.E[3], &in.E[4], &in.E[5], &in.wavelength, &in.approachIndex,
                              &in.exitIndex, &in.curvature, &in.conic};
    const std::uint32_t mask = input.ConsumeIntegral<std::uint32_t>();
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (mask & (1u << i))
            *fields[i] = fuzzedValue(input);
    }
    for (int number : {1, 2, 3, 5, 6, 7, 8, 9, 10, 15, 16, 17, 24}) {
        if (input.ConsumeBool())
            in.param[number] = input.ConsumeBool() ? fuzzedValue(input) : input.ConsumeIntegralInRange<int>(-2, 2);
    }
    const double log[] = {0.0, -0.0, 0.5, NaN, 1e12};  // no 99: verbose lines and reports
    in.param[4] = pickFrom(input, log);
    const std::string name = fuzzedFileName(input);
    std::strncpy(in.fileName, name.c_str(), sizeof in.fileName - 1);

    const UserSurfaceOutput outBefore = out;
    const UserSurfaceInput inBefore = in;
    const int result = quelbrant::runUserDefinedSurface5(&out, &in, dataRoot);
    if (Verbose)
        std::fprintf(stderr, "UserDefinedSurface5 type %d %s: %d\n", inBefore.type, name.c_str(), result);
    FUZZ_REQUIRE(result == 0 || result == -1, "UserDefinedSurface5 answers 0 or -1");
    if (result == -1) {
        FUZZ_REQUIRE(std::memcmp(&out, &outBefore, sizeof out) == 0 && std::memcmp(&in, &inBefore, sizeof in) == 0,
                     "a failed request leaves both records untouched");
    } else {
        requireChangedDoublesFinite(&outBefore, &out, offsetof(UserSurfaceOutput, text), "output record");
        requireChangedDoublesFinite(&inBefore.E, &in.E, sizeof in.E, "field");
        requireChangedDoublesFinite(&inBefore.param, &in.param, sizeof in.param, "parameters");
        // Request 4 of a ray along the vertex plane (n = 0) writes only the
        // normal.
        if (inBefore.type == 5 || (inBefore.type == 4 && outBefore.n != 0.0))
            requireUnitDirection(out.l, out.m, out.n, "UserDefinedSurface5");
    }
    // The paraxial and the real ray read the direction; the other requests
    // do not.
    const double direction[3] = {outBefore.l, outBefore.m, outBefore.n};
    requireFiniteDirectionIfServed(result == 0 && (inBefore.type == 4 || inBefore.type == 5), direction,
                                   "UserDefinedSurface5");
    requireRealRaySameAsTwin(outBefore, inBefore, result, out, in, seed);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    (void)hostFolders();
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(hostFolders().base, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    resetErrorTable();
    FuzzedDataProvider input(data, size);
    const std::uint64_t seed = input.ConsumeIntegral<std::uint64_t>();
    seedCallingThreadGenerator(seed);
    if (input.ConsumeBool())
        fuzzDiffraction(input, seed);
    else
        fuzzUserSurface(input, seed);
    // A "Log" no int holds switches the process-wide log on; the next input
    // starts quiet again.
    getLogger().setEnabled(false);
    getLogger().setVerbose(false);
    return 0;
}
