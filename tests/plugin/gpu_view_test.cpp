// The flat GPU view: what a separately built tracer reads from a loaded
// surface through gpuWrapGratingSurface.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <type_traits>

#include "GratingSurfaceAccess.h"
#include "PluginTestSupport.h"
#include "dirtyGratingWrapper.h"

using namespace quelbrant;

namespace {

using Wrapper = dirtyGratingWrapper;
constexpr double Pi = 3.141592653589793;

// The dimension lists are read as 64-bit values by the tracer on every
// platform (unsigned long would be 32 bits on Windows).
static_assert(std::is_same_v<decltype(Wrapper::view_nd<double>::mDims), Wrapper::view<size_t>>);
static_assert(sizeof(*Wrapper::view_nd<Wrapper::dirtyComplex>{}.mDims.mData) == 8);

std::vector<double> values(const Wrapper::view<double>& v)
{
    return {v.mData, v.mData + v.mSize};
}
std::vector<int> values(const Wrapper::view<int>& v)
{
    return {v.mData, v.mData + v.mSize};
}
std::vector<size_t> values(const Wrapper::view<size_t>& v)
{
    return {v.mData, v.mData + v.mSize};
}

size_t product(const Wrapper::view<size_t>& dims)
{
    size_t p = 1;
    for (size_t d : values(dims))
        p *= d;
    return p;
}

Wrapper wrapped(void* instance)
{
    Wrapper w;
    std::memset(&w, 0, sizeof w);
    EXPECT_EQ(gpuWrapGratingSurface(w, instance), 0);
    return w;
}

TEST(PluginGpuView, NullInstanceLeavesTheRecordAlone)
{
    Wrapper w;
    std::memset(&w, 0xA5, sizeof w);
    unsigned char before[sizeof w];
    std::memcpy(before, &w, sizeof w);
    EXPECT_EQ(gpuWrapGratingSurface(w, nullptr), -1);
    EXPECT_EQ(std::memcmp(before, &w, sizeof w), 0);
}

TEST(PluginGpuView, ReleasedInstanceIsRefusedWithTheRecordUntouched)
{
    void* released = nullptr;
    ASSERT_EQ(LoadFile(fixturePath("plugin-three-orders.json").c_str(), released), 0);
    ASSERT_EQ(Release(released), 0);
    Wrapper w;
    std::memset(&w, 0xA5, sizeof w);
    const int index = gpuWrapGratingSurface(w, released);
    EXPECT_EQ(narrow(errorText(index)),
              "The GPU view was given an instance that is not a loaded surface "
              "(released before, or never returned by LoadFile); nothing was read.");
    EXPECT_GE(index, 1);
    for (size_t i = 0; i < sizeof w; ++i)
        ASSERT_EQ(reinterpret_cast<const unsigned char*>(&w)[i], 0xA5) << "byte " << i;
}

// A Release waits for a view being filled (the thread sanitizer run sees a
// view read from a surface being freed); after it the view is refused.
TEST(PluginGpuViewConcurrency, ReleaseWhileAnotherThreadFillsTheView)
{
    for (int round = 0; round < 50; ++round) {
        void* instance = nullptr;
        ASSERT_EQ(LoadFile(fixturePath("plugin-three-orders.json").c_str(), instance), 0);
        std::atomic<int> views{0};
        std::thread viewer([&] {
            for (Wrapper w; gpuWrapGratingSurface(w, instance) == 0;)
                ++views;
        });
        while (views == 0) {
        }
        EXPECT_EQ(Release(instance), 0);
        viewer.join();
    }
}

TEST(PluginGpuView, VectorViewsCoverTheWholeVector)
{
    const std::vector<double> d = {1.5, 2.5};
    const std::vector<size_t> s = {3, 4, 5};
    const std::vector<int> i = {-1, 0, 1, 2};
    const std::vector<int> empty;
    EXPECT_EQ(vector2view(d).mSize, 2u);
    EXPECT_EQ(vector2view(d).mData, d.data());
    EXPECT_EQ(vector2view(s).mSize, 3u);
    EXPECT_EQ(vector2view(s).mData, s.data());
    EXPECT_EQ(vector2view(i).mSize, 4u);
    EXPECT_EQ(vector2view(i).mData, i.data());
    EXPECT_EQ(vector2view(empty).mSize, 0u);
}

TEST(PluginGpuView, ScalarsAxesOrdersAndTablesOfAOneDimensionalGrating)
{
    LoadedSurface surface("plugin-three-orders.json");
    ASSERT_TRUE(surface.loaded()) << surface.failure();
    const Wrapper w = wrapped(surface.instance());

    EXPECT_EQ(w.mNLower, 1.0);
    EXPECT_EQ(w.mNUpper, 1.0);
    EXPECT_DOUBLE_EQ(w.mK1Gx, 2.0 * Pi / 2e-6);  // period 2 um along x
    EXPECT_EQ(w.mK1Gy, 0.0);
    EXPECT_DOUBLE_EQ(w.mK1GNorm, 2.0 * Pi / 2e-6);
    EXPECT_EQ(w.mK2Gx, 0.0);
    EXPECT_EQ(w.mK2Gy, 0.0);
    EXPECT_EQ(w.mK2GNorm, 0.0);
    EXPECT_EQ(w.mAngleDef, 0);  // polar
    EXPECT_FALSE(w.mUseSurfaceNormal);

    for (int h = 0; h < 2; ++h) {
        const Wrapper::HalfSpace& side = w.mHalfSpaces[h];
        SCOPED_TRACE(h == 0 ? "lower" : "upper");
        EXPECT_EQ(values(side.mLambda), std::vector<double>{5e-7});
        EXPECT_EQ(values(side.mPhiOrUyOrKy), std::vector<double>{0.0});
        // No wavelength-dependent theta: a plain axis and no extents.
        EXPECT_EQ(side.mThetaOrUxOrKx.mDims.mSize, 0u);
        EXPECT_EQ(side.mThetaOrUxOrKx.mDims.mData, nullptr);
        EXPECT_EQ(values(side.mThetaOrUxOrKx.mData), std::vector<double>{0.0});
        EXPECT_EQ(values(side.m_list_orders_Rn), std::vector<int>{0});
        EXPECT_EQ(values(side.m_list_orders_Rm), std::vector<int>{0});
        for (const auto* table : {&side.mR, &side.mT}) {
            EXPECT_EQ(table->mDims.mSize, 7u);
            EXPECT_EQ(table->mData.mSize, product(table->mDims));
        }
        EXPECT_EQ(side.mLossless, h == 1);
    }

    // Lower side: orders -1, 0, 1 along n with diagonal Jones blocks.
    const Wrapper::HalfSpace& lower = w.mHalfSpaces[0];
    EXPECT_EQ(values(lower.m_list_orders_Tn), (std::vector<int>{-1, 0, 1}));
    EXPECT_EQ(values(lower.m_list_orders_Tm), std::vector<int>{0});
    ASSERT_EQ(values(lower.mT.mDims), (std::vector<size_t>{1, 1, 1, 3, 1, 2, 2}));
    ASSERT_EQ(lower.mT.mData.mSize, 12u);
    const double amplitude[3] = {std::sqrt(0.2), std::sqrt(0.5), std::sqrt(0.3)};
    for (size_t n = 0; n < 3; ++n) {
        for (size_t out = 0; out < 2; ++out) {
            for (size_t in = 0; in < 2; ++in) {
                // Extents (1, 1, 1, 3, 1, 2, 2), first index fastest.
                const Wrapper::dirtyComplex& z = lower.mT.mData.mData[n + 3 * (out + 2 * in)];
                EXPECT_NEAR(z.r, out == in ? amplitude[n] : 0.0, 1e-15) << n << out << in;
                EXPECT_EQ(z.i, 0.0);
            }
        }
    }
}

TEST(PluginGpuView, ViewsPointIntoTheSurfaceWithoutCopies)
{
    // Lossless upper side and position data give every view something to show.
    for (const char* fixture : {"plugin-three-orders.json", "plugin-position-grid.json"}) {
        SCOPED_TRACE(fixture);
        LoadedSurface loaded(fixture);
        ASSERT_TRUE(loaded.loaded()) << loaded.failure();
        const GratingSurface& s = *static_cast<const GratingSurface*>(loaded.instance());
        using A = GratingSurfaceAccess;
        const Wrapper w = wrapped(loaded.instance());
        for (int h = 0; h < 2; ++h) {
            const Wrapper::HalfSpace& side = w.mHalfSpaces[h];
            auto same = [](const auto& view, const auto& vector) {
                return view.mSize == vector.size() && static_cast<const void*>(view.mData) == vector.data();
            };
            EXPECT_TRUE(same(side.mLambda, A::mLambda(s)[h]));
            EXPECT_TRUE(same(side.mPhiOrUyOrKy, A::mPhiOrUyOrKy(s)[h]));
            EXPECT_TRUE(same(side.mThetaOrUxOrKx.mData, A::mThetaOrUxOrKx(s)[h]));
            EXPECT_TRUE(same(side.m_list_orders_Rn, A::m_list_orders_Rn(s)[h]));
            EXPECT_TRUE(same(side.m_list_orders_Rm, A::m_list_orders_Rm(s)[h]));
            EXPECT_TRUE(same(side.m_list_orders_Tn, A::m_list_orders_Tn(s)[h]));
            EXPECT_TRUE(same(side.m_list_orders_Tm, A::m_list_orders_Tm(s)[h]));
            EXPECT_TRUE(same(side.mR.mDims, A::mR(s)[h].m_size));
            EXPECT_TRUE(same(side.mR.mData, A::mR(s)[h]));
            EXPECT_TRUE(same(side.mT.mDims, A::mT(s)[h].m_size));
            EXPECT_TRUE(same(side.mT.mData, A::mT(s)[h]));
            EXPECT_EQ(side.mLossless, A::mLossless(s)[h]);
        }
        EXPECT_EQ(w.mAngleDef, static_cast<int>(A::mAngleDef(s)));
    }
}

TEST(PluginGpuView, WavelengthDependentThetaOnOneSideOnly)
{
    LoadedSurface surface("plugin-theta-per-wavelength.json");
    ASSERT_TRUE(surface.loaded()) << surface.failure();
    const Wrapper w = wrapped(surface.instance());

    // Lower side: theta table [theta row, wavelength], each row mapped with
    // the mean inverse wavelength 1/lambda0 = (1/500 nm + 1/600 nm) / 2:
    // theta' = asin(lambda / lambda0 * sin(theta)).
    const auto& lower = w.mHalfSpaces[0].mThetaOrUxOrKx;
    ASSERT_EQ(values(lower.mDims), (std::vector<size_t>{2, 2}));
    ASSERT_EQ(lower.mData.mSize, 4u);
    const double inverseLambda0 = 0.5 * (1.0 / 500e-9 + 1.0 / 600e-9);
    const double lambdas[2] = {500e-9, 600e-9};
    const double thetas[2] = {0.0, 30.0};
    for (size_t k = 0; k < 2; ++k)
        for (size_t i = 0; i < 2; ++i)
            EXPECT_NEAR(
                lower.mData.mData[i + 2 * k],
                std::asin(lambdas[k] * inverseLambda0 * std::sin(thetas[i] * Pi / 180.0)) * 180.0 / Pi, 1e-9)
                << "theta " << thetas[i] << ", lambda " << lambdas[k];

    // ... and it is the surface's own table, not a copy.
    const GratingSurface& s = *static_cast<const GratingSurface*>(surface.instance());
    EXPECT_EQ(lower.mData.mData, GratingSurfaceAccess::mTheta(s)[0].data());
    EXPECT_EQ(lower.mDims.mData, GratingSurfaceAccess::mTheta(s)[0].m_size.data());

    const auto& upper = w.mHalfSpaces[1].mThetaOrUxOrKx;
    EXPECT_EQ(upper.mDims.mSize, 0u);
    EXPECT_EQ(upper.mDims.mData, nullptr);
    EXPECT_EQ(values(upper.mData), (std::vector<double>{0.0, 30.0}));
}

TEST(PluginGpuView, PositionGridKeepsItsLeadingDimension)
{
    LoadedSurface surface("plugin-position-grid.json");
    ASSERT_TRUE(surface.loaded()) << surface.failure();
    const Wrapper w = wrapped(surface.instance());
    for (int h = 0; h < 2; ++h) {
        // Two positions lead; the position axes themselves are not in the record.
        EXPECT_EQ(values(w.mHalfSpaces[h].mR.mDims), (std::vector<size_t>{2, 1, 1, 1, 1, 1, 2, 2}));
        EXPECT_EQ(values(w.mHalfSpaces[h].mT.mDims), (std::vector<size_t>{2, 1, 1, 1, 1, 1, 2, 2}));
        EXPECT_EQ(w.mHalfSpaces[h].mT.mData.mSize, 8u);
    }
    // With a position grid the lattice vectors are given per position.
    EXPECT_EQ(w.mK1Gx, 0.0);
    EXPECT_EQ(w.mK1GNorm, 0.0);
}

}  // namespace
