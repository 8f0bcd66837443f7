#include <gtest/gtest.h>

#include <stdexcept>

#include "TablesTestSupport.h"
#include "tables/TablePreparation.h"

using namespace quelbrant;

using namespace tables_test;

namespace {

using Axis = std::vector<double>;
using Map = std::vector<size_t>;

// new(b, i, j, k, c) must be old(b, map0[i], map1[j], map2[k], c) for every
// element; positions (when present) and everything behind the wavelength
// keep their place.
void expectPermuted(const NdArrayComplex& now, const NdArrayComplex& before, bool position, const Map& map0,
                    const Map& map1, const Map& map2)
{
    ASSERT_EQ(now.m_size, before.m_size);
    const size_t p = position ? 1 : 0;
    const size_t positions = position ? now.m_size[0] : 1;
    const size_t a1 = now.m_size[p], a2 = now.m_size[p + 1], l = now.m_size[p + 2];
    const size_t rest = now.size() / (positions * a1 * a2 * l);
    const std::vector<size_t> view{positions, a1, a2, l, rest};
    for (size_t b = 0; b < positions; ++b)
        for (size_t i = 0; i < a1; ++i)
            for (size_t j = 0; j < a2; ++j)
                for (size_t k = 0; k < l; ++k)
                    for (size_t c = 0; c < rest; ++c)
                        ASSERT_EQ(now[flatOffset({b, i, j, k, c}, view)],
                                  before[flatOffset({b, map0[i], map1[j], map2[k], c}, view)])
                            << "at " << b << ' ' << i << ' ' << j << ' ' << k << ' ' << c;
}

}  // namespace

TEST(AxisSorting, MonotonicMeansNoElementAboveItsSuccessor)
{
    const std::pair<Axis, bool> cases[] = {
        {{}, true},         {{3}, true},     {{0, 0, 10}, true}, {{-1, 2, 3}, true},
        {{0, 2, 1}, false}, {{3, 2}, false}, {{1, 1, 0}, false},
    };
    for (const auto& [axis, expected] : cases)
        EXPECT_EQ(isMonotonicallyIncreasingOrEqual(axis), expected) << ::testing::PrintToString(axis);
}

TEST(AxisSorting, StableSortKeepsEqualValuesInInputOrder)
{
    struct Case {
        Axis in;
        Axis sorted;
        Map map;
    };
    const Case cases[] = {
        {{5, 1, 5}, {1, 5, 5}, {1, 0, 2}},
        {{700, 500, 600}, {500, 600, 700}, {1, 2, 0}},
        {{30, 10, 30, 0, 10}, {0, 10, 10, 30, 30}, {3, 1, 4, 0, 2}},
        {{2, 2, 2}, {2, 2, 2}, {0, 1, 2}},
        {{}, {}, {}},
    };
    for (const Case& c : cases) {
        Map map{9, 9};
        EXPECT_EQ(stableSort(c.in, map), c.sorted);
        EXPECT_EQ(map, c.map);
    }
}

TEST(AxisSorting, OrderedAxesLeaveTablesUntouched)
{
    // Shapes that do not even match the axes: nothing is looked at.
    Axis nt{0, 0, 10}, np{-5, 5}, nl{0.5};
    NdArrayComplex R = tracedTable({7, 2});
    NdArrayComplex T = tracedTable({3});
    const NdArrayComplex r0 = R, t0 = T;
    sortAngleAndWavelength(R, T, nt, np, nl, false);
    EXPECT_EQ(nt, (Axis{0, 0, 10}));
    EXPECT_EQ(R, r0);
    EXPECT_EQ(R.m_size, r0.m_size);
    EXPECT_EQ(T, t0);
}

TEST(AxisSorting, TablesFollowTheirSortedAxes)
{
    struct Case {
        const char* name;
        bool position;
        Axis nt, np, nl;
        Axis sortedT, sortedP, sortedL;
        Map map0, map1, map2;
        size_t positions;
    };
    const Case cases[] = {
        {"wavelength only",
         false,
         {0, 10},
         {0},
         {700, 500, 600},
         {0, 10},
         {0},
         {500, 600, 700},
         {0, 1},
         {0},
         {1, 2, 0},
         1},
        {"wavelength only, position data",
         true,
         {0, 10},
         {0},
         {700, 500, 600},
         {0, 10},
         {0},
         {500, 600, 700},
         {0, 1},
         {0},
         {1, 2, 0},
         3},
        {"every axis, equal values",
         false,
         {30, 10, 30, 0},
         {5, -5},
         {0.6, 0.5},
         {0, 10, 30, 30},
         {-5, 5},
         {0.5, 0.6},
         {3, 1, 0, 2},
         {1, 0},
         {1, 0},
         1},
        {"angles only, position data",
         true,
         {1, 0},
         {3, 2, 1},
         {0.5},
         {0, 1},
         {1, 2, 3},
         {0.5},
         {1, 0},
         {2, 1, 0},
         {0},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<size_t> grid{c.nt.size(), c.np.size(), c.nl.size()};
        if (c.position)
            grid.insert(grid.begin(), c.positions);
        // R and T with different order ranges.
        std::vector<size_t> rExtents = grid, tExtents = grid;
        rExtents.insert(rExtents.end(), {3, 1, 2, 2});
        tExtents.insert(tExtents.end(), {1, 2, 2, 2});
        NdArrayComplex R = tracedTable(rExtents);
        NdArrayComplex T = tracedTable(tExtents);
        for (auto& v : T)
            v *= 1000.0;
        const NdArrayComplex r0 = R, t0 = T;
        Axis nt = c.nt, np = c.np, nl = c.nl;
        sortAngleAndWavelength(R, T, nt, np, nl, c.position);
        EXPECT_EQ(nt, c.sortedT);
        EXPECT_EQ(np, c.sortedP);
        EXPECT_EQ(nl, c.sortedL);
        expectPermuted(R, r0, c.position, c.map0, c.map1, c.map2);
        expectPermuted(T, t0, c.position, c.map0, c.map1, c.map2);
    }
}

TEST(AxisSorting, NewFirstWavelengthSliceIsTheOldSecond)
{
    Axis nt{0}, np{0}, nl{700, 500, 600};
    NdArrayComplex R = tracedTable({1, 1, 3, 1, 1, 2, 2});
    NdArrayComplex T = tracedTable({1, 1, 3, 1, 1, 2, 2});
    sortAngleAndWavelength(R, T, nt, np, nl, false);
    // Old wavelength index 1 (500) held flat offsets 1, 4, 7, 10.
    EXPECT_EQ(R(0, 0, 0, 0, 0, 0, 0), std::complex<double>(2, -2));
    EXPECT_EQ(R(0, 0, 0, 0, 0, 1, 1), std::complex<double>(11, -11));
    EXPECT_EQ(T(0, 0, 2, 0, 0, 0, 0), std::complex<double>(1, -1));
}

TEST(AxisSorting, MismatchedTablesAreRejectedBeforeAnythingChanges)
{
    struct Case {
        const char* name;
        std::vector<size_t> rExtents;
        std::vector<size_t> tExtents;
        bool position;
    };
    const Case cases[] = {
        {"T first axis too short", {2, 1, 3, 1, 1, 2, 2}, {1, 1, 3, 1, 1, 2, 2}, false},
        {"R wavelength too long", {2, 1, 4, 1, 1, 2, 2}, {2, 1, 3, 1, 1, 2, 2}, false},
        {"R without the position dimension", {2, 1, 3, 1, 1, 2, 2}, {1, 2, 1, 3, 1, 1, 2, 2}, true},
        {"T with too few dimensions", {2, 1, 3, 1, 1, 2, 2}, {2, 1}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Axis nt{1, 0}, np{0}, nl{0.7, 0.5, 0.6};
        NdArrayComplex R = tracedTable(c.rExtents), T = tracedTable(c.tExtents);
        const NdArrayComplex r0 = R, t0 = T;
        EXPECT_THROW(sortAngleAndWavelength(R, T, nt, np, nl, c.position), std::invalid_argument);
        EXPECT_EQ(nt, (Axis{1, 0}));
        EXPECT_EQ(nl, (Axis{0.7, 0.5, 0.6}));
        EXPECT_EQ(R, r0);
        EXPECT_EQ(T, t0);
    }
    // A table whose element count disagrees with its extents.
    Axis nt{1, 0}, np{0}, nl{0.5};
    NdArrayComplex R = tracedTable({2, 1, 1, 1, 1, 2, 2}), T = tracedTable({2, 1, 1, 1, 1, 2, 2});
    T.pop_back();
    EXPECT_THROW(sortAngleAndWavelength(R, T, nt, np, nl, false), std::invalid_argument);
}
