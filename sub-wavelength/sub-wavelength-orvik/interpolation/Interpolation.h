#pragma once

// Reading one dense reflection or transmission table at a ray's incidence,
// wavelength and (for files with position data) position, by multilinear
// interpolation or by taking the nearest node along chosen axes.
//
// The table layout is [position (only with position data)] x angle axis 1 x
// angle axis 2 x wavelength x n-orders x m-orders x PolOut x PolIn, first
// index fastest; every axis is ascending.
//
// The interpolation switch word `no_interp` selects nearest-node lookup:
// between 1 and 7, bit value 1 = wavelength axis, 2 = both angle axes,
// 4 = both position axes; any other value (0, negative, 8 and above)
// interpolates along every axis.
//
// The point is located once, by locateInterpolationStencil (see
// InteractionWorkingTables.h), for the dense tables here and for the ray
// path's working copy alike; the two differ only in the layout the stencil's
// weighted sum walks.

#include <cstddef>
#include <vector>

#include "NdArray.h"
#include "interpolation/InteractionWorkingTables.h"

namespace quelbrant {

// Brackets x0 on the ascending axis x: nodes p1 <= p2 with weights w1 (for
// p1) and w2 (for p2) summing to 1. Outside the axis the end node takes
// weight 1 (no extrapolation). Between two nodes the point lies in
// x[p1] < x0 <= x[p2]; equal nodes share 0.5 each. In nearest mode
// (no_interp) the heavier node takes weight 1, a tie going to p2.
// An empty axis gives p1 = p2 = 0 and zero weights (not to be indexed); a
// NaN x0 counts as lying below the axis, so the indices always address the
// axis and the weights stay finite for a finite axis.
void updatePAndWeights(const std::vector<double>& x, double x0, double& w1, size_t& p1, double& w2,
                       size_t& p2, bool no_interp);

// Area of the triangle spanned by the two in-plane vectors (two components
// each).
double triangle_area(std::vector<double> v1, std::vector<double> v2);

// Interpolates the dense table G, read on grid, at point into result,
// extents [n-orders, m-orders, 2, 2] (the caller's storage is reused). With
// position data the lattice vectors at the point are written to k1gk2g as
// [K1x, K1y, |K1|, K2x, K2y, |K2|] (1/m), the norms recomputed from the
// interpolated components; without it k1gk2g is left as it is (it must hold
// six values either way). Angle 1 is one axis, or one theta column per
// wavelength node (grid.angle1WavelengthStride), bracketed separately in the
// column of each of the two wavelength nodes used.
//
// Returns 0 on success, -1 when the point lies where the position grid has
// no data or a coordinate is not finite; result and k1gk2g are then
// untouched. Raises std::out_of_range before anything is written when the
// table is empty or its shape disagrees with the grid (angle 1 missing
// included), or when the index map names a position beyond the table or the
// lattice lists. logPoint: as for locateInterpolationStencil.
int interpGratingOrders(NdArrayComplex& result, const NdArrayComplex& G, const HalfSpaceGrid& grid,
                        const GridPoint& point, std::vector<double>& k1gk2g, int no_interp,
                        bool logPoint = false);

}  // namespace quelbrant
