#pragma once

// The first stage of loading a grating file: open it, parse it and check it
// against the embedded schema, before any key is read.

#include <filesystem>
#include <nlohmann/json.hpp>

namespace quelbrant {

// The parsed and validated document. Every failure is thrown as the int index
// of its error-table entry. The parse itself holds any nesting depth; the
// schema check refuses documents nested too deeply for the recursive walks
// (copy, dump) that may follow.
nlohmann::json readGratingDocument(const std::filesystem::path& file);

}  // namespace quelbrant
