// Surfaces whose data vary over the hit point (grating-2d-positions.json:
// pos_x -4/0/+4 mm, pos_y -3/+3 mm, position numbers [[1, 2, 3], [4, 5, 0]]
// by row of pos_y, no data at (+4, +3) mm; lattice vectors per position;
// an absorbing coating takes 5 % of the power at 450 nm, 7 % at 650 nm).

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>

#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"
#include "ray/FresnelFallback.h"

using namespace quelbrant;

namespace {

constexpr double Glass = 1.5;
constexpr double Air = 1.0;
constexpr double TwoPi = 2.0 * Pi;

struct Lattice {
    double K1[2], K2[2];
};

// The per-position lattice vectors as the file states them (rows = position
// number - 1, x values first).
std::vector<Lattice> latticeOfFile()
{
    std::ifstream in(std::string(QUELBRANT_DATA_DIR) + "/grating-2d-positions.json");
    const nlohmann::json doc = nlohmann::json::parse(in);
    const std::vector<double> k1 = doc["reciprocal_lattice_vector_1"]["_data"];
    const std::vector<double> k2 = doc["reciprocal_lattice_vector_2"]["_data"];
    const size_t P = k1.size() / 2;
    std::vector<Lattice> lattice(P);
    for (size_t p = 0; p < P; ++p)
        lattice[p] = {{k1[p], k1[P + p]}, {k2[p], k2[P + p]}};
    return lattice;
}

class PositionData : public ::testing::Test {
protected:
    static void SetUpTestSuite() { surface = loadSample("grating-2d-positions.json").release(); }
    static void TearDownTestSuite()
    {
        delete surface;
        surface = nullptr;
    }
    static GratingSurface* surface;

    // A normally incident ray from air at the hit point (mm).
    static TestRay fromAirAt(double xMm, double yMm, double lambdaNm = 450.0)
    {
        TestRay ray;
        ray.polar(0.0, 0.0, false).media(Air, Glass).wavelength(lambdaNm).at(xMm, yMm);
        return ray;
    }
};

GratingSurface* PositionData::surface = nullptr;

// The transmitted (1, 0) and (0, 1) orders at normal incidence leave along
// K1 and K2 of the hit point: u = K / (2 pi n_glass / lambda).
TEST_F(PositionData, OrdersFollowTheLatticeVectorsOfTheHitPoint)
{
    const std::vector<Lattice> lattice = latticeOfFile();
    ASSERT_EQ(lattice.size(), 5u);
    struct Case {
        double x, y;       // mm
        double weight[5];  // bilinear weights of the five positions
    };
    const Case cases[] = {
        {-4.0, -3.0, {1, 0, 0, 0, 0}},
        {0.0, -3.0, {0, 1, 0, 0, 0}},
        {4.0, -3.0, {0, 0, 1, 0, 0}},
        {-4.0, 3.0, {0, 0, 0, 1, 0}},
        {0.0, 3.0, {0, 0, 0, 0, 1}},
        {-2.0, -3.0, {0.5, 0.5, 0, 0, 0}},
        {-3.0, 1.5, {0.1875, 0.0625, 0, 0.5625, 0.1875}},
    };
    const double kGlass = TwoPi * Glass / 450e-9;
    for (const Case& c : cases) {
        double K1[2] = {0, 0}, K2[2] = {0, 0};
        for (size_t p = 0; p < 5; ++p)
            for (int i = 0; i < 2; ++i) {
                K1[i] += c.weight[p] * lattice[p].K1[i];
                K2[i] += c.weight[p] * lattice[p].K2[i];
            }
        for (int which = 0; which < 2; ++which) {
            TestRay ray = fromAirAt(c.x, c.y);
            const std::vector<int> order = which == 0 ? std::vector<int>{1, 0} : std::vector<int>{0, 1};
            ASSERT_EQ(trace(*surface, ray, order, false, true), 6) << c.x << " " << c.y;
            const double* K = which == 0 ? K1 : K2;
            EXPECT_NEAR(ray.direction[0], K[0] / kGlass, 1e-12) << c.x << " " << c.y;
            EXPECT_NEAR(ray.direction[1], K[1] / kGlass, 1e-12) << c.x << " " << c.y;
            EXPECT_LT(ray.direction[2], 0.0);
        }
    }
}

// Rays the position grid has no data for are refracted as at a bare
// interface: outside the grid, and in the half of the cell at the hole.
TEST_F(PositionData, HoleAndOutsideFallBackToFresnelRefraction)
{
    struct Case {
        double x, y;
        bool fallback;
    };
    const Case cases[] = {
        {3.5, 2.5, true},    // in the hole's half cell
        {4.0, 3.0, true},    // on the hole
        {4.5, 0.0, true},    // beyond pos_x
        {0.0, -3.5, true},   // beyond pos_y
        {1.0, -2.0, false},  // the other half of that cell
        {2.0, 0.0, false},   // on the cell's diagonal
        {0.2, 2.7, false},   // on it too, where the areas round the other way
        {0.9, 1.65, false},  // likewise
        {4.0, -3.0, false},  // last pos_x value: inside
    };
    for (const Case& c : cases) {
        TestRay ray = fromAirAt(c.x, c.y);
        ray.polar(20.0, 30.0, false).field({0.3, 0.4}, {0.5, -0.2});
        TestRay fresnel = ray;
        const int result = trace(*surface, ray, {1, 0}, false, true);
        if (!c.fallback) {
            EXPECT_EQ(result, 6) << c.x << " " << c.y;
            continue;
        }
        EXPECT_EQ(result, 1) << c.x << " " << c.y;
        BsdfPluginInteraction_V2& f = fresnel.record;
        refraction(f.n1, f.n2, fresnel.direction[0], fresnel.direction[1], fresnel.direction[2], f.esr, f.esi,
                   f.epr, f.epi, f.energy, false, true, 0.5);
        EXPECT_TRUE(sameRecord(ray, fresnel)) << c.x << " " << c.y;
        // Snell: the in-plane direction shrinks by n_air / n_glass.
        EXPECT_NEAR(ray.direction[0], std::sin(20.0 * Pi / 180) * std::cos(Pi / 6) / Glass, 1e-12);
    }
}

TEST(PositionGridEdge, HitPointOnTheLastNodeThroughTheUnitChangeIsServed)
{
    std::ifstream in(std::string(QUELBRANT_DATA_DIR) + "/grating-2d-positions.json");
    nlohmann::json doc = nlohmann::json::parse(in);
    doc["spatial_variation_or_parameter_scan"]["pos_x"]["_data"] = {-0.004, 0.0, 0.0013};  // 1.3e-3 rounds up
    const auto surface = loadFile(writeTemporaryFile("short-x.json", doc));
    for (double x : {1.3, 1.2999999999}) {
        TestRay ray;
        ray.polar(0.0, 0.0, false).media(Air, Glass).wavelength(450.0).at(x, -3.0);
        EXPECT_EQ(trace(*surface, ray, {1, 0}, false, true), 6) << x;
    }
}

TEST_F(PositionData, HoleReflectsFourPercentAtNormalIncidence)
{
    seedCallingThreadGenerator(23);
    const size_t N = 200000;
    size_t reflected = 0;
    for (size_t i = 0; i < N; ++i) {
        TestRay ray = fromAirAt(3.8, 2.9);
        const int result = trace(*surface, ray);
        ASSERT_TRUE(result == 1 || result == -1);
        reflected += result == -1;
    }
    EXPECT_TRUE(frequencyMatches(reflected, N, 0.04));
}

// Absolute order powers from requested orders (energy times power on a
// lossy side) add up to what the coating leaves; random rays are lost with
// the absorbed share.
TEST_F(PositionData, LossySideLosesTheAbsorbedShare)
{
    const std::vector<std::pair<int, int>> orders = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    struct Case {
        double lambdaNm, absorbed;
    };
    for (const Case& c : {Case{450.0, 0.05}, Case{650.0, 0.07}}) {
        double total = 0.0;
        for (bool reflected : {true, false})
            for (const auto& o : orders) {
                TestRay ray = fromAirAt(-4.0, 3.0, c.lambdaNm);
                const int result = trace(*surface, ray, {o.first, o.second}, reflected, !reflected);
                if (result == 0)
                    continue;  // evanescent
                EXPECT_EQ(result, reflected ? -6 : 6);
                total += ray.record.energy;
            }
        EXPECT_NEAR(total, 1.0 - c.absorbed, 1e-9) << c.lambdaNm;

        seedCallingThreadGenerator(31);
        const size_t N = 200000;
        size_t lost = 0;
        for (size_t i = 0; i < N; ++i) {
            TestRay ray = fromAirAt(-4.0, 3.0, c.lambdaNm);
            const int result = trace(*surface, ray);
            if (result == 0) {
                ++lost;
                ASSERT_TRUE(sameRecord(ray, fromAirAt(-4.0, 3.0, c.lambdaNm)));
            }
        }
        EXPECT_TRUE(frequencyMatches(lost, N, 1.0 - total)) << c.lambdaNm;
    }
}

TEST_F(PositionData, RequestedOrderWithBothFamiliesTakesTheReflectedOne)
{
    TestRay reflectedOnly = fromAirAt(-1.0, -1.0);
    ASSERT_EQ(trace(*surface, reflectedOnly, {-1, 0}, true, false), -6);
    seedCallingThreadGenerator(5);
    for (int i = 0; i < 50; ++i) {
        TestRay both = fromAirAt(-1.0, -1.0);
        ASSERT_EQ(trace(*surface, both, {-1, 0}, true, true), -6);
        EXPECT_TRUE(sameRecord(both, reflectedOnly));
    }
    // An order the lists do not hold gives no ray, record untouched.
    TestRay unlisted = fromAirAt(-1.0, -1.0);
    EXPECT_EQ(trace(*surface, unlisted, {2, 0}, true, true), 0);
    EXPECT_TRUE(sameRecord(unlisted, fromAirAt(-1.0, -1.0)));
}

}  // namespace
