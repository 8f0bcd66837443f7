// The position grid: index map, the three forms of the axes and their order.

#include <gtest/gtest.h>

#include "LoaderTestSupport.h"
#include "load/PositionGridReader.h"

using namespace quelbrant;

using namespace loadertest;

namespace {

const std::string NoAxes =
    "Schema validation failed: Cannot successfully load pox_x/pos_y, pos_rad/pos_pol, or par_1/par_2 data:\n";
const std::string ParameterScan =
    "This JSON file uses paramter scan (par_1/par_2), which is not supported by Orvik.";
const std::string NotIncreasing =
    "Error: The vector pox_x/pos_y, pos_rad/pos_pol, or par_1/par_2 must be monotonically increasing.\n";
const std::string NoteXY = "...cannot load pox_x/pos_y.";
const std::string NoteRadPol = "...cannot load pox_rad/pos_pol.";
const std::string NoteParameters = "...cannot load par_1/par_2.";

// A 2 x 2 grid whose axes are given under other names.
json gridAs(const char* name1, const char* name2, std::vector<double> axis1, std::vector<double> axis2)
{
    json doc = documentWithPositions(2, 2);
    json& block = doc["spatial_variation_or_parameter_scan"];
    block.erase("pos_x");
    block.erase("pos_y");
    block[name1] = axis1;
    block[name2] = axis2;
    return doc;
}

}  // namespace

TEST(LoaderPosition, CartesianGrid)
{
    LoadOutcome outcome = loadDocument(documentWithPositions(3, 2));
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_TRUE(Access::mXyVarOrParScan(s));
    EXPECT_EQ(Access::mPositionDef(s), GratingSurface::XY);
    EXPECT_EQ(Access::mXOrRadOrPar1(s), (std::vector<double>{0.0, 1e-3, 2e-3}));
    EXPECT_EQ(Access::mYOrPolOrPar2(s), (std::vector<double>{0.0, 2e-3}));
    // Addressed (second axis, first axis).
    EXPECT_EQ(Access::mIndexMap(s).m_size, (std::vector<size_t>{2, 3}));
    EXPECT_FALSE(outcome.hasNote(NoteXY));
    // Tables carry the position dimension in front.
    EXPECT_EQ(Access::mR(s)[0].m_size.size(), 8u);
    EXPECT_EQ(Access::mR(s)[0].m_size[0], 6u);
}

TEST(LoaderPosition, PolarGridHoldsTheAngleInRadians)
{
    LoadOutcome outcome = loadDocument(gridAs("pos_rad", "pos_pol", {0.0, 1e-3}, {0.0, 90.0}));
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_EQ(Access::mPositionDef(s), GratingSurface::RAD_POL);
    EXPECT_EQ(Access::mYOrPolOrPar2(s)[1], 1.5707963267948966);
    EXPECT_EQ(Access::mXOrRadOrPar1(s)[1], 1e-3);  // the radius stays in metres
    EXPECT_TRUE(outcome.hasNote(NoteXY));
    EXPECT_FALSE(outcome.hasNote(NoteRadPol));
}

TEST(LoaderPosition, ParameterScanOnlyInHostProgramMode)
{
    const json doc = gridAs("par_1", "par_2", {1.0, 2.0}, {10.0, 20.0});
    LoadOutcome plain = loadDocument(doc, false);
    EXPECT_EQ(plain.surface, nullptr);
    EXPECT_EQ(plain.message, ParameterScan);
    EXPECT_TRUE(plain.hasNote(NoteXY));
    EXPECT_TRUE(plain.hasNote(NoteRadPol));

    LoadOutcome host = loadDocument(doc, true);
    ASSERT_NE(host.surface, nullptr) << host.message;
    EXPECT_EQ(Access::mPositionDef(*host.surface), GratingSurface::PAR_SCAN);
    EXPECT_EQ(Access::mYOrPolOrPar2(*host.surface), (std::vector<double>{10.0, 20.0}));  // no unit change
}

TEST(LoaderPosition, NoReadableAxesNamesAllThreeForms)
{
    // A matrix whose element count disagrees with its extents cannot be read
    // in any form.
    json doc = documentWithPositions(2, 2);
    doc["spatial_variation_or_parameter_scan"]["pos_x"] = matrix({1, 2}, {0.0, 1.0, 2.0});
    LoadOutcome outcome = loadDocument(doc);
    EXPECT_EQ(outcome.message, NoAxes);
    EXPECT_TRUE(outcome.hasNote(NoteXY));
    EXPECT_TRUE(outcome.hasNote(NoteRadPol));
    EXPECT_TRUE(outcome.hasNote(NoteParameters));
}

TEST(LoaderPosition, AxesMayRepeatButNotDecrease)
{
    struct Case {
        std::vector<double> x, y;
        bool loads;
    };
    const Case cases[] = {
        {{0.0, 1.0, 1.0, 2.0}, {0.0, 0.0}, true},
        {{0.0, 2.0, 1.0, 3.0}, {0.0, 1.0}, false},
        {{0.0, 1.0, 2.0, 3.0}, {1.0, 0.0}, false},
    };
    for (const Case& c : cases) {
        json doc = documentWithPositions(4, 2);
        doc["spatial_variation_or_parameter_scan"]["pos_x"] = c.x;
        doc["spatial_variation_or_parameter_scan"]["pos_y"] = c.y;
        LoadOutcome outcome = loadDocument(doc);
        if (c.loads)
            EXPECT_NE(outcome.surface, nullptr) << outcome.message;
        else
            EXPECT_EQ(outcome.message, NotIncreasing);
    }
}

TEST(LoaderPosition, IndexMapBeyondThePositionsIsRejected)
{
    json doc = documentWithPositions(2, 2);
    doc["spatial_variation_or_parameter_scan"]["index_map"] = matrix({2, 2}, {1, 2, 3, 5});
    EXPECT_EQ(loadDocument(doc).message,
              "Schema validation failed: mIndexMap defined index of 5, while the size of 1st dimension of R, "
              "T data is 4");
}

TEST(LoaderPosition, IndexMapShapeMustMatchTheAxes)
{
    // 4 x 1 nodes described by a 2 x 2 map.
    json doc = documentWithPositions(2, 2);
    doc["spatial_variation_or_parameter_scan"]["pos_x"] = {0.0, 1.0, 2.0, 3.0};
    doc["spatial_variation_or_parameter_scan"]["pos_y"] = {0.0};
    EXPECT_EQ(loadDocument(doc).message,
              "Schema validation failed: the sizes of first and second dimensions of mIndexMap is not same "
              "as length of pos_x/pos_y/pos_rad/pos_pol/par_1/par_2.");
}

// The index map's own failures lie beneath what the schema lets through
// (it admits only two-dimensional integer matrices); they are reached here
// through the block reader.
TEST(PositionGridReader, IndexMapMustHaveTwoDimensions)
{
    json block = {{"pos_x", {0.0}}, {"pos_y", {0.0}}, {"index_map", matrix({1, 1, 1}, {1})}};
    try {
        readPositionGrid(block, false);
        FAIL() << "accepted a three-dimensional index map";
    } catch (int index) {
        EXPECT_EQ(errorText(index), "Schema validation failed. Number of dimension of index_map is not 2.:");
    }
}

TEST(PositionGridReader, UnreadableIndexMapIsExplained)
{
    const std::string prefix = "Schema validation failed (index_map), here is why:\n";
    const json blocks[] = {
        {{"pos_x", {0.0}}, {"pos_y", {0.0}}},                        // missing
        {{"pos_x", {0.0}}, {"pos_y", {0.0}}, {"index_map", "map"}},  // not an object
        {{"pos_x", {0.0}}, {"pos_y", {0.0}}, {"index_map", {{"_size", {1, 1}}, {"_data", {"x"}}}}},
    };
    for (const json& block : blocks) {
        try {
            readPositionGrid(block, false);
            FAIL() << "accepted " << block.dump();
        } catch (int index) {
            EXPECT_EQ(errorText(index).compare(0, prefix.size(), prefix), 0) << errorText(index);
        }
    }
}
