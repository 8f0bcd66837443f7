#include "interpolation/InterpolationStencil.h"

namespace quelbrant {

void accumulateStencil(const std::complex<double>* table, size_t entryStride,
                       const InterpolationStencil& stencil, std::complex<double>* out, size_t entries)
{
    // One entry at a time with the sum in a local: the order of the
    // additions per entry is the stencil's and never changes, so results are
    // reproducible to the bit whatever the layout.
    for (size_t e = 0; e < entries; ++e) {
        const std::complex<double>* entry = table + e * entryStride;
        std::complex<double> sum(0.0, 0.0);
        for (size_t t = 0; t < stencil.count; ++t)
            sum += stencil.weight[t] * entry[stencil.offset[t]];
        out[e] = sum;
    }
}

}  // namespace quelbrant
