#pragma once

// Bracketing of one coordinate on one ascending axis, the building block of
// the table interpolation.

#include <cstddef>

namespace quelbrant {

struct AxisBracket {
    size_t node[2] = {0, 0};        // lower, upper node index
    double weight[2] = {0.0, 0.0};  // their weights

    // Nodes that take part: only the lower one when the upper weight is
    // exactly zero.
    size_t nodeCount() const { return weight[1] == 0.0 ? 1 : 2; }
};

// Brackets x0 on the ascending axis x[0] ... x[count - 1] (see
// updatePAndWeights for the rules). Reads the axis in place, so a column of
// a larger table can be bracketed without a copy.
AxisBracket bracketAxis(const double* x, size_t count, double x0, bool nearest);

}  // namespace quelbrant
