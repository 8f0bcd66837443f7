#include "tables/DenseTableShape.h"

namespace quelbrant {

bool extentsDescribe(const std::vector<size_t>& extents, size_t elements)
{
    const std::optional<size_t> count = tableElementCount(extents);
    return count && *count == elements;
}

bool hasDenseLayout(const std::vector<size_t>& extents, bool withPosition)
{
    const size_t p = withPosition ? 1 : 0;
    return extents.size() == 7 + p && extents[p + 5] == 2 && extents[p + 6] == 2;
}

std::optional<DenseTableShape> denseTableShape(const NdArrayComplex& table, bool withPosition)
{
    const std::vector<size_t>& d = table.m_size;
    if (!hasDenseLayout(d, withPosition) || !extentsDescribe(d, table.size()))
        return std::nullopt;
    const size_t p = withPosition ? 1 : 0;
    DenseTableShape shape;
    shape.positions = withPosition ? d[0] : 1;
    shape.angle1 = d[p];
    shape.angle2 = d[p + 1];
    shape.wavelengths = d[p + 2];
    shape.nOrders = d[p + 3];
    shape.mOrders = d[p + 4];
    return shape;
}

}  // namespace quelbrant
