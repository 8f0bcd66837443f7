#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "interpolation/Interpolation.h"

using namespace quelbrant;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

struct BracketCase {
    const char* name;
    std::vector<double> axis;
    double x0;
    bool nearest;
    size_t p1, p2;
    double w1, w2;
};

void PrintTo(const BracketCase& c, std::ostream* os)
{
    *os << c.name;
}

class UpdatePAndWeights : public ::testing::TestWithParam<BracketCase> {};

TEST_P(UpdatePAndWeights, BracketsAndWeighs)
{
    const BracketCase& c = GetParam();
    double w1 = -7.0;
    double w2 = -7.0;
    size_t p1 = 99;
    size_t p2 = 99;
    updatePAndWeights(c.axis, c.x0, w1, p1, w2, p2, c.nearest);
    EXPECT_EQ(p1, c.p1);
    EXPECT_EQ(p2, c.p2);
    EXPECT_DOUBLE_EQ(w1, c.w1);
    EXPECT_DOUBLE_EQ(w2, c.w2);
}

const std::vector<double> Axis = {1.0, 2.0, 4.0, 8.0};
const std::vector<double> Doubled = {0.0, 1.0, 1.0, 2.0};

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdatePAndWeights,
    ::testing::Values(BracketCase{"BelowFirstNode", Axis, 0.5, false, 0, 0, 1.0, 0.0},
                      BracketCase{"OnFirstNode", Axis, 1.0, false, 0, 0, 1.0, 0.0},
                      BracketCase{"AboveLastNode", Axis, 9.0, false, 3, 3, 1.0, 0.0},
                      BracketCase{"OnLastNode", Axis, 8.0, false, 3, 3, 1.0, 0.0},
                      // On an interior node the lower neighbour is visited with weight 0.
                      BracketCase{"OnInteriorNode2", Axis, 2.0, false, 0, 1, 0.0, 1.0},
                      BracketCase{"OnInteriorNode4", Axis, 4.0, false, 1, 2, 0.0, 1.0},
                      BracketCase{"Midway", Axis, 3.0, false, 1, 2, 0.5, 0.5},
                      BracketCase{"QuarterWay", Axis, 2.5, false, 1, 2, 0.75, 0.25},
                      BracketCase{"LastInterval", Axis, 7.0, false, 2, 3, 0.25, 0.75},
                      BracketCase{"NearestLower", Axis, 2.5, true, 1, 2, 1.0, 0.0},
                      BracketCase{"NearestUpper", Axis, 3.5, true, 1, 2, 0.0, 1.0},
                      BracketCase{"NearestTieTakesUpper", Axis, 3.0, true, 1, 2, 0.0, 1.0},
                      BracketCase{"NearestBelow", Axis, -4.0, true, 0, 0, 1.0, 0.0},
                      BracketCase{"NearestAbove", Axis, 100.0, true, 3, 3, 1.0, 0.0},
                      BracketCase{"NearestOnInteriorNode", Axis, 4.0, true, 1, 2, 0.0, 1.0},
                      // Equal nodes: the point on the doubled value takes the first of them.
                      BracketCase{"OnEqualNodes", Doubled, 1.0, false, 0, 1, 0.0, 1.0},
                      BracketCase{"BeyondEqualNodes", Doubled, 1.5, false, 2, 3, 0.5, 0.5},
                      BracketCase{"SingleNode", {5.0}, 9.0, false, 0, 0, 1.0, 0.0},
                      BracketCase{"SingleNodeNearest", {5.0}, 1.0, true, 0, 0, 1.0, 0.0},
                      BracketCase{"EmptyAxis", {}, 1.0, false, 0, 0, 0.0, 0.0},
                      // Non-finite coordinates stay on the axis with finite weights.
                      BracketCase{"NaNCountsAsBelow", Axis, NaN, false, 0, 0, 1.0, 0.0},
                      BracketCase{"NaNNearest", Axis, NaN, true, 0, 0, 1.0, 0.0},
                      BracketCase{"PlusInfinityClampsAbove", Axis, Inf, false, 3, 3, 1.0, 0.0},
                      BracketCase{"MinusInfinityClampsBelow", Axis, -Inf, false, 0, 0, 1.0, 0.0}),
    [](const ::testing::TestParamInfo<BracketCase>& info) { return std::string(info.param.name); });

TEST(UpdatePAndWeightsProperties, IndicesStayOnTheAxisAndWeightsSumToOne)
{
    // Long uneven axis, points swept across and beyond it, both modes.
    std::vector<double> axis;
    for (int i = 0; i < 37; ++i)
        axis.push_back(i * i * 0.1 - 20.0);
    for (int nearest = 0; nearest < 2; ++nearest) {
        for (double x0 = -40.0; x0 < 160.0; x0 += 0.37) {
            double w1, w2;
            size_t p1, p2;
            updatePAndWeights(axis, x0, w1, p1, w2, p2, nearest != 0);
            ASSERT_LT(p2, axis.size());
            ASSERT_LE(p1, p2);
            ASSERT_LE(p2 - p1, 1u);
            ASSERT_GE(w1, 0.0);
            ASSERT_GE(w2, 0.0);
            ASSERT_DOUBLE_EQ(w1 + w2, 1.0);
            // Linear interpolation of the axis itself reproduces the point.
            if (!nearest && x0 > axis.front() && x0 < axis.back()) {
                ASSERT_NEAR(w1 * axis[p1] + w2 * axis[p2], x0, 1e-12);
            }
        }
    }
}

TEST(TriangleArea, IsHalfTheCrossProduct)
{
    EXPECT_DOUBLE_EQ(triangle_area({3.0, 0.0}, {0.0, 4.0}), 6.0);
    EXPECT_DOUBLE_EQ(triangle_area({0.0, 4.0}, {3.0, 0.0}), 6.0);
    EXPECT_DOUBLE_EQ(triangle_area({1.0, 1.0}, {2.0, 2.0}), 0.0);
    EXPECT_THROW(triangle_area({1.0}, {2.0, 2.0}), std::out_of_range);
}

}  // namespace
