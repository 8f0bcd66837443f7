#include <gtest/gtest.h>

#include <string>

#include "report/VerificationReport.h"

using namespace quelbrant;

namespace {

wchar_t unit(unsigned value)
{
    return static_cast<wchar_t>(value);
}

}  // namespace

// The report names the data file in UTF-8; what has no UTF-8 form becomes
// U+FFFD and the rest of the name stays readable.
TEST(VerificationReportPath, WrittenAsUtf8)
{
    const std::string replacement = "\xEF\xBF\xBD";
    const struct {
        const char* what;
        std::wstring path;
        std::string text;
    } cases[] = {
        {"ascii", L"C:\\data\\grating.json", "C:\\data\\grating.json"},
        {"latin, euro and a character beyond the basic plane", L"/d/gr\u00e4t-\u20ac-\U0001D11E.json",
         "/d/gr\xC3\xA4t-\xE2\x82\xAC-\xF0\x9D\x84\x9E.json"},
        {"lone high surrogate", std::wstring(L"a") + unit(0xD800) + L"b", "a" + replacement + "b"},
        {"lone low surrogate at the end", std::wstring(L"ab") + unit(0xDC00), "ab" + replacement},
        {"two high surrogates", std::wstring(L"x") + unit(0xDBFF) + unit(0xD800) + L"y",
         "x" + replacement + replacement + "y"},
        {"low before high", std::wstring(L"x") + unit(0xDC00) + unit(0xD800),
         "x" + replacement + replacement},
        {"empty", L"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(reportTextOfPath(c.path), c.text);
    }
    if constexpr (sizeof(wchar_t) == 4) {
        // A surrogate pair is no character where wchar_t holds whole code
        // points, and neither is a value above U+10FFFF.
        EXPECT_EQ(reportTextOfPath(std::wstring(L"p") + unit(0xD834) + unit(0xDD1E)),
                  "p" + replacement + replacement);
        EXPECT_EQ(reportTextOfPath(std::wstring(L"q") + unit(0x110000)), "q" + replacement);
    } else {
        EXPECT_EQ(reportTextOfPath(std::wstring(L"p") + unit(0xD834) + unit(0xDD1E)), "p\xF0\x9D\x84\x9E");
    }
}
