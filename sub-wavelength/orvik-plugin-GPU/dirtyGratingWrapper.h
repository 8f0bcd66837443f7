#pragma once

// Flat view of a loaded grating surface for a GPU ray tracer built apart from
// this library. The record is a binary contract: the static_asserts below pin
// every offset. Views point straight into the surface's own storage and stay
// valid until the surface is released; nothing is copied.

#include <cstddef>
#include <vector>

#include "plugin_export.h"

struct dirtyGratingWrapper {
    // mSize elements starting at mData (any pointer when mSize is 0).
    template <typename T>
    struct view {
        size_t mSize;
        const T* mData;
    };

    // Laid out as std::complex<double>: real part first.
    struct dirtyComplex {
        double r;
        double i;
    };

    // An n-dimensional table: extents (first fastest) and all elements in
    // storage order. The extents are size_t, 64 bits on every supported
    // platform (unsigned long is only 32 bits on Windows).
    template <typename T>
    struct view_nd {
        view<size_t> mDims;
        view<T> mData;
    };

    // One half space: index 0 lower (z < 0, light from below), 1 upper.
    struct HalfSpace {
        view<double> mLambda;
        view<double> mPhiOrUyOrKy;
        // With a wavelength-dependent theta table: that table, extents
        // {theta count, wavelength count}. Otherwise the plain first angle
        // axis, with mDims = {0, null}.
        view_nd<double> mThetaOrUxOrKx;
        view<int> m_list_orders_Rn;
        view<int> m_list_orders_Rm;
        view<int> m_list_orders_Tn;
        view<int> m_list_orders_Tm;
        view_nd<dirtyComplex> mR;
        view_nd<dirtyComplex> mT;
        bool mLossless;
    };

    HalfSpace mHalfSpaces[2];
    double mNLower;
    double mNUpper;
    double mK1Gx;  // reciprocal lattice vectors, 1/m
    double mK1Gy;
    double mK2Gx;
    double mK2Gy;
    double mK1GNorm;
    double mK2GNorm;
    int mAngleDef;  // GratingSurface::AngleDefinition
    bool mUseSurfaceNormal;
};

// Fills `wrapper` from the surface `instance` (from LoadFile) and returns 0;
// a null instance returns -1, any other that is not a live surface (released
// before, or never returned by LoadFile) an error index, and neither touches
// the record.
extern "C" QUELBRANT_EXPORT int gpuWrapGratingSurface(dirtyGratingWrapper& wrapper, void* instance);

// {size(), data()} of a vector.
template <typename T>
dirtyGratingWrapper::view<T> vector2view(const std::vector<T>& values)
{
    return {values.size(), values.data()};
}

static_assert(sizeof(size_t) == 8 && sizeof(void*) == 8 && sizeof(double) == 8 && sizeof(int) == 4,
              "the GPU view assumes a 64-bit platform");

static_assert(sizeof(dirtyGratingWrapper::view<double>) == 16, "view size");
static_assert(offsetof(dirtyGratingWrapper::view<double>, mSize) == 0, "view::mSize");
static_assert(offsetof(dirtyGratingWrapper::view<double>, mData) == 8, "view::mData");
static_assert(sizeof(dirtyGratingWrapper::view_nd<double>) == 32, "view_nd size");
static_assert(offsetof(dirtyGratingWrapper::view_nd<double>, mDims) == 0, "view_nd::mDims");
static_assert(offsetof(dirtyGratingWrapper::view_nd<double>, mData) == 16, "view_nd::mData");
static_assert(sizeof(dirtyGratingWrapper::view_nd<dirtyGratingWrapper::dirtyComplex>) == 32, "view_nd size");
static_assert(sizeof(dirtyGratingWrapper::dirtyComplex) == 16, "dirtyComplex size");
static_assert(offsetof(dirtyGratingWrapper::dirtyComplex, r) == 0, "dirtyComplex::r");
static_assert(offsetof(dirtyGratingWrapper::dirtyComplex, i) == 8, "dirtyComplex::i");

static_assert(sizeof(dirtyGratingWrapper::HalfSpace) == 200, "HalfSpace size");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, mLambda) == 0, "mLambda");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, mPhiOrUyOrKy) == 16, "mPhiOrUyOrKy");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, mThetaOrUxOrKx) == 32, "mThetaOrUxOrKx");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, m_list_orders_Rn) == 64, "m_list_orders_Rn");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, m_list_orders_Rm) == 80, "m_list_orders_Rm");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, m_list_orders_Tn) == 96, "m_list_orders_Tn");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, m_list_orders_Tm) == 112, "m_list_orders_Tm");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, mR) == 128, "mR");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, mT) == 160, "mT");
static_assert(offsetof(dirtyGratingWrapper::HalfSpace, mLossless) == 192, "mLossless");

static_assert(sizeof(dirtyGratingWrapper) == 472, "dirtyGratingWrapper size");
static_assert(alignof(dirtyGratingWrapper) == 8, "dirtyGratingWrapper alignment");
static_assert(offsetof(dirtyGratingWrapper, mHalfSpaces) == 0, "mHalfSpaces");
static_assert(offsetof(dirtyGratingWrapper, mNLower) == 400, "mNLower");
static_assert(offsetof(dirtyGratingWrapper, mNUpper) == 408, "mNUpper");
static_assert(offsetof(dirtyGratingWrapper, mK1Gx) == 416, "mK1Gx");
static_assert(offsetof(dirtyGratingWrapper, mK1Gy) == 424, "mK1Gy");
static_assert(offsetof(dirtyGratingWrapper, mK2Gx) == 432, "mK2Gx");
static_assert(offsetof(dirtyGratingWrapper, mK2Gy) == 440, "mK2Gy");
static_assert(offsetof(dirtyGratingWrapper, mK1GNorm) == 448, "mK1GNorm");
static_assert(offsetof(dirtyGratingWrapper, mK2GNorm) == 456, "mK2GNorm");
static_assert(offsetof(dirtyGratingWrapper, mAngleDef) == 464, "mAngleDef");
static_assert(offsetof(dirtyGratingWrapper, mUseSurfaceNormal) == 468, "mUseSurfaceNormal");
