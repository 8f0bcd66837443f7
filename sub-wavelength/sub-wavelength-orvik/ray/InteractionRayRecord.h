#pragma once

// The host's incident ray, copied out of its record. The interaction works
// on the copy and writes the record once, when it has an outgoing ray: a ray
// that ends without one (result 0, or an error) leaves the record exactly as
// the host gave it.

#include <string>

#include "HostRecords.h"

namespace quelbrant {

struct RayState {
    double direction[3] = {0.0, 0.0, 0.0};  // surface frame, +z into the upper medium
    double lambdaNm = 0.0;                  // vacuum wavelength, nanometres
    double energy = 0.0;
    double esr = 0.0, esi = 0.0;  // S field, real and imaginary part
    double epr = 0.0, epi = 0.0;  // P field
    double n1 = 0.0;              // index of the medium the ray comes from
    double n2 = 0.0;              // index beyond the surface
    double x = 0.0, y = 0.0;      // hit point, millimetres
};

// Reads direction (through the record's pointer), wavelength, energy, field,
// indices and hit point. The direction pointer must be valid.
RayState readRayRecord(const BsdfPluginInteraction_V2& ray);

// Whether direction, field and energy, all that writeRayRecord writes, are
// finite numbers.
bool outgoingRayIsFinite(const RayState& state);

// Writes direction, field and energy back; nothing else of the record.
void writeRayRecord(const RayState& state, BsdfPluginInteraction_V2& ray);

// Why the ray cannot be traced, or an empty text when it can: every value the
// interaction reads must be a finite number, the direction non-zero, the
// wavelength and both indices above zero, the field's power |Es|^2 + |Ep|^2
// finite as well. The hit point is checked only when
// readsHitPoint (surfaces whose data vary over the hit point).
std::string rayRecordFault(const RayState& ray, bool readsHitPoint);

// Scales a finite, non-zero direction to unit length. Hosts pass unit
// vectors; one within rounding of unit length (|d|^2 within 1e-9 of 1) is
// left bit for bit, any other is brought to length 1 without overflow, so
// that no later formula (all assume unit length) sees a direction of length
// 1e300 or 1e-300.
void normaliseDirection(double* direction);

}  // namespace quelbrant
