#pragma once

#include <optional>
#include <string>

namespace quelbrant {

// Narrow text of the same length made by keeping the low 8 bits of every wide
// unit (a UTF-16 unit on Windows): no character conversion, so ASCII passes
// unchanged and anything else is mangled.
std::string keepLowBytes(const std::wstring& text);

#if defined(_WIN32)
// The wide name a name in the active code page stands for, as the system
// opens it; nothing when the code page cannot read it.
std::optional<std::wstring> wideFromActiveCodePage(const std::string& narrow);
#endif

}  // namespace quelbrant
