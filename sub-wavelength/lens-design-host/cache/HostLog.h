#pragma once

// How the lens-design adapters abandon a host call: the wide text is logged
// (each UTF-16 unit keeps its low byte) and -1 is returned for the caller to
// throw as an int. The entry points catch it and answer -1.

#include <string>

namespace quelbrant {

// Debug level: written while verbose output is on.
int logHostFailureDebug(const std::wstring& text);
// Normal level: written while logging is enabled.
int logHostFailure(const std::wstring& text);

}  // namespace quelbrant
