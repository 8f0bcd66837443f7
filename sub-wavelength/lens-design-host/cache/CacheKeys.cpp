#include "cache/CacheKeys.h"

#include <cstring>

#include "KeepLibraryLoaded.h"

namespace quelbrant {

namespace {

constexpr std::uint64_t mixMultiplier = 0xc6a4a7935bd1e995ULL;
constexpr std::size_t keyFirstDouble = 100;
constexpr std::size_t keyDoubleCount = 100;
constexpr std::uint64_t sequentialKeySeed = 123;

double parameterOrZero(const std::vector<double>& params, std::size_t index)
{
    return index < params.size() ? params[index] : 0.0;
}

}  // namespace

std::uint64_t combineHash(std::uint64_t seed, std::uint64_t value)
{
    std::uint64_t k = value * mixMultiplier;
    k ^= k >> 47;
    k *= mixMultiplier;
    seed ^= k;
    seed *= mixMultiplier;
    return seed + 0xe6546b64ULL;
}

std::uint64_t hashDouble(double value)
{
    if (value == 0.0)
        return 0;
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::uint64_t hashDoubles(const double* values, std::size_t count)
{
    std::uint64_t seed = 0;
    for (std::size_t i = 0; i < count; ++i)
        seed = combineHash(seed, hashDouble(values[i]));
    return seed;
}

std::uint64_t hashCodeUnits(const std::u16string& units)
{
    std::uint64_t seed = 0;
    for (char16_t unit : units)
        seed = combineHash(seed, static_cast<std::uint64_t>(unit));
    return seed;
}

namespace {

// Both keys' callers keep per-thread copies of what they hashed last. The
// Windows toolchain emulates thread-locals with clean-up code in this DLL
// that runs when a thread ends, so the DLL is pinned (as a traced ray pins
// it) before the first key, and with it the first thread-local, is made.
void pinBeforeThreadLocals()
{
    static const bool pinned = (keepLibraryLoaded(), true);
    (void)pinned;
}

// The 100 doubles' hash is a serial chain of 100 multiplies, the largest
// part of a cached call's overhead on a cheap surface. A host thread sends
// the same file fields with every ray, so each thread keeps the bytes it
// hashed last with their hash: equal bytes are equal doubles, equal hash.
// (Trivially destructible, so a plain thread_local on every platform.)
std::uint64_t hashKeyDoubles(const double* first)
{
    pinBeforeThreadLocals();
    struct LastHashed {
        unsigned char bytes[keyDoubleCount * sizeof(double)];
        std::uint64_t seed;
        bool valid;
    };
    thread_local LastHashed last{};
    if (last.valid && std::memcmp(last.bytes, first, sizeof last.bytes) == 0)
        return last.seed;
    const std::uint64_t seed = hashDoubles(first, keyDoubleCount);
    std::memcpy(last.bytes, first, sizeof last.bytes);
    last.seed = seed;
    last.valid = true;
    return seed;
}

}  // namespace

std::size_t diffractionCacheKey(const double* block, const std::vector<double>& params)
{
    std::uint64_t seed = hashKeyDoubles(block + keyFirstDouble);
    seed = combineHash(seed, hashDouble(parameterOrZero(params, 0)));
    seed = combineHash(seed, hashDouble(parameterOrZero(params, 2)));
    seed = combineHash(seed, hashDouble(parameterOrZero(params, 4)));
    return static_cast<std::size_t>(seed);
}

std::size_t sequentialCacheKey(const std::u16string& fileName, const std::vector<double>& params)
{
    pinBeforeThreadLocals();
    std::uint64_t key = combineHash(sequentialKeySeed, hashCodeUnits(fileName));
    key = combineHash(key, hashDouble(parameterOrZero(params, 4)));
    return static_cast<std::size_t>(key);
}

}  // namespace quelbrant
