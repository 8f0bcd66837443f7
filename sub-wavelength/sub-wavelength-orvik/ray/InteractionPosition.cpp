#include "ray/InteractionPosition.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "MathConstants.h"

namespace quelbrant {

namespace {

constexpr double MetresPerMillimetre = 0.001;

bool outsideAxis(const std::vector<double>& axis, double value, double tolerance = 0.0)
{
    return axis.size() > 1 && (value < axis.front() - tolerance || value > axis.back() + tolerance);
}

// How far a hit point's coordinate may pass an axis end by rounding alone:
// the millimetre value, its scaling to metres and the file's value are each
// rounded (a length relative to its size; a polar angle, from atan2 of two
// rounded lengths, relative to pi).
double roundingTolerance(const std::vector<double>& axis, double scale)
{
    if (axis.empty())
        return 0.0;
    return 4.0 * DBL_EPSILON * std::max({std::fabs(axis.front()), std::fabs(axis.back()), scale});
}

// atan2 gives (-pi, pi]; a pos_pol axis may cover any span of angles. The
// angle is moved by the fewest whole turns that bring it past the near end,
// and kept as it is unless that puts it inside.
double wrapIntoAngleAxis(const std::vector<double>& axis, double angle, double tolerance)
{
    if (axis.size() < 2 || !outsideAxis(axis, angle, tolerance))
        return angle;
    const double turns = angle < axis.front() ? std::ceil((axis.front() - tolerance - angle) / TwoPi)
                                              : -std::ceil((angle - axis.back() - tolerance) / TwoPi);
    const double wrapped = angle + turns * TwoPi;
    return outsideAxis(axis, wrapped, tolerance) ? angle : wrapped;
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

bool placeHitPointOnPositionGrid(GratingSurface::PositionDefinition definition,
                                 const std::vector<double>& firstAxis, const std::vector<double>& secondAxis,
                                 GridPosition& position)
{
    const double firstTolerance = roundingTolerance(firstAxis, 0.0);
    const double secondTolerance =
        roundingTolerance(secondAxis, definition == GratingSurface::RAD_POL ? Pi : 0.0);
    if (definition == GratingSurface::RAD_POL) {
        // Every angle names the centre, whatever the signs of its zeros made
        // atan2 give: 0 there, or the axis's own angle where 0 is none.
        const bool centre = position.first == 0.0;
        position.second = wrapIntoAngleAxis(secondAxis, centre ? 0.0 : position.second, secondTolerance);
        if (centre && outsideAxis(secondAxis, position.second, secondTolerance))
            position.second = secondAxis.front();
    }
    return !outsideAxis(firstAxis, position.first, firstTolerance) &&
           !outsideAxis(secondAxis, position.second, secondTolerance);
}

bool isOutsidePositionGrid(const std::vector<double>& firstAxis, const std::vector<double>& secondAxis,
                           const GridPosition& position)
{
    return outsideAxis(firstAxis, position.first) || outsideAxis(secondAxis, position.second);
}

}  // namespace quelbrant
