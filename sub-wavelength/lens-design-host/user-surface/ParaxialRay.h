#pragma once

// Request 4 of the user-defined surface: the paraxial ray through a thin
// surface of power (2 A2 + c)(n2 - n1) at the ray's height.

#include <vector>

#include "user-surface/HostRay.h"

namespace quelbrant {

// Writes the vertex normal (0, 0, -1); for a ray with n != 0 also the
// refracted direction, transmission 1.0 and path 0.0 (the position stays).
// A direction that comes out not finite throws the -1 of LogDebug "Paraxial
// ray is not a finite number." with nothing written.
void traceParaxialRay(HostRay& ray);

}  // namespace quelbrant
