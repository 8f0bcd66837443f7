// The small pieces of the ray path: azimuth range, sums, side detection,
// the index check, positions, coordinates and the switch word.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ray/InteractionCoordinates.h"
#include "ray/InteractionNumerics.h"
#include "ray/InteractionParameters.h"
#include "ray/InteractionPosition.h"
#include "ray/InteractionSide.h"

using namespace quelbrant;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();
constexpr double Pi = 3.141592653589793;

TEST(AzimuthalRange, MovesByWholeTurnsIntoTheAxisTurn)
{
    struct Case {
        double phi, minPhi, expected;
    };
    const Case cases[] = {
        {-90.0, 0.0, 270.0},      {450.0, 0.0, 90.0},      {360.0, 0.0, 0.0},   {0.0, 0.0, 0.0},
        {-180.0, -180.0, -180.0}, {180.0, -180.0, -180.0}, {10.0, 45.0, 370.0}, {-720.5, 0.0, 359.5},
        {-1e-13, 0.0, -1e-13},  // within the tolerance below the lower end: kept
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(bringIntoAzimuthalRangeInDegrees(c.phi, c.minPhi), c.expected)
            << c.phi << " " << c.minPhi;
}

TEST(AzimuthalRange, JustBelowTheToleranceGoesUpOneTurn)
{
    EXPECT_NEAR(bringIntoAzimuthalRangeInDegrees(-1e-9, 0.0), 360.0, 1e-6);
}

TEST(Sum, AddsFromTheFirstElementStartingAtZero)
{
    EXPECT_EQ(sum({}), 0.0);
    EXPECT_EQ(sum({0.25, 0.5, 0.125}), 0.875);
    // Left to right: 1e16 + 1 is lost, then 1 more is lost again.
    EXPECT_EQ(sum({1e16, 1.0, 1.0}), 1e16);
}

TEST(HalfSpace, TravellingTowardPlusZComesFromBelow)
{
    EXPECT_EQ(halfSpaceFromDirection(0.3), 0u);
    EXPECT_EQ(halfSpaceFromDirection(-0.3), 1u);
    EXPECT_EQ(halfSpaceFromDirection(0.0), 1u);
    EXPECT_EQ(halfSpaceFromDirection(-0.0), 1u);
}

TEST(HalfSpace, IndicesPickTheNearerPairing)
{
    // The two squared distances differ by 2 (nUpper - nLower)(n1 - n2), so
    // with different indices on both sides one pairing is always nearer.
    struct Case {
        double nLower, nUpper, n1, n2;
        size_t byDirection, expected;
    };
    const Case cases[] = {
        {1.5, 1.0, 1.5, 1.0, 1, 0},    // glass-side ray reported as from above
        {1.5, 1.0, 1.0, 1.5, 0, 1},    // air-side ray reported as from below
        {1.5, 1.0, 1.49, 1.01, 1, 0},  // near enough
        {1.5, 1.0, 1.2, 1.3, 0, 1},    // n1 < n2: the upper (lower-index) medium
        {1.5, 1.5, 1.0, 1.5, 0, 0},    // surface with equal indices: direction decides
        {1.5, 1.5, 1.0, 1.5, 1, 1},    //
        {1.5, 1.0, 1.2, 1.2, 1, 1},    // ray with equal indices: direction decides
        {1.5, 1.0, 1.25, 1.25, 0, 0},  //
    };
    for (const Case& c : cases)
        EXPECT_EQ(halfSpaceFromIndices(c.nLower, c.nUpper, c.n1, c.n2, c.byDirection), c.expected)
            << c.nLower << " " << c.nUpper << " " << c.n1 << " " << c.n2;
}

TEST(IndexCheck, ComparesTheSideTheDirectionGives)
{
    EXPECT_TRUE(indicesMatchSurface(1.5, 1.0, 1.5, 1.0, 0.5));
    EXPECT_FALSE(indicesMatchSurface(1.5, 1.0, 1.0, 1.5, 0.5));
    EXPECT_TRUE(indicesMatchSurface(1.5, 1.0, 1.0, 1.5, -0.5));
    EXPECT_FALSE(indicesMatchSurface(1.5, 1.0, 1.5, 1.0, -0.5));
    EXPECT_TRUE(indicesMatchSurface(1.5, 1.0, 1.5 + 0.9e-6, 1.0, 0.5));
    EXPECT_FALSE(indicesMatchSurface(1.5, 1.0, 1.5 + 1.1e-6, 1.0, 0.5));
    // Grazing: nothing is compared.
    EXPECT_TRUE(indicesMatchSurface(1.5, 1.0, 3.0, 4.0, 0.0));
}

TEST(IndexCheck, MessageNamesFileAndRayIndicesInOneLine)
{
    EXPECT_EQ(
        indexMismatchMessage(1.5, 1.0, 1.33, 1.0, 0.2),
        "Index not match and stop tracing.In JSON: 1.5 at -z and 1 at +z.In Taldo setting: 1.33 at -z and 1 "
        "at +z.");
    // From above the ray's n2 is the lower medium.
    EXPECT_EQ(
        indexMismatchMessage(1.5, 1.0, 1.0, 1.4567891, -0.2),
        "Index not match and stop tracing.In JSON: 1.5 at -z and 1 at +z.In Taldo setting: 1.45679 at -z and "
        "1 at +z.");
}

TEST(GridPosition, HitPointInMillimetresBecomesMetres)
{
    GridPosition p;
    ASSERT_TRUE(hitPointOnPositionGrid(GratingSurface::XY, -4.0, 3.0, p));
    EXPECT_DOUBLE_EQ(p.first, -0.004);
    EXPECT_DOUBLE_EQ(p.second, 0.003);
    ASSERT_TRUE(hitPointOnPositionGrid(GratingSurface::RAD_POL, 0.0, 2.0, p));
    EXPECT_DOUBLE_EQ(p.first, 0.002);
    EXPECT_DOUBLE_EQ(p.second, Pi / 2);
    ASSERT_TRUE(hitPointOnPositionGrid(GratingSurface::RAD_POL, -3.0, -4.0, p));
    EXPECT_DOUBLE_EQ(p.first, 0.005);
    EXPECT_DOUBLE_EQ(p.second, std::atan2(-4.0, -3.0));
    EXPECT_FALSE(hitPointOnPositionGrid(GratingSurface::PAR_SCAN, 1.0, 1.0, p));
    EXPECT_FALSE(hitPointOnPositionGrid(GratingSurface::P_NONE, 1.0, 1.0, p));
}

TEST(GridPosition, EndValuesAreInsideAndSingleValueAxesNeverReject)
{
    const std::vector<double> X = {-0.004, 0.0, 0.004};
    const std::vector<double> Y = {-0.003, 0.003};
    EXPECT_FALSE(isOutsidePositionGrid(X, Y, {-0.004, 0.003}));
    EXPECT_FALSE(isOutsidePositionGrid(X, Y, {0.004, -0.003}));
    EXPECT_TRUE(isOutsidePositionGrid(X, Y, {0.0041, 0.0}));
    EXPECT_TRUE(isOutsidePositionGrid(X, Y, {0.0, -0.0031}));
    EXPECT_FALSE(isOutsidePositionGrid({0.5}, Y, {100.0, 0.0}));
    EXPECT_FALSE(isOutsidePositionGrid(X, {7.0}, {0.0, -100.0}));
}

TEST(RayCoordinates, WavelengthInNanometresBecomesMetres)
{
    const double dir[3] = {0.6, 0.0, 0.8};
    const RayWaveNumbers k = rayWaveNumbers(500.0, 1.5, 1.0, dir);
    EXPECT_DOUBLE_EQ(k.lambda, 500e-9);
    EXPECT_DOUBLE_EQ(k.kIn, 2 * Pi * 1.5 / 500e-9);
    EXPECT_DOUBLE_EQ(k.kOut, 2 * Pi / 500e-9);
    EXPECT_DOUBLE_EQ(k.kInx, 0.6 * k.kIn);
    EXPECT_EQ(k.kIny, 0.0);
}

TEST(RayCoordinates, EachAngleDefinitionReadsItsOwnPair)
{
    const double dir[3] = {0.5 * std::cos(Pi / 3), 0.5 * std::sin(Pi / 3), -std::sqrt(0.75)};
    const RayWaveNumbers k = rayWaveNumbers(600.0, 1.0, 1.5, dir);
    AngleCoordinates a;
    ASSERT_TRUE(angleCoordinatesOfRay(GratingSurface::POLAR, dir, k, 0.0, a));
    EXPECT_NEAR(a.thetaOrUxOrKx, 30.0, 1e-12);
    EXPECT_NEAR(a.phiOrUyOrKy, 60.0, 1e-12);
    ASSERT_TRUE(angleCoordinatesOfRay(GratingSurface::UNIT_VECTOR, dir, k, 0.0, a));
    EXPECT_EQ(a.thetaOrUxOrKx, dir[0]);
    EXPECT_EQ(a.phiOrUyOrKy, dir[1]);
    ASSERT_TRUE(angleCoordinatesOfRay(GratingSurface::K_VECTOR, dir, k, 0.0, a));
    EXPECT_EQ(a.thetaOrUxOrKx, k.kInx);
    EXPECT_EQ(a.phiOrUyOrKy, k.kIny);
    EXPECT_FALSE(angleCoordinatesOfRay(GratingSurface::A_NONE, dir, k, 0.0, a));
}

TEST(RayCoordinates, PolarAzimuthFollowsThePhiAxisAndSteepRaysAreNormal)
{
    const double down[3] = {0.0, -0.5, std::sqrt(0.75)};
    const RayWaveNumbers k = rayWaveNumbers(600.0, 1.0, 1.5, down);
    AngleCoordinates a;
    ASSERT_TRUE(angleCoordinatesOfRay(GratingSurface::POLAR, down, k, 0.0, a));
    EXPECT_NEAR(a.phiOrUyOrKy, 270.0, 1e-12);
    ASSERT_TRUE(angleCoordinatesOfRay(GratingSurface::POLAR, down, k, -180.0, a));
    EXPECT_NEAR(a.phiOrUyOrKy, -90.0, 1e-12);
    const double steep[3] = {0.0, 0.0, -1.0000000001};
    ASSERT_TRUE(angleCoordinatesOfRay(GratingSurface::POLAR, steep, k, 0.0, a));
    EXPECT_EQ(a.thetaOrUxOrKx, 0.0);
}

TEST(InterpolationSwitch, FlagsSetTheBitsTheInterpolatorsRead)
{
    struct Case {
        bool theta, phi, wavelength, position;
        int word;
    };
    const Case cases[] = {
        {true, true, true, true, 0},
        {true, true, false, true, NearestWavelengthNode},
        {false, true, true, true, NearestAngleNodes},
        {true, false, true, true, NearestAngleNodes},
        {true, true, true, false, NearestPositionNodes},
        {false, false, false, false, 7},
    };
    for (const Case& c : cases) {
        const int word = interpolationSwitchFromFlags(c.theta, c.phi, c.wavelength, c.position);
        EXPECT_EQ(word, c.word);
        const NearestNodeAxes nearest = decodeInterpolationSwitch(word);
        EXPECT_EQ(nearest.wavelength, !c.wavelength);
        EXPECT_EQ(nearest.angles, !(c.theta && c.phi));
        EXPECT_EQ(nearest.position, !c.position);
    }
    EXPECT_EQ(NearestWavelengthNode, 1);
    EXPECT_EQ(NearestAngleNodes, 2);
    EXPECT_EQ(NearestPositionNodes, 4);
}

TEST(InterpolationSwitch, WordsOutsideOneToSevenInterpolateEverything)
{
    for (int word : {0, -1, 8, 15, -7}) {
        const NearestNodeAxes nearest = decodeInterpolationSwitch(word);
        EXPECT_FALSE(nearest.wavelength || nearest.angles || nearest.position) << word;
    }
}

TEST(HostParameters, SwitchValueTruncatesTowardZeroAndNonIntegersInterpolateEverything)
{
    EXPECT_EQ(interpolationSwitchFromHostValue(3.9), 3);
    EXPECT_EQ(interpolationSwitchFromHostValue(-1.9), -1);
    EXPECT_EQ(interpolationSwitchFromHostValue(7.0), 7);
    EXPECT_EQ(interpolationSwitchFromHostValue(2147483647.5), 2147483647);
    for (double v : {NaN, Inf, -Inf, 1e10, -1e10, 2147483648.0})
        EXPECT_EQ(interpolationSwitchFromHostValue(v), 0) << v;
}

TEST(HostParameters, ShortListsReadTheMissingValuesAsZero)
{
    const HostRayParameters none = readHostRayParameters({});
    EXPECT_FALSE(none.indexCheck);
    EXPECT_EQ(none.scan.first, 0.0);
    EXPECT_EQ(none.scan.second, 0.0);
    EXPECT_EQ(none.interpolationSwitch, 0);
    const HostRayParameters two = readHostRayParameters({1.0, 0.25});
    EXPECT_TRUE(two.indexCheck);
    EXPECT_EQ(two.scan.first, 0.25);
    EXPECT_EQ(two.scan.second, 0.0);
    const HostRayParameters all = readHostRayParameters({0.0, 1.5, -2.5, 5.0, 99.0});
    EXPECT_FALSE(all.indexCheck);
    EXPECT_EQ(all.scan.first, 1.5);
    EXPECT_EQ(all.scan.second, -2.5);
    EXPECT_EQ(all.interpolationSwitch, 5);
}

}  // namespace
