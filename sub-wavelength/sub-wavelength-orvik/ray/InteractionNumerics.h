#pragma once

// Small numeric helpers of the ray interaction.

#include <vector>

namespace quelbrant {

// phiIn (degrees) moved by whole turns into [minPhiVector, minPhiVector + 360),
// the range of an azimuth axis that starts at minPhiVector. A value up to
// 1e-12 degree below the lower end counts as lying on it.
double bringIntoAzimuthalRangeInDegrees(double phiIn, double minPhiVector);

// Sum of the elements from index 0 upward, starting from 0.0.
double sum(const std::vector<double>& A);

}  // namespace quelbrant
