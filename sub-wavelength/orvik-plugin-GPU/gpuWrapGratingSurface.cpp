#include <complex>

#include "ErrorTable.h"
#include "ExportGuards.h"
#include "GratingSurface.h"
#include "GratingSurfaceAccess.h"
#include "LiveSurfaces.h"

using quelbrant::GratingSurface;
using quelbrant::GratingSurfaceAccess;
using quelbrant::NdArray;
using quelbrant::NdArrayComplex;
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

void fillView(dirtyGratingWrapper& wrapper, const GratingSurface& surface)
{
    using Access = GratingSurfaceAccess;

    wrapper.mNLower = Access::mNLower(surface);
    wrapper.mNUpper = Access::mNUpper(surface);
    wrapper.mK1Gx = Access::mK1Gx(surface);
    wrapper.mK1Gy = Access::mK1Gy(surface);
    wrapper.mK2Gx = Access::mK2Gx(surface);
    wrapper.mK2Gy = Access::mK2Gy(surface);
    wrapper.mK1GNorm = Access::mK1GNorm(surface);
    wrapper.mK2GNorm = Access::mK2GNorm(surface);
    wrapper.mAngleDef = static_cast<int>(Access::mAngleDef(surface));
    wrapper.mUseSurfaceNormal = Access::mUseSurfaceNormalToDetermineDirection(surface);

    for (size_t h = 0; h < 2; ++h) {
        dirtyGratingWrapper::HalfSpace& side = wrapper.mHalfSpaces[h];
        side.mLambda = vector2view(Access::mLambda(surface)[h]);
        side.mPhiOrUyOrKy = vector2view(Access::mPhiOrUyOrKy(surface)[h]);
        // The theta data the interaction itself uses on this side: the
        // wavelength-dependent table when there is one, else the plain axis
        // (an empty extent list tells the tracer it is one-dimensional).
        if (!Access::mTheta(surface)[h].empty())
            side.mThetaOrUxOrKx = tableView(Access::mTheta(surface)[h]);
        else
            side.mThetaOrUxOrKx = {{0, nullptr}, vector2view(Access::mThetaOrUxOrKx(surface)[h])};
        side.m_list_orders_Rn = vector2view(Access::m_list_orders_Rn(surface)[h]);
        side.m_list_orders_Rm = vector2view(Access::m_list_orders_Rm(surface)[h]);
        side.m_list_orders_Tn = vector2view(Access::m_list_orders_Tn(surface)[h]);
        side.m_list_orders_Tm = vector2view(Access::m_list_orders_Tm(surface)[h]);
        side.mR = complexTableView(Access::mR(surface)[h]);
        side.mT = complexTableView(Access::mT(surface)[h]);
        side.mLossless = Access::mLossless(surface)[h];
    }
}

}  // namespace

int gpuWrapGratingSurface(dirtyGratingWrapper& wrapper, void* instance)
{
    if (instance == nullptr)
        return -1;
    try {
        // A released surface's tables are freed memory: only a live one is
        // read, and a Release of it waits until the view is filled.
        const auto fill = [](const void* surface, void* view) {
            fillView(*static_cast<dirtyGratingWrapper*>(view), *static_cast<const GratingSurface*>(surface));
        };
        if (!quelbrant::readLiveSurface(instance, fill, &wrapper))
            return quelbrant::addErrorMessage(
                "The GPU view was given an instance that is not a loaded surface (released before, or never "
                "returned by LoadFile); nothing was read.",
                false);
    } catch (...) {
        return quelbrant::registerCurrentException("GPU view failed");
    }
    return 0;
}
