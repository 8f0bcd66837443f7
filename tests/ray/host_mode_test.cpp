// The lens-design host's mode (surface built with taldocall): the index
// check, the scan parameters, its own interpolation switch, and the draw
// weighed against the incident power. Also the interpolation flags of a
// file outside that mode.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"

using namespace quelbrant;

namespace {

constexpr double Glass = 1.5;
constexpr double Air = 1.0;

TEST(HostMode, IndexCheckStopsRaysWhoseMediaAreNotTheSurfaces)
{
    std::unique_ptr<GratingSurface> surface = loadSample("bare-interface.json", true);
    TestRay ray;
    ray.polar(10.0, 0.0, false).media(1.33, Glass);
    const TestRay before = ray;
    try {
        trace(*surface, ray, {}, true, true, {1.0, 0.0, 0.0, 0.0});
        ADD_FAILURE() << "no error";
    } catch (int index) {
        EXPECT_EQ(
            errorText(index),
            "Index not match and stop tracing.In JSON: 1.5 at -z and 1 at +z.In Taldo setting: 1.5 at -z "
            "and 1.33 at +z.");
    }
    EXPECT_TRUE(sameRecord(ray, before));
    // Check off, or no parameters at all (missing values read as 0): traced.
    EXPECT_NE(trace(*surface, ray, {}, true, true, {0.0, 0.0, 0.0, 0.0}), 0);
    ray = before;
    EXPECT_NE(trace(*surface, ray, {}, true, true, {}), 0);
    // Matching media pass the check, a grazing ray compares nothing.
    ray = before;
    ray.media(Air, Glass);
    EXPECT_NE(trace(*surface, ray, {}, true, true, {1.0}), 0);
    ray = before;
    ray.towards(1.0, 0.0, 0.0);
    EXPECT_NO_THROW(trace(*surface, ray, {}, true, true, {1.0}));
}

TEST(HostMode, ParametersAreNotReadOutsideTheMode)
{
    std::unique_ptr<GratingSurface> surface = loadSample("bare-interface.json", false);
    TestRay ray;
    ray.polar(10.0, 0.0, false).media(1.33, Glass);
    EXPECT_NO_THROW(trace(*surface, ray, {}, true, true, {1.0, 0.0, 0.0, 0.0}));
}

// Four scan points, each with its own grating period along x.
std::string scanFile()
{
    SyntheticGrating g;
    g.positionKind = "PAR_SCAN";
    g.first = {0.0, 1.0};
    g.second = {10.0, 20.0};
    g.indexMapRows = {{1, 2}, {3, 4}};
    for (double period : {1.0e-6, 1.2e-6, 1.5e-6, 2.0e-6})
        g.K1PerPosition.push_back({2 * Pi / period, 0.0});
    g.K2PerPosition.assign(4, {0.0, 0.0});
    g.ordersT = {{0, 0}, {1, 0}};
    g.value = [](int, bool transmitted, size_t, size_t, size_t, size_t, size_t k, size_t o, size_t i) {
        return Complex(transmitted && k == 1 && o == i ? 0.8 : 0.0, 0.0);
    };
    return g.write("parameter-scan.json");
}

TEST(HostMode, ScanParametersSelectTheScanPoint)
{
    std::unique_ptr<GratingSurface> surface = loadFile(scanFile(), true);
    struct Case {
        double par1, par2, period;
    };
    const Case cases[] = {{0.0, 10.0, 1.0e-6}, {1.0, 10.0, 1.2e-6}, {0.0, 20.0, 1.5e-6}, {1.0, 20.0, 2.0e-6}};
    for (const Case& c : cases) {
        TestRay ray;
        ray.polar(0.0, 0.0, false).media(Air, Glass).wavelength(600.0);
        const int result = trace(*surface, ray, {1, 0}, false, true, {0.0, c.par1, c.par2, 0.0});
        ASSERT_EQ(result, 6);
        EXPECT_NEAR(ray.direction[0], 600e-9 / c.period / Glass, 1e-12);
        EXPECT_NEAR(ray.record.energy, 0.64, 1e-12);
    }
    // Beyond the scanned range the surface refracts.
    TestRay ray;
    ray.polar(0.0, 0.0, false).media(Air, Glass).wavelength(600.0);
    EXPECT_EQ(trace(*surface, ray, {1, 0}, false, true, {0.0, 1.5, 10.0, 0.0}), 1);
    EXPECT_EQ(ray.direction[0], 0.0);
    // Scan parameters that are not numbers are an error.
    ray = TestRay();
    ray.polar(0.0, 0.0, false).media(Air, Glass);
    EXPECT_THROW(trace(*surface, ray, {1, 0}, false, true, {0.0, std::nan(""), 10.0, 0.0}), int);
}

// The host weighs the draw against the incident power |E|^2: a lossy
// surface loses the same share of a weak ray as of a unit one, and a
// lossless requested order carries power * inPower / totalPower.
TEST(HostMode, DrawIsWeighedAgainstTheIncidentPower)
{
    std::unique_ptr<GratingSurface> lossy = loadSample("grating-2d-positions.json", true);
    auto ray = [] {
        TestRay r;
        r.polar(0.0, 0.0, false).media(Air, Glass).wavelength(450.0).at(-4.0, 3.0).field(0.5, {0.0, 0.5});
        return r;
    };
    seedCallingThreadGenerator(3);
    const size_t N = 200000;
    size_t lost = 0;
    for (size_t i = 0; i < N; ++i) {
        TestRay r = ray();
        lost += trace(*lossy, r, {}, true, true, {0.0, 0.0, 0.0, 0.0}) == 0;
    }
    EXPECT_TRUE(frequencyMatches(lost, N, 0.05));

    std::unique_ptr<GratingSurface> lossless = loadSample("grating-1d.json", true);
    TestRay unit;
    unit.polar(20.0, 0.0, true).media(Glass, Air).wavelength(550.0).field(1.0, 0.0);
    TestRay half = unit;
    half.field(std::sqrt(0.5), 0.0);
    ASSERT_EQ(trace(*lossless, unit, {1, 0}, true, false, {0.0, 0.0, 0.0, 0.0}), 1);
    ASSERT_EQ(trace(*lossless, half, {1, 0}, true, false, {0.0, 0.0, 0.0, 0.0}), 1);
    // The share of the total is the same; the host's energy is scaled by the
    // incident power as well.
    EXPECT_NEAR(half.record.energy, 0.5 * unit.record.energy, 1e-12);
    EXPECT_GT(unit.record.energy, 0.0);
}

// A table whose reflected (0, 0) amplitude is a(theta, lambda) = 0.1 + 0.004
// theta + 0.5 (lambda - 500 nm) / 100 nm on theta 0/30/60/89, 500/600 nm:
// a requested order on this lossy side returns energy |a|^2, which shows
// which axes were interpolated.
std::string rampFile(bool interpTheta, bool interpWavelength)
{
    SyntheticGrating g;
    g.interpTheta = interpTheta;
    g.interpWavelength = interpWavelength;
    g.value = [g](int, bool transmitted, size_t, size_t it, size_t, size_t il, size_t, size_t o, size_t i) {
        if (transmitted || o != i)
            return Complex();
        return Complex(0.1 + 0.004 * g.theta[it] + 0.5 * il, 0.0);
    };
    return g.write(std::string("ramp-") + (interpTheta ? "t" : "nt") + (interpWavelength ? "w" : "nw") +
                   ".json");
}

double rampPower(GratingSurface& surface, double thetaDeg, double lambdaNm,
                 const std::vector<double>& params = {})
{
    TestRay ray;
    ray.polar(thetaDeg, 0.0, false).media(Air, Glass).wavelength(lambdaNm);
    EXPECT_EQ(trace(surface, ray, {0, 0}, true, false, params), -6);
    return ray.record.energy;
}

double square(double a)
{
    return a * a;
}

TEST(InterpolationFlags, EachFlagSelectsNearestNodesOnItsOwnAxis)
{
    // theta 45 (between 30 and 60), wavelength 530 nm (30 % toward 600).
    const double interpolated = square(0.1 + 0.004 * 45.0 + 0.5 * 0.3);
    const double nearestTheta = square(0.1 + 0.004 * 60.0 + 0.5 * 0.3);  // midway: the upper node
    const double nearestWavelength = square(0.1 + 0.004 * 45.0);
    const double nearestBoth = square(0.1 + 0.004 * 60.0);
    std::unique_ptr<GratingSurface> all = loadFile(rampFile(true, true));
    std::unique_ptr<GratingSurface> noWavelength = loadFile(rampFile(true, false));
    std::unique_ptr<GratingSurface> noTheta = loadFile(rampFile(false, true));
    std::unique_ptr<GratingSurface> neither = loadFile(rampFile(false, false));
    EXPECT_NEAR(rampPower(*all, 45.0, 530.0), interpolated, 1e-12);
    EXPECT_NEAR(rampPower(*noWavelength, 45.0, 530.0), nearestWavelength, 1e-12);
    EXPECT_NEAR(rampPower(*noTheta, 45.0, 530.0), nearestTheta, 1e-12);
    EXPECT_NEAR(rampPower(*neither, 45.0, 530.0), nearestBoth, 1e-12);
}

TEST(InterpolationFlags, HostSwitchKeepsTheInterpolatorsMeaning)
{
    std::unique_ptr<GratingSurface> surface = loadFile(rampFile(true, true), true);
    const double interpolated = square(0.1 + 0.004 * 45.0 + 0.5 * 0.3);
    EXPECT_NEAR(rampPower(*surface, 45.0, 530.0, {0, 0, 0, 0.0}), interpolated, 1e-12);
    EXPECT_NEAR(rampPower(*surface, 45.0, 530.0, {0, 0, 0, 1.0}), square(0.1 + 0.004 * 45.0), 1e-12);
    EXPECT_NEAR(rampPower(*surface, 45.0, 530.0, {0, 0, 0, 2.9}), square(0.1 + 0.004 * 60.0 + 0.15), 1e-12);
    EXPECT_NEAR(rampPower(*surface, 45.0, 530.0, {0, 0, 0, 3.0}), square(0.1 + 0.004 * 60.0), 1e-12);
    EXPECT_NEAR(rampPower(*surface, 45.0, 530.0, {0, 0, 0, 8.0}), interpolated, 1e-12);
    EXPECT_NEAR(rampPower(*surface, 45.0, 530.0, {0, 0, 0, std::numeric_limits<double>::quiet_NaN()}),
                interpolated, 1e-12);
    EXPECT_NEAR(rampPower(*surface, 45.0, 530.0, {0, 0, 0, 1e300}), interpolated, 1e-12);
}

}  // namespace
