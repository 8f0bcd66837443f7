#include "ray/InteractionPosition.h"

#include <cmath>

namespace quelbrant {

namespace {

constexpr double MetresPerMillimetre = 0.001;

bool outsideAxis(const std::vector<double>& axis, double value)
{
    return axis.size() > 1 && (value < axis.front() || value > axis.back());
}

}  // namespace

bool hitPointOnPositionGrid(GratingSurface::PositionDefinition definition, double xMm, double yMm,
                            GridPosition& position)
{
    const double x = MetresPerMillimetre * xMm;
    const double y = MetresPerMillimetre * yMm;
    switch (definition) {
        case GratingSurface::XY:
            position.first = x;
            position.second = y;
            return true;
        case GratingSurface::RAD_POL:
            position.first = std::sqrt(x * x + y * y);
            position.second = std::atan2(y, x);
            return true;
        default:
            return false;
    }
}

bool isOutsidePositionGrid(const std::vector<double>& firstAxis, const std::vector<double>& secondAxis,
                           const GridPosition& position)
{
    return outsideAxis(firstAxis, position.first) || outsideAxis(secondAxis, position.second);
}

}  // namespace quelbrant
