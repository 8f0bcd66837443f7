#pragma once

// Which polarisation basis the tables arrive in and which one they are
// interpolated in. Basis codes: data 1 = S/P, 2 = X/Y; interpolation
// 1 = automatic, 2 = S/P, 3 = X/Y.

#include <nlohmann/json.hpp>

#include "GratingSurface.h"
#include "load/HalfSpaceLoader.h"

namespace quelbrant {

struct PolarisationBasisSettings {
    int dataBasis = 1;
    int interpFlag = 2;
};

// "polarization_data_basis" (default 1) and "polarization_interpolation_basis"
// (default 2); a value out of range is thrown as an error-table index.
PolarisationBasisSettings readPolarisationBasisSettings(const nlohmann::json& root);

// True when a surface of these two half spaces (lower, upper; one angle
// definition for both) is to be interpolated in X/Y. S/P is kept only where
// it is well defined and asked for: a polar grid, and for the automatic
// choice one phi per half space with only the (0, 0) order listed. A request
// for S/P on a unit-vector or k-vector grid is overridden (with a note).
bool interpolateInXY(int interpFlag, const HalfSpace (&sides)[2]);

}  // namespace quelbrant
