// The loader's event-driven parse gives the document, or the parser error,
// that the JSON library's own `in >> document` gives; only values nested
// too deeply are left unbuilt, and are then described as the schema check
// describes them.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "allocation_counter.h"
#include "json/JsonDocumentBuilder.h"
#include "json/JsonNesting.h"
#include "json/JsonTeardown.h"

namespace {

using json = nlohmann::json;

// The document as text, or the parser's message.
std::string parsedByLibrary(const std::string& text)
{
    std::istringstream in(text);
    json document;
    try {
        in >> document;
    } catch (const json::exception& e) {
        return e.what();
    }
    return document.dump();
}

std::string parsedByBuilder(const std::string& text, size_t maxDepth = 128)
{
    std::istringstream in(text);
    json document;
    const quelbrant::TakeApartAtScopeEnd teardown(document);
    quelbrant::TooDeepValue tooDeep;
    try {
        if (!quelbrant::parseJsonDocument(in, maxDepth, document, tooDeep))
            return "too deep at " + tooDeep.pointer + ": " + tooDeep.text;
    } catch (const json::exception& e) {
        return e.what();
    }
    return document.dump();
}

TEST(JsonDocumentBuilder, GivesTheLibrarysDocumentOrError)
{
    const char* const texts[] = {
        R"({"a": [1, -2, 3.5, "x", true, null, {}, []], "b": {"c": {"d": [[1], [2, [3]]]}}})",
        R"({"a": 1, "a": [2, 3], "b": {"a": {"x": [4]}, "a": 5}})",  // a repeated name: the last wins
        R"([18446744073709551615, -9223372036854775808, 1e308, "\u00e4\ud83d\ude00"])",
        R"({"a": 1} trailing text)",  // the parse ends with the first value
        R"({"a": [1, 2,]})",
        R"({"a": NaN})",
        "",
        "[[[[",
        R"({"a": 1e999})",
    };
    for (const char* text : texts)
        EXPECT_EQ(parsedByBuilder(text), parsedByLibrary(text)) << text;
}

TEST(JsonDocumentBuilder, TooDeepValueIsDescribedAfterASuccessfulParse)
{
    // Three levels allowed: the first array or object at level 4 is
    // reported with two levels of it, deeper ones shown as "...".
    EXPECT_EQ(parsedByBuilder(R"({"a": [0, {"b/c": [[1, [2, [3]], {"d": {}}]]}]})", 3),
              "too deep at /a/1/b~1c: [[1,\"...\",\"...\"]]");
    EXPECT_EQ(parsedByBuilder(R"([[[[1]]], [[[2]]]])", 3), "too deep at /0/0/0: [1]");
    // A syntax error behind the value is still the parser's to report.
    EXPECT_EQ(parsedByBuilder(R"([[[[1]]], x])", 3), parsedByLibrary(R"([[[[1]]], x])"));
}

TEST(JsonTeardown, LeavesAnEmptyContainer)
{
    json document = json::parse(R"({"a": [[1, [2, {"b": [3]}]], {"c": {}}], "d": "text", "e": [[]]})");
    quelbrant::takeApartLeavesFirst(document);
    EXPECT_EQ(document, json::object());
    json deep = json::parse(std::string(200, '[') + std::string(200, ']'));
    quelbrant::takeApartLeavesFirst(deep);
    EXPECT_EQ(deep, json::array());
}

TEST(JsonTeardown, TakesApartDeeperThanItsStackWithoutAllocating)
{
    // A chain of 1000 arrays, and chains 600 deep with leaves, empty and
    // full containers beside every level.
    std::string mixed;
    for (int level = 0; level < 300; ++level)
        mixed += R"({"a": [1, [], "s", )";
    mixed += "null";
    for (int level = 0; level < 300; ++level)
        mixed += R"(], "b": {"c": [2, {}]}})";
    const std::string texts[] = {std::string(1000, '[') + std::string(1000, ']'),
                                 "[" + mixed + ", " + mixed + ", " + mixed + "]"};
    for (const std::string& text : texts) {
        json document = json::parse(text);
        const AllocationCount allocations;
        quelbrant::takeApartLeavesFirst(document);
        EXPECT_EQ(allocations.sinceStart(), 0u);
        EXPECT_EQ(document, json::array());
    }
}

}  // namespace
