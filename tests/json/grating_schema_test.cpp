#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "grating_documents.h"
#include "json/GratingSchema.h"

using namespace quelbrant;

using namespace grating_documents;

namespace {

// The report expected for a violation at pointer, built with the JSON
// library's own pointer lookup and dump.
std::string report(const json& document, const std::string& pointer, const std::string& reason)
{
    return "At " + pointer + " of " + document.at(json::json_pointer(pointer)).dump() + " - " + reason + "\n";
}

// A report names pointer and reason in full. Its value text is the whole dump
// when the report then fits MaxViolationReportLength; otherwise the report
// fits it, and the value text is a start and an end of the dump around "...".
void expectReport(const std::string& message, const json& document, const std::string& pointer,
                  const std::string& reason)
{
    const std::string full = report(document, pointer, reason);
    if (full.size() <= MaxViolationReportLength) {
        EXPECT_EQ(message, full);
        return;
    }
    const std::string head = "At " + pointer + " of ", tail = " - " + reason + "\n";
    ASSERT_GE(message.size(), head.size() + tail.size()) << message;
    EXPECT_EQ(message.substr(0, head.size()), head);
    EXPECT_EQ(message.substr(message.size() - tail.size()), tail);
    EXPECT_LE(message.size(), MaxViolationReportLength) << message;
    // The dump may hold dots of its own next to the gap: some "..." must
    // split the shown text into a non-empty start and end of the dump.
    const std::string shown = message.substr(head.size(), message.size() - head.size() - tail.size());
    const std::string dump = document.at(json::json_pointer(pointer)).dump();
    bool split = false;
    for (size_t gap = shown.find("..."); gap != std::string::npos && !split;
         gap = shown.find("...", gap + 1)) {
        const std::string start = shown.substr(0, gap), end = shown.substr(gap + 3);
        split = !start.empty() && !end.empty() && start.size() + end.size() < dump.size() &&
                dump.compare(0, start.size(), start) == 0 &&
                dump.compare(dump.size() - end.size(), end.size(), end) == 0;
    }
    EXPECT_TRUE(split) << "\"" << shown << "\" is no start and end of " << dump;
}

const std::string NoForm = "Failed to validate against any child schemas allowed by oneOf constraint.";
const std::string TwoForms = "Failed to validate against exactly one child schema.";
const std::string WrongType = "Value type not permitted by 'type' constraint.";
const std::string WrongConst = "Failed to match expected value set by 'const' constraint.";
const std::string NotWhole = "Value should be a multiple of 1.000000";
const std::string BelowOne = "Expected number greater than or equal to 1.000000";

std::string missing(const std::string& key)
{
    return "Missing required property '" + key + "'.";
}

const std::string Lower = "/grat_results_lower";
const std::string Upper = "/grat_results_upper";
const std::string Position = "/spatial_variation_or_parameter_scan";

using Edit = std::function<void(json&)>;

json edited(const Edit& edit)
{
    json document = minimalDocument();
    edit(document);
    return document;
}

json& lower(json& d)
{
    return d["grat_results_lower"];
}

}  // namespace

struct Passing {
    const char* name;
    Edit edit;
};

class SchemaAccepts : public ::testing::TestWithParam<Passing> {};

TEST_P(SchemaAccepts, Document)
{
    const json document = edited(GetParam().edit);
    EXPECT_EQ(validationMessage(document), "");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SchemaAccepts,
    ::testing::Values(
        Passing{"Minimal", [](json&) {}},
        Passing{"IndexAsOneElementMatrix",
                [](json& d) {
                    d["n_lower"] = realMatrix({1, 1}, {1.5});
                }},
        Passing{"IndexAsOneElementComplexMatrix",
                [](json& d) {
                    d["n_lower"] = {{"_type", "matrix"}, {"_complex", true}, {"_size", {1}}, {"_data", {1}}};
                }},
        Passing{"IndexAsOneElementArray", [](json& d) { d["n_lower"] = {1.5}; }},
        Passing{"IndexAsEmptyArray", [](json& d) { d["n_upper"] = json::array(); }},
        Passing{"IndexAsOneElementCell", [](json& d) { d["n_upper"] = cell({1.0}); }},
        Passing{"UnknownKeysEverywhere",
                [](json& d) {
                    d["comment"] = {{"any", {1, "two", nullptr}}};
                    lower(d)["notes"] = "free";
                    lower(d)["angle_definition"]["extra"] = true;
                    lower(d)["list_orders_R"]["extra"] = "x";
                }},
        Passing{"UnconstrainedMembersHoldAnything",
                [](json& d) {
                    d["$schema"] = 5;
                    d["description"] = json::array();
                    d["version"] = false;
                    d["reciprocal_lattice_vector_1"] = "garbage";
                    d["reciprocal_lattice_vector_2"] = {1, 2, 3};
                    d["lattice_vector_1"] = nullptr;
                    lower(d)["R"] = "not a table";
                    lower(d)["T"] = nullptr;
                    lower(d)["orvik"] = 5;
                    d["polarization_data_basis"] = "SP";
                    d["polarization_interpolation_basis"] = 7.5;
                    d["polarization_interpolate_over_wavelength"] = "yes";
                }},
        Passing{"OrderListOfAnyShape",
                [](json& d) {
                    lower(d)["list_orders_R"] = orders({3, 3}, {0, 1, 2, 3, 4, 5, 6, 7, 8});
                }},
        Passing{"OrderListWithWholeFloats",
                [](json& d) {
                    lower(d)["list_orders_T"] = orders({1, 2.0}, {-1.0, 0.0});
                }},
        Passing{"OneDimensionalOrderList",
                [](json& d) {
                    lower(d)["list_orders_T"] = orders({2}, {0, 1});
                }},
        Passing{"WavelengthMatrixWithZero",
                [](json& d) {
                    lower(d)["wavelength"] = realMatrix({1, 2}, {5.5e-7, 0});
                }},
        Passing{"WavelengthCellWithNegative", [](json& d) { lower(d)["wavelength"] = cell({-1}); }},
        Passing{"WavelengthNegativeNumber", [](json& d) { lower(d)["wavelength"] = -1; }},
        Passing{"LosslessTrue", [](json& d) { lower(d)["lossless"] = true; }},
        Passing{"LosslessFalse", [](json& d) { lower(d)["lossless"] = false; }},
        Passing{"LosslessOne", [](json& d) { lower(d)["lossless"] = 1; }},
        Passing{"LosslessZeroAsFloat", [](json& d) { lower(d)["lossless"] = 0.0; }},
        Passing{"ThetaAsCell",
                [](json& d) {
                    lower(d)["angle_definition"]["theta"] = cell({0, 30});
                }},
        Passing{"ThetaAsMatrix",
                [](json& d) {
                    lower(d)["angle_definition"]["theta"] = realMatrix({2, 1}, {0, 30});
                }},
        Passing{"ThetaAsNumber", [](json& d) { lower(d)["angle_definition"]["theta"] = 30; }},
        Passing{"PolarWithFrequencyConversion",
                [](json& d) { lower(d)["angle_definition"]["f_conversion"] = 1e14; }},
        Passing{"UnitVectorsWithFrequencyConversion",
                [](json& d) {
                    lower(d)["angle_definition"] = {{"ux", {0}}, {"uy", {0}}, {"f_conversion", 2.0}};
                }},
        Passing{"WaveVectorsWithAnyFrequencyConversion",
                [](json& d) {
                    lower(d)["angle_definition"] = {{"kx", {0}}, {"ky", {0}}, {"f_conversion", "x"}};
                }},
        Passing{"CartesianPositions",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {
                        {"pos_x", {0, 1}}, {"pos_y", 0}, {"index_map", indexMap()}};
                }},
        Passing{"PolarPositions",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {
                        {"pos_rad", cell({0, 1})}, {"pos_pol", {90}}, {"index_map", indexMap()}};
                }},
        Passing{"ParameterScan",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {{"par_1", {0, 1}},
                                                                {"par_2", {2}},
                                                                {"par_1_name", "gap"},
                                                                {"par_2_name", "depth"},
                                                                {"index_map", indexMap()}};
                }},
        Passing{"HostOptions",
                [](json& d) {
                    d["orvik"] = {{"detect_ray_direction_from_surface_normal", 1}};
                }},
        Passing{"EmptyHostOptions", [](json& d) { d["orvik"] = json::object(); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct Failing {
    const char* name;
    Edit edit;
    std::string pointer;
    std::string reason;
};

class SchemaRejects : public ::testing::TestWithParam<Failing> {};

TEST_P(SchemaRejects, DocumentWithItsFirstViolation)
{
    const Failing& c = GetParam();
    const json document = edited(c.edit);
    expectReport(validationMessage(document), document, c.pointer, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    TopLevel, SchemaRejects,
    ::testing::Values(
        Failing{"NotAnObject", [](json& d) { d = json::array(); }, "", WrongType},
        Failing{"WithoutNLower", [](json& d) { d.erase("n_lower"); }, "", missing("n_lower")},
        Failing{"WithoutNUpper", [](json& d) { d.erase("n_upper"); }, "", missing("n_upper")},
        Failing{"WithoutLowerData", [](json& d) { d.erase("grat_results_lower"); }, "",
                missing("grat_results_lower")},
        Failing{"WithoutUpperData", [](json& d) { d.erase("grat_results_upper"); }, "",
                missing("grat_results_upper")},
        Failing{"IndexAsString", [](json& d) { d["n_lower"] = "1.5"; }, "/n_lower", NoForm},
        Failing{"IndexAsFlag", [](json& d) { d["n_lower"] = true; }, "/n_lower", NoForm},
        Failing{"IndexAsNull", [](json& d) { d["n_upper"] = nullptr; }, "/n_upper", NoForm},
        Failing{"IndexAsTwoElementArray",
                [](json& d) {
                    d["n_lower"] = {1.5, 1.6};
                },
                "/n_lower", NoForm},
        Failing{"IndexAsTwoEntryCell",
                [](json& d) {
                    d["n_lower"] = cell({1.5, 1.6});
                },
                "/n_lower", NoForm},
        Failing{
            "IndexAsTwoEntryMatrix",
            [](json& d) {
                d["n_upper"] = {{"_type", "matrix"}, {"_complex", true}, {"_size", {1}}, {"_data", {1, 0}}};
            },
            "/n_upper", NoForm},
        Failing{"IndexAsMatrixWithoutSize",
                [](json& d) {
                    d["n_lower"] = {{"_type", "matrix"}, {"_complex", false}, {"_data", {1}}};
                },
                "/n_lower", NoForm},
        Failing{"HostOptionsNotAnObject", [](json& d) { d["orvik"] = 5; }, "/orvik", WrongType},
        Failing{"HostFlagTwo",
                [](json& d) {
                    d["orvik"] = {{"detect_ray_direction_from_surface_normal", 2}};
                },
                "/orvik/detect_ray_direction_from_surface_normal", NoForm},
        Failing{"HostFlagString",
                [](json& d) {
                    d["orvik"] = {{"detect_ray_direction_from_surface_normal", "true"}};
                },
                "/orvik/detect_ray_direction_from_surface_normal", NoForm}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Positions, SchemaRejects,
    ::testing::Values(
        Failing{"TwoForms",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {{"pos_x", {0}},
                                                                {"pos_y", {0}},
                                                                {"pos_rad", {0}},
                                                                {"pos_pol", {0}},
                                                                {"index_map", indexMap()}};
                },
                Position, TwoForms},
        Failing{"WithoutIndexMap",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {{"pos_x", {0}}, {"pos_y", {0}}};
                },
                Position, NoForm},
        Failing{"OneAxisOnly",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {{"pos_x", {0}}, {"index_map", indexMap()}};
                },
                Position, NoForm},
        Failing{"AxisAsString",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {
                        {"pos_x", "0"}, {"pos_y", {0}}, {"index_map", indexMap()}};
                },
                Position, NoForm},
        Failing{"IndexMapComplex",
                [](json& d) {
                    json map = indexMap();
                    map["_complex"] = true;
                    d["spatial_variation_or_parameter_scan"] = {
                        {"pos_x", {0}}, {"pos_y", {0}}, {"index_map", map}};
                },
                Position, NoForm},
        Failing{"IndexMapThreeDimensional",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {
                        {"pos_x", {0}}, {"pos_y", {0}}, {"index_map", realMatrix({1, 1, 2}, {1, 2})}};
                },
                Position, NoForm},
        Failing{"IndexMapFraction",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {
                        {"pos_x", {0}}, {"pos_y", {0}}, {"index_map", realMatrix({1, 2}, {1, 1.5})}};
                },
                Position, NoForm},
        Failing{"ParameterNameNotAString",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {
                        {"par_1", {0}}, {"par_2", {0}}, {"par_1_name", 1}, {"index_map", indexMap()}};
                },
                Position, NoForm},
        Failing{"NotAnObject",
                [](json& d) {
                    d["spatial_variation_or_parameter_scan"] = {1, 2};
                },
                Position, NoForm}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    HalfSpaces, SchemaRejects,
    ::testing::Values(
        Failing{"NotAnObject", [](json& d) { lower(d) = 5; }, Lower, WrongType},
        Failing{"WithoutR", [](json& d) { d["grat_results_upper"].erase("R"); }, Upper, missing("R")},
        Failing{"WithoutT", [](json& d) { d["grat_results_upper"].erase("T"); }, Upper, missing("T")},
        Failing{"WithoutOrdersR", [](json& d) { d["grat_results_upper"].erase("list_orders_R"); }, Upper,
                missing("list_orders_R")},
        Failing{"WithoutOrdersT", [](json& d) { d["grat_results_upper"].erase("list_orders_T"); }, Upper,
                missing("list_orders_T")},
        Failing{"WithoutWavelength", [](json& d) { d["grat_results_upper"].erase("wavelength"); }, Upper,
                missing("wavelength")},
        Failing{"WithoutAngles", [](json& d) { d["grat_results_upper"].erase("angle_definition"); }, Upper,
                missing("angle_definition")},
        Failing{"ComplexOrders", [](json& d) { lower(d)["list_orders_R"]["_complex"] = true; },
                Lower + "/list_orders_R/_complex", WrongConst},
        Failing{"ComplexFlagAsNumber", [](json& d) { lower(d)["list_orders_R"]["_complex"] = 0; },
                Lower + "/list_orders_R/_complex", WrongType},
        Failing{"FractionalOrder",
                [](json& d) {
                    lower(d)["list_orders_R"]["_data"] = {0, 0.5};
                },
                Lower + "/list_orders_R/_data/1", NotWhole},
        Failing{"OrderAsString",
                [](json& d) {
                    lower(d)["list_orders_T"]["_data"] = {"0", 0};
                },
                Lower + "/list_orders_T/_data/0", WrongType},
        Failing{"ZeroExtent",
                [](json& d) {
                    lower(d)["list_orders_R"]["_size"] = {1, 0};
                },
                Lower + "/list_orders_R/_size/1", BelowOne},
        Failing{"FractionalExtent",
                [](json& d) {
                    lower(d)["list_orders_T"]["_size"] = {1, 2.5};
                },
                Lower + "/list_orders_T/_size/1", NotWhole},
        Failing{"OrdersAsCell", [](json& d) { lower(d)["list_orders_R"]["_type"] = "cell"; },
                Lower + "/list_orders_R/_type", WrongConst},
        Failing{"OrdersWithoutSize", [](json& d) { lower(d)["list_orders_R"].erase("_size"); },
                Lower + "/list_orders_R", missing("_size")},
        Failing{"OrdersAsArray",
                [](json& d) {
                    lower(d)["list_orders_T"] = {0, 0};
                },
                Lower + "/list_orders_T", WrongType},
        Failing{"WavelengthArrayWithZero",
                [](json& d) {
                    lower(d)["wavelength"] = {5.5e-7, 0};
                },
                Lower + "/wavelength", NoForm},
        Failing{"WavelengthAsString", [](json& d) { lower(d)["wavelength"] = "550nm"; },
                Lower + "/wavelength", NoForm},
        Failing{"WavelengthThreeDimensionalMatrix",
                [](json& d) {
                    lower(d)["wavelength"] = realMatrix({1, 1, 1}, {5.5e-7});
                },
                Lower + "/wavelength", NoForm},
        Failing{"LosslessTwo", [](json& d) { lower(d)["lossless"] = 2; }, Lower + "/lossless", NoForm},
        Failing{"LosslessString", [](json& d) { lower(d)["lossless"] = "true"; }, Lower + "/lossless",
                NoForm}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Angles, SchemaRejects,
    ::testing::Values(
        Failing{"TwoForms",
                [](json& d) {
                    lower(d)["angle_definition"] = {{"theta", {0}}, {"phi", {0}}, {"ux", {0}}, {"uy", {0}}};
                },
                Lower + "/angle_definition", TwoForms},
        Failing{"PolarAndWaveVector",
                [](json& d) {
                    lower(d)["angle_definition"] = {{"theta", {0}}, {"phi", {0}}, {"kx", {0}}, {"ky", {0}}};
                },
                Lower + "/angle_definition", TwoForms},
        Failing{"ThetaOnly",
                [](json& d) {
                    lower(d)["angle_definition"] = {{"theta", {0}}};
                },
                Lower + "/angle_definition", NoForm},
        Failing{"ThetaAsString", [](json& d) { lower(d)["angle_definition"]["theta"] = "0"; },
                Lower + "/angle_definition", NoForm},
        Failing{"PolarFrequencyConversionZero",
                [](json& d) { lower(d)["angle_definition"]["f_conversion"] = 0; },
                Lower + "/angle_definition", NoForm},
        Failing{"PolarFrequencyConversionNegative",
                [](json& d) { lower(d)["angle_definition"]["f_conversion"] = -1e14; },
                Lower + "/angle_definition", NoForm},
        Failing{"PolarFrequencyConversionAsMatrix",
                [](json& d) {
                    lower(d)["angle_definition"]["f_conversion"] = realMatrix({1, 1}, {1});
                },
                Lower + "/angle_definition", NoForm},
        Failing{"UnitVectorFrequencyConversionZero",
                [](json& d) {
                    lower(d)["angle_definition"] = {{"ux", {0}}, {"uy", {0}}, {"f_conversion", 0}};
                },
                Lower + "/angle_definition", NoForm},
        Failing{"NotAnObject",
                [](json& d) {
                    lower(d)["angle_definition"] = {0, 30};
                },
                Lower + "/angle_definition", NoForm}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

// A document whose member key holds depth arrays nested in each other,
// innermost [1]; the member itself sits at nesting level 2.
json withNestedArrays(const std::string& key, size_t depth)
{
    json document = minimalDocument();
    json value = {1};
    for (size_t level = 1; level < depth; ++level)
        value = json::array({std::move(value)});
    document[key] = std::move(value);
    return document;
}

std::string zeros(size_t count)
{
    std::string pointer;
    for (size_t k = 0; k < count; ++k)
        pointer += "/0";
    return pointer;
}

}  // namespace

TEST(SchemaNesting, DocumentAtTheNestingLimitIsValidated)
{
    // Root at level 1, the member at level 2: MaxDocumentNesting levels in all.
    EXPECT_EQ(validationMessage(withNestedArrays("deep", MaxDocumentNesting - 1)), "");
}

TEST(SchemaNesting, DeeperValueIsRefusedWithItsPointer)
{
    // The pointer runs through 128 tokens; the report shows its first and
    // last four, so that the reason stays in view.
    const json document = withNestedArrays("a/b~c", MaxDocumentNesting);
    const std::string pointer = "/a~1b~0c" + zeros(MaxDocumentNesting - 1);
    EXPECT_EQ(document.at(json::json_pointer(pointer)), json::array({1}));
    EXPECT_EQ(validationMessage(document),
              "At /a~1b~0c/0/0/0/.../0/0/0/0 of [1] - Value is nested more than 128 levels deep.\n");
}

TEST(SchemaNesting, DeepValueIsShownCutAfterTwoLevels)
{
    const json document = withNestedArrays("deep", MaxDocumentNesting + 10);
    EXPECT_EQ(validationMessage(document),
              "At /deep/0/0/0/.../0/0/0/0 of [[\"...\"]] - Value is nested more than 128 levels deep.\n");
}

TEST(SchemaNesting, ReportOnAWideDeepValueStaysShort)
{
    // The first value past the limit holds many members; the report keeps
    // to its length and ends in the reason.
    json document = withNestedArrays("deep", MaxDocumentNesting - 1);
    json* innermost = &document["deep"];
    while (innermost->at(0).is_array())
        innermost = &innermost->at(0);
    json wide = json::object();
    for (int k = 0; k < 1000; ++k)
        wide["member" + std::to_string(k)] = json::array({k});
    (*innermost)[0] = wide;
    const std::string message = validationMessage(document);
    EXPECT_EQ(message.rfind("At /deep/0/0/0/.../0/0/0/0 of {\"member0\":", 0), 0u) << message;
    EXPECT_LE(message.size(), MaxViolationReportLength) << message;
    const std::string reason = " - Value is nested more than 128 levels deep.\n";
    EXPECT_EQ(message.substr(message.size() - reason.size()), reason);
}

TEST(SchemaNesting, MillionLevelsEndInAReportNotACrash)
{
    json document = minimalDocument();
    document["deep"] = json::parse(std::string(1000000, '[') + std::string(1000000, ']'));
    const std::string message = validationMessage(document);
    EXPECT_EQ(message.rfind("At /deep/0/0/", 0), 0u);
    EXPECT_NE(message.find(" - Value is nested more than 128 levels deep.\n"), std::string::npos);
}

TEST(SchemaReport, HugeBrokenArrayReportsItsFirstBadEntry)
{
    // Every one of 200,000 entries breaks the schema; the report names
    // the first and the search does not collect the others.
    json document = minimalDocument();
    json& data = lower(document)["list_orders_R"]["_data"];
    data = json::array();
    for (int k = 0; k < 200000; ++k)
        data.push_back(0.5);
    EXPECT_EQ(validationMessage(document), report(document, Lower + "/list_orders_R/_data/0", NotWhole));
}

TEST(SchemaReport, HugeOffendingValueKeepsTheReportShort)
{
    // A flag given as an array of 100,000 numbers fails its oneOf as a
    // whole: the report shows the array's start and end and the full reason.
    json document = minimalDocument();
    json& flag = lower(document)["lossless"];
    flag = json::array();
    for (int k = 0; k < 100000; ++k)
        flag.push_back(k);
    const std::string message = validationMessage(document);
    expectReport(message, document, Lower + "/lossless", NoForm);
    EXPECT_EQ(message.rfind("At /grat_results_lower/lossless of [0,1,2,", 0), 0u) << message;
    EXPECT_NE(message.find(",99998,99999] - " + NoForm + "\n"), std::string::npos) << message;
}
