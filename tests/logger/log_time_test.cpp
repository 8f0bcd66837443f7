#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>
#include <vector>

#include "LogTestSupport.h"
#include "LogTime.h"
#include "logger.h"

using namespace quelbrant;

namespace {

struct FileNameCase {
    const char* name;
    std::tm local;
    const char* directory;
    const char* expected;
};

#if defined(_WIN32)
const FileNameCase FileNameCases[] = {
    {"SingleDigitsWithoutLeadingZeros", makeLocalTm(2026, 3, 7, 9, 5, 30), "C:\\logs",
     "C:\\logs\\2026_3_7_9-5_log.csv"},
    {"LastMinuteOfTheYear", makeLocalTm(2026, 12, 31, 23, 59, 59), "C:\\logs",
     "C:\\logs\\2026_12_31_23-59_log.csv"},
    {"Midnight", makeLocalTm(2027, 1, 1, 0, 0, 0), "D:\\data", "D:\\data\\2027_1_1_0-0_log.csv"},
    {"EmptyDirectoryMeansRoot", makeLocalTm(2026, 10, 10, 10, 10, 0), "", "\\2026_10_10_10-10_log.csv"},
};
#else
const FileNameCase FileNameCases[] = {
    {"SingleDigitsWithoutLeadingZeros", makeLocalTm(2026, 3, 7, 9, 5, 30), "/var/log",
     "/var/log/2026_3_7_9-5_log.csv"},
    {"LastMinuteOfTheYear", makeLocalTm(2026, 12, 31, 23, 59, 59), "/var/log",
     "/var/log/2026_12_31_23-59_log.csv"},
    {"Midnight", makeLocalTm(2027, 1, 1, 0, 0, 0), "/data", "/data/2027_1_1_0-0_log.csv"},
    {"EmptyDirectoryMeansRoot", makeLocalTm(2026, 10, 10, 10, 10, 0), "", "/2026_10_10_10-10_log.csv"},
};
#endif

// Parameters print by name.
void PrintTo(const FileNameCase& c, std::ostream* out)
{
    *out << c.name;
}

class LogFileName : public testing::TestWithParam<FileNameCase> {};

std::string stampOf(std::time_t t)
{
    return formatTimeStamp(localTime(t));
}

}  // namespace

TEST_P(LogFileName, CarriesTheLocalDateAndMinute)
{
    EXPECT_EQ(makeLogFileName(GetParam().directory, GetParam().local), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Times, LogFileName, testing::ValuesIn(FileNameCases),
                         [](const testing::TestParamInfo<FileNameCase>& info) { return info.param.name; });

TEST(LogTimeStamp, FormatsDateAndTimeWithLeadingZerosAndATrailingBlank)
{
    EXPECT_EQ(formatTimeStamp(makeLocalTm(2026, 12, 7, 21, 57, 1)), "[2026-12-07 21:57:01] ");
    EXPECT_EQ(formatTimeStamp(makeLocalTm(2026, 3, 7, 9, 5, 3)), "[2026-03-07 09:05:03] ");
    EXPECT_EQ(formatTimeStamp(makeLocalTm(2027, 1, 1, 0, 0, 0)), "[2027-01-01 00:00:00] ");
}

TEST(LogTimeStamp, BreaksCalendarTimeDownInLocalTime)
{
    std::tm wanted = makeLocalTm(2026, 7, 15, 14, 30, 45);
    const std::tm local = localTime(std::mktime(&wanted));
    EXPECT_EQ(local.tm_year, 2026 - 1900);
    EXPECT_EQ(local.tm_mon, 6);
    EXPECT_EQ(local.tm_mday, 15);
    EXPECT_EQ(local.tm_hour, 14);
    EXPECT_EQ(local.tm_min, 30);
    EXPECT_EQ(local.tm_sec, 45);
}

TEST(LogTimeStamp, IsTheCurrentLocalTime)
{
    const std::time_t before = std::time(nullptr);
    const std::string stamp = makeTimeStamp();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"))) << stamp;
    // The format sorts like the time it shows.
    EXPECT_LE(stampOf(before), stamp);
    EXPECT_LE(stamp, stampOf(after));
}

TEST(LogTimeStampConcurrency, ThreadsMakingStampsAtOnceGetWellFormedOnes)
{
    std::tm a = makeLocalTm(2026, 1, 2, 3, 4, 5);
    std::tm b = makeLocalTm(2030, 11, 12, 13, 14, 15);
    const std::time_t times[] = {std::mktime(&a), std::mktime(&b)};
    const std::string expected[] = {"[2026-01-02 03:04:05] ", "[2030-11-12 13:14:15] "};
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i)
                if (stampOf(times[t % 2]) != expected[t % 2])
                    ++mismatches[t];
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}
