#pragma once

// Turning an interpolated, polarisation-contracted table into the diffraction
// orders that propagate: direction from the grating equation, field in the
// S/P basis of that direction at unit power, power, and the magnitude of the
// code the host receives (1 specular zeroth order, 6 any other order).
//
// Tables here have extents [n-orders, m-orders, 2], first index fastest; the
// last index is the outgoing component (0: S or X, 1: P or Y).

#include <complex>
#include <vector>

#include "NdArray.h"

namespace quelbrant {

// Position of val in the ascending list orders, or -1 when it is not listed.
// A value below the first element gives 0, one above the last element gives
// the last position: clamped positions, not matches. An empty list gives -1.
int findpos(const std::vector<int>& orders, int val);

// Replaces Ginterp (extents [size of n, size of m, 2]) by the 1 x 1 x 2 table
// of the order (n0, m0); an order the lists do not hold gives two zeros.
// Throws std::out_of_range when the table does not match the lists.
void reduceToSingleOrder(NdArrayComplex& Ginterp, const std::vector<int>& n, const std::vector<int>& m,
                         int n0, int m0);

// Appends every propagating order of RT (extents [size of n, size of m, 2]) to
// the seven lists, m-major (all n for the first m, then the next m).
//
// kMaterial: wave number of the medium the orders travel in (rad/m);
// kInx, kIny: in-plane wave vector of the incident ray (rad/m); k1gk2g: the
// lattice vectors [K1x, K1y, |K1|, K2x, K2y, |K2|] at the ray (rad/m), a zero
// norm keeping only the order nearest 0 along that lattice direction;
// zDirSign: sign of the outgoing direction's z; specular: the (0, 0) order is
// marked 1 instead of 6; RT_is_in_XY: RT holds X/Y components, converted to
// S/P of each order's direction.
//
// An order propagates when ux^2 + uy^2 < 1 strictly and carries a finite,
// positive power. Non-finite inputs therefore build no order rather than
// orders with NaN directions or fields. Throws std::out_of_range (before
// appending anything) when RT or k1gk2g do not have the extents above.
void constructAllOrders(std::vector<double>& Ux, std::vector<double>& Uy, std::vector<double>& Uz,
                        std::vector<double>& power, std::vector<int>& specOrDirac,
                        std::vector<std::complex<double>>& ESOut, std::vector<std::complex<double>>& EPOut,
                        double kMaterial, double kInx, double kIny, const std::vector<double>& k1gk2g,
                        const std::vector<int>& n, const std::vector<int>& m, const NdArrayComplex& RT,
                        double zDirSign, bool specular, bool RT_is_in_XY);

}  // namespace quelbrant
