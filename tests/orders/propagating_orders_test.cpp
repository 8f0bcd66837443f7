#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "allocation_counter.h"
#include "kernel_tables.h"
#include "orders/PropagatingOrders.h"

using namespace quelbrant;

namespace {

const double Pi = 3.141592653589793;

struct FindposCase {
    std::vector<int> orders;
    int val;
    int expected;
};

void PrintTo(const FindposCase& c, std::ostream* os)
{
    *os << "val " << c.val << " in a list of " << c.orders.size();
}

class Findpos : public ::testing::TestWithParam<FindposCase> {};

TEST_P(Findpos, FindsOrClampsOrMisses)
{
    EXPECT_EQ(findpos(GetParam().orders, GetParam().val), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Findpos,
                         ::testing::Values(FindposCase{{-2, -1, 0, 1, 2}, 3, 4},
                                           FindposCase{{-2, -1, 0, 1, 2}, -3, 0},
                                           FindposCase{{-2, -1, 0, 1, 2}, 1, 3},
                                           FindposCase{{-2, -1, 0, 1, 2}, -2, 0},
                                           FindposCase{{-2, 0, 2}, 1, -1}, FindposCase{{1, 2, 3}, 0, 0},
                                           FindposCase{{5}, 5, 0}, FindposCase{{}, 0, -1}));

// Table [n-orders, m-orders, 2] with entry value (n, m, component) encoded.
NdArrayComplex orderTable(const std::vector<int>& n, const std::vector<int>& m)
{
    return makeTable({n.size(), m.size(), 2}, [&](const std::vector<size_t>& i) {
        return Complex(n[i[0]] + 10.0 * m[i[1]], 1.0 + i[2]);
    });
}

TEST(ReduceToSingleOrder, KeepsTheOrdersTwoComponents)
{
    const std::vector<int> n = {-1, 0, 1};
    const std::vector<int> m = {0, 1};
    NdArrayComplex t = orderTable(n, m);
    reduceToSingleOrder(t, n, m, 1, 1);
    EXPECT_EQ(t.m_size, (std::vector<size_t>{1, 1, 2}));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0], Complex(11.0, 1.0));
    EXPECT_EQ(t[1], Complex(11.0, 2.0));
}

TEST(ReduceToSingleOrder, AnOrderNotListedGivesZeros)
{
    const std::vector<int> n = {-1, 0, 1};
    const std::vector<int> m = {0, 1};
    for (auto order : {std::pair<int, int>{2, 0}, {-2, 1}, {0, 5}, {0, -1}}) {
        NdArrayComplex t = orderTable(n, m);
        reduceToSingleOrder(t, n, m, order.first, order.second);
        EXPECT_EQ(t.m_size, (std::vector<size_t>{1, 1, 2}));
        EXPECT_EQ(static_cast<const std::vector<Complex>&>(t), std::vector<Complex>(2, Complex(0.0, 0.0)));
    }
}

TEST(ReduceToSingleOrder, RejectsATableThatDoesNotFitTheLists)
{
    NdArrayComplex t = orderTable({0, 1}, {0});
    EXPECT_THROW(reduceToSingleOrder(t, {0, 1, 2}, {0}, 0, 0), std::out_of_range);
    EXPECT_EQ(t.size(), 4u);
}

// The list one or more constructAllOrders calls build, each appending to
// what the earlier ones built.
struct Orders : PropagatingOrderList {
    void build(double k, double kInx, double kIny, const std::vector<double>& k1gk2g,
               const std::vector<int>& n, const std::vector<int>& m, const NdArrayComplex& RT, double zSign,
               bool specular = false, bool inXY = false)
    {
        OrderFamilyInputs family;
        family.table = &RT;
        family.n = &n;
        family.m = &m;
        family.k1gk2g = &k1gk2g;
        family.kMaterial = k;
        family.kInx = kInx;
        family.kIny = kIny;
        family.zDirSign = zSign;
        family.specular = specular;
        family.tableInXY = inXY;
        constructAllOrders(family, *this);
    }
};

NdArrayComplex uniformTable(size_t nn, size_t nm, Complex s = {1.0, 0.0}, Complex p = {0.0, 0.0})
{
    return makeTable({nn, nm, 2}, [&](const std::vector<size_t>& i) { return i[2] == 0 ? s : p; });
}

std::vector<double> lattice(double k1x, double k1y, double k2x, double k2y)
{
    return {k1x, k1y, std::hypot(k1x, k1y), k2x, k2y, std::hypot(k2x, k2y)};
}

TEST(ConstructAllOrders, GratingEquationAtNormalIncidence)
{
    // 1 um period, 500 nm in air: sin(theta_n) = n * 0.5. Orders +-1 and 0
    // propagate, +-3 are evanescent (+-2 graze; see the exact case below).
    const double lambda = 500e-9;
    const double period = 1e-6;
    const double k = 2 * Pi / lambda;
    const std::vector<int> n = {-1, 0, 1};
    Orders o;
    o.build(k, 0.0, 0.0, lattice(2 * Pi / period, 0.0, 0.0, 0.0), n, {0}, uniformTable(3, 1), 1.0);
    ASSERT_EQ(o.size(), 3u);
    const double expected[3] = {-0.5, 0.0, 0.5};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(o.Ux[i], expected[i], 1e-12);
        EXPECT_EQ(o.Uy[i], 0.0);
        EXPECT_NEAR(o.Uz[i], std::cos(std::asin(expected[i])), 1e-12);
    }
    Orders evanescent;
    evanescent.build(k, 0.0, 0.0, lattice(2 * Pi / period, 0.0, 0.0, 0.0), {3}, {0}, uniformTable(1, 1), 1.0);
    evanescent.build(k, 0.0, 0.0, lattice(2 * Pi / period, 0.0, 0.0, 0.0), {-3}, {0}, uniformTable(1, 1),
                     1.0);
    EXPECT_EQ(evanescent.size(), 0u);
}

TEST(ConstructAllOrders, GratingEquationObliqueIntoGlass)
{
    // 30 degrees in air onto a 1 um grating, transmitted into n = 1.5 at
    // 600 nm: 1.5 sin(theta_m) = sin 30 + m * 0.6.
    const double lambda = 600e-9;
    const double kAir = 2 * Pi / lambda;
    const double kGlass = 1.5 * kAir;
    const double kInx = std::sin(Pi / 6) * kAir;
    Orders o;
    o.build(kGlass, kInx, 0.0, lattice(2 * Pi / 1e-6, 0.0, 0.0, 0.0), {-3, -2, -1, 0, 1, 2}, {0},
            uniformTable(6, 1), 1.0);
    // m = -3 .. 1 give sines -0.8667, -0.4667, -0.0667, 0.3333, 0.7333; m = 2 is evanescent.
    ASSERT_EQ(o.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        const double sinTheta = (0.5 + (static_cast<int>(i) - 3) * 0.6) / 1.5;
        EXPECT_NEAR(o.Ux[i], sinTheta, 1e-12) << "order " << static_cast<int>(i) - 3;
        EXPECT_NEAR(o.Uz[i], std::sqrt(1 - sinTheta * sinTheta), 1e-12);
    }
}

TEST(ConstructAllOrders, EntriesComeMMajor)
{
    const std::vector<int> n = {-1, 0, 1};
    const std::vector<int> m = {-1, 0, 1};
    Orders o;
    o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 1.0), n, m, uniformTable(3, 3), -1.0);
    ASSERT_EQ(o.size(), 9u);
    size_t e = 0;
    for (int mm : m)
        for (int nn : n) {
            EXPECT_DOUBLE_EQ(o.Ux[e], nn / 10.0);
            EXPECT_DOUBLE_EQ(o.Uy[e], mm / 10.0);
            EXPECT_LT(o.Uz[e], 0.0);
            ++e;
        }
}

TEST(ConstructAllOrders, AGrazingOrderIsNotBuiltOneJustBelowIs)
{
    // K1x = 1, k = 2: order n has ux = n / 2, so n = 2 has u2 = 1 exactly.
    Orders o;
    o.build(2.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), {2}, {0}, uniformTable(1, 1), 1.0);
    EXPECT_EQ(o.size(), 0u);
    o.build(2.0, -1e-9, 0.0, lattice(1.0, 0.0, 0.0, 0.0), {2}, {0}, uniformTable(1, 1), -1.0);
    ASSERT_EQ(o.size(), 1u);
    EXPECT_LT(o.Uz[0], 0.0);
    EXPECT_GT(o.Uz[0], -1e-4);
}

TEST(ConstructAllOrders, AZeroLatticeVectorKeepsTheOrderNearestZero)
{
    Orders o;
    o.build(10.0, 0.0, 0.0, lattice(0.0, 0.0, 0.0, 1.0), {1, 2, 3}, {-2, -1, 0, 1, 2}, uniformTable(3, 5),
            1.0);
    // K1 = 0: only n = 1 (the list's end nearest 0); all five m.
    ASSERT_EQ(o.size(), 5u);
    for (size_t e = 0; e < 5; ++e) {
        EXPECT_EQ(o.Ux[e], 0.0);
        EXPECT_DOUBLE_EQ(o.Uy[e], (static_cast<int>(e) - 2) / 10.0);
    }
    Orders single;
    single.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), {-1, 0, 1}, {-2, -1, 0, 1, 2},
                 uniformTable(3, 5), 1.0);
    ASSERT_EQ(single.size(), 3u);
    for (double uy : single.Uy)
        EXPECT_EQ(uy, 0.0);
}

TEST(ConstructAllOrders, NoMatchingOrderAppendsNothing)
{
    Orders o;
    o.build(10.0, 0.0, 0.0, lattice(0.0, 0.0, 1.0, 0.0), {-3, -1, 1}, {0}, uniformTable(3, 1), 1.0);
    EXPECT_EQ(o.size(), 0u);
    o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 1.0, 0.0), {}, {0}, uniformTable(0, 1), 1.0);
    EXPECT_EQ(o.size(), 0u);
}

TEST(ConstructAllOrders, SpecularFlagMarksOnlyTheZerothOrder)
{
    for (bool specular : {true, false}) {
        Orders o;
        o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 1.0, 1.0), {-1, 0, 1}, {0, 1}, uniformTable(3, 2), 1.0,
                specular);
        ASSERT_EQ(o.size(), 6u);
        for (size_t e = 0; e < 6; ++e) {
            const bool zeroth = e == 1;  // (n, m) = (0, 0)
            EXPECT_EQ(o.specOrDirac[e], zeroth && specular ? 1 : 6) << "entry " << e;
        }
    }
}

TEST(ConstructAllOrders, FieldsHaveUnitPowerAndPowerIsTheSquaredAmplitude)
{
    const std::vector<int> n = {-1, 0, 1};
    NdArrayComplex t = makeTable({3, 1, 2}, [](const std::vector<size_t>& i) {
        return i[2] == 0 ? Complex(0.3 * (i[0] + 1), -0.2) : Complex(0.1, 0.4 * i[0]);
    });
    Orders o;
    o.build(10.0, 1.0, 0.5, lattice(2.0, 0.0, 0.0, 0.0), n, {0}, t, 1.0);
    ASSERT_EQ(o.size(), 3u);
    for (size_t e = 0; e < 3; ++e) {
        const Complex s = t[e];
        const Complex p = t[e + 3];
        EXPECT_NEAR(o.power[e], std::norm(s) + std::norm(p), 1e-15);
        EXPECT_NEAR(std::norm(o.ESOut[e]) + std::norm(o.EPOut[e]), 1.0, 1e-15);
        // Same polarisation state: the unit field is the amplitude scaled.
        EXPECT_NEAR(std::abs(o.ESOut[e] * std::sqrt(o.power[e]) - s), 0.0, 1e-15);
        EXPECT_NEAR(o.Ux[e] * o.Ux[e] + o.Uy[e] * o.Uy[e] + o.Uz[e] * o.Uz[e], 1.0, 1e-15);
    }
}

TEST(ConstructAllOrders, ZeroAmplitudeOrdersAreSkipped)
{
    NdArrayComplex t = makeTable({3, 1, 2}, [](const std::vector<size_t>& i) {
        return i[0] == 1 ? Complex(0.0, 0.0) : Complex(1.0, 0.0);
    });
    Orders o;
    o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), {-1, 0, 1}, {0}, t, 1.0);
    ASSERT_EQ(o.size(), 2u);
    EXPECT_DOUBLE_EQ(o.Ux[0], -0.1);
    EXPECT_DOUBLE_EQ(o.Ux[1], 0.1);
}

TEST(ConstructAllOrders, XYTablesLeaveInSP)
{
    // Straight up (0, 0, 1): s = (0, -1, 0), p = (1, 0, 0). A field along x is
    // pure P, a field along y is minus S.
    Orders o;
    o.build(10.0, 0.0, 0.0, lattice(0.0, 0.0, 0.0, 0.0), {0}, {0}, uniformTable(1, 1, {1.0, 0.0}, {0.0, 0.0}),
            1.0, false, true);
    o.build(10.0, 0.0, 0.0, lattice(0.0, 0.0, 0.0, 0.0), {0}, {0}, uniformTable(1, 1, {0.0, 0.0}, {0.0, 2.0}),
            1.0, false, true);
    ASSERT_EQ(o.size(), 2u);
    EXPECT_NEAR(std::abs(o.ESOut[0]), 0.0, 1e-15);
    EXPECT_NEAR(std::abs(o.EPOut[0] - Complex(1.0, 0.0)), 0.0, 1e-15);
    EXPECT_NEAR(std::abs(o.ESOut[1] - Complex(0.0, -1.0)), 0.0, 1e-15);
    EXPECT_NEAR(std::abs(o.EPOut[1]), 0.0, 1e-15);
    EXPECT_NEAR(o.power[1], 4.0, 1e-15);
}

TEST(ConstructAllOrders, AppendsAfterWhatTheListsHold)
{
    Orders o;
    o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), {-1, 0, 1}, {0}, uniformTable(3, 1), -1.0);
    o.build(15.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), {0}, {0}, uniformTable(1, 1), 1.0);
    ASSERT_EQ(o.size(), 4u);
    EXPECT_LT(o.Uz[2], 0.0);
    EXPECT_GT(o.Uz[3], 0.0);
}

TEST(ConstructAllOrders, NonFiniteInputBuildsNoOrder)
{
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const double Inf = std::numeric_limits<double>::infinity();
    const std::vector<int> n = {-1, 0, 1};
    Orders o;
    o.build(10.0, NaN, 0.0, lattice(1.0, 0.0, 0.0, 0.0), n, {0}, uniformTable(3, 1), 1.0);
    o.build(NaN, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), n, {0}, uniformTable(3, 1), 1.0);
    o.build(0.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), n, {0}, uniformTable(3, 1), 1.0);
    o.build(10.0, 0.0, 0.0, {NaN, 0.0, NaN, 0.0, 0.0, 0.0}, n, {0}, uniformTable(3, 1), 1.0);
    o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), n, {0}, uniformTable(3, 1, {NaN, 0.0}), 1.0);
    o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), n, {0}, uniformTable(3, 1, {Inf, 0.0}), 1.0);
    EXPECT_EQ(o.size(), 0u);
    EXPECT_TRUE(o.ESOut.empty());
    EXPECT_TRUE(o.specOrDirac.empty());
}

TEST(ConstructAllOrders, RejectsATableOrLatticeThatDoesNotFit)
{
    Orders o;
    EXPECT_THROW(
        o.build(10.0, 0.0, 0.0, lattice(1.0, 0.0, 0.0, 0.0), {-1, 0, 1}, {0}, uniformTable(2, 1), 1.0),
        std::out_of_range);
    EXPECT_THROW(o.build(10.0, 0.0, 0.0, {1.0, 0.0, 1.0}, {0}, {0}, uniformTable(1, 1), 1.0),
                 std::out_of_range);
    EXPECT_EQ(o.size(), 0u);
}

TEST(ConstructAllOrders, AllocatesNothingWhenTheListsHaveRoom)
{
    Orders o;
    for (auto* v : {&o.Ux, &o.Uy, &o.Uz, &o.power})
        v->reserve(18);
    o.specOrDirac.reserve(18);
    o.ESOut.reserve(18);
    o.EPOut.reserve(18);
    const NdArrayComplex t = uniformTable(3, 3);
    const std::vector<double> k = lattice(1.0, 0.0, 0.0, 1.0);
    const std::vector<int> n = {-1, 0, 1};
    o.build(10.0, 0.0, 0.0, k, n, n, t, 1.0);
    const AllocationCount count;
    o.build(10.0, 0.0, 0.0, k, n, n, t, 1.0);
    EXPECT_EQ(count.sinceStart(), 0u);
    EXPECT_EQ(o.size(), 18u);
}

}  // namespace
