#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "MathConstants.h"
#include "loaded_surface.h"
#include "report_tables.h"

using namespace quelbrant;

using namespace reporttest;
using A = GratingSurfaceAccess;

// A lossless flat interface transmits, in its zeroth order, exactly the
// power it does not reflect: |ts|^2 = 1 - |rs|^2 with ts real and positive
// (0 beyond the critical angle), likewise for p. CMOS mode therefore gives
// back the Fresnel transmission the file holds.
TEST(CmosSurface, FlatInterfaceKeepsItsFresnelTransmission)
{
    auto surface = loadSurface(samplePath("bare-interface.json"));
    ASSERT_TRUE(surface);
    const NdArrayComplex reflection[2] = {A::mR(*surface)[0], A::mR(*surface)[1]};
    const NdArrayComplex transmission[2] = {A::mT(*surface)[0], A::mT(*surface)[1]};

    ASSERT_TRUE(surface->restore_Tpower_to_T00());

    for (int h = 0; h < 2; ++h) {
        SCOPED_TRACE(h == 0 ? "lower" : "upper");
        EXPECT_EQ(A::mR(*surface)[h], reflection[h]);
        const NdArrayComplex& T = A::mT(*surface)[h];
        ASSERT_EQ(T.m_size, transmission[h].m_size);
        ASSERT_EQ(T.size(), transmission[h].size());
        // Powers are compared: beyond the critical angle |rs|^2 is 1 only to
        // rounding, and the square root magnifies that to about 1e-8.
        for (size_t e = 0; e < T.size(); ++e) {
            EXPECT_NEAR(std::norm(T[e]), std::norm(transmission[h][e]), 1e-12) << "element " << e;
            EXPECT_GE(T[e].real(), 0.0) << "element " << e;
            EXPECT_EQ(T[e].imag(), 0.0) << "element " << e;
        }
    }
}

// On the lossy crossed grating with five positions, every position ends
// up with reflected power + |T(0,0)|^2 = 1 per input polarisation, from its
// own reflection data, and nothing in any other transmitted order.
TEST(CmosSurface, EveryPositionBalancesItsOwnReflection)
{
    auto surface = loadSurface(samplePath("grating-2d-positions.json"));
    ASSERT_TRUE(surface);
    ASSERT_TRUE(A::mXyVarOrParScan(*surface));
    ASSERT_TRUE(surface->restore_Tpower_to_T00());

    for (int h = 0; h < 2; ++h) {
        SCOPED_TRACE(h == 0 ? "lower" : "upper");
        NdArrayComplex R = A::mR(*surface)[h];
        NdArrayComplex T = A::mT(*surface)[h];
        const std::vector<int>& Tn = A::m_list_orders_Tn(*surface)[h];
        const std::vector<int>& Tm = A::m_list_orders_Tm(*surface)[h];
        const std::vector<size_t>& d = R.m_size;
        ASSERT_EQ(d.size(), 8u);
        ASSERT_EQ(T.m_size.size(), 8u);
        size_t nodes = 0;
        for (size_t q = 0; q < d[0]; ++q)
            for (size_t j = 0; j < d[1]; ++j)
                for (size_t i = 0; i < d[2]; ++i)
                    for (size_t k = 0; k < d[3]; ++k) {
                        double reflected[2] = {0.0, 0.0};
                        for (size_t a = 0; a < d[4]; ++a)
                            for (size_t b = 0; b < d[5]; ++b)
                                for (size_t o = 0; o < 2; ++o)
                                    for (size_t p = 0; p < 2; ++p)
                                        reflected[p] += std::norm(R(q, j, i, k, a, b, o, p));
                        for (size_t a = 0; a < Tn.size(); ++a)
                            for (size_t b = 0; b < Tm.size(); ++b)
                                for (size_t o = 0; o < 2; ++o)
                                    for (size_t p = 0; p < 2; ++p) {
                                        const std::complex<double> t = T(q, j, i, k, a, b, o, p);
                                        if (Tn[a] == 0 && Tm[b] == 0 && o == p) {
                                            EXPECT_EQ(t.imag(), 0.0);
                                            EXPECT_NEAR(reflected[p] + t.real() * t.real(), 1.0, 1e-12)
                                                << "position " << q << " node " << j << i << k << " pol "
                                                << p;
                                        } else {
                                            EXPECT_EQ(t, std::complex<double>(0.0, 0.0));
                                        }
                                    }
                        ++nodes;
                    }
        EXPECT_EQ(nodes, 5u * 5 * 5 * 2);
    }
}

// The lens-design host builds a surface in CMOS mode and then writes its
// report: every position now carries all the incident power.
TEST(CmosSurface, ReportAfterCmosModeShowsNoLoss)
{
    ScratchDirectory dir;
    auto surface = loadSurface(samplePath("grating-2d-positions.json"));
    ASSERT_TRUE(surface);
    ASSERT_TRUE(surface->restore_Tpower_to_T00());
    const std::wstring dataFile = dir.wide("grating-2d-positions.json");
    ASSERT_TRUE(surface->export_verify_data(dataFile));
    std::istringstream report(readFile(std::filesystem::path(dataFile + L".log").string(), std::ios::in));
    size_t totals = 0;
    for (std::string line; std::getline(report, line);)
        for (const char* label : {"Total output for S input: ", "Total output for P input: "})
            if (line.rfind(label, 0) == 0) {
                EXPECT_NEAR(std::strtod(line.c_str() + std::string(label).size(), nullptr), 5.0, 1e-9);
                ++totals;
            }
    EXPECT_EQ(totals, 200u);
}

// Rays traced after CMOS mode see the rewritten transmission: on the 1-D
// grating (specular flags set) light from the glass at 30 degrees, 550 nm,
// sends about a tenth of its transmitted power into order -1 (result 6)
// before, and only into the zeroth order (result 1) after.
TEST(CmosSurface, RaysSeeTheRewrittenTransmission)
{
    auto surface = loadSurface(samplePath("grating-1d.json"));
    ASSERT_TRUE(surface);
    const auto transmittedResults = [&surface]() {
        std::vector<int> results;
        for (int n = 0; n < 2000; ++n) {
            const double theta = 30.0 * Pi / 180.0;
            double direction[3] = {std::sin(theta), 0.0, std::cos(theta)};
            BsdfPluginInteraction_V2 ray{};
            ray.instance = surface.get();
            ray.direction = direction;
            ray.lambda = 550.0;
            ray.energy = 1.0;
            ray.esr = 1.0;
            ray.n1 = 1.5;
            ray.n2 = 1.0;
            results.push_back(surface->Interaction_V2(&ray, {}, false, true, {}));
        }
        return results;
    };
    const std::vector<int> before = transmittedResults();
    EXPECT_GT(std::count(before.begin(), before.end(), 6), 100);

    ASSERT_TRUE(surface->restore_Tpower_to_T00());
    const std::vector<int> after = transmittedResults();
    EXPECT_EQ(std::count(after.begin(), after.end(), 1), 2000);
}
