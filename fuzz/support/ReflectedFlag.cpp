#include "ReflectedFlag.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "FuzzSupport.h"
#include "diffraction/DiffractionData.h"
#include "geometry/Geometry.h"

namespace quelbrant {

namespace {

using D = DiffractionData;

// A normal this close to +-z leaves the host's z axis as the grating's.
constexpr double UntiltedNormal = 1e-8;
// The entry compares the z cosines of the grating's frame; this oracle forms
// them again from the host's directions, through a normal unit only to
// 2^-50 and a turn into the frame and back: about ten eps apart. A ray within
// this of grazing cannot be put on a side.
constexpr double SideCosine = 1e-14;

double cosineTo(const std::array<double, 3>& normal, const double* direction)
{
    return normal[0] * direction[0] + normal[1] * direction[1] + normal[2] * direction[2];
}

}  // namespace

bool gratingFrameNormal(const double* blockNormal, std::array<double, 3>& normal)
{
    std::copy_n(blockNormal, 3, normal.begin());
    if (!makeUnit(normal))
        return false;
    if (std::abs(std::abs(normal[2]) - 1.0) <= UntiltedNormal)
        normal = {0.0, 0.0, 1.0};
    return true;
}

void requireReflectedFlag(const std::vector<double>& before, const std::vector<double>& after, int result)
{
    const bool stochastic = before[D::paramCount] >= 1.0 && before[D::paramValues] != 0.0;
    std::array<double, 3> normal;
    std::array<double, 3> incident;
    std::copy_n(before.data() + D::cosine, 3, incident.begin());
    if (result != 0 || !stochastic || after[D::outputPower] == 0.0 ||
        !gratingFrameNormal(before.data() + D::normal, normal) || !makeUnit(incident))
        return;
    const double in = cosineTo(normal, incident.data());
    const double out = cosineTo(normal, after.data() + D::outCosine);
    if (std::abs(in) <= SideCosine || std::abs(out) <= SideCosine)
        return;
    const bool reflected = (in > 0.0) != (out > 0.0);
    if ((after[D::type] == 1.0) != reflected) {
        std::fprintf(stderr,
                     "UserDiffraction2D: incident cosine %.17g, outgoing %.17g to the normal (%.17g, %.17g, "
                     "%.17g); flag %.17g\n",
                     in, out, normal[0], normal[1], normal[2], after[D::type]);
        FUZZ_REQUIRE(false, "a served stochastic ray is flagged 1.0 exactly when it leaves on the side it came from");
    }
}

}  // namespace quelbrant
