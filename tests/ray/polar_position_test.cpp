// A position grid in polar coordinates (pos_rad, pos_pol): the data are
// given in a frame turned with the hit point's polar angle, so a grating
// whose lattice vector is (K, 0) in that frame is a radial grating.

#include <gtest/gtest.h>

#include <cmath>

#include "InteractionTestSupport.h"

using namespace quelbrant;

namespace {

constexpr double Air = 1.0;
constexpr double Glass = 1.5;
constexpr double Period = 2e-6;

// Lossless radial grating: everything goes into the transmitted (+1, 0)
// order, whose lattice vector points away from the centre.
std::string radialGratingFile(const std::vector<double>& polDegrees = {-180.0, 180.0})
{
    SyntheticGrating g;
    g.positionKind = "RAD_POL";
    g.first = {0.0, 0.01};  // metres
    g.second = polDegrees;
    for (int row = 0; row < static_cast<int>(polDegrees.size()); ++row) {
        g.indexMapRows.push_back({2 * row + 1, 2 * row + 2});
        g.K1PerPosition.insert(g.K1PerPosition.end(), 2, {2 * Pi / Period, 0.0});
        g.K2PerPosition.insert(g.K2PerPosition.end(), 2, {0.0, 0.0});
    }
    g.ordersT = {{-1, 0}, {0, 0}, {1, 0}};
    g.lossless[0] = g.lossless[1] = true;
    g.value = [](int, bool transmitted, size_t, size_t, size_t, size_t, size_t k, size_t o, size_t i) {
        return Complex(transmitted && k == 2 && o == i ? 1.0 : 0.0, 0.0);
    };
    return g.write("radial-grating.json");
}

class PolarPositions : public ::testing::Test {
protected:
    static void SetUpTestSuite() { surface = loadFile(radialGratingFile()).release(); }
    static void TearDownTestSuite()
    {
        delete surface;
        surface = nullptr;
    }
    static GratingSurface* surface;
};

GratingSurface* PolarPositions::surface = nullptr;

TEST_F(PolarPositions, OutgoingDirectionIsTurnedBackToTheHostFrame)
{
    const double lambda = 550e-9;
    const double kick = lambda / Period;  // in-plane direction change times n_out
    const double angles[] = {0.0, 90.0, -135.0, 170.0, 45.0};
    for (double alphaDeg : angles) {
        const double alpha = alphaDeg * Pi / 180.0;
        const double r = 4.0;  // mm
        for (double thetaIn : {0.0, 20.0}) {
            TestRay ray;
            ray.polar(thetaIn, 60.0, false).media(Air, Glass).wavelength(550.0);
            ray.at(r * std::cos(alpha), r * std::sin(alpha));
            const double in[2] = {ray.direction[0], ray.direction[1]};
            const int result = trace(*surface, ray);
            ASSERT_EQ(result, 6) << alphaDeg;
            // n_out u_out = n_in u_in + (lambda / period) (cos alpha, sin alpha)
            EXPECT_NEAR(ray.direction[0], (Air * in[0] + kick * std::cos(alpha)) / Glass, 1e-12) << alphaDeg;
            EXPECT_NEAR(ray.direction[1], (Air * in[1] + kick * std::sin(alpha)) / Glass, 1e-12) << alphaDeg;
            EXPECT_NEAR(std::hypot(ray.direction[0], ray.direction[1], ray.direction[2]), 1.0, 1e-12);
        }
    }
}

TEST_F(PolarPositions, RayWithoutOutgoingOrderKeepsTheHostsDirection)
{
    for (double alphaDeg : {90.0, -135.0}) {
        const double alpha = alphaDeg * Pi / 180.0;
        TestRay ray;
        ray.polar(35.0, 10.0, false).media(Air, Glass).wavelength(550.0);
        ray.at(3.0 * std::cos(alpha), 3.0 * std::sin(alpha));
        const TestRay before = ray;
        // An unlisted order, and a family without power: no outgoing ray.
        EXPECT_EQ(trace(*surface, ray, {3, 0}, true, true), 0);
        EXPECT_TRUE(sameRecord(ray, before)) << alphaDeg;
        EXPECT_EQ(trace(*surface, ray, {}, true, false), 0);
        EXPECT_TRUE(sameRecord(ray, before)) << alphaDeg;
    }
}

TEST(PolarPositionRange, HitAngleIsTurnedIntoThePolRangeWhereThatPutsItInside)
{
    struct Case {
        double pol[3], x, y;
        int result;  // 6 served, 1 refracted
    };
    const Case cases[] = {{{0, 180, 360}, 0.0, -3.0, 6},
                          {{0, 180, 360}, 2.0, -2.0, 6},
                          {{0, 90, 180}, -3.0, -0.0, 6},
                          {{0, 90, 180}, -3.0, 0.0, 6},
                          {{0, 90, 180}, 0.0, -3.0, 1},
                          {{0, 45, 90}, -0.0, 0.0, 6},  // the centre, whatever its zeros or the axis
                          {{30, 45, 60}, 0.0, 0.0, 6}};
    for (const Case& c : cases) {
        const auto surface = loadFile(radialGratingFile({c.pol, c.pol + 3}));
        TestRay ray;
        ray.polar(0.0, 0.0, false).media(Air, Glass).wavelength(550.0).at(c.x, c.y);
        EXPECT_EQ(trace(*surface, ray, {}, false, true), c.result) << c.pol[2] << " " << c.x << " " << c.y;
    }
}

TEST_F(PolarPositions, BeyondTheLargestRadiusTheRayIsRefracted)
{
    TestRay ray;
    ray.polar(20.0, 0.0, false).media(Air, Glass).wavelength(550.0).at(0.0, 12.0);
    EXPECT_EQ(trace(*surface, ray, {}, false, true), 1);
    EXPECT_NEAR(ray.direction[0], std::sin(20.0 * Pi / 180.0) / Glass, 1e-12);
    EXPECT_NEAR(ray.direction[1], 0.0, 1e-15);
}

}  // namespace
