#include <gtest/gtest.h>

#include <string>

#include "json/ReportAbbreviation.h"

using namespace quelbrant;

TEST(ElideMiddle, KeepsBothEndsWithinTheLength)
{
    const struct {
        std::string text;
        size_t maxLength;
        std::string expected;
    } cases[] = {
        {"", 0, ""},
        {"abcdef", 6, "abcdef"},
        {"abcdefg", 6, "ab...g"},
        {"abcdefgh", 7, "ab...gh"},
        {"abcdefghij", 8, "abc...ij"},
        {"abcdef", 3, "..."},
        {"abcdef", 1, "..."},
        // A two-byte e-acute is never cut apart: the head ends before it,
        // the tail starts after it.
        {"ab\xC3\xA9"
         "cdefgh\xC3\xA9",
         8, "ab...\xC3\xA9"},
        {"a\xC3\xA9xyz\xC3\xA9z", 7, "a...z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(elideMiddle(c.text, c.maxLength), c.expected) << c.text << " in " << c.maxLength;
}

TEST(AbbreviatePointer, KeepsWholeTokensFromBothEnds)
{
    std::string deep;
    for (int k = 0; k < 128; ++k)
        deep += "/0";
    const std::string longName(100, 'n');
    const struct {
        const char* what;
        std::string pointer;
        size_t maxLength;
        size_t segmentsPerEnd;
        std::string expected;
    } cases[] = {
        {"short enough", "/grat_results_lower/list_orders_R/_data/12", 64, 4,
         "/grat_results_lower/list_orders_R/_data/12"},
        {"the root", "", 0, 4, ""},
        {"deep", "/deep" + deep, 64, 4, "/deep/0/0/0/.../0/0/0/0"},
        {"deep, two per end", deep, 64, 2, "/0/0/.../0/0"},
        {"length before count", "/aaaa/bbbb/cccc/dddd/eeee/ffff", 20, 4, "/aaaa/bbbb/.../ffff"},
        {"a long first token", "/" + longName + "/0/1/2", 20, 4, "/.../0/1/2"},
        {"a long last token", "/0/1/" + longName, 20, 4, "/0/1/..."},
        {"one token too long", "/" + longName, 11, 4, "/nnn...nnnn"},
    };
    for (const auto& c : cases) {
        const std::string got = abbreviatePointer(c.pointer, c.maxLength, c.segmentsPerEnd);
        EXPECT_EQ(got, c.expected) << c.what;
        EXPECT_LE(got.size(), c.maxLength) << c.what;
    }
}
