// The one rule every table routine applies to extents read from a file.

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "tables/DenseTableShape.h"

using namespace quelbrant;

namespace {

constexpr size_t Big = size_t{1} << 40;  // two of these overflow size_t

struct ShapeCase {
    const char* name;
    std::vector<size_t> extents;
    std::optional<size_t> count;  // nothing: no table has these extents
    bool withPosition;
    size_t held;            // elements the table actually holds
    bool dense;             // denseTableShape accepts it
    size_t denseNodes = 0;  // and then these
    size_t denseEntries = 0;
};

TEST(TableShape, OneRuleForCountsOverflowZeroExtentsAndTheDenseLayout)
{
    const ShapeCase cases[] = {
        {"no extents: one element", {}, 1, false, 1, false},
        {"plain product", {3, 4, 5}, 60, false, 60, false},
        {"zero extent: an empty table", {3, 0, 5}, 0, false, 0, false},
        {"overflow", {Big, Big}, std::nullopt, false, 0, false},
        // A zero extent never excuses the others, wherever it stands.
        {"zero before an overflow", {0, Big, Big}, std::nullopt, false, 0, false},
        {"zero after an overflow", {Big, Big, 0}, std::nullopt, false, 0, false},
        {"zero with large but fitting extents", {0, Big, 1000}, 0, false, 0, false},
        {"dense without position", {3, 2, 4, 5, 1, 2, 2}, 480, false, 480, true, 24, 20},
        {"dense with position", {6, 3, 2, 4, 5, 1, 2, 2}, 2880, true, 2880, true, 144, 20},
        {"dense, one element short", {3, 2, 4, 5, 1, 2, 2}, 480, false, 479, false},
        {"dense rank read as with position", {3, 2, 4, 5, 1, 2, 2}, 480, true, 480, false},
        {"PolIn extent 3", {3, 2, 4, 5, 1, 2, 3}, 720, false, 720, false},
        {"PolOut extent 1", {3, 2, 4, 5, 1, 1, 2}, 240, false, 240, false},
        // Empty dense tables have a shape; readers that need a node refuse
        // them themselves.
        {"dense with an empty wavelength axis", {3, 2, 0, 5, 1, 2, 2}, 0, false, 0, true, 0, 20},
        {"dense, empty and oversized", {Big, Big, 0, 5, 1, 2, 2}, std::nullopt, false, 0, false},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(quelbrant::tableElementCount(c.extents), c.count);
        EXPECT_EQ(quelbrant::extentsDescribe(c.extents, c.held), c.count && *c.count == c.held);

        NdArrayComplex table;
        table.m_size = c.extents;
        table.resize(c.held);
        const std::optional<quelbrant::DenseTableShape> shape =
            quelbrant::denseTableShape(table, c.withPosition);
        ASSERT_EQ(shape.has_value(), c.dense);
        if (!shape)
            continue;
        EXPECT_EQ(shape->nodes(), c.denseNodes);
        EXPECT_EQ(shape->entries(), c.denseEntries);
        EXPECT_EQ(shape->elements(), c.held);
        EXPECT_EQ(shape->positions, c.withPosition ? c.extents[0] : 1u);
    }
}

}  // namespace
