#pragma once

// Which slices of a dense table a point reads, and with what weights: the
// bracketing and weight products common to the dense-table interpolation and
// the ray path's working tables, so that both sum the same terms in the same
// order and agree to the bit.
//
// Dense layout: [position] x angle 1 x angle 2 x wavelength x entries, first
// index fastest. A slice (one grid node, every entry) is named by the flat
// index of its first entry, position + P * (a1 + A1 * (a2 + A2 * l)).

#include <cstddef>

#include "interpolation/InterpolationStencil.h"
#include "interpolation/InterpolationSwitch.h"

namespace quelbrant {

struct PositionCorners;

// The axes of one dense table. Angle axis 1 is either one axis for all
// wavelengths (stride 0) or one column per wavelength node, column l
// starting at angle1 + l * angle1WavelengthStride. All axes ascending.
struct TableAxes {
    const double* angle1 = nullptr;
    size_t angle1Length = 0;
    size_t angle1WavelengthStride = 0;
    const double* angle2 = nullptr;
    size_t angle2Length = 0;
    const double* lambda = nullptr;
    size_t lambdaLength = 0;
    size_t positions = 1;  // position extent of the table (1 without position data)
};

// Replaces stencil's terms with the slices the point (angle10, angle20,
// lambda0) reads. Every axis is bracketed (angle 1 in the column of each of
// the two wavelength nodes); the terms run wavelength, angle 2, angle 1,
// position corner (outermost to innermost), a node taking part only where
// its bracket's upper weight is not exactly zero. corners are the position
// corners already located for the point, or nullptr for a table without
// position data. The caller guarantees the axes match the table and every
// corner's position number lies in 1 ... positions.
void buildTableStencil(const TableAxes& axes, double angle10, double angle20, double lambda0,
                       const NearestNodeAxes& nearest, const PositionCorners* corners,
                       InterpolationStencil& stencil);

}  // namespace quelbrant
