#include "user-surface/AsphericSurface.h"

#include <cmath>
#include <string>

#include "user-surface/SurfaceParamNames.h"
#include "cache/HostLog.h"

namespace quelbrant {

namespace {

constexpr std::size_t lastCoefficient = SurfaceParam::FirstAsphere + SurfaceParam::AsphereCount - 1;

double coefficient(const std::vector<double>& params, int j)
{
    const std::size_t index = static_cast<std::size_t>(SurfaceParam::FirstAsphere + j);
    return index < params.size() ? params[index] : 0.0;
}

// sum_j factor(j) a_j (r^2)^j by Horner's rule from a_9 down. The
// intersection iteration evaluates it once per step, so a full parameter
// list is read without a bounds test per coefficient, and the chain starts
// at the highest coefficient that is not 0.0 (the zeros above it would only
// add 0.0 times r^2 for a finite r^2).
template <class Factor>
double evenPolynomial(const std::vector<double>& params, double r2, Factor factor)
{
    double sum = 0.0;
    if (params.size() > lastCoefficient) {
        const double* a = params.data() + SurfaceParam::FirstAsphere;
        int top = SurfaceParam::AsphereCount - 1;
        while (top >= 0 && a[top] == 0.0 && std::isfinite(r2))
            --top;
        for (int j = top; j >= 0; --j)
            sum = factor(j) * a[j] + r2 * sum;
    } else {
        for (int j = SurfaceParam::AsphereCount - 1; j >= 0; --j)
            sum = factor(j) * coefficient(params, j) + r2 * sum;
    }
    return sum;
}

}  // namespace

double calculateSag(double x, double y, double c, double k, const std::vector<double>& params)
{
    const double r2 = x * x + y * y;
    const double q = 1.0 - (1.0 + k) * c * c * r2;
    if (q < 0.0)
        throw logHostFailureDebug(L"Cannot calculate sag");
    // A2 r^2 + ... + A20 r^20 = r^2 (A2 + r^2 (A4 + ...)).
    const double polynomial = evenPolynomial(params, r2, [](int) { return 1.0; });
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
    const double polynomial = evenPolynomial(params, r2, [](int j) { return 2.0 * (j + 1); });
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
