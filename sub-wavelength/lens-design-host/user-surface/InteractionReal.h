#pragma once

// Request 5 of the user-defined surface: a real ray through the grating.
// The ray is intersected with the asphere, turned into the grating's local
// frame at that point, diffracted into the order "Order X", "Order Y" by
// GratingSurface::Interaction_V2, turned back and written into the host's
// records.

#include "user-surface/HostRay.h"

namespace quelbrant {

class GratingSurface;

struct CachedSequentialSurface;

// Every failure is thrown (an int, as the error table and the wide-text log
// front-ends give it) before anything is written into the host's records.
// Sets the process-wide verbose flag from "Log" (99 and a field given).
void interactionReal(const CachedSequentialSurface* entry, HostRay* ray);
void interactionReal(GratingSurface& surface, HostRay& ray);

}  // namespace quelbrant
