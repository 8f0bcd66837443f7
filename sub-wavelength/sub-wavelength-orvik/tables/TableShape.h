#pragma once

// Shape arithmetic shared by the table routines. Extents come straight from
// the data file, so their products are taken with overflow checks.

#include <cstddef>
#include <limits>

namespace quelbrant {

// Multiplies the extents in [first, last) into product. Returns false when
// any partial product overflows size_t, even if a later zero extent would
// bring the total back to 0: such a shape is never a real table.
template <typename Iterator>
bool checkedProduct(Iterator first, Iterator last, size_t& product)
{
    size_t result = 1;
    for (; first != last; ++first) {
        const size_t extent = *first;
        if (extent != 0 && result > std::numeric_limits<size_t>::max() / extent)
            return false;
        result *= extent;
    }
    product = result;
    return true;
}

}  // namespace quelbrant
