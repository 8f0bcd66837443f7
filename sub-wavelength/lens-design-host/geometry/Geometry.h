#pragma once

// Small vector routines of the lens-design host's frames. Angles are in
// degrees; a turn by a moves (x, y) to (cos a x + sin a y, cos a y - sin a x),
// that is clockwise seen from +z: the frame is turned by +a.

#include <array>
#include <complex>
#include <vector>

namespace quelbrant {

void rotateDegrees(double& x, double& y, const double& degrees);
// Real and imaginary parts turn alike.
void rotateDegrees(std::complex<double>& x, std::complex<double>& y, const double& degrees);

// a x b of two 3-vectors.
std::vector<double> crossProduct(const std::vector<double>& a, const std::vector<double>& b);
std::vector<double> cross(std::vector<double> a, std::vector<double> b);

// Euclidean length of a 3-vector, which is scaled in place to unit length
// unless the length is 0.0.
double vectorNorm(std::vector<double>& v);

// The same two on fixed-size vectors, for frames built once per ray
// without allocating.
std::array<double, 3> cross(const std::array<double, 3>& a, const std::array<double, 3>& b);
double vectorNorm(std::array<double, 3>& v);

// True when no component is NaN or infinite.
bool allFinite(const std::array<double, 3>& v);

// Scales v in place by a power of two (exactly) when its squares would
// overflow or sink below the normal doubles, so that vectorNorm then gives
// a unit vector. False, v untouched, when v is 0 or not finite.
bool scaleForNorm(std::array<double, 3>& v);

// A host's direction made its unit vector: false as scaleForNorm. A vector
// of unit length to rounding is left bit for bit as it is.
bool makeUnit(std::array<double, 3>& v);

// The incident direction as the lens-design entries hand it to the
// interaction: of unit length (as makeUnit), so that a reflected ray keeps
// the length isOutgoingDirection looks for, and with +0 for -0: the field is
// split into s and p about the ray's azimuth, and an order leaving along the
// normal is built with +0, where atan2(0, -0) = pi would turn s and p over.
// For the same reason a tangential part within rounding of zero (a ray along
// a tilted normal, taken into the grating's frame) is zero: the tables at
// normal incidence would otherwise be read at the azimuth of that rounding.
// False, v untouched, when v is 0 or has a NaN or infinite component: such a
// ray is refused, never traced.
bool prepareIncidentDirection(std::array<double, 3>& v);

// True when the direction an interaction wrote back is of unit length. It is
// not only where no ray leaves although the interaction counts one: total
// internal reflection where only the transmitted ray was asked for outside
// the characterised region gives the transmitted ray's tangential part and no
// energy.
bool isOutgoingDirection(const double* direction);

}  // namespace quelbrant
