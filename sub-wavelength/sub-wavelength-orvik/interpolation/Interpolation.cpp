#include "interpolation/Interpolation.h"

#include <cmath>
#include <ostream>
#include <stdexcept>

#include "interpolation/InterpolationStencil.h"
#include "interpolation/InterpolationSwitch.h"
#include "interpolation/PositionCorners.h"
#include "interpolation/TableStencil.h"
#include "logger.h"
#include "tables/TableShape.h"

namespace quelbrant {

namespace {

[[noreturn]] void throwShapeMismatch(const char* what)
{
    throw std::out_of_range(std::string("InterpGrating: ") + what);
}

// Extents of a dense table as the weighted sum walks it: one slice per
// (position, angle 1, angle 2, wavelength) node, `entries` values per slice
// (orders x PolOut x PolIn) lying `positions * angle1 * angle2 * wavelengths`
// apart.
struct TableGrid {
    size_t positions = 1;
    size_t angle1 = 0;
    size_t angle2 = 0;
    size_t wavelengths = 0;
    size_t nOrders = 0;
    size_t mOrders = 0;
    size_t entries = 0;
    size_t sliceCount() const { return positions * angle1 * angle2 * wavelengths; }
};

// Checks the table against its axes so that every node a bracket can name
// lies inside the table.
TableGrid checkTableShape(const NdArrayComplex& G, bool withPosition, size_t angle1, size_t angle2,
                          size_t wavelengths)
{
    const size_t p = withPosition ? 1 : 0;
    const std::vector<size_t>& d = G.m_size;
    if (d.size() != 7 + p)
        throwShapeMismatch("table has the wrong number of dimensions");
    if (d[p] != angle1 || d[p + 1] != angle2 || d[p + 2] != wavelengths || d[p + 5] != 2 || d[p + 6] != 2)
        throwShapeMismatch("table extents do not match the axes");
    size_t total = 0;
    if (!checkedProduct(d.begin(), d.end(), total) || total == 0)
        throwShapeMismatch("table has an empty or oversized dimension");
    if (total != G.size())
        throwShapeMismatch("table holds fewer or more elements than its extents");
    TableGrid grid;
    grid.positions = withPosition ? d[0] : 1;
    grid.angle1 = angle1;
    grid.angle2 = angle2;
    grid.wavelengths = wavelengths;
    grid.nOrders = d[p + 3];
    grid.mOrders = d[p + 4];
    grid.entries = grid.nOrders * grid.mOrders * 4;
    return grid;
}

// Every corner must name a table slice and an entry of each lattice list.
void checkCornerPositions(const PositionCorners& corners, size_t positions, const std::vector<double>& k1x,
                          const std::vector<double>& k1y, const std::vector<double>& k2x,
                          const std::vector<double>& k2y)
{
    for (int position : corners.position) {
        const size_t p = static_cast<size_t>(position);
        if (p > positions || p > k1x.size() || p > k1y.size() || p > k2x.size() || p > k2y.size())
            throwShapeMismatch("index map names a position beyond the tables");
    }
}

struct CornerLine {
    const PositionCorners& corners;
    size_t c;
    const std::vector<double>& k1x;
    const std::vector<double>& k1y;
    const std::vector<double>& k2x;
    const std::vector<double>& k2y;
};

std::ostream& operator<<(std::ostream& out, const CornerLine& line)
{
    const size_t p = static_cast<size_t>(line.corners.position[line.c] - 1);
    return out << line.corners.weight[line.c] << "," << line.corners.position[line.c] << ": " << line.k1x[p]
               << "," << line.k1y[p] << "," << line.k2x[p] << "," << line.k2y[p];
}

void logInterpolationPoint(double angle10, double angle20, double lambda0, const std::vector<double>& k1gk2g,
                           bool withPosition, const PositionCorners& corners, const std::vector<double>& k1x,
                           const std::vector<double>& k1y, const std::vector<double>& k2x,
                           const std::vector<double>& k2y)
{
    if (!getLogger().isVerbose())
        return;
    LogDebug("InterpGrating() - theta, phi, wavelength: ", angle10, ",", angle20, ",", lambda0);
    LogDebug("InterpGrating() - k1gk2g: ", k1gk2g[0], ",", k1gk2g[1], ",", k1gk2g[2], ",", k1gk2g[3], ",",
             k1gk2g[4], ",", k1gk2g[5]);
    LogDebug("InterpGrating() - mXyVarOrParScan: ", withPosition ? "Yes" : "No");
    if (withPosition) {
        auto line = [&](size_t c) { return CornerLine{corners, c, k1x, k1y, k2x, k2y}; };
        LogDebug("InterpGrating() - widx, pidx, mK1Gxv2, mK1Gyv2, mK2Gxv2, mK2Gyv2:\n", line(0), "\n",
                 line(1), "\n", line(2), "\n", line(3));
    }
}

// Both interpolators: the point is bracketed along every axis (angle axis 1
// once per wavelength node used), the contributing slices are collected in
// the fixed order wavelength, angle 2, angle 1, position corner (outermost
// to innermost), and each result entry is their weighted sum. axes comes
// with angle axis 1 filled in; the other axes are taken from the arguments.
int interpolateTable(NdArrayComplex& result, const NdArrayComplex& G, TableAxes axes, double angle10,
                     const std::vector<double>& angle2, double angle20, const std::vector<double>& lambda,
                     double lambda0, bool withPosition, const NdArrayInt& indexMap,
                     const std::vector<double>& X, double X0, const std::vector<double>& Y, double Y0,
                     std::vector<double>& k1gk2g, const std::vector<double>& k1x,
                     const std::vector<double>& k1y, const std::vector<double>& k2x,
                     const std::vector<double>& k2y, int no_interp)
{
    if (k1gk2g.size() < 6)
        throw std::out_of_range("InterpGrating: k1gk2g needs six values");
    const TableGrid grid = checkTableShape(G, withPosition, axes.angle1Length, angle2.size(), lambda.size());

    const bool finitePoint = std::isfinite(angle10) && std::isfinite(angle20) && std::isfinite(lambda0) &&
                             (!withPosition || (std::isfinite(X0) && std::isfinite(Y0)));
    if (!finitePoint) {
        LogDebug("InterpGrating() - Point is not a finite number. Go refraction.");
        return -1;
    }

    const NearestNodeAxes nearest = decodeInterpolationSwitch(no_interp);

    PositionCorners corners;
    if (withPosition) {
        if (!locatePositionCorners(indexMap, X, X0, Y, Y0, nearest.position, corners))
            return -1;
        checkCornerPositions(corners, grid.positions, k1x, k1y, k2x, k2y);
        latticeVectorsAtCorners(corners, k1x, k1y, k2x, k2y, k1gk2g.data());
    }
    logInterpolationPoint(angle10, angle20, lambda0, k1gk2g, withPosition, corners, k1x, k1y, k2x, k2y);

    axes.angle2 = angle2.data();
    axes.angle2Length = angle2.size();
    axes.lambda = lambda.data();
    axes.lambdaLength = lambda.size();
    axes.positions = grid.positions;
    InterpolationStencil stencil;
    buildTableStencil(axes, angle10, angle20, lambda0, nearest, withPosition ? &corners : nullptr, stencil);

    result.m_size.resize(4);
    result.m_size[0] = grid.nOrders;
    result.m_size[1] = grid.mOrders;
    result.m_size[2] = 2;
    result.m_size[3] = 2;
    result.resize(grid.entries);
    accumulateStencil(G.data(), grid.sliceCount(), stencil, result.data(), grid.entries);
    return 0;
}

}  // namespace

int interpGratingOrders(NdArrayComplex& result, const NdArrayComplex& G,
                        const std::vector<double>& thetaOrUxOrKx, double thetaOrUxOrKx0,
                        const std::vector<double>& phiOrUyOrKy, double phiOrUyOrKy0,
                        const std::vector<double>& lambda, double lambda0, bool mXyVarOrParScan,
                        const NdArrayInt& IndexMap, const std::vector<double>& XOrRadOrPar1,
                        double XOrRadOrPar10, const std::vector<double>& YOrPolOrPar2, double YOrPolOrPar20,
                        std::vector<double>& k1gk2g, const std::vector<double>& mK1Gxv2,
                        const std::vector<double>& mK1Gyv2, const std::vector<double>& mK2Gxv2,
                        const std::vector<double>& mK2Gyv2, int no_interp)
{
    TableAxes axes;
    axes.angle1 = thetaOrUxOrKx.data();
    axes.angle1Length = thetaOrUxOrKx.size();
    return interpolateTable(result, G, axes, thetaOrUxOrKx0, phiOrUyOrKy, phiOrUyOrKy0, lambda, lambda0,
                            mXyVarOrParScan, IndexMap, XOrRadOrPar1, XOrRadOrPar10, YOrPolOrPar2,
                            YOrPolOrPar20, k1gk2g, mK1Gxv2, mK1Gyv2, mK2Gxv2, mK2Gyv2, no_interp);
}

int interpGratingOrdersWithFrequencyDependentTheta(
    NdArrayComplex& result, const NdArrayComplex& G, const NdArrayReal& theta, double theta0,
    const std::vector<double>& phi, double phi0, const std::vector<double>& lambda, double lambda0,
    bool mXyVarOrParScan, const NdArrayInt& IndexMap, const std::vector<double>& XOrRadOrPar1,
    double XOrRadOrPar10, const std::vector<double>& YOrPolOrPar2, double YOrPolOrPar20,
    std::vector<double>& k1gk2g, const std::vector<double>& mK1Gxv2, const std::vector<double>& mK1Gyv2,
    const std::vector<double>& mK2Gxv2, const std::vector<double>& mK2Gyv2, int no_interp)
{
    // One ascending theta column per wavelength node, first index fastest,
    // so column l is contiguous.
    if (theta.m_size.size() != 2 || theta.m_size[1] != lambda.size() ||
        theta.size() != theta.m_size[0] * theta.m_size[1])
        throwShapeMismatch("theta table does not match the wavelength axis");
    TableAxes axes;
    axes.angle1 = theta.data();
    axes.angle1Length = theta.m_size[0];
    axes.angle1WavelengthStride = theta.m_size[0];
    return interpolateTable(result, G, axes, theta0, phi, phi0, lambda, lambda0, mXyVarOrParScan, IndexMap,
                            XOrRadOrPar1, XOrRadOrPar10, YOrPolOrPar2, YOrPolOrPar20, k1gk2g, mK1Gxv2,
                            mK1Gyv2, mK2Gxv2, mK2Gyv2, no_interp);
}

}  // namespace quelbrant
