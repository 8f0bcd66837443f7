// The error table grows with every failure below NoteLimit entries; beyond
// it, repeated texts share their entry and beyond ErrorLimit every new text
// shares one table-full entry, so that no flood of failures can exhaust a
// host's memory, while every index still names a text.

#include <gtest/gtest.h>

#include <string>

#include "ErrorTable.h"

using namespace quelbrant;

namespace {

const std::wstring TableFull =
    L"Too many different errors to keep in the error table; this and every later new message is only in "
    L"the log file.";

void fillTableTo(size_t size)
{
    for (size_t k = errorTableSize(); k < size; ++k)
        addErrorMessage("filler error " + std::to_string(k), false);
}

}  // namespace

TEST(ErrorTableBounds, BeyondTheNoteLimitARepeatedErrorReturnsItsEntry)
{
    const std::string badRay = "Ray not traced (Interaction_V2): n1 is 0, expected a finite number above 0.";
    fillTableTo(NoteLimit);
    const int first = addErrorMessage(badRay, false);
    const size_t size = errorTableSize();
    EXPECT_EQ(static_cast<size_t>(first), size - 1);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(addErrorMessage(badRay, false), first);
    EXPECT_EQ(errorTableSize(), size);
    // A different text is still an entry of its own.
    const int other = addErrorMessage("a later failure", false);
    EXPECT_EQ(static_cast<size_t>(other), size);
    EXPECT_STREQ(errorDescription(other), L"a later failure");
    // An index outside the table names the most recent failure, also when
    // that one reused its entry.
    EXPECT_EQ(addErrorMessage(badRay, false), first);
    EXPECT_EQ(errorDescription(-1), errorDescription(first));
    EXPECT_EQ(std::wstring(errorDescription(first)), std::wstring(badRay.begin(), badRay.end()));
}

TEST(ErrorTableBounds, BeyondTheErrorLimitNewTextsShareTheTableFullEntry)
{
    fillTableTo(ErrorLimit);
    const int full = addErrorMessage("a new failure", false);
    ASSERT_GE(full, 0);
    EXPECT_EQ(std::wstring(errorDescription(full)), TableFull);
    const size_t size = errorTableSize();
    EXPECT_LE(size, ErrorLimit + 1);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(addErrorMessage("another new failure " + std::to_string(i), true), full);
    EXPECT_EQ(errorTableSize(), size);
    // Texts kept before the limit still name themselves, and the newest
    // entry (what index -1 reads) is the table-full text.
    EXPECT_STREQ(errorDescription(0), L"Success");
    EXPECT_EQ(std::wstring(errorDescription(-1)), TableFull);
    EXPECT_EQ(addNote("a note"), -1);
}
