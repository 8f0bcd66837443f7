#pragma once

// Grating files for the loader tests, built as JSON in memory and written to
// a private temporary folder, and the means to load them and read what the
// load left in the error table.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "ErrorTable.h"
#include "GratingSurface.h"
#include "GratingSurfaceAccess.h"

namespace quelbrant {

namespace loadertest {

using json = nlohmann::json;
using Access = GratingSurfaceAccess;

// A matrix object: "_data" in flat order, first index fastest.
inline json matrix(const std::vector<size_t>& size, const std::vector<double>& data, bool complex = false)
{
    return json{{"_type", "matrix"}, {"_complex", complex}, {"_size", size}, {"_data", data}};
}

inline json cell(const std::vector<double>& data)
{
    return json{{"_type", "cell"}, {"_data", data}};
}

// K x 2 order list; "_data" holds the K n values, then the K m values.
inline json orderList(const std::vector<std::pair<int, int>>& rows)
{
    std::vector<double> data;
    for (const auto& row : rows)
        data.push_back(row.first);
    for (const auto& row : rows)
        data.push_back(row.second);
    return matrix({rows.size(), 2}, data);
}

// A complex file table [A1 x A2 x L x K x 2 x 2] (with a leading position
// extent when positions > 0) whose element with flat index e is
// (base + e, -e), so every element can be traced to its place.
inline json fileTable(size_t nAxis1, size_t nAxis2, size_t nLambda, size_t nOrders, double base = 0.0,
                      size_t positions = 0)
{
    std::vector<size_t> size = {nAxis1, nAxis2, nLambda, nOrders, 2, 2};
    if (positions > 0)
        size.insert(size.begin(), positions);
    size_t count = 1;
    for (size_t e : size)
        count *= e;
    std::vector<double> data;
    for (size_t e = 0; e < count; ++e) {
        data.push_back(base + static_cast<double>(e));
        data.push_back(-static_cast<double>(e));
    }
    return matrix(size, data, true);
}

// One half space: polar grid theta {0}, phi {0}, one wavelength, the (0, 0)
// order reflected and transmitted.
inline json halfSpace(size_t positions = 0)
{
    return json{{"list_orders_R", orderList({{0, 0}})},
                {"list_orders_T", orderList({{0, 0}})},
                {"R", fileTable(1, 1, 1, 1, 0.0, positions)},
                {"T", fileTable(1, 1, 1, 1, 100.0, positions)},
                {"wavelength", json::array({5.5e-7})},
                {"angle_definition", {{"theta", json::array({0.0})}, {"phi", json::array({0.0})}}}};
}

// The smallest complete file: glass below, air above.
inline json document()
{
    return json{{"n_lower", 1.5},
                {"n_upper", 1.0},
                {"grat_results_lower", halfSpace()},
                {"grat_results_upper", halfSpace()}};
}

// A document with a Cartesian position grid of nx x ny nodes, every node its
// own position number, and per-position lattice vectors.
inline json documentWithPositions(size_t nx, size_t ny)
{
    json doc = document();
    const size_t positions = nx * ny;
    std::vector<double> x, y, map;
    for (size_t i = 0; i < nx; ++i)
        x.push_back(1e-3 * static_cast<double>(i));
    for (size_t j = 0; j < ny; ++j)
        y.push_back(2e-3 * static_cast<double>(j));
    for (size_t e = 0; e < positions; ++e)
        map.push_back(static_cast<double>(e + 1));
    doc["spatial_variation_or_parameter_scan"] = {
        {"pos_x", x}, {"pos_y", y}, {"index_map", matrix({ny, nx}, map)}};
    std::vector<double> k1, k2;
    for (size_t p = 0; p < positions; ++p)
        k1.push_back(1e6 * static_cast<double>(p + 1));
    for (size_t p = 0; p < positions; ++p)
        k1.push_back(0.0);
    for (size_t p = 0; p < positions; ++p)
        k2.push_back(0.0);
    for (size_t p = 0; p < positions; ++p)
        k2.push_back(2e6);
    doc["reciprocal_lattice_vector_1"] = matrix({positions, 2}, k1);
    doc["reciprocal_lattice_vector_2"] = matrix({positions, 2}, k2);
    doc["grat_results_lower"] = halfSpace(positions);
    doc["grat_results_upper"] = halfSpace(positions);
    return doc;
}

// A private folder below the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir()
    {
        static std::atomic<int> counter{0};
        mPath = std::filesystem::temp_directory_path() /
                ("quelbrant-loader-" + std::to_string(processId()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(mPath);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return mPath; }

    std::filesystem::path writeText(const std::filesystem::path& name, const std::string& text) const
    {
        const std::filesystem::path file = mPath / name;
        std::ofstream out(file, std::ios::binary);
        out << text;
        return file;
    }
    std::filesystem::path write(const std::filesystem::path& name, const json& document) const
    {
        return writeText(name, document.dump());
    }

private:
    static long processId();
    std::filesystem::path mPath;
};

// The wide name a host would pass for a path.
std::wstring wideName(const std::filesystem::path& path);

inline bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// How the error table holds a message: longer ones are cut after their
// first MessageMaxLength bytes and pointed to the log.
inline std::string tableForm(const std::string& message)
{
    if (message.size() <= MessageMaxLength)
        return message;
    return message.substr(0, MessageMaxLength) +
           "...\nTurn on debugging and see the logfile for more information";
}

// The error table's entries from index `first` on, narrowed back to bytes
// (the table widens one byte per character).
std::vector<std::string> entriesFrom(size_t first);
size_t errorTableSize();
std::string errorText(int index);

// The outcome of one load: a surface, or the thrown error index with its
// message; plus every entry the load appended to the error table (notes
// and the failure's message).
struct LoadOutcome {
    std::unique_ptr<GratingSurface> surface;
    int error = 0;
    std::string message;
    std::vector<std::string> entries;
    bool threwSomethingElse = false;

    bool hasNote(const std::string& text) const;
};

LoadOutcome load(const std::filesystem::path& file, bool hostProgramMode = false, bool isLog = false,
                 bool isVerboseLog = false);
LoadOutcome loadWide(const wchar_t* name, bool hostProgramMode = false, bool isLog = false,
                     bool isVerboseLog = false);

// Writes the document into a fresh folder and loads it.
LoadOutcome loadDocument(const json& document, bool hostProgramMode = false);

}  // namespace loadertest

}  // namespace quelbrant
