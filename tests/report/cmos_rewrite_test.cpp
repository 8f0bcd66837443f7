#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "tables/CmosRewrite.h"

using namespace quelbrant;

namespace {

using Complex = std::complex<double>;

// A dense table of the given grid extents ([P] x A1 x A2 x L) and order
// counts, every element set to `fill`.
NdArrayComplex denseTable(std::vector<size_t> grid, size_t nOrders, size_t mOrders, Complex fill)
{
    NdArrayComplex table;
    table.m_size = grid;
    table.m_size.insert(table.m_size.end(), {nOrders, mOrders, 2, 2});
    size_t elements = 1;
    for (size_t extent : table.m_size)
        elements *= extent;
    table.assign(elements, fill);
    return table;
}

// Sets one 2x2 block (o, p) of a table without position data.
void setBlock(NdArrayComplex& table, size_t j, size_t i, size_t k, size_t a, size_t b, Complex ss, Complex sp,
              Complex ps, Complex pp)
{
    table(j, i, k, a, b, 0, 0) = ss;
    table(j, i, k, a, b, 1, 0) = sp;
    table(j, i, k, a, b, 0, 1) = ps;
    table(j, i, k, a, b, 1, 1) = pp;
}

// Amplitude whose |z|^2 is `power`, with a phase so both parts count.
Complex amplitudeOfPower(double power, double phase)
{
    return std::polar(std::sqrt(power), phase);
}

// Every element of T is zero except the diagonal of the block at order
// indices (a0, b0) of node (j, i, k), which is real, not negative, and
// carries the power s^2 (S>S) and p^2 (P>P). Powers are compared, since an
// amplitude near zero magnifies the rounding of the reflected sum.
void expectOnlyZerothBlock(NdArrayComplex& T, size_t j, size_t i, size_t k, size_t a0, size_t b0, double s,
                           double p)
{
    const std::vector<size_t>& d = T.m_size;
    for (size_t a = 0; a < d[3]; ++a)
        for (size_t b = 0; b < d[4]; ++b)
            for (size_t o = 0; o < 2; ++o)
                for (size_t q = 0; q < 2; ++q) {
                    SCOPED_TRACE(testing::Message() << "order index " << a << "," << b << " pol " << o << q);
                    const Complex actual = T(j, i, k, a, b, o, q);
                    if (a == a0 && b == b0 && o == q) {
                        const double amplitude = o == 0 ? s : p;
                        EXPECT_EQ(actual.imag(), 0.0);
                        EXPECT_GE(actual.real(), 0.0);
                        EXPECT_NEAR(actual.real() * actual.real(), amplitude * amplitude, 1e-14);
                    } else {
                        EXPECT_EQ(actual, Complex(0.0, 0.0));
                    }
                }
}

}  // namespace

// Reflected powers per node and input polarisation, spread over two orders,
// and the transmitted zeroth-order amplitudes energy conservation asks for.
TEST(CmosRewrite, ZerothOrderCarriesThePowerTheReflectedOrdersLeave)
{
    struct Node {
        double sReflected;  // input polarisation 0
        double pReflected;  // input polarisation 1
        double sAmplitude;
        double pAmplitude;
    };
    // Grid 2 (A1) x 2 (A2) x 2 (L), node (j, i, k) = cases[j + 2 * (i + 2 * k)].
    const std::vector<Node> cases = {
        {0.3, 0.3, std::sqrt(0.7), std::sqrt(0.7)},
        {0.3, 0.75, std::sqrt(0.7), 0.5},  // the polarisations are independent
        {0.0, 0.0, 1.0, 1.0},              // nothing reflected: all transmitted
        {1.0, 0.19, 0.0, 0.9},
        {1.7, 1.0000001, 0.0, 0.0},  // noisy data above 1: nothing left
        {0.64, 0.36, 0.6, 0.8},
        {0.5, 0.0, std::sqrt(0.5), 1.0},
        {0.01, 0.99, std::sqrt(0.99), 0.1},
    };
    const std::vector<int> Rn = {-1, 0, 1}, Rm = {0};
    const std::vector<int> Tn = {-1, 0, 1}, Tm = {-1, 0};
    NdArrayComplex R = denseTable({2, 2, 2}, 3, 1, 0.0);
    // The file's transmitted values everywhere, to be overwritten.
    NdArrayComplex T = denseTable({2, 2, 2}, 3, 2, Complex(0.3, -0.4));
    for (size_t node = 0; node < cases.size(); ++node) {
        const size_t j = node % 2, i = (node / 2) % 2, k = node / 4;
        const double s = cases[node].sReflected, p = cases[node].pReflected;
        // S input: 40 % of it into order -1 as S, the rest into order +1 as
        // P; P input: a quarter into order 0 as S, the rest as P of order -1.
        setBlock(R, j, i, k, 0, 0, amplitudeOfPower(0.4 * s, 0.3), 0.0, 0.0,
                 amplitudeOfPower(0.75 * p, -2.0));
        setBlock(R, j, i, k, 1, 0, 0.0, 0.0, amplitudeOfPower(0.25 * p, 1.0), 0.0);
        setBlock(R, j, i, k, 2, 0, 0.0, amplitudeOfPower(0.6 * s, 2.5), 0.0, 0.0);
    }
    const NdArrayComplex reflectedBefore = R;

    ASSERT_TRUE(moveTransmittedPowerToZerothOrder(R, Rn, Rm, T, Tn, Tm, false));

    for (size_t node = 0; node < cases.size(); ++node) {
        SCOPED_TRACE(node);
        const size_t j = node % 2, i = (node / 2) % 2, k = node / 4;
        expectOnlyZerothBlock(T, j, i, k, 1, 1, cases[node].sAmplitude, cases[node].pAmplitude);
    }
    EXPECT_EQ(R, reflectedBefore);
    EXPECT_EQ(R.m_size, reflectedBefore.m_size);
}

TEST(CmosRewrite, ReflectionAboveOneGivesExactlyZero)
{
    NdArrayComplex R = denseTable({1, 1, 1}, 1, 1, 0.0);
    setBlock(R, 0, 0, 0, 0, 0, Complex(0.9, 0.9), 0.0, 0.0, Complex(1.0, 1e-3));
    NdArrayComplex T = denseTable({1, 1, 1}, 1, 1, 0.5);
    ASSERT_TRUE(moveTransmittedPowerToZerothOrder(R, {0}, {0}, T, {0}, {0}, false));
    EXPECT_EQ(T(0, 0, 0, 0, 0, 0, 0), Complex(0.0, 0.0));
    EXPECT_EQ(T(0, 0, 0, 0, 0, 1, 1), Complex(0.0, 0.0));
}

// Where the transmitted grid lacks order (0, 0) the block goes to its first
// n and first m, also when only one of the two lists holds a zero.
TEST(CmosRewrite, GridWithoutZerothOrderUsesItsFirstOrderIndices)
{
    struct Case {
        std::vector<int> Tn, Tm;
        size_t a0, b0;
    };
    const std::vector<Case> cases = {
        {{1, 2}, {0}, 0, 0},   {{-1, 0, 1}, {1, 2}, 0, 0},
        {{3}, {-2, -1}, 0, 0}, {{-2, -1, 0, 1}, {-1, 0, 1}, 2, 1},  // present but not first
        {{0, 1}, {0}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Tn) + " x " + ::testing::PrintToString(c.Tm));
        NdArrayComplex R = denseTable({1, 1, 1}, 1, 1, 0.0);
        setBlock(R, 0, 0, 0, 0, 0, amplitudeOfPower(0.36, 0.0), 0.0, 0.0, amplitudeOfPower(0.19, 1.0));
        NdArrayComplex T = denseTable({1, 1, 1}, c.Tn.size(), c.Tm.size(), Complex(1.0, 1.0));
        ASSERT_TRUE(moveTransmittedPowerToZerothOrder(R, {0}, {0}, T, c.Tn, c.Tm, false));
        expectOnlyZerothBlock(T, 0, 0, 0, c.a0, c.b0, 0.8, 0.9);
    }
}

TEST(CmosRewrite, ReturnsTrueWhenNothingChanges)
{
    NdArrayComplex R = denseTable({2, 1, 1}, 1, 1, 0.0);
    for (size_t j = 0; j < 2; ++j)
        setBlock(R, j, 0, 0, 0, 0, Complex(0.0, 1.0), 0.0, 0.0, Complex(-0.6, 0.8));
    NdArrayComplex T = denseTable({2, 1, 1}, 3, 1, 0.0);
    const NdArrayComplex before = T;
    EXPECT_TRUE(moveTransmittedPowerToZerothOrder(R, {0}, {0}, T, {-1, 0, 1}, {0}, false));
    EXPECT_EQ(T, before);
}

// With position data every position is rewritten from its own reflection
// data, not from the first positions' entries.
TEST(CmosRewrite, EveryPositionUsesItsOwnReflection)
{
    const size_t positions = 3;
    const std::vector<double> reflected = {0.19, 0.64, 0.0};  // per position, both polarisations
    const std::vector<double> transmitted = {0.9, 0.6, 1.0};
    NdArrayComplex R = denseTable({positions, 2, 1, 2}, 2, 1, 0.0);
    NdArrayComplex T = denseTable({positions, 2, 1, 2}, 1, 1, Complex(0.25, 0.25));
    for (size_t q = 0; q < positions; ++q)
        for (size_t j = 0; j < 2; ++j)
            for (size_t k = 0; k < 2; ++k) {
                R(q, j, 0, k, 1, 0, 0, 0) = amplitudeOfPower(reflected[q], 0.5);
                R(q, j, 0, k, 0, 0, 0, 1) = amplitudeOfPower(reflected[q] / 2, 0.0);
                R(q, j, 0, k, 1, 0, 1, 1) = amplitudeOfPower(reflected[q] / 2, 1.0);
            }
    ASSERT_TRUE(moveTransmittedPowerToZerothOrder(R, {0, 1}, {0}, T, {0}, {0}, true));
    for (size_t q = 0; q < positions; ++q)
        for (size_t j = 0; j < 2; ++j)
            for (size_t k = 0; k < 2; ++k) {
                SCOPED_TRACE(testing::Message() << "position " << q << " theta " << j << " lambda " << k);
                EXPECT_NEAR(T(q, j, 0, k, 0, 0, 0, 0).real(), transmitted[q], 1e-14);
                EXPECT_NEAR(T(q, j, 0, k, 0, 0, 1, 1).real(), transmitted[q], 1e-14);
                EXPECT_EQ(T(q, j, 0, k, 0, 0, 1, 0), Complex(0.0, 0.0));
                EXPECT_EQ(T(q, j, 0, k, 0, 0, 0, 1), Complex(0.0, 0.0));
            }
}

// Tables that do not have the dense form are left alone.
TEST(CmosRewrite, RefusesTablesOfAnotherFormAndChangesNothing)
{
    struct Case {
        const char* what;
        NdArrayComplex R;
        std::vector<int> Rn, Rm;
        NdArrayComplex T;
        std::vector<int> Tn, Tm;
        bool withPosition;
    };
    const NdArrayComplex r = denseTable({2, 1, 1}, 1, 1, 0.5);
    const NdArrayComplex t = denseTable({2, 1, 1}, 2, 1, 0.5);
    NdArrayComplex shortT = t;
    shortT.pop_back();
    NdArrayComplex threePol = denseTable({2, 1, 1}, 2, 1, 0.5);
    threePol.m_size[6] = 3;
    threePol.resize(threePol.size() / 2 * 3);
    const std::vector<Case> cases = {
        {"position flag on a table without positions", r, {0}, {0}, t, {0, 1}, {0}, true},
        {"T order list shorter than its extent", r, {0}, {0}, t, {0}, {0}, false},
        {"R m list longer than its extent", r, {0}, {0, 1}, t, {0, 1}, {0}, false},
        {"grids differ", r, {0}, {0}, denseTable({1, 1, 1}, 2, 1, 0.5), {0, 1}, {0}, false},
        {"fewer elements than extents", r, {0}, {0}, shortT, {0, 1}, {0}, false},
        {"three output polarisations", r, {0}, {0}, threePol, {0, 1}, {0}, false},
        {"no transmitted order", r, {0}, {0}, denseTable({2, 1, 1}, 0, 1, 0.5), {}, {0}, false},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.what);
        const NdArrayComplex before = c.T;
        EXPECT_FALSE(fitsCmosRewrite(c.R, c.Rn, c.Rm, c.T, c.Tn, c.Tm, c.withPosition));
        EXPECT_FALSE(moveTransmittedPowerToZerothOrder(c.R, c.Rn, c.Rm, c.T, c.Tn, c.Tm, c.withPosition));
        EXPECT_EQ(c.T, before);
    }
}
