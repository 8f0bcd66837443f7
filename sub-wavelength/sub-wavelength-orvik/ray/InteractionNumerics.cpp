#include "ray/InteractionNumerics.h"

#include <cmath>

namespace quelbrant {

double bringIntoAzimuthalRangeInDegrees(double phiIn, double minPhiVector)
{
    return phiIn - 360.0 * std::floor((1e-12 + (phiIn - minPhiVector)) / 360.0);
}

double sum(const std::vector<double>& A)
{
    double total = 0.0;
    for (double a : A)
        total += a;
    return total;
}

}  // namespace quelbrant
