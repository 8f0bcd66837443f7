#pragma once

// The ray path's working copy of a surface's reflection and transmission
// tables, and the interpolation that reads it.
//
// The dense tables ([position] x angle 1 x angle 2 x wavelength x Nn x Nm x
// PolOut x PolIn, first index fastest) put the entries of one grid node
// (every order and polarisation) a whole node grid apart: a ray that needs
// 8 or 32 nodes touches one cache line per 16-byte value. The working copy
// holds the same values with the entries of a node contiguous
// (values[node * entries + entry]), so that one ray reads 8 or 32 compact
// blocks. The dense tables stay the surface's data (report, GPU view, CMOS
// rewrite); the copy is rebuilt whenever they change.
//
// The interpolation here gives bit for bit the results of interpGratingOrders
// on the dense tables: both locate the point with locateInterpolationStencil,
// and every entry is summed over the same nodes in the same order
// (wavelength, angle 2, angle 1, position corner, outermost to innermost)
// from complex zero.

#include <complex>
#include <cstddef>
#include <vector>

#include "NdArray.h"
#include "interpolation/InterpolationStencil.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

// One dense table with the entries of each grid node contiguous.
class OrderFastestTable {
public:
    OrderFastestTable() = default;
    // Copies dense, whose extents are [P] x A1 x A2 x L x Nn x Nm x 2 x 2
    // (P only withPosition). Throws std::invalid_argument when the table
    // does not have that form or its element count disagrees with its
    // extents.
    OrderFastestTable(const NdArrayComplex& dense, bool withPosition);

    size_t positions() const { return mShape.positions; }
    size_t angle1() const { return mShape.angle1; }
    size_t angle2() const { return mShape.angle2; }
    size_t wavelengths() const { return mShape.wavelengths; }
    size_t nOrders() const { return mShape.nOrders; }
    size_t mOrders() const { return mShape.mOrders; }
    size_t entries() const { return mShape.entries(); }
    size_t nodeCount() const { return mShape.nodes(); }
    bool empty() const { return mValues.empty(); }

    // The entries of grid node `node` (the dense table's flat index of the
    // node's first entry), in the dense table's entry order.
    const std::complex<double>* node(size_t node) const { return mValues.data() + node * entries(); }

private:
    quelbrant::DenseTableShape mShape;
    std::vector<std::complex<double>> mValues;
};

// Everything of one half space that the interpolation reads besides the
// table: the axes (angle 1 either one axis, or a theta column per wavelength
// node), the position grid and the per-position lattice vectors.
struct HalfSpaceGrid {
    const double* angle1Nodes = nullptr;
    size_t angle1Length = 0;
    size_t angle1WavelengthStride = 0;  // 0: one axis; n-theta: column l starts at l * n-theta
    const std::vector<double>* angle2 = nullptr;
    const std::vector<double>* lambda = nullptr;
    bool withPosition = false;
    size_t positions = 1;                  // position extent of the tables (1 without position data)
    const NdArrayInt* indexMap = nullptr;  // (Y node, X node), position numbers from 1, <= 0 no data
    const std::vector<double>* X = nullptr;
    const std::vector<double>* Y = nullptr;
    const std::vector<double>* k1x = nullptr;  // per position number - 1, 1/m
    const std::vector<double>* k1y = nullptr;
    const std::vector<double>* k2x = nullptr;
    const std::vector<double>* k2y = nullptr;
};

// Points grid's angle 1 at theta, one ascending theta column per wavelength
// node of grid.lambda (extents [n-theta, n-wavelength]). Returns false and
// leaves grid as it was when theta does not have that shape.
bool useThetaPerWavelength(HalfSpaceGrid& grid, const NdArrayReal& theta);

// True when table's extents match the axes and the position count of grid:
// a few comparisons, cheap enough for every ray.
bool tableExtentsMatchGrid(const OrderFastestTable& table, const HalfSpaceGrid& grid);

// True when table can be read on grid: its extents match, every index-map
// value names one of the positions and every position has a lattice vector.
bool tableFitsGrid(const OrderFastestTable& table, const HalfSpaceGrid& grid);

// The point in the grid's coordinates (angle 1, angle 2, wavelength, and
// the position when the grid has one).
struct GridPoint {
    double angle1 = 0.0;
    double angle2 = 0.0;
    double lambda = 0.0;
    double first = 0.0;
    double second = 0.0;
};

// Brackets the point on every axis of grid (nearest nodes as no_interp
// selects) and lists the grid nodes it reads with their weights, in
// summation order. A term's offset is the node's index: the flat offset of
// the node's first entry in the dense table. With position data it also writes
// the lattice vectors at the point to k1gk2g[0..5]. Returns false when the
// point cannot be answered from the data (a coordinate not finite, or a hole
// of the position grid); nothing is written then. Raises std::out_of_range,
// before writing, when a corner's position number lies beyond grid.positions
// or a lattice list. The axes of grid must match the tables read with the
// stencil (tableExtentsMatchGrid). logPoint (the caller's verbose flag, so
// that quiet rays pay no second look at the logger) writes the located point
// to the log; the log only observes.
bool locateInterpolationStencil(const HalfSpaceGrid& grid, const GridPoint& point, int no_interp,
                                InterpolationStencil& stencil, double* k1gk2g, bool logPoint = false);

// result = the stencil's weighted sum of table's nodes, extents
// [Nn, Nm, 2, 2] (the caller's storage is reused).
void interpolateAtStencil(const OrderFastestTable& table, const InterpolationStencil& stencil,
                          NdArrayComplex& result);

}  // namespace quelbrant
