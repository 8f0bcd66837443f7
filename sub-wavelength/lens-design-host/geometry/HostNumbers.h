#pragma once

// The lens-design host passes integers (counts, order numbers, flags) as
// doubles. Reading one truncates toward zero; a NaN, an infinity or a value
// no 32-bit int holds has no int and is reported as such instead of reaching
// a cast (which would be undefined behaviour).

#include <optional>

namespace quelbrant {

inline std::optional<int> hostDoubleAsInt(double value)
{
    // Exclusive bounds: every double strictly between them truncates into
    // [INT_MIN, INT_MAX]; NaN fails both comparisons.
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace quelbrant
