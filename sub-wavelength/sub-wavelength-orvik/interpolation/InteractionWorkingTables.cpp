#include "interpolation/InteractionWorkingTables.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "interpolation/InterpolationPointLog.h"
#include "interpolation/InterpolationSwitch.h"
#include "interpolation/PositionCorners.h"
#include "interpolation/TableStencil.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

namespace {

// Nodes per transposition tile: a tile of 64 nodes x 64 entries (64 KiB of
// source) keeps both the rows read and the rows written in cache.
constexpr size_t TileSize = 64;

// Every corner must name a table slice and an entry of each lattice list.
void checkCornerPositions(const PositionCorners& corners, const HalfSpaceGrid& grid)
{
    for (int position : corners.position) {
        const size_t p = static_cast<size_t>(position);
        if (p > grid.positions || p > grid.k1x->size() || p > grid.k1y->size() || p > grid.k2x->size() ||
            p > grid.k2y->size())
            throw std::out_of_range("InterpGrating: index map names a position beyond the tables");
    }
}

}  // namespace

OrderFastestTable::OrderFastestTable(const NdArrayComplex& dense, bool withPosition)
{
    if (!quelbrant::hasDenseLayout(dense.m_size, withPosition))
        throw std::invalid_argument("working table: the table is not [P] x A1 x A2 x L x Nn x Nm x 2 x 2");
    const std::optional<quelbrant::DenseTableShape> shape = quelbrant::denseTableShape(dense, withPosition);
    if (!shape)
        throw std::invalid_argument("working table: element count disagrees with the extents");
    // A ray needs at least one node to read.
    if (shape->elements() == 0)
        throw std::invalid_argument("working table: empty dimension");
    mShape = *shape;

    // Transpose [node + nodes * entry] into [entry + entries * node], tile by
    // tile.
    const size_t nodes = nodeCount();
    const size_t count = entries();
    mValues.resize(nodes * count);
    const std::complex<double>* source = dense.data();
    for (size_t e0 = 0; e0 < count; e0 += TileSize) {
        const size_t e1 = std::min(count, e0 + TileSize);
        for (size_t n0 = 0; n0 < nodes; n0 += TileSize) {
            const size_t n1 = std::min(nodes, n0 + TileSize);
            for (size_t n = n0; n < n1; ++n)
                for (size_t e = e0; e < e1; ++e)
                    mValues[e + count * n] = source[n + nodes * e];
        }
    }
}

bool useThetaPerWavelength(HalfSpaceGrid& grid, const NdArrayReal& theta)
{
    // One ascending theta column per wavelength node, contiguous.
    if (!grid.lambda || theta.m_size.size() != 2 || theta.m_size[1] != grid.lambda->size() ||
        !quelbrant::extentsDescribe(theta.m_size, theta.size()))
        return false;
    grid.angle1Nodes = theta.data();
    grid.angle1Length = theta.m_size[0];
    grid.angle1WavelengthStride = theta.m_size[0];
    return true;
}

bool tableExtentsMatchGrid(const OrderFastestTable& table, const HalfSpaceGrid& grid)
{
    return !table.empty() && grid.angle1Nodes && grid.angle2 && grid.lambda &&
           table.angle1() == grid.angle1Length && table.angle2() == grid.angle2->size() &&
           table.wavelengths() == grid.lambda->size() && table.positions() == grid.positions &&
           (grid.withPosition || grid.positions == 1);
}

bool tableFitsGrid(const OrderFastestTable& table, const HalfSpaceGrid& grid)
{
    if (!tableExtentsMatchGrid(table, grid))
        return false;
    if (!grid.withPosition)
        return true;
    if (!grid.indexMap || !grid.X || !grid.Y || !grid.k1x || !grid.k1y || !grid.k2x || !grid.k2y)
        return false;
    const NdArrayInt& map = *grid.indexMap;
    if (grid.X->empty() || grid.Y->empty() || map.m_size.size() != 2 || map.m_size[0] != grid.Y->size() ||
        map.m_size[1] != grid.X->size() || map.size() != grid.X->size() * grid.Y->size())
        return false;
    for (int value : map) {
        if (value > 0 && static_cast<size_t>(value) > grid.positions)
            return false;
    }
    return grid.k1x->size() >= grid.positions && grid.k1y->size() >= grid.positions &&
           grid.k2x->size() >= grid.positions && grid.k2y->size() >= grid.positions;
}

bool locateInterpolationStencil(const HalfSpaceGrid& grid, const GridPoint& point, int no_interp,
                                InterpolationStencil& stencil, double* k1gk2g, bool logPoint)
{
    const bool finitePoint =
        std::isfinite(point.angle1) && std::isfinite(point.angle2) && std::isfinite(point.lambda) &&
        (!grid.withPosition || (std::isfinite(point.first) && std::isfinite(point.second)));
    if (!finitePoint)
        return false;

    const NearestNodeAxes nearest = decodeInterpolationSwitch(no_interp);
    PositionCorners corners;
    if (grid.withPosition) {
        if (!locatePositionCorners(*grid.indexMap, *grid.X, point.first, *grid.Y, point.second,
                                   nearest.position, corners))
            return false;
        checkCornerPositions(corners, grid);
        latticeVectorsAtCorners(corners, *grid.k1x, *grid.k1y, *grid.k2x, *grid.k2y, k1gk2g);
    }
    if (logPoint)
        quelbrant::logInterpolationPoint(grid, point, k1gk2g, grid.withPosition ? &corners : nullptr);

    TableAxes axes;
    axes.angle1 = grid.angle1Nodes;
    axes.angle1Length = grid.angle1Length;
    axes.angle1WavelengthStride = grid.angle1WavelengthStride;
    axes.angle2 = grid.angle2->data();
    axes.angle2Length = grid.angle2->size();
    axes.lambda = grid.lambda->data();
    axes.lambdaLength = grid.lambda->size();
    axes.positions = grid.positions;
    buildTableStencil(axes, point.angle1, point.angle2, point.lambda, nearest,
                      grid.withPosition ? &corners : nullptr, stencil);
    return true;
}

namespace {

// out[v] += weight[t] * node_t[v] for the terms [first, first + N), v over
// the real and imaginary parts of every entry. The terms of one call are
// added one after the other to each value, so per value the additions keep
// the stencil's order however the terms are grouped into calls.
template <size_t N>
void accumulateTerms(const OrderFastestTable& table, const InterpolationStencil& stencil, size_t first,
                     double* out, size_t values)
{
    const double* node[N];
    double weight[N];
    for (size_t t = 0; t < N; ++t) {
        node[t] = reinterpret_cast<const double*>(table.node(stencil.offset[first + t]));
        weight[t] = stencil.weight[first + t];
    }
    for (size_t v = 0; v < values; ++v) {
        double sum = out[v];
        for (size_t t = 0; t < N; ++t)
            sum += weight[t] * node[t][v];
        out[v] = sum;
    }
}

}  // namespace

void interpolateAtStencil(const OrderFastestTable& table, const InterpolationStencil& stencil,
                          NdArrayComplex& result)
{
    const size_t entries = table.entries();
    result.m_size.resize(4);
    result.m_size[0] = table.nOrders();
    result.m_size[1] = table.mOrders();
    result.m_size[2] = 2;
    result.m_size[3] = 2;
    result.assign(entries, std::complex<double>(0.0, 0.0));

    // A complex value is two adjacent doubles, and complex-by-real products
    // and complex sums act on the two parts separately, so the sum runs over
    // the parts as plain doubles.
    double* out = reinterpret_cast<double*>(result.data());
    const size_t values = 2 * entries;
    size_t t = 0;
    for (; t + 4 <= stencil.count; t += 4)
        accumulateTerms<4>(table, stencil, t, out, values);
    for (; t < stencil.count; ++t)
        accumulateTerms<1>(table, stencil, t, out, values);
}

}  // namespace quelbrant
