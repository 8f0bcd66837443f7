#include "interpolation/PositionCorners.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <stdexcept>

#include "interpolation/AxisBracket.h"
#include "interpolation/Interpolation.h"
#include "logger.h"

namespace quelbrant {

namespace {

// Side of each corner along X and Y: 0 = lower node, 1 = upper node.
constexpr size_t CornerXSide[4] = {0, 1, 1, 0};
constexpr size_t CornerYSide[4] = {0, 0, 1, 1};

double triangleArea(const double* v1, const double* v2)
{
    return 0.5 * std::fabs(v1[0] * v2[1] - v1[1] * v2[0]);
}

}  // namespace

double triangle_area(std::vector<double> v1, std::vector<double> v2)
{
    if (v1.size() < 2 || v2.size() < 2)
        throw std::out_of_range("triangle_area: vectors need two components");
    return triangleArea(v1.data(), v2.data());
}

bool locatePositionCorners(const NdArrayInt& indexMap, const std::vector<double>& X, double X0,
                           const std::vector<double>& Y, double Y0, bool nearest, PositionCorners& corners)
{
    if (X.empty() || Y.empty() || indexMap.m_size.size() != 2 || indexMap.m_size[0] != Y.size() ||
        indexMap.m_size[1] != X.size() || indexMap.size() != Y.size() * X.size())
        throw std::out_of_range("InterpGrating: index map does not match the position axes");

    const AxisBracket bx = bracketAxis(X.data(), X.size(), X0, nearest);
    const AxisBracket by = bracketAxis(Y.data(), Y.size(), Y0, nearest);

    PositionCorners c;
    int invalidPoints = 0;
    size_t missing = 0;
    for (size_t k = 0; k < 4; ++k) {
        const size_t ix = bx.node[CornerXSide[k]];
        const size_t iy = by.node[CornerYSide[k]];
        c.position[k] = indexMap[iy + Y.size() * ix];
        if (c.position[k] <= 0) {
            ++invalidPoints;
            missing = k;
        }
    }
    if (invalidPoints > 1) {
        LogDebug("InterpGrating() - Not in grating area (1). Go refraction.");
        return false;
    }
    for (size_t k = 0; k < 4; ++k)
        c.weight[k] = bx.weight[CornerXSide[k]] * by.weight[CornerYSide[k]];

    if (invalidPoints == 1) {
        const size_t t = missing;
        if (nearest && c.weight[t] == 1.0) {
            LogDebug("InterpGrating() - Not in grating area (2). Go refraction.");
            return false;
        }
        // Vectors from the missing corner and its two neighbours to the point.
        const size_t around[3] = {t, (t + 1) % 4, (t + 3) % 4};
        double v[3][2];
        for (size_t k = 0; k < 3; ++k) {
            v[k][0] = X0 - X[bx.node[CornerXSide[around[k]]]];
            v[k][1] = Y0 - Y[by.node[CornerYSide[around[k]]]];
        }
        // Inside the missing corner's half cell the two triangles from the
        // point to the corner's edges add up to less than that half cell;
        // on the diagonal they fill it exactly, beyond it they exceed it.
        // A point on the diagonal is served: the half cell must exceed the
        // triangles by more than the rounding of the areas and of the
        // point's coordinates (a hit point's unit change, a scan parameter's
        // decimal value; relative to their size) can account for.
        const double dx = std::fabs(X[bx.node[1]] - X[bx.node[0]]);
        const double dy = std::fabs(Y[by.node[1]] - Y[by.node[0]]);
        const double halfCell = 0.5 * dx * dy;
        const double rounding = 4.0 * DBL_EPSILON *
                                (halfCell + dy * (std::fabs(X0) + std::fabs(X[bx.node[CornerXSide[t]]])) +
                                 dx * (std::fabs(Y0) + std::fabs(Y[by.node[CornerYSide[t]]])));
        if (halfCell - rounding > triangleArea(v[0], v[1]) + triangleArea(v[0], v[2])) {
            LogDebug("InterpGrating() - Not in grating area (3). Go refraction.");
            LogDebug("InterpGrating() - XOrRadOrPar10, XOrRadOrPar1[px[0]], XOrRadOrPar1[px[1]]: ", X0, ", ",
                     X[bx.node[0]], ", ", X[bx.node[1]]);
            LogDebug("InterpGrating() - YOrPolOrPar20, YOrPolOrPar2[px[0]], YOrPolOrPar2[px[1]]: ", Y0, ", ",
                     Y[by.node[0]], ", ", Y[by.node[1]]);
            LogDebug("InterpGrating() - v0, v1, v2: (", v[0][0], ",", v[0][1], ")  (", v[1][0], ",", v[1][1],
                     ")  (", v[2][0], ",", v[2][1], ")");
            return false;
        }
        const double scale = 1.0 / (1.0 - c.weight[t]);
        for (size_t k = 1; k < 4; ++k)
            c.weight[(t + k) % 4] *= scale;
        c.weight[t] = 0.0;
        c.position[t] = 1;
    }
    corners = c;
    return true;
}

void latticeVectorsAtCorners(const PositionCorners& corners, const std::vector<double>& k1x,
                             const std::vector<double>& k1y, const std::vector<double>& k2x,
                             const std::vector<double>& k2y, double* k1gk2g)
{
    k1gk2g[0] = k1gk2g[1] = k1gk2g[3] = k1gk2g[4] = 0.0;
    for (size_t c = 0; c < 4; ++c) {
        const size_t p = static_cast<size_t>(corners.position[c] - 1);
        k1gk2g[0] += corners.weight[c] * k1x[p];
        k1gk2g[1] += corners.weight[c] * k1y[p];
        k1gk2g[3] += corners.weight[c] * k2x[p];
        k1gk2g[4] += corners.weight[c] * k2y[p];
    }
    k1gk2g[2] = std::sqrt(k1gk2g[0] * k1gk2g[0] + k1gk2g[1] * k1gk2g[1]);
    k1gk2g[5] = std::sqrt(k1gk2g[3] * k1gk2g[3] + k1gk2g[4] * k1gk2g[4]);
}

}  // namespace quelbrant
