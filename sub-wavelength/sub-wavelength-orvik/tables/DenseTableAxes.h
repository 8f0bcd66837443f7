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

// The labels of a table, in the order of its dimensions, pointing at the
// arguments.
inline DenseTableAxes denseTableAxes(const std::vector<double>& angle1, const std::vector<double>& angle2,
                                     const std::vector<double>& lambda, const std::vector<int>& nOrders,
                                     const std::vector<int>& mOrders, bool withPosition)
{
    DenseTableAxes axes;
    axes.angle1 = &angle1;
    axes.angle2 = &angle2;
    axes.lambda = &lambda;
    axes.nOrders = &nOrders;
    axes.mOrders = &mOrders;
    axes.withPosition = withPosition;
    return axes;
}

}  // namespace quelbrant
