// Opening, parsing and validating a grating file: the first failures a load
// can meet, before any key is read.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "LoaderTestSupport.h"
#include "json/GratingSchema.h"

using namespace quelbrant;

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace loadertest;

namespace {

const std::string CannotOpen = "Unable to open or access file";
const std::string NotJson = "Grating data file is not valid JSON format(2):\n";
const std::string SchemaFailed = "Schema validation failed, here is why:\n";

std::string nested(size_t depth)
{
    return std::string(depth, '[') + std::string(depth, ']');
}

}  // namespace

TEST(LoaderOpen, MissingFileBuildsNothing)
{
    TempDir dir;
    LoadOutcome outcome = load(dir.path() / "no-such-file.json");
    EXPECT_EQ(outcome.surface, nullptr);
    EXPECT_EQ(outcome.message, CannotOpen);
    // The error is the load's last entry.
    ASSERT_FALSE(outcome.entries.empty());
    EXPECT_EQ(outcome.entries.back(), CannotOpen);
}

TEST(LoaderOpen, FolderIsNoFile)
{
    TempDir dir;
    EXPECT_EQ(load(dir.path()).message, CannotOpen);
}

TEST(LoaderOpen, OnlyRegularFilesAreRead)
{
    // A named pipe once blocked the load for ever, waiting for a writer; a
    // file whose read fails was reported as a schema violation.
    TempDir dir;
    const struct {
        const char* what;
        std::wstring name;
        std::string message;
    } cases[] = {
#if defined(_WIN32)
        {"the null device", L"NUL", CannotOpen},
#else
        {"a named pipe", wideName(dir.path() / "pipe"), CannotOpen},
        {"a link to a named pipe", wideName(dir.path() / "link-to-pipe"), CannotOpen},
        {"a character device", L"/dev/null", CannotOpen},
#endif
#if defined(__linux__)
        {"a file whose read fails", L"/proc/self/mem", CannotOpen + " (reading it failed: Input/output error)"},
#endif
    };
#if !defined(_WIN32)
    ASSERT_EQ(mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.path() / "pipe", dir.path() / "link-to-pipe");
#endif
    for (const auto& c : cases) {
        const LoadOutcome outcome = loadWide(c.name.c_str());
        EXPECT_EQ(outcome.message, c.message) << c.what;
        EXPECT_EQ(outcome.entries, std::vector<std::string>{c.message}) << c.what;
    }

    // A link is followed to the regular file it names.
    const std::filesystem::path file = dir.write("grating.json", document());
    std::error_code noLinks;
    std::filesystem::create_symlink(file, dir.path() / "link.json", noLinks);
    if (!noLinks) {
        const LoadOutcome linked = load(dir.path() / "link.json");
        EXPECT_NE(linked.surface, nullptr) << linked.message;
    }
}

TEST(LoaderOpen, NullNameIsNoFile)
{
    EXPECT_EQ(loadWide(nullptr).message, CannotOpen);
}

TEST(LoaderOpen, NameThatIsNoTextIsReportedNotThrown)
{
    // A lone surrogate half has no UTF-8 form; the host still gets an error
    // index, not a foreign exception. Windows opens by the wide name itself,
    // which may hold one, and simply finds no such file.
    std::wstring name = L"grating";
    name += static_cast<wchar_t>(0xDC00);
    name += L".json";
    LoadOutcome outcome = loadWide(name.c_str());
    EXPECT_FALSE(outcome.threwSomethingElse);
#if defined(_WIN32)
    EXPECT_EQ(outcome.message, CannotOpen);
#else
    EXPECT_TRUE(startsWith(outcome.message, CannotOpen + " (")) << outcome.message;
#endif
}

TEST(LoaderOpen, NonAsciiPathIsOpened)
{
    // Greek, CJK and an accented Latin letter: outside any single-byte code
    // page, so this only opens by the full Unicode name.
    TempDir dir;
    const std::filesystem::path folder =
        dir.path() / std::filesystem::u8path(u8"gitter-\u03b1\u03b2-\u65e5\u672c-\u00e9");
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / std::filesystem::u8path(u8"d\u00fcnn-\u03bb.json");
    std::ofstream(file) << document().dump();
    LoadOutcome outcome = load(file);
    EXPECT_NE(outcome.surface, nullptr) << outcome.message;
}

TEST(LoaderParse, TruncatedDocumentNamesTheParseError)
{
    TempDir dir;
    LoadOutcome outcome = load(dir.writeText("g.json", "{"));
    EXPECT_EQ(outcome.surface, nullptr);
    EXPECT_TRUE(startsWith(outcome.message, NotJson)) << outcome.message;
    EXPECT_NE(outcome.message.find("parse error"), std::string::npos) << outcome.message;
}

TEST(LoaderParse, EmptyFileIsNotJson)
{
    TempDir dir;
    EXPECT_TRUE(startsWith(load(dir.writeText("g.json", "")).message, NotJson));
}

TEST(LoaderParse, HundredThousandNestedArraysAreRejectedWithoutCrashing)
{
    // The parse holds any depth; the schema check refuses it before any
    // recursive walk (validation, copies, error texts) could overrun the
    // stack.
    TempDir dir;
    LoadOutcome outcome = load(dir.writeText("g.json", nested(100000)));
    EXPECT_TRUE(startsWith(outcome.message, SchemaFailed + "At /0/0/0/0")) << outcome.message;
}

TEST(LoaderParse, DeepNestingInsideAnIgnoredMemberIsRejected)
{
    // Members the format does not name are otherwise ignored, but their
    // depth is limited all the same.
    json doc = document();
    std::string text = doc.dump();
    text.insert(1, "\"description\": " + nested(100000) + ", ");
    TempDir dir;
    LoadOutcome outcome = load(dir.writeText("g.json", text));
    EXPECT_TRUE(startsWith(outcome.message, SchemaFailed + "At /description/0/0/0")) << outcome.message;
}

TEST(LoaderParse, NestingUpToTheLimitIsAccepted)
{
    // The document root is level 1, so a member may hold the remaining
    // levels.
    const std::string valid = document().dump();
    std::string text = valid;
    text.insert(1, "\"description\": " + nested(MaxDocumentNesting - 1) + ", ");
    TempDir dir;
    LoadOutcome outcome = load(dir.writeText("g.json", text));
    EXPECT_NE(outcome.surface, nullptr) << outcome.message;

    text = valid;
    text.insert(1, "\"description\": " + nested(MaxDocumentNesting) + ", ");
    const std::string message = load(dir.writeText("g2.json", text)).message;
    EXPECT_TRUE(startsWith(message, SchemaFailed + "At /description/0/0/0")) << message;
}

TEST(LoaderParse, ErrorTableShowsTheReasonOfADeepOrHugeValue)
{
    // The host sees only the error table's entry, which keeps 200 bytes:
    // pointer and value are shortened so that the reason fits beside them.
    json hugeFlag = document();
    std::vector<int> values(100000, 7);
    hugeFlag["grat_results_upper"]["lossless"] = values;
    TempDir dir;
    const struct {
        const char* what;
        std::filesystem::path file;
        std::string entry;
    } cases[] = {
        {"100000 nested arrays", dir.writeText("deep.json", nested(100000)),
         SchemaFailed +
             "At /0/0/0/0/.../0/0/0/0 of [[\"...\"]] - Value is nested more than 128 levels deep.\n"},
        {"a flag as a huge array", dir.write("huge.json", hugeFlag),
         SchemaFailed + "At /grat_results_upper/lossless of [7,7,7,7,7,7,7,7,7,7,7,...7,7,7,7,7,7,7,7,7,7,7]"
                        " - Failed to validate against any child schemas allowed by oneOf constraint.\n"},
    };
    for (const auto& c : cases) {
        const LoadOutcome outcome = load(c.file);
        EXPECT_EQ(outcome.message, c.entry) << c.what;
        EXPECT_LE(c.entry.size(), MessageMaxLength) << c.what;
        EXPECT_EQ(errorText(outcome.error), c.entry) << c.what;
    }
}

TEST(LoaderParse, SchemaViolationIsReportedBeforeAnyKeyIsRead)
{
    json doc = document();
    doc.erase("n_lower");
    LoadOutcome outcome = loadDocument(doc);
    EXPECT_TRUE(startsWith(outcome.message, SchemaFailed + "At ")) << outcome.message;
    // Nothing of the document was read: no getter left a note.
    EXPECT_EQ(outcome.entries.size(), 1u);
}

TEST(LoaderParse, KeysTheFormatDoesNotNameAreIgnored)
{
    json doc = document();
    doc["vendor_notes"] = {{"anything", json::array({1, "two", nullptr})}};
    doc["grat_results_lower"]["solver"] = "rcwa";
    doc["grat_results_upper"]["angle_definition"]["comment"] = 3;
    EXPECT_NE(loadDocument(doc).surface, nullptr);
}
