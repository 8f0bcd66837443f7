#pragma once

// Surfaces loaded from files for the report and CMOS tests, and a scratch
// directory per test for the reports they write.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "ErrorTable.h"
#include "GratingSurface.h"
#include "GratingSurfaceAccess.h"
#include "json/DataFilePath.h"

namespace quelbrant {

namespace reporttest {

// Wide form of an ASCII path (the build's source and data directories).
inline std::wstring widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

inline std::string samplePath(const std::string& name)
{
    return std::string(QUELBRANT_DATA_DIR) + "/" + name;
}

inline std::string fixturePath(const std::string& name)
{
    return std::string(QUELBRANT_TEST_FILES_DIR) + "/report/" + name;
}

// The surface of a data file; a failed load fails the test with the
// error table's message.
inline std::unique_ptr<GratingSurface> loadSurface(const std::filesystem::path& path)
{
    try {
        return std::make_unique<GratingSurface>(path.wstring().c_str(), false, false, false);
    } catch (int error) {
        ADD_FAILURE() << "loading " << path.string() << " failed: " << utf8FromWide(errorDescription(error));
        return nullptr;
    }
}

// An empty directory of its own for the running test, removed afterwards.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        mPath = std::filesystem::temp_directory_path() /
                (std::string("quelbrant-report-") + test->test_suite_name() + "-" + test->name());
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return mPath; }
    // Wide name of a file in the directory, as a host would pass it.
    std::wstring wide(const std::string& asciiName) const
    {
        return mPath.wstring() + L"/" + widen(asciiName);
    }

private:
    std::filesystem::path mPath;
};

}  // namespace reporttest

}  // namespace quelbrant
