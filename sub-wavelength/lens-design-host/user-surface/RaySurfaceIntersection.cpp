#include "user-surface/RaySurfaceIntersection.h"

#include <cmath>

#include "cache/HostLog.h"
#include "geometry/Geometry.h"

namespace quelbrant {

namespace {

constexpr double convergedStep = 1e-10;
constexpr int maxStepsBeforeGivingUp = 1000;

}  // namespace

SurfaceIntersection intersectSurface(const Vector3& start, const Vector3& direction, const EvenAsphere& shape)
{
    // A ray along the vertex plane never gets a finite step, and a NaN step
    // would end the loop as if it had converged: both are misses here, found
    // before the host's records are touched.
    const double dz = direction[2];
    if (dz == 0.0 || !allFinite(direction) || !allFinite(start))
        throw logHostFailureDebug(L"Ray missed.");
    SurfaceIntersection hit{start, 0.0, 0};
    Vector3& p = hit.position;
    double t = 100.0;
    while (std::fabs(t) > convergedStep) {
        double h = 0.0;
        if (!shape.sag(p[0], p[1], h))
            throw logHostFailureDebug(L"Cannot calculate sag");
        t = (h - p[2]) / dz;
        for (int i = 0; i < 3; ++i)
            p[i] += direction[i] * t;
        hit.path += t;
        if (!std::isfinite(t) || !allFinite(p) || !std::isfinite(hit.path))
            throw logHostFailureDebug(L"Ray missed.");
        if (hit.steps > maxStepsBeforeGivingUp)
            throw logHostFailureDebug(L"Cannot converge when finding ray-surface interception.");
        ++hit.steps;
    }
    return hit;
}

}  // namespace quelbrant
