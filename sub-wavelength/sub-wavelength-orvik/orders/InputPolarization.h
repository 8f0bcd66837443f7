#pragma once

// Contraction of an interpolated Jones table with the incident field.

#include <complex>

#include "NdArray.h"

namespace quelbrant {

// Ginterp: [Nn, Nm, PolOut = 2, PolIn = 2], in the basis of EinS/EinP (S/P,
// or X/Y when the tables are held in X/Y). On return Ginterp is
// [Nn, Nm, PolOut]: the outgoing Jones vector of every order,
// out = G(.., 0) * EinS + G(.., 1) * EinP. Works in place, allocates nothing.
// Throws std::invalid_argument, leaving Ginterp unchanged, for any other
// shape.
void applyInputPolarization(NdArrayComplex& Ginterp, std::complex<double> EinS, std::complex<double> EinP);

}  // namespace quelbrant
