#pragma once

// CMOS mode: the transmitted side of a characterisation is replaced by one
// polarisation-preserving zeroth order that carries all the power the
// reflected orders leave.

#include <vector>

#include "NdArray.h"

namespace quelbrant {

// Rewrites one half space's dense transmission table T from its reflection
// table R. Both tables are [position] x A1 x A2 x L x Nn x Nm x PolOut x
// PolIn (position only withPosition), R over the orders Rn x Rm, T over
// Tn x Tm, and share their grid extents.
//
// At every grid node (every position too) with SRtot / PRtot the reflected
// power for input polarisation 0 / 1 (summed over all reflected orders and
// both output polarisations, capped at 1), the transmitted order (0, 0) gets
// the diagonal block diag(sqrt(1 - SRtot), sqrt(1 - PRtot)) and every other
// transmitted element becomes zero. A grid of T without order (0, 0) takes
// the block at order indices (0, 0), its first n and first m.
//
// Returns false and changes nothing when the tables do not have that form
// (see fitsCmosRewrite).
bool moveTransmittedPowerToZerothOrder(const NdArrayComplex& R, const std::vector<int>& Rn,
                                       const std::vector<int>& Rm, NdArrayComplex& T,
                                       const std::vector<int>& Tn, const std::vector<int>& Tm,
                                       bool withPosition);

// True when R and T have the form moveTransmittedPowerToZerothOrder needs:
// rank 7 (8 withPosition), polarisation extents 2 x 2, order extents equal
// to the lengths of their lists, the same grid extents in both, as many
// elements as the extents promise, and at least one transmitted order.
bool fitsCmosRewrite(const NdArrayComplex& R, const std::vector<int>& Rn, const std::vector<int>& Rm,
                     const NdArrayComplex& T, const std::vector<int>& Tn, const std::vector<int>& Tm,
                     bool withPosition);

}  // namespace quelbrant
