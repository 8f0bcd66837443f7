#pragma once

// The position stage of the table interpolation: the four grid nodes around
// a point of the position grid, their bilinear weights, and what to do when
// some of them carry no data.

#include <vector>

#include "NdArray.h"

namespace quelbrant {

// Corners counter-clockwise: 0 = (lower X node, lower Y node), 1 = (upper X,
// lower Y), 2 = (upper X, upper Y), 3 = (lower X, upper Y).
struct PositionCorners {
    double weight[4] = {0.0, 0.0, 0.0, 0.0};
    int position[4] = {0, 0, 0, 0};  // position numbers from 1 (table slice + 1)
};

// Finds the corners of the point (X0, Y0) on the ascending axes X, Y and the
// index map (addressed (Y node, X node), values <= 0 mark nodes without
// data). nearest selects nearest-node lookup on both axes.
//
// Returns false, after a debug line, when the point cannot be served: two or
// more corners without data; one such corner that nearest mode would pick;
// or a point strictly inside the half of the cell (cut by the diagonal
// through the missing corner's two neighbours) that touches the missing
// corner. With one missing corner otherwise, that corner's weight is spread
// over the other three in proportion to their weights (they again sum to 1)
// and its position number is set to 1 with weight 0.
//
// Throws std::out_of_range when the index map's extents are not
// (size of Y, size of X) or an axis is empty.
bool locatePositionCorners(const NdArrayInt& indexMap, const std::vector<double>& X, double X0,
                           const std::vector<double>& Y, double Y0, bool nearest, PositionCorners& corners);

// Lattice vectors at the point: [K1x, K1y, |K1|, K2x, K2y, |K2|], the
// components weighted over the corners (corner 0 first) and the norms taken
// from the weighted components. The four lists are indexed by position
// number - 1; the caller has checked every corner's number addresses them.
void latticeVectorsAtCorners(const PositionCorners& corners, const std::vector<double>& k1x,
                             const std::vector<double>& k1y, const std::vector<double>& k2x,
                             const std::vector<double>& k2y, double* k1gk2g);

}  // namespace quelbrant
