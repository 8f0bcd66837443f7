#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "loaded_surface.h"
#include "report_tables.h"

using namespace quelbrant;

using namespace reporttest;
namespace fs = std::filesystem;

namespace {

// The report a surface wrote for the data file `dataFile` (wide name),
// read in text mode so that Windows line ends compare as '\n'.
std::string reportText(const fs::path& dataFile)
{
    fs::path report = dataFile;
    report += ".log";
    return readFile(report.string(), std::ios::in);
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Expected whole report of a fixture with its path line naming dataFileText.
std::string withPathLine(std::string expected, const std::string& dataFileText)
{
    const size_t start = expected.find("JSON file path: ");
    const size_t end = expected.find('\n', start);
    return expected.replace(start, end - start, "JSON file path: " + dataFileText);
}

}  // namespace

// Loaded from a file, the hand-built surfaces give the hand-written reports.
TEST(VerificationReportFile, LoadedFixturesGiveTheirWholeReports)
{
    ScratchDirectory dir;
    for (const char* name : {"polar-two-angles", "positions-unit-vectors"}) {
        SCOPED_TRACE(name);
        auto surface = loadSurface(fixturePath(std::string(name) + ".json"));
        ASSERT_TRUE(surface);
        const std::wstring dataFile = dir.wide(std::string(name) + ".json");
        EXPECT_TRUE(surface->export_verify_data(dataFile));
        const std::string expected =
            withPathLine(expectedReport(std::string(name) + ".txt"), utf8FromWide(dataFile));
        EXPECT_EQ(reportText(dataFile), expected);
    }
}

TEST(VerificationReportFile, WrittenOncePerSurface)
{
    ScratchDirectory dir;
    auto surface = loadSurface(fixturePath("polar-two-angles.json"));
    ASSERT_TRUE(surface);
    const std::wstring first = dir.wide("first.json");
    ASSERT_TRUE(surface->export_verify_data(first));
    ASSERT_FALSE(reportText(first).empty());
    // A user's edit of the report must survive a second request.
    std::ofstream(fs::path(first + L".log")) << "kept\n";

    EXPECT_FALSE(surface->export_verify_data(first));
    EXPECT_EQ(reportText(first), "kept\n");
    const std::wstring second = dir.wide("second.json");
    EXPECT_FALSE(surface->export_verify_data(second));
    EXPECT_FALSE(fs::exists(fs::path(second + L".log")));

    // Another surface of the same file has its own report to make.
    auto other = loadSurface(fixturePath("polar-two-angles.json"));
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->export_verify_data(second));
}

// A unit-vector grid whose two axes differ cannot be listed: the report
// stops after the wavelength line of the side that fails, the result is
// false, and a second call is false too.
TEST(VerificationReportFile, UnitVectorAxesThatDifferStopTheReport)
{
    ScratchDirectory dir;
    nlohmann::json document;
    std::ifstream(samplePath("grating-unit-vectors-xy.json")) >> document;
    for (auto& uy : document["grat_results_lower"]["angle_definition"]["uy"])
        uy = uy.get<double>() / 2;  // still ascending, same length as ux
    const fs::path dataFile = dir.path() / "halved-uy.json";
    std::ofstream(dataFile) << document.dump();

    auto surface = loadSurface(dataFile);
    ASSERT_TRUE(surface);
    EXPECT_FALSE(surface->export_verify_data(dataFile.wstring()));
    const std::string expected =
        "=== Data not related to incident direction ===\n"
        "JSON file path: " +
        dataFile.string() +
        "\n"
        "Upper(+z) index: 1\n"
        "Lower(-z) index: 1.46\n"
        "\n"
        "reciprocal lattice vector 1: (6.80175e+06,3.92699e+06)\n"
        "reciprocal lattice vector 2: (0,0)\n"
        "period 1: 0.8 um\n"
        "period 2: inf um\n"
        "\n"
        "=== Data overview for lower incidence ===\n"
        "Wavelength (nm): 4.5e-07\t5.5e-07\t6.5e-07\t\n";
    EXPECT_EQ(reportText(dataFile), expected);
    EXPECT_FALSE(surface->export_verify_data(dataFile.wstring()));
}

// Every sample file: a complete report whose line groups match the tables,
// and, for the loss-free files in the S/P basis, a total output of 1 per
// grid node and input polarisation (the power-normalised amplitudes of a
// lossless node carry all the incident power).
TEST(VerificationReportFile, SampleFilesGiveCompleteReports)
{
    ScratchDirectory dir;
    size_t energyChecked = 0;
    for (const auto& entry : fs::directory_iterator(QUELBRANT_DATA_DIR)) {
        if (entry.path().extension() != ".json")
            continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        auto surface = loadSurface(entry.path());
        ASSERT_TRUE(surface);
        using A = GratingSurfaceAccess;
        const bool withPosition = A::mXyVarOrParScan(*surface);
        size_t groups = 0, powerLines = 0;
        for (int h = 0; h < 2; ++h) {
            const size_t nodes = A::mLambda(*surface)[h].size() * A::mThetaOrUxOrKx(*surface)[h].size() *
                                 A::mPhiOrUyOrKy(*surface)[h].size();
            const size_t positions = withPosition ? A::mR(*surface)[h].m_size[0] : 1;
            const size_t orders =
                A::m_list_orders_Rn(*surface)[h].size() * A::m_list_orders_Rm(*surface)[h].size() +
                A::m_list_orders_Tn(*surface)[h].size() * A::m_list_orders_Tm(*surface)[h].size();
            groups += nodes;
            powerLines += nodes * positions * orders;
        }

        const std::wstring dataFile = dir.wide(name);
        ASSERT_TRUE(surface->export_verify_data(dataFile));
        const std::vector<std::string> lines = linesOf(reportText(fs::path(dataFile)));
        ASSERT_GT(lines.size(), 2u);
        EXPECT_EQ(lines[1], "JSON file path: " + utf8FromWide(dataFile));

        // Continuation lines start with 44 blanks (50 with position data);
        // a power line's "[" stands above theirs unless a value is wider
        // than its 9 columns (as k-vector components in rad/m are).
        const size_t bracket = withPosition ? 50 : 44;
        const std::string continuation = std::string(bracket, ' ') + "[";
        const bool narrowValues = A::mAngleDef(*surface) != GratingSurface::K_VECTOR;
        size_t power = 0;
        std::vector<double> totals;
        for (size_t n = 0; n < lines.size(); ++n) {
            const std::string& line = lines[n];
            if (line.find("   R(") != std::string::npos || line.find("   T(") != std::string::npos) {
                ++power;
                if (narrowValues) {
                    EXPECT_EQ(line.find('['), bracket) << line;
                }
                ASSERT_LT(n + 2, lines.size());
                EXPECT_EQ(lines[n + 1].compare(0, continuation.size(), continuation), 0) << lines[n + 1];
                EXPECT_EQ(lines[n + 2].compare(0, continuation.size(), continuation), 0) << lines[n + 2];
            }
            for (const char* label : {"Total output for S input: ", "Total output for P input: "})
                if (line.rfind(label, 0) == 0)
                    totals.push_back(std::strtod(line.c_str() + std::string(label).size(), nullptr));
        }
        EXPECT_EQ(power, powerLines);
        EXPECT_EQ(totals.size(), 2 * groups);

        const bool lossless = A::mLossless(*surface)[0] && A::mLossless(*surface)[1];
        if (lossless && !A::mInterpInXY(*surface) && !withPosition) {
            for (double total : totals)
                EXPECT_NEAR(total, 1.0, 1e-9);
            ++energyChecked;
        }
    }
    // bare-interface, grating-1d and grating-1d-fconversion
    EXPECT_GE(energyChecked, 3u);
}

// The lossy crossed grating absorbs 5 % at 450 nm and 7 % at 650 nm at every
// position; with position data a node's total adds up all five positions.
TEST(VerificationReportFile, PositionTotalsAddEveryPosition)
{
    ScratchDirectory dir;
    auto surface = loadSurface(samplePath("grating-2d-positions.json"));
    ASSERT_TRUE(surface);
    const std::wstring dataFile = dir.wide("grating-2d-positions.json");
    ASSERT_TRUE(surface->export_verify_data(dataFile));
    const std::vector<std::string> lines = linesOf(reportText(fs::path(dataFile)));
    size_t checked = 0;
    double lambda = 0.0;
    for (const std::string& line : lines) {
        if (line.find("   R(") != std::string::npos)
            lambda = std::strtod(line.c_str() + 6, nullptr);  // after the 6-wide position column
        for (const char* label : {"Total output for S input: ", "Total output for P input: "})
            if (line.rfind(label, 0) == 0) {
                const double expected = lambda < 5.5e-7 ? 5 * 0.95 : 5 * 0.93;
                EXPECT_NEAR(std::strtod(line.c_str() + std::string(label).size(), nullptr), expected, 1e-9)
                    << "at wavelength " << lambda;
                ++checked;
            }
    }
    EXPECT_EQ(checked, 2u * 2 * 5 * 5 * 2);  // sides x wavelengths x theta x phi x polarisations
}

// The report names the data file in UTF-8, also for characters beyond
// ASCII and beyond the basic plane, and is created under the file's name
// with ".log" appended.
TEST(VerificationReportFile, NonAsciiFileNames)
{
    ScratchDirectory dir;
    auto surface = loadSurface(fixturePath("polar-two-angles.json"));
    ASSERT_TRUE(surface);
    const std::wstring dataFile = dir.path().wstring() + L"/gr\u00e4t-\u20ac-\U0001D11E.json";
    const std::string utf8Name = u8"gr\u00e4t-\u20ac-\U0001D11E.json";
    ASSERT_EQ(utf8Name, "gr\xC3\xA4t-\xE2\x82\xAC-\xF0\x9D\x84\x9E.json");
    ASSERT_TRUE(surface->export_verify_data(dataFile));

    const fs::path report = dir.path() / fs::u8path(utf8Name + ".log");
    ASSERT_TRUE(fs::exists(report));
    std::ifstream in(report);
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    EXPECT_EQ(line, "JSON file path: " + dir.path().string() + "/" + utf8Name);
}

// Where the report cannot be created the result says so; the attempt still
// counts as the surface's one report.
TEST(VerificationReportFile, ReportThatCannotBeCreatedIsAFailure)
{
    ScratchDirectory dir;
    auto surface = loadSurface(fixturePath("polar-two-angles.json"));
    ASSERT_TRUE(surface);
    const std::wstring dataFile = dir.wide("missing-folder/grating.json");
    EXPECT_FALSE(surface->export_verify_data(dataFile));
    EXPECT_FALSE(fs::exists(dir.path() / "missing-folder"));
    fs::create_directories(dir.path() / "missing-folder");
    EXPECT_FALSE(surface->export_verify_data(dataFile));
    EXPECT_FALSE(fs::exists(fs::path(dataFile + L".log")));
}

// A report that cannot be written says why, in the system's words.
TEST(VerificationReportFile, ReportThatCannotBeWrittenSaysWhy)
{
    ScratchDirectory dir;
    const fs::path readOnly = dir.path() / "read-only.json.log";
    std::ofstream(readOnly).close();
    fs::permissions(readOnly, fs::perms::owner_read);
    fs::create_directory(dir.path() / "folder.json.log");
    const std::pair<const char*, const char*> cases[] = {{"read-only.json", "Permission denied"},
                                                         {"missing/g.json", "No such file or directory"},
                                                         {"folder.json", "Not a regular file"}};
    for (const auto& [name, reason] : cases) {
        auto surface = loadSurface(fixturePath("polar-two-angles.json"));
        ASSERT_TRUE(surface);
        std::string failure;
#if !defined(_WIN32)
        // Root would write the read-only file all the same.
        const bool root = geteuid() == 0;
        ASSERT_TRUE(!root || seteuid(65534) == 0);
#else
        // So does Wine run by root.
        if (std::string(reason) == "Permission denied" && std::ofstream(readOnly, std::ios::app))
            continue;
#endif
        EXPECT_FALSE(surface->export_verify_data(dir.wide(name), failure));
#if !defined(_WIN32)
        ASSERT_TRUE(!root || seteuid(0) == 0);
#endif
        EXPECT_EQ(failure, "Cannot write " + narrowPathText(dir.wide(name) + L".log") + ": " + reason + ".");
    }
    fs::permissions(readOnly, fs::perms::owner_all);  // else Windows keeps it
}

#if !defined(_WIN32)
// Where file names are UTF-8, a name without a UTF-8 form cannot be opened;
// the conversion error leaves the call and the request counts as made.
TEST(VerificationReportFile, NameWithoutUtf8FormThrows)
{
    ScratchDirectory dir;
    auto surface = loadSurface(fixturePath("polar-two-angles.json"));
    ASSERT_TRUE(surface);
    std::wstring dataFile = dir.wide("bad-.json");
    dataFile.insert(dataFile.size() - 5, 1, static_cast<wchar_t>(0xD800));
    EXPECT_THROW(surface->export_verify_data(dataFile), std::range_error);
    EXPECT_FALSE(surface->export_verify_data(dir.wide("good.json")));
}
#endif

// Decimal points and digit grouping of a host's global locale do not reach
// the report.
TEST(VerificationReportFile, NumbersIgnoreTheGlobalLocale)
{
    struct CommaDecimals : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    ScratchDirectory dir;
    auto surface = loadSurface(fixturePath("polar-two-angles.json"));
    ASSERT_TRUE(surface);
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    const std::wstring dataFile = dir.wide("grating.json");
    const bool written = surface->export_verify_data(dataFile);
    std::locale::global(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(reportText(fs::path(dataFile)),
              withPathLine(expectedReport("polar-two-angles.txt"), utf8FromWide(dataFile)));
}

// The report is a text file of the platform: CR LF line ends on Windows, as
// in the note the lens-design adapters append to it, LF elsewhere.
TEST(VerificationReportFile, LineEndsOfThePlatform)
{
    ScratchDirectory dir;
    auto surface = loadSurface(fixturePath("polar-two-angles.json"));
    ASSERT_TRUE(surface);
    const std::wstring dataFile = dir.wide("grating.json");
    ASSERT_TRUE(surface->export_verify_data(dataFile));
    const std::string bytes = readFile(fs::path(dataFile + L".log").string());
    const std::string text = reportText(fs::path(dataFile));
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    ASSERT_GT(lines, 60u);
#if defined(_WIN32)
    const std::string lineEnd = "\r\n";
#else
    const std::string lineEnd = "\n";
#endif
    size_t found = 0;
    for (size_t at = bytes.find(lineEnd); at != std::string::npos;
         at = bytes.find(lineEnd, at + lineEnd.size()))
        ++found;
    EXPECT_EQ(found, lines);
    EXPECT_EQ(bytes.size(), text.size() + lines * (lineEnd.size() - 1));
}
