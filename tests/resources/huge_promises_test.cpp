// A file that promises more data than it holds is refused before the
// library asks for memory in proportion to the promise: a few kilobytes of
// JSON must never turn into a request for terabytes.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ErrorTable.h"
#include "LiveHeap.h"
#include "ResourceTestSupport.h"

using namespace quelbrant;

using namespace resourcetest;

namespace {

struct Promise {
    const char* what;
    std::function<void(json&)> change;
};

json matrixOfSize(json size, json data, bool complex)
{
    return json{{"_type", "matrix"}, {"_complex", complex}, {"_size", size}, {"_data", data}};
}

// Far more than any machine holds, far less than the JSON could describe.
const std::uint64_t Tera = 1000000000000ULL;

}  // namespace

TEST(ResourceBounds, PromisedHugeTablesAreRefusedBeforeAnyLargeAllocation)
{
    const Promise promises[] = {
        {"an R table of 64 TB (1e6 x 1e6 x 1e3 nodes)",
         [](json& d) { d["grat_results_lower"]["R"]["_size"] = {1000000, 1000000, 1000, 1, 2, 2, 1}; }},
        {"a T table with one extent of 2^40",
         [](json& d) { d["grat_results_upper"]["T"]["_size"] = {1ULL << 40, 2, 2, 2, 3, 2, 2}; }},
        {"an index map of 1e9 x 1e9",
         [](json& d) {
             d["spatial_variation_or_parameter_scan"]["index_map"]["_size"] = {1000000000, 1000000000};
         }},
        {"lattice rows of 1e12 x 2",
         [](json& d) {
             d["reciprocal_lattice_vector_1"]["_size"] = {Tera, 2};
         }},
        {"an order list of 1e12 rows",
         [](json& d) {
             d["grat_results_lower"]["list_orders_R"]["_size"] = {Tera, 2};
         }},
        {"a theta axis of 1e15 values",
         [](json& d) {
             d["grat_results_lower"]["angle_definition"]["theta"] =
                 matrixOfSize({1000 * Tera}, {0.0, 30.0}, false);
         }},
        {"a wavelength axis of 1e15 values",
         [](json& d) {
             d["grat_results_upper"]["wavelength"] = matrixOfSize({1000 * Tera}, {4.5e-7, 6.5e-7}, false);
         }},
        {"extents whose product wraps around to the element count",
         [](json& d) {
             // 2^62 * 4 * 16 wraps 2^64 to 0 ... only the checked product may decide.
             d["grat_results_lower"]["T"]["_size"] = {1ULL << 62, 4, 2, 2, 3, 2, 2};
         }},
        {"two orders 60000 apart, spread into a dense table of 3.6e9 orders per node",
         [](json& d) {
             d["grat_results_lower"]["list_orders_R"]["_data"] = {-30000, 0, 30000, -30000, 0, 30000};
         }},
    };
    TempDir dir;
    int k = 0;
    for (const Promise& promise : promises) {
        json doc = positionsDocument();
        promise.change(doc);
        const std::wstring file = wideName(dir.write("promise-" + std::to_string(k++) + ".json", doc.dump()));
        const size_t before = liveHeapBytes();
        resetHeapPeaks();
        const int error = loadAndRelease(file);
        EXPECT_GT(error, 0) << promise.what;
        EXPECT_FALSE(std::wstring(errorDescription(error)).empty()) << promise.what;
        // The file is a few kilobytes; parsing and checking it takes well
        // under a megabyte at a time and a few megabytes in all.
        EXPECT_LT(largestHeapRequest(), 1u << 20) << promise.what;
        EXPECT_LT(peakLiveHeapBytes() - before, 8u << 20) << promise.what;
    }
}

TEST(ResourceBounds, TheUnchangedDocumentLoads)
{
    // The promises above change one member each of this document; it must
    // itself load, or they would prove nothing.
    TempDir dir;
    EXPECT_EQ(loadAndRelease(wideName(dir.write("positions.json", positionsDocument().dump()))), 0);
}
