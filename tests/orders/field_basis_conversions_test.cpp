#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "ConversionFixtures.h"
#include "orders/FieldBasisConversions.h"

using namespace quelbrant;

namespace {

using C = std::complex<double>;
using Field = std::array<C, 3>;
using Vec = tables_test::Vec3;
using tables_test::cross;
using tables_test::dot;

const double Deg = 3.141592653589793 / 180;

Vec unit(double thetaDeg, double phiDeg, double zSign)
{
    return {std::sin(thetaDeg * Deg) * std::cos(phiDeg * Deg),
            std::sin(thetaDeg * Deg) * std::sin(phiDeg * Deg), zSign * std::cos(thetaDeg * Deg)};
}

// Directions off the normal, in all four quadrants, both half spaces.
const Vec Directions[] = {
    unit(30, 0, 1),   unit(30, 0, -1),   unit(10, 135, 1), unit(60, -70, -1),
    unit(85, 200, 1), unit(45, 290, -1), unit(1, 45, 1),
};

Field cartesian(C es, C ep, const Vec& u)
{
    Field e;
    convertSPtoXYZfromUnitVector(es, ep, e[0], e[1], e[2], u[0], u[1], u[2]);
    return e;
}

Vec real(const Field& e)
{
    return {e[0].real(), e[1].real(), e[2].real()};
}

void expectNear(C got, C want, double tol = 1e-14)
{
    EXPECT_NEAR(got.real(), want.real(), tol);
    EXPECT_NEAR(got.imag(), want.imag(), tol);
}

}  // namespace

TEST(FieldBasis, SAndPWithTheDirectionFormARightHandedOrthonormalTriad)
{
    // sin theta is taken as sqrt(1 - uz^2), which loses digits near the
    // normal: about eps / sin theta, 1e-14 at theta = 1 degree.
    const double tol = 1e-13;
    for (const Vec& u : Directions) {
        const Vec s = real(cartesian(1.0, 0.0, u));
        const Vec p = real(cartesian(0.0, 1.0, u));
        EXPECT_NEAR(dot(s, s), 1.0, tol);
        EXPECT_NEAR(dot(p, p), 1.0, tol);
        EXPECT_NEAR(dot(s, p), 0.0, tol);
        EXPECT_NEAR(dot(s, u), 0.0, tol);
        EXPECT_NEAR(dot(p, u), 0.0, tol);
        const Vec sxp = cross(s, p);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(sxp[c], u[c], tol);
        // s is perpendicular to the plane of incidence, so it has no z part.
        EXPECT_EQ(s[2], 0.0);
    }
}

TEST(FieldBasis, NormalIncidenceMakesSMinusYAndPAlongX)
{
    // phi = atan2(+0, +0) = 0: s = -y, p = uz x.
    const struct {
        double uz;
        Vec s;
        Vec p;
    } cases[] = {{1, {0, -1, 0}, {1, 0, 0}}, {-1, {0, -1, 0}, {-1, 0, 0}}};
    for (const auto& c : cases) {
        const Vec s = real(cartesian(1.0, 0.0, {0.0, 0.0, c.uz}));
        const Vec p = real(cartesian(0.0, 1.0, {0.0, 0.0, c.uz}));
        for (int k = 0; k < 3; ++k) {
            EXPECT_DOUBLE_EQ(s[k] + 0.0, c.s[k]);
            EXPECT_NEAR(p[k], c.p[k], 1e-16);
        }
    }
}

TEST(FieldBasis, TransversePairsFollowTheConvention)
{
    const double c30 = std::cos(30 * Deg);
    const struct {
        const char* name;
        Vec u;
        C s, p, x, y;
    } cases[] = {
        {"from above, S", {0, 0, -1}, 1.0, 0.0, 0.0, -1.0},
        {"from above, P", {0, 0, -1}, 0.0, 1.0, -1.0, 0.0},
        {"from below, P", {0, 0, 1}, 0.0, 1.0, 1.0, 0.0},
        {"oblique in xz, S", {0.5, 0, c30}, 1.0, 0.0, 0.0, -1.0},
        {"oblique in xz, P", {0.5, 0, c30}, 0.0, 1.0, c30, 0.0},
        {"oblique in yz, S", {0, 0.5, c30}, 1.0, 0.0, 1.0, 0.0},
        {"complex amplitudes", {0.5, 0, c30}, C(0, 2), C(3, -1), C(3 * c30, -c30), C(0, -2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        C a = c.s, b = c.p;
        convertSPtoXY(a, b, c.u[0], c.u[1], c.u[2]);
        expectNear(a, c.x);
        expectNear(b, c.y);
        convertXYtoSP(a, b, c.u[0], c.u[1], c.u[2]);
        expectNear(a, c.s);
        expectNear(b, c.p);
    }
}

TEST(FieldBasis, SignedZeroAzimuthFlipsS)
{
    // (-0, +0) lies at phi = pi: s = (0, +1, 0) instead of (0, -1, 0).
    C a = 1.0, b = 0.0;
    convertSPtoXY(a, b, -0.0, 0.0, 1.0);
    expectNear(a, 0.0);
    expectNear(b, 1.0);
    a = 1.0, b = 0.0;
    convertSPtoXY(a, b, 0.0, 0.0, 1.0);
    expectNear(b, -1.0);
}

TEST(FieldBasis, TransverseRoundTripRestoresTheAmplitudesForEveryNonZeroUz)
{
    const C s0(0.3, -1.2), p0(-2.0, 0.7);
    for (const Vec& u : Directions) {
        C a = s0, b = p0;
        convertSPtoXY(a, b, u[0], u[1], u[2]);
        convertXYtoSP(a, b, u[0], u[1], u[2]);
        expectNear(a, s0, 1e-13);
        expectNear(b, p0, 1e-13);
    }
}

TEST(FieldBasis, TransverseToSPAtZeroUzGivesZero)
{
    for (double uz : {0.0, -0.0}) {
        C a(1, 2), b(3, 4);
        convertXYtoSP(a, b, 0.6, 0.8, uz);
        EXPECT_EQ(a, C(0, 0));
        EXPECT_EQ(b, C(0, 0));
    }
}

TEST(FieldBasis, CartesianFieldIsTheSameWhicheverBasisItIsGivenIn)
{
    // A transverse field built directly from the geometry: E = a e1 + b e2
    // with e1, e2 spanning the plane perpendicular to u.
    for (const Vec& u : Directions) {
        const Vec z{0, 0, 1};
        Vec e1 = cross(u, z);
        const double n1 = std::sqrt(dot(e1, e1));
        for (double& v : e1)
            v /= n1;
        const Vec e2 = cross(u, e1);
        const C a(0.4, -0.9), b(-1.3, 0.2);
        const Field e{a * e1[0] + b * e2[0], a * e1[1] + b * e2[1], a * e1[2] + b * e2[2]};

        C es, ep;
        convertXYZtoSPfromUnitVector(e[0], e[1], e[2], es, ep, u[0], u[1], u[2]);
        const Field back = cartesian(es, ep, u);
        for (int c = 0; c < 3; ++c)
            expectNear(back[c], e[c], 1e-13);
        // The transverse route lands on the same S and P.
        C x = e[0], y = e[1];
        convertXYtoSP(x, y, u[0], u[1], u[2]);
        expectNear(x, es, 1e-13);
        expectNear(y, ep, 1e-13);
        // And the field is perpendicular to the direction.
        expectNear(back[0] * u[0] + back[1] * u[1] + back[2] * u[2], 0.0, 1e-13);
    }
}

TEST(FieldBasis, CartesianToSPReadsEzOnlyAtGrazingIncidence)
{
    const C ex(1, 1), ey(-2, 0.5);
    C es, ep;
    // cosTheta = 0: p = -z, so Ep = -Ez.
    convertXYZtoSP(ex, ey, C(0.25, -4), es, ep, 0.0, 0.6, 0.8);
    expectNear(es, 0.8 * ex - 0.6 * ey);
    expectNear(ep, C(-0.25, 4));

    C es1, ep1, es2, ep2;
    convertXYZtoSP(ex, ey, C(7, 7), es1, ep1, 0.5, 0.6, 0.8);
    convertXYZtoSP(ex, ey, C(-9, 0), es2, ep2, 0.5, 0.6, 0.8);
    EXPECT_EQ(es1, es2);
    EXPECT_EQ(ep1, ep2);
}

TEST(FieldBasis, OutputsMayAliasInputs)
{
    // Every right-hand side uses the values held on entry.
    const Vec u = unit(40, 25, -1);
    C ex(1, -1), ey(0.5, 2), ez;
    {
        C es0, ep0;
        convertSPtoXYZfromUnitVector(C(0.7, 0.1), C(-0.3, 1.1), ex, ey, ez, u[0], u[1], u[2]);
        convertXYZtoSPfromUnitVector(ex, ey, ez, es0, ep0, u[0], u[1], u[2]);
        C a = ex, b = ey;
        convertXYZtoSPfromUnitVector(a, b, ez, a, b, u[0], u[1], u[2]);
        EXPECT_EQ(a, es0);
        EXPECT_EQ(b, ep0);
    }
    C s(0.7, 0.1), p(-0.3, 1.1), x, y, z;
    convertSPtoXYZfromUnitVector(s, p, x, y, z, u[0], u[1], u[2]);
    C s2 = s, p2 = p, z2;
    convertSPtoXYZfromUnitVector(s2, p2, s2, p2, z2, u[0], u[1], u[2]);
    EXPECT_EQ(s2, x);
    EXPECT_EQ(p2, y);
    EXPECT_EQ(z2, z);
}

TEST(InputPolarization, ContractsPolInAndDropsIt)
{
    NdArrayComplex g;
    g.m_size = {3, 1, 2, 2};
    for (int i = 0; i < 12; ++i)
        g.push_back(C(i + 1, 0.5 * i - 2));
    const NdArrayComplex original = g;

    NdArrayComplex s = g;
    applyInputPolarization(s, 1.0, 0.0);
    EXPECT_EQ(s.m_size, (std::vector<size_t>{3, 1, 2}));
    ASSERT_EQ(s.size(), 6u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(s[i], original[i]);

    NdArrayComplex p = g;
    applyInputPolarization(p, 0.0, 1.0);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(p[i], original[i + 6]);

    // Linear in the field: out(o) = G(o, S) ES + G(o, P) EP per order.
    const C es(0.6, -0.8), ep(0, 1);
    applyInputPolarization(g, es, ep);
    for (size_t i = 0; i < 6; ++i)
        expectNear(g[i], original[i] * es + original[i + 6] * ep);
}

TEST(InputPolarization, RejectsOtherShapesUnchanged)
{
    const std::vector<std::vector<size_t>> shapes{{3, 1, 2}, {3, 1, 2, 3}, {1, 1, 2, 2, 1}, {}};
    for (const auto& shape : shapes) {
        NdArrayComplex g;
        g.m_size = shape;
        g.assign(12, C(1, 1));
        EXPECT_THROW(applyInputPolarization(g, 1.0, 0.0), std::invalid_argument);
        EXPECT_EQ(g.m_size, shape);
        EXPECT_EQ(g.size(), 12u);
    }
    NdArrayComplex shortData;
    shortData.m_size = {3, 1, 2, 2};
    shortData.assign(11, C(1, 1));
    EXPECT_THROW(applyInputPolarization(shortData, 1.0, 0.0), std::invalid_argument);
}
