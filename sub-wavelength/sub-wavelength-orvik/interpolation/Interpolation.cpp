#include "interpolation/Interpolation.h"

#include <stdexcept>
#include <string>

#include "interpolation/InterpolationStencil.h"
#include "interpolation/InterpolationSwitch.h"
#include "interpolation/PositionCorners.h"
#include "interpolation/TableStencil.h"
#include "logger.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

namespace {

[[noreturn]] void throwShapeMismatch(const char* what)
{
    throw std::out_of_range(std::string("InterpGrating: ") + what);
}

// Checks the table against the grid so that every node a stencil can name
// lies inside the table.
quelbrant::DenseTableShape checkTableShape(const NdArrayComplex& G, const HalfSpaceGrid& grid)
{
    if (!grid.angle1Nodes || !grid.angle2 || !grid.lambda)
        throwShapeMismatch("the grid has no angle axes (a theta table that does not fit the wavelengths)");
    const size_t p = grid.withPosition ? 1 : 0;
    const std::vector<size_t>& d = G.m_size;
    if (!quelbrant::hasDenseLayout(d, grid.withPosition))
        throwShapeMismatch("table is not [P] x A1 x A2 x L x Nn x Nm x 2 x 2");
    if (d[p] != grid.angle1Length || d[p + 1] != grid.angle2->size() || d[p + 2] != grid.lambda->size() ||
        (grid.withPosition && d[0] != grid.positions))
        throwShapeMismatch("table extents do not match the axes");
    const std::optional<quelbrant::DenseTableShape> shape = quelbrant::denseTableShape(G, grid.withPosition);
    if (!shape)
        throwShapeMismatch("table holds fewer or more elements than its extents");
    if (shape->elements() == 0)
        throwShapeMismatch("table has an empty dimension");
    return *shape;
}

}  // namespace

int interpGratingOrders(NdArrayComplex& result, const NdArrayComplex& G, const HalfSpaceGrid& grid,
                        const GridPoint& point, std::vector<double>& k1gk2g, int no_interp, bool logPoint)
{
    if (k1gk2g.size() < 6)
        throw std::out_of_range("InterpGrating: k1gk2g needs six values");
    const quelbrant::DenseTableShape shape = checkTableShape(G, grid);

    InterpolationStencil stencil;
    if (!locateInterpolationStencil(grid, point, no_interp, stencil, k1gk2g.data(), logPoint))
        return -1;

    result.m_size.resize(4);
    result.m_size[0] = shape.nOrders;
    result.m_size[1] = shape.mOrders;
    result.m_size[2] = 2;
    result.m_size[3] = 2;
    result.resize(shape.entries());
    accumulateStencil(G.data(), shape.nodes(), stencil, result.data(), shape.entries());
    return 0;
}

}  // namespace quelbrant
