#include "LensDesignRays.h"

#include <array>
#include <cmath>
#include <complex>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <thread>

#include "Utf8Conversion.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

namespace o = hostOffsets;
using Complex = std::complex<double>;

double power(const std::array<Complex, 3>& field)
{
    return std::norm(field[0]) + std::norm(field[1]) + std::norm(field[2]);
}

std::array<double, 3> directionOf(const BsdfPluginInteraction_V2& ray)
{
    return {ray.direction[0], ray.direction[1], ray.direction[2]};
}

int codeFor(const std::array<double, 3>& in, const std::array<double, 3>& out)
{
    return (out[2] > 0.0) == (in[2] > 0.0) ? 1 : -1;
}

}  // namespace

RayFunction diffraction2dRays(const LensDesignEntries& dll, const std::string& gratingPathUtf8)
{
    const std::filesystem::path path(wideFromUtf8(gratingPathUtf8));
    const std::wstring directory = path.parent_path().wstring();
    const std::wstring name = path.filename().wstring();
    if (directory.size() > 265 || name.size() > 65)
        throw std::invalid_argument("the host's fields hold a folder of 265 and a name of 65 characters at most");
    return [&dll, directory, name](BsdfPluginInteraction_V2& ray) {
        const std::array<double, 3> in = directionOf(ray);
        HostDiffractionBlock block;
        block.setFile(directory, name);
        block.setRay(in, ray.lambda, ray.n1, ray.n2, fieldFromSP({ray.esr, ray.esi}, {ray.epr, ray.epi}, in));
        block.set(o::position, ray.x);
        block.set(o::position + 8, ray.y);
        block.setParams({1.0});  // "Stochastic mode"
        block.setOrder(0, 0, 0);
        if (dll.UserDiffraction2D(block.data()) != 0)
            throw std::runtime_error("UserDiffraction2D returned -1");
        if (block.outputPower() == 0.0)
            return 0;
        const std::array<double, 3> out = block.outCosine();
        for (int i = 0; i < 3; ++i)
            ray.direction[i] = out[i];
        ray.energy = block.outputPower();
        return codeFor(in, out);
    };
}

RayFunction userSurfaceRays(const LensDesignEntries& dll, const std::string& fileNameUtf8,
                            const std::vector<ExpectedOrder>& orders, std::uint64_t seed)
{
    return [&dll, fileNameUtf8, orders, seed](BsdfPluginInteraction_V2& ray) {
        // Trivially destructible, so a plain thread_local in every build.
        thread_local std::mt19937_64 generator(seed + std::hash<std::thread::id>()(std::this_thread::get_id()));
        const std::array<double, 3> in = directionOf(ray);
        const std::array<Complex, 3> field = fieldFromSP({ray.esr, ray.esi}, {ray.epr, ray.epi}, in);
        const double incident = power(field);
        const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(generator);
        double cumulative = 0.0;
        for (const ExpectedOrder& order : orders) {
            HostSurfaceRecords records;
            records.setFileName(fileNameUtf8);
            records.setRequest(5);
            records.setParam(1, order.n);  // "Order X"
            records.setParam(2, order.m);  // "Order Y"
            // A reflecting surface: the host's space after it is mirrored,
            // and the direction it is handed back is in that space.
            records.setInt(o::inReflecting, order.reflected ? 1 : 0);
            records.setInt(o::inMirrorSpaceAfter, order.reflected ? 1 : 0);
            records.setRay(in, ray.lambda / 1000.0, ray.n1, ray.n2, field);
            if (dll.UserDefinedSurface5(records.output(), records.input()) != 0)
                continue;  // the order does not leave ("Cannot diffract rays.")
            cumulative += incident > 0.0 ? power(records.field()) / incident : 0.0;
            if (draw < cumulative) {
                std::array<double, 3> out = records.direction();
                for (int i = 0; i < 3; ++i)
                    ray.direction[i] = out[i] = order.reflected ? -out[i] : out[i];
                ray.energy = 1.0;
                return codeFor(in, out);
            }
        }
        return 0;
    };
}

void loadUserSurface(const LensDesignEntries& dll, const std::string& fileNameUtf8)
{
    HostSurfaceRecords records;
    records.setFileName(fileNameUtf8);
    records.setRequest(2);
    if (dll.UserDefinedSurface5(records.output(), records.input()) != 0)
        throw std::runtime_error("UserDefinedSurface5 cannot load " + fileNameUtf8 +
                                 " from the host's data folder (HKCU\\SOFTWARE\\Taldo TaldoRoot, else "
                                 "Documents, then DLL\\Surfaces\\; see --data-root)");
}

#if defined(_WIN32)

void installInDataRoot(const std::string& dataRootUtf8, const std::string& gratingPathUtf8)
{
    namespace fs = std::filesystem;
    const fs::path root(wideFromUtf8(dataRootUtf8));
    const fs::path grating(wideFromUtf8(gratingPathUtf8));
    fs::create_directories(root / L"DLL" / L"Surfaces");
    // Removed first: the mingw runtime's overwrite_existing fails under Wine.
    const fs::path installed = root / L"DLL" / L"Surfaces" / grating.filename();
    fs::remove(installed);
    fs::copy_file(grating, installed);
    const std::wstring value = root.wstring();
    const LSTATUS status =
        RegSetKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Taldo", L"TaldoRoot", REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("cannot set HKCU\\SOFTWARE\\Taldo TaldoRoot (error " + std::to_string(status) +
                                 ")");
}

#else

void installInDataRoot(const std::string&, const std::string&)
{
    throw std::runtime_error("--data-root sets the Windows registry: Windows build only");
}

#endif
