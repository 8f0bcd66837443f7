#include <gtest/gtest.h>

#include <climits>

#include "TablesTestSupport.h"
#include "tables/TablePreparation.h"

using namespace quelbrant;

using namespace tables_test;

namespace {

const char* const OrderListMessage =
    "Schema Validation failed: There is an incorrect dimension in the list of grating orders";

struct OrderCase {
    const char* name;
    std::vector<std::pair<int, int>> rows;
    std::vector<int> n;
    std::vector<int> m;
};

}  // namespace

TEST(OrderVectors, SpanEveryOrderFromTheLowestToTheHighestListed)
{
    const OrderCase cases[] = {
        {"single zeroth order", {{0, 0}}, {0}, {0}},
        {"gap at zeroth order", {{-1, 0}, {1, 0}}, {-1, 0, 1}, {0}},
        {"unsorted, both axes", {{2, -1}, {-3, 4}, {0, 0}}, {-3, -2, -1, 0, 1, 2}, {-1, 0, 1, 2, 3, 4}},
        {"offset range without zero", {{5, -7}, {3, -8}}, {3, 4, 5}, {-8, -7}},
        {"repeated row", {{1, 1}, {1, 1}}, {1}, {1}},
    };
    for (const OrderCase& c : cases) {
        NdArrayInt list = orderList(c.rows);
        std::vector<int> n{99}, m{99};
        constructOrderVectors(list, n, m);
        EXPECT_EQ(n, c.n) << c.name;
        EXPECT_EQ(m, c.m) << c.name;
    }
}

TEST(OrderVectors, MalformedListsFailAndLeaveTheVectorsAlone)
{
    struct Shape {
        const char* name;
        std::vector<size_t> extents;
        size_t elements;
    };
    const Shape shapes[] = {
        {"three columns", {2, 3}, 6},
        {"one column", {2, 1}, 2},
        {"no rows", {0, 2}, 0},
        {"three dimensions", {1, 2, 1}, 2},
        {"one dimension", {2}, 2},
        {"no extents", {}, 0},
        {"fewer elements than extents", {3, 2}, 4},
        {"more elements than extents", {1, 2}, 4},
        // 2 x 2^63 wraps to 0 in size_t arithmetic.
        {"row count that overflows", {size_t{1} << 63, 2}, 0},
    };
    for (const Shape& s : shapes) {
        NdArrayInt list;
        list.m_size = s.extents;
        list.assign(s.elements, 1);
        std::vector<int> n{7, 8}, m{9};
        SCOPED_TRACE(s.name);
        expectFailure([&] { constructOrderVectors(list, n, m); }, OrderListMessage);
        EXPECT_EQ(n, (std::vector<int>{7, 8}));
        EXPECT_EQ(m, (std::vector<int>{9}));
    }
}

TEST(OrderVectors, AbsurdRangesAreRefusedBeforeAllocating)
{
    // INT_MIN..INT_MAX would ask for 2^32 ints; the span is judged in 64 bits.
    const std::pair<const char*, std::vector<std::pair<int, int>>> cases[] = {
        {"n", {{INT_MIN, 0}, {INT_MAX, 0}}},
        {"m", {{0, INT_MIN}, {0, INT_MAX}}},
    };
    for (const auto& [axis, rows] : cases) {
        NdArrayInt list = orderList(rows);
        std::vector<int> n{1}, m{2};
        const std::string low =
            axis == std::string("n") ? std::to_string(rows[0].first) : std::to_string(rows[0].second);
        const std::string high =
            axis == std::string("n") ? std::to_string(rows[1].first) : std::to_string(rows[1].second);
        expectFailure([&] { constructOrderVectors(list, n, m); },
                      "Schema Validation failed: The grating orders " + std::string(axis) + " run from " +
                          low + " to " + high + ", more than 65536 consecutive orders.");
        EXPECT_EQ(n, std::vector<int>{1});
        EXPECT_EQ(m, std::vector<int>{2});
    }
}

TEST(OrderVectors, TheWidestAllowedSpanIsAccepted)
{
    const int half = static_cast<int>(MaxOrderSpan / 2);
    NdArrayInt widest = orderList({{-half, 0}, {half - 1, 0}});
    std::vector<int> n, m;
    constructOrderVectors(widest, n, m);
    ASSERT_EQ(n.size(), static_cast<size_t>(MaxOrderSpan));
    EXPECT_EQ(n.front(), -half);
    EXPECT_EQ(n.back(), half - 1);

    NdArrayInt tooWide = orderList({{-half, 0}, {half, 0}});
    EXPECT_THROW(constructOrderVectors(tooWide, n, m), int);
}
