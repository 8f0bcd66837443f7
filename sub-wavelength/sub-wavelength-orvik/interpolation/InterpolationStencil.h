#pragma once

// The weighted sum at the heart of the table interpolation, kept apart from
// the table layout: a stencil lists the table slices that contribute (as
// flat offsets of their first entry) with their weights, and the sum is
// driven over any layout in which one slice's entries lie a fixed stride
// apart. For the dense tables the entries (orders and polarisations) are the
// slowest dimensions, so the stride is the size of one entry's grid; a copy
// with the entries fastest would use stride 1 and offsets slice * entries.

#include <complex>
#include <cstddef>

namespace quelbrant {

struct InterpolationStencil {
    // 2 wavelength x 2 angle-2 x 2 angle-1 nodes x 4 position corners.
    static constexpr size_t MaxTerms = 32;

    size_t count = 0;
    size_t offset[MaxTerms];
    double weight[MaxTerms];

    // Appends one term; the terms are summed in the order they were added.
    // Returns false (and adds nothing) when the stencil is full.
    bool add(size_t sliceOffset, double sliceWeight)
    {
        if (count == MaxTerms)
            return false;
        offset[count] = sliceOffset;
        weight[count] = sliceWeight;
        ++count;
        return true;
    }
};

// out[e] = sum over the terms t, in stencil order, of
// weight[t] * table[offset[t] + e * entryStride], starting from complex zero,
// for e = 0 ... entries - 1. The caller guarantees every address is inside
// the table.
void accumulateStencil(const std::complex<double>* table, size_t entryStride,
                       const InterpolationStencil& stencil, std::complex<double>* out, size_t entries);

}  // namespace quelbrant
