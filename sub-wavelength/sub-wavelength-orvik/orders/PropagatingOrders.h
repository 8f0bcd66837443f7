#pragma once

// Turning an interpolated, polarisation-contracted table into the diffraction
// orders that propagate: direction from the grating equation, field in the
// S/P basis of that direction at unit power, power, and the magnitude of the
// code the host receives (1 specular zeroth order, 6 any other order).
//
// Tables here have extents [n-orders, m-orders, 2], first index fastest; the
// last index is the outgoing component (0: S or X, 1: P or Y).

#include <complex>
#include <cstddef>
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

// One entry per propagating order: reflected orders first, then transmitted
// ones, each family m-major. Fields in the S/P basis of the order's
// direction, at unit power; power in the units of the incident field's.
struct PropagatingOrderList {
    std::vector<double> Ux, Uy, Uz, power;
    std::vector<int> specOrDirac;  // 1 specular zeroth order, 6 any other
    std::vector<std::complex<double>> ESOut, EPOut;

    size_t size() const { return power.size(); }
    // Empties every list, keeping their storage for the next ray.
    void clear();
};

// One family of orders (reflected or transmitted) of one ray, as the grating
// equation builds it.
struct OrderFamilyInputs {
    // The interpolated, polarisation-contracted table, extents
    // [size of n, size of m, 2], and its order lists.
    const NdArrayComplex* table = nullptr;
    const std::vector<int>* n = nullptr;
    const std::vector<int>* m = nullptr;
    // Lattice vectors [K1x, K1y, |K1|, K2x, K2y, |K2|] at the ray (rad/m); a
    // zero norm keeps only the order nearest 0 along that lattice direction.
    const std::vector<double>* k1gk2g = nullptr;
    double kMaterial = 0.0;  // wave number of the medium the orders travel in (rad/m)
    double kInx = 0.0;       // in-plane wave vector of the incident ray (rad/m)
    double kIny = 0.0;
    double zDirSign = 1.0;   // sign of the outgoing direction's z
    bool specular = false;   // the (0, 0) order is marked 1 instead of 6
    bool tableInXY = false;  // the table holds X/Y components, converted to S/P of each order
};

// Returns the family's propagating orders, m-major (all n for the first m,
// then the next m). The second form appends them to `orders` and returns
// that list: the ray path builds into its scratch list, whose buffers a warm
// thread already has, so it allocates nothing. On a throw nothing has been
// appended.
//
// An order propagates when ux^2 + uy^2 < 1 strictly and carries a finite,
// positive power. Non-finite inputs therefore build no order rather than
// orders with NaN directions or fields. Throws std::out_of_range when the
// table or k1gk2g do not have the extents above, and std::invalid_argument
// when an input is missing.
PropagatingOrderList constructAllOrders(const OrderFamilyInputs& family);
PropagatingOrderList& constructAllOrders(const OrderFamilyInputs& family, PropagatingOrderList& orders);

}  // namespace quelbrant
