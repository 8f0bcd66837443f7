#pragma once

// The JSON Schema (draft-07) that every grating characterisation file is
// checked against before any key is read. Its text is embedded in the
// library at build time from schema/grating-surface-schema.json.

#include <nlohmann/json.hpp>

// Documents nested deeper than this are refused before validation: nothing
// in the format nests beyond a handful of levels, and deeper values would
// exhaust the stack of the JSON library's recursive copy and dump.
constexpr size_t MaxDocumentNesting = 128;

// The embedded schema, parsed once while the library loads.
const nlohmann::json& gratingSchema();

// Returns when document satisfies the schema. Otherwise throws
// std::invalid_argument whose what() describes the first violation as
// "At " + JSON pointer of the offending value + " of " + that value as JSON
// text + " - " + the reason + "\n". Safe to call from several threads at
// once.
void validateAgainstGratingSchema(const nlohmann::json& document);
