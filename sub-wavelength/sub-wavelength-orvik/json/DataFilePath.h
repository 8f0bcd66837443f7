#pragma once

// The data file's name as the loader receives it (a wide string from the
// host) and the forms it needs: the path it opens and the narrow text it
// hands to the logger.

#include <filesystem>
#include <string>
#include <string_view>

namespace quelbrant {

// UTF-8 form of a wide string: UTF-32 where wchar_t is 32 bits wide, UTF-16
// where it is 16 bits wide. Throws std::range_error for a value that is no
// Unicode scalar value (a surrogate half, an unpaired surrogate, anything
// above U+10FFFF or negative); the message names the position.
std::string utf8FromWide(std::wstring_view wide);

// The path the loader opens. Windows: built from the wide name unchanged, so
// the file is opened by its wide name. Elsewhere: built from the UTF-8 form.
// A null name gives an empty path, which no file matches.
std::filesystem::path dataFilePath(const wchar_t* filename);

// Narrow text of a path for the log (directory and debug line). Linux: the
// UTF-8 bytes as they are. Windows: the active code page, where it reads back
// as the same wide name; otherwise ASCII is kept and every other character
// becomes '?', so that the text opens no file at all rather than another one.
std::string narrowPathText(const std::filesystem::path& path);

}  // namespace quelbrant
