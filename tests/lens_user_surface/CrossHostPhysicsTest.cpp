// Physics agrees across the lens-design host's two entry points and the
// light-simulation host's engine: on a plane grating without rotation a
// requested order leaves the user-defined surface (request 5) and the
// two-dimensional diffraction entry in the direction the grating equation
// gives and Interaction_V2 gives, with the same field; in stochastic mode
// the diffraction entry serves the orders as often as their powers say.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "DiffractionBlock.h"
#include "RandomGeneratorTesting.h"
#include "UserSurfaceCall.h"
#include "diffraction/DiffractionRequest.h"
#include "GratingSurface.h"

namespace quelbrant::testing {
namespace {

using D = DiffractionData;
constexpr double Pi = 3.141592653589793;
constexpr double Wavelength = 0.55;  // um; grating-1d.json: period 1 um along x
constexpr double NGlass = 1.5;
const double Theta = 12.0 * Pi / 180.0;
const double Ux = std::sin(Theta), Uz = std::cos(Theta);

// A ray from the glass at 12 degrees in the xz plane, s-polarised
// (s = (0, -1, 0) for an azimuth of 0).
lenstest::DiffractionBlock diffractionRay(const lenstest::GratingFolder& folder, const std::string& name,
                                          std::vector<double> params)
{
    lenstest::DiffractionBlock block;
    folder.fill(block, name);
    block.setParams(params);
    block.setRay({Ux, 0.0, Uz}, Wavelength, NGlass, 1.0);
    block.setField({0.0, 0.0, -1.0, 0.0, 0.0, 0.0});
    return block;
}

TEST(CrossHostPhysics, RequestedOrderLeavesAlikeThroughBothEntriesAndTheEngine)
{
    DataFolder userFolder;
    userFolder.install("grating-1d.json", "cross.json");
    lenstest::GratingFolder diffractionFolder;
    diffractionFolder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json", "cross.json");
    GratingSurface engine((std::filesystem::path(QUELBRANT_DATA_DIR) / "grating-1d.json").wstring().c_str(), false,
                          false, true);

    for (int m : {-1, 0, 1}) {
        SCOPED_TRACE(m);
        // Grating equation: n_out ux_out = n_in ux_in + m lambda / period.
        const double ux = NGlass * Ux + m * Wavelength;
        const double expected[3] = {ux, 0.0, std::sqrt(1.0 - ux * ux)};

        UserSurfaceCall surface(5, "cross.json");
        surface.out->l = Ux;
        surface.out->n = Uz;
        surface.in->wavelength = Wavelength;
        surface.in->approachIndex = NGlass;
        surface.in->exitIndex = 1.0;
        surface.in->E[2] = -1.0;
        surface.in->param[1] = m;
        ASSERT_EQ(surface.run(), 0);

        lenstest::DiffractionBlock block = diffractionRay(diffractionFolder, "cross.json", {});
        block.setOrder(m, 0);
        ASSERT_EQ(runUserDiffraction2D(block.data()), 0);

        double direction[3] = {Ux, 0.0, Uz};
        BsdfPluginInteraction_V2 record{};
        record.instance = &engine;
        record.direction = direction;
        record.lambda = Wavelength * 1000.0;
        record.energy = 1.0;
        record.esr = 1.0;  // s-polarised, unit power
        record.n1 = NGlass;
        record.n2 = 1.0;
        ASSERT_NE(engine.Interaction_V2(&record, {m, 0}, false, true, {0, 0, 0, 0}), 0);

        const double fromSurface[3] = {surface.out->l, surface.out->m, surface.out->n};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(fromSurface[i], expected[i], 1e-9) << i;
            EXPECT_NEAR(block[D::outCosine + i], expected[i], 1e-9) << i;
            EXPECT_NEAR(direction[i], expected[i], 1e-9) << i;
        }
        // The same outgoing field: the order's power in its amplitude.
        for (int i = 0; i < 6; ++i)
            EXPECT_NEAR(surface.in->E[i], block[D::outField + i], 1e-9) << i;
        double power = 0.0;
        for (double e : surface.in->E)
            power += e * e;
        EXPECT_NEAR(power, block[D::outputPower], 1e-9);
        EXPECT_NEAR(power, record.energy, 1e-9);
    }
}

TEST(CrossHostPhysics, StochasticOrdersServedAsOftenAsTheirPowers)
{
    lenstest::GratingFolder folder;
    folder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json", "stochastic.json");

    // Each order's power from the non-stochastic entry: (reflected, m).
    std::map<std::pair<bool, int>, double> power;
    double total = 0.0;
    for (bool reflected : {false, true}) {
        for (int m : {-1, 0, 1}) {
            lenstest::DiffractionBlock block = diffractionRay(folder, "stochastic.json", {});
            block.setOrder(m, 0);
            block[D::type] = reflected ? 1.0 : 0.0;
            ASSERT_EQ(runUserDiffraction2D(block.data()), 0);
            power[{reflected, m}] = block[D::outputPower];
            total += block[D::outputPower];
        }
    }
    EXPECT_NEAR(total, 1.0, 1e-6);  // the sample is lossless

    seedCallingThreadGenerator(20240611);
    constexpr int Rays = 20000;
    std::map<std::pair<bool, int>, int> count;
    for (int i = 0; i < Rays; ++i) {
        lenstest::DiffractionBlock block = diffractionRay(folder, "stochastic.json", {1.0});
        block.setOrder(0, 0);
        ASSERT_EQ(runUserDiffraction2D(block.data()), 0);
        ASSERT_EQ(block[D::outputPower], 1.0);
        const bool reflected = block[D::type] == 1.0;
        EXPECT_EQ(reflected, block[D::outCosine + 2] < 0.0);
        // The order from the tangential wave vector.
        const double nOut = reflected ? NGlass : 1.0;
        const int m = static_cast<int>(std::lround((nOut * block[D::outCosine] - NGlass * Ux) / Wavelength));
        ++count[{reflected, m}];
    }
    for (const auto& [order, p] : power) {
        const double share = static_cast<double>(count[order]) / Rays;
        const double standardError = std::sqrt(p * (1.0 - p) / Rays);
        EXPECT_LE(std::fabs(share - p), 5.0 * standardError + 1e-12)
            << (order.first ? "R" : "T") << order.second << ": share " << share << ", power " << p;
    }
}

}  // namespace
}  // namespace quelbrant::testing
