#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "TablesTestSupport.h"
#include "tables/TablePreparation.h"

using namespace quelbrant;

using namespace tables_test;

namespace {

using Rows = std::vector<std::pair<int, int>>;

struct Prepared {
    NdArrayInt list;
    std::vector<int> n;
    std::vector<int> m;
};

Prepared prepare(const Rows& rows)
{
    Prepared p{orderList(rows), {}, {}};
    constructOrderVectors(p.list, p.n, p.m);
    return p;
}

// A table that must come out of a failed call exactly as it went in.
NdArrayComplex sentinel()
{
    NdArrayComplex t;
    t.m_size = {1};
    t.push_back({42.0, 42.0});
    return t;
}

void expectSentinel(const NdArrayComplex& t)
{
    const NdArrayComplex s = sentinel();
    EXPECT_EQ(t.m_size, s.m_size);
    EXPECT_TRUE(std::equal(t.begin(), t.end(), s.begin(), s.end()));
}

// Checks every dense element against the file table: a listed (n, m) holds
// the file values of the last row naming it, every other order holds zero.
void expectDenseMatchesFile(const NdArrayComplex& file, const Rows& rows, const Prepared& p,
                            const NdArrayComplex& dense, size_t positionDims)
{
    const size_t gridDims = positionDims + 3;
    std::vector<size_t> expectedExtents(file.m_size.begin(), file.m_size.begin() + gridDims);
    expectedExtents.push_back(p.n.size());
    expectedExtents.push_back(p.m.size());
    expectedExtents.push_back(2);
    expectedExtents.push_back(2);
    ASSERT_EQ(dense.m_size, expectedExtents);
    ASSERT_EQ(dense.size(), product(expectedExtents));

    std::vector<size_t> gridExtents(file.m_size.begin(), file.m_size.begin() + gridDims);
    const size_t grid = product(gridExtents);
    size_t nonZero = 0;
    for (size_t g = 0; g < grid; ++g)
        for (size_t ni = 0; ni < p.n.size(); ++ni)
            for (size_t mi = 0; mi < p.m.size(); ++mi)
                for (size_t o = 0; o < 2; ++o)
                    for (size_t c = 0; c < 2; ++c) {
                        int lastRow = -1;
                        for (size_t k = 0; k < rows.size(); ++k)
                            if (rows[k].first == p.n[ni] && rows[k].second == p.m[mi])
                                lastRow = static_cast<int>(k);
                        const std::complex<double> got =
                            dense[flatOffset({g, ni, mi, o, c}, {grid, p.n.size(), p.m.size(), 2, 2})];
                        if (lastRow < 0) {
                            EXPECT_EQ(got, std::complex<double>(0.0, 0.0));
                            continue;
                        }
                        ++nonZero;
                        const size_t source =
                            flatOffset({g, static_cast<size_t>(lastRow), o, c}, {grid, rows.size(), 2, 2});
                        EXPECT_EQ(got, file[source])
                            << "grid " << g << " order (" << p.n[ni] << ", " << p.m[mi] << ") pol " << o << c;
                    }
    EXPECT_GT(nonZero, 0u);
}

}  // namespace

TEST(PopulateRTMatrices, SpreadsListedOrdersOverTheDenseOrderGrid)
{
    struct Case {
        const char* name;
        bool position;
        std::vector<size_t> gridExtents;  // [P,] A1, A2, L
        Rows rows;
    };
    const Case cases[] = {
        {"single zeroth order", false, {2, 1, 3}, {{0, 0}}},
        {"gap at zeroth order", false, {1, 2, 1}, {{-1, 0}, {1, 0}}},
        {"two-dimensional orders, unsorted", false, {2, 3, 2}, {{1, 0}, {-1, 2}, {0, 0}}},
        {"position data", true, {3, 2, 1, 2}, {{0, 1}, {2, -1}}},
        {"repeated order, later row wins", false, {2, 2, 1}, {{0, 0}, {1, 0}, {0, 0}}},
        {"repeated order with position data", true, {2, 1, 2, 1}, {{1, 1}, {1, 1}, {0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepared p = prepare(c.rows);
        std::vector<size_t> extents = c.gridExtents;
        extents.insert(extents.end(), {c.rows.size(), 2, 2});
        NdArrayComplex file = tracedTable(extents);
        NdArrayComplex dense = tracedTable({3, 3});  // previous content is replaced
        populateRTMatrices(file, p.n, p.m, p.list, dense, c.position);
        expectDenseMatchesFile(file, c.rows, p, dense, c.position ? 1 : 0);
    }
}

TEST(PopulateRTMatrices, SingleZerothOrderGivesOneByOneOrderExtents)
{
    Prepared p = prepare({{0, 0}});
    NdArrayComplex file = tracedTable({1, 1, 1, 1, 2, 2});
    NdArrayComplex dense;
    populateRTMatrices(file, p.n, p.m, p.list, dense, false);
    EXPECT_EQ(dense.m_size, (std::vector<size_t>{1, 1, 1, 1, 1, 2, 2}));
    EXPECT_EQ(static_cast<const std::vector<std::complex<double>>&>(dense),
              static_cast<const std::vector<std::complex<double>>&>(file));
}

TEST(PopulateRTMatrices, WrongDimensionCountNamesTheCountAndTheExpectation)
{
    struct Case {
        std::vector<size_t> extents;
        bool position;
        const char* message;
    };
    const Case cases[] = {
        {{1, 1, 1, 1, 2, 2},
         true,
         "Schema Validation failed: The R and T matrices dimension is 6. Expect 7."},
        {{1, 1, 1, 1, 1, 2, 2},
         false,
         "Schema Validation failed: The R and T matrices dimension is 7. Expect 6."},
        {{1, 2, 2}, false, "Schema Validation failed: The R and T matrices dimension is 3. Expect 6."},
        {{}, true, "Schema Validation failed: The R and T matrices dimension is 0. Expect 7."},
    };
    for (const Case& c : cases) {
        Prepared p = prepare({{0, 0}});
        NdArrayComplex file = tracedTable(c.extents);
        NdArrayComplex dense = sentinel();
        expectFailure([&] { populateRTMatrices(file, p.n, p.m, p.list, dense, c.position); }, c.message);
        expectSentinel(dense);
    }
}

TEST(PopulateRTMatrices, FileOrderExtentMustEqualTheRowsOfItsOrderList)
{
    // A table with more (or fewer) order entries than its list would pair
    // coefficients with the wrong orders.
    struct Case {
        const char* name;
        size_t fileOrders;
        Rows rows;
        bool position;
    };
    const Case cases[] = {
        {"more table orders than rows", 3, {{0, 0}, {1, 0}}, false},
        {"fewer table orders than rows", 1, {{0, 0}, {1, 0}}, false},
        {"more table orders than rows, position data", 2, {{0, 0}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepared p = prepare(c.rows);
        std::vector<size_t> extents =
            c.position ? std::vector<size_t>{2, 1, 1, 1} : std::vector<size_t>{1, 1, 1};
        extents.insert(extents.end(), {c.fileOrders, 2, 2});
        NdArrayComplex file = tracedTable(extents);
        NdArrayComplex dense = sentinel();
        expectFailure([&] { populateRTMatrices(file, p.n, p.m, p.list, dense, c.position); },
                      "Schema Validation failed: Dimension mismatch between RT matrix and list_order_R/T.");
        expectSentinel(dense);
    }
}

TEST(PopulateRTMatrices, ElementCountMustMatchTheExtents)
{
    for (long extra : {-1L, 1L}) {
        Prepared p = prepare({{0, 0}});
        NdArrayComplex file = tracedTable({2, 1, 1, 1, 2, 2});
        file.resize(static_cast<size_t>(static_cast<long>(file.size()) + extra));
        NdArrayComplex dense = sentinel();
        expectFailure([&] { populateRTMatrices(file, p.n, p.m, p.list, dense, false); },
                      "Schema Validation failed: Dimension is correct but incorrect length of array");
        expectSentinel(dense);
    }
}

TEST(PopulateRTMatrices, OverflowingExtentsAreRejectedNotAllocated)
{
    Prepared p = prepare({{0, 0}});
    NdArrayComplex file = tracedTable({1, 1, 1, 1, 2, 2});
    file.m_size = {size_t{1} << 40, size_t{1} << 40, 1, 1, 2, 2};
    NdArrayComplex dense = sentinel();
    expectFailure([&] { populateRTMatrices(file, p.n, p.m, p.list, dense, false); },
                  "Schema Validation failed: Dimension is correct but incorrect length of array");
    expectSentinel(dense);
}

TEST(PopulateRTMatrices, HugeDenseOrderGridIsRefusedBeforeAllocating)
{
    // Two listed orders far apart in both n and m: 60001 x 60001 dense orders.
    Prepared p = prepare({{-30000, -30000}, {30000, 30000}});
    NdArrayComplex file = tracedTable({1, 1, 1, 2, 2, 2});
    NdArrayComplex dense = sentinel();
    expectFailure(
        [&] { populateRTMatrices(file, p.n, p.m, p.list, dense, false); },
        "Schema Validation failed: The R and T matrices spread over the full range of grating orders "
        "would exceed 268435456 elements.");
    expectSentinel(dense);
}

TEST(PopulateRTMatrices, SparseOrdersMayNotSpreadASmallTableBeyondItsAllowance)
{
    // Orders -3000 and 3000 on a one-point grid: 6001 dense orders x 4 = 24004
    // elements is fine; in n and m, 6001^2 x 4 = 144048004 elements from a
    // file table of 8 is refused before anything is allocated.
    Prepared oneAxis = prepare({{-3000, 0}, {3000, 0}});
    NdArrayComplex file = tracedTable({1, 1, 1, 2, 2, 2});
    NdArrayComplex dense;
    populateRTMatrices(file, oneAxis.n, oneAxis.m, oneAxis.list, dense, false);
    EXPECT_EQ(dense.size(), 24004u);

    Prepared bothAxes = prepare({{-3000, -3000}, {3000, 3000}});
    dense = sentinel();
    expectFailure(
        [&] { populateRTMatrices(file, bothAxes.n, bothAxes.m, bothAxes.list, dense, false); },
        "Schema Validation failed: The R and T matrices spread over the full range of grating "
        "orders would hold 144048004 elements, more than 64 times the 8 elements given in the file.");
    expectSentinel(dense);
}

TEST(DenseTableAllowance, LimitsOfTheDenseTable)
{
    // Any table up to 2^24 elements; beyond, at most 64 times the file's
    // table; never more than 2^28.
    const size_t allowance = size_t{1} << 24, cap = size_t{1} << 28;
    const struct {
        size_t dense;
        size_t file;
        bool affordable;
    } cases[] = {
        {0, 0, true},
        {allowance, 1, true},
        {allowance + 1, 1, false},
        {allowance + 1, (allowance + 64) / 64, true},
        {allowance + 1, allowance / 64, false},
        {64 * 1000000, 1000000, true},
        {64 * 1000000 + 1, 1000000, false},
        {cap, cap / 64, true},
        {cap, cap / 64 - 1, false},
        {cap + 1, cap, false},
        {cap + 1, SIZE_MAX, false},
        {cap, SIZE_MAX, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isDenseTableAffordable(c.dense, c.file), c.affordable)
            << c.dense << " dense elements from " << c.file;
}

TEST(PopulateRTMatrices, MalformedOrderListIsRejected)
{
    Prepared p = prepare({{0, 0}});
    NdArrayInt threeColumns;
    threeColumns.m_size = {1, 3};
    threeColumns.assign(3, 0);
    NdArrayComplex file = tracedTable({1, 1, 1, 1, 2, 2});
    NdArrayComplex dense = sentinel();
    expectFailure([&] { populateRTMatrices(file, p.n, p.m, threeColumns, dense, false); },
                  "Schema Validation failed: There is an incorrect dimension in the list of grating orders");
    expectSentinel(dense);
}

TEST(PopulateRTMatrices, OrderVectorsThatMissAListedOrderAreRejected)
{
    Prepared p = prepare({{0, 0}, {2, 0}});
    NdArrayComplex file = tracedTable({1, 1, 1, 2, 2, 2});
    NdArrayComplex dense = sentinel();
    std::vector<int> shortN{0, 1};
    EXPECT_THROW(populateRTMatrices(file, shortN, p.m, p.list, dense, false), std::invalid_argument);
    std::vector<int> noM;
    EXPECT_THROW(populateRTMatrices(file, p.n, noM, p.list, dense, false), std::invalid_argument);
    expectSentinel(dense);
}
