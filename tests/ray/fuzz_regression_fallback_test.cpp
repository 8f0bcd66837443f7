// Inputs the fuzzers found, kept as regression tests of the refraction
// fallback. Each names what it once did wrong.

#include <gtest/gtest.h>

#include <cmath>

#include "ray/FresnelFallback.h"

using namespace quelbrant;

namespace {

struct FallbackRay {
    double L, M, N;
    double esr = 1.0, esi = 0.0, epr = 0.0, epi = 0.0;
    double energy = 1.0;
};

bool allFinite(const FallbackRay& r)
{
    for (double v : {r.L, r.M, r.N, r.esr, r.esi, r.epr, r.epi, r.energy}) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

// A ray from glass (1.5) towards an index of 7.8e-317 (a denormal a host
// could pass by accident): n1/n2 overflows, so the tangential components
// Snell's law gives are infinite. The fallback wrote them as the outgoing
// direction (transmission only), or NaN fields (reflection allowed).
const FallbackRay GrazingTowardsDenormalIndex = {0.00016229951973271647, -0.99989998682811565,
                                                 0.014141782065926124};
const double DenormalIndex = 7.7876771342400231e-317;

}  // namespace

TEST(RegressionFuzzRefraction, OverflowingIndexRatioWithTransmissionOnlyLeavesTheDirection)
{
    FallbackRay r = GrazingTowardsDenormalIndex;
    refraction(1.5, DenormalIndex, r.L, r.M, r.N, r.esr, r.esi, r.epr, r.epi, r.energy, false, true, 0.5);
    EXPECT_TRUE(allFinite(r));
    EXPECT_EQ(r.energy, 0.0);
    EXPECT_EQ(r.L, GrazingTowardsDenormalIndex.L);
    EXPECT_EQ(r.M, GrazingTowardsDenormalIndex.M);
    EXPECT_EQ(r.N, GrazingTowardsDenormalIndex.N);
}

TEST(RegressionFuzzRefraction, OverflowingIndexRatioNeverGivesANonFiniteRay)
{
    for (bool isR : {false, true}) {
        for (bool isT : {false, true}) {
            if (!isR && !isT)
                continue;
            for (const double n1 : {1.5, 1e300}) {
                for (const double n2 : {DenormalIndex, 1e-300}) {
                    FallbackRay r = GrazingTowardsDenormalIndex;
                    refraction(n1, n2, r.L, r.M, r.N, r.esr, r.esi, r.epr, r.epi, r.energy, isR, isT, 0.5);
                    EXPECT_TRUE(allFinite(r))
                        << "isR " << isR << " isT " << isT << " n1 " << n1 << " n2 " << n2;
                    EXPECT_GE(r.energy, 0.0);
                }
            }
        }
    }
}
