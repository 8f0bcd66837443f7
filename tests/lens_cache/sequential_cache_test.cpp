// The sequential cache's failed build: a data folder that cannot be found
// (the Documents lookup failing answers an empty root) fails the load
// without opening anything; the call fails with the records untouched, and
// so does the next one, which tries the load again.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "cache/CachedSequentialSurface.h"
#include "cache/SurfaceCache.h"
#include "user-surface/UserDefinedSurface.h"
#include "user-surface/UserSurfaceRecords.h"

namespace {

using namespace quelbrant;

std::wstring noDataRoot()
{
    return L"";
}

TEST(SequentialCache, EmptyDataRootFailsEveryLoadingRequestAndStoresNothing)
{
    const std::size_t entriesBefore = sequentialSurfaceCache().size();
#if !defined(_WIN32)
    // Off Windows a rootless path names a file in the working folder.
    const std::filesystem::path stray = "\\DLL\\Surfaces\\grating-1d.json";
    std::filesystem::copy_file(std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json", stray,
                               std::filesystem::copy_options::overwrite_existing);
#endif
    for (int type : {2, 3, 7}) {
        auto in = std::make_unique<UserSurfaceInput>();
        auto out = std::make_unique<UserSurfaceOutput>();
        std::memset(in.get(), 0, sizeof *in);
        std::memset(out.get(), 0, sizeof *out);
        in->type = type;
        std::strcpy(in->fileName, "grating-1d.json");
        in->param[15] = 2.5;
        const UserSurfaceInput inBefore = *in;
        const UserSurfaceOutput outBefore = *out;
        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_EQ(runUserDefinedSurface5(out.get(), in.get(), &noDataRoot), -1) << type;
            EXPECT_EQ(std::memcmp(in.get(), &inBefore, sizeof inBefore), 0) << type;
            EXPECT_EQ(std::memcmp(out.get(), &outBefore, sizeof outBefore), 0) << type;
        }
    }
    EXPECT_EQ(sequentialSurfaceCache().size(), entriesBefore);
#if !defined(_WIN32)
    std::filesystem::remove(stray);
#endif
}

}  // namespace
