#include <complex>

#include "GratingSurface.h"
#include "dirtyGratingWrapper.h"

static_assert(sizeof(std::complex<double>) == sizeof(dirtyGratingWrapper::dirtyComplex) &&
                  alignof(std::complex<double>) == alignof(dirtyGratingWrapper::dirtyComplex),
              "complex tables are viewed in place");

namespace {

template <typename T>
dirtyGratingWrapper::view_nd<T> tableView(const NdArray<T>& table)
{
    return {vector2view(table.m_size), vector2view<T>(table)};
}

dirtyGratingWrapper::view_nd<dirtyGratingWrapper::dirtyComplex> complexTableView(const NdArrayComplex& table)
{
    // std::complex<double> is two doubles, real part first, so the table can
    // be handed out as it is stored.
    return {vector2view(table.m_size),
            {table.size(), reinterpret_cast<const dirtyGratingWrapper::dirtyComplex*>(table.data())}};
}

}  // namespace

int gpuWrapGratingSurface(dirtyGratingWrapper& wrapper, void* instance)
{
    if (instance == nullptr)
        return -1;
    const GratingSurface& surface = *static_cast<const GratingSurface*>(instance);

    wrapper.mNLower = surface.mNLower;
    wrapper.mNUpper = surface.mNUpper;
    wrapper.mK1Gx = surface.mK1Gx;
    wrapper.mK1Gy = surface.mK1Gy;
    wrapper.mK2Gx = surface.mK2Gx;
    wrapper.mK2Gy = surface.mK2Gy;
    wrapper.mK1GNorm = surface.mK1GNorm;
    wrapper.mK2GNorm = surface.mK2GNorm;
    wrapper.mAngleDef = static_cast<int>(surface.mAngleDef);
    wrapper.mUseSurfaceNormal = surface.mUseSurfaceNormalToDetermineDirection;

    for (size_t h = 0; h < 2; ++h) {
        dirtyGratingWrapper::HalfSpace& side = wrapper.mHalfSpaces[h];
        side.mLambda = vector2view(surface.mLambda[h]);
        side.mPhiOrUyOrKy = vector2view(surface.mPhiOrUyOrKy[h]);
        // The theta data the interaction itself uses on this side: the
        // wavelength-dependent table when there is one, else the plain axis
        // (an empty extent list tells the tracer it is one-dimensional).
        if (!surface.mTheta[h].empty())
            side.mThetaOrUxOrKx = tableView(surface.mTheta[h]);
        else
            side.mThetaOrUxOrKx = {{0, nullptr}, vector2view(surface.mThetaOrUxOrKx[h])};
        side.m_list_orders_Rn = vector2view(surface.m_list_orders_Rn[h]);
        side.m_list_orders_Rm = vector2view(surface.m_list_orders_Rm[h]);
        side.m_list_orders_Tn = vector2view(surface.m_list_orders_Tn[h]);
        side.m_list_orders_Tm = vector2view(surface.m_list_orders_Tm[h]);
        side.mR = complexTableView(surface.mR[h]);
        side.mT = complexTableView(surface.mT[h]);
        side.mLossless = surface.mLossless[h];
    }
    return 0;
}
