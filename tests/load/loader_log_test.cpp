// What a load does to the process-wide logger, and the lines it writes.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "LoaderTestSupport.h"
#include "json/DataFilePath.h"
#include "logger.h"

using namespace quelbrant;

using namespace loadertest;

namespace {

// Everything the logger wrote into folder.
std::string logFilesIn(const std::filesystem::path& folder)
{
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 8 && name.compare(name.size() - 8, 8, "_log.csv") == 0) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            text += content.str();
        }
    }
    return text;
}

// A document whose S/P tables are converted to X/Y during the load.
json convertingDocument()
{
    json doc = document();
    doc["polarization_interpolation_basis"] = 3;
    return doc;
}

// The line that holds part, without its line end.
std::string lineWith(const std::string& text, const std::string& part)
{
    const size_t at = text.find(part);
    if (at == std::string::npos)
        return {};
    const size_t begin = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
    const size_t end = text.find('\n', at);
    std::string line = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (!line.empty() && line.back() == '\r')  // the Windows build writes its log in text mode
        line.pop_back();
    return line;
}

}  // namespace

#if !defined(_WIN32)
TEST(LoaderLog, FileNamedWithoutAFolderLogsIntoTheWorkingFolder)
{
    if (getLogger().isRunning())
        GTEST_SKIP() << "the log file was opened before this test";
    const TempDir dir;  // the forked child's too, which it removes itself: exit() skips destructors
    std::ofstream(dir.path() / "g.json") << document().dump();
    const auto leave = [&dir](bool logged) {
        std::error_code ignored;
        std::filesystem::remove_all(dir.path(), ignored);
        std::exit(logged ? 0 : 1);
    };
    EXPECT_EXIT((std::filesystem::current_path(dir.path()), load("g.json", true, true, true), getLogger().flush(),
                 leave(!logFilesIn(".").empty())),
                testing::ExitedWithCode(0), "");
}
#endif

TEST(LoaderLog, HostProgramModeTakesItsLogSettingsFromTheCaller)
{
    Logger& logger = getLogger();
    if (logger.isRunning() || logger.isEnabled() || logger.isVerbose())
        GTEST_SKIP() << "the log was configured before this test (QUELBRANT_VREL_DEBUG_* set?)";

    TempDir dir;
#if defined(_WIN32)
    // The logger gets the folder in the active code page, so the folder's
    // name must exist there; e acute does in Windows-1252.
    const std::filesystem::path folder = dir.path() / std::filesystem::u8path(u8"log-\u00e9");
#else
    const std::filesystem::path folder = dir.path() / std::filesystem::u8path(u8"log-\u00e9\u03bb");
#endif
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "grating.json";
    std::ofstream(file) << convertingDocument().dump();

    // Outside host-program mode the caller's switches are ignored.
    ASSERT_NE(load(file, false, true, true).surface, nullptr);
    EXPECT_FALSE(logger.isEnabled());
    EXPECT_FALSE(logger.isVerbose());

    LoadOutcome host = load(file, true, true, true);
    ASSERT_NE(host.surface, nullptr) << host.message;
    EXPECT_TRUE(logger.isEnabled());
    EXPECT_TRUE(logger.isVerbose());
    EXPECT_TRUE(logger.isLogPathDefined());
    logger.flush();

    // The log lands beside the data file.
    const std::string log = logFilesIn(folder);
    const std::string loading = lineWith(log, "Loading for json file: ");
    EXPECT_NE(loading.find("] Loading for json file: " + narrowPathText(file)), std::string::npos) << log;
    EXPECT_NE(log.find("Has no position/parm scan data."), std::string::npos) << log;
    // The conversion line is made directly, without a time stamp:
    // "[0x" + 16 hex digits + "] " and the text.
    const std::string converting = lineWith(log, "converting data, convertSPtoXY = 1");
    ASSERT_FALSE(converting.empty()) << log;
    EXPECT_EQ(converting.size(), 21u + std::string("converting data, convertSPtoXY = 1").size())
        << converting;
    EXPECT_EQ(converting.compare(0, 3, "[0x"), 0) << converting;

    // The last load wins.
    ASSERT_NE(load(file, true, false, false).surface, nullptr);
    EXPECT_FALSE(logger.isEnabled());
    EXPECT_FALSE(logger.isVerbose());
}
