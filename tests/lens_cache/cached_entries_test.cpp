// What building a cache entry does with the host's settings: "Test Mode"
// bits of the diffraction entry, "Log" of the sequential one.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "DiffractionBlock.h"
#include "LogTime.h"
#include "cache/CachedSequentialSurface.h"
#include "cache/CachedSurface.h"
#include "cache/TestModeFlags.h"
#include "logger.h"
#include "GratingSurface.h"

namespace {

using namespace quelbrant;

const std::string sample = std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json";
const std::string cmosNote = "Note: CMOS mode is used. All transmission order is zero power except T(0,0).";

std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The logger is process-wide: put it back as the tests found it.
struct QuietLoggerAfterwards {
    ~QuietLoggerAfterwards()
    {
        getLogger().setEnabled(false);
        getLogger().setVerbose(false);
    }
};

TEST(CachedEntries, TestModeBitsSwitchLogCmosVerboseAndReport)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double testMode;
        bool log, cmos, verbose, report;
    };
    const Case cases[] = {
        {0, false, false, false, false},   {1, true, false, false, false},  {8, false, true, false, false},
        {17, true, false, true, false},    {32, false, false, false, true}, {40, false, true, false, true},
        {63.9, true, true, true, true},    {-8, false, false, false, false}, {-1, false, false, false, false},
        {1e12, false, false, false, false}, {nan, false, false, false, false},
        {std::numeric_limits<double>::infinity(), false, false, false, false},
        // Bits 1, 2 and those above 5 have no effect.
        {6 + 64 + 128, false, false, false, false},
    };
    for (const Case& c : cases) {
        const TestModeFlags f = testModeFlags(c.testMode);
        EXPECT_EQ(f.log, c.log) << c.testMode;
        EXPECT_EQ(f.cmosMode, c.cmos) << c.testMode;
        EXPECT_EQ(f.verboseLog, c.verbose) << c.testMode;
        EXPECT_EQ(f.verificationReport, c.report) << c.testMode;
    }
}

TEST(CachedEntries, DiffractionEntryWritesReportAndCmosNoteAsTestModeAsks)
{
    QuietLoggerAfterwards restore;
    struct Case {
        double testMode;
        bool reportExpected, noteExpected;
    };
    for (const Case& c : {Case{0, false, false}, Case{8, false, true}, Case{32, true, false}, Case{40, true, true}}) {
        lenstest::GratingFolder folder;
        folder.place(sample, "g.json");
        const std::string path = folder.pathOf("g.json");
        const CachedSurface entry(wide(path), {1.0, 0.0, c.testMode, 0.0, 12.5});
        EXPECT_TRUE(entry.stochastic);
        EXPECT_EQ(entry.rotationDegrees, 12.5);
        const bool logExists = std::filesystem::exists(path + ".log");
        EXPECT_EQ(logExists, c.reportExpected || c.noteExpected) << c.testMode;
        const std::string log = logExists ? readAll(path + ".log") : "";
        const std::size_t note = log.find(cmosNote);
        EXPECT_EQ(note != std::string::npos, c.noteExpected) << c.testMode;
        if (c.reportExpected && c.noteExpected) {
            // After the report, which a later build would start afresh.
            EXPECT_GT(note, 100u);
            EXPECT_EQ(log.find(cmosNote, note + 1), std::string::npos);
        }
        if (c.noteExpected && !c.reportExpected) {
            // Text mode: CR LF line ends on Windows.
#if defined(_WIN32)
            const std::string lineEnd = "\r\n";
#else
            const std::string lineEnd = "\n";
#endif
            EXPECT_EQ(log, lineEnd + lineEnd + cmosNote + lineEnd);
        }
    }
}

#if !defined(_WIN32)
// A named pipe where the library writes a file (the log, or the data file's
// ".log" of "Test Mode" 8 and 32): opening it would wait for a reader for
// good. Each case runs in a child process that a deadline ends.
TEST(CachedEntries, NamedPipeWhereAFileIsWrittenIsLeftAloneAtOnce)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    lenstest::GratingFolder folder;
    folder.place(sample, "g.json");
    const std::string path = folder.pathOf("g.json");
    ASSERT_EQ(mkfifo((path + ".log").c_str(), 0600), 0);
    const Logger::Clock epoch = [] { return std::time_t{0}; };
    ASSERT_EQ(mkfifo(makeLogFileName(folder.directory(), localTime(epoch())).c_str(), 0600), 0);
    // Each child runs this test afresh in a folder of its own, which it
    // removes itself: exit() skips the destructors.
    const auto leave = [&folder](bool passed) {
        std::filesystem::remove_all(std::filesystem::path(folder.directory()).parent_path());
        std::exit(passed ? 0 : 1);
    };
    EXPECT_EXIT(
        {
            alarm(10);
            Logger logger(epoch);
            logger.setLogPath(folder.directory());
            logger.setEnabled(true);
            logger.log("first");
            logger.log("second");
            leave(logger.droppedLineCount() == 2);
        },
        testing::ExitedWithCode(0), "^Could not open file [^\n]*_log\\.csv\n$");
    // "Test Mode" 1 logs into the data file's folder.
    struct Case {
        double testMode;
        std::string logLine;
    };
    for (const Case& c : {Case{9, "Cannot write the CMOS note to " + path + ".log: Not a regular file."},
                          Case{33, "Export JSON verify data failed. Cannot write " + path +
                                       ".log: Not a regular file."}}) {
        EXPECT_EXIT(
            {
                alarm(10);
                const CachedSurface entry(wide(path), {1.0, 0.0, c.testMode, 0.0, 0.0});
                getLogger().flush();
                std::string log;
                for (const auto& file :
                     std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
                    log += file.path().extension() == ".csv" ? readAll(file.path().string()) : "";
                leave(log.find(c.logLine) != std::string::npos);
            },
            testing::ExitedWithCode(0), "")
            << c.testMode;
    }
}
#endif

TEST(CachedEntries, EntriesWithoutParametersAreNotStochasticAndUnrotated)
{
    QuietLoggerAfterwards restore;
    const CachedSurface entry(wide(sample), {});
    EXPECT_FALSE(entry.stochastic);
    EXPECT_EQ(entry.rotationDegrees, 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(CachedSurface(wide(sample), {nan}).stochastic);
    EXPECT_FALSE(CachedSurface(wide(sample), {-0.0}).stochastic);
}

TEST(CachedEntries, SequentialLogSettingSwitchesLoggerAndReport)
{
    QuietLoggerAfterwards restore;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double log;
        bool enabled, verbose, report;
    };
    for (const Case& c :
         {Case{0, false, false, false}, Case{1, true, false, false}, Case{99, true, true, true},
          Case{99.5, true, true, true}, Case{nan, true, false, false}, Case{-1e10, true, false, false}}) {
        lenstest::GratingFolder folder;
        folder.place(sample, "s.json");
        const std::string path = folder.pathOf("s.json");
        std::vector<double> params(256, 0.0);
        params[4] = c.log;
        const CachedSequentialSurface entry(wide(path), params);
        EXPECT_FALSE(entry.stochastic);
        EXPECT_EQ(getLogger().isEnabled(), c.enabled) << c.log;
        EXPECT_EQ(getLogger().isVerbose(), c.verbose) << c.log;
        EXPECT_EQ(std::filesystem::exists(path + ".log"), c.report) << c.log;
        getLogger().setEnabled(false);
    }
}

TEST(CachedEntries, MissingFileThrowsOutOfTheConstructor)
{
    EXPECT_ANY_THROW(CachedSurface(L"/no/such/grating.json", {}));
    EXPECT_ANY_THROW(CachedSequentialSurface(L"/no/such/grating.json", std::vector<double>(256, 0.0)));
}

}  // namespace
