// Rays the interaction fuzzer found, kept as regression tests. Each was
// traced against a shipped sample (in the lens-design host's mode where the
// fuzzer used it) and once gave the host a ray that was not a finite number
// or carried the wrong sign.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"
#include "ray/InteractionRayRecord.h"

using namespace quelbrant;

namespace {

bool finiteRay(const TestRay& ray)
{
    const BsdfPluginInteraction_V2& r = ray.record;
    for (double v :
         {ray.direction[0], ray.direction[1], ray.direction[2], r.esr, r.esi, r.epr, r.epi, r.energy}) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

double length(const double* d)
{
    return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

// The scan parameters the lens-design host passes for a hit point (mm).
std::vector<double> hostParams(double xMm, double yMm)
{
    return {0.0, 0.001 * xMm, 0.001 * yMm, 0.0};
}

}  // namespace

TEST(RegressionFuzzInteraction, FieldWhosePowerOverflowsIsRefusedNotTracedToInfiniteEnergy)
{
    // Each part of the field is finite, its power |Ep|^2 = 4e608 is not: the
    // fallback's total internal reflection once wrote energy infinity.
    auto surface = loadSample("grating-2d-positions.json", true);
    TestRay ray;
    ray.towards(5.3116782168927956e-12, 0.89442262869467193, 0.44722271999409097)
        .media(1.5, 1.0)
        .wavelength(491.76330566406449)
        .field(1.0, Complex(0.0, -2.0650492039825876e+304))
        .at(-2.3377182483781809, 3.970588235416443);
    const TestRay before = ray;
    try {
        trace(*surface, ray, {}, true, true, hostParams(-2.3377182483781809, 3.970588235416443));
        ADD_FAILURE() << "traced";
    } catch (int index) {
        EXPECT_EQ(
            errorText(index),
            "Ray not traced (Interaction_V2): the power of the field (esr, esi, epr, epi) is not a finite "
            "number.");
    }
    EXPECT_TRUE(sameRecord(ray, before));
}

TEST(RegressionFuzzInteraction, DirectionOfAnyLengthIsTakenAsItsUnitVector)
{
    // A direction of length 1.7e308 once made the fallback's Fresnel
    // products overflow into NaN fields; any finite non-zero direction now
    // traces exactly as its unit vector does.
    auto surface = loadSample("bare-interface.json");
    for (const double scale : {1.6923595527414769e+308, 2.0, 0.5, 1e-300}) {
        TestRay unit, scaled;
        unit.polar(20.0, 30.0, true).media(1.5, 1.0).wavelength(550.0).field(0.6, 0.8);
        scaled = unit;
        for (int i = 0; i < 3; ++i)
            scaled.direction[i] = unit.direction[i] * scale;
        seedCallingThreadGenerator(42);
        const int unitResult = trace(*surface, unit);
        seedCallingThreadGenerator(42);
        const int scaledResult = trace(*surface, scaled);
        EXPECT_EQ(scaledResult, unitResult) << scale;
        EXPECT_TRUE(finiteRay(scaled)) << scale;
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(scaled.direction[i], unit.direction[i], 1e-12) << scale;
        EXPECT_EQ(scaled.record.esr, unit.record.esr) << scale;
        EXPECT_EQ(scaled.record.energy, unit.record.energy) << scale;
    }
    // The fuzzer's own ray: reflection only, off the position grid.
    auto positions = loadSample("grating-2d-positions.json", true);
    TestRay huge;
    huge.towards(0.0031399586134439762, 0.097413766094045895, 1.6923595527414769e+308)
        .media(1.0, 1.5)
        .wavelength(550.0)
        .at(3.3647430930286717, -4.4999999989773301);
    const int result =
        trace(*positions, huge, {-3, -1}, true, false, hostParams(3.3647430930286717, -4.4999999989773301));
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(finiteRay(huge));
    EXPECT_NEAR(length(huge.direction), 1.0, 1e-12);
}

TEST(RegressionFuzzInteraction, IndicesNearTheLargestDoubleGiveAnErrorNotNaN)
{
    // Wave numbers 2 pi n / lambda overflow: the orders were built from
    // infinities and the host received NaN fields.
    auto surface = loadSample("grating-kvector.json", true);
    TestRay ray;
    ray.towards(0.10245535714636524, -0.65571428573548673, 0.74802518358302028)
        .media(1.2478105289044308e+308, 1.2478105616799882e+308)
        .wavelength(450.00000001456903)
        .field(1.0, 0.0);
    const TestRay before = ray;
    try {
        const int result = trace(*surface, ray, {}, true, true, {0.0, 0.0, 0.0});
        EXPECT_TRUE(finiteRay(ray)) << "result " << result;
    } catch (int index) {
        EXPECT_EQ(errorText(index),
                  "Ray not traced (Interaction_V2): the outgoing ray is not a finite number; an index, the "
                  "wavelength, the field or the energy is beyond the range the computation can hold.");
        EXPECT_TRUE(sameRecord(ray, before));
    }
}

TEST(RegressionFuzzInteraction, GrazingRayOffTheGridIsReportedWithTheSignOfItsWay)
{
    // z components of 1e-170 before and after the fallback: their product
    // underflows to -0, and a reflected ray was once reported as +1.
    auto surface = loadSample("grating-2d-positions.json");
    int reflected = 0;
    for (int seed = 0; seed < 20; ++seed) {
        TestRay ray;
        ray.towards(1.0, 0.0, -1e-170).media(1.0, 1.5).wavelength(550.0).field(1.0, 0.0).at(6.0, 4.5);
        seedCallingThreadGenerator(seed);
        const int result = trace(*surface, ray);
        ASSERT_TRUE(result == 1 || result == -1);
        EXPECT_EQ(result<0, ray.direction[2]> 0.0) << "seed " << seed << " z " << ray.direction[2];
        reflected += result < 0;
    }
    EXPECT_GT(reflected, 0);  // at grazing incidence nearly every ray is reflected
}

TEST(RegressionFuzzInteraction, NormaliseDirectionScalesWithoutOverflowAndKeepsUnitVectors)
{
    struct Case {
        double in[3];
        double out[3];
    };
    const Case cases[] = {
        {{0.0, 0.0, 2.0}, {0.0, 0.0, 1.0}},
        {{1e308, 1e308, 0.0}, {0.70710678118654757, 0.70710678118654757, 0.0}},
        {{-4.9e-324, 0.0, 0.0}, {-1.0, 0.0, 0.0}},
        {{3e-200, 0.0, -4e-200}, {0.6, 0.0, -0.8}},
    };
    for (const Case& c : cases) {
        double d[3] = {c.in[0], c.in[1], c.in[2]};
        normaliseDirection(d);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(d[i], c.out[i], 1e-15) << c.in[0] << " " << c.in[1] << " " << c.in[2];
    }
    // Within rounding of length 1: left bit for bit.
    double unit[3] = {0.6, 0.0, 0.8000000000000002};
    normaliseDirection(unit);
    EXPECT_EQ(unit[2], 0.8000000000000002);
}
