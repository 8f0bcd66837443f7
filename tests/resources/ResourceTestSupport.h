#pragma once

// Grating documents and file handling shared by the resource tests.

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

namespace resourcetest {

using json = nlohmann::json;

// A complete small file: a 2 x 1 Cartesian position grid, per-position
// lattice vectors, orders -1, 0, +1 in R and T on a 2 x 2 polar grid with
// two wavelengths, data in S/P interpolated in X/Y (so the load converts
// every table).
json positionsDocument();

// A private folder below the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path write(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path mPath;
};

std::wstring wideName(const std::filesystem::path& path);

// Loads the file through LoadFile, as the light-simulation host does, and
// releases the surface at once; 0 on success, else LoadFile's error index.
int loadAndRelease(const std::wstring& file);

// Two bounded buffers keep a little of every load: the error table keeps
// notes (remarks on which form of a value was read) until it holds
// NoteLimit entries, and the logger keeps up to MaxLinesWithoutWriter lines
// while no writer runs (a load that converts bases always queues one).
// Filling both first leaves a load nothing to keep, so that any growth
// afterwards is memory the surface failed to release.
void fillBoundedBuffers();

// Resident set size of the process in bytes, or 0 where it cannot be read
// or says nothing about the library: under AddressSanitizer freed memory
// stays resident in its quarantine.
size_t residentBytes();

}  // namespace resourcetest
