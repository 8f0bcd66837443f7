#include <gtest/gtest.h>

#include <cmath>

#include "tables/ThetaPerWavelength.h"

using namespace quelbrant;

namespace {

constexpr double Pi = 3.141592653589793;

double sinDeg(double degrees)
{
    return std::sin(degrees * Pi / 180.0);
}

}  // namespace

TEST(ThetaPerWavelength, ReferenceCaseWithClippedRow)
{
    // Reference 1/lambda0 = (1/0.5 + 1/1.0) / 2 = 1.5; at lambda 1.0 the 89
    // degree row would need sin(theta) = 1.4998 and is clipped, 2e-8 above 90
    // because it is row 2.
    NdArrayReal table = thetaPerWavelength({0.0, 30.0, 89.0}, {0.5, 1.0});
    ASSERT_EQ(table.m_size, (std::vector<size_t>{3, 2}));
    ASSERT_EQ(table.size(), 6u);
    const double expected[2][3] = {{0.0, 22.02431283704216, 48.58048402371395},
                                   {0.0, 48.59037789072914, 90.00000002}};
    for (size_t k = 0; k < 2; ++k) {
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(table(i, k), expected[k][i], 1e-12) << "theta row " << i << ", wavelength " << k;
    }
}

TEST(ThetaPerWavelength, KeepsTheInPlaneWaveVectorOfEachRow)
{
    // k0 sin(theta) is what stays fixed: sin(theta(lambda)) / lambda is the
    // same for every wavelength and equals sin(theta_file) / lambda0.
    const std::vector<double> theta = {-40.0, -10.0, 5.0, 25.0};
    const std::vector<double> lambda = {4e-7, 5e-7, 6e-7};
    NdArrayReal table = thetaPerWavelength(theta, lambda);
    const double oneOverLambda0 = 0.5 * (1.0 / 4e-7 + 1.0 / 6e-7);
    for (size_t i = 0; i < theta.size(); ++i) {
        for (size_t k = 0; k < lambda.size(); ++k) {
            EXPECT_NEAR(sinDeg(table(i, k)) / lambda[k], sinDeg(theta[i]) * oneOverLambda0,
                        1e-12 * oneOverLambda0);
        }
    }
}

TEST(ThetaPerWavelength, RowsPastGrazingStayOrderedOnBothSides)
{
    // At the longest wavelength all three outer rows on each side are past
    // grazing: negative rows count their distance from the last row.
    const std::vector<double> theta = {-89.0, -88.0, -87.0, 0.0, 87.0, 88.0, 89.0};
    NdArrayReal table = thetaPerWavelength(theta, {1.0, 3.0});
    const size_t last = 1;
    EXPECT_DOUBLE_EQ(table(0, last), -90.0 - 6e-8);
    EXPECT_DOUBLE_EQ(table(1, last), -90.0 - 5e-8);
    EXPECT_DOUBLE_EQ(table(2, last), -90.0 - 4e-8);
    EXPECT_DOUBLE_EQ(table(3, last), 0.0);
    EXPECT_DOUBLE_EQ(table(4, last), 90.0 + 4e-8);
    EXPECT_DOUBLE_EQ(table(5, last), 90.0 + 5e-8);
    EXPECT_DOUBLE_EQ(table(6, last), 90.0 + 6e-8);
    for (size_t i = 1; i < theta.size(); ++i)
        EXPECT_LT(table(i - 1, last), table(i, last));
}

TEST(ThetaPerWavelength, SingleWavelengthReproducesTheAxis)
{
    NdArrayReal table = thetaPerWavelength({0.0, 12.5, 60.0}, {7e-7});
    EXPECT_NEAR(table(0, 0), 0.0, 1e-12);
    EXPECT_NEAR(table(1, 0), 12.5, 1e-12);
    EXPECT_NEAR(table(2, 0), 60.0, 1e-12);
}

TEST(ThetaPerWavelength, NeedsAWavelength)
{
    EXPECT_THROW(thetaPerWavelength({0.0, 30.0}, {}), std::invalid_argument);
}
