#include "user-surface/ParaxialRay.h"

#include <cmath>

#include "cache/HostLog.h"
#include "geometry/Geometry.h"
#include "user-surface/SurfaceParamNames.h"

namespace quelbrant {

void traceParaxialRay(HostRay& ray)
{
    UserSurfaceOutput& out = ray.out();
    const double n1 = ray.approachIndex();
    const double n2 = ray.exitIndex();
    const double power = (2.0 * ray.parameter(SurfaceParam::FirstAsphere) + ray.in().curvature) * (n2 - n1);
    const Vector3 d = ray.cosine();
    if (!allFinite(d))
        throw logHostFailureDebug(L"Paraxial ray is not a finite number.");
    if (d[2] == 0.0) {
        out.normalL = 0.0;
        out.normalM = 0.0;
        out.normalN = -1.0;
        return;
    }
    // Paraxial refraction of the slopes l/n and m/n at height (x, y).
    const double slopeX = ((d[0] / d[2]) * n1 - power * out.x) / n2;
    const double slopeY = ((d[1] / d[2]) * n1 - power * out.y) / n2;
    const double squares = slopeX * slopeX + 1.0 + slopeY * slopeY;
    Vector3 direction = {slopeX, slopeY, 1.0};
    if (squares < 0x1p1000) {
        const double nOut = std::sqrt(1.0 / squares);
        direction = {slopeX * nOut, slopeY * nOut, nOut};
    } else {
        // A grazing ray: its slopes square beyond the doubles, or 1 / squares
        // would lose its bits. Slopes that are not finite stay and fail below.
        makeUnit(direction);
    }
    const double sign = ray.mirrorSpaceAfterSurface() ? -1.0 : 1.0;
    for (double& component : direction)
        component *= sign;
    if (!allFinite(direction))
        throw logHostFailureDebug(L"Paraxial ray is not a finite number.");
    out.normalL = 0.0;
    out.normalM = 0.0;
    out.normalN = -1.0;
    out.l = direction[0];
    out.m = direction[1];
    out.n = direction[2];
    out.transmission = 1.0;
    out.path = 0.0;
}

}  // namespace quelbrant
