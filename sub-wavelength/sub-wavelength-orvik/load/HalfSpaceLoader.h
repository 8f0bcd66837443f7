#pragma once

// One half space of a grating file ("grat_results_lower" or
// "grat_results_upper"): order lists, dense R and T tables, axes and flags.

#include <nlohmann/json.hpp>
#include <vector>

#include "GratingSurface.h"
#include "NdArray.h"

namespace quelbrant {

struct PositionData;

struct HalfSpace {
    // Consecutive order numbers labelling the dense tables' order dimensions.
    std::vector<int> ordersRn, ordersRm, ordersTn, ordersTm;
    // Dense tables [position] x A1 x A2 x L x Nn x Nm x PolOut x PolIn, in the
    // file's polarisation basis, axes ascending.
    NdArrayComplex R, T;
    std::vector<double> axis1;  // theta (degrees), ux or kx; ascending
    std::vector<double> axis2;  // phi (degrees), uy or ky; ascending
    std::vector<double> lambda;
    // Theta per wavelength; no elements unless the file asks for it.
    NdArrayReal theta;
    GratingSurface::AngleDefinition angleDef = GratingSurface::A_NONE;
    bool lossless = false;
    bool specularR = false;
    bool specularT = false;
};

// Reads, checks and prepares half space `side` (0 = lower, 1 = upper) of the
// document. hostProgramMode: the file is loaded for the host program (the
// light-simulation host's per-side options are not read then). positions:
// the file's position data, against which the tables are checked; nullptr
// for a file without. requiredAngleDef is the form the other half space uses
// (A_NONE: no constraint); both half spaces share one angle definition.
// Every failure is thrown as an error-table index.
HalfSpace loadHalfSpace(const nlohmann::json& root, int side, bool hostProgramMode,
                        const quelbrant::PositionData* positions,
                        GratingSurface::AngleDefinition requiredAngleDef);

}  // namespace quelbrant
