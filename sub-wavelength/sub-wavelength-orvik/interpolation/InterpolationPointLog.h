#pragma once

// The verbose dump of one located interpolation point. Only written when the
// logger is verbose; it reads what the interpolation already found and
// changes nothing.

#include "interpolation/InteractionWorkingTables.h"

namespace quelbrant {

struct PositionCorners;

// The point, the lattice vectors at it (k1gk2g, six values) and, with
// position data, each corner's weight, position number and lattice vectors.
void logInterpolationPoint(const HalfSpaceGrid& grid, const GridPoint& point, const double* k1gk2g,
                           const PositionCorners* corners);

}  // namespace quelbrant
