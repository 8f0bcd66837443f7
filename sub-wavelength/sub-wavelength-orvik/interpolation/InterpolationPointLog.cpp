#include "interpolation/InterpolationPointLog.h"

#include <ostream>

#include "interpolation/PositionCorners.h"
#include "logger.h"

namespace quelbrant {

namespace {

struct CornerLine {
    const HalfSpaceGrid& grid;
    const PositionCorners& corners;
    size_t c;
};

std::ostream& operator<<(std::ostream& out, const CornerLine& line)
{
    const size_t p = static_cast<size_t>(line.corners.position[line.c] - 1);
    return out << line.corners.weight[line.c] << "," << line.corners.position[line.c] << ": "
               << (*line.grid.k1x)[p] << "," << (*line.grid.k1y)[p] << "," << (*line.grid.k2x)[p] << ","
               << (*line.grid.k2y)[p];
}

}  // namespace

void logInterpolationPoint(const HalfSpaceGrid& grid, const GridPoint& point, const double* k1gk2g,
                           const PositionCorners* corners)
{
    LogDebug("InterpGrating() - theta, phi, wavelength: ", point.angle1, ",", point.angle2, ",",
             point.lambda);
    LogDebug("InterpGrating() - k1gk2g: ", k1gk2g[0], ",", k1gk2g[1], ",", k1gk2g[2], ",", k1gk2g[3], ",",
             k1gk2g[4], ",", k1gk2g[5]);
    LogDebug("InterpGrating() - mXyVarOrParScan: ", corners ? "Yes" : "No");
    if (corners) {
        auto line = [&](size_t c) { return CornerLine{grid, *corners, c}; };
        LogDebug("InterpGrating() - widx, pidx, mK1Gxv2, mK1Gyv2, mK2Gxv2, mK2Gyv2:\n", line(0), "\n",
                 line(1), "\n", line(2), "\n", line(3));
    }
}

}  // namespace quelbrant
