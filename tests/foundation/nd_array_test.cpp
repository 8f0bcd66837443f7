#include <gtest/gtest.h>

#include "NdArray.h"

using namespace quelbrant;

namespace {

NdArrayInt iota(std::vector<size_t> extents)
{
    NdArrayInt a;
    a.m_size = extents;
    size_t count = 1;
    for (size_t e : extents)
        count *= e;
    for (size_t i = 0; i < count; ++i)
        a.push_back(static_cast<int>(i));
    return a;
}

}  // namespace

TEST(NdArray, FirstIndexIsFastest)
{
    NdArrayInt a = iota({3, 4});
    EXPECT_EQ(a(2, 3), 11);
    EXPECT_EQ(a(0, 1), 3);
    NdArrayInt b = iota({2, 3, 5});
    EXPECT_EQ(b(1, 2, 4), 29);
}

TEST(NdArray, IndexBeyondItsExtentAliasesAnotherElement)
{
    NdArrayInt a = iota({3, 4});
    EXPECT_EQ(&a(3, 0), &a(0, 1));
}

TEST(NdArray, OffsetBeyondTheElementsThrows)
{
    NdArrayInt a = iota({3, 4});
    EXPECT_THROW(a(2, 4), std::out_of_range);
    NdArrayInt empty = iota({3, 0});
    EXPECT_THROW(empty(0, 0), std::out_of_range);
}

TEST(NdArray, OverrideExtentsReplaceTheStoredOnes)
{
    NdArrayComplex a;
    a.m_size = {2, 3, 4};
    a.resize(24);
    a.back() = {7.0, -1.0};
    EXPECT_EQ(a(5, 3, 0, std::vector<size_t>{6, 4}), std::complex<double>(7.0, -1.0));
}

TEST(NdArray, TooFewExtentsThrowInsteadOfReadingPastTheList)
{
    NdArrayInt a = iota({12});
    EXPECT_THROW(a(1, 1, 0), std::out_of_range);
}

TEST(NdArray, CopyIsIndependent)
{
    NdArrayInt a = iota({2, 2});
    NdArrayInt b = a;
    b(1, 1) = -5;
    EXPECT_EQ(a(1, 1), 3);
}
