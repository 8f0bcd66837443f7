#pragma once

// Parsing a data file's JSON text into a document through the parser's
// event interface, so that the loader decides how deep a document may nest
// and how a half-built one is freed when memory runs out.

#include <cstddef>
#include <istream>
#include <nlohmann/json.hpp>
#include <string>

namespace quelbrant {

// The first array or object (in document order) nested deeper than a parse
// allows.
struct TooDeepValue {
    std::string pointer;  // its JSON pointer
    std::string text;     // its JSON text as dumpElided(value, 2) gives it
};

// Reads one JSON value from in as `in >> document` does (text after the
// value is not read) into document, which must be null. Text that is not
// JSON throws the JSON library's parse_error with its usual message.
// An array or object inside maxDepth others (at level maxDepth + 1, the
// document itself at level 1) is not built: the text is still read to the
// end of the value, so that a syntax error behind it is reported as such,
// and the function returns false with tooDeep describing the first such
// value and document empty. Whatever ends a parse early (std::bad_alloc
// among others), the part of document already built is taken apart leaves
// first before the exception leaves.
bool parseJsonDocument(std::istream& in, size_t maxDepth, nlohmann::json& document, TooDeepValue& tooDeep);

}  // namespace quelbrant
