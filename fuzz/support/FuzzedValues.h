#pragma once

// Arbitrary doubles for the fuzz targets: values that break arithmetic in
// interesting ways, any finite value, or raw bit patterns. The order of the
// special values is part of how committed seeds decode: append, never
// reorder.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

// Values that break arithmetic in interesting ways, and a few ordinary ones.
inline constexpr double Inf = std::numeric_limits<double>::infinity();
inline const std::array<double, 24> SpecialValues = {
    0.0,
    -0.0,
    1.0,
    -1.0,
    std::numeric_limits<double>::quiet_NaN(),
    Inf,
    -Inf,
    std::numeric_limits<double>::max(),
    -std::numeric_limits<double>::max(),
    std::numeric_limits<double>::min(),
    std::numeric_limits<double>::denorm_min(),
    -std::numeric_limits<double>::denorm_min(),
    1e-300,
    1e300,
    1e-9,
    1e9,
    550.0,
    0.5,
    1.5,
    1.0 + 1e-15,
    1.0 - 1e-15,
    2147483648.0,
    -2147483649.0,
    1e20,
};

inline double fuzzedValue(FuzzedDataProvider& input)
{
    const uint8_t kind = input.ConsumeIntegral<uint8_t>();
    if (kind < SpecialValues.size())
        return SpecialValues[kind];
    if (kind < 200)
        return input.ConsumeFloatingPoint<double>();
    // Raw bits: every NaN payload and denormal there is.
    uint64_t bits = input.ConsumeIntegral<uint64_t>();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
