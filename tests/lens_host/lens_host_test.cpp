// A stand-in for the lens-design host (Windows build, run under Wine): it
// loads the DLL with LoadLibraryW, finds the entry points with
// GetProcAddress, fills its records byte by byte and calls them, with its
// data folder set in the registry by `reg add` or left to the Documents
// folder. Elsewhere this program has no tests: the entries are Windows-only.

#if defined(_WIN32)

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "LensDesignHost.h"

namespace {

namespace fs = std::filesystem;
namespace o = hostOffsets;
constexpr double pi = 3.141592653589793;
const std::string sample = std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json";

// The library's data folder setting, as a user makes it.
int setDataRoot(const fs::path& root)
{
    const std::wstring command =
        L"reg add HKCU\\SOFTWARE\\Taldo /v TaldoRoot /t REG_SZ /f /d \"" + root.wstring() + L"\" >NUL";
    return _wsystem(command.c_str());
}

int clearDataRoot()
{
    return _wsystem(L"reg delete HKCU\\SOFTWARE\\Taldo /v TaldoRoot /f >NUL 2>NUL");
}

fs::path documentsFolder()
{
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)))
        throw std::runtime_error("no Documents folder");
    return path;
}

std::string uniqueName(const char* stem)
{
    std::random_device seed;
    return std::string(stem) + "-" + std::to_string(seed()) + ".json";
}

class LensDesignHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() { library = new LensDesignLibrary(QUELBRANT_PLUGIN_LIBRARY); }
    static void TearDownTestSuite()
    {
        delete library;
        library = nullptr;
    }
    const LensDesignEntries& dll() const { return library->entries(); }

    static LensDesignLibrary* library;
};

LensDesignLibrary* LensDesignHost::library = nullptr;

TEST_F(LensDesignHost, EntriesAreExportedByNameAndNumber)
{
    EXPECT_EQ(library->byOrdinal(11), reinterpret_cast<void*>(dll().UserDefinedSurface5));
    EXPECT_EQ(library->byOrdinal(12), reinterpret_cast<void*>(dll().UserDiffraction2D));
    EXPECT_EQ(library->byOrdinal(13), reinterpret_cast<void*>(dll().UserParamNames2D));
}

TEST_F(LensDesignHost, DiffractionRayLeavesInTheGratingEquationDirection)
{
    // grating-1d: period 1 um along x, glass (1.5) below, air above. From the
    // glass at 10 degrees, 550 nm, order +1 transmitted:
    // sin(out) = 1.5 sin(10 deg) + 0.55.
    const fs::path folder = fs::temp_directory_path() / uniqueName("lens-host-diffraction");
    fs::create_directories(folder);
    fs::copy_file(sample, folder / "grating.json");
    const double t = 10.0 * pi / 180.0;
    const std::array<double, 3> in{std::sin(t), 0.0, std::cos(t)};
    HostDiffractionBlock block;
    block.setFile(folder.wstring(), L"grating.json");
    block.setRay(in, 550.0, 1.5, 1.0, fieldFromSP(1.0, 0.0, in));
    block.setParams({0.0});
    block.setOrder(1, 0, 0);
    ASSERT_EQ(dll().UserDiffraction2D(block.data()), 0);
    const double s = 1.5 * std::sin(t) + 0.55;
    const std::array<double, 3> out = block.outCosine();
    EXPECT_NEAR(out[0], s, 1e-9);
    EXPECT_NEAR(out[1], 0.0, 1e-9);
    EXPECT_NEAR(out[2], std::sqrt(1 - s * s), 1e-9);
    EXPECT_GT(block.outputPower(), 0.0);

    // A file that is not there: -1, and the outputs stay as they were.
    HostDiffractionBlock missing = block;
    missing.setFile(folder.wstring(), L"missing.json");
    missing.set(o::outputPower, 7.0);
    EXPECT_EQ(dll().UserDiffraction2D(missing.data()), -1);
    EXPECT_EQ(missing.outputPower(), 7.0);

    char name[100] = {3};
    block.set(o::requestedType, 1.0);
    EXPECT_EQ(dll().UserParamNames2D(name, block.data()), 0);
    EXPECT_STREQ(name, "Rotate Grating (degrees)");
    fs::remove_all(folder);
}

// A plane grating traced as a real ray (request 5) and the texts, from a
// data folder found as the host finds it.
void traceThroughUserSurface(const LensDesignEntries& dll, const std::string& name)
{
    HostSurfaceRecords texts;
    texts.setRequest(1, 10);
    EXPECT_EQ(dll.UserDefinedSurface5(texts.output(), texts.input()), 0);
    EXPECT_EQ(texts.text(), "No Interpolation");

    HostSurfaceRecords records;
    records.setFileName(name);
    records.setRequest(5);
    records.setParam(1, 1.0);  // "Order X"
    const double t = 10.0 * pi / 180.0;
    const std::array<double, 3> in{std::sin(t), 0.0, std::cos(t)};
    records.setRay(in, 0.55, 1.5, 1.0, fieldFromSP(1.0, 0.0, in));
    ASSERT_EQ(dll.UserDefinedSurface5(records.output(), records.input()), 0) << name;
    const double s = 1.5 * std::sin(t) + 0.55;
    const std::array<double, 3> out = records.direction();
    EXPECT_NEAR(out[0], s, 1e-9);
    EXPECT_NEAR(out[2], std::sqrt(1 - s * s), 1e-9);
    EXPECT_EQ(records.inputInt(o::inTraceState), 2);
    EXPECT_EQ(records.outputDouble(o::outTransmission), 1.0);

    HostSurfaceRecords sag;
    sag.setFileName(name);
    sag.setRequest(3);
    sag.setInputDouble(o::inCurvature, 0.1);
    sag.setOutputDouble(o::outX, 3.0);
    sag.setOutputDouble(o::outX + 8, 4.0);
    ASSERT_EQ(dll.UserDefinedSurface5(sag.output(), sag.input()), 0);
    // Sphere of radius 10 at r = 5: 10 - sqrt(75).
    EXPECT_NEAR(sag.outputDouble(o::outSag), 10.0 - std::sqrt(75.0), 1e-12);
}

TEST_F(LensDesignHost, UserSurfaceFindsItsFileThroughTheRegistryRoot)
{
    const fs::path root = fs::temp_directory_path() / uniqueName("lens-host-root");
    fs::create_directories(root / "DLL" / "Surfaces");
    const std::string name = uniqueName("registry");
    fs::copy_file(sample, root / "DLL" / "Surfaces" / name);
    ASSERT_EQ(setDataRoot(root), 0);
    traceThroughUserSurface(dll(), name);
    clearDataRoot();
    fs::remove_all(root);
}

TEST_F(LensDesignHost, UserSurfaceFallsBackToTheDocumentsFolder)
{
    clearDataRoot();
    // Wine links Documents to the user's home: leave nothing behind there.
    const fs::path dllFolder = documentsFolder() / "DLL";
    const bool made = !fs::exists(dllFolder);
    const fs::path surfaces = dllFolder / "Surfaces";
    fs::create_directories(surfaces);
    const std::string name = uniqueName("documents");
    fs::copy_file(sample, surfaces / name);
    traceThroughUserSurface(dll(), name);
    fs::remove(surfaces / name);

    // A name that is in neither folder fails on every request that loads.
    HostSurfaceRecords missing;
    missing.setFileName(uniqueName("absent"));
    missing.setRequest(7);
    missing.setParam(15, 2.5);
    EXPECT_EQ(dll().UserDefinedSurface5(missing.output(), missing.input()), -1);
    EXPECT_EQ(missing.inputDouble(o::inParam + 8 * 15), 2.5);
    if (made)
        fs::remove_all(dllFolder);
}

}  // namespace

#endif
