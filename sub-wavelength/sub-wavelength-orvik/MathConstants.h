#pragma once

// The library's mathematical constants, to double precision (pi is the value
// acos(-1.0) gives on every platform), fixed at compile time so that no code
// depends on initialisation order.

namespace quelbrant {

constexpr double Pi = 3.141592653589793;
constexpr double TwoPi = 6.283185307179586;

}  // namespace quelbrant
