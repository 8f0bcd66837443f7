// The host-facing identity, the error-description look-up and the exports
// that answer with fixed values.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "ErrorTable.h"
#include "PluginTestSupport.h"

using namespace quelbrant;

namespace {

TEST(PluginIdentity, StringsAreTheRegisteredIdentity)
{
    struct Case {
        int (*get)(const wchar_t*&);
        const wchar_t* expected;
    };
    const Case cases[] = {{GetPluginType, L"BSDF"},
                          {GetPluginGUID, L"{39428265-4B1A-4701-B0AE-DC9F60D514FE}"},
                          {GetPluginDescription, L"Diffraction Grating Surface Plugin"}};
    for (const Case& c : cases) {
        const wchar_t* first = nullptr;
        const wchar_t* second = nullptr;
        EXPECT_EQ(c.get(first), 0);
        EXPECT_EQ(c.get(second), 0);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(std::wstring(first), c.expected);
        // The host keeps the pointer; it must not change between calls.
        EXPECT_EQ(first, second);
    }
    const wchar_t* guid = nullptr;
    GetPluginGUID(guid);
    EXPECT_EQ(std::wcslen(guid), 38u);
}

TEST(PluginErrorDescription, EntryZeroIsSuccess)
{
    const wchar_t* text = nullptr;
    EXPECT_EQ(GetErrorDescription(0, text), 0);
    EXPECT_EQ(std::wstring(text), L"Success");
}

TEST(PluginErrorDescription, IndexOutsideTheTableNamesTheNewestEntry)
{
    const int older = addErrorMessage("plug-in test: older message", false);
    const int newest = addErrorMessage("plug-in test: newest message", false);
    ASSERT_EQ(newest, older + 1);
    const int size = static_cast<int>(errorTableSize());
    ASSERT_EQ(newest, size - 1);

    struct Case {
        int index;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {older, L"plug-in test: older message"},     {newest, L"plug-in test: newest message"},
        {-1, L"plug-in test: newest message"},       {size, L"plug-in test: newest message"},
        {size + 1, L"plug-in test: newest message"}, {INT_MAX, L"plug-in test: newest message"},
        {INT_MIN, L"plug-in test: newest message"}};
    for (const Case& c : cases) {
        const wchar_t* text = nullptr;
        EXPECT_EQ(GetErrorDescription(c.index, text), 0) << c.index;
        ASSERT_NE(text, nullptr) << c.index;
        EXPECT_EQ(std::wstring(text), c.expected) << c.index;
    }
}

TEST(PluginErrorDescription, TextStaysValidWhileTheTableGrows)
{
    // Short enough to live inside a string object rather than on the heap:
    // the pointer must survive the table reallocating its entries.
    const int index = addErrorMessage("ab", false);
    const wchar_t* text = nullptr;
    GetErrorDescription(index, text);
    for (int i = 0; i < 2000; ++i)
        addErrorMessage("plug-in test: filler", true);
    EXPECT_EQ(std::wstring(text), L"ab");
}

TEST(PluginLoadFiles, ReturnsMinusOneAndTouchesNothing)
{
    int sentinel = 0;
    const std::wstring name = fixturePath("plugin-straight-through.json");
    const wchar_t* names[][2] = {{nullptr, nullptr}, {name.c_str(), name.c_str()}, {L"", L"missing.json"}};
    for (const auto& pair : names) {
        void* instance = &sentinel;
        const size_t tableSize = errorTableSize();
        EXPECT_EQ(LoadFiles(pair[0], pair[1], instance), -1);
        EXPECT_EQ(instance, &sentinel);
        EXPECT_EQ(errorTableSize(), tableSize);
    }
}

TEST(PluginRelease, NullInstanceIsAccepted)
{
    EXPECT_EQ(Release(nullptr), 0);
}

TEST(PluginInertExports, RecordWithoutInstanceIsLeftAsItWas)
{
    BsdfPluginBSDF_V2 query;
    std::memset(&query, 0x5A, sizeof query);
    query.instance = nullptr;
    BsdfPluginBSDF_V2 queryBefore = query;
    EXPECT_EQ(BSDF_V2(&query), 0.0);
    EXPECT_EQ(std::memcmp(&query, &queryBefore, sizeof query), 0);
    EXPECT_EQ(BSDF_V2(nullptr), 0.0);

    BsdfPluginData_V2 data;
    std::memset(&data, 0x5A, sizeof data);
    data.instance = nullptr;
    BsdfPluginData_V2 dataBefore = data;
    EXPECT_EQ(DataUpdate_V2(&data), 0);
    EXPECT_EQ(std::memcmp(&data, &dataBefore, sizeof data), 0);
    EXPECT_EQ(DataUpdate_V2(nullptr), 0);
}

TEST(PluginInteraction, RecordWithoutSurfaceOrDirectionThrowsAnErrorIndex)
{
    double direction[3] = {0.0, 0.0, 1.0};
    int notASurface = 0;
    BsdfPluginInteraction_V2 noInstance{};
    noInstance.direction = direction;
    BsdfPluginInteraction_V2 noDirection{};
    noDirection.instance = &notASurface;  // never dereferenced: the direction check comes first
    BsdfPluginInteraction_V2* records[] = {nullptr, &noInstance, &noDirection};
    for (BsdfPluginInteraction_V2* record : records) {
        BsdfPluginInteraction_V2 before{};
        if (record != nullptr)
            before = *record;
        try {
            Interaction_V2(record);
            ADD_FAILURE() << "no error for an incomplete record";
        } catch (int index) {
            EXPECT_GE(index, 1);
            EXPECT_TRUE(contains(errorText(index), L"Interaction_V2 needs a ray record")) << index;
        }
        if (record != nullptr) {
            EXPECT_EQ(std::memcmp(record, &before, sizeof before), 0);
        }
    }
    EXPECT_EQ(direction[2], 1.0);
}

}  // namespace
