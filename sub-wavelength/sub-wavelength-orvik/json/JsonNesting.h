#pragma once

// Guards against documents nested so deeply that recursive routines (the
// JSON library's copy and dump among them) would exhaust the stack.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

namespace quelbrant {

// Finds, without recursion, the first array or object (in document order)
// that sits inside more than maxDepth - 1 others, i.e. at nesting level
// maxDepth + 1 with the document itself at level 1. Returns it, and its
// JSON pointer in pointer, or null when the document is shallow enough.
const nlohmann::json* findValueNestedDeeperThan(const nlohmann::json& document, size_t maxDepth,
                                                std::string& pointer);

// Appends "/" and the JSON pointer form of one reference token (RFC 6901:
// "~" becomes "~0", "/" becomes "~1").
void appendPointerToken(std::string& pointer, const std::string& token);

// JSON text of value with every array or object below the first levels
// nesting levels replaced by the string "...".
std::string dumpElided(const nlohmann::json& value, size_t levels);

}  // namespace quelbrant
