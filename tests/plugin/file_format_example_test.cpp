// The complete example that ends docs/file-format.md, taken from the document
// at test time: it loads, and its rays leave where the grating equation sends
// them, in the shares its coefficients give.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <tuple>

#include "PluginTestSupport.h"

using namespace quelbrant;
using json = nlohmann::json;

namespace {

TEST(FileFormatDocument, ExampleFollowsTheGratingEquationAndItsCoefficients)
{
    std::ifstream in(QUELBRANT_DOCS_DIR "/file-format.md", std::ios::binary);
    const std::string md{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t open = md.rfind("```json\n") + 8;  // the document's last json block
    const std::string text = md.substr(open, md.find("\n```", open) + 1 - open);
    const json doc = json::parse(text);
    const auto file = std::filesystem::temp_directory_path() /
                      ("quelbrant-file-format-" + std::to_string(std::random_device()()) + ".json");
    std::ofstream(file, std::ios::binary) << text << std::flush;
    void* instance = nullptr;
    const int loaded = LoadFile(file.wstring().c_str(), instance);
    std::filesystem::remove(file);
    ASSERT_EQ(loaded, 0) << narrow(errorText(loaded));

    const double Pi = std::acos(-1.0), period = 2 * Pi / doc["reciprocal_lattice_vector_1"][0].get<double>();
    // (from below, theta, nm, weight of theta node 1, wavelength node, PolIn): two nodes, a ray
    // midway between the theta nodes and one beyond both axes (the last nodes, its own directions).
    using Case = std::tuple<bool, double, double, double, size_t, size_t>;
    for (const auto& [below, theta, nm, w, k, pol] :
         {Case{true, 20, 500, 1, 0, 0}, Case{false, 0, 600, 0, 1, 1}, Case{true, 10, 600, 0.5, 1, 0},
          Case{false, 30, 700, 1, 1, 0}}) {
        SCOPED_TRACE(std::to_string(theta) + " deg, " + std::to_string(nm) + " nm");
        const json& half = doc[below ? "grat_results_lower" : "grat_results_upper"];
        const double nIn = doc[below ? "n_lower" : "n_upper"], nOut = doc[below ? "n_upper" : "n_lower"];
        const double sinIn = std::sin(theta * Pi / 180), zIn = below ? 1.0 : -1.0, es = pol == 0 ? 1 : 0;
        // (result sign, order) -> share of the rays: the power |J(S, pol)|^2 + |J(P, pol)|^2 of the
        // order, J interpolated linearly in the (real) table, first index fastest; no ray: the rest.
        std::map<std::pair<int, int>, double> expected{{{0, 0}, 1.0}}, counts;
        for (int sign : {-1, 1}) {
            const json& orders = half[sign < 0 ? "list_orders_R" : "list_orders_T"]["_data"];
            const json& table = half[sign < 0 ? "R" : "T"];
            const auto d = table["_size"].get<std::vector<size_t>>();
            for (size_t row = 0; row < orders.size() / 2; ++row) {
                for (size_t o = 0; o < 2; ++o) {
                    const size_t e = d[0] * d[1] * (k + d[2] * (row + d[3] * (o + 2 * pol)));
                    const double J =
                        (1 - w) * table["_data"][e].get<double>() + w * table["_data"][e + 1].get<double>();
                    expected[{sign, orders[row].get<int>()}] += J * J;
                    expected[{0, 0}] -= J * J;
                }
            }
        }
        const int rays = 50000;
        for (int r = 0; r < rays; ++r) {
            double dir[3] = {sinIn, 0.0, zIn * std::cos(theta * Pi / 180)};
            BsdfPluginInteraction_V2 ray{};
            ray.instance = instance, ray.direction = dir, ray.lambda = nm, ray.energy = 1.0;
            ray.esr = es, ray.epr = 1.0 - es, ray.n1 = nIn, ray.n2 = nOut;
            const int code = Interaction_V2(&ray), sign = (code > 0) - (code < 0);
            // n_out sin(theta_m) = n_in sin(theta_in) + m lambda / period; reflected: n_out = n_in.
            const double nOrder = sign < 0 ? nIn : nOut, step = nm * 1e-9 / period;
            const int m = static_cast<int>(std::lround((nOrder * dir[0] - nIn * sinIn) / step));
            const double ux = (nIn * sinIn + m * step) / nOrder, uz = sign * zIn * std::sqrt(1 - ux * ux);
            const bool onEquation =
                std::fabs(dir[0] - ux) < 1e-9 && dir[1] == 0.0 && std::fabs(dir[2] - uz) < 1e-9;
            ++counts[{sign, sign == 0 ? 0 : onEquation ? m : 99}];  // 99: off the grating equation
        }
        for (const auto& [key, share] : expected)
            EXPECT_NEAR(counts[key] / rays, share, 5 * std::sqrt(share * (1 - share) / rays))
                << "result sign " << key.first << ", order " << key.second;
        EXPECT_EQ(counts.size(), expected.size()) << "rays off the grating equation";
    }
    Release(instance);
}

}  // namespace
