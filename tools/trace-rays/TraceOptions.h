#pragma once

// Command line of trace-rays.

#include <array>
#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The half space the incident ray comes from: below is z < 0 (the ray
// travels toward +z), above is z > 0.
enum class Side { Below, Above };

// Which of the library's entry points the rays go through: the
// light-simulation host's Interaction_V2, or (Windows build) the lens-design
// host's UserDiffraction2D or UserDefinedSurface5.
enum class HostEntry { Bsdf, Diffraction2D, UserSurface };

struct TraceOptions {
    std::string libraryPath;
    std::string gratingPath;
    size_t rays = 100000;
    unsigned threads = 0;  // 0: one per hardware thread
    double thetaDegrees = 30.0;
    double phiDegrees = 0.0;
    std::optional<std::array<double, 3>> direction;  // replaces theta/phi and side when given
    Side side = Side::Below;
    double wavelengthNm = 633.0;
    // Field of every ray in the library's S/P basis, normalised to unit power,
    // unless each ray gets its own random linear polarisation.
    bool unpolarised = false;
    std::complex<double> es{1.0, 0.0};
    std::complex<double> ep{0.0, 0.0};
    std::optional<double> n1, n2;  // default: the file's indices for the chosen side
    double xMm = 0.0, yMm = 0.0;   // hit point in host units (mm)
    // Basis the tables are held in, for the expectation only; default: X/Y
    // for unit-vector and k-vector grids, S/P for polar grids.
    std::optional<bool> tablesInXY;
    std::uint64_t seed = 1;  // drives only the random polarisations of unpolarised light
    // When set: exit with CheckFailed if the outcome disagrees with the
    // tables by more than this many standard errors.
    std::optional<double> checkSigmas;
    HostEntry entry = HostEntry::Bsdf;
    std::string dataRoot;  // --entry user-surface: set as the host's data folder first
    bool help = false;
};

// Parses the arguments after the program name on top of `defaults`. Throws
// std::invalid_argument with a message for the user on anything it cannot use.
TraceOptions parseTraceOptions(const std::vector<std::string>& arguments, TraceOptions defaults);

std::string usageText(const TraceOptions& defaults);

// Unit direction of the incident ray.
std::array<double, 3> incidentDirection(const TraceOptions& options);

// Side the incident ray comes from, as the direction says.
Side incidentSide(const TraceOptions& options);
