#pragma once

// Reading the data file. Only a regular file (links followed) is a grating
// file: a pipe would block the host's load until some other process wrote
// to it, and a device or a folder holds no document.

#include <cstdint>
#include <filesystem>
#include <streambuf>
#include <vector>

namespace quelbrant {

// The file's bytes as a stream buffer, read in chunks as the parser asks, so
// that the text is never held whole beside the document built from it.
// The constructor throws the error index of "Unable to open or access file"
// when the file is missing, unreadable or not a regular file (decided before
// anything could block). A read that the system fails part way throws the
// error index of "Unable to open or access file (reading it failed:
// <reason>)" out of the buffer, so it is never taken for the end of a
// document that merely ends early.
class RegularFileReader : public std::streambuf {
public:
    explicit RegularFileReader(const std::filesystem::path& file);
    ~RegularFileReader() override;
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

protected:
    int_type underflow() override;

private:
    std::intptr_t mFile;  // the Windows handle, elsewhere the descriptor
    std::vector<char> mChunk;
};

}  // namespace quelbrant
