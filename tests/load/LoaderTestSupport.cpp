#include "LoaderTestSupport.h"

#include <algorithm>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace quelbrant {

namespace loadertest {

long TempDir::processId()
{
#if defined(_WIN32)
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

std::wstring wideName(const std::filesystem::path& path)
{
#if defined(_WIN32)
    return path.wstring();
#else
    // Decode the UTF-8 bytes into UTF-32 code points (the test's own paths
    // are valid UTF-8).
    const std::string& bytes = path.native();
    std::wstring out;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]) & 0x3F);
        out += static_cast<wchar_t>(c);
        i += static_cast<size_t>(length);
    }
    return out;
#endif
}

size_t errorTableSize()
{
    // Every index past the end answers with the last entry, and distinct
    // entries have distinct addresses: the first index whose entry is the
    // last one is size - 1.
    const wchar_t* last = errorDescription(-1);
    size_t low = 0;
    size_t high = 1;
    while (errorDescription(static_cast<int>(high)) != last)
        high *= 2;
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (errorDescription(static_cast<int>(mid)) == last)
            high = mid;
        else
            low = mid + 1;
    }
    return low + 1;
}

std::string errorText(int index)
{
    const std::wstring wide = errorDescription(index);
    std::string narrow;
    narrow.reserve(wide.size());
    for (wchar_t c : wide)
        narrow += static_cast<char>(c);
    return narrow;
}

std::vector<std::string> entriesFrom(size_t first)
{
    std::vector<std::string> entries;
    const size_t size = errorTableSize();
    for (size_t i = first; i < size; ++i)
        entries.push_back(errorText(static_cast<int>(i)));
    return entries;
}

bool LoadOutcome::hasNote(const std::string& text) const
{
    return std::find(entries.begin(), entries.end(), text) != entries.end();
}

LoadOutcome loadWide(const wchar_t* name, bool hostProgramMode, bool isLog, bool isVerboseLog)
{
    LoadOutcome outcome;
    const size_t first = errorTableSize();
    try {
        outcome.surface = std::make_unique<GratingSurface>(name, isLog, isVerboseLog, hostProgramMode);
    } catch (int index) {
        outcome.error = index;
        outcome.message = errorText(index);
    } catch (...) {
        outcome.threwSomethingElse = true;
    }
    outcome.entries = entriesFrom(first);
    return outcome;
}

LoadOutcome load(const std::filesystem::path& file, bool hostProgramMode, bool isLog, bool isVerboseLog)
{
    const std::wstring name = wideName(file);
    return loadWide(name.c_str(), hostProgramMode, isLog, isVerboseLog);
}

LoadOutcome loadDocument(const json& document, bool hostProgramMode)
{
    TempDir dir;
    return load(dir.write("grating.json", document), hostProgramMode);
}

}  // namespace loadertest

}  // namespace quelbrant
