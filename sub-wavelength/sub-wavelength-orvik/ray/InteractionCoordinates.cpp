#include "ray/InteractionCoordinates.h"

#include <algorithm>
#include <cmath>

#include "MathConstants.h"
#include "ray/InteractionNumerics.h"

namespace quelbrant {

namespace {

constexpr double MetresPerNanometre = 1e-9;

}  // namespace

RayWaveNumbers rayWaveNumbers(double lambdaNm, double n1, double n2, const double direction[3])
{
    RayWaveNumbers k;
    k.lambda = lambdaNm * MetresPerNanometre;
    k.kIn = TwoPi * n1 / k.lambda;
    k.kOut = TwoPi * n2 / k.lambda;
    k.kInx = direction[0] * k.kIn;
    k.kIny = direction[1] * k.kIn;
    return k;
}

bool angleCoordinatesOfRay(GratingSurface::AngleDefinition definition, const double direction[3],
                           const RayWaveNumbers& k, double firstPhi, AngleCoordinates& coordinates)
{
    switch (definition) {
        case GratingSurface::K_VECTOR:
            coordinates.thetaOrUxOrKx = k.kInx;
            coordinates.phiOrUyOrKy = k.kIny;
            return true;
        case GratingSurface::UNIT_VECTOR:
            coordinates.thetaOrUxOrKx = direction[0];
            coordinates.phiOrUyOrKy = direction[1];
            return true;
        case GratingSurface::POLAR:
            coordinates.thetaOrUxOrKx = std::acos(std::min(std::fabs(direction[2]), 1.0)) * 180.0 / Pi;
            coordinates.phiOrUyOrKy = bringIntoAzimuthalRangeInDegrees(
                std::atan2(direction[1], direction[0]) * 180.0 / Pi, firstPhi);
            return true;
        default:
            return false;
    }
}

}  // namespace quelbrant
