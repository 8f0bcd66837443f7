#pragma once

// Where a real ray meets the user-defined surface, found by fixed-point
// iteration along the ray: step to the plane z = sag(x, y) of the current
// point until a step is no longer than 1e-10.

#include <vector>

#include "user-surface/AsphericSurface.h"

namespace quelbrant {

struct SurfaceIntersection {
    Vector3 position;
    double path = 0.0;  // sum of the steps, in units of the direction's length
    int steps = 0;
};

// Throws the -1 of LogDebug: "Ray missed." for a ray parallel to the vertex
// plane (dz = 0) or any step or point that is not finite; "Cannot converge
// when finding ray-surface interception." after 1001 steps without
// converging; "Cannot calculate sag" from the sag.
SurfaceIntersection intersectSurface(const Vector3& start, const Vector3& direction, const EvenAsphere& shape);

}  // namespace quelbrant
