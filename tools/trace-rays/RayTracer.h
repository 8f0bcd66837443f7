#pragma once

// Sends rays through Interaction_V2 from several threads, as the host does.

#include <array>
#include <complex>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "PluginLibrary.h"
#include "RayTally.h"

struct TraceSetup {
    void* instance = nullptr;
    std::array<double, 3> direction{0.0, 0.0, 1.0};
    double wavelengthNm = 633.0;
    double n1 = 1.0, n2 = 1.0;
    double xMm = 0.0, yMm = 0.0;
    bool unpolarised = false;
    std::complex<double> es{1.0, 0.0}, ep{0.0, 0.0};
    std::uint64_t seed = 1;
    std::uint64_t rays = 0;
    unsigned threads = 1;
    // Traces one ray another way than the plug-in's Interaction_V2 (an
    // entry point of the lens-design host); same answer as Interaction_V2.
    std::function<int(BsdfPluginInteraction_V2&)> traceRay;
};

struct TraceRun {
    RayTally tally;
    double seconds = 0.0;
    std::optional<int> errorIndex;  // the first error index a ray threw
    std::string failure;            // anything else that went wrong
};

// Traces setup.rays rays. `progress` is called now and then from the calling
// thread with the number of rays done so far.
TraceRun traceRays(const PluginExports& plugin, const TraceSetup& setup,
                   const std::function<void(std::uint64_t done, double seconds)>& progress);
