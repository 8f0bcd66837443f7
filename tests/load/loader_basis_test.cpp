// Polarisation bases of the tables and the interpolation switches.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "LoaderTestSupport.h"

using namespace quelbrant;

using namespace loadertest;

namespace {

using C = std::complex<double>;

const std::string DataBasisOutOfRange = "Polarization data basis for R and T must be 1 for SP, or 2 for XY";
const std::string InterpolationBasisOutOfRange =
    "Polarizatin interpolation basis for R and T must be 1, 2 or 3 for Auto, SP and XY";
const std::string ForcedToXY =
    "...Interpolation cannot be SP when angular data is provided with ux, uy or kx and ky. Interpolation is "
    "being forced to XY";

// One 2 x 2 Jones block (PolOut o, PolIn i) as a complex file table of one
// grid point and one order: element (o, i) sits at o + 2 i.
json jonesTable(C b00, C b01, C b10, C b11)
{
    return matrix(
        {1, 1, 1, 1, 2, 2},
        {b00.real(), b00.imag(), b10.real(), b10.imag(), b01.real(), b01.imag(), b11.real(), b11.imag()},
        true);
}

C block(const NdArrayComplex& table, size_t o, size_t i)
{
    return static_cast<const std::vector<C>&>(table).at(o + 2 * i);
}

void expectBlock(const NdArrayComplex& table, C b00, C b01, C b10, C b11, const char* name)
{
    const double tolerance = 1e-12;
    EXPECT_NEAR(std::abs(block(table, 0, 0) - b00), 0.0, tolerance) << name << " (0, 0)";
    EXPECT_NEAR(std::abs(block(table, 0, 1) - b01), 0.0, tolerance) << name << " (0, 1)";
    EXPECT_NEAR(std::abs(block(table, 1, 0) - b10), 0.0, tolerance) << name << " (1, 0)";
    EXPECT_NEAR(std::abs(block(table, 1, 1) - b11), 0.0, tolerance) << name << " (1, 1)";
}

// Normal incidence, one grid point, only the (0, 0) order, with diagonal
// S/P blocks diag(rs, rp) and diag(ts, tp) on both sides.
const C rs(-0.2, 0.01), rp(0.2, -0.02), ts(0.8, 0.1), tp(0.79, -0.05);

json normalIncidence(int dataBasis, int interpolationBasis)
{
    json doc = document();
    for (const char* side : {"grat_results_lower", "grat_results_upper"}) {
        doc[side]["R"] = jonesTable(rs, 0.0, 0.0, rp);
        doc[side]["T"] = jonesTable(ts, 0.0, 0.0, tp);
    }
    doc["polarization_data_basis"] = dataBasis;
    doc["polarization_interpolation_basis"] = interpolationBasis;
    return doc;
}

}  // namespace

TEST(LoaderBasis, SettingsOutOfRange)
{
    struct Case {
        const char* key;
        json value;
        std::string message;
    };
    const Case cases[] = {
        {"polarization_data_basis", 0, DataBasisOutOfRange},
        {"polarization_data_basis", 3, DataBasisOutOfRange},
        {"polarization_data_basis", -1e300, DataBasisOutOfRange},
        {"polarization_interpolation_basis", 0, InterpolationBasisOutOfRange},
        {"polarization_interpolation_basis", 4, InterpolationBasisOutOfRange},
        {"polarization_interpolation_basis", 1e300, InterpolationBasisOutOfRange},
    };
    for (const Case& c : cases) {
        json doc = document();
        doc[c.key] = c.value;
        EXPECT_EQ(loadDocument(doc).message, c.message) << c.key << " = " << c.value.dump();
    }
}

TEST(LoaderBasis, AbsentSettingsKeepSPForTheSpecularOrderOnAPolarGrid)
{
    // Defaults: data in S/P, interpolation in S/P; nothing is converted.
    json doc = document();
    for (const char* side : {"grat_results_lower", "grat_results_upper"}) {
        doc[side]["R"] = jonesTable(rs, 0.0, 0.0, rp);
        doc[side]["T"] = jonesTable(ts, 0.0, 0.0, tp);
    }
    LoadOutcome defaults = loadDocument(doc);
    ASSERT_NE(defaults.surface, nullptr) << defaults.message;
    EXPECT_FALSE(Access::mInterpInXY(*defaults.surface));
    expectBlock(Access::mR(*defaults.surface)[0], rs, 0.0, 0.0, rp, "R lower");
    expectBlock(Access::mT(*defaults.surface)[1], ts, 0.0, 0.0, tp, "T upper");
}

TEST(LoaderBasis, SPToXYAtNormalIncidence)
{
    // With phi = 0, x is the p direction of the upward wave and y is -s.
    // Waves travelling down have p along -x, so each reflection flips the sign
    // of the x component relative to p: R becomes diag(-rp, rs) and T
    // diag(tp, ts), on both sides.
    LoadOutcome outcome = loadDocument(normalIncidence(1, 3));
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_TRUE(Access::mInterpInXY(s));
    for (int side = 0; side < 2; ++side) {
        expectBlock(Access::mR(s)[side], -rp, 0.0, 0.0, rs, side == 0 ? "R lower" : "R upper");
        expectBlock(Access::mT(s)[side], tp, 0.0, 0.0, ts, side == 0 ? "T lower" : "T upper");
    }
}

TEST(LoaderBasis, XYToSPAtNormalIncidence)
{
    // The same surface described in X/Y and interpolated in S/P.
    json doc = normalIncidence(2, 2);
    for (const char* side : {"grat_results_lower", "grat_results_upper"}) {
        doc[side]["R"] = jonesTable(-rp, 0.0, 0.0, rs);
        doc[side]["T"] = jonesTable(tp, 0.0, 0.0, ts);
    }
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_FALSE(Access::mInterpInXY(s));
    for (int side = 0; side < 2; ++side) {
        expectBlock(Access::mR(s)[side], rs, 0.0, 0.0, rp, side == 0 ? "R lower" : "R upper");
        expectBlock(Access::mT(s)[side], ts, 0.0, 0.0, tp, side == 0 ? "T lower" : "T upper");
    }
}

TEST(LoaderBasis, EqualBasesConvertNothing)
{
    LoadOutcome outcome = loadDocument(normalIncidence(2, 3));
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    EXPECT_TRUE(Access::mInterpInXY(*outcome.surface));
    expectBlock(Access::mR(*outcome.surface)[0], rs, 0.0, 0.0, rp, "R lower");
}

TEST(LoaderBasis, SPIsForcedToXYOffAPolarGrid)
{
    json doc = document();
    for (const char* side : {"grat_results_lower", "grat_results_upper"})
        doc[side]["angle_definition"] = {{"ux", {0.0}}, {"uy", {0.0}}};
    doc["polarization_interpolation_basis"] = 2;
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    EXPECT_TRUE(Access::mInterpInXY(*outcome.surface));
    EXPECT_TRUE(outcome.hasNote(ForcedToXY));
    EXPECT_TRUE(outcome.hasNote("...cannot load theta/phi."));
}

TEST(LoaderBasis, AutomaticChoice)
{
    // S/P only for one phi per side and only the (0, 0) order everywhere.
    struct Case {
        const char* what;
        void (*change)(json&);
        bool xy;
    };
    const Case cases[] = {
        {"single phi, zeroth orders", [](json&) {}, false},
        {"two phi values on the upper side",
         [](json& d) {
             d["grat_results_upper"]["angle_definition"]["phi"] = {0.0, 45.0};
             d["grat_results_upper"]["R"] = fileTable(1, 2, 1, 1);
             d["grat_results_upper"]["T"] = fileTable(1, 2, 1, 1);
         },
         true},
        {"a second reflected order",
         [](json& d) {
             d["grat_results_lower"]["list_orders_R"] = orderList({{0, 0}, {1, 0}});
             d["grat_results_lower"]["R"] = fileTable(1, 1, 1, 2);
         },
         true},
        {"a single transmitted order m = 1",
         [](json& d) {
             d["grat_results_upper"]["list_orders_T"] = orderList({{0, 1}});
         },
         true},
        {"unit-vector grid",
         [](json& d) {
             for (const char* side : {"grat_results_lower", "grat_results_upper"})
                 d[side]["angle_definition"] = {{"ux", {0.0}}, {"uy", {0.0}}};
         },
         true},
    };
    for (const Case& c : cases) {
        json doc = document();
        doc["polarization_interpolation_basis"] = 1;
        c.change(doc);
        LoadOutcome outcome = loadDocument(doc);
        ASSERT_NE(outcome.surface, nullptr) << c.what << ": " << outcome.message;
        EXPECT_EQ(Access::mInterpInXY(*outcome.surface), c.xy) << c.what;
    }
}

TEST(LoaderBasis, InterpolationSwitches)
{
    LoadOutcome defaults = loadDocument(document());
    ASSERT_NE(defaults.surface, nullptr) << defaults.message;
    EXPECT_TRUE(Access::mInterpThetaUxKx(*defaults.surface));
    EXPECT_TRUE(Access::mInterpPhiUyKy(*defaults.surface));
    EXPECT_TRUE(Access::mInterpWavelength(*defaults.surface));
    EXPECT_TRUE(Access::mInterpPosition(*defaults.surface));

    json doc = document();
    doc["polarization_interpolate_over_theta_ux_kx"] = 0;
    doc["polarization_interpolate_over_phi_uy_ky"] = 1;
    doc["polarization_interpolate_over_wavelength"] = 0;
    doc["polarization_interpolate_over_spatial_parameter"] = 0;
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    EXPECT_FALSE(Access::mInterpThetaUxKx(*outcome.surface));
    EXPECT_TRUE(Access::mInterpPhiUyKy(*outcome.surface));
    EXPECT_FALSE(Access::mInterpWavelength(*outcome.surface));
    EXPECT_FALSE(Access::mInterpPosition(*outcome.surface));
}

namespace {

// A half space's file table [A1 x 1 x L x 1 x 2 x 2] with the same diagonal
// S/P block diag(s, p) at every node.
json uniformDiagonalTable(size_t nAxis1, size_t nLambda, C s, C p)
{
    const size_t nodes = nAxis1 * nLambda;
    std::vector<double> data;
    for (const C& v : {s, C(0.0), C(0.0), p})
        for (size_t node = 0; node < nodes; ++node) {
            data.push_back(v.real());
            data.push_back(v.imag());
        }
    return matrix({nAxis1, 1, nLambda, 1, 2, 2}, data, true);
}

// X -> X of a zeroth-order transmission in the plane phi = 0: X is the
// in-plane part of P, so it scales with the ratio of the two cosines.
C transmittedXX(C tp, double thetaInDegrees, double nIn, double nOut)
{
    const double pi = 3.141592653589793;
    const double thetaIn = thetaInDegrees * pi / 180;
    const double thetaOut = std::asin(nIn / nOut * std::sin(thetaIn));
    return tp * (std::cos(thetaOut) / std::cos(thetaIn));
}

}  // namespace

TEST(LoaderBasis, FrequencyDependentThetaConvertsAtTheAngleOfEachWavelength)
{
    // The upper side (air) tabulates theta {0, 20, 35} at 0.5 and 1.0 um
    // with "f_conversion": its nodes hold data for sin(t) = lambda / lambda0
    // sin(theta), 1 / lambda0 = 1.5 / um. The lower side (glass) has a fixed
    // theta of 25 degrees. Converting S/P to X/Y must use those angles.
    const std::vector<double> theta{0.0, 20.0, 35.0}, lambda{0.5e-6, 1.0e-6};
    json doc = document();
    doc["polarization_interpolation_basis"] = 3;
    json& lower = doc["grat_results_lower"];
    lower["angle_definition"]["theta"] = {25.0};
    lower["T"] = uniformDiagonalTable(1, 1, ts, tp);
    json& upper = doc["grat_results_upper"];
    upper["angle_definition"] = {{"theta", theta}, {"phi", {0.0}}, {"f_conversion", 1.0}};
    upper["wavelength"] = lambda;
    upper["R"] = uniformDiagonalTable(theta.size(), lambda.size(), rs, rp);
    upper["T"] = uniformDiagonalTable(theta.size(), lambda.size(), ts, tp);

    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    ASSERT_TRUE(Access::mInterpInXY(s));

    expectBlock(Access::mT(s)[0], transmittedXX(tp, 25.0, 1.5, 1.0), 0.0, 0.0, ts, "T lower");
    const NdArrayComplex& upperT = Access::mT(s)[1];
    const size_t nodes = theta.size() * lambda.size();
    const double oneOverLambda0 = 0.5 * (1 / lambda.front() + 1 / lambda.back());
    const double pi = 3.141592653589793;
    for (size_t k = 0; k < lambda.size(); ++k)
        for (size_t i = 0; i < theta.size(); ++i) {
            SCOPED_TRACE("theta row " + std::to_string(i) + ", wavelength " + std::to_string(k));
            const double angle =
                std::asin(lambda[k] * oneOverLambda0 * std::sin(theta[i] * pi / 180)) * 180 / pi;
            const size_t node = i + theta.size() * k;
            const std::vector<C>& values = upperT;
            EXPECT_NEAR(std::abs(values.at(node) - transmittedXX(tp, angle, 1.0, 1.5)), 0.0, 1e-12);
            EXPECT_NEAR(std::abs(values.at(node + 3 * nodes) - ts), 0.0, 1e-12);
            EXPECT_EQ(std::abs(values.at(node + nodes)) + std::abs(values.at(node + 2 * nodes)), 0.0);
        }
}
