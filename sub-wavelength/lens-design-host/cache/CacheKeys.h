#pragma once

// Keys of the two surface caches. The mix is the 64-bit hash_combine step of
// Boost releases before 1.81, written out here because later releases mix
// differently and a key must not change with the installed Boost.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelbrant {

std::uint64_t combineHash(std::uint64_t seed, std::uint64_t value);
// 0 for either zero, so +0.0 and -0.0 share a key; otherwise the IEEE-754
// bits (every NaN pattern hashes to itself).
std::uint64_t hashDouble(double value);
// seed 0, then combineHash with each element's hash in order.
std::uint64_t hashDoubles(const double* values, std::size_t count);
std::uint64_t hashCodeUnits(const std::u16string& units);

// Over the raw 100 doubles at indices 100 to 199 of the host block (file
// name, folder and whatever bytes lie around them), then parameters 0, 2 and
// 4 ("Stochastic mode", "Test Mode", "Rotate Grating (degrees)"); a missing
// parameter counts as 0.0. Reads the block only at indices 100 to 199.
std::size_t diffractionCacheKey(const double* block, const std::vector<double>& params);

// Over the UTF-16 code units of the file name (whatever wchar_t is on the
// platform) and parameter 4 ("Log").
std::size_t sequentialCacheKey(const std::u16string& fileName, const std::vector<double>& params);

}  // namespace quelbrant
