#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "LogTestSupport.h"
#include "logger.h"

using namespace quelbrant;

namespace {

struct ConfigurationCase {
    const char* name;
    ScopedLogEnvironment::Values environment;
    bool enabled;
    bool verbose;
    int lineBudget;
    std::string path;
};

// nullptr: the variable is not set.
const ConfigurationCase ConfigurationCases[] = {
    {"NothingSet", {nullptr, nullptr, nullptr}, false, false, -1, ""},
    {"AllSetEmpty", {"", "", ""}, false, false, -1, ""},
    {"VerboseZeroAlone", {nullptr, nullptr, "0"}, true, true, -1, ""},
    {"VerboseFalseAlone", {nullptr, nullptr, "false"}, true, true, -1, ""},
    {"MaxAlone", {nullptr, "25", nullptr}, true, false, 25, ""},
    {"MaxWithTrailingText", {nullptr, "25abc", nullptr}, true, false, 25, ""},
    {"MaxWithLeadingBlanksAndPlus", {nullptr, "  +7", nullptr}, true, false, 7, ""},
    {"MaxNegative", {nullptr, "-3", nullptr}, true, false, -3, ""},
    {"MaxZero", {nullptr, "0", nullptr}, true, false, 0, ""},
    {"MaxLargestInt", {nullptr, "2147483647", nullptr}, true, false, INT_MAX, ""},
    {"MaxSmallestInt", {nullptr, "-2147483648", nullptr}, true, false, INT_MIN, ""},
    // Unparsable budgets: no budget, logging still on because the variable is set.
    {"MaxNotANumber", {nullptr, "abc", nullptr}, true, false, -1, ""},
    {"MaxOnlyBlanks", {nullptr, "   ", nullptr}, true, false, -1, ""},
    {"MaxJustBeyondInt", {nullptr, "2147483648", nullptr}, true, false, -1, ""},
    {"MaxJustBelowInt", {nullptr, "-2147483649", nullptr}, true, false, -1, ""},
    {"MaxBeyondEveryInteger", {nullptr, "99999999999999999999999", nullptr}, true, false, -1, ""},
    {"PathAlone", {"/var/log/quelbrant", nullptr, nullptr}, true, false, -1, "/var/log/quelbrant"},
    {"AllThree", {"/tmp/q", "10", "yes"}, true, true, 10, "/tmp/q"},
    {"PathAndUnparsableMax", {"/tmp/q", "ten", nullptr}, true, false, -1, "/tmp/q"},
};

// Parameters print by name.
void PrintTo(const ConfigurationCase& c, std::ostream* out)
{
    *out << c.name;
}

class LogConfiguration : public testing::TestWithParam<ConfigurationCase> {};

// How many successive stillHasLines() calls grant a line, counting to `cap` at most.
int linesGranted(Logger& logger, int cap)
{
    int granted = 0;
    while (granted < cap && logger.stillHasLines())
        ++granted;
    return granted;
}

}  // namespace

TEST_P(LogConfiguration, ReadFromTheEnvironment)
{
    const ConfigurationCase& c = GetParam();
    const ScopedLogEnvironment environment(c.environment);
    const auto [enabled, verbose, lineBudget, path] = getLogConfigurationFromEnvironment();
    EXPECT_EQ(enabled, c.enabled);
    EXPECT_EQ(verbose, c.verbose);
    EXPECT_EQ(lineBudget, c.lineBudget);
    EXPECT_EQ(path, c.path);
}

TEST_P(LogConfiguration, ConfiguresANewLogger)
{
    const ConfigurationCase& c = GetParam();
    const ScopedLogEnvironment environment(c.environment);
    Logger logger;
    EXPECT_EQ(logger.isEnabled(), c.enabled);
    EXPECT_EQ(logger.isVerbose(), c.verbose);
    EXPECT_EQ(logger.isLogPathDefined(), !c.path.empty());
    EXPECT_FALSE(logger.isRunning());
    constexpr int cap = 100;
    EXPECT_EQ(linesGranted(logger, cap), std::clamp(c.lineBudget, 0, cap));
}

INSTANTIATE_TEST_SUITE_P(Variables, LogConfiguration, testing::ValuesIn(ConfigurationCases),
                         [](const testing::TestParamInfo<ConfigurationCase>& info) {
                             return info.param.name;
                         });

TEST(LogConfigurationDefaults, NothingSetMeansNoWriterStarts)
{
    const ScopedLogEnvironment environment({nullptr, nullptr, nullptr});
    Logger logger;
    EXPECT_FALSE(logger.start());
    EXPECT_FALSE(logger.isRunning());
}

TEST(LogConfigurationDefaults, UnparsableBudgetLeavesLoggingWorking)
{
    const TemporaryDirectory directory;
    const ScopedLogEnvironment environment({directory.path().c_str(), "abc", nullptr});
    {
        Logger logger(&localMarch7th2026At0905);
        EXPECT_NO_THROW(logger.log("first line"));
        EXPECT_NO_THROW(logger.log("second line"));
    }
    const std::vector<std::string> lines = readLines(march7th2026At0905FileName(directory.path()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(messageOf(lines[0]), "first line");
    EXPECT_EQ(messageOf(lines[1]), "second line");
}

TEST(LogConfigurationDefaults, LineBudgetDoesNotLimitTheLinesWritten)
{
    const TemporaryDirectory directory;
    const ScopedLogEnvironment environment({nullptr, "25", nullptr});
    {
        Logger logger(&localMarch7th2026At0905);
        logger.setLogPath(directory.path());
        for (int i = 0; i < 30; ++i)
            logger.log("line ", i);
    }
    EXPECT_EQ(readLines(march7th2026At0905FileName(directory.path())).size(), 30u);
}
