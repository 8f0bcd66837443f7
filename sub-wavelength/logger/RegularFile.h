#pragma once

// The test the library's file reader and writer both put an opened file to
// before they use it: only a regular file (links followed) is read or
// written. A pipe would block the host, a device or a folder holds no file.

#include <cstdint>

namespace quelbrant {

// file: the Windows handle, elsewhere the descriptor. False for a pipe, a
// device or a folder, and when the system cannot tell.
bool isRegularFile(std::intptr_t file);

}  // namespace quelbrant
