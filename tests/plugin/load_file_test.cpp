// LoadFile as the host uses it: an instance on success; on failure an error
// index with a message and the host's instance variable left alone.

#include <gtest/gtest.h>

#include "PluginTestSupport.h"

using namespace quelbrant;

// A file may ask for more memory than exists; the allocation must fail
// with an exception (as it does without the address sanitizer) rather than
// end the process.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {

// What LoadFile must give for a file that cannot become a surface.
void expectFailedLoad(const wchar_t* path, const std::wstring& expectedText, const char* what)
{
    int sentinel = 0;
    void* instance = &sentinel;
    const int index = LoadFile(path, instance);
    EXPECT_GE(index, 1) << what;
    EXPECT_EQ(instance, &sentinel) << what;
    const std::wstring text = errorText(index);
    EXPECT_FALSE(text.empty()) << what;
    EXPECT_NE(text, L"Success") << what;
    if (!expectedText.empty()) {
        EXPECT_TRUE(contains(text, expectedText)) << what << ": " << narrow(text);
    }
    // The failure is the newest message, which is what -1 names.
    EXPECT_EQ(errorText(-1), text) << what;
}

TEST(PluginLoadFile, LoadsAndReleasesASurface)
{
    void* instance = nullptr;
    ASSERT_EQ(LoadFile(fixturePath("plugin-straight-through.json").c_str(), instance), 0)
        << narrow(errorText(-1));
    EXPECT_NE(instance, nullptr);
    EXPECT_EQ(Release(instance), 0);
}

TEST(PluginLoadFile, ReleaseFreesOnlySurfacesTheLibraryHolds)
{
    const std::wstring file = fixturePath("plugin-straight-through.json");
    void* released = nullptr;
    void* live = nullptr;
    ASSERT_EQ(LoadFile(file.c_str(), released), 0) << narrow(errorText(-1));
    ASSERT_EQ(LoadFile(file.c_str(), live), 0) << narrow(errorText(-1));
    ASSERT_EQ(Release(released), 0);

    // Freeing any of these would abort the host (or, with the sanitizers,
    // this test): each must be refused and leave the live surface intact.
    int onTheStack = 0;
    const struct {
        const char* what;
        void* instance;
    } notHeld[] = {
        {"released before", released},
        {"never loaded", &onTheStack},
        {"inside a live surface", static_cast<char*>(live) + 8},
    };
    for (const auto& c : notHeld) {
        const int index = Release(c.instance);
        EXPECT_GE(index, 1) << c.what;
        EXPECT_EQ(narrow(errorText(index)),
                  "Release was given an instance that is not a loaded surface (released before, or never "
                  "returned by LoadFile); nothing was freed.")
            << c.what;
    }
    EXPECT_EQ(Release(nullptr), 0);
    EXPECT_EQ(Release(live), 0);
}

TEST(PluginLoadFile, MissingFileGivesItsErrorAndLeavesTheInstance)
{
    expectFailedLoad(fixturePath("no-such-grating.json").c_str(), L"Unable to open or access file",
                     "missing file");
}

TEST(PluginLoadFile, NoFileNameIsAnError)
{
    expectFailedLoad(nullptr, L"No grating file name was given.", "null name");
}

TEST(PluginLoadFile, UnconvertiblePathIsAnError)
{
    // A lone surrogate is no character at all; beyond U+10FFFF there are
    // none either (representable only where wchar_t has 32 bits).
    std::wstring lone = fixturePath("x") + L"\xD800.json";
    expectFailedLoad(lone.c_str(), L"", "lone surrogate");
    if (sizeof(wchar_t) == 4) {
        std::wstring beyond = fixturePath("x");
        beyond += static_cast<wchar_t>(0x110000);
        expectFailedLoad(beyond.c_str(), L"", "beyond U+10FFFF");
    }
}

TEST(PluginLoadFile, FileAskingForAbsurdMemoryIsAnError)
{
    // Its order lists span 2^30 x 2^20 orders: a dense table of 2^56 bytes.
    expectFailedLoad(fixturePath("plugin-absurd-order-range.json").c_str(), L"", "absurd order range");
}

TEST(PluginLoadFile, FailedLoadsLeaveTheNextLoadWorking)
{
    int sentinel = 0;
    void* instance = &sentinel;
    EXPECT_GE(LoadFile(fixturePath("no-such-grating.json").c_str(), instance), 1);
    LoadedSurface surface("plugin-straight-through.json");
    EXPECT_TRUE(surface.loaded()) << surface.failure();
}

}  // namespace
