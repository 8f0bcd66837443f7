#include <gtest/gtest.h>

#include <functional>

#include "TablesTestSupport.h"
#include "load/PositionData.h"
#include "tables/TablePreparation.h"

using namespace quelbrant;

using namespace tables_test;

namespace {

const char* const ShapeMessage =
    "Schema Validation failed: Dimension mismatch between RT matrix, theta, phi, wavelength, PolOut, and "
    "PolIn.";
const char* const OrderMessage =
    "Schema Validation failed: Dimension mismatch between RT matrix and list_order_R/T.";
const char* const EmptyAxisMessage =
    "Schema Validation failed: The angle and wavelength axes of the R and T matrices must not be empty.";
const char* const LengthMessage =
    "Schema Validation failed: Dimension is correct but incorrect length of array";
const char* const LatticeMessage =
    "Schema validation failed: size first dimension of reciprocal lattice vector is not same as first "
    "dimension of RT matrix.";
const char* const IndexMapExtentMessage =
    "Schema validation failed: the sizes of first and second dimensions of mIndexMap is not same as length "
    "of pos_x/pos_y/pos_rad/pos_pol/par_1/par_2.";

// Everything validateDimensions looks at, consistent to begin with: two
// positions on a 3 (first axis) x 2 (second axis) position grid.
struct World {
    bool position = true;
    std::vector<double> nt{0, 10};
    std::vector<double> np{0};
    std::vector<double> nl{0.5, 0.6, 0.7};
    std::vector<int> nn{-1, 0, 1};
    std::vector<int> nm{0};
    std::vector<double> k1x{1, 2}, k1y{1, 2}, k1n{1, 2}, k2x{1, 2}, k2y{1, 2}, k2n{1, 2};
    std::vector<double> xr1{0, 1, 2};
    std::vector<double> yp2{0, 1};
    NdArrayInt indexMap;
    NdArrayComplex table;

    World()
    {
        indexMap.m_size = {2, 3};  // (second position axis, first position axis)
        indexMap.assign({1, 2, 0, -1, 2, 1});
        table = tracedTable({2, 2, 1, 3, 3, 1, 2, 2});
    }

    void validate()
    {
        quelbrant::PositionData positions;
        positions.grid.indexMap = indexMap;
        positions.grid.axis1 = xr1;
        positions.grid.axis2 = yp2;
        positions.lattice = {k1x, k1y, k2x, k2y, k1n, k2n};
        validateDimensions(table, quelbrant::denseTableAxes(nt, np, nl, nn, nm, position),
                           position ? &positions : nullptr);
    }
};

struct Case {
    const char* name;
    std::function<void(World&)> spoil;
    std::string message;  // empty: must pass
};

}  // namespace

TEST(ValidateDimensions, EachMismatchFailsWithItsOwnMessage)
{
    const Case cases[] = {
        {"consistent", [](World&) {}, ""},
        {"no position dimension",
         [](World& w) {
             w.table = tracedTable({2, 1, 3, 3, 1, 2, 2});
         },
         ShapeMessage},
        {"first axis longer", [](World& w) { w.nt.push_back(20); }, ShapeMessage},
        {"second axis longer", [](World& w) { w.np.push_back(5); }, ShapeMessage},
        {"wavelength axis shorter", [](World& w) { w.nl.pop_back(); }, ShapeMessage},
        {"PolIn extent 3",
         [](World& w) {
             w.table = tracedTable({2, 2, 1, 3, 3, 1, 2, 3});
         },
         ShapeMessage},
        {"PolOut extent 1",
         [](World& w) {
             w.table = tracedTable({2, 2, 1, 3, 3, 1, 1, 2});
         },
         ShapeMessage},
        {"empty wavelength axis",
         [](World& w) {
             w.nl.clear();
             w.table = tracedTable({2, 2, 1, 0, 3, 1, 2, 2});
         },
         EmptyAxisMessage},
        {"empty first axis",
         [](World& w) {
             w.nt.clear();
             w.table = tracedTable({2, 0, 1, 3, 3, 1, 2, 2});
         },
         EmptyAxisMessage},
        {"n orders longer", [](World& w) { w.nn.push_back(2); }, OrderMessage},
        {"m orders shorter", [](World& w) { w.nm.clear(); }, OrderMessage},
        {"one element missing", [](World& w) { w.table.pop_back(); }, LengthMessage},
        {"one element too many", [](World& w) { w.table.push_back({}); }, LengthMessage},
        {"k1x short", [](World& w) { w.k1x.pop_back(); }, LatticeMessage},
        {"k1y long", [](World& w) { w.k1y.push_back(0); }, LatticeMessage},
        {"k1 norm short", [](World& w) { w.k1n.pop_back(); }, LatticeMessage},
        {"k2x short", [](World& w) { w.k2x.pop_back(); }, LatticeMessage},
        {"k2y long", [](World& w) { w.k2y.push_back(0); }, LatticeMessage},
        {"k2 norm short", [](World& w) { w.k2n.pop_back(); }, LatticeMessage},
        {"index map value P + 1", [](World& w) { w.indexMap[4] = 3; },
         "Schema validation failed: mIndexMap defined index of 3, while the size of 1st dimension of R, T "
         "data is 2"},
        {"index map addressed (first, second) instead of (second, first)",
         [](World& w) {
             w.indexMap.m_size = {3, 2};
         },
         IndexMapExtentMessage},
        {"index map without extents", [](World& w) { w.indexMap.m_size.clear(); }, IndexMapExtentMessage},
        {"index map one row short", [](World& w) { w.yp2.push_back(2); }, IndexMapExtentMessage},
        // The checks run in a fixed order; the first failing one reports.
        {"shape before orders",
         [](World& w) {
             w.nt.push_back(20);
             w.nn.push_back(2);
         },
         ShapeMessage},
        {"orders before length",
         [](World& w) {
             w.nm.clear();
             w.table.pop_back();
         },
         OrderMessage},
        {"length before lattice",
         [](World& w) {
             w.table.pop_back();
             w.k1x.clear();
         },
         LengthMessage},
        {"lattice before index map values",
         [](World& w) {
             w.k2n.clear();
             w.indexMap[0] = 9;
         },
         LatticeMessage},
        {"first offending index-map value in storage order",
         [](World& w) {
             w.indexMap[1] = 7;
             w.indexMap[3] = 5;
         },
         "Schema validation failed: mIndexMap defined index of 7, while the size of 1st dimension of R, T "
         "data is 2"},
        {"index map values before extents",
         [](World& w) {
             w.indexMap[5] = 4;
             w.yp2.clear();
         },
         "Schema validation failed: mIndexMap defined index of 4, while the size of 1st dimension of R, T "
         "data is 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        c.spoil(w);
        if (c.message.empty())
            EXPECT_NO_THROW(w.validate());
        else
            expectFailure([&] { w.validate(); }, c.message);
    }
}

TEST(ValidateDimensions, IndexMapHolesAndTheLastPositionPass)
{
    World w;
    w.indexMap.assign({0, -1, 2, 2, -7, 1});
    EXPECT_NO_THROW(w.validate());
}

TEST(ValidateDimensions, WithoutPositionDataOnlyTheTableIsChecked)
{
    World w;
    w.position = false;
    w.table = tracedTable({2, 1, 3, 3, 1, 2, 2});
    w.k1x.clear();
    w.k2n.push_back(3);
    w.indexMap = NdArrayInt{};
    w.xr1.clear();
    EXPECT_NO_THROW(w.validate());

    w.table = tracedTable({2, 2, 1, 3, 3, 1, 2, 2});
    expectFailure([&] { w.validate(); }, ShapeMessage);
}

TEST(ValidateDimensions, PolarisationExtentsTwoByThreePassPopulationButNotValidation)
{
    NdArrayInt list = orderList({{0, 0}});
    std::vector<int> n, m;
    constructOrderVectors(list, n, m);
    NdArrayComplex file = tracedTable({1, 1, 1, 1, 2, 3});
    NdArrayComplex dense;
    populateRTMatrices(file, n, m, list, dense, false);
    EXPECT_EQ(dense.m_size, (std::vector<size_t>{1, 1, 1, 1, 1, 2, 3}));

    const std::vector<double> axis{0};
    expectFailure(
        [&] { validateDimensions(dense, quelbrant::denseTableAxes(axis, axis, axis, n, m, false), nullptr); },
        ShapeMessage);
}
