#pragma once

// The JSON Schema (draft-07) that every grating characterisation file is
// checked against before any key is read. Its text is embedded in the
// library at build time from schema/grating-surface-schema.json.

#include <nlohmann/json.hpp>
#include <string>

namespace quelbrant {

// Documents nested deeper than this are refused before validation: nothing
// in the format nests beyond a handful of levels, and deeper values would
// exhaust the stack of the JSON library's recursive copy and dump.
constexpr size_t MaxDocumentNesting = 128;

// The embedded schema, parsed once while the library loads.
const nlohmann::json& gratingSchema();

// Length the violation report keeps to where it can, in bytes: behind the
// loader's "Schema validation failed, here is why:\n" it then still fits
// the 200 bytes of an error-table entry, reason included.
constexpr size_t MaxViolationReportLength = 160;

// Returns when document satisfies the schema. Otherwise throws
// std::invalid_argument whose what() describes the first violation as
// "At " + JSON pointer of the offending value + " of " + that value as JSON
// text + " - " + the reason + "\n". A pointer longer than 64 bytes keeps
// its first and last four tokens around "/..."; a value text that would
// push the report beyond MaxViolationReportLength keeps its start and end
// around "..." (at least 16 bytes of it). Safe to call from several threads
// at once.
void validateAgainstGratingSchema(const nlohmann::json& document);

// The report validateAgainstGratingSchema gives for a value nested more
// than MaxDocumentNesting levels deep, from its JSON pointer and its text as
// dumpElided(value, 2) shows it.
std::string tooDeepValueReport(const std::string& pointer, const std::string& elidedText);

}  // namespace quelbrant
