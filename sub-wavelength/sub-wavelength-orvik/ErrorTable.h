#pragma once

#include <cstddef>
#include <string>

// Longest message, in bytes, that enters the error table whole.
extern const size_t MessageMaxLength;

// Logs err (debug level when debuglog is true), appends it to
// GratingSurface::ErrorDescriptions and returns the new entry's index. Every
// failure in the library leaves as `throw addErrorMessage(...)`.
int addErrorMessage(const std::string& err, bool debuglog);

// The table entry for index, or the last entry for an index out of range.
// The pointer stays valid until the library is unloaded.
const wchar_t* errorDescription(int index);
