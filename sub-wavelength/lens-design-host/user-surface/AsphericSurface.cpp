#include "user-surface/AsphericSurface.h"

#include <cmath>
#include <string>

#include "user-surface/SurfaceParamNames.h"
#include "cache/HostLog.h"

namespace quelbrant {

namespace {

double coefficient(const std::vector<double>& params, int j)
{
    const std::size_t index = static_cast<std::size_t>(SurfaceParam::FirstAsphere + j);
    return index < params.size() ? params[index] : 0.0;
}

}  // namespace

double calculateSag(double x, double y, double c, double k, const std::vector<double>& params)
{
    const double r2 = x * x + y * y;
    const double q = 1.0 - (1.0 + k) * c * c * r2;
    if (q < 0.0)
        throw logHostFailureDebug(L"Cannot calculate sag");
    // Horner's rule in r^2 from A20 down to A2, then one more r^2.
    double polynomial = 0.0;
    for (int j = SurfaceParam::AsphereCount - 1; j >= 0; --j)
        polynomial = coefficient(params, j) + r2 * polynomial;
    return c * r2 / (1.0 + std::sqrt(q)) + r2 * polynomial;
}

bool isPlaneSurface(double c, const std::vector<double>& params)
{
    if (c != 0.0)
        return false;
    for (int j = 0; j < SurfaceParam::AsphereCount; ++j) {
        if (coefficient(params, j) != 0.0)
            return false;
    }
    return true;
}

Vector3 surfaceNormal(double x, double y, double c, double k, const std::vector<double>& params)
{
    const double r2 = x * x + y * y;
    if (r2 == 0.0)
        return {0.0, 0.0, -1.0};
    const double q = 1.0 - (1.0 + k) * c * c * r2;
    if (q < 0.0)
        throw logHostFailureDebug(L"Ray missed.");
    const double s = std::sqrt(q);
    // dz/dr divided by r: the polynomial's derivative sum 2(j+1) A_j r^(2j),
    // and the conic's c (2 + (1 + k) c^2 r^2 / ((1 + s) s)) / (1 + s).
    double polynomial = 0.0;
    for (int j = SurfaceParam::AsphereCount - 1; j >= 0; --j)
        polynomial = 2.0 * (j + 1) * coefficient(params, j) + r2 * polynomial;
    const double g = polynomial + (c / (1.0 + s)) * (2.0 + (1.0 + k) * c * c * r2 / ((1.0 + s) * s));
    const double sx = g * x;
    const double sy = g * y;
    // On the rim itself (s = 0) the slope is infinite: no normal to refract at.
    if (!std::isfinite(sx) || !std::isfinite(sy))
        throw logHostFailureDebug(L"Ray missed.");
    const double length = std::sqrt(1.0 + sx * sx + sy * sy);
    return {sx / length, sy / length, -1.0 / length};
}

}  // namespace quelbrant
