// Broken files of every kind end in an error index with a message: no crash,
// no foreign exception, no allocation the file's contents do not back.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "LoaderTestSupport.h"
#include "allocation_counter.h"

using namespace quelbrant;

using namespace loadertest;

namespace {

struct Malformed {
    const char* what;
    std::function<void(json&)> change;
};

void setUpperR(json& doc, const std::vector<json>& size, json data, bool complex = true)
{
    doc["grat_results_upper"]["R"] = {
        {"_type", "matrix"}, {"_complex", complex}, {"_size", size}, {"_data", data}};
}

std::string nested(size_t depth)
{
    return std::string(depth, '[') + "1" + std::string(depth, ']');
}

void expectCleanFailure(const LoadOutcome& outcome, const std::string& what)
{
    EXPECT_FALSE(outcome.threwSomethingElse) << what;
    EXPECT_EQ(outcome.surface, nullptr) << what;
    EXPECT_GT(outcome.error, 0) << what;
    EXPECT_FALSE(outcome.message.empty()) << what;
    ASSERT_FALSE(outcome.entries.empty()) << what;
    EXPECT_EQ(outcome.entries.back(), outcome.message) << what;
}

}  // namespace

TEST(LoaderMalformed, BrokenDocumentsEndInAnErrorIndex)
{
    const std::uint64_t twoTo32 = std::uint64_t{1} << 32;
    const Malformed cases[] = {
        {"negative extents whose product wraps to one",
         [](json& d) {
             setUpperR(d, {-1, -1, 1, 1, 1, 1}, {1.0, 0.0});
         }},
        {"extents whose product wraps to zero, no data",
         [=](json& d) {
             setUpperR(d, {twoTo32, twoTo32, 1, 1, 2, 2}, json::array());
         }},
        {"an extent of 10^18 for eight numbers",
         [](json& d) {
             setUpperR(d, {1000000000000000000LL, 1, 1, 1, 2, 2}, {1, 0, 0, 0, 0, 0, 0, 1});
         }},
        {"the largest extent there is",
         [](json& d) {
             setUpperR(d, {UINT64_MAX, 1, 1, 1, 2, 2}, {1, 0, 0, 0, 0, 0, 0, 1});
         }},
        {"a zero order extent under a vast grid",
         [](json& d) {
             setUpperR(d, {1000000000, 1000000000, 1000000000, 0, 2, 2}, json::array());
         }},
        {"fractional extents",
         [](json& d) {
             setUpperR(d, {1.5, 1, 1, 1, 2, 2}, {1, 0, 0, 0, 0, 0, 0, 1});
         }},
        {"text extents",
         [](json& d) {
             setUpperR(d, {"one", 1, 1, 1, 2, 2}, {1, 0, 0, 0, 0, 0, 0, 1});
         }},
        {"extents as an object",
         [](json& d) {
             d["grat_results_upper"]["R"]["_size"] = {{"a", 1}};
         }},
        {"null data", [](json& d) { d["grat_results_upper"]["R"]["_data"] = nullptr; }},
        {"nested data",
         [](json& d) {
             d["grat_results_upper"]["T"]["_data"] = {{1.0, 0.0}, {0.0, 1.0}, {1.0}, {0.0}};
         }},
        {"objects as data",
         [](json& d) {
             d["grat_results_lower"]["T"]["_data"] = json::array({json::object(), 1, 2, 3, 4, 5, 6, 7});
         }},
        {"orders at the ends of int",
         [](json& d) {
             d["grat_results_upper"]["list_orders_R"] = orderList({{-2147483647 - 1, 0}, {2147483647, 0}});
         }},
        {"orders beyond int",
         [](json& d) {
             d["grat_results_upper"]["list_orders_T"] = matrix({1, 2}, {0.0, 0.0});
             d["grat_results_upper"]["list_orders_T"]["_data"] = {10000000000LL, -10000000000LL};
         }},
        {"a sparse order list spanning a vast grid",
         [](json& d) {
             d["grat_results_upper"]["list_orders_R"] = orderList({{-30000, -30000}, {30000, 30000}});
             d["grat_results_upper"]["R"] = fileTable(1, 1, 1, 2);
         }},
        {"an index map of vast extents",
         [](json& d) {
             d = documentWithPositions(1, 1);
             d["spatial_variation_or_parameter_scan"]["index_map"]["_size"] = {4294967296LL, 4294967296LL};
         }},
        {"lattice rows of vast extents",
         [](json& d) {
             d = documentWithPositions(1, 1);
             d["reciprocal_lattice_vector_1"]["_size"] = {UINT64_MAX, 2};
         }},
        {"wavelength as an object of text",
         [](json& d) {
             d["grat_results_lower"]["wavelength"] = {{"a", "b"}};
         }},
        {"angle definition as an array",
         [](json& d) {
             d["grat_results_lower"]["angle_definition"] = json::array({1, 2});
         }},
        {"half space as an array", [](json& d) { d["grat_results_lower"] = json::array(); }},
        {"a table as a number", [](json& d) { d["grat_results_lower"]["T"] = 7; }},
        {"an order list with text",
         [](json& d) {
             d["grat_results_lower"]["list_orders_R"]["_data"] = {"0", "0"};
         }},
        {"a theta axis of nested arrays",
         [](json& d) { d["grat_results_lower"]["angle_definition"]["theta"] = json::parse(nested(100)); }},
    };
    for (const Malformed& c : cases) {
        for (bool host : {false, true}) {
            json doc = document();
            c.change(doc);
            expectCleanFailure(loadDocument(doc, host),
                               std::string(c.what) + (host ? " (host program)" : ""));
        }
    }
}

TEST(LoaderMalformed, BrokenTextEndsInAnErrorIndex)
{
    const std::string valid = document().dump();
    const std::string cases[] = {
        std::string("\0\0\0\0", 4),
        "\xEF\xBB\xBF",  // a byte-order mark and nothing else
        "\xFF\xFE{}",
        valid.substr(0, valid.size() / 2),
        "[" + valid + "]",
        "\"" + std::string(100000, 'x') + "\"",
        std::string(200000, '{'),
        std::string(100000, '[') + std::string(99999, ']'),
        "{\"n_lower\": 1e999999}",
        "{\"n_lower\": -}",
        "nul",
    };
    TempDir dir;
    int k = 0;
    for (const std::string& text : cases) {
        LoadOutcome outcome = load(dir.writeText("broken-" + std::to_string(k++) + ".json", text));
        expectCleanFailure(outcome, "text case " + std::to_string(k - 1));
    }
}

TEST(LoaderMalformed, HugeNumbersInSettingsAreRangeErrorsNotOverflows)
{
    // Values far outside int must not be converted to int unchecked.
    for (const char* key : {"polarization_data_basis", "polarization_interpolation_basis"}) {
        for (double value : {1e300, -1e300, 4294967297.0, 2147483648.0}) {
            json doc = document();
            doc[key] = value;
            expectCleanFailure(loadDocument(doc), std::string(key) + " = " + json(value).dump());
        }
    }
}

TEST(LoaderMalformed, SparseOrderListsCannotSpreadASmallFileIntoAHugeTable)
{
    // Each file is a few kilobytes, yet its two far-apart orders would make
    // the dense R table of the lower side gigabytes of zeros. The load must
    // refuse before it asks for that memory: requests above 64 MiB fail
    // here as they would on a host that cannot afford them.
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> orders;
        size_t wavelengths;
        std::string message;
    };
    const Case cases[] = {
        {"two orders 8000 apart in n and m",
         {{-4000, -4000}, {4000, 4000}},
         1,
         "Schema Validation failed: The R and T matrices spread over the full range of grating orders would "
         "hold 256064004 elements, more than 64 times the 8 elements given in the file."},
        {"two orders 60000 apart in n over 300 wavelengths",
         {{-30000, 0}, {30000, 0}},
         300,
         "Schema Validation failed: The R and T matrices spread over the full range of grating orders would "
         "hold 72001200 elements, more than 64 times the 2400 elements given in the file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        json doc = document();
        json& lower = doc["grat_results_lower"];
        lower["list_orders_R"] = orderList(c.orders);
        lower["R"] = fileTable(1, 1, c.wavelengths, c.orders.size());
        lower["T"] = fileTable(1, 1, c.wavelengths, 1);
        std::vector<double> lambda;
        for (size_t k = 0; k < c.wavelengths; ++k)
            lambda.push_back(4e-7 + 1e-9 * static_cast<double>(k));
        lower["wavelength"] = lambda;
        ASSERT_LT(doc.dump().size(), 200000u);

        const size_t limit = size_t{64} << 20;
        LoadOutcome outcome;
        size_t largest = 0;
        {
            const AllocationLimit guard(limit);
            outcome = loadDocument(doc);
            largest = guard.largestRequest();
        }
        EXPECT_EQ(outcome.message, c.message);
        expectCleanFailure(outcome, c.what);
        EXPECT_LT(largest, limit);
    }
}
