#pragma once

// The refractive indices either side of the surface, as the file gives
// them, must be ones a medium can have: every angle, wave vector and Fresnel
// coefficient of a ray is computed from them.

namespace quelbrant {

// Throws the error index of "Schema Validation failed: <key> is <value>,
// expected a refractive index: a finite number above 0." unless `value` is
// finite and above 0.
void refuseImpossibleIndex(const char* key, double value);

}  // namespace quelbrant
