// The host stand-in's expectation, read from a GPU view, against the grating
// equation and hand-computed powers.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "ExpectedOrders.h"

namespace {

using Wrapper = dirtyGratingWrapper;
constexpr double Pi = 3.141592653589793;

// A one-dimensional grating of period 2 um between two media of index 1,
// polar grid, one wavelength (500 nm), transmitted orders -1, 0, 1 on the
// lower side with diagonal Jones blocks; no reflection.
struct GratingTables {
    std::vector<double> theta, phi{0.0}, lambda{500e-9};
    std::vector<int> tn{-1, 0, 1}, tm{0}, rn{0}, rm{0};
    std::vector<size_t> tDims, rDims;
    std::vector<std::complex<double>> t, r;
    Wrapper view{};

    // amplitudes[theta node][order] for S->S and P->P (S->S only with
    // sOnly); no cross terms.
    GratingTables(std::vector<double> thetaNodes, const std::vector<std::vector<double>>& amplitudes,
                  bool sOnly = false)
        : theta(std::move(thetaNodes))
    {
        const size_t a1 = theta.size();
        tDims = {a1, 1, 1, 3, 1, 2, 2};
        rDims = {a1, 1, 1, 1, 1, 2, 2};
        t.assign(a1 * 3 * 4, 0.0);
        r.assign(a1 * 4, 0.0);
        for (size_t a = 0; a < a1; ++a)
            for (size_t n = 0; n < 3; ++n)
                for (size_t pol = 0; pol < 2; ++pol)
                    if (pol == 0 || !sOnly)
                        t[a + a1 * (n + 3 * (pol + 2 * pol))] = amplitudes[a][n];
        view.mNLower = view.mNUpper = 1.0;
        view.mK1Gx = view.mK1GNorm = 2.0 * Pi / 2e-6;
        view.mAngleDef = 0;
        for (Wrapper::HalfSpace& side : view.mHalfSpaces) {
            side.mLambda = vector2view(lambda);
            side.mPhiOrUyOrKy = vector2view(phi);
            side.mThetaOrUxOrKx = {{0, nullptr}, vector2view(theta)};
            side.m_list_orders_Rn = vector2view(rn);
            side.m_list_orders_Rm = vector2view(rm);
            side.m_list_orders_Tn = vector2view(tn);
            side.m_list_orders_Tm = vector2view(tm);
            side.mR = {vector2view(rDims),
                       {r.size(), reinterpret_cast<const Wrapper::dirtyComplex*>(r.data())}};
            side.mT = {vector2view(tDims),
                       {t.size(), reinterpret_cast<const Wrapper::dirtyComplex*>(t.data())}};
        }
    }
};

IncidentLight sPolarisedFromBelow(double thetaDegrees)
{
    const double theta = thetaDegrees * Pi / 180.0;
    return {{std::sin(theta), 0.0, std::cos(theta)}, 500.0, 1.0, 1.0, false, 1.0, 0.0, false};
}

const ExpectedOrder* findOrder(const ExpectedOutcome& outcome, int n)
{
    for (const ExpectedOrder& order : outcome.orders)
        if (order.n == n && !order.reflected)
            return &order;
    return nullptr;
}

TEST(TraceRaysExpectation, OrdersFollowTheGratingEquation)
{
    const GratingTables g({0.0}, {{std::sqrt(0.2), std::sqrt(0.5), std::sqrt(0.3)}});
    struct Case {
        double theta;
        std::vector<int> propagating;
    };
    // sin(theta_m) = sin(theta) + m * lambda / period, lambda / period = 0.25.
    for (const Case& c : {Case{0.0, {-1, 0, 1}}, Case{30.0, {-1, 0, 1}}, Case{60.0, {-1, 0}}}) {
        const ExpectedOutcome outcome = expectedOutcome(g.view, sPolarisedFromBelow(c.theta));
        ASSERT_TRUE(outcome.known()) << outcome.unknownReason;
        EXPECT_EQ(outcome.orders.size(), c.propagating.size()) << c.theta;
        for (int m : c.propagating) {
            const ExpectedOrder* order = findOrder(outcome, m);
            ASSERT_NE(order, nullptr) << c.theta << " order " << m;
            const double sinThetaM = std::sin(c.theta * Pi / 180.0) + 0.25 * m;
            EXPECT_NEAR(order->direction[0], sinThetaM, 1e-12);
            EXPECT_NEAR(order->direction[2], std::sqrt(1.0 - sinThetaM * sinThetaM), 1e-12);
        }
    }
}

TEST(TraceRaysExpectation, SharesAreTablePowersAndTheRestIsLost)
{
    const GratingTables lossy({0.0}, {{std::sqrt(0.1), std::sqrt(0.4), std::sqrt(0.3)}});
    const ExpectedOutcome outcome = expectedOutcome(lossy.view, sPolarisedFromBelow(0.0));
    EXPECT_NEAR(findOrder(outcome, -1)->share, 0.1, 1e-12);
    EXPECT_NEAR(findOrder(outcome, 0)->share, 0.4, 1e-12);
    EXPECT_NEAR(findOrder(outcome, 1)->share, 0.3, 1e-12);
    EXPECT_NEAR(outcome.lostShare, 0.2, 1e-12);

    // A lossless side sends every ray somewhere, in proportion to power.
    GratingTables lossless({0.0}, {{std::sqrt(0.1), std::sqrt(0.4), std::sqrt(0.3)}});
    lossless.view.mHalfSpaces[0].mLossless = true;
    const ExpectedOutcome renormalised = expectedOutcome(lossless.view, sPolarisedFromBelow(0.0));
    EXPECT_NEAR(findOrder(renormalised, 0)->share, 0.5, 1e-12);
    EXPECT_EQ(renormalised.lostShare, 0.0);
}

TEST(TraceRaysExpectation, AmplitudesAreInterpolatedBetweenAngleNodes)
{
    // Amplitude 0.2 at 0 degrees, 0.6 at 20: 0.4 at 10 degrees, power 0.16;
    // beyond the last node the table is held, not extrapolated.
    const GratingTables g({0.0, 20.0}, {{0.0, 0.2, 0.0}, {0.0, 0.6, 0.0}});
    EXPECT_NEAR(findOrder(expectedOutcome(g.view, sPolarisedFromBelow(10.0)), 0)->share, 0.16, 1e-12);
    EXPECT_NEAR(findOrder(expectedOutcome(g.view, sPolarisedFromBelow(5.0)), 0)->share, 0.09, 1e-12);
    EXPECT_NEAR(findOrder(expectedOutcome(g.view, sPolarisedFromBelow(40.0)), 0)->share, 0.36, 1e-12);
}

TEST(TraceRaysExpectation, UnpolarisedLightAveragesSAndP)
{
    // Only S passes: half of unpolarised light does.
    const GratingTables g({0.0}, {{0.0, 1.0, 0.0}}, true);
    IncidentLight light = sPolarisedFromBelow(0.0);
    EXPECT_NEAR(findOrder(expectedOutcome(g.view, light), 0)->share, 1.0, 1e-12);
    light.unpolarised = true;
    EXPECT_NEAR(findOrder(expectedOutcome(g.view, light), 0)->share, 0.5, 1e-12);
    light.unpolarised = false;
    light.es = 0.0;
    light.ep = 1.0;
    EXPECT_TRUE(expectedOutcome(g.view, light).orders.empty());
}

TEST(TraceRaysExpectation, EachUnpolarisedRayDrawsFromItsOwnPowers)
{
    // Lossless: order 0 passes only S (power 0.64), order 1 only P (0.04). A
    // ray at angle psi takes order 0 with 0.64 cos^2 / (0.64 cos^2 + 0.04
    // sin^2), on average 0.8 / (0.8 + 0.2), not 0.64 / 0.68.
    GratingTables g({0.0}, {{0.0, 0.8, 0.0}}, true);
    g.t[2 + 3 * 3] = 0.2;
    g.view.mHalfSpaces[0].mLossless = true;
    IncidentLight light = sPolarisedFromBelow(0.0);
    light.unpolarised = true;
    const ExpectedOutcome outcome = expectedOutcome(g.view, light);
    EXPECT_NEAR(findOrder(outcome, 0)->share, 0.8, 1e-12);
    EXPECT_NEAR(findOrder(outcome, 1)->share, 0.2, 1e-12);
}

TEST(TraceRaysExpectation, XYTablesActOnCartesianComponents)
{
    // Held in X/Y, a block that passes only Ex: at 30 degrees in the x-z
    // plane the S field is (0, -1, 0) and is stopped; the P field
    // (cos 30, 0, -sin 30) passes its x part and leaves, along the same
    // direction, as P of unit amplitude.
    const GratingTables g({0.0}, {{0.0, 1.0, 0.0}}, true);
    IncidentLight light = sPolarisedFromBelow(30.0);
    light.tablesInXY = true;
    EXPECT_TRUE(expectedOutcome(g.view, light).orders.empty());
    light.es = 0.0;
    light.ep = 1.0;
    const ExpectedOutcome outcome = expectedOutcome(g.view, light);
    ASSERT_EQ(outcome.orders.size(), 1u);
    EXPECT_NEAR(outcome.orders[0].share, 1.0, 1e-12);
    EXPECT_NEAR(outcome.orders[0].direction[0], 0.5, 1e-12);
}

TEST(TraceRaysExpectation, UnknownWhereTheViewCannotTell)
{
    GratingTables g({0.0}, {{0.0, 1.0, 0.0}});
    std::vector<double> thetaTable = {0.0};
    std::vector<size_t> thetaDims = {1, 1};
    g.view.mHalfSpaces[0].mThetaOrUxOrKx = {vector2view(thetaDims), vector2view(thetaTable)};
    EXPECT_FALSE(expectedOutcome(g.view, sPolarisedFromBelow(0.0)).known());

    GratingTables positions({0.0}, {{0.0, 1.0, 0.0}});
    std::vector<size_t> withPosition = {1, 1, 1, 1, 3, 1, 2, 2};
    positions.view.mHalfSpaces[0].mT.mDims = vector2view(withPosition);
    EXPECT_FALSE(expectedOutcome(positions.view, sPolarisedFromBelow(0.0)).known());
}

}  // namespace
