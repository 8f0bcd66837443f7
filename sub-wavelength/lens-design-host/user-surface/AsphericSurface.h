#pragma once

// The user-defined surface's shape: an even asphere on a conic base,
//   z(r) = c r^2 / (1 + sqrt(1 - (1 + k) c^2 r^2)) + sum_j A(2j+2) r^(2j+2),
// with base curvature c, conic constant k and the coefficients "A2" to "A20"
// (parameters 15 to 24). The surface normal points along -z at the vertex.

#include <vector>

#include "user-surface/HostRay.h"

namespace quelbrant {

// The sag at (x, y). params is the full parameter list (a coefficient
// missing from it counts as 0.0). Throws the -1 of LogDebug "Cannot
// calculate sag" where the conic's square-root argument is negative.
double calculateSag(double x, double y, double c, double k, const std::vector<double>& params);

// True when c and every coefficient are 0.0: the surface is the plane z = 0.
bool isPlaneSurface(double c, const std::vector<double>& params);

// The unit normal (Sx, Sy, -1)/|...| at (x, y), with (Sx, Sy) the sag's
// slopes; (0, 0, -1) at the vertex. Throws the -1 of LogDebug "Ray missed."
// where the point lies beyond the conic's rim.
Vector3 surfaceNormal(double x, double y, double c, double k, const std::vector<double>& params);

}  // namespace quelbrant
