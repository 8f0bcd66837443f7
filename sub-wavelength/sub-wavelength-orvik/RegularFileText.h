#pragma once

// Reading the data file. Only a regular file (links followed) is a grating
// file: a pipe would block the host's load until some other process wrote
// to it, and a device or a folder holds no document.

#include <filesystem>
#include <string>

namespace quelbrant {

// The whole content of `file`, byte for byte. Throws the error index of
// "Unable to open or access file" when it is missing, unreadable or not a
// regular file (decided before anything could block), and of "Unable to open
// or access file (reading it failed: <reason>)" when the system fails a read
// part way. Throws std::bad_alloc when the text does not fit in memory.
std::string readRegularFile(const std::filesystem::path& file);

}  // namespace quelbrant
