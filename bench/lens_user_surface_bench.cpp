// Request 5 of the user-defined surface (the real ray) against the
// Interaction_V2 call it makes, on the shipped 1-D grating (three orders
// per family: the cheapest engine call, so the adapter's share is at its
// largest) and on the 21-order 1-D grating of the other benchmarks:
//   UserSurfaceRealRay/<grating>/asphere  runUserDefinedSurface5, cached
//                               surface, an even asphere hit off axis
//                               (counter: the intersection iteration's steps)
//   UserSurfaceRealRay/<grating>/plane    the same on the plane (no
//                               iteration, host frame)
//   InteractionV2/<grating>/asphere       the engine alone with the record
//                               request 5 hands it for the asphere's ray
// The grating files go to a temporary data folder of the host's layout for
// the run.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "GratingSurface.h"
#include "support/BenchGratingFiles.h"
#include "user-surface/AsphericSurface.h"
#include "user-surface/LocalFrame.h"
#include "user-surface/RaySurfaceIntersection.h"
#include "user-surface/UserDefinedSurface.h"

namespace {

using namespace quelbrant;

const std::filesystem::path& dataFolder()
{
    static const std::filesystem::path base = [] {
        const auto made = std::filesystem::temp_directory_path() / "quelbrant-lens-user-surface-bench";
        std::filesystem::create_directories(made);
        // Off Windows the host's backslashes are part of one file name.
        std::filesystem::copy_file(std::filesystem::path(QUELBRANT_DATA_DIR) / "grating-1d.json",
                                   made / "root\\DLL\\Surfaces\\grating-1d.json",
                                   std::filesystem::copy_options::overwrite_existing);
        benchfiles::writeGratingFile((made / "root\\DLL\\Surfaces\\grating-21.json").string(),
                                     benchfiles::grating1d21Orders());
        return made;
    }();
    return base;
}

std::wstring dataRoot()
{
    return (dataFolder() / "root").wstring();
}

struct Shape {
    const char* grating;  // file name in the data folder
    double curvature, conic, a4;
};
const Shape Asphere = {"grating-1d.json", 0.02, -0.5, 1e-5};
const Shape Plane = {"grating-1d.json", 0.0, 0.0, 0.0};
const Shape Asphere21 = {"grating-21.json", 0.02, -0.5, 1e-5};
const Shape Plane21 = {"grating-21.json", 0.0, 0.0, 0.0};

// A ray in the glass towards +z, 5 mm and 3 mm off axis, asking for order +1.
void fillRay(UserSurfaceOutput& out, UserSurfaceInput& in, const Shape& shape)
{
    std::memset(&out, 0, sizeof out);
    std::memset(&in, 0, sizeof in);
    in.type = 5;
    std::strcpy(in.fileName, shape.grating);
    out.x = 5.0;
    out.y = 3.0;
    out.z = -1.0;
    // Tilted, so that the intersection iteration has work to do.
    out.l = 0.1;
    out.m = 0.05;
    out.n = std::sqrt(1.0 - 0.01 - 0.0025);
    in.E[2] = -1.0;
    in.wavelength = 0.55;
    in.approachIndex = 1.5;
    in.exitIndex = 1.0;
    in.curvature = shape.curvature;
    in.conic = shape.conic;
    in.param[1] = 1.0;
    in.param[16] = shape.a4;
}

void realRay(benchmark::State& state, const Shape& shape)
{
    UserSurfaceOutput out, start;
    UserSurfaceInput in, startIn;
    fillRay(start, startIn, shape);
    if (runUserDefinedSurface5(&start, &startIn, dataRoot) != 0) {
        state.SkipWithError("request 5 fails");
        return;
    }
    fillRay(start, startIn, shape);
    const std::vector<double> params(startIn.param, startIn.param + UserSurfaceParamCount);
    if (shape.curvature != 0.0)
        state.counters["intersectionSteps"] =
            intersectSurface({start.x, start.y, start.z}, {start.l, start.m, start.n},
                             EvenAsphere(shape.curvature, shape.conic, params))
                .steps;
    out = start;
    in = startIn;
    for (auto _ : state) {
        // The request writes the position, direction and field back.
        out = start;
        std::memcpy(in.E, startIn.E, sizeof in.E);
        benchmark::DoNotOptimize(runUserDefinedSurface5(&out, &in, dataRoot));
        benchmark::ClobberMemory();
    }
}

// The engine call request 5 makes for the asphere's ray: the local
// direction at the hit point, S and P of the local field, the position.
void interactionOnly(benchmark::State& state, const Shape& shape)
{
    UserSurfaceOutput out;
    UserSurfaceInput in;
    fillRay(out, in, shape);
    const std::vector<double> params(in.param, in.param + UserSurfaceParamCount);
    const EvenAsphere asphere(shape.curvature, shape.conic, params);
    const SurfaceIntersection hit = intersectSurface({out.x, out.y, out.z}, {out.l, out.m, out.n}, asphere);
    const Vector3 normal = surfaceNormal(hit.position[0], hit.position[1], asphere);
    const LocalFrame frame = buildLocalFrame(normal, false, 0.0, false, false);
    const Vector3 local = frame.toLocal(Vector3{out.l, out.m, out.n});
    const std::wstring path = dataRoot() + L"\\DLL\\Surfaces\\" + std::filesystem::path(shape.grating).wstring();
    GratingSurface surface(path.c_str(), false, false, true);
    const std::vector<int> order = {1, 0};
    const std::vector<double> interactionParams = {0.0, 0.0, 0.0, 0.0};
    for (auto _ : state) {
        double direction[3] = {local[0], local[1], local[2]};
        BsdfPluginInteraction_V2 record{};
        record.instance = &surface;
        record.direction = direction;
        record.lambda = 550.0;
        record.energy = 1.0;
        record.esr = 1.0;
        record.n1 = 1.5;
        record.n2 = 1.0;
        record.x = hit.position[0];
        record.y = hit.position[1];
        benchmark::DoNotOptimize(surface.Interaction_V2(&record, order, false, true, interactionParams));
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(realRay, asphere, Asphere)->Name("UserSurfaceRealRay/grating-1d/asphere");
BENCHMARK_CAPTURE(realRay, plane, Plane)->Name("UserSurfaceRealRay/grating-1d/plane");
BENCHMARK_CAPTURE(interactionOnly, asphere, Asphere)->Name("InteractionV2/grating-1d/asphere");
BENCHMARK_CAPTURE(realRay, asphere21, Asphere21)->Name("UserSurfaceRealRay/grating-21/asphere");
BENCHMARK_CAPTURE(realRay, plane21, Plane21)->Name("UserSurfaceRealRay/grating-21/plane");
BENCHMARK_CAPTURE(interactionOnly, asphere21, Asphere21)->Name("InteractionV2/grating-21/asphere");

}  // namespace

BENCHMARK_MAIN();
