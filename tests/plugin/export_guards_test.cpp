// What the exports do with exceptions: the host understands only error
// indices, so everything else must arrive as one, with a message.

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <system_error>

#include "ExportGuards.h"
#include "PluginTestSupport.h"

using namespace quelbrant;

namespace {

struct NotAStandardException {};

struct Failure {
    const char* name;
    std::function<void()> raise;
    const wchar_t* reason;  // expected in the registered message
};

// Failures the library's C++ can raise besides an error index: memory
// exhausted by an absurd file, a path that cannot be converted, a log file
// that cannot be written, a table index out of range, anything else.
std::vector<Failure> failures()
{
    return {
        {"allocation", [] { throw std::bad_alloc(); }, L"out of memory"},
        {"conversion", [] { throw std::range_error("wstring_convert::to_bytes"); },
         L"wstring_convert::to_bytes"},
        {"logging",
         [] { throw std::system_error(std::make_error_code(std::errc::permission_denied), "log file"); },
         L"log file"},
        {"table index", [] { throw std::out_of_range("vector::_M_range_check"); }, L"vector::_M_range_check"},
        {"unknown type", [] { throw NotAStandardException(); }, L"unknown exception"}};
}

TEST(PluginLoadGuard, SuccessStoresTheInstance)
{
    int surface = 0;
    void* instance = nullptr;
    EXPECT_EQ(loadInstance(L"a.json", instance, [&]() -> void* { return &surface; }), 0);
    EXPECT_EQ(instance, &surface);
}

TEST(PluginLoadGuard, ErrorIndexIsReturnedAsItIs)
{
    int sentinel = 0;
    void* instance = &sentinel;
    const size_t tableSize = errorTableSize();
    EXPECT_EQ(loadInstance(L"a.json", instance, []() -> void* { throw 42; }), 42);
    EXPECT_EQ(instance, &sentinel);
    EXPECT_EQ(errorTableSize(), tableSize);
}

TEST(PluginLoadGuard, EveryOtherExceptionBecomesAnErrorIndexWithAMessage)
{
    for (const Failure& failure : failures()) {
        int sentinel = 0;
        void* instance = &sentinel;
        const int index = loadInstance(L"/data/gratings/sample.json", instance, [&]() -> void* {
            failure.raise();
            return nullptr;
        });
        ASSERT_GE(index, 1) << failure.name;
        EXPECT_EQ(index, static_cast<int>(errorTableSize()) - 1) << failure.name;
        EXPECT_EQ(instance, &sentinel) << failure.name;
        const std::wstring text = errorText(index);
        EXPECT_TRUE(contains(text, L"Cannot load the grating file \"/data/gratings/sample.json\": "))
            << failure.name;
        EXPECT_TRUE(contains(text, failure.reason)) << failure.name;
    }
}

TEST(PluginInteractionGuard, ResultPassesThrough)
{
    EXPECT_EQ(throwOnlyErrorIndices("test", [] { return -6; }), -6);
}

TEST(PluginInteractionGuard, ErrorIndexPassesThroughUnchanged)
{
    const size_t tableSize = errorTableSize();
    try {
        throwOnlyErrorIndices("test", []() -> int { throw 17; });
        ADD_FAILURE() << "nothing thrown";
    } catch (int index) {
        EXPECT_EQ(index, 17);
    }
    EXPECT_EQ(errorTableSize(), tableSize);
}

TEST(PluginInteractionGuard, EveryOtherExceptionIsThrownOnAsAnErrorIndex)
{
    for (const Failure& failure : failures()) {
        try {
            throwOnlyErrorIndices("Interaction_V2 failed", [&]() -> int {
                failure.raise();
                return 0;
            });
            ADD_FAILURE() << failure.name << ": nothing thrown";
        } catch (int index) {
            ASSERT_GE(index, 1) << failure.name;
            const std::wstring text = errorText(index);
            EXPECT_EQ(text.rfind(L"Interaction_V2 failed: ", 0), 0u) << failure.name;
            EXPECT_TRUE(contains(text, failure.reason)) << failure.name;
        } catch (...) {
            ADD_FAILURE() << failure.name << ": escaped as something other than an error index";
        }
    }
}

TEST(PluginPathForMessages, KeepsPrintableAsciiAndTheTailOfLongPaths)
{
    EXPECT_EQ(printablePath(L"C:\\data\\g.json"), "C:\\data\\g.json");
    EXPECT_EQ(printablePath(L"/d/gr\u00e4ting\u4e2d.json"), "/d/gr?ting?.json");
    EXPECT_EQ(printablePath(L"tab\there"), "tab?here");
    EXPECT_EQ(printablePath(nullptr), "(no name)");

    const std::wstring longPath = L"/" + std::wstring(300, L'd') + L"/sample.json";
    const std::string shown = printablePath(longPath.c_str());
    EXPECT_EQ(shown.size(), 103u);
    EXPECT_EQ(shown.substr(0, 3), "...");
    EXPECT_EQ(shown.substr(shown.size() - 12), "/sample.json");
}

TEST(PluginPathForMessages, MessageWithALongPathKeepsItsReason)
{
    const std::wstring longPath = L"/" + std::wstring(300, L'd') + L"/sample.json";
    int sentinel = 0;
    void* instance = &sentinel;
    const int index =
        loadInstance(longPath.c_str(), instance, []() -> void* { throw std::runtime_error("disk on fire"); });
    EXPECT_TRUE(contains(errorText(index), L"disk on fire"));
}

}  // namespace
