#pragma once

// The plug-in library as the light-simulation host sees it: a shared library
// opened by path whose exports are found by name at run time.

#include <string>

#include "dirtyGratingWrapper.h"
#include "orvik-plugin_V2.h"

struct PluginExports {
    int (*GetPluginType)(const wchar_t*&) = nullptr;
    int (*GetPluginGUID)(const wchar_t*&) = nullptr;
    int (*GetPluginDescription)(const wchar_t*&) = nullptr;
    int (*GetErrorDescription)(const int, const wchar_t*&) = nullptr;
    int (*Interaction_V2)(BsdfPluginInteraction_V2*) = nullptr;
    double (*BSDF_V2)(BsdfPluginBSDF_V2*) = nullptr;
    int (*LoadFile)(const wchar_t*, void*&) = nullptr;
    int (*LoadFiles)(const wchar_t*, const wchar_t*, void*&) = nullptr;
    int (*DataUpdate_V2)(BsdfPluginData_V2*) = nullptr;
    int (*Release)(void*) = nullptr;
    int (*gpuWrapGratingSurface)(dirtyGratingWrapper&, void*) = nullptr;
};

class PluginLibrary {
public:
    // Opens the library and resolves every export; throws std::runtime_error
    // naming the library and what is missing.
    explicit PluginLibrary(const std::string& pathUtf8);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const PluginExports& exports() const { return mExports; }

    // The library's own text for an error index.
    std::string errorText(int errorIndex) const;

private:
    void* findExport(const char* name) const;
    void close();

    void* mHandle = nullptr;
    std::string mPath;
    PluginExports mExports;
};
