#pragma once

// Locating the first violation of a valijson schema without collecting
// every error: a broken table of millions of numbers must not turn into
// millions of error records.

#include <nlohmann/json.hpp>
#include <string>
#include <valijson/schema.hpp>

namespace quelbrant {

struct SchemaViolation {
    std::string pointer;          // JSON pointer of the offending value
    const nlohmann::json* value;  // the offending value, inside the document
    std::string reason;           // valijson's description of the failure
};

// True when value satisfies schema. Stops at the first failing constraint.
bool satisfiesSchema(const valijson::Subschema& schema, const nlohmann::json& value);

// The first violation of schema by a document that does not satisfy it.
// The search descends through "properties", "items" and "allOf" to the
// member or item that fails; a failing "oneOf" or "anyOf" is reported as a
// whole at its own value (no single alternative is the one the author
// meant), as is every other constraint.
SchemaViolation findFirstViolation(const valijson::Subschema& schema, const nlohmann::json& document);

}  // namespace quelbrant
