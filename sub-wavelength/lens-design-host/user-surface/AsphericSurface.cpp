#include "user-surface/AsphericSurface.h"

#include <string>

#include "cache/HostLog.h"

namespace quelbrant {

EvenAsphere::EvenAsphere(double curvature, double conic, const std::vector<double>& params)
    : EvenAsphere(curvature, conic, params.data(), params.size())
{
}

EvenAsphere::EvenAsphere(double curvature, double conic, const double* params, std::size_t count)
    : c(curvature), k(conic)
{
    for (int j = 0; j < SurfaceParam::AsphereCount; ++j) {
        const std::size_t index = static_cast<std::size_t>(SurfaceParam::FirstAsphere + j);
        a[j] = index < count ? params[index] : 0.0;
        if (a[j] != 0.0)
            highest = j;
    }
}

double calculateSag(double x, double y, double c, double k, const std::vector<double>& params)
{
    double z = 0.0;
    if (!EvenAsphere(c, k, params).sag(x, y, z))
        throw logHostFailureDebug(L"Cannot calculate sag");
    return z;
}

Vector3 surfaceNormal(double x, double y, const EvenAsphere& shape)
{
    const double r2 = x * x + y * y;
    if (r2 == 0.0)
        return {0.0, 0.0, -1.0};
    const double c = shape.c;
    const double k = shape.k;
    const double q = 1.0 - (1.0 + k) * c * c * r2;
    if (q < 0.0)
        throw logHostFailureDebug(L"Ray missed.");
    const double s = std::sqrt(q);
    // dz/dr divided by r: the polynomial's derivative sum 2(j+1) A_j r^(2j),
    // and the conic's c (2 + (1 + k) c^2 r^2 / ((1 + s) s)) / (1 + s).
    double polynomial = 0.0;
    for (int j = shape.highest; j >= 0; --j)
        polynomial = 2.0 * (j + 1) * shape.a[j] + r2 * polynomial;
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
