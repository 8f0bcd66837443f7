#pragma once

// The interpolation switch word and the lens-design host's extra values of a
// ray.

#include <vector>

#include "interpolation/InterpolationSwitch.h"
#include "ray/InteractionPosition.h"

namespace quelbrant {

// The switch word for a surface's interpolation flags: a flag that is false
// asks for the nearest node along its axes. The two angle flags share one
// bit, set when either of them is false.
int interpolationSwitchFromFlags(bool interpThetaUxKx, bool interpPhiUyKy, bool interpWavelength,
                                 bool interpPosition);

// The lens-design host's switch value truncated toward zero. A value that no
// int can hold (NaN, infinite, beyond the int range) gives 0, which like
// every value outside 1 to 7 interpolates along every axis.
int interpolationSwitchFromHostValue(double value);

// The lens-design host's extra values of a ray: params[0] non-zero switches
// the index check on, params[1] and params[2] are the scan coordinates,
// params[3] the interpolation switch. A shorter list reads the missing
// values as 0.0.
struct HostRayParameters {
    bool indexCheck = false;
    GridPosition scan;
    int interpolationSwitch = 0;
};

HostRayParameters readHostRayParameters(const std::vector<double>& params);

}  // namespace quelbrant
