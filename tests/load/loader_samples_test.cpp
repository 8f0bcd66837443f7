// The shipped sample files load, and what they describe survives the load.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "LoaderTestSupport.h"

using namespace quelbrant;

using namespace loadertest;

namespace {

std::filesystem::path sample(const char* name)
{
    return std::filesystem::path(QUELBRANT_DATA_DIR) / name;
}

bool ascending(const std::vector<double>& axis)
{
    return std::is_sorted(axis.begin(), axis.end());
}

// Element (i, j, k, n, m, o, c) of a dense table without position data.
std::complex<double> element(const NdArrayComplex& t, size_t i, size_t j, size_t k, size_t n, size_t m,
                             size_t o, size_t c)
{
    const std::vector<size_t>& d = t.m_size;
    const size_t offset = i + d[0] * (j + d[1] * (k + d[2] * (n + d[3] * (m + d[4] * (o + d[5] * c)))));
    return static_cast<const std::vector<std::complex<double>>&>(t).at(offset);
}

}  // namespace

TEST(LoaderSamples, EverySampleLoadsWithItsGridAndBasis)
{
    struct Case {
        const char* file;
        GratingSurface::AngleDefinition angles;
        GratingSurface::PositionDefinition positions;
        bool interpolatedInXY;
        bool thetaPerWavelength;
    };
    const Case cases[] = {
        {"bare-interface.json", GratingSurface::POLAR, GratingSurface::P_NONE, false, false},
        {"grating-1d.json", GratingSurface::POLAR, GratingSurface::P_NONE, false, false},
        {"grating-2d-positions.json", GratingSurface::POLAR, GratingSurface::XY, false, false},
        {"grating-unit-vectors-xy.json", GratingSurface::UNIT_VECTOR, GratingSurface::P_NONE, true, false},
        {"grating-kvector.json", GratingSurface::K_VECTOR, GratingSurface::P_NONE, true, false},
        {"grating-1d-fconversion.json", GratingSurface::POLAR, GratingSurface::P_NONE, false, true},
    };
    for (const Case& c : cases) {
        LoadOutcome outcome = load(sample(c.file));
        ASSERT_NE(outcome.surface, nullptr) << c.file << ": " << outcome.message;
        const GratingSurface& s = *outcome.surface;
        EXPECT_EQ(Access::mAngleDef(s), c.angles) << c.file;
        EXPECT_EQ(Access::mPositionDef(s), c.positions) << c.file;
        EXPECT_EQ(Access::mInterpInXY(s), c.interpolatedInXY) << c.file;
        for (int side = 0; side < 2; ++side) {
            EXPECT_TRUE(ascending(Access::mThetaOrUxOrKx(s)[side])) << c.file;
            EXPECT_TRUE(ascending(Access::mPhiOrUyOrKy(s)[side])) << c.file;
            EXPECT_TRUE(ascending(Access::mLambda(s)[side])) << c.file;
            EXPECT_EQ(!Access::mTheta(s)[side].empty(), c.thetaPerWavelength) << c.file;
        }
    }
}

TEST(LoaderSamples, BareInterfaceKeepsFresnelPowersThroughTheLoad)
{
    // Glass (1.5) below air: at normal incidence R = ((1.5 - 1) / 2.5)^2 = 0.04
    // for both polarisations, and a lossless interface sends the rest through,
    // at every node of the grid. The lower theta axis is stored out of order
    // (41.8 last), so this also checks that R and T rows moved together.
    LoadOutcome outcome = load(sample("bare-interface.json"));
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    const NdArrayComplex& R = Access::mR(s)[0];
    const NdArrayComplex& T = Access::mT(s)[0];
    ASSERT_EQ(Access::mThetaOrUxOrKx(s)[0].front(), 0.0);
    for (size_t pol = 0; pol < 2; ++pol)
        EXPECT_NEAR(std::norm(element(R, 0, 0, 0, 0, 0, pol, pol)), 0.04, 1e-9) << "polarisation " << pol;
    for (size_t i = 0; i < R.m_size[0]; ++i) {
        for (size_t j = 0; j < R.m_size[1]; ++j) {
            for (size_t k = 0; k < R.m_size[2]; ++k) {
                for (size_t pol = 0; pol < 2; ++pol) {
                    const double power = std::norm(element(R, i, j, k, 0, 0, pol, pol)) +
                                         std::norm(element(T, i, j, k, 0, 0, pol, pol));
                    EXPECT_NEAR(power, 1.0, 1e-9) << "theta " << Access::mThetaOrUxOrKx(s)[0][i];
                }
            }
        }
    }
    EXPECT_TRUE(Access::mSpecularR(s)[0]);
    EXPECT_TRUE(Access::mLossless(s)[1]);
}
