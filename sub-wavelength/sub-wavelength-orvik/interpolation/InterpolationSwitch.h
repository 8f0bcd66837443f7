#pragma once

namespace quelbrant {

// The interpolation switch word `no_interp`: which axes of a table lookup
// take the nearest node instead of interpolating. Shared by the reference
// interpolators and the ray path's working tables, so both read a word the
// same way.

// Bits of the switch word (values 1 to 7; any other value, 0, negative or 8
// and above, interpolates along every axis).
constexpr int NearestWavelengthNode = 1;
constexpr int NearestAngleNodes = 2;     // both angle axes
constexpr int NearestPositionNodes = 4;  // both position axes

// The axes along which a switch word asks for the nearest node.
struct NearestNodeAxes {
    bool wavelength = false;
    bool angles = false;
    bool position = false;
};

NearestNodeAxes decodeInterpolationSwitch(int no_interp);

}  // namespace quelbrant
