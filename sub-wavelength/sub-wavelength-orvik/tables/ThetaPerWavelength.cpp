#include "tables/ThetaPerWavelength.h"

#include <cmath>
#include <stdexcept>

#include "MathConstants.h"

namespace quelbrant {

namespace {

constexpr double ClipStepDegrees = 1e-8;

}  // namespace

NdArrayReal thetaPerWavelength(const std::vector<double>& thetaDegrees, const std::vector<double>& lambda)
{
    if (lambda.empty())
        throw std::invalid_argument("theta per wavelength needs at least one wavelength");
    const size_t nTheta = thetaDegrees.size();
    const size_t nLambda = lambda.size();
    const double oneOverLambda0 = 0.5 * (1.0 / lambda.front() + 1.0 / lambda.back());

    NdArrayReal table;
    table.reserve(nTheta * nLambda);
    table.m_size = {nTheta, nLambda};
    // Element (i, k) is theta row i at wavelength k: theta index fastest.
    for (size_t k = 0; k < nLambda; ++k) {
        for (size_t i = 0; i < nTheta; ++i) {
            const double x = lambda[k] * oneOverLambda0 * std::sin(thetaDegrees[i] * Pi / 180.0);
            double value;
            if (x > 1.0)
                value = 90.0 + ClipStepDegrees * static_cast<double>(i);
            else if (x < -1.0)
                value = -90.0 - ClipStepDegrees * static_cast<double>(nTheta - 1 - i);
            else
                value = std::asin(x) * 180.0 / Pi;
            table.push_back(value);
        }
    }
    return table;
}

}  // namespace quelbrant
