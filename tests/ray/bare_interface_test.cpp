// A flat glass/air interface given as a table (bare-interface.json: glass
// n = 1.5 below, air above, zeroth order only) must behave like the textbook
// Fresnel interface and like the library's own Fresnel fallback.

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

class BareInterface : public ::testing::Test {
protected:
    static void SetUpTestSuite() { surface = loadSample("bare-interface.json").release(); }
    static void TearDownTestSuite()
    {
        delete surface;
        surface = nullptr;
    }
    static GratingSurface* surface;
};

GratingSurface* BareInterface::surface = nullptr;

TEST_F(BareInterface, NormalIncidenceFromAirReflectsFourPercent)
{
    seedCallingThreadGenerator(101);
    const size_t N = 200000;
    size_t reflected = 0;
    for (size_t i = 0; i < N; ++i) {
        TestRay ray;
        ray.polar(0.0, 0.0, false).media(Air, Glass).field(1.0, 0.0);
        const int result = trace(*surface, ray);
        ASSERT_TRUE(result == -1 || result == 1) << result;
        // Energy is carried by the choice, not by a weight.
        ASSERT_EQ(ray.record.energy, 1.0);
        if (result == -1) {
            ++reflected;
            ASSERT_EQ(ray.direction[2], 1.0);
            ASSERT_NEAR(ray.es().real(), -1.0, 1e-12);  // rs = (1 - 1.5) / 2.5 < 0
        } else {
            ASSERT_EQ(ray.direction[2], -1.0);
            ASSERT_NEAR(ray.es().real(), 1.0, 1e-12);
        }
    }
    // ((1.5 - 1) / (1.5 + 1))^2
    EXPECT_TRUE(frequencyMatches(reflected, N, 0.04));
}

// A requested order on a lossless side gives its share of the total power:
// R of the reflected (0, 0) order, T of the transmitted one.
double tableReflectance(GratingSurface& surface, double thetaDeg, double phiDeg, bool fromGlass, Complex es,
                        Complex ep)
{
    TestRay ray;
    ray.polar(thetaDeg, phiDeg, fromGlass).field(es, ep).wavelength(620.0);
    ray.media(fromGlass ? Glass : Air, fromGlass ? Air : Glass);
    const int result = trace(surface, ray, {0, 0}, true, false);
    EXPECT_EQ(result, 1);
    return ray.record.energy;
}

TEST_F(BareInterface, RequestedReflectedOrderCarriesTheTextbookReflectance)
{
    struct Case {
        double theta;
        bool fromGlass;
        double tolerance;
    };
    // At table nodes the values are exact; between nodes (linear in the
    // amplitudes over 1 degree) within a few 1e-4 of the curved Fresnel law.
    const Case cases[] = {{0.0, false, 1e-12},  {30.0, false, 1e-12}, {56.0, false, 1e-12},
                          {75.0, false, 1e-12}, {47.5, false, 5e-4},  {10.0, true, 1e-12},
                          {25.0, true, 1e-12},  {41.0, true, 1e-12},  {33.3, true, 5e-4}};
    for (const Case& c : cases) {
        const double n1 = c.fromGlass ? Glass : Air;
        const double n2 = c.fromGlass ? Air : Glass;
        const double cosIn = std::cos(c.theta * Pi / 180.0);
        EXPECT_NEAR(tableReflectance(*surface, c.theta, 70.0, c.fromGlass, 1.0, 0.0),
                    fresnelRs(n1, n2, cosIn), c.tolerance)
            << "s, theta " << c.theta << (c.fromGlass ? " from glass" : " from air");
        EXPECT_NEAR(tableReflectance(*surface, c.theta, 200.0, c.fromGlass, 0.0, 1.0),
                    fresnelRp(n1, n2, cosIn), c.tolerance)
            << "p, theta " << c.theta << (c.fromGlass ? " from glass" : " from air");
    }
}

TEST_F(BareInterface, BrewsterAngleReflectsNoPPolarisedLight)
{
    const double brewster = std::atan(Glass / Air) * 180.0 / Pi;  // 56.31 degrees
    EXPECT_LT(tableReflectance(*surface, brewster, 0.0, false, 0.0, 1.0), 1e-6);
    EXPECT_GT(tableReflectance(*surface, brewster, 0.0, false, 1.0, 0.0), 0.14);
}

// The same ray through the table and through refraction(), one branch
// allowed at a time: same direction and same unit-power field.
TEST_F(BareInterface, TablePathAgreesWithTheFresnelFallback)
{
    const double thetas[] = {0.0, 12.0, 41.0, 60.0, 88.0};
    for (bool fromGlass : {false, true}) {
        for (double theta : thetas) {
            if (fromGlass && theta > 41.0)
                continue;  // total internal reflection: only the reflected branch exists
            for (bool reflect : {true, false}) {
                TestRay ray;
                ray.polar(theta, 30.0, fromGlass).field({0.6, 0.1}, {0.0, -0.79});
                ray.media(fromGlass ? Glass : Air, fromGlass ? Air : Glass);
                TestRay fallback = ray;
                const int result = trace(*surface, ray, {}, reflect, !reflect);
                EXPECT_EQ(result, reflect ? -1 : 1);
                BsdfPluginInteraction_V2& f = fallback.record;
                refraction(f.n1, f.n2, fallback.direction[0], fallback.direction[1], fallback.direction[2],
                           f.esr, f.esi, f.epr, f.epi, f.energy, reflect, !reflect, 0.5);
                for (int i = 0; i < 3; ++i)
                    EXPECT_NEAR(ray.direction[i], fallback.direction[i], 1e-12)
                        << "theta " << theta << " component " << i;
                EXPECT_NEAR(std::abs(ray.es() - fallback.es()), 0.0, 1e-9) << "theta " << theta;
                EXPECT_NEAR(std::abs(ray.ep() - fallback.ep()), 0.0, 1e-9) << "theta " << theta;
            }
        }
    }
}

}  // namespace

namespace {

// bare-interface.json with the file's flag that lets the direction alone
// decide the side.
std::string bareInterfaceDecidingByDirection()
{
    std::ifstream in(std::string(QUELBRANT_DATA_DIR) + "/bare-interface.json");
    nlohmann::json doc = nlohmann::json::parse(in);
    doc["orvik"]["detect_ray_direction_from_surface_normal"] = 1;
    return writeTemporaryFile("bare-interface-by-direction.json", doc);
}

// A ray travelling toward -z (from above by its direction) that reports the
// glass as its medium: by its media it meets the glass side's data (the
// glass-to-air reflectance), by its direction the air side's (air to glass).
TEST(SideDetection, MediaDecideUnlessTheFileLetsTheDirectionDecide)
{
    std::unique_ptr<GratingSurface> byMedia = loadSample("bare-interface.json");
    std::unique_ptr<GratingSurface> byDirection = loadFile(bareInterfaceDecidingByDirection());
    const double cos30 = std::cos(30.0 * Pi / 180.0);
    for (bool fileSaysDirection : {false, true}) {
        TestRay ray;
        ray.polar(30.0, 0.0, false).media(Glass, Air).field(1.0, 0.0);
        ASSERT_EQ(trace(fileSaysDirection ? *byDirection : *byMedia, ray, {0, 0}, true, false), 1);
        const double expected =
            fileSaysDirection ? fresnelRs(Air, Glass, cos30) : fresnelRs(Glass, Air, cos30);
        EXPECT_NEAR(ray.record.energy, expected, 1e-12) << fileSaysDirection;
        EXPECT_GT(ray.direction[2], 0.0);  // reflected back up
    }
}

TEST(InertMembers, BsdfAndDataQueriesAnswerZeroAndReadNothing)
{
    std::unique_ptr<GratingSurface> surface = loadSample("bare-interface.json");
    EXPECT_EQ(surface->BSDF_V2(nullptr), 0.0);
    EXPECT_EQ(surface->DataUpdate_V2(nullptr), 0);
}

}  // namespace
