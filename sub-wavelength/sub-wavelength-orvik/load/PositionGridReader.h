#pragma once

// The optional position grid of a grating file ("spatial_variation_or_parameter_scan"):
// the index map and the two axes, in one of three forms.

#include <nlohmann/json.hpp>
#include <vector>

#include "GratingSurface.h"
#include "NdArray.h"

namespace quelbrant {

struct PositionGrid {
    // Addressed (second axis index, first axis index); values are 1-based
    // position numbers, 0 or below marks a node without data.
    NdArrayInt indexMap;
    std::vector<double> axis1;  // pos_x (m), pos_rad (m) or par_1
    std::vector<double> axis2;  // pos_y (m), pos_pol (radians) or par_2
    GratingSurface::PositionDefinition definition = GratingSurface::P_NONE;
};

// Reads the block. The forms are tried in the order Cartesian, polar,
// parameter scan; each failed form leaves a note. A parameter scan is
// accepted only in host-program mode. Both axes must be non-decreasing.
// Every failure is thrown as an error-table index.
PositionGrid readPositionGrid(const nlohmann::json& block, bool hostProgramMode);

}  // namespace quelbrant
