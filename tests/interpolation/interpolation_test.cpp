#include "interpolation/Interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "allocation_counter.h"
#include "interpolation/InterpolationStencil.h"
#include "kernel_tables.h"

using namespace quelbrant;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// Table entries: Nn = 2, Nm = 1, PolOut 2, PolIn 2.
constexpr size_t Entries = 8;

size_t entryOf(const std::vector<size_t>& index, size_t first)
{
    return index[first] + 2 * (index[first + 1] + 1 * (index[first + 2] + 2 * index[first + 3]));
}

// A function linear in each coordinate separately: multilinear
// interpolation reproduces it exactly anywhere inside the grid.
Complex multilinear(size_t e, double theta, double phi, double lambda)
{
    const double nm = lambda * 1e9;
    return {1.0 + e + (1.0 + e) * theta + 0.5 * phi * theta + (e - 3.0) * nm,
            e * phi - 0.01 * nm * theta + 0.001 * theta * phi * nm};
}

InterpolationCase multilinearCase()
{
    InterpolationCase c;
    c.theta = {0.0, 10.0, 30.0};
    c.phi = {-20.0, 0.0, 45.0};
    c.lambda = {400e-9, 500e-9, 700e-9};
    c.G = makeTable({3, 3, 3, 2, 1, 2, 2}, [&](const std::vector<size_t>& i) {
        return multilinear(entryOf(i, 3), c.theta[i[0]], c.phi[i[1]], c.lambda[i[2]]);
    });
    return c;
}

void expectMultilinear(const NdArrayComplex& result, double theta, double phi, double lambda)
{
    ASSERT_EQ(result.m_size, (std::vector<size_t>{2, 1, 2, 2}));
    ASSERT_EQ(result.size(), Entries);
    for (size_t e = 0; e < Entries; ++e) {
        const Complex expected = multilinear(e, theta, phi, lambda);
        EXPECT_NEAR(result[e].real(), expected.real(), 1e-9) << "entry " << e;
        EXPECT_NEAR(result[e].imag(), expected.imag(), 1e-9) << "entry " << e;
    }
}

TEST(InterpGratingOrders, ReproducesAMultilinearFunctionBetweenNodes)
{
    const InterpolationCase c = multilinearCase();
    expectMultilinear(c.at(17.0, 12.0, 612e-9), 17.0, 12.0, 612e-9);
    expectMultilinear(c.at(2.5, -19.0, 401e-9), 2.5, -19.0, 401e-9);
    expectMultilinear(c.at(29.9, 44.0, 699e-9), 29.9, 44.0, 699e-9);
}

TEST(InterpGratingOrders, OnAGridNodeGivesTheNodeValueExactly)
{
    const InterpolationCase c = multilinearCase();
    NdArrayComplex result = c.at(10.0, 0.0, 500e-9);
    NdArrayComplex table = c.G;
    for (size_t e = 0; e < Entries; ++e)
        EXPECT_EQ(result[e], table[1 + 3 * (1 + 3 * (1 + 3 * e))]);
    result = c.at(0.0, -20.0, 400e-9);
    for (size_t e = 0; e < Entries; ++e)
        EXPECT_EQ(result[e], table[27 * e]);
}

TEST(InterpGratingOrders, OutsideTheAxesTakesTheEdgeValue)
{
    const InterpolationCase c = multilinearCase();
    const NdArrayComplex low = c.at(-5.0, -90.0, 100e-9);
    const NdArrayComplex high = c.at(80.0, 90.0, 2000e-9);
    for (size_t e = 0; e < Entries; ++e) {
        EXPECT_EQ(low[e], c.G[27 * e]);
        EXPECT_EQ(high[e], c.G[26 + 27 * e]);
    }
}

// The interpolation switch word: bit value 1 = nearest wavelength node,
// 2 = nearest angle nodes, 4 = nearest position nodes, only for words 1..7.
struct SwitchCase {
    int noInterp;
    bool nearestWavelength;
    bool nearestAngles;
};

void PrintTo(const SwitchCase& c, std::ostream* os)
{
    *os << "no_interp " << c.noInterp;
}

class InterpolationSwitch : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(InterpolationSwitch, SelectsTheNearestNodeOnTheFlaggedAxes)
{
    const SwitchCase& s = GetParam();
    const InterpolationCase c = multilinearCase();
    // Nearest nodes of (17, 12, 612 nm): theta 10, phi 0, lambda 700 nm.
    const double theta = s.nearestAngles ? 10.0 : 17.0;
    const double phi = s.nearestAngles ? 0.0 : 12.0;
    const double lambda = s.nearestWavelength ? 700e-9 : 612e-9;
    expectMultilinear(c.at(17.0, 12.0, 612e-9, 0.0, 0.0, s.noInterp), theta, phi, lambda);
}

INSTANTIATE_TEST_SUITE_P(Words, InterpolationSwitch,
                         ::testing::Values(SwitchCase{0, false, false}, SwitchCase{1, true, false},
                                           SwitchCase{2, false, true}, SwitchCase{3, true, true},
                                           SwitchCase{4, false, false}, SwitchCase{5, true, false},
                                           SwitchCase{6, false, true}, SwitchCase{7, true, true},
                                           SwitchCase{8, false, false}, SwitchCase{9, false, false},
                                           SwitchCase{15, false, false}, SwitchCase{-1, false, false},
                                           SwitchCase{-7, false, false}));

// The accumulation, written out as the loops it must stay equal to bit for
// bit: entry outermost, then wavelength, angle 2, angle 1 and position
// corner, each product of weights formed left to right.
NdArrayComplex referenceSum(NdArrayComplex G, const std::vector<double>& theta, double t,
                            const std::vector<double>& phi, double p, const std::vector<double>& lambda,
                            double l, bool withPosition, const std::vector<double>& X, double x,
                            const std::vector<double>& Y, double y, const NdArrayInt& map)
{
    double wt[2], wp[2], wl[2], wx[2], wy[2];
    size_t pt[2], pp[2], pl[2], px[2], py[2];
    updatePAndWeights(theta, t, wt[0], pt[0], wt[1], pt[1], false);
    updatePAndWeights(phi, p, wp[0], pp[0], wp[1], pp[1], false);
    updatePAndWeights(lambda, l, wl[0], pl[0], wl[1], pl[1], false);
    const size_t tc = wt[1] == 0.0 ? 1 : 2;
    const size_t pc = wp[1] == 0.0 ? 1 : 2;
    const size_t lc = wl[1] == 0.0 ? 1 : 2;
    double widx[4] = {1.0, 0.0, 0.0, 0.0};
    int pidx[4] = {1, 1, 1, 1};
    size_t P = 1;
    if (withPosition) {
        P = G.m_size[0];
        updatePAndWeights(X, x, wx[0], px[0], wx[1], px[1], false);
        updatePAndWeights(Y, y, wy[0], py[0], wy[1], py[1], false);
        const size_t xs[4] = {0, 1, 1, 0};
        const size_t ys[4] = {0, 0, 1, 1};
        for (size_t c = 0; c < 4; ++c) {
            widx[c] = wx[xs[c]] * wy[ys[c]];
            pidx[c] = map[py[ys[c]] + Y.size() * px[xs[c]]];
        }
    }
    const size_t q = withPosition ? 1 : 0;
    const size_t C = G.m_size[q + 3] * G.m_size[q + 4] * 4;
    NdArrayComplex result;
    result.assign(C, Complex(0.0, 0.0));
    const std::vector<size_t> dense = {theta.size(), phi.size(), lambda.size()};
    const std::vector<size_t> densePos = {P, theta.size(), phi.size(), lambda.size()};
    for (size_t e = 0; e < C; ++e)
        for (size_t k = 0; k < lc; ++k)
            for (size_t j = 0; j < pc; ++j)
                for (size_t i = 0; i < tc; ++i) {
                    if (!withPosition) {
                        result[e] += (wt[i] * wp[j] * wl[k]) * G(pt[i], pp[j], pl[k], e, dense);
                        continue;
                    }
                    for (size_t c = 0; c < 4; ++c)
                        result[e] += (widx[c] * wt[i] * wp[j] * wl[k]) *
                                     G(static_cast<size_t>(pidx[c] - 1), pt[i], pp[j], pl[k], e, densePos);
                }
    return result;
}

TEST(InterpGratingOrders, AccumulatesInTheFixedOrderBitForBit)
{
    std::mt19937_64 rng(20240607);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int withPosition = 0; withPosition < 2; ++withPosition) {
        InterpolationCase c;
        c.theta = {0.0, 7.0, 19.0, 40.0};
        c.phi = {0.0, 30.0, 90.0};
        c.lambda = {450e-9, 550e-9};
        std::vector<size_t> extents = {4, 3, 2, 3, 2, 2, 2};
        if (withPosition) {
            c.withPosition = true;
            c.X = {0.0, 0.4, 1.0};
            c.Y = {-1.0, 1.0};
            c.indexMap = indexMapFromRows({{1, 2, 3}, {4, 5, 6}});
            c.k1x = c.k1y = c.k2x = c.k2y = std::vector<double>(6, 1.0);
            extents.insert(extents.begin(), 6);
        }
        c.G = makeTable(extents, [&](const std::vector<size_t>&) { return Complex(value(rng), value(rng)); });
        for (int trial = 0; trial < 50; ++trial) {
            const double t = value(rng) * 45.0 + 20.0;
            const double p = value(rng) * 100.0 + 45.0;
            const double l = 500e-9 + value(rng) * 80e-9;
            const double x = value(rng) * 0.6 + 0.5;
            const double y = value(rng) * 1.2;
            const NdArrayComplex got = c.at(t, p, l, x, y);
            const NdArrayComplex want = referenceSum(c.G, c.theta, t, c.phi, p, c.lambda, l, c.withPosition,
                                                     c.X, x, c.Y, y, c.indexMap);
            ASSERT_EQ(got.size(), want.size());
            for (size_t e = 0; e < got.size(); ++e) {
                ASSERT_EQ(got[e].real(), want[e].real()) << "trial " << trial << " entry " << e;
                ASSERT_EQ(got[e].imag(), want[e].imag()) << "trial " << trial << " entry " << e;
            }
        }
    }
}

TEST(InterpolationStencil, GivesTheSameBitsOverTheDenseAndTheEntryFastestLayout)
{
    // Dense: 5 slices, entries slowest (stride 5). Entry-fastest copy:
    // slice s, entry e at e + C * s.
    constexpr size_t Slices = 5;
    constexpr size_t C = 3;
    std::vector<Complex> dense(Slices * C);
    std::vector<Complex> entryFastest(Slices * C);
    for (size_t s = 0; s < Slices; ++s)
        for (size_t e = 0; e < C; ++e) {
            const Complex v(0.1 * (s + 1) + e, -0.3 * s * (e + 1) + 0.7);
            dense[s + Slices * e] = v;
            entryFastest[e + C * s] = v;
        }
    const size_t slices[4] = {4, 0, 2, 3};
    const double weights[4] = {0.3, 0.1 / 3.0, 0.2, 1.0 - 0.3 - 0.1 / 3.0 - 0.2};
    InterpolationStencil denseStencil;
    InterpolationStencil copyStencil;
    for (size_t t = 0; t < 4; ++t) {
        denseStencil.add(slices[t], weights[t]);
        copyStencil.add(slices[t] * C, weights[t]);
    }
    Complex a[C], b[C];
    accumulateStencil(dense.data(), Slices, denseStencil, a, C);
    accumulateStencil(entryFastest.data(), 1, copyStencil, b, C);
    for (size_t e = 0; e < C; ++e) {
        Complex expected(0.0, 0.0);
        for (size_t t = 0; t < 4; ++t)
            expected += weights[t] * dense[slices[t] + Slices * e];
        EXPECT_EQ(a[e], expected);
        EXPECT_EQ(b[e], expected);
    }
}

TEST(InterpolationStencil, RefusesMoreThanItsCapacity)
{
    InterpolationStencil s;
    for (size_t t = 0; t < InterpolationStencil::MaxTerms; ++t)
        ASSERT_TRUE(s.add(t, 1.0));
    EXPECT_FALSE(s.add(99, 1.0));
    EXPECT_EQ(s.count, InterpolationStencil::MaxTerms);
}

// The theta nodes of each wavelength node lie in their own column.
InterpolationCase frequencyDependentCase(const double (&g)[3][2])
{
    InterpolationCase c;
    c.phi = {0.0};
    c.lambda = {500e-9, 700e-9};
    c.thetaTable.m_size = {3, 2};
    c.thetaTable.assign({0.0, 10.0, 20.0, /* 700 nm: */ 0.0, 5.0, 10.0});
    c.G = makeTable({3, 1, 2, 1, 1, 2, 2}, [&](const std::vector<size_t>& i) {
        return Complex(g[i[0]][i[2]], 0.0) * (1.0 + i[5] + 2.0 * i[6]);
    });
    return c;
}

TEST(InterpGratingOrdersWithFrequencyDependentTheta, BracketsThetaInEachWavelengthNodesColumn)
{
    const double g[3][2] = {{1.0, 10.0}, {2.0, 20.0}, {4.0, 40.0}};
    const InterpolationCase c = frequencyDependentCase(g);
    // 550 nm: weights 0.75 / 0.25. Theta 7 lies between 0 and 10 at 500 nm
    // (0.3 / 0.7) and between 5 and 10 at 700 nm (0.6 / 0.4).
    const double expected = 0.75 * (0.3 * 1.0 + 0.7 * 2.0) + 0.25 * (0.6 * 20.0 + 0.4 * 40.0);
    const NdArrayComplex r = c.at(7.0, 0.0, 550e-9);
    ASSERT_EQ(r.size(), 4u);
    for (size_t e = 0; e < 4; ++e)
        EXPECT_NEAR(r[e].real(), expected * (1.0 + e), 1e-12) << "entry " << e;

    // Above the wavelength axis only the 700 nm column counts: theta 5 is
    // its node 1.
    EXPECT_NEAR(c.at(5.0, 0.0, 900e-9)[0].real(), 20.0, 1e-12);
    // Nearest angles: theta 7 goes to 10 at 500 nm (node 1) and to 5 at
    // 700 nm (node 1).
    EXPECT_NEAR(c.at(7.0, 0.0, 550e-9, 0.0, 0.0, 2)[0].real(), 0.75 * 2.0 + 0.25 * 20.0, 1e-12);
    // Nearest wavelength and angles: 700 nm column, theta node 5.
    EXPECT_NEAR(c.at(7.0, 0.0, 650e-9, 0.0, 0.0, 3)[0].real(), 20.0, 1e-12);
}

TEST(InterpGratingOrdersWithFrequencyDependentTheta, RejectsAThetaTableThatDoesNotFitTheWavelengths)
{
    const double g[3][2] = {{1.0, 10.0}, {2.0, 20.0}, {4.0, 40.0}};
    InterpolationCase c = frequencyDependentCase(g);
    c.thetaTable.m_size = {2, 3};
    NdArrayComplex result;
    std::vector<double> k1gk2g(6, 0.0);
    EXPECT_THROW(c.run(result, k1gk2g, 7.0, 0.0, 550e-9), std::out_of_range);
    EXPECT_TRUE(result.empty());
}

struct NonFiniteCase {
    const char* name;
    double t, p, l;
};

void PrintTo(const NonFiniteCase& c, std::ostream* os)
{
    *os << c.name;
}

class InterpGratingOrdersNonFinite : public ::testing::TestWithParam<NonFiniteCase> {};

TEST_P(InterpGratingOrdersNonFinite, AnswersMinusOneAndLeavesTheOutputs)
{
    const NonFiniteCase& n = GetParam();
    const InterpolationCase c = multilinearCase();
    NdArrayComplex result;
    result.m_size = {9};
    result.assign(9, Complex(3.0, 4.0));
    std::vector<double> k1gk2g = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(c.run(result, k1gk2g, n.t, n.p, n.l), -1);
    EXPECT_EQ(result.m_size, std::vector<size_t>{9});
    EXPECT_EQ(static_cast<const std::vector<Complex>&>(result), std::vector<Complex>(9, Complex(3.0, 4.0)));
    EXPECT_EQ(k1gk2g, (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

INSTANTIATE_TEST_SUITE_P(Points, InterpGratingOrdersNonFinite,
                         ::testing::Values(NonFiniteCase{"NaNTheta", NaN, 0.0, 500e-9},
                                           NonFiniteCase{"NaNPhi", 10.0, NaN, 500e-9},
                                           NonFiniteCase{"NaNLambda", 10.0, 0.0, NaN},
                                           NonFiniteCase{"InfiniteTheta", Inf, 0.0, 500e-9},
                                           NonFiniteCase{"InfiniteLambda", 10.0, 0.0, -Inf}),
                         [](const ::testing::TestParamInfo<NonFiniteCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(InterpGratingOrders, RejectsTablesThatDoNotMatchTheirAxes)
{
    NdArrayComplex result;
    std::vector<double> k1gk2g(6, 0.0);
    InterpolationCase c = multilinearCase();
    c.theta.push_back(50.0);  // one node more than the table holds
    EXPECT_THROW(c.run(result, k1gk2g, 10.0, 0.0, 500e-9), std::out_of_range);

    c = multilinearCase();
    c.G.pop_back();  // fewer elements than the extents promise
    EXPECT_THROW(c.run(result, k1gk2g, 10.0, 0.0, 500e-9), std::out_of_range);

    c = multilinearCase();
    c.G.m_size.pop_back();  // PolIn dimension missing
    EXPECT_THROW(c.run(result, k1gk2g, 10.0, 0.0, 500e-9), std::out_of_range);

    c = multilinearCase();
    c.lambda.clear();
    c.G = makeTable({3, 3, 0, 2, 1, 2, 2}, [](const std::vector<size_t>&) { return Complex(); });
    EXPECT_THROW(c.run(result, k1gk2g, 10.0, 0.0, 500e-9), std::out_of_range);

    c = multilinearCase();
    std::vector<double> shortK(5, 0.0);
    EXPECT_THROW(c.run(result, shortK, 10.0, 0.0, 500e-9), std::out_of_range);
    EXPECT_TRUE(result.empty());
}

TEST(InterpGratingOrders, ReusesTheCallersStorage)
{
    InterpolationCase c = multilinearCase();
    NdArrayComplex result;
    std::vector<double> k1gk2g(6, 0.0);
    ASSERT_EQ(c.run(result, k1gk2g, 3.0, 4.0, 450e-9), 0);
    // What the caller does next: contract the PolIn dimension in place.
    result.resize(4);
    result.m_size.resize(3);
    const AllocationCount count;
    ASSERT_EQ(c.run(result, k1gk2g, 13.0, -4.0, 650e-9, 0.0, 0.0, 3), 0);
    EXPECT_EQ(count.sinceStart(), 0u);
    EXPECT_EQ(result.size(), Entries);
}

}  // namespace
