#include "UnitDirectionTwin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "FuzzSupport.h"

namespace quelbrant {

namespace {

// |d|^2 - 1 up to this is unit to the engine (normaliseDirection leaves the
// direction as it is). Fixed here, not read from the engine: the oracle
// states what the host may rely on, whatever the engine does inside.
constexpr double EngineUnitTolerance = 1e-9;
// What may differ between the two calls: rounding of a direction that is
// unit only to 1e-9 must reach the outgoing ray at less than this.
constexpr double OutcomeTolerance = 1e-6;
// Within this cosine of grazing a ray's outcome follows rounding: an order
// at grazing carries no ray, and the normal part of one near it, sqrt(1 -
// u^2), keeps only eps / cos^2 of its digits (at 1e-4, 1e-8 of them).
constexpr double GrazingCosine = 1e-4;
// Within this of the cosine at which a nearest theta node ties, the node a
// ray reads follows rounding: the engine reads theta from a direction unit
// only to 2^-50 (4 eps of the cosine), acos and the turn into degrees round
// by about 2 ulps of theta (up to 3 eps of the cosine), and this oracle forms
// the cosine and the tie's in another order (a few eps more).
constexpr double TieCosine = 16 * std::numeric_limits<double>::epsilon();
// Below this incident power |E|^2 lies near the subnormal doubles, and a
// power ratio formed from it keeps too few digits to compare.
constexpr double SmallestComparedPower = 1e-280;

// Alike within the tolerance, relative to the largest magnitude among them
// where it exceeds 1: an order's energy, and with it the outgoing power and
// field, can be anything the table and the indices make it.
bool alike(const double* a, const double* b, int count)
{
    double scale = 1.0;
    for (int i = 0; i < count; ++i)
        scale = std::max({scale, std::abs(a[i]), std::abs(b[i])});
    for (int i = 0; i < count; ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof a[i]) != 0 &&
            !(std::abs(a[i] - b[i]) <= OutcomeTolerance * scale))
            return false;
    }
    return true;
}

double passedPower(const HostRayOutcome& outcome)
{
    return outcome.result == 0 ? outcome.power : 0.0;
}

double dot(const double* a, const double* b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

bool grazes(const double* direction, const double* normal)
{
    return std::abs(dot(direction, normal)) <= GrazingCosine;
}

bool nearGrazing(const double* direction, const double* normal, const HostRayOutcome& a,
                 const HostRayOutcome& b)
{
    return normal != nullptr &&
           (grazes(direction, normal) || (passedPower(a) != 0.0 && grazes(a.direction, normal)) ||
            (passedPower(b) != 0.0 && grazes(b.direction, normal)));
}

// The ray's incidence cosine is within rounding of a tie's.
bool nearTie(const double* direction, const double* normal, const std::vector<double>& tieCosines)
{
    const double cosine = std::abs(dot(direction, normal)) / std::sqrt(dot(direction, direction));
    return std::any_of(tieCosines.begin(), tieCosines.end(),
                       [cosine](double tie) { return std::abs(cosine - tie) <= TieCosine; });
}

bool sameOutcome(const HostRayOutcome& a, const HostRayOutcome& b)
{
    const double powers[2] = {passedPower(a), passedPower(b)};
    if (!alike(&powers[0], &powers[1], 1))
        return false;
    if (std::abs(powers[0]) <= OutcomeTolerance && std::abs(powers[1]) <= OutcomeTolerance)
        return true;
    return a.result == b.result && alike(a.direction, b.direction, 3) && alike(a.field, b.field, 6);
}

void printOutcome(const char* label, const double* direction, const HostRayOutcome& outcome)
{
    const double* d = outcome.direction;
    const double* e = outcome.field;
    std::fprintf(stderr,
                 "  %s: incident (%.17g, %.17g, %.17g)\n"
                 "    result %d, power %.17g, direction (%.17g, %.17g, %.17g)\n"
                 "    field (%.17g%+.17gi, %.17g%+.17gi, %.17g%+.17gi)\n",
                 label, direction[0], direction[1], direction[2], outcome.result, outcome.power, d[0], d[1],
                 d[2], e[0], e[1], e[2], e[3], e[4], e[5]);
}

}  // namespace

double fieldPower(const double* field)
{
    double power = 0.0;
    for (int i = 0; i < 6; ++i)
        power += field[i] * field[i];
    return power;
}

bool ordinaryMagnitudes(double n1, double n2, double wavelength)
{
    for (double value : {n1, n2, wavelength})
        if (!(std::abs(value) >= 1e-150 && std::abs(value) <= 1e150))
            return false;
    return true;
}

bool exactlyUnitTwin(const double* direction, const double* incidentField, double* twin)
{
    const double squares =
        direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2];
    if (!(std::abs(squares - 1.0) <= EngineUnitTolerance))
        return false;
    const double power = fieldPower(incidentField);
    // A field the engine takes whole (or refuses, or reads only along the
    // ray) compares; one this small does not.
    if (power > 0.0 && power < SmallestComparedPower)
        return false;
    const double length = std::sqrt(squares);
    for (int i = 0; i < 3; ++i) {
        twin[i] = direction[i] / length;
        if (twin[i] == 0.0)
            twin[i] = 0.0;  // -0 becomes +0
    }
    return std::memcmp(direction, twin, 3 * sizeof(double)) != 0;
}

void requireSameAsTwin(const char* entry, const double* direction, const double* twin,
                       const HostRayOutcome& given, const HostRayOutcome& exactlyUnit, const double* normal,
                       const std::vector<double>& tieCosines)
{
    if (sameOutcome(given, exactlyUnit) || nearGrazing(direction, normal, given, exactlyUnit) ||
        (normal && (nearTie(direction, normal, tieCosines) || nearTie(twin, normal, tieCosines))))
        return;
    std::fprintf(stderr, "%s: the direction as given and its exactly unit twin are served differently\n",
                 entry);
    printOutcome("as given", direction, given);
    printOutcome("exactly unit", twin, exactlyUnit);
    FUZZ_REQUIRE(false,
                 "a direction taken as unit (or with a -0 component) is served as its exactly unit twin "
                 "(+0 for -0): same power within 1e-6, and for a ray with power the same result, "
                 "direction and field within 1e-6");
}

}  // namespace quelbrant
