#include "interpolation/TableStencil.h"

#include "interpolation/AxisBracket.h"
#include "interpolation/PositionCorners.h"

namespace quelbrant {

void buildTableStencil(const TableAxes& axes, double angle10, double angle20, double lambda0,
                       const NearestNodeAxes& nearest, const PositionCorners* corners,
                       InterpolationStencil& stencil)
{
    const AxisBracket wp = bracketAxis(axes.angle2, axes.angle2Length, angle20, nearest.angles);
    const AxisBracket wl = bracketAxis(axes.lambda, axes.lambdaLength, lambda0, nearest.wavelength);
    // Theta bracket in the column of each wavelength node, both nodes even
    // when only the first is used.
    AxisBracket wt[2];
    for (size_t k = 0; k < 2; ++k)
        wt[k] = bracketAxis(axes.angle1 + wl.node[k] * axes.angle1WavelengthStride, axes.angle1Length,
                            angle10, nearest.angles);
    const size_t lc = wl.nodeCount();
    const size_t pc = wp.nodeCount();
    const size_t tc = (wt[0].weight[1] == 0.0 && wt[1].weight[1] == 0.0) ? 1 : 2;

    // The weight products keep this grouping: changing it changes the
    // last bits of the results.
    const size_t A1 = axes.angle1Length;
    const size_t A2 = axes.angle2Length;
    const size_t P = axes.positions;
    stencil.count = 0;
    for (size_t k = 0; k < lc; ++k) {
        for (size_t j = 0; j < pc; ++j) {
            for (size_t i = 0; i < tc; ++i) {
                const double wti = wt[k].weight[i];
                const size_t node = wt[k].node[i] + A1 * (wp.node[j] + A2 * wl.node[k]);
                if (!corners) {
                    stencil.add(node, (wti * wp.weight[j]) * wl.weight[k]);
                    continue;
                }
                for (size_t c = 0; c < 4; ++c)
                    stencil.add(static_cast<size_t>(corners->position[c] - 1) + P * node,
                                ((corners->weight[c] * wti) * wp.weight[j]) * wl.weight[k]);
            }
        }
    }
}

}  // namespace quelbrant
