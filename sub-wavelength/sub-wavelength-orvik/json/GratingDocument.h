#pragma once

// The first stage of loading a grating file: open it, parse it and check it
// against the embedded schema, before any key is read.

#include <filesystem>
#include <nlohmann/json.hpp>

namespace quelbrant {

// Reads the file into document (null on entry) and validates it. Every
// failure is thrown as the int index of its error-table entry, except that
// running out of memory leaves as std::bad_alloc, for the caller to report
// once. Arrays and objects nested more than MaxDocumentNesting levels deep
// are refused while parsing, so that no recursive walk (copy, dump) meets
// them. The caller owns document and takes it apart leaves first (see
// JsonTeardown.h), also when this throws.
void readGratingDocument(const std::filesystem::path& file, nlohmann::json& document);

}  // namespace quelbrant
