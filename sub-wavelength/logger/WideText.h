#pragma once

#include <string>

namespace quelbrant {

// Narrow text of the same length made by keeping the low 8 bits of every wide
// unit (a UTF-16 unit on Windows): no character conversion, so ASCII passes
// unchanged and anything else is mangled.
std::string keepLowBytes(const std::wstring& text);

}  // namespace quelbrant
