#include "geometry/Geometry.h"

#include <algorithm>
#include <cmath>

namespace quelbrant {

namespace {

// Lengths this close to 1 are a unit vector as the host rounded it: a few
// ulps of the three squares and their sum.
constexpr double unitLengthTolerance = 0x1p-50;

// An interaction's outgoing direction is normalised by its own arithmetic:
// far closer to 1 than this, unless it is no direction at all.
constexpr double outgoingUnitTolerance = 1e-12;

// The host's own value of pi, kept so that turned rays match it bit for bit.
constexpr double hostPi = 3.141592653589793;

double radiansOf(double degrees)
{
    return degrees / 180.0 * hostPi;
}

template <class T>
void rotatePair(T& x, T& y, double degrees)
{
    const double a = radiansOf(degrees);
    const double c = std::cos(a);
    const double s = std::sin(a);
    const T turnedX = c * x + s * y;
    const T turnedY = c * y - s * x;
    x = turnedX;
    y = turnedY;
}

// Euclidean length of a 3-vector, which is scaled in place to unit length
// unless the length is 0.0.
template <class Vector>
double normalise(Vector& v)
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length != 0.0) {
        const double inverse = 1.0 / length;
        for (double& component : v)
            component *= inverse;
    }
    return length;
}

}  // namespace

void rotateDegrees(double& x, double& y, const double& degrees)
{
    rotatePair(x, y, degrees);
}

void rotateDegrees(std::complex<double>& x, std::complex<double>& y, const double& degrees)
{
    rotatePair(x, y, degrees);
}

std::vector<double> crossProduct(const std::vector<double>& a, const std::vector<double>& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

std::vector<double> cross(std::vector<double> a, std::vector<double> b)
{
    return crossProduct(a, b);
}

double vectorNorm(std::vector<double>& v)
{
    return normalise(v);
}

std::array<double, 3> cross(const std::array<double, 3>& a, const std::array<double, 3>& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double vectorNorm(std::array<double, 3>& v)
{
    return normalise(v);
}

bool allFinite(const std::array<double, 3>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

bool scaleForNorm(std::array<double, 3>& v)
{
    double largest = 0.0;
    for (double component : v) {
        if (!std::isfinite(component))
            return false;
        largest = std::max(largest, std::abs(component));
    }
    if (largest == 0.0)
        return false;
    if (largest < 0x1p-500 || largest > 0x1p500) {
        const int exponent = std::ilogb(largest);
        for (double& component : v)
            component = std::scalbn(component, -exponent);
    }
    return true;
}

bool isOutgoingDirection(const double* direction)
{
    const double squares = direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2];
    return std::abs(squares - 1.0) <= outgoingUnitTolerance;
}

bool makeUnit(std::array<double, 3>& v)
{
    if (!scaleForNorm(v))
        return false;
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (std::abs(length - 1.0) > unitLengthTolerance)
        normalise(v);
    return true;
}

bool prepareIncidentDirection(std::array<double, 3>& v)
{
    // Refused before any comparison: max(0, NaN) is 0, which would take a
    // NaN for a tangential part within rounding of zero.
    if (!allFinite(v))
        return false;
    std::array<double, 3> prepared = v;
    // Scaled up rather than z down: a subnormal z must not widen the test.
    if (std::max(std::abs(prepared[0]), std::abs(prepared[1])) / unitLengthTolerance <= std::abs(prepared[2]))
        prepared[0] = prepared[1] = 0.0;
    for (double& component : prepared)
        component += 0.0;  // -0 + 0 is +0; every other value stays as it is
    if (!makeUnit(prepared))
        return false;
    v = prepared;
    return true;
}

}  // namespace quelbrant
