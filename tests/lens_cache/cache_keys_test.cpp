// The caches' keys against vectors computed independently of this code, and
// which host settings make a new entry and which share one.
//
// The vectors come from this Python, the 64-bit hash_combine of Boost
// releases before 1.81 written out:
//   M = 0xc6a4a7935bd1e995; MASK = (1 << 64) - 1
//   def comb(seed, v):
//       k = (v * M) & MASK; k ^= k >> 47; k = (k * M) & MASK
//       seed ^= k; seed = (seed * M) & MASK; return (seed + 0xe6546b64) & MASK
//   def hd(x): return 0 if x == 0.0 else struct.unpack('<Q', struct.pack('<d', x))[0]
//   diffraction: seed = 0; for i in range(100, 200): seed = comb(seed, hd(i * 0.5))
//                for p in (1.0, 40.0, 90.0): seed = comb(seed, hd(p))
//   sequential:  h = 0; for u in utf16_units(name): h = comb(h, u)
//                key = comb(comb(123, h), hd(params[4]))

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "cache/CacheKeys.h"

namespace {

using namespace quelbrant;

TEST(CacheKeys, MixMatchesIndependentVectors)
{
    EXPECT_EQ(combineHash(0, 0), 0xe6546b64ULL);
    EXPECT_EQ(combineHash(0, 1), 0xbbddcb5b9bc10e60ULL);
    EXPECT_EQ(combineHash(0x0123456789abcdefULL, 0xfedcba9876543210ULL), 0xc1fd796fb3b53311ULL);

    std::vector<double> block(215, 7.0);  // only indices 100 to 199 may count
    for (int i = 100; i < 200; ++i)
        block[i] = i * 0.5;
    EXPECT_EQ(diffractionCacheKey(block.data(), {1.0, 7.0, 40.0, 9.0, 90.0}), 0x3b122e9185672b9dULL);

    EXPECT_EQ(sequentialCacheKey(u"grating-1d.json", {0, 0, 0, 0, 99.0}), 0xd765deaa76d4a088ULL);
    // A character outside the BMP hashes as its two surrogate units.
    EXPECT_EQ(sequentialCacheKey(u"\u00e9\U0001D11E.json", {}), 0x49a425ffaf556254ULL);
}

double withBits(std::uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(CacheKeys, DiffractionKeySharesExactlyWhatTheSurfaceDoesNotDependOn)
{
    std::vector<double> block(215, 0.0);
    const std::vector<double> base{1.0, 0.0, 8.0, 0.0, 30.0, 0.0, 1.0, 0.0, 0.5, 0.0, 0.25, 0.0, 1.0, 0.0};
    const std::size_t baseKey = diffractionCacheKey(block.data(), base);
    struct Case {
        const char* what;
        std::size_t index;
        double value;
        bool sharesEntry;
    };
    const Case cases[] = {
        {"Stochastic mode", 0, 0.0, false},
        {"Test Mode", 2, 40.0, false},
        {"Rotate Grating (degrees)", 4, 30.5, false},
        {"Check environment index", 6, 0.0, true},
        {"Parameter Scan 1", 8, 9.0, true},
        {"Parameter Scan 2", 10, 9.0, true},
        {"No Interpolation", 12, 0.0, true},
        {"a double between host parameters", 1, 5.0, true},
        {"-0.0 for +0.0", 1, -0.0, true},
    };
    for (const Case& c : cases) {
        std::vector<double> params = base;
        params[c.index] = c.value;
        EXPECT_EQ(diffractionCacheKey(block.data(), params) == baseKey, c.sharesEntry) << c.what;
    }

    // Zero of either sign is one key; NaNs of different bits are two.
    std::vector<double> plus = base, minus = base, nanA = base, nanB = base;
    plus[4] = 0.0;
    minus[4] = -0.0;
    nanA[4] = withBits(0x7ff8000000000001ULL);
    nanB[4] = withBits(0x7ff8000000000002ULL);
    EXPECT_EQ(diffractionCacheKey(block.data(), plus), diffractionCacheKey(block.data(), minus));
    EXPECT_NE(diffractionCacheKey(block.data(), nanA), diffractionCacheKey(block.data(), nanB));

    // Missing parameters count as 0.0.
    EXPECT_EQ(diffractionCacheKey(block.data(), {1.0}), diffractionCacheKey(block.data(), {1.0, 0.0, 0.0, 0.0, 0.0}));
    EXPECT_EQ(diffractionCacheKey(block.data(), {}), diffractionCacheKey(block.data(), {0.0, 3.0, -0.0}));

    // Every hashed byte counts, also those after the strings' terminators.
    std::vector<double> other = block;
    other[199] = 1e-300;
    EXPECT_NE(diffractionCacheKey(other.data(), base), baseKey);
    other = block;
    other[99] = other[200] = 1.0;  // outside the hashed doubles
    EXPECT_EQ(diffractionCacheKey(other.data(), base), baseKey);
}

TEST(CacheKeys, SequentialKeyFollowsTheFileNameAndLogOnly)
{
    std::vector<double> params(256, 0.0);
    const std::size_t base = sequentialCacheKey(u"a.json", params);
    std::vector<double> changed = params;
    changed[4] = 99.0;
    EXPECT_NE(sequentialCacheKey(u"a.json", changed), base);
    EXPECT_NE(sequentialCacheKey(u"b.json", params), base);
    for (std::size_t index : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{5}, std::size_t{15},
                              std::size_t{255}}) {
        changed = params;
        changed[index] = 3.5;
        EXPECT_EQ(sequentialCacheKey(u"a.json", changed), base) << "parameter " << index;
    }
    changed = params;
    changed[4] = -0.0;
    EXPECT_EQ(sequentialCacheKey(u"a.json", changed), base);
    EXPECT_EQ(sequentialCacheKey(u"a.json", {}), base);
}

}  // namespace
