#include "PluginLibrary.h"

#include <stdexcept>

#include "Utf8Conversion.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)
std::string lastSystemError()
{
    return "Windows error " + std::to_string(GetLastError());
}
#endif

template <typename Function>
void resolve(Function*& slot, void* address)
{
    // Function pointers and object pointers share a representation on every
    // platform that loads shared libraries by name.
    slot = reinterpret_cast<Function*>(address);
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& pathUtf8) : mPath(pathUtf8)
{
#if defined(_WIN32)
    mHandle = LoadLibraryW(wideFromUtf8(pathUtf8).c_str());
    if (mHandle == nullptr)
        throw std::runtime_error("cannot load the plug-in library " + pathUtf8 + " (" + lastSystemError() +
                                 ")");
#else
    mHandle = dlopen(pathUtf8.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (mHandle == nullptr)
        throw std::runtime_error("cannot load the plug-in library: " + std::string(dlerror()));
#endif
    try {
        resolve(mExports.GetPluginType, findExport("GetPluginType"));
        resolve(mExports.GetPluginGUID, findExport("GetPluginGUID"));
        resolve(mExports.GetPluginDescription, findExport("GetPluginDescription"));
        resolve(mExports.GetErrorDescription, findExport("GetErrorDescription"));
        resolve(mExports.Interaction_V2, findExport("Interaction_V2"));
        resolve(mExports.BSDF_V2, findExport("BSDF_V2"));
        resolve(mExports.LoadFile, findExport("LoadFile"));
        resolve(mExports.LoadFiles, findExport("LoadFiles"));
        resolve(mExports.DataUpdate_V2, findExport("DataUpdate_V2"));
        resolve(mExports.Release, findExport("Release"));
        resolve(mExports.gpuWrapGratingSurface, findExport("gpuWrapGratingSurface"));
    } catch (...) {
        close();
        throw;
    }
}

// A host unloads its plug-ins when it shuts down; doing the same here runs
// the library's static destructors while the process still lives.
PluginLibrary::~PluginLibrary()
{
    close();
}

void PluginLibrary::close()
{
    if (mHandle == nullptr)
        return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(mHandle));
#else
    dlclose(mHandle);
#endif
    mHandle = nullptr;
}

void* PluginLibrary::findExport(const char* name) const
{
#if defined(_WIN32)
    void* address = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(mHandle), name));
#else
    void* address = dlsym(mHandle, name);
#endif
    if (address == nullptr)
        throw std::runtime_error(mPath + " does not export " + name);
    return address;
}

std::string PluginLibrary::errorText(int errorIndex) const
{
    const wchar_t* text = nullptr;
    mExports.GetErrorDescription(errorIndex, text);
    return utf8FromWide(text);
}
