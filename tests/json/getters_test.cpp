#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "JsonReadersTesting.h"
#include "grating_documents.h"
#include "json/JsonReaders.h"
#include "table_entries.h"

using namespace quelbrant;
using json = nlohmann::json;

namespace {

using grating_documents::cell;
using grating_documents::matrix;

// The object handed to a getter: {"x": member}, or {} when member is absent.
json holder(const std::optional<json>& member)
{
    json j = json::object();
    if (member)
        j["x"] = *member;
    return j;
}

const std::string SingleNote = "Cannot load x as a single number.";
const std::string MatrixNote = "Failed to load x: detected a real matrix with size > 1.";
const std::string SizeNote = "... size is not 1.";
const std::string NotOptional = "Fail to load x and it's not optional.";

// Runs a getter and gives what it returned or the text of what it threw.
template <class T, class F>
std::pair<std::optional<T>, std::string> outcome(F f)
{
    try {
        return {f(), ""};
    } catch (int index) {
        return {std::nullopt, TableEntries::textOf(index)};
    }
}

}  // namespace

struct DoubleCase {
    const char* name;
    std::optional<json> member;
    bool optional;
    std::optional<double> value;  // nullopt: NotOptional is thrown
    std::vector<std::string> entries;
};

class GetDouble : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(GetDouble, TriesANumberThenAOneElementMatrix)
{
    const DoubleCase& c = GetParam();
    const json j = holder(c.member);
    TableEntries table;
    const auto [value, thrown] = outcome<double>([&] { return getdouble("x", j, c.optional, 7.0); });
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(thrown, c.value ? "" : NotOptional);
    EXPECT_EQ(table.entries(), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, GetDouble,
    ::testing::Values(
        DoubleCase{"Float", json(1.5), false, 1.5, {}}, DoubleCase{"Integer", json(2), false, 2.0, {}},
        DoubleCase{"Unsigned", json(3000000000ull), false, 3e9, {}},
        DoubleCase{"OneElementMatrix", matrix(false, {1, 1}, {1.5}), false, 1.5, {SingleNote}},
        DoubleCase{"OneElementComplexMatrixWithZeroImaginary",
                   matrix(true, {1}, {2.5, 0}),
                   false,
                   2.5,
                   {SingleNote}},
        DoubleCase{"OneElementArrayOptional", json::array({1.5}), true, 7.0, {SingleNote, MatrixNote}},
        DoubleCase{"OneElementArrayRequired",
                   json::array({1.5}),
                   false,
                   std::nullopt,
                   {SingleNote, MatrixNote, NotOptional}},
        DoubleCase{"OneElementCellOptional", cell({1.5}), true, 7.0, {SingleNote, MatrixNote}},
        DoubleCase{"OneElementCellRequired",
                   cell({1.5}),
                   false,
                   std::nullopt,
                   {SingleNote, MatrixNote, NotOptional}},
        DoubleCase{"TwoElementMatrixOptional", matrix(false, {2}, {1, 2}), true, 7.0, {SingleNote}},
        DoubleCase{"TwoElementMatrixRequired",
                   matrix(false, {2}, {1, 2}),
                   false,
                   std::nullopt,
                   {SingleNote, SizeNote, MatrixNote, NotOptional}},
        DoubleCase{"AbsentOptional", std::nullopt, true, 7.0, {SingleNote, MatrixNote}},
        DoubleCase{
            "AbsentRequired", std::nullopt, false, std::nullopt, {SingleNote, MatrixNote, NotOptional}},
        DoubleCase{"FlagIsNoNumber", json(true), true, 7.0, {SingleNote, MatrixNote}},
        DoubleCase{"StringIsNoNumber", json("1.5"), true, 7.0, {SingleNote, MatrixNote}},
        DoubleCase{"MismatchedMatrix",
                   matrix(false, {2}, {1}),
                   true,
                   7.0,
                   {SingleNote, "_data size and _size information not matched.", MatrixNote}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetDouble, HolderThatIsNoObjectLacksEveryMember)
{
    TableEntries table;
    EXPECT_EQ(getdouble("x", json::array({1.5}), true, 7.0), 7.0);
    EXPECT_EQ(getdouble("x", json(1.5), true, 7.0), 7.0);
    EXPECT_EQ(table.entries().size(), 4u);
}

TEST(GetBool, FlagsAndNumbers)
{
    struct Case {
        std::optional<json> member;
        bool defaultValue;
        bool expected;
        size_t notes;
    };
    const Case cases[] = {
        {json(true), false, true, 0},   {json(false), true, false, 0},
        {json(1), false, true, 0},      {json(0), true, false, 0},
        {json(2.5), false, true, 0},    {json(-1), false, true, 0},
        {std::nullopt, true, true, 2},  {std::nullopt, false, false, 2},
        {json("yes"), false, false, 2}, {matrix(false, {1}, {1}), false, true, 1},
    };
    for (const Case& c : cases) {
        TableEntries table;
        EXPECT_EQ(getbool("x", holder(c.member), true, c.defaultValue), c.expected)
            << holder(c.member).dump();
        EXPECT_EQ(table.entries().size(), c.notes) << holder(c.member).dump();
    }
}

TEST(GetBool, RequiredFlagThatCannotBeReadThrows)
{
    const auto [value, thrown] = outcome<bool>([] { return getbool("x", json::object(), false, true); });
    EXPECT_FALSE(value);
    EXPECT_EQ(thrown, NotOptional);
}

TEST(GetInt, RoundsHalvesAwayFromZero)
{
    const std::pair<double, int> cases[] = {{2.5, 3}, {-2.5, -3}, {1.49, 1}, {-1.49, -1}, {0.5, 1}, {2, 2}};
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(getint("x", holder(json(input)), false, 0), expected) << input;
}

TEST(GetInt, ValuesBeyondIntSaturate)
{
    EXPECT_EQ(getint("x", holder(json(1e300)), false, 0), INT_MAX);
    EXPECT_EQ(getint("x", holder(json(-1e300)), false, 0), INT_MIN);
    EXPECT_EQ(getint("x", holder(json(3000000000ull)), false, 0), INT_MAX);
    EXPECT_EQ(getint("x", holder(std::nullopt), true, 42), 42);
}

struct VectorCase {
    const char* name;
    std::optional<json> member;
    std::optional<std::vector<double>> value;  // nullopt: the default
    std::vector<std::string> entries;
};

const std::string CellNote = "Cannot load x as a cell.";
const std::string MatrixAttemptNote = "Cannot load x as a matrix.";
const std::string ArrayNote = "Cannot load x as a numeric array.";
const std::vector<double> DefaultVector = {-1.0, -2.0};

class GetDoubleVector : public ::testing::TestWithParam<VectorCase> {};

TEST_P(GetDoubleVector, TriesNumberCellMatrixAndArrayInTurn)
{
    const VectorCase& c = GetParam();
    const json j = holder(c.member);
    TableEntries table;
    std::vector<double> result = {99.0};
    getdoublevector(result, "x", j, true, DefaultVector);
    EXPECT_EQ(result, c.value.value_or(DefaultVector));
    EXPECT_EQ(table.entries(), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, GetDoubleVector,
    ::testing::Values(
        VectorCase{"Number", json(3.0), std::vector<double>{3.0}, {}},
        VectorCase{"Cell", cell({1, 2.5}), std::vector<double>{1, 2.5}, {SingleNote}},
        VectorCase{"EmptyCell", cell(json::array()), std::vector<double>{}, {SingleNote}},
        VectorCase{"MatrixInFlatOrder",
                   matrix(false, {2, 2}, {1, 2, 3, 4}),
                   std::vector<double>{1, 2, 3, 4},
                   {SingleNote, "...type is not cell.", CellNote}},
        VectorCase{"Array",
                   json::array({1, 2, 3}),
                   std::vector<double>{1, 2, 3},
                   {SingleNote, CellNote, MatrixAttemptNote}},
        VectorCase{"Null", json(), std::vector<double>{}, {SingleNote, CellNote, MatrixAttemptNote}},
        VectorCase{"ObjectMembersInKeyOrder",
                   json{{"b", 2}, {"a", 1}},
                   std::vector<double>{1, 2},
                   {SingleNote, CellNote, MatrixAttemptNote}},
        VectorCase{
            "EmptyMatrix",
            matrix(false, {1, 0}, json::array()),
            std::nullopt,
            {SingleNote, "...type is not cell.", CellNote, "...size is zero.", MatrixAttemptNote, ArrayNote}},
        VectorCase{"CellWithAString",
                   cell({1, "2"}),
                   std::nullopt,
                   {SingleNote, CellNote, MatrixAttemptNote, ArrayNote}},
        VectorCase{"CellWithoutData",
                   json{{"_type", "cell"}},
                   std::nullopt,
                   {SingleNote, CellNote, MatrixAttemptNote, ArrayNote}},
        VectorCase{"ArrayWithAFlag",
                   json::array({1, true}),
                   std::nullopt,
                   {SingleNote, CellNote, MatrixAttemptNote, ArrayNote}},
        VectorCase{"NestedArray",
                   json::array({json::array({1})}),
                   std::nullopt,
                   {SingleNote, CellNote, MatrixAttemptNote, ArrayNote}},
        VectorCase{"String", json("1"), std::nullopt, {SingleNote, CellNote, MatrixAttemptNote, ArrayNote}},
        VectorCase{
            "Absent", std::nullopt, std::nullopt, {SingleNote, CellNote, MatrixAttemptNote, ArrayNote}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetDoubleVector, RequiredListThatCannotBeReadThrows)
{
    TableEntries table;
    std::vector<double> result;
    const auto [value, thrown] = outcome<int>([&] {
        getdoublevector(result, "x", holder(json("1")), false, {});
        return 0;
    });
    EXPECT_FALSE(value);
    EXPECT_EQ(thrown, NotOptional);
    EXPECT_EQ(table.entries().back(), NotOptional);
}

TEST(GetIntVector, WholeNumbersInAnyListForm)
{
    std::vector<int> result;
    getintvector(result, "x", holder(json::array({1, -2, 3.0})));
    EXPECT_EQ(result, (std::vector<int>{1, -2, 3}));
    getintvector(result, "x", holder(matrix(false, {2}, {4, 5})));
    EXPECT_EQ(result, (std::vector<int>{4, 5}));
}

TEST(GetIntVector, FractionsAndValuesBeyondIntAreRejected)
{
    const std::string error = "Schema Validation failed for: x, int expected but non integer values found.";
    for (const json& member : {json::array({1, 1.5}), json::array({3e9}), json::array({-3e9})}) {
        TableEntries table;
        std::vector<int> result;
        const auto [value, thrown] = outcome<int>([&] {
            getintvector(result, "x", holder(member));
            return 0;
        });
        EXPECT_EQ(thrown, error) << member.dump();
        const auto entries = table.entries();
        ASSERT_GE(entries.size(), 2u);
        EXPECT_EQ(entries[entries.size() - 2], "... not an integer.");
    }
}

TEST(GetIntVector, MissingListEndsInTheIntegerError)
{
    TableEntries table;
    std::vector<int> result;
    const auto [value, thrown] = outcome<int>([&] {
        getintvector(result, "x", json::object());
        return 0;
    });
    EXPECT_EQ(thrown, "Schema Validation failed for: x, int expected but non integer values found.");
    const auto entries = table.entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[entries.size() - 2], NotOptional);
}
