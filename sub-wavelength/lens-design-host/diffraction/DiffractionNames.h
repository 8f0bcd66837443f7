#pragma once

// Names of the diffraction entry's file field and parameters, for the
// host's editor, and the path of its grating file.

#include <optional>
#include <string>

namespace quelbrant {

// 0 "*.json" always; 1 to 7 the parameter names when namesEnabled; "" else.
std::string getDiffractionParamName(int number, bool namesEnabled);

// folder + one backslash + file name, each up to its first NUL or its full
// length (265 and 65 UTF-16 units). Nothing when the folder is empty ("\" +
// name would open the name at the drive's root), nor off Windows when either
// is not valid UTF-16 (no file name there holds a lone surrogate).
std::optional<std::wstring> getDiffractionFilePath(const double* block);

// The host's parameter-name call: the number in data[0] (a signed byte), the
// name written into data as 100 bytes, NUL-padded: 0; -1, nothing written,
// when either pointer is null.
int runUserParamNames2D(char* data, const double* block);

}  // namespace quelbrant
