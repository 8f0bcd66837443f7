#include "ray/InteractionParameters.h"

#include <climits>
#include <cmath>

namespace quelbrant {

namespace {

double parameterOrZero(const std::vector<double>& params, size_t index)
{
    return index < params.size() ? params[index] : 0.0;
}

}  // namespace

int interpolationSwitchFromFlags(bool interpThetaUxKx, bool interpPhiUyKy, bool interpWavelength,
                                 bool interpPosition)
{
    int word = 0;
    if (!interpWavelength)
        word |= NearestWavelengthNode;
    if (!interpThetaUxKx || !interpPhiUyKy)
        word |= NearestAngleNodes;
    if (!interpPosition)
        word |= NearestPositionNodes;
    return word;
}

int interpolationSwitchFromHostValue(double value)
{
    // The open interval (INT_MIN - 1, INT_MAX + 1) is exactly what truncates
    // into an int; NaN fails both comparisons.
    const double below = static_cast<double>(INT_MIN) - 1.0;
    const double above = static_cast<double>(INT_MAX) + 1.0;
    if (!(value > below && value < above))
        return 0;
    return static_cast<int>(value);
}

HostRayParameters readHostRayParameters(const std::vector<double>& params)
{
    HostRayParameters host;
    host.indexCheck = parameterOrZero(params, 0) != 0.0;
    host.scan.first = parameterOrZero(params, 1);
    host.scan.second = parameterOrZero(params, 2);
    host.interpolationSwitch = interpolationSwitchFromHostValue(parameterOrZero(params, 3));
    return host;
}

}  // namespace quelbrant
