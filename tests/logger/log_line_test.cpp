#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <regex>
#include <thread>

#include "LogTestSupport.h"
#include "logger.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

using namespace quelbrant;

namespace {

// Lines a logger of its own writes for `makeLines`, read back once it is gone.
template <class MakeLines>
std::vector<std::string> linesLoggedBy(MakeLines makeLines)
{
    const ScopedLogEnvironment environment({nullptr, nullptr, nullptr});
    const TemporaryDirectory directory;
    {
        Logger logger(&localMarch7th2026At0905);
        logger.setLogPath(directory.path());
        logger.setEnabled(true);
        makeLines(logger);
    }
    return readLines(march7th2026At0905FileName(directory.path()));
}

bool containsMessage(const std::vector<std::string>& lines, const std::string& message)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return messageOf(line) == message; });
}

const std::regex TimeStampedLine(R"(\[0x[0-9a-f]{16}\] \[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] (.*))");

}  // namespace

TEST(LogLine, StreamsArgumentsWithTheDefaultStreamState)
{
    const std::string text = "std::string";
    const char* pointer = "const char*";
    const std::size_t orders = 4096;
    const std::vector<std::string> lines = linesLoggedBy([&](Logger& logger) {
        logger.log(0.1 + 0.2);
        logger.log(0.1, " ", 1e-5, " ", 123456789.0, " ", -2.5);
        logger.log(true, false);
        logger.log(std::complex<double>(1, -2), std::complex<double>(0.1 + 0.2, 1e-5));
        logger.log(255, " ", -17, " ", orders);
        logger.log("literal ", text, " ", pointer);
        logger.log("x = ", 3, ", y = ", 0.5, ", ok = ", true);
    });
    const std::vector<std::string> expected = {
        "0.3",
        "0.1 1e-05 1.23457e+08 -2.5",
        "10",
        "(1,-2)(0.3,1e-05)",
        "255 -17 4096",
        "literal std::string const char*",
        "x = 3, y = 0.5, ok = 1",
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(messageOf(lines[i]), expected[i]) << lines[i];
}

TEST(LogLine, BeginsWithTheThreadNumberInSixteenLowercaseHexDigits)
{
    unsigned long long workerNumber = 0;
    const std::vector<std::string> lines = linesLoggedBy([&](Logger& logger) {
        logger.log("main thread");
        std::thread worker([&] {
            workerNumber = currentThreadNumber();
            logger.log("worker thread");
        });
        worker.join();
    });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], expectedThreadTag(currentThreadNumber()) + "main thread");
    EXPECT_EQ(lines[1], expectedThreadTag(workerNumber) + "worker thread");
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\[0x[0-9a-f]{16}\] worker thread)"))) << lines[1];
}

TEST(LogLine, ThreadNumberIsThePlatformsOwn)
{
#if defined(_WIN32)
    EXPECT_EQ(currentThreadNumber(), static_cast<unsigned long long>(GetCurrentThreadId()));
#else
    EXPECT_EQ(currentThreadNumber(), static_cast<unsigned long long>(pthread_self()));
#endif
}

TEST(LogLine, IntegerAfterTheThreadNumberIsDecimal)
{
    const std::vector<std::string> lines = linesLoggedBy([](Logger& logger) { logger.log(4660); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], expectedThreadTag(currentThreadNumber()) + "4660");
}

TEST(LogLine, LongMessageIsNotCut)
{
    const std::string message(200000, 'm');
    const std::vector<std::string> lines =
        linesLoggedBy([&](Logger& logger) { logger.log(message, "|end"); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(messageOf(lines[0]), message + "|end");
}

TEST(LogFrontEnds, LogLineCarriesTheLocalTimeOfTheCall)
{
    processLogDirectory();
    const std::string before = makeTimeStamp();
    Log("time stamp check ", 7);
    const std::string after = makeTimeStamp();
    const std::vector<std::string> lines = processLogLines();
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string& l) { return messageOf(l) == "time stamp check 7"; });
    ASSERT_NE(line, lines.end());
    std::smatch match;
    ASSERT_TRUE(std::regex_match(*line, match, TimeStampedLine)) << *line;
    EXPECT_EQ(match[1].str(), "time stamp check 7");
    EXPECT_EQ(line->substr(0, 21), expectedThreadTag(currentThreadNumber()));
    const std::string stamp = line->substr(21, 22);
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
}

TEST(LogFrontEnds, EnabledButNotVerboseWritesLogLinesOnly)
{
    processLogDirectory();
    getLogger().setEnabled(true);
    getLogger().setVerbose(false);
    Log("enabled-only: normal ", 1);
    LogDebug("enabled-only: debug ", 2);
    Log("enabled-only: normal ", 3);
    const std::vector<std::string> lines = processLogLines();
    EXPECT_TRUE(containsMessage(lines, "enabled-only: normal 1"));
    EXPECT_TRUE(containsMessage(lines, "enabled-only: normal 3"));
    EXPECT_FALSE(containsMessage(lines, "enabled-only: debug 2"));
}

TEST(LogFrontEnds, VerboseButNotEnabledWritesLogDebugLinesOnly)
{
    processLogDirectory();
    getLogger().setEnabled(false);
    getLogger().setVerbose(true);
    LogDebug("verbose-only: debug ", 1);
    Log("verbose-only: normal ", 2);
    // A writer may not run yet: enabling starts it, and it writes what waited.
    getLogger().setVerbose(false);
    getLogger().setEnabled(true);
    Log("verbose-only: end");
    const std::vector<std::string> lines = processLogLines();
    EXPECT_TRUE(containsMessage(lines, "verbose-only: debug 1"));
    EXPECT_FALSE(containsMessage(lines, "verbose-only: normal 2"));
    EXPECT_TRUE(containsMessage(lines, "verbose-only: end"));
}

TEST(LogFrontEnds, NeitherFlagWritesNothing)
{
    processLogDirectory();
    getLogger().setEnabled(false);
    getLogger().setVerbose(false);
    Log("silent: normal");
    LogDebug("silent: debug");
    getLogger().setEnabled(true);
    Log("silent: end");
    const std::vector<std::string> lines = processLogLines();
    EXPECT_FALSE(containsMessage(lines, "silent: normal"));
    EXPECT_FALSE(containsMessage(lines, "silent: debug"));
    EXPECT_TRUE(containsMessage(lines, "silent: end"));
}

TEST(LogFrontEnds, DirectLoggerCallHasNoTimeStamp)
{
    processLogDirectory();
    getLogger().log("converting data, convertSPtoXY = ", true);
    const std::vector<std::string> lines = processLogLines();
    const std::string expected =
        expectedThreadTag(currentThreadNumber()) + "converting data, convertSPtoXY = 1";
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end());
}
