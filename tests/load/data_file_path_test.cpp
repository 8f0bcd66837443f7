#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "json/DataFilePath.h"

using namespace quelbrant;

namespace {

// Builds a wide string from code points, in UTF-16 where wchar_t is 16 bits.
std::wstring wideFromCodePoints(std::initializer_list<char32_t> codePoints)
{
    std::wstring out;
    for (char32_t c : codePoints) {
        if (sizeof(wchar_t) == 2 && c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

}  // namespace

TEST(DataFilePath, Utf8OfEveryEncodedLength)
{
    struct Case {
        char32_t codePoint;
        std::string utf8;
    };
    const Case cases[] = {
        {U'a', "a"},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0xE9, "\xC3\xA9"},  // e acute
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x65E5, "\xE6\x97\xA5"},  // CJK "sun"
        {0xFFFD, "\xEF\xBF\xBD"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf8FromWide(wideFromCodePoints({c.codePoint})), c.utf8) << "U+" << std::hex << c.codePoint;
}

TEST(DataFilePath, Utf8OfAPath)
{
    const std::wstring wide = wideFromCodePoints(
        {U'/', U't', U'/', 0x3B1, 0x3B2, U'-', 0xFC, U'/', 0x1F600, U'.', U'j', U's', U'o', U'n'});
    EXPECT_EQ(utf8FromWide(wide), "/t/\xCE\xB1\xCE\xB2-\xC3\xBC/\xF0\x9F\x98\x80.json");
    EXPECT_EQ(utf8FromWide(L""), "");
}

TEST(DataFilePath, ValuesThatAreNoCharacterAreRejected)
{
    // Surrogate halves never stand alone; where wchar_t is 32 bits they are
    // invalid outright, as is anything past U+10FFFF.
    EXPECT_THROW(utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xD800))), std::range_error);
    EXPECT_THROW(utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xDFFF))), std::range_error);
    std::wstring highThenLetter;
    highThenLetter += static_cast<wchar_t>(0xDBFF);
    highThenLetter += L'a';
    EXPECT_THROW(utf8FromWide(highThenLetter), std::range_error);
    if constexpr (sizeof(wchar_t) == 4) {
        EXPECT_THROW(utf8FromWide(std::wstring(1, static_cast<wchar_t>(0x110000))), std::range_error);
        EXPECT_THROW(utf8FromWide(std::wstring(1, static_cast<wchar_t>(-1))), std::range_error);
    }
}

TEST(DataFilePath, RejectionNamesThePosition)
{
    std::wstring wide = L"ab";
    wide += static_cast<wchar_t>(0xDC00);
    try {
        utf8FromWide(wide);
        FAIL() << "no exception";
    } catch (const std::range_error& e) {
        EXPECT_NE(std::string(e.what()).find("position 2"), std::string::npos) << e.what();
    }
}

TEST(DataFilePath, NullNameGivesAnEmptyPath)
{
    EXPECT_TRUE(dataFilePath(nullptr).empty());
}

#if defined(_WIN32)
#include <windows.h>

#include "WideText.h"

TEST(DataFilePath, WindowsKeepsTheWideNameForOpening)
{
    const std::wstring wide = wideFromCodePoints({U'C', U':', U'\\', 0x65E5, U'\\', 0x3B1, U'.', U'j'});
    EXPECT_EQ(dataFilePath(wide.c_str()).native(), wide);
}

TEST(DataFilePath, WindowsNarrowFormUsesTheActiveCodePage)
{
    EXPECT_EQ(narrowPathText(std::filesystem::path(L"C:\\data\\grating.json")), "C:\\data\\grating.json");
    // CJK characters exist in no single-byte code page: they become the
    // code page's default character, not their low bytes.
    const std::wstring cjk = wideFromCodePoints({U'x', 0x65E5, U'y'});
    if (GetACP() == 1252) {
        EXPECT_EQ(narrowPathText(std::filesystem::path(cjk)), "x?y");
        EXPECT_EQ(narrowPathText(std::filesystem::path(wideFromCodePoints({0xE9}))), "\xE9");
    } else {
        GTEST_SKIP() << "active code page " << GetACP() << " is not Windows-1252";
    }
}

// The narrow form opens the folder it was made from or none: a with a
// macron must not read as the sibling "data" (Windows-1252's best fit), nor
// a lone surrogate as U+FFFD (a UTF-8 code page's).
TEST(DataFilePath, WindowsNarrowFormNamesNoOtherFolder)
{
    for (const std::wstring& folder : {wideFromCodePoints({U'd', 0x101, U't', U'a'}),
                                       wideFromCodePoints({U'd', 0x434, 0x430}), std::wstring(L"d\xD800")}) {
        const std::string narrow = narrowPathText(std::filesystem::path(folder));
        EXPECT_TRUE(wideFromActiveCodePage(narrow) == folder || narrow.find('?') != std::string::npos)
            << narrow << " on code page " << GetACP();
    }
}
#else
TEST(DataFilePath, LinuxNarrowFormIsTheUtf8Path)
{
    const std::wstring wide = wideFromCodePoints({U'/', 0x65E5, U'/', 0xE9, U'.', U'j'});
    const std::filesystem::path path = dataFilePath(wide.c_str());
    EXPECT_EQ(path.native(), "/\xE6\x97\xA5/\xC3\xA9.j");
    EXPECT_EQ(narrowPathText(path), "/\xE6\x97\xA5/\xC3\xA9.j");
    EXPECT_EQ(narrowPathText(path.parent_path()), "/\xE6\x97\xA5");
}
#endif
