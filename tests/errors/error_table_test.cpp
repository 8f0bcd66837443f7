#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <string>

#include "ErrorTable.h"
#include "GratingSurface.h"
#include "MathConstants.h"

using namespace quelbrant;

namespace {

const std::wstring Suffix = L"...\nTurn on debugging and see the logfile for more information";

std::wstring wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

TEST(ErrorTable, IndexZeroIsSuccess)
{
    EXPECT_STREQ(errorDescription(0), L"Success");
}

TEST(ErrorTable, TruncationSuffixIsSixtyTwoCharacters)
{
    EXPECT_EQ(Suffix.size(), 62u);
}

struct LengthCase {
    size_t bytes;
    bool isCut;
};

class ErrorTableLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ErrorTableLength, MessagesBeyondTwoHundredBytesAreCut)
{
    // Distinct characters, so that a cut at the wrong place shows.
    std::string message;
    for (size_t i = 0; i < GetParam().bytes; ++i)
        message.push_back(static_cast<char>('a' + i % 26));
    const int index = addErrorMessage(message, false);
    const std::wstring expected = GetParam().isCut ? wide(message.substr(0, 200)) + Suffix : wide(message);
    EXPECT_EQ(std::wstring(errorDescription(index)), expected);
    EXPECT_EQ(std::wcslen(errorDescription(index)), GetParam().isCut ? 262u : GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ErrorTableLength,
                         ::testing::Values(LengthCase{0, false}, LengthCase{199, false},
                                           LengthCase{200, false}, LengthCase{201, true},
                                           LengthCase{5000, true}));

TEST(ErrorTable, EachCallAppendsOneEntryWithTheNextIndex)
{
    const int first = addErrorMessage("same text", false);
    const int second = addErrorMessage("same text", false);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(static_cast<size_t>(second), errorTableSize() - 1);
    EXPECT_STREQ(errorDescription(first), L"same text");
    EXPECT_STREQ(errorDescription(second), L"same text");
}

TEST(ErrorTable, DebugLogChoosesOnlyTheLogLevel)
{
    const size_t before = errorTableSize();
    const int index = addErrorMessage("a getter's error", true);
    EXPECT_EQ(static_cast<size_t>(index), before);
    EXPECT_EQ(errorTableSize(), before + 1);
    EXPECT_STREQ(errorDescription(index), L"a getter's error");
}

TEST(ErrorTable, IndexOutOfRangeGivesTheLastEntry)
{
    const int last = addErrorMessage("the last one", false);
    EXPECT_EQ(errorDescription(-1), errorDescription(last));
    EXPECT_EQ(errorDescription(last + 1), errorDescription(last));
    EXPECT_EQ(errorDescription(1 << 30), errorDescription(last));
}

TEST(ErrorTable, EachByteBecomesTheCharacterOfTheSameValue)
{
    // UTF-8 "é" is two bytes and becomes two characters, U+00C3 U+00A9:
    // never a negative wchar_t, on either width of wchar_t.
    const int index = addErrorMessage("caf\xC3\xA9", false);
    const std::wstring expected = {L'c', L'a', L'f', wchar_t(0xC3), wchar_t(0xA9)};
    EXPECT_EQ(std::wstring(errorDescription(index)), expected);
}

TEST(ErrorTable, CutCountsBytesNotCharacters)
{
    const std::string message = std::string(199, 'x') + "\xC3\xA9";
    const int index = addErrorMessage(message, false);
    const std::wstring text = errorDescription(index);
    ASSERT_EQ(text.size(), 262u);
    EXPECT_EQ(text[199], wchar_t(0xC3));
    EXPECT_EQ(text.substr(200), Suffix);
}

TEST(ErrorTable, HandedOutTextSurvivesLaterAppends)
{
    // A text of up to three characters lives inside the string object
    // itself (libstdc++, either width of wchar_t), so only storage that
    // never moves its strings keeps this pointer valid.
    const int shortIndex = addErrorMessage("ok", false);
    const int longIndex = addErrorMessage(std::string(150, 'L'), false);
    const wchar_t* shortText = errorDescription(shortIndex);
    const wchar_t* longText = errorDescription(longIndex);
    for (int i = 0; i < 100000; ++i)
        addErrorMessage("filler", false);
    EXPECT_STREQ(shortText, L"ok");
    EXPECT_EQ(std::wstring(longText), std::wstring(150, L'L'));
    EXPECT_EQ(errorDescription(shortIndex), shortText);
    EXPECT_STREQ(errorDescription(0), L"Success");
}

TEST(ErrorTable, NoteIsKeptBelowTheLimitAndOtherwiseDropped)
{
    // Whichever tests ran before in this process, a kept note names its own
    // text and a dropped one leaves the table as it was.
    const size_t before = errorTableSize();
    const int index = addNote("a note");
    if (before < NoteLimit) {
        ASSERT_EQ(static_cast<size_t>(index), before);
        EXPECT_STREQ(errorDescription(index), L"a note");
    } else {
        EXPECT_EQ(index, -1);
        EXPECT_EQ(errorTableSize(), before);
    }
}

TEST(ErrorTableLimit, NotesStopAtTheLimitErrorsDoNot)
{
    std::deque<std::wstring> table = {L"Success"};
    EXPECT_EQ(appendErrorEntry(table, L"note 1", true, 3), 1);
    EXPECT_EQ(appendErrorEntry(table, L"note 2", true, 3), 2);
    EXPECT_EQ(appendErrorEntry(table, L"note 3", true, 3), -1);
    EXPECT_EQ(appendErrorEntry(table, L"error 1", false, 3), 3);
    EXPECT_EQ(appendErrorEntry(table, L"note 4", true, 3), -1);
    EXPECT_EQ(appendErrorEntry(table, L"error 2", false, 3), 4);
    const std::deque<std::wstring> expected = {L"Success", L"note 1", L"note 2", L"error 1", L"error 2"};
    EXPECT_EQ(table, expected);
}

TEST(ErrorTableLimit, LimitIsGenerous)
{
    // A load notes a few entries per key; the limit must leave room for
    // the notes of many thousands of loads.
    EXPECT_GE(NoteLimit, 100000u);
}

TEST(PluginIdentity, StringsTheHostIdentifiesThePluginBy)
{
    EXPECT_EQ(GratingSurface::PluginType, L"BSDF");
    EXPECT_EQ(GratingSurface::PluginGuid, L"{39428265-4B1A-4701-B0AE-DC9F60D514FE}");
    EXPECT_EQ(GratingSurface::PluginDescription, L"Diffraction Grating Surface Plugin");
}

TEST(LibraryConstants, PiIsTheDoubleNearestToPi)
{
    EXPECT_EQ(Pi, std::acos(-1.0));
    EXPECT_EQ(TwoPi, 2.0 * std::acos(-1.0));
}
