// The built shared library as a host meets it: opened by path, exports found
// by name, errors crossing the module boundary. On Windows the DLL carries
// its own copy of the C++ runtime, so a thrown error index must still reach
// the host as an int.

#include <gtest/gtest.h>

#include <cstring>

#include "PluginLibrary.h"
#include "PluginTestSupport.h"
#include "Utf8Conversion.h"

using namespace quelbrant;

namespace {

TEST(PluginSharedLibrary, ExportsAnswerThroughTheModuleBoundary)
{
    PluginLibrary library(QUELBRANT_PLUGIN_LIBRARY);
    const PluginExports& plugin = library.exports();

    const wchar_t* type = nullptr;
    EXPECT_EQ(plugin.GetPluginType(type), 0);
    EXPECT_EQ(utf8FromWide(type), "BSDF");
    const wchar_t* guid = nullptr;
    EXPECT_EQ(plugin.GetPluginGUID(guid), 0);
    EXPECT_EQ(utf8FromWide(guid), "{39428265-4B1A-4701-B0AE-DC9F60D514FE}");
    EXPECT_EQ(library.errorText(0), "Success");
    EXPECT_EQ(plugin.Release(nullptr), 0);

    int sentinel = 0;
    void* instance = &sentinel;
    EXPECT_EQ(plugin.LoadFiles(nullptr, nullptr, instance), -1);
    const int failed = plugin.LoadFile(fixturePath("no-such-grating.json").c_str(), instance);
    EXPECT_GE(failed, 1);
    EXPECT_EQ(instance, &sentinel);
    EXPECT_NE(library.errorText(failed).find("Unable to open or access file"), std::string::npos);
}

TEST(PluginSharedLibrary, ErrorIndexThrownInsideReachesTheHostAsAnInt)
{
    PluginLibrary library(QUELBRANT_PLUGIN_LIBRARY);
    try {
        library.exports().Interaction_V2(nullptr);
        ADD_FAILURE() << "no error for a missing record";
    } catch (int index) {
        EXPECT_NE(library.errorText(index).find("Interaction_V2 needs a ray record"), std::string::npos);
    } catch (...) {
        ADD_FAILURE() << "the error left the library as something other than an int";
    }
}

TEST(PluginSharedLibrary, RaysThroughALoadedSurface)
{
    PluginLibrary library(QUELBRANT_PLUGIN_LIBRARY);
    const PluginExports& plugin = library.exports();
    void* instance = nullptr;
    ASSERT_EQ(plugin.LoadFile(fixturePath("plugin-straight-through.json").c_str(), instance), 0)
        << library.errorText(-1);

    double direction[3] = {0.6, 0.0, 0.8};
    BsdfPluginInteraction_V2 ray{};
    ray.instance = instance;
    ray.direction = direction;
    ray.lambda = 500.0;
    ray.energy = 1.0;
    ray.epr = 1.0;
    ray.n1 = ray.n2 = 1.0;
    EXPECT_EQ(plugin.Interaction_V2(&ray), 6);
    EXPECT_DOUBLE_EQ(direction[0], 0.6);
    EXPECT_DOUBLE_EQ(direction[2], 0.8);

    dirtyGratingWrapper view;
    std::memset(&view, 0, sizeof view);
    EXPECT_EQ(plugin.gpuWrapGratingSurface(view, instance), 0);
    EXPECT_EQ(view.mHalfSpaces[0].mT.mDims.mSize, 7u);
    EXPECT_EQ(plugin.Release(instance), 0);
}

}  // namespace
