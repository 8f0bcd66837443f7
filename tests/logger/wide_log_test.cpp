#include <gtest/gtest.h>

#include <algorithm>

#include "LogTestSupport.h"
#include "WideText.h"
#include "logger.h"

using namespace quelbrant;

TEST(WideLogText, KeepsTheLowByteOfEveryUnit)
{
    struct Case {
        std::wstring wide;
        std::string narrow;
    };
    const Case cases[] = {
        {L"Loading grating.json", "Loading grating.json"},
        {L"caf\u00e9", "caf\xe9"},
        {L"\u0141", "\x41"},  // U+0141 keeps 0x41, 'A'
        {L"\u20ac5",
         "\xac"
         "5"},  // U+20AC keeps 0xAC
        {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
        {L"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keepLowBytes(c.wide), c.narrow);
}

#if defined(_WIN32)

#include <windows.h>

static_assert(std::is_same_v<decltype(Log(std::declval<std::wstring>())), int>);
static_assert(std::is_same_v<decltype(LogDebug(std::declval<const std::wstring&>())), int>);
static_assert(std::is_same_v<decltype(LogDebug(std::declval<std::wstring&>())), int>);

namespace {

bool containsMessage(const std::vector<std::string>& lines, const std::string& message)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return messageOf(line) == message; });
}

}  // namespace

TEST(WideLog, ReturnsMinusOneWhetherOrNotALineIsMade)
{
    processLogDirectory();
    const std::wstring message = L"wide: returned";
    for (const bool enabled : {false, true}) {
        for (const bool verbose : {false, true}) {
            getLogger().setEnabled(enabled);
            getLogger().setVerbose(verbose);
            EXPECT_EQ(Log(message), -1);
            EXPECT_EQ(LogDebug(message), -1);
        }
    }
    getLogger().setEnabled(true);
}

TEST(WideLog, WritesTheNarrowedTextUnderEachFlag)
{
    processLogDirectory();
    getLogger().setEnabled(true);
    getLogger().setVerbose(false);
    const std::wstring normal = L"wide normal: \u00e9\u0141";
    Log(normal);
    LogDebug(std::wstring(L"wide debug: hidden"));
    getLogger().setVerbose(true);
    const int thrown = LogDebug(std::wstring(L"wide debug: shown"));
    getLogger().setVerbose(false);
    const std::vector<std::string> lines = processLogLines();
    EXPECT_EQ(thrown, -1);
    EXPECT_TRUE(containsMessage(lines, "wide normal: \xe9\x41"));
    EXPECT_FALSE(containsMessage(lines, "wide debug: hidden"));
    EXPECT_TRUE(containsMessage(lines, "wide debug: shown"));
}

TEST(WideLog, LineCarriesTheWindowsThreadId)
{
    processLogDirectory();
    getLogger().setEnabled(true);
    Log(std::wstring(L"wide: thread id"));
    const std::vector<std::string> lines = processLogLines();
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string& l) { return messageOf(l) == "wide: thread id"; });
    ASSERT_NE(line, lines.end());
    EXPECT_EQ(line->substr(0, 21), expectedThreadTag(GetCurrentThreadId()));
}

#endif
