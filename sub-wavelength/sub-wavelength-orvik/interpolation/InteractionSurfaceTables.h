#pragma once

// A surface's working tables for the ray path, and the grid of each half
// space that they are read on.

#include <cstddef>
#include <memory>

#include "CacheLinePad.h"
#include "GratingSurface.h"
#include "interpolation/InteractionWorkingTables.h"

namespace quelbrant {

// Working copies of one surface's tables, per half space (0 lower, 1 upper).
// A side is usable only when both of its tables fit its grid; rays on any
// other side read the dense tables through the reference interpolators.
// Every ray reads this header: padded off its neighbours' cache lines (the
// first ray's scratch is allocated right after it).
struct InteractionTables {
    CacheLinePad leadingPad;
    OrderFastestTable R[2];
    OrderFastestTable T[2];
    bool usable[2] = {false, false};
    CacheLinePad trailingPad;
};

// The axes, position grid and lattice vectors of one half space, as the
// surface holds them (pointers into the surface). Angle 1 is the side's
// theta-per-wavelength table when it has one, else its first angle axis; a
// theta table of the wrong shape leaves angle1Nodes null.
HalfSpaceGrid halfSpaceGrid(const GratingSurface& surface, size_t side);

// Builds the working copies of every table of surface. A side whose tables
// cannot be copied (wrong shape, or no memory for the copy) is left unusable;
// only the allocation of the result itself can throw.
std::shared_ptr<const InteractionTables> makeInteractionTables(const GratingSurface& surface);

}  // namespace quelbrant
