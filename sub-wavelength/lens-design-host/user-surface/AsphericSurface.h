#pragma once

// The user-defined surface's shape: an even asphere on a conic base,
//   z(r) = c r^2 / (1 + sqrt(1 - (1 + k) c^2 r^2)) + sum_j A(2j+2) r^(2j+2),
// with base curvature c, conic constant k and the coefficients "A2" to "A20"
// (parameters 15 to 24). The surface normal points along -z at the vertex.

#include <cmath>
#include <vector>

#include "user-surface/HostRay.h"
#include "user-surface/SurfaceParamNames.h"

namespace quelbrant {

// The shape read once per ray, so that the intersection iteration evaluates
// the sag without looking the coefficients up again.
struct EvenAsphere {
    double c = 0.0;
    double k = 0.0;
    double a[SurfaceParam::AsphereCount] = {};  // A2 .. A20
    int highest = -1;  // the highest coefficient that is not 0.0; -1: none

    // params: the parameter list; a coefficient missing from it is 0.0.
    EvenAsphere(double c, double k, const std::vector<double>& params);
    EvenAsphere(double c, double k, const double* params, std::size_t count);

    // c and every coefficient 0.0: the plane z = 0.
    bool isPlane() const { return c == 0.0 && highest < 0; }

    // The sag at (x, y) into z; false where the conic's square-root
    // argument is negative (beyond its rim). Horner's rule from the highest
    // non-zero coefficient down (the zeros above it only add 0.0).
    bool sag(double x, double y, double& z) const
    {
        const double r2 = x * x + y * y;
        const double q = 1.0 - (1.0 + k) * c * c * r2;
        if (q < 0.0)
            return false;
        double polynomial = 0.0;
        for (int j = highest; j >= 0; --j)
            polynomial = a[j] + r2 * polynomial;
        z = c * r2 / (1.0 + std::sqrt(q)) + r2 * polynomial;
        return true;
    }
};

// The sag at (x, y). Throws the -1 of LogDebug "Cannot calculate sag" where
// the conic's square-root argument is negative.
double calculateSag(double x, double y, double c, double k, const std::vector<double>& params);

// The unit normal (Sx, Sy, -1)/|...| at (x, y), with (Sx, Sy) the sag's
// slopes; (0, 0, -1) at the vertex. Throws the -1 of LogDebug "Ray missed."
// where the point lies beyond the conic's rim or on it.
Vector3 surfaceNormal(double x, double y, const EvenAsphere& shape);

}  // namespace quelbrant
