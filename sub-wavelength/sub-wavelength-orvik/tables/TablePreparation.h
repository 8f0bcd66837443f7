#pragma once

// Turning one half space's file tables into the dense tables the ray path
// indexes directly, checking them against their axes, and sorting the axes.
//
// File table ("R" or "T" as read), 6 + p dimensions, p = 1 with position data:
//   [position] x A1 x A2 x L x K listed orders x PolOut x PolIn
// Dense table (mR / mT), 7 + p dimensions:
//   [position] x A1 x A2 x L x Nn x Nm x PolOut x PolIn
// first index fastest. A1 is theta (degrees), ux or kx; A2 phi (degrees), uy
// or ky; L the wavelength. Order n sits at index n - nmin, m at m - mmin;
// orders the file does not list hold complex zero. Polarisation index 0 is S
// (X when the table is held in the X/Y basis), 1 is P (Y).
//
// A check on the file's data fails with `throw addErrorMessage(message,
// false)`; faults in the caller's own arguments throw standard exceptions.

#include <cstddef>
#include <vector>

#include "NdArray.h"
#include "tables/DenseTableAxes.h"

namespace quelbrant {
struct PositionData;

// Widest order range (nmax - nmin + 1, likewise for m) an order list may
// span. Far beyond any physical grating; it keeps a corrupt list from
// demanding gigabytes before a single value is read.
constexpr long long MaxOrderSpan = 1 << 16;

// Largest dense table, in complex elements (4 GiB), that populateRTMatrices
// will allocate whatever the file holds.
constexpr size_t MaxDenseTableElements = size_t{1} << 28;

// Below that cap, how far a sparse order list may spread a file table.
// The dense table adds the zero blocks of every order the list leaves out
// between its extremes. Order lists of real gratings fill most of their
// range (the propagating orders of a 1-D or 2-D grating), so their dense
// tables are a small multiple of the file's; a file that keeps only a few far
// orders is still served up to MaxDenseToFileRatio times its own table, and
// any file up to DenseTableAllowance elements (256 MiB). Beyond both, a file
// of a few hundred bytes could demand gigabytes: the table's memory must
// stay in proportion to the data that was actually given.
constexpr size_t DenseTableAllowance = size_t{1} << 24;
constexpr size_t MaxDenseToFileRatio = 64;

// True when a dense table of denseElements may be built from a file table
// of fileElements under the three limits above.
bool isDenseTableAffordable(size_t denseElements, size_t fileElements);

// Fills n with nmin..nmax and m with mmin..mmax (consecutive, ascending) from
// an order list of K x 2 entries (column 0 = n, column 1 = m). n and m are
// untouched when the list is rejected.
void constructOrderVectors(NdArrayInt& in, std::vector<int>& n, std::vector<int>& m);

// Builds the dense table RT from the file table `in`, the order vectors n, m
// and the order list nm it was read with. A row repeating an (n, m) pair
// overwrites the earlier row (the loader refuses such lists before, see
// RepeatedOrders.h). Everything about the file table is checked
// before RT is touched: its dimension count, its order extent against the
// rows of nm, its element count and the size of the dense result
// (isDenseTableAffordable). Order
// vectors that do not cover nm (a caller fault) throw std::invalid_argument.
void populateRTMatrices(NdArrayComplex& in, std::vector<int>& n, std::vector<int>& m, NdArrayInt& nm,
                        NdArrayComplex& RT, bool mXyVarOrParScan);

// Checks a dense table against its axes and order vectors and, with
// position data (axes.withPosition), against the six per-position lattice
// lists, the index map and the two position axes of positions. The first
// failing check ends the call. An empty angle or wavelength axis is refused
// as well. Missing axes, or missing position data where the axes ask for it
// (a caller fault), throw std::invalid_argument.
void validateDimensions(const NdArrayComplex& A, const quelbrant::DenseTableAxes& axes,
                        const quelbrant::PositionData* positions);

// Sorts the two angle axes and the wavelength axis ascending (stable) and
// permutes both dense tables to match. Axes already in order cost one scan
// each and change nothing. Throws std::invalid_argument, before changing
// anything, when a table's grid extents disagree with the axes.
void sortAngleAndWavelength(NdArrayComplex& R, NdArrayComplex& T, std::vector<double>& nt,
                            std::vector<double>& np, std::vector<double>& nl, bool mXyVarOrParScan);

// True when no element exceeds its successor (equal neighbours pass).
bool isMonotonicallyIncreasingOrEqual(const std::vector<double>& x);

// An axis value and its position in the unsorted axis; orders by value only.
class realInd {
public:
    double val;
    size_t ind;
    bool operator<(const realInd& other) const { return val < other.val; }
};

// Returns x sorted ascending, equal values in input order, and fills map so
// that result[i] == x[map[i]].
std::vector<double> stableSort(const std::vector<double>& x, std::vector<size_t>& map);

}  // namespace quelbrant
