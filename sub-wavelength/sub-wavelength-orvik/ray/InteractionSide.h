#pragma once

// Which half space an incident ray comes from, and the lens-design host's
// check that the ray's media are the surface's.
//
// Half-space index: 0 = lower (z < 0, index mNLower), 1 = upper (z > 0,
// index mNUpper). n1 is the index of the medium the ray travels in, n2 that
// of the medium beyond the surface.

#include <cstddef>
#include <string>

namespace quelbrant {

// By direction alone: a ray travelling toward +z comes from the lower half
// space; dirZ = 0 (grazing) counts as upper.
size_t halfSpaceFromDirection(double dirZ);

// By the media: the side whose (incident, other) index pair lies nearer
// (nLower, nUpper) or (nUpper, nLower) in the squared distance. Keeps
// sideByDirection when the surface or the ray has equal indices on both
// sides, or when both pairings are equally near.
size_t halfSpaceFromIndices(double nLower, double nUpper, double n1, double n2, size_t sideByDirection);

// True when the ray's media match the surface's within 1e-6 for the side its
// direction gives; a grazing ray (dirZ = 0) compares nothing and matches.
bool indicesMatchSurface(double nLower, double nUpper, double n1, double n2, double dirZ);

// The lens-design host's text for a failed index check: the surface's
// indices, then the ray's ordered as lower, upper by its direction.
std::string indexMismatchMessage(double nLower, double nUpper, double n1, double n2, double dirZ);

}  // namespace quelbrant
