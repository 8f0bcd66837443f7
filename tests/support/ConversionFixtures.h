#pragma once

// Grids and tables for the whole-table basis conversion tests, and the
// textbook geometry they are checked against.

#include <array>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "GratingSurface.h"
#include "NdArray.h"
#include "tables/BasisConversion.h"

namespace quelbrant {

namespace tables_test {

using C = std::complex<double>;
using Vec3 = std::array<double, 3>;
// 2 x 2 matrix, element (r, c) at r + 2c like a table block [PolOut, PolIn].
using Mat2 = std::array<C, 4>;

constexpr double TestPi = 3.141592653589793;

// Refractive indices: glass below, air above.
constexpr double NLower = 1.5;
constexpr double NUpper = 1.0;

// One of the four tables a surface converts, with the arguments the loader
// passes for it.
struct TableKind {
    const char* name;
    double indexIn;
    double indexOut;
    bool fromUpper;
    double signOut;
};

inline const std::array<TableKind, 4>& tableKinds()
{
    static const std::array<TableKind, 4> kinds{{
        {"R lower", NLower, NLower, false, -1.0},
        {"T lower", NLower, NUpper, false, +1.0},
        {"R upper", NUpper, NUpper, true, +1.0},
        {"T upper", NUpper, NLower, true, -1.0},
    }};
    return kinds;
}

// Incidence axes of one grid kind; wavelengths in m, k-vectors in 1/m.
struct Grid {
    const char* name;
    GratingSurface::AngleDefinition def;
    std::vector<double> a1;
    std::vector<double> a2;
    std::vector<double> lambda;
};

inline std::vector<Grid> obliqueGrids()
{
    const std::vector<double> lambda{0.5e-6, 0.55e-6, 0.63e-6};
    return {
        {"polar", GratingSurface::POLAR, {5, 20, 41}, {0, 30, 200}, lambda},
        // ux longer than uy: each cell must use its own (ux, uy) pair.
        {"unit vector", GratingSurface::UNIT_VECTOR, {-0.3, 0.1, 0.25}, {0.15, -0.35}, lambda},
        {"k vector", GratingSurface::K_VECTOR, {-2.5e6, 1.0e6, 3.0e6}, {-1.5e6, 2.0e6}, lambda},
    };
}

// Lattice vectors (1/m) per position: periods of a few micrometres.
struct Lattice {
    std::vector<double> k1x, k1y, k2x, k2y;
};

inline Lattice lattice(size_t positions)
{
    Lattice l;
    for (size_t b = 0; b < positions; ++b) {
        const double d1 = (2.0 + 0.7 * b) * 1e-6, d2 = (3.0 + 0.4 * b) * 1e-6;
        l.k1x.push_back(2 * TestPi / d1 * std::cos(0.1 * b));
        l.k1y.push_back(2 * TestPi / d1 * std::sin(0.1 * b));
        l.k2x.push_back(-2 * TestPi / d2 * std::sin(0.2));
        l.k2y.push_back(2 * TestPi / d2 * std::cos(0.2));
    }
    return l;
}

// A dense table over the grid with random non-zero blocks everywhere.
inline NdArrayComplex randomTable(const std::vector<size_t>& extents, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    NdArrayComplex t;
    t.m_size = extents;
    size_t n = 1;
    for (size_t e : extents)
        n *= e;
    t.reserve(n);
    for (size_t i = 0; i < n; ++i)
        t.emplace_back(value(rng), value(rng));
    return t;
}

inline double dot(const Vec3& a, const Vec3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

inline Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Incident unit direction of grid cell (a1, a2) at wavelength lambda.
inline Vec3 incidentDirection(const Grid& g, double a1, double a2, double lambda, const TableKind& kind)
{
    const double zSign = kind.fromUpper ? -1.0 : 1.0;
    if (g.def == GratingSurface::POLAR) {
        // theta from the normal on the incident side, phi the azimuth.
        const double t = a1 * TestPi / 180, f = a2 * TestPi / 180;
        return {std::sin(t) * std::cos(f), std::sin(t) * std::sin(f), zSign * std::cos(t)};
    }
    double ux = a1, uy = a2;
    if (g.def == GratingSurface::K_VECTOR) {
        const double k = 2 * TestPi / lambda * kind.indexIn;
        ux = a1 / k;
        uy = a2 / k;
    }
    return {ux, uy, zSign * std::sqrt(1 - ux * ux - uy * uy)};
}

// Grating equation: the in-plane wave vector gains n K1 + m K2; the order
// leaves into the medium of indexOut on the side given by signOut.
inline Vec3 orderDirection(const Vec3& in, double lambda, const TableKind& kind, int n, int m, double k1x,
                           double k1y, double k2x, double k2y, bool& propagating)
{
    const double k0 = 2 * TestPi / lambda;
    const double kx = k0 * kind.indexIn * in[0] + n * k1x + m * k2x;
    const double ky = k0 * kind.indexIn * in[1] + n * k1y + m * k2y;
    const double ux = kx / (k0 * kind.indexOut), uy = ky / (k0 * kind.indexOut);
    const double w = 1 - ux * ux - uy * uy;
    propagating = w > 0;
    return {ux, uy, kind.signOut * std::sqrt(std::max(w, 0.0))};
}

// Columns are the transverse (x, y) parts of s and p for direction u, with
// s = (u x z) / |u x z| and p = u x s: the matrix taking (S, P) to (X, Y).
// Undefined at normal incidence.
inline std::array<double, 4> spToXY(const Vec3& u)
{
    Vec3 s = cross(u, {0, 0, 1});
    const double len = std::sqrt(dot(s, s));
    for (double& v : s)
        v /= len;
    const Vec3 p = cross(u, s);
    return {s[0], s[1], p[0], p[1]};
}

inline std::array<double, 4> inverse(const std::array<double, 4>& a)
{
    const double det = a[0] * a[3] - a[2] * a[1];
    return {a[3] / det, -a[1] / det, -a[2] / det, a[0] / det};
}

inline Mat2 product(const std::array<double, 4>& a, const Mat2& b, const std::array<double, 4>& c)
{
    Mat2 ab{}, abc{};
    for (int r = 0; r < 2; ++r)
        for (int col = 0; col < 2; ++col)
            for (int k = 0; k < 2; ++k)
                ab[r + 2 * col] += a[r + 2 * k] * b[k + 2 * col];
    for (int r = 0; r < 2; ++r)
        for (int col = 0; col < 2; ++col)
            for (int k = 0; k < 2; ++k)
                abc[r + 2 * col] += ab[r + 2 * k] * c[k + 2 * col];
    return abc;
}

// The loader's conversion call for one table of the given kind.
inline void convertWith(NdArrayComplex& t, const std::vector<double>& a1, const std::vector<double>& a2,
                        const std::vector<double>& lambda, const std::vector<int>& nn,
                        const std::vector<int>& nm, bool position, const Lattice& lat,
                        GratingSurface::AngleDefinition def, const TableKind& kind, bool toXY,
                        const NdArrayReal* thetaPerWavelength = nullptr)
{
    LatticeVectorsPerPosition lists;
    lists.k1x = lat.k1x;
    lists.k1y = lat.k1y;
    lists.k2x = lat.k2x;
    lists.k2y = lat.k2y;
    convertRTBetweenBases(t, quelbrant::denseTableAxes(a1, a2, lambda, nn, nm, position), lists,
                          {def, kind.indexIn, kind.indexOut, kind.fromUpper, kind.signOut}, toXY,
                          thetaPerWavelength);
}

}  // namespace tables_test

}  // namespace quelbrant
