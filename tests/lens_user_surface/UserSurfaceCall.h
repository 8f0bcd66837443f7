#pragma once

// A stand-in for the lens-design host's calls of the user-defined surface:
// the two records filled as the host fills them, a data folder of the
// host's layout holding copies of the shipped samples, and the call.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "user-surface/UserDefinedSurface.h"
#include "user-surface/UserSurfaceRecords.h"

namespace quelbrant::testing {

// The data folder every call of this process resolves ("TaldoRoot").
inline std::wstring& dataRootValue()
{
    static std::wstring root;
    return root;
}

inline std::wstring dataRoot()
{
    return dataRootValue();
}

// A data folder of its own per test: root + "\DLL\Surfaces\" + name. On
// Windows those are folders; elsewhere the backslashes are part of one file
// name beside the root, which is the same string the library opens.
class DataFolder {
public:
    DataFolder()
    {
        static std::atomic<int> count{0};
        mBase = std::filesystem::temp_directory_path() /
                ("lens-user-surface-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" + std::to_string(count++));
        std::filesystem::create_directories(mBase / "root");
        dataRootValue() = (mBase / "root").wstring();
    }
    ~DataFolder()
    {
        std::error_code ignored;  // a log file may still be open in it
        std::filesystem::remove_all(mBase, ignored);
    }

    // Copies data/<sample> into the folder as `name`.
    void install(const std::string& sample, const std::string& name) const
    {
        const std::filesystem::path source = std::filesystem::path(QUELBRANT_DATA_DIR) / sample;
#if defined(_WIN32)
        const std::filesystem::path folder = mBase / "root" / "DLL" / "Surfaces";
        std::filesystem::create_directories(folder);
        const std::filesystem::path target = folder / name;
#else
        const std::filesystem::path target = mBase / ("root\\DLL\\Surfaces\\" + name);
#endif
        std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    }

private:
    std::filesystem::path mBase;
};

// The two records of one call, zeroed, with the file name and request set.
struct UserSurfaceCall {
    std::unique_ptr<UserSurfaceOutput> out = std::make_unique<UserSurfaceOutput>();
    std::unique_ptr<UserSurfaceInput> in = std::make_unique<UserSurfaceInput>();

    UserSurfaceCall(int type, const std::string& fileName)
    {
        std::memset(out.get(), 0, sizeof *out);
        std::memset(in.get(), 0, sizeof *in);
        in->type = type;
        std::strncpy(in->fileName, fileName.c_str(), sizeof in->fileName - 1);
    }

    int run() { return runUserDefinedSurface5(out.get(), in.get(), dataRoot); }

    // Byte copies, to show a failed call left both records as they were.
    bool recordsEqual(const UserSurfaceCall& other) const
    {
        return std::memcmp(out.get(), other.out.get(), sizeof *out) == 0 &&
               std::memcmp(in.get(), other.in.get(), sizeof *in) == 0;
    }
    UserSurfaceCall copy() const
    {
        UserSurfaceCall twin(0, "");
        std::memcpy(twin.out.get(), out.get(), sizeof *out);
        std::memcpy(twin.in.get(), in.get(), sizeof *in);
        return twin;
    }
};

}  // namespace quelbrant::testing
