#include "interpolation/InteractionSurfaceTables.h"

#include <exception>

#include "GratingSurfaceAccess.h"

namespace quelbrant {

using Access = GratingSurfaceAccess;

HalfSpaceGrid halfSpaceGrid(const GratingSurface& surface, size_t side)
{
    HalfSpaceGrid grid;
    const NdArrayReal& theta = Access::mTheta(surface)[side];
    const std::vector<double>& lambda = Access::mLambda(surface)[side];
    grid.angle2 = &Access::mPhiOrUyOrKy(surface)[side];
    grid.lambda = &lambda;
    if (theta.empty()) {
        const std::vector<double>& axis = Access::mThetaOrUxOrKx(surface)[side];
        grid.angle1Nodes = axis.data();
        grid.angle1Length = axis.size();
    } else {
        // A theta table of the wrong shape leaves angle 1 without nodes.
        useThetaPerWavelength(grid, theta);
    }
    grid.withPosition = Access::mXyVarOrParScan(surface);
    if (grid.withPosition) {
        const NdArrayComplex& R = Access::mR(surface)[side];
        grid.positions = R.m_size.empty() ? 0 : R.m_size[0];
        grid.indexMap = &Access::mIndexMap(surface);
        grid.X = &Access::mXOrRadOrPar1(surface);
        grid.Y = &Access::mYOrPolOrPar2(surface);
        grid.k1x = &Access::mK1Gxv2(surface);
        grid.k1y = &Access::mK1Gyv2(surface);
        grid.k2x = &Access::mK2Gxv2(surface);
        grid.k2y = &Access::mK2Gyv2(surface);
    }
    return grid;
}

namespace {

bool ordersFit(const OrderFastestTable& table, const std::vector<int>& n, const std::vector<int>& m)
{
    return table.nOrders() == n.size() && table.mOrders() == m.size();
}

}  // namespace

std::shared_ptr<const InteractionTables> makeInteractionTables(const GratingSurface& surface)
{
    auto tables = std::make_shared<InteractionTables>();
    const bool withPosition = Access::mXyVarOrParScan(surface);
    for (size_t side = 0; side < 2; ++side) {
        try {
            OrderFastestTable R(Access::mR(surface)[side], withPosition);
            OrderFastestTable T(Access::mT(surface)[side], withPosition);
            const HalfSpaceGrid grid = halfSpaceGrid(surface, side);
            const bool fits = tableFitsGrid(R, grid) && tableFitsGrid(T, grid) &&
                              ordersFit(R, Access::m_list_orders_Rn(surface)[side],
                                        Access::m_list_orders_Rm(surface)[side]) &&
                              ordersFit(T, Access::m_list_orders_Tn(surface)[side],
                                        Access::m_list_orders_Tm(surface)[side]);
            if (!fits)
                continue;
            tables->R[side] = std::move(R);
            tables->T[side] = std::move(T);
            tables->usable[side] = true;
        } catch (const std::exception&) {
            // Tables of the wrong form (the reference interpolators refuse
            // them with their own error when a ray needs them), or no room
            // for a copy: this side's rays read the dense tables.
        }
    }
    return tables;
}

void GratingSurface::rebuildInteractionTables() noexcept
{
    // Release the old copy first: old and new never need to fit together.
    mInteractionTables.reset();
    try {
        mInteractionTables = makeInteractionTables(*this);
    } catch (...) {
        // Without working tables every ray reads the dense tables.
    }
}

}  // namespace quelbrant
