#pragma once

// What labels the dimensions of one dense reflection or transmission table
// (see DenseTableShape.h), as pointers into the caller's data.

#include <vector>

namespace quelbrant {

struct DenseTableAxes {
    const std::vector<double>* angle1 = nullptr;  // theta (degrees), ux or kx; ascending once sorted
    const std::vector<double>* angle2 = nullptr;  // phi (degrees), uy or ky
    const std::vector<double>* lambda = nullptr;  // wavelengths, m
    const std::vector<int>* nOrders = nullptr;    // consecutive order numbers of the Nn dimension
    const std::vector<int>* mOrders = nullptr;    // likewise for Nm
    bool withPosition = false;                    // the table leads with a position dimension

    // True when every list is given.
    bool complete() const { return angle1 && angle2 && lambda && nOrders && mOrders; }
};

}  // namespace quelbrant
