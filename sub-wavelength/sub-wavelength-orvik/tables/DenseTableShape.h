#pragma once

// The one rule for what a table's extents mean. Extents come straight from
// the data file, so every routine that multiplies them, allocates by them or
// walks a table by them asks here rather than multiplying on its own.
//
// The rule: a shape is valid when the product of its non-zero extents fits
// in size_t. A valid shape with a zero extent is an empty table (0 elements);
// a zero extent never excuses the others, so [0, 2^40, 2^40] describes no
// table, wherever the zero stands. Routines that only store, sort, convert
// or report a table accept an empty one; routines that must read a grid node
// (interpolation, the ray path's working copy) refuse it themselves.

#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

#include "NdArray.h"

namespace quelbrant {

// Number of elements of a table with the extents [first, last), or nothing
// when the shape is not valid (see above). Inline: the ray path checks the
// shape of every interpolated table with it.
inline std::optional<size_t> tableElementCount(const size_t* first, const size_t* last)
{
    size_t nonZeroProduct = 1;
    bool hasZero = false;
    for (; first != last; ++first) {
        const size_t extent = *first;
        if (extent == 0) {
            hasZero = true;
            continue;
        }
        if (nonZeroProduct > std::numeric_limits<size_t>::max() / extent)
            return std::nullopt;
        nonZeroProduct *= extent;
    }
    return hasZero ? 0 : nonZeroProduct;
}

inline std::optional<size_t> tableElementCount(const std::vector<size_t>& extents)
{
    return tableElementCount(extents.data(), extents.data() + extents.size());
}

// True when the extents form a valid shape of exactly `elements` elements.
bool extentsDescribe(const std::vector<size_t>& extents, size_t elements);

// A dense reflection or transmission table:
//   [positions] x A1 x A2 x L x Nn x Nm x PolOut (2) x PolIn (2),
// first index fastest, the position dimension only with position data. A
// grid node is one (position, A1, A2, L) combination; its entries (orders and
// polarisations) lie nodes() apart.
struct DenseTableShape {
    size_t positions = 1;
    size_t angle1 = 0;
    size_t angle2 = 0;
    size_t wavelengths = 0;
    size_t nOrders = 0;
    size_t mOrders = 0;

    size_t nodes() const { return positions * angle1 * angle2 * wavelengths; }
    size_t entries() const { return nOrders * mOrders * 4; }
    size_t elements() const { return nodes() * entries(); }
};

// True when extents have the dense layout's rank (7, 8 with position data)
// and 2 x 2 polarisation extents; nothing about the element count.
bool hasDenseLayout(const std::vector<size_t>& extents, bool withPosition);

// The shape of a dense table, or nothing when it lacks the dense layout or
// holds another number of elements than its (valid) extents describe. An
// empty table (a zero extent) has a shape, with elements() == 0.
std::optional<DenseTableShape> denseTableShape(const NdArrayComplex& table, bool withPosition);

}  // namespace quelbrant
