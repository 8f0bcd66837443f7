#pragma once

// Small tables and surfaces for the kernel tests.

#include <complex>
#include <functional>
#include <vector>

#include "NdArray.h"
#include "interpolation/Interpolation.h"

namespace quelbrant {

using Complex = std::complex<double>;

// A table of the given extents whose element at each multi-index (first
// index fastest) is f(index).
inline NdArrayComplex makeTable(const std::vector<size_t>& extents,
                                const std::function<Complex(const std::vector<size_t>&)>& f)
{
    NdArrayComplex t;
    t.m_size = extents;
    size_t count = 1;
    for (size_t e : extents)
        count *= e;
    std::vector<size_t> index(extents.size(), 0);
    for (size_t flat = 0; flat < count; ++flat) {
        t.push_back(f(index));
        for (size_t d = 0; d < extents.size(); ++d) {
            if (++index[d] < extents[d])
                break;
            index[d] = 0;
        }
    }
    return t;
}

// Index map from rows along Y: rows[iy][ix] is the position number of
// node (X node ix, Y node iy).
inline NdArrayInt indexMapFromRows(const std::vector<std::vector<int>>& rows)
{
    NdArrayInt map;
    const size_t nY = rows.size();
    const size_t nX = rows.front().size();
    map.m_size = {nY, nX};
    map.resize(nY * nX);
    for (size_t iy = 0; iy < nY; ++iy)
        for (size_t ix = 0; ix < nX; ++ix)
            map[iy + nY * ix] = rows[iy][ix];
    return map;
}

// Everything one interpolator call reads, as a surface side holds it.
struct InterpolationCase {
    NdArrayComplex G;
    std::vector<double> theta;
    std::vector<double> phi;
    std::vector<double> lambda;
    NdArrayReal thetaTable;  // when set, the frequency-dependent variant runs
    bool withPosition = false;
    NdArrayInt indexMap;
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<double> k1x;
    std::vector<double> k1y;
    std::vector<double> k2x;
    std::vector<double> k2y;

    // The grid as a surface side describes it.
    HalfSpaceGrid grid() const
    {
        HalfSpaceGrid g;
        g.angle2 = &phi;
        g.lambda = &lambda;
        if (thetaTable.empty()) {
            g.angle1Nodes = theta.data();
            g.angle1Length = theta.size();
        } else {
            useThetaPerWavelength(g, thetaTable);
        }
        g.withPosition = withPosition;
        if (withPosition) {
            g.positions = G.m_size.empty() ? 0 : G.m_size[0];
            g.indexMap = &indexMap;
            g.X = &X;
            g.Y = &Y;
            g.k1x = &k1x;
            g.k1y = &k1y;
            g.k2x = &k2x;
            g.k2y = &k2y;
        }
        return g;
    }

    int run(NdArrayComplex& result, std::vector<double>& k1gk2g, double t, double p, double l, double x = 0.0,
            double y = 0.0, int noInterp = 0) const
    {
        GridPoint point;
        point.angle1 = t;
        point.angle2 = p;
        point.lambda = l;
        point.first = x;
        point.second = y;
        return interpGratingOrders(result, G, grid(), point, k1gk2g, noInterp);
    }

    NdArrayComplex at(double t, double p, double l, double x = 0.0, double y = 0.0, int noInterp = 0) const
    {
        NdArrayComplex result;
        std::vector<double> k1gk2g(6, 0.0);
        run(result, k1gk2g, t, p, l, x, y, noInterp);
        return result;
    }
};

}  // namespace quelbrant
