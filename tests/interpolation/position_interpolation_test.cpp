#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "allocation_counter.h"
#include "kernel_tables.h"

using namespace quelbrant;

namespace {

// A 2 x 3 position grid (X = 0, 1, 3; Y = 0, 2) whose table value at each
// node is a bilinear function of the node's coordinates, so bilinear
// interpolation reproduces it exactly. K1 at a node is the node's (x, y);
// K2 is (1, 0) on X nodes 0 and 1 and (0, 1) on X node 2.
double bilinear(double x, double y)
{
    return 2.0 + 3.0 * x - y + 0.5 * x * y;
}

InterpolationCase smoothGrid()
{
    InterpolationCase c;
    c.theta = {0.0};
    c.phi = {0.0};
    c.lambda = {500e-9};
    c.withPosition = true;
    c.X = {0.0, 1.0, 3.0};
    c.Y = {0.0, 2.0};
    c.indexMap = indexMapFromRows({{1, 2, 3}, {4, 5, 6}});
    const double nodeX[6] = {0, 1, 3, 0, 1, 3};
    const double nodeY[6] = {0, 0, 0, 2, 2, 2};
    for (size_t p = 0; p < 6; ++p) {
        c.k1x.push_back(nodeX[p]);
        c.k1y.push_back(nodeY[p]);
        c.k2x.push_back(nodeX[p] < 2.0 ? 1.0 : 0.0);
        c.k2y.push_back(nodeX[p] < 2.0 ? 0.0 : 1.0);
    }
    c.G = makeTable({6, 1, 1, 1, 1, 1, 2, 2}, [&](const std::vector<size_t>& i) {
        return Complex(bilinear(nodeX[i[0]], nodeY[i[0]]), 1.0 + i[6] + 2.0 * i[7]);
    });
    return c;
}

TEST(PositionInterpolation, AllCornersValidIsBilinear)
{
    const InterpolationCase c = smoothGrid();
    for (int noInterp : {0, 3, 8, -1}) {
        NdArrayComplex result;
        std::vector<double> k1gk2g(6, -1.0);
        ASSERT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 2.2, 0.5, noInterp), 0);
        ASSERT_EQ(result.size(), 4u);
        for (size_t e = 0; e < 4; ++e) {
            EXPECT_NEAR(result[e].real(), bilinear(2.2, 0.5), 1e-12);
            EXPECT_NEAR(result[e].imag(), 1.0 + e, 1e-12);
        }
        EXPECT_NEAR(k1gk2g[0], 2.2, 1e-12);
        EXPECT_NEAR(k1gk2g[1], 0.5, 1e-12);
        EXPECT_NEAR(k1gk2g[2], std::sqrt(2.2 * 2.2 + 0.5 * 0.5), 1e-12);
        // K2 turns from (1, 0) to (0, 1) across the cell: the weighted
        // components (0.4, 0.6) are shorter than either end, and the norm
        // follows the components.
        EXPECT_NEAR(k1gk2g[3], 0.4, 1e-12);
        EXPECT_NEAR(k1gk2g[4], 0.6, 1e-12);
        EXPECT_NEAR(k1gk2g[5], std::sqrt(0.52), 1e-12);
    }
}

TEST(PositionInterpolation, NearestPositionBitTakesTheNearestNode)
{
    const InterpolationCase c = smoothGrid();
    for (int noInterp : {4, 5, 6, 7}) {
        NdArrayComplex result;
        std::vector<double> k1gk2g(6, 0.0);
        ASSERT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 2.2, 0.5, noInterp), 0);
        EXPECT_DOUBLE_EQ(result[0].real(), bilinear(3.0, 0.0));
        EXPECT_DOUBLE_EQ(k1gk2g[0], 3.0);
        EXPECT_DOUBLE_EQ(k1gk2g[5], 1.0);
    }
}

// Unit square X = Y = {0, 1} with node (ix, iy) holding position
// 1 + ix + 2 iy, or no data. Table entry e (of 4) at position p is 1 when
// e = p - 1, so result entry e reads the weight that position e + 1 got.
InterpolationCase unitSquare(const std::vector<std::vector<int>>& rows, double edge = 1.0)
{
    InterpolationCase c;
    c.theta = {0.0};
    c.phi = {0.0};
    c.lambda = {500e-9};
    c.withPosition = true;
    c.X = {0.0, edge};
    c.Y = {0.0, edge};
    c.indexMap = indexMapFromRows(rows);
    c.k1x = {1.0, 0.0, 0.0, 0.0};
    c.k1y = {0.0, 1.0, 0.0, 0.0};
    c.k2x = {0.0, 0.0, 1.0, 0.0};
    c.k2y = {0.0, 0.0, 0.0, 1.0};
    c.G = makeTable({4, 1, 1, 1, 1, 1, 2, 2}, [](const std::vector<size_t>& i) {
        return Complex(i[6] + 2 * i[7] == i[0] ? 1.0 : 0.0, 0.0);
    });
    return c;
}

std::vector<std::vector<int>> squareWithHoleAt(size_t ix, size_t iy)
{
    std::vector<std::vector<int>> rows = {{1, 2}, {3, 4}};
    rows[iy][ix] = 0;
    return rows;
}

void expectUntouchedAfterHole(const InterpolationCase& c, double x, double y, int noInterp)
{
    NdArrayComplex result;
    result.m_size = {1};
    result.assign(1, Complex(-5.0, 5.0));
    std::vector<double> k1gk2g = {9, 8, 7, 6, 5, 4};
    EXPECT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, x, y, noInterp), -1) << "(" << x << ", " << y << ")";
    EXPECT_EQ(result.m_size, std::vector<size_t>{1});
    EXPECT_EQ(static_cast<const std::vector<Complex>&>(result), std::vector<Complex>{Complex(-5.0, 5.0)});
    EXPECT_EQ(k1gk2g, (std::vector<double>{9, 8, 7, 6, 5, 4}));
}

TEST(PositionInterpolation, TwoCornersWithoutDataAreAHoleInEveryMode)
{
    const InterpolationCase c = unitSquare({{0, 2}, {3, 0}});
    for (int noInterp : {0, 4, 7})
        expectUntouchedAfterHole(c, 0.5, 0.5, noInterp);
    // On the edge x = 0 between a node without data and one with data the
    // two corners on that edge are the same missing node.
    expectUntouchedAfterHole(unitSquare(squareWithHoleAt(0, 0)), 0.0, 0.5, 0);
}

TEST(PositionInterpolation, OneMissingCornerFailsInsideItsHalfCell)
{
    const InterpolationCase c = unitSquare(squareWithHoleAt(0, 0));
    expectUntouchedAfterHole(c, 0.3, 0.3, 0);
    expectUntouchedAfterHole(c, 0.1, 0.85, 0);
}

TEST(PositionInterpolation, OneMissingCornerReweighsTheOtherThree)
{
    const InterpolationCase c = unitSquare(squareWithHoleAt(0, 0));
    NdArrayComplex result;
    std::vector<double> k1gk2g(6, 0.0);
    // Bilinear weights 0.16 (missing), 0.24, 0.36, 0.24 over 0.84.
    ASSERT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.6, 0.6), 0);
    EXPECT_NEAR(result[0].real(), 0.0, 1e-15);
    EXPECT_NEAR(result[1].real(), 0.24 / 0.84, 1e-12);
    EXPECT_NEAR(result[2].real(), 0.24 / 0.84, 1e-12);
    EXPECT_NEAR(result[3].real(), 0.36 / 0.84, 1e-12);
    EXPECT_NEAR(result[1].real() + result[2].real() + result[3].real(), 1.0, 1e-12);
    // The lattice lists read the same weights back (position 1 is the
    // missing node: K1x is its indicator).
    EXPECT_NEAR(k1gk2g[0], 0.0, 1e-15);
    EXPECT_NEAR(k1gk2g[1], 0.24 / 0.84, 1e-12);
    EXPECT_NEAR(k1gk2g[3], 0.24 / 0.84, 1e-12);
    EXPECT_NEAR(k1gk2g[4], 0.36 / 0.84, 1e-12);
}

TEST(PositionInterpolation, APointOnTheDiagonalPasses)
{
    const InterpolationCase c = unitSquare(squareWithHoleAt(0, 0));
    const NdArrayComplex r = c.at(0.0, 0.0, 500e-9, 0.5, 0.5);
    ASSERT_EQ(r.size(), 4u);
    for (size_t e = 1; e < 4; ++e)
        EXPECT_NEAR(r[e].real(), 1.0 / 3.0, 1e-12);
}

TEST(PositionInterpolation, TheAreaTestScalesWithTheCell)
{
    const InterpolationCase c = unitSquare(squareWithHoleAt(0, 0), 0.5);
    expectUntouchedAfterHole(c, 0.15, 0.15, 0);
    const NdArrayComplex r = c.at(0.0, 0.0, 500e-9, 0.3, 0.3);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_NEAR(r[3].real(), 0.36 / 0.84, 1e-12);
    EXPECT_NEAR(r[1].real(), 0.24 / 0.84, 1e-12);
}

// The missing node at each corner in turn: a point near it fails, the
// mirrored point passes with the opposite node at 0.36 / 0.84 and the two
// neighbours at 0.24 / 0.84.
struct MissingCorner {
    size_t ix, iy;
    double nearX, nearY;
};

void PrintTo(const MissingCorner& c, std::ostream* os)
{
    *os << "missing node (" << c.ix << ", " << c.iy << ")";
}

class PositionInterpolationMissingCorner : public ::testing::TestWithParam<MissingCorner> {};

TEST_P(PositionInterpolationMissingCorner, FailsNearItAndReweighsAwayFromIt)
{
    const MissingCorner& m = GetParam();
    const InterpolationCase c = unitSquare(squareWithHoleAt(m.ix, m.iy));
    expectUntouchedAfterHole(c, m.nearX, m.nearY, 0);
    const double farX = m.nearX > 0.5 ? 0.4 : 0.6;
    const double farY = m.nearY > 0.5 ? 0.4 : 0.6;
    const NdArrayComplex r = c.at(0.0, 0.0, 500e-9, farX, farY);
    const size_t missing = m.ix + 2 * m.iy;
    const size_t opposite = (1 - m.ix) + 2 * (1 - m.iy);
    for (size_t node = 0; node < 4; ++node) {
        const double expected = node == missing ? 0.0 : node == opposite ? 0.36 / 0.84 : 0.24 / 0.84;
        EXPECT_NEAR(r[node].real(), expected, 1e-12) << "node " << node;
    }
}

INSTANTIATE_TEST_SUITE_P(Corners, PositionInterpolationMissingCorner,
                         ::testing::Values(MissingCorner{0, 0, 0.3, 0.3}, MissingCorner{1, 0, 0.7, 0.3},
                                           MissingCorner{1, 1, 0.7, 0.7}, MissingCorner{0, 1, 0.3, 0.7}));

TEST(PositionInterpolation, NearestModeWithOneMissingCorner)
{
    const InterpolationCase c = unitSquare(squareWithHoleAt(0, 0));
    // The nearest node is the missing one.
    expectUntouchedAfterHole(c, 0.4, 0.45, 4);
    // The nearest node (0, 1) has data, but the point is in the missing
    // node's half: the area test still applies.
    expectUntouchedAfterHole(c, 0.3, 0.6, 4);
    // Beyond the diagonal the nearest node (0, 1) takes all the weight.
    const NdArrayComplex r = c.at(0.0, 0.0, 500e-9, 0.45, 0.7, 4);
    EXPECT_EQ(r[2], Complex(1.0, 0.0));
    EXPECT_EQ(r[1], Complex(0.0, 0.0));
    EXPECT_EQ(r[3], Complex(0.0, 0.0));
}

TEST(PositionInterpolation, NonFinitePositionIsNotAnswered)
{
    const InterpolationCase c = smoothGrid();
    expectUntouchedAfterHole(c, std::numeric_limits<double>::quiet_NaN(), 1.0, 0);
    expectUntouchedAfterHole(c, 1.0, std::numeric_limits<double>::infinity(), 0);
}

TEST(PositionInterpolation, RejectsIndexMapsAndListsThatDoNotFitTheTables)
{
    NdArrayComplex result;
    std::vector<double> k1gk2g(6, 0.0);
    InterpolationCase c = unitSquare({{1, 2}, {3, 5}});  // position 5 of 4
    EXPECT_THROW(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.9, 0.9), std::out_of_range);

    c = unitSquare({{1, 2}, {3, 4}});
    c.k2y.pop_back();
    EXPECT_THROW(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.9, 0.9), std::out_of_range);

    c = unitSquare({{1, 2}, {3, 4}});
    c.X.push_back(2.0);  // the map covers two X nodes, not three
    EXPECT_THROW(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.9, 0.9), std::out_of_range);

    c = unitSquare({{1, 2}, {3, 4}});
    c.X.clear();
    c.Y.clear();
    c.indexMap = NdArrayInt();
    c.indexMap.m_size = {0, 0};
    EXPECT_THROW(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.9, 0.9), std::out_of_range);
    EXPECT_TRUE(result.empty());
    EXPECT_EQ(k1gk2g, std::vector<double>(6, 0.0));
}

TEST(PositionInterpolation, AllocatesNothingOnceTheResultHasRoom)
{
    const InterpolationCase c = unitSquare(squareWithHoleAt(0, 0));
    NdArrayComplex result;
    std::vector<double> k1gk2g(6, 0.0);
    // Warm-up: an answered point and a hole (whose debug line makes the
    // process's logger on its first use).
    ASSERT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.7, 0.7), 0);
    ASSERT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.1, 0.1), -1);
    const AllocationCount count;
    ASSERT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.8, 0.6), 0);
    ASSERT_EQ(c.run(result, k1gk2g, 0.0, 0.0, 500e-9, 0.2, 0.2), -1);
    EXPECT_EQ(count.sinceStart(), 0u);
}

}  // namespace
