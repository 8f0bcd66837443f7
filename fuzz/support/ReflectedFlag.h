#pragma once

// An oracle for the stochastic diffraction entry's reflected flag (block
// double 11), which the entry sets to 1.0 for a ray that leaves on the side
// of the surface it came from: here that side is judged from the block's
// normal and the two directions alone.

#include <array>
#include <vector>

namespace quelbrant {

// The normal of the grating's frame: the block's normal made unit, or +z
// where it lies within 1e-8 of +-z (the frame is then the host's, turned
// about z, and its z axis is the host's). False where the block's normal
// names no direction.
bool gratingFrameNormal(const double* blockNormal, std::array<double, 3>& normal);

// Aborts (a fuzz finding) unless a ray that a stochastic surface served
// (result 0 and an outgoing power written) carries the flag 1.0 exactly when
// it leaves on the side it came from: when its incident and outgoing
// directions lie on opposite sides of the grating's frame normal. A ray within
// a cosine of 1e-14 of grazing, coming or leaving, lies on neither side and
// is not judged. before and after: the block around the call.
void requireReflectedFlag(const std::vector<double>& before, const std::vector<double>& after, int result);

}  // namespace quelbrant
