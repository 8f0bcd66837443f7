#include "ResourceTestSupport.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <vector>

#if defined(__linux__)
#include <unistd.h>
#endif

#include "ErrorTable.h"
#include "logger.h"
#include "orvik-plugin-exports.h"

using namespace quelbrant;

namespace resourcetest {

namespace {

json matrix(const std::vector<size_t>& size, const std::vector<double>& data, bool complex = false)
{
    return json{{"_type", "matrix"}, {"_complex", complex}, {"_size", size}, {"_data", data}};
}

// [position x theta x phi x wavelength x order x PolOut x PolIn], diagonal
// polarisation blocks of amplitude a, complex.
json table(size_t positions, size_t orders, double a)
{
    const size_t nodes = positions * 2 * 2 * 2;
    std::vector<double> data;
    for (size_t pin = 0; pin < 2; ++pin) {
        for (size_t pout = 0; pout < 2; ++pout) {
            for (size_t k = 0; k < orders * nodes; ++k) {
                data.push_back(pin == pout ? a * (1.0 - 0.01 * static_cast<double>(k % nodes)) : 0.0);
                data.push_back(0.0);
            }
        }
    }
    return matrix({positions, 2, 2, 2, orders, 2, 2}, data, true);
}

json halfSpace()
{
    const json orders = matrix({3, 2}, {-1, 0, 1, 0, 0, 0});
    return json{{"list_orders_R", orders},
                {"list_orders_T", orders},
                {"R", table(2, 3, 0.2)},
                {"T", table(2, 3, 0.8)},
                {"wavelength", {4.5e-7, 6.5e-7}},
                {"angle_definition", {{"theta", {0.0, 30.0}}, {"phi", {0.0, 90.0}}}}};
}

}  // namespace

json positionsDocument()
{
    json doc = {{"n_lower", 1.5}, {"n_upper", 1.0}};
    doc["spatial_variation_or_parameter_scan"] = {
        {"pos_x", {-0.002, 0.002}}, {"pos_y", {0.0}}, {"index_map", matrix({1, 2}, {1, 2})}};
    doc["reciprocal_lattice_vector_1"] = matrix({2, 2}, {6.2e6, 6.4e6, 0.0, 0.0});
    doc["reciprocal_lattice_vector_2"] = matrix({2, 2}, {0.0, 0.0, 0.0, 0.0});
    doc["grat_results_lower"] = halfSpace();
    doc["grat_results_upper"] = halfSpace();
    doc["polarization_interpolation_basis"] = 3;
    return doc;
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    mPath = std::filesystem::temp_directory_path() /
            ("quelbrant-resources-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
             std::to_string(counter++));
    std::filesystem::create_directories(mPath);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

std::filesystem::path TempDir::write(const std::string& name, const std::string& text) const
{
    const std::filesystem::path file = mPath / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

std::wstring wideName(const std::filesystem::path& path)
{
    return path.wstring();
}

int loadAndRelease(const std::wstring& file)
{
    void* instance = nullptr;
    const int error = LoadFile(file.c_str(), instance);
    if (error == 0)
        Release(instance);
    return error;
}

void fillBoundedBuffers()
{
    while (addNote("note filling the budget") != -1) {
    }
    if (!getLogger().isRunning()) {
        for (size_t i = 0; i < Logger::MaxLinesWithoutWriter; ++i)
            getLogger().log("line filling the queue");
    }
}

size_t residentBytes()
{
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
    std::ifstream statm("/proc/self/statm");
    size_t totalPages = 0, residentPages = 0;
    if (statm >> totalPages >> residentPages)
        return residentPages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
    return 0;
}

}  // namespace resourcetest
