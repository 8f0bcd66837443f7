#include "interpolation/AxisBracket.h"

#include "interpolation/Interpolation.h"

namespace quelbrant {

AxisBracket bracketAxis(const double* x, size_t count, double x0, bool nearest)
{
    AxisBracket b;
    if (count == 0)
        return b;
    // Written as !(x0 > x[0]) so that a NaN coordinate lands here too: every
    // comparison with NaN is false, and this is the one branch whose
    // indices and weights do not depend on x0.
    if (count == 1 || !(x0 > x[0])) {
        b.weight[0] = 1.0;
        return b;
    }
    const size_t last = count - 1;
    if (x0 >= x[last]) {
        b.node[0] = b.node[1] = last;
        b.weight[0] = 1.0;
        return b;
    }
    // Invariant x[lo] < x0 <= x[hi]; among equal nodes hi ends on the lowest
    // one not below x0.
    size_t lo = 0;
    size_t hi = last;
    while (lo + 1 < hi) {
        const size_t mid = (lo + hi) / 2;
        if (x[mid] >= x0)
            hi = mid;
        else
            lo = mid;
    }
    b.node[0] = lo;
    b.node[1] = hi;
    const double delta = x[hi] - x[lo];
    if (delta != 0.0) {
        b.weight[0] = (x[hi] - x0) / delta;
        b.weight[1] = 1.0 - b.weight[0];
    } else {
        b.weight[0] = b.weight[1] = 0.5;
    }
    if (nearest) {
        // A tie (midway, or equal nodes) takes the upper node.
        const bool lower = b.weight[0] > b.weight[1];
        b.weight[0] = lower ? 1.0 : 0.0;
        b.weight[1] = lower ? 0.0 : 1.0;
    }
    return b;
}

void updatePAndWeights(const std::vector<double>& x, double x0, double& w1, size_t& p1, double& w2,
                       size_t& p2, bool no_interp)
{
    const AxisBracket b = bracketAxis(x.data(), x.size(), x0, no_interp);
    p1 = b.node[0];
    p2 = b.node[1];
    w1 = b.weight[0];
    w2 = b.weight[1];
}

}  // namespace quelbrant
