#pragma once

// Where a ray meets the position grid of a surface with spatially varying
// data.

#include <vector>

#include "GratingSurface.h"

namespace quelbrant {

// A point in the coordinates of the position grid: (pos_x, pos_y) in metres,
// (pos_rad in metres, pos_pol in radians), or the two scan parameters.
struct GridPosition {
    double first = 0.0;
    double second = 0.0;
};

// The host's hit point (x, y in millimetres) in the grid's coordinates:
// XY gives (x, y) in metres, RAD_POL the radius in metres and the polar angle
// atan2(y, x) in radians. Returns false for any other kind of grid, whose
// coordinates do not come from the hit point.
bool hitPointOnPositionGrid(GratingSurface::PositionDefinition definition, double xMm, double yMm,
                            GridPosition& position);

// For a hit point (XY or RAD_POL) from hitPointOnPositionGrid: true when it
// lies on the grid. A point beyond an axis end by no more than the rounding
// its coordinates carry lies on that end; a polar angle outside the pos_pol
// range is first moved there by whole turns where that puts it inside.
bool placeHitPointOnPositionGrid(GratingSurface::PositionDefinition definition,
                                 const std::vector<double>& firstAxis, const std::vector<double>& secondAxis,
                                 GridPosition& position);

// For scan parameters, which carry no unit change: true when the point lies
// beyond the first or last value of an axis that has more than one value (an
// axis of one value never rejects; a point on an end value is inside).
bool isOutsidePositionGrid(const std::vector<double>& firstAxis, const std::vector<double>& secondAxis,
                           const GridPosition& position);

}  // namespace quelbrant
