#pragma once

// Helpers shared by the plug-in interface tests.

#include <gtest/gtest.h>

#include <string>

#include "ErrorTable.h"
#include "GratingSurface.h"
#include "orvik-plugin-exports.h"

namespace quelbrant {

// Wide path of a fixture in tests/files (ASCII paths only).
inline std::wstring fixturePath(const std::string& name)
{
    const std::string path = std::string(QUELBRANT_TEST_FILES_DIR) + "/" + name;
    return std::wstring(path.begin(), path.end());
}

inline std::wstring errorText(int index)
{
    const wchar_t* text = nullptr;
    GetErrorDescription(index, text);
    return text == nullptr ? std::wstring() : std::wstring(text);
}

// For failure messages: ASCII kept, anything else shown as '?'.
inline std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (c >= 0x20 && c < 0x7F) || c == L'\n' ? static_cast<char>(c) : '?';
    return out;
}

inline bool contains(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

// A surface loaded through the export, released at the end of the scope.
class LoadedSurface {
public:
    explicit LoadedSurface(const std::string& fixture)
    {
        mResult = LoadFile(fixturePath(fixture).c_str(), mInstance);
    }
    ~LoadedSurface() { Release(mInstance); }
    LoadedSurface(const LoadedSurface&) = delete;
    LoadedSurface& operator=(const LoadedSurface&) = delete;

    // For ASSERT_TRUE(surface.loaded()) << surface.failure();
    bool loaded() const { return mResult == 0 && mInstance != nullptr; }
    std::string failure() const
    {
        return "LoadFile returned " + std::to_string(mResult) + ": " + narrow(errorText(mResult));
    }
    void* instance() const { return mInstance; }

private:
    void* mInstance = nullptr;
    int mResult = -1;
};

}  // namespace quelbrant
