// The whole-table conversion walks the table in storage order and hoists
// the incident-side work out of the order loops. These tests hold it to the
// plain definition, written out below cell by cell with 2 x 2 arrays: every
// converted value must be bit-for-bit the same.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ConversionFixtures.h"
#include "tables/BasisConversion.h"

using namespace quelbrant;

using namespace tables_test;

namespace {

NdArrayReal real2x2()
{
    NdArrayReal a;
    a.m_size = {2, 2};
    a.assign(4, 0.0);
    return a;
}

NdArrayComplex complex2x2()
{
    NdArrayComplex a;
    a.m_size = {2, 2};
    a.assign(4, C(0.0, 0.0));
    return a;
}

template <typename A, typename B>
NdArrayComplex multiply(A& a, B& b)
{
    NdArrayComplex result = complex2x2();
    for (size_t i = 0; i < 2; ++i)
        for (size_t j = 0; j < 2; ++j)
            for (size_t p = 0; p < 2; ++p)
                result(i, j) += a(i, p) * b(p, j);
    return result;
}

// Position b outermost, then first axis, second axis, wavelength; orders
// inside; each block read, converted and written through 8-index access.
NdArrayComplex definition(NdArrayComplex RT, const std::vector<double>& theta, const std::vector<double>& phi,
                          const std::vector<double>& lambda, const std::vector<int>& nn,
                          const std::vector<int>& nm, bool position, const std::vector<double>& nk1x,
                          const std::vector<double>& nk1y, const std::vector<double>& nk2x,
                          const std::vector<double>& nk2y, GratingSurface::AngleDefinition angleDef,
                          double indexIn, double indexOut, bool fromUpper, double signOut, bool toXY)
{
    const std::vector<size_t> stored = RT.m_size;
    if (!position)
        RT.m_size.insert(RT.m_size.begin(), 1);
    const std::vector<size_t> d = RT.m_size;
    const double pi = 3.141592653589793;
    for (size_t b = 0; b < d[0]; ++b)
        for (size_t i = 0; i < d[1]; ++i)
            for (size_t j = 0; j < d[2]; ++j)
                for (size_t k = 0; k < d[3]; ++k) {
                    const double k0 = 6.283185307179586 / lambda[k];
                    double sinPhi, cosPhi, uzIn, kxIn, kyIn;
                    if (angleDef == GratingSurface::POLAR) {
                        sinPhi = std::sin(phi[j] * pi / 180);
                        cosPhi = std::cos(phi[j] * pi / 180);
                        const double theta2 = fromUpper ? 180 - theta[i] : theta[i];
                        uzIn = std::cos(theta2 * pi / 180);
                        kxIn = k0 * indexIn * std::sin(theta2 * pi / 180) * cosPhi;
                        kyIn = k0 * indexIn * std::sin(theta2 * pi / 180) * sinPhi;
                    } else if (angleDef == GratingSurface::UNIT_VECTOR) {
                        const double f = std::atan2(phi[j], theta[i]);
                        sinPhi = std::sin(f);
                        cosPhi = std::cos(f);
                        const double s = fromUpper ? -1 : 1;
                        const double w = 1 - theta[i] * theta[i] - phi[j] * phi[j];
                        uzIn = w > 0 ? s * std::sqrt(w) : 0;
                        kxIn = k0 * indexIn * theta[i];
                        kyIn = k0 * indexIn * phi[j];
                    } else {
                        kxIn = theta[i];
                        kyIn = phi[j];
                        const double f = std::atan2(phi[j], theta[i]);
                        sinPhi = std::sin(f);
                        cosPhi = std::cos(f);
                        const double s = fromUpper ? -1 : 1;
                        const double w =
                            1 - (theta[i] * theta[i] + phi[j] * phi[j]) / (k0 * k0 * indexIn * indexIn);
                        uzIn = w > 0 ? s * std::sqrt(w) : 0;
                    }
                    if (std::abs(uzIn) < 1e-05)
                        uzIn = fromUpper ? -1e-05 : 1e-05;
                    NdArrayReal bIn = real2x2();
                    if (toXY) {
                        bIn(0, 0) = sinPhi, bIn(0, 1) = -cosPhi;
                        bIn(1, 0) = cosPhi / uzIn, bIn(1, 1) = sinPhi / uzIn;
                    } else {
                        bIn(0, 0) = sinPhi, bIn(0, 1) = cosPhi * uzIn;
                        bIn(1, 0) = -cosPhi, bIn(1, 1) = sinPhi * uzIn;
                    }
                    for (size_t l = 0; l < d[4]; ++l)
                        for (size_t q = 0; q < d[5]; ++q) {
                            const double ux = (nk1x[b] * nn[l] + kxIn + nk2x[b] * nm[q]) / (k0 * indexOut);
                            const double uy = (nk1y[b] * nn[l] + kyIn + nk2y[b] * nm[q]) / (k0 * indexOut);
                            const double u2 = ux * ux + uy * uy;
                            double uzOut = u2 <= 1 ? signOut * std::sqrt(1 - u2) : 0;
                            double sinPhiOut, cosPhiOut;
                            if (std::abs(uzIn) == 1 && std::abs(uzOut) == 1) {
                                sinPhiOut = sinPhi;
                                cosPhiOut = cosPhi;
                            } else {
                                const double f = std::atan2(uy, ux);
                                sinPhiOut = std::sin(f);
                                cosPhiOut = std::cos(f);
                            }
                            if (std::abs(uzOut) < 1e-05)
                                uzOut = 1e-05 * signOut;
                            NdArrayReal aOut = real2x2();
                            if (toXY) {
                                aOut(0, 0) = sinPhiOut, aOut(0, 1) = cosPhiOut * uzOut;
                                aOut(1, 0) = -cosPhiOut, aOut(1, 1) = sinPhiOut * uzOut;
                            } else {
                                aOut(0, 0) = sinPhiOut, aOut(0, 1) = -cosPhiOut;
                                aOut(1, 0) = cosPhiOut / uzOut, aOut(1, 1) = sinPhiOut / uzOut;
                            }
                            NdArrayComplex m = complex2x2();
                            double power = 0;
                            for (size_t o = 0; o < 2; ++o)
                                for (size_t c = 0; c < 2; ++c) {
                                    m(o, c) = RT(b, i, j, k, l, q, o, c);
                                    power += std::norm(m(o, c));
                                }
                            if (!(power > 0))
                                continue;
                            NdArrayComplex am = multiply(aOut, m);
                            NdArrayComplex result = multiply(am, bIn);
                            for (size_t o = 0; o < 2; ++o)
                                for (size_t c = 0; c < 2; ++c)
                                    RT(b, i, j, k, l, q, o, c) = result(o, c);
                        }
                }
    RT.m_size = stored;
    return RT;
}

// Random blocks, with every third block zero (orders the file left out).
NdArrayComplex sparseRandomTable(const std::vector<size_t>& extents, unsigned seed)
{
    NdArrayComplex t = randomTable(extents, seed);
    const size_t plane = t.size() / 4;
    for (size_t f = 0; f < plane; f += 3)
        for (size_t e = 0; e < 4; ++e)
            t[f + e * plane] = 0.0;
    return t;
}

bool bitwiseEqual(const NdArrayComplex& a, const NdArrayComplex& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(C)) == 0;
}

}  // namespace

TEST(BasisConversionIdentity, EveryValueEqualsTheCellByCellDefinition)
{
    std::vector<Grid> grids = obliqueGrids();
    const double k = 2 * TestPi / 0.5e-6;
    grids.push_back(
        {"polar, normal and grazing", GratingSurface::POLAR, {0, 90, 60}, {0, 45, -120}, {0.5e-6}});
    grids.push_back(
        {"unit vector, normal and grazing", GratingSurface::UNIT_VECTOR, {0, 1, 0.6}, {0, -0.8}, {0.5e-6}});
    grids.push_back(
        {"k vector, beyond the light cone", GratingSurface::K_VECTOR, {0, 2 * k}, {0, 0.5 * k}, {0.5e-6}});
    const std::vector<int> nn{-2, -1, 0, 1, 2}, nm{-1, 0, 1};
    unsigned seed = 11;
    for (const Grid& g : grids)
        for (const TableKind& kind : tableKinds())
            for (size_t positions : {0, 3})
                for (bool toXY : {true, false}) {
                    SCOPED_TRACE(std::string(g.name) + ", " + kind.name + (positions ? ", positions" : "") +
                                 (toXY ? ", S/P to X/Y" : ", X/Y to S/P"));
                    const Lattice lat = lattice(positions ? positions : 1);
                    std::vector<size_t> extents{
                        g.a1.size(), g.a2.size(), g.lambda.size(), nn.size(), nm.size(), 2, 2};
                    if (positions)
                        extents.insert(extents.begin(), positions);
                    NdArrayComplex t = sparseRandomTable(extents, seed++);
                    const NdArrayComplex expected = definition(
                        t, g.a1, g.a2, g.lambda, nn, nm, positions > 0, lat.k1x, lat.k1y, lat.k2x, lat.k2y,
                        g.def, kind.indexIn, kind.indexOut, kind.fromUpper, kind.signOut, toXY);
                    convertWith(t, g.a1, g.a2, g.lambda, nn, nm, positions > 0, lat, g.def, kind, toXY);
                    EXPECT_EQ(t.m_size, expected.m_size);
                    EXPECT_TRUE(bitwiseEqual(t, expected));
                }
}
