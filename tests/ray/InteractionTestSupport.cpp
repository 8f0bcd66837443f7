#include "InteractionTestSupport.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "ErrorTable.h"

namespace quelbrant {

using json = nlohmann::json;

namespace {

std::wstring widePath(const std::string& path)
{
    return std::wstring(path.begin(), path.end());
}

// One folder per test process, so that parallel test runs never share
// files; removed when the process ends.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::random_device device;
        mPath = std::filesystem::temp_directory_path() /
                ("quelbrant-interaction-tests-" + std::to_string(device()));
        std::filesystem::create_directories(mPath);
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    const std::filesystem::path& path() const { return mPath; }

private:
    std::filesystem::path mPath;
};

const std::filesystem::path& temporaryPath()
{
    static const TemporaryFolder folder;
    return folder.path();
}

json realMatrix(const std::vector<size_t>& size, const std::vector<double>& data)
{
    return json{{"_type", "matrix"}, {"_complex", false}, {"_size", size}, {"_data", data}};
}

json orderList(const std::vector<std::pair<int, int>>& orders)
{
    std::vector<double> data;
    for (const auto& o : orders)
        data.push_back(o.first);
    for (const auto& o : orders)
        data.push_back(o.second);
    return realMatrix({orders.size(), 2}, data);
}

}  // namespace

std::string temporaryFolder()
{
    return temporaryPath().string();
}

std::unique_ptr<GratingSurface> loadFile(const std::string& path, bool hostMode)
{
    const std::wstring wide = widePath(path);
    return std::make_unique<GratingSurface>(wide.c_str(), false, false, hostMode);
}

std::unique_ptr<GratingSurface> loadSample(const std::string& name, bool hostMode)
{
    return loadFile(std::string(QUELBRANT_DATA_DIR) + "/" + name, hostMode);
}

std::string writeTemporaryFile(const std::string& name, const json& document)
{
    const std::filesystem::path path = temporaryPath() / name;
    std::ofstream out(path);
    out << document.dump();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

TestRay::TestRay()
{
    record.direction = direction;
    record.lambda = 550.0;
    record.energy = 1.0;
    record.esr = 1.0;
    record.n1 = 1.0;
    record.n2 = 1.0;
}

TestRay::TestRay(const TestRay& other) : record(other.record)
{
    for (int i = 0; i < 3; ++i)
        direction[i] = other.direction[i];
    record.direction = direction;
}

TestRay& TestRay::operator=(const TestRay& other)
{
    record = other.record;
    for (int i = 0; i < 3; ++i)
        direction[i] = other.direction[i];
    record.direction = direction;
    return *this;
}

TestRay& TestRay::polar(double thetaDeg, double phiDeg, bool fromLower)
{
    const double t = thetaDeg * Pi / 180.0;
    const double p = phiDeg * Pi / 180.0;
    return towards(std::sin(t) * std::cos(p), std::sin(t) * std::sin(p),
                   (fromLower ? 1.0 : -1.0) * std::cos(t));
}

TestRay& TestRay::towards(double x, double y, double z)
{
    direction[0] = x;
    direction[1] = y;
    direction[2] = z;
    return *this;
}

TestRay& TestRay::media(double n1, double n2)
{
    record.n1 = n1;
    record.n2 = n2;
    return *this;
}

TestRay& TestRay::wavelength(double nm)
{
    record.lambda = nm;
    return *this;
}

TestRay& TestRay::field(Complex es, Complex ep)
{
    record.esr = es.real();
    record.esi = es.imag();
    record.epr = ep.real();
    record.epi = ep.imag();
    return *this;
}

TestRay& TestRay::at(double xMm, double yMm)
{
    record.x = xMm;
    record.y = yMm;
    return *this;
}

TestRay& TestRay::energy(double value)
{
    record.energy = value;
    return *this;
}

int trace(GratingSurface& surface, TestRay& ray, const std::vector<int>& order, bool includeR, bool includeT,
          const std::vector<double>& params)
{
    return surface.Interaction_V2(&ray.record, order, includeR, includeT, params);
}

std::string errorText(int index)
{
    const std::wstring wide = errorDescription(index);
    std::string narrow;
    for (wchar_t c : wide)
        narrow.push_back(static_cast<char>(c));
    return narrow;
}

bool sameRecord(const TestRay& a, const TestRay& b)
{
    auto same = [](double x, double y) { return (std::isnan(x) && std::isnan(y)) || x == y; };
    for (int i = 0; i < 3; ++i) {
        if (!same(a.direction[i], b.direction[i]))
            return false;
    }
    const BsdfPluginInteraction_V2& r = a.record;
    const BsdfPluginInteraction_V2& s = b.record;
    return same(r.lambda, s.lambda) && same(r.energy, s.energy) && same(r.esr, s.esr) && same(r.esi, s.esi) &&
           same(r.epr, s.epr) && same(r.epi, s.epi) && same(r.n1, s.n1) && same(r.n2, s.n2) &&
           same(r.x, s.x) && same(r.y, s.y);
}

json SyntheticGrating::toJson() const
{
    const bool withPosition = !positionKind.empty();
    const size_t P = withPosition ? positionCount() : 1;
    json doc;
    doc["n_lower"] = nLower;
    doc["n_upper"] = nUpper;
    if (withPosition) {
        const bool polar = positionKind == "RAD_POL";
        const bool scan = positionKind == "PAR_SCAN";
        json grid;
        grid[polar ? "pos_rad" : scan ? "par_1" : "pos_x"] = first;
        grid[polar ? "pos_pol" : scan ? "par_2" : "pos_y"] = second;
        std::vector<double> map;
        for (size_t ix = 0; ix < first.size(); ++ix)
            for (size_t iy = 0; iy < second.size(); ++iy)
                map.push_back(indexMapRows[iy][ix]);
        grid["index_map"] = realMatrix({second.size(), first.size()}, map);
        doc["spatial_variation_or_parameter_scan"] = grid;
        std::vector<double> k1, k2;
        for (size_t c = 0; c < 2; ++c)
            for (size_t p = 0; p < P; ++p) {
                k1.push_back(K1PerPosition[p][c]);
                k2.push_back(K2PerPosition[p][c]);
            }
        doc["reciprocal_lattice_vector_1"] = realMatrix({P, 2}, k1);
        doc["reciprocal_lattice_vector_2"] = realMatrix({P, 2}, k2);
    } else {
        doc["reciprocal_lattice_vector_1"] = {K1[0], K1[1]};
        doc["reciprocal_lattice_vector_2"] = {K2[0], K2[1]};
    }
    if (!interpTheta)
        doc["polarization_interpolate_over_theta_ux_kx"] = 0;
    if (!interpPhi)
        doc["polarization_interpolate_over_phi_uy_ky"] = 0;
    if (!interpWavelength)
        doc["polarization_interpolate_over_wavelength"] = 0;
    if (!interpPosition)
        doc["polarization_interpolate_over_spatial_parameter"] = 0;

    for (int side = 0; side < 2; ++side) {
        json half;
        half["list_orders_R"] = orderList(ordersR);
        half["list_orders_T"] = orderList(ordersT);
        for (bool transmitted : {false, true}) {
            const size_t K = (transmitted ? ordersT : ordersR).size();
            std::vector<size_t> size;
            if (withPosition)
                size.push_back(P);
            for (size_t e : {theta.size(), phi.size(), lambda.size(), K, size_t{2}, size_t{2}})
                size.push_back(e);
            std::vector<double> data;
            for (size_t i = 0; i < 2; ++i)
                for (size_t o = 0; o < 2; ++o)
                    for (size_t k = 0; k < K; ++k)
                        for (size_t l = 0; l < lambda.size(); ++l)
                            for (size_t ip = 0; ip < phi.size(); ++ip)
                                for (size_t it = 0; it < theta.size(); ++it)
                                    for (size_t p = 0; p < P; ++p) {
                                        const Complex v = value(side, transmitted, p, it, ip, l, k, o, i);
                                        data.push_back(v.real());
                                        data.push_back(v.imag());
                                    }
            half[transmitted ? "T" : "R"] =
                json{{"_type", "matrix"}, {"_complex", true}, {"_size", size}, {"_data", data}};
        }
        half["wavelength"] = lambda;
        half["angle_definition"] = json{{"theta", theta}, {"phi", phi}};
        half["lossless"] = lossless[side] ? 1 : 0;
        if (specular)
            half["orvik"] = json{{"specular_R", 1}, {"specular_T", 1}};
        doc[side == 0 ? "grat_results_lower" : "grat_results_upper"] = half;
    }
    return doc;
}

::testing::AssertionResult frequencyMatches(size_t count, size_t N, double p, double standardErrors)
{
    const double expected = static_cast<double>(N) * p;
    const double sigma = std::sqrt(static_cast<double>(N) * p * (1.0 - p));
    const double deviation = std::fabs(static_cast<double>(count) - expected);
    if (deviation <= standardErrors * sigma)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << count << " of " << N << " against p = " << p << " (expected "
                                         << expected << " +- " << standardErrors << " x " << sigma << ")";
}

namespace {

double cosTransmitted(double n1, double n2, double cosIn)
{
    const double sinT = n1 / n2 * std::sqrt(1.0 - cosIn * cosIn);
    return std::sqrt(1.0 - sinT * sinT);
}

}  // namespace

double fresnelRs(double n1, double n2, double cosIn)
{
    const double cosT = cosTransmitted(n1, n2, cosIn);
    const double r = (n1 * cosIn - n2 * cosT) / (n1 * cosIn + n2 * cosT);
    return r * r;
}

double fresnelRp(double n1, double n2, double cosIn)
{
    const double cosT = cosTransmitted(n1, n2, cosIn);
    const double r = (n2 * cosIn - n1 * cosT) / (n2 * cosIn + n1 * cosT);
    return r * r;
}

}  // namespace quelbrant
