#include "orvik-plugin-exports.h"

#include <memory>
#include <vector>

#include "ErrorTable.h"
#include "ExportGuards.h"
#include "GratingSurface.h"
#include "LiveSurfaces.h"

using namespace quelbrant;

namespace {

GratingSurface& surfaceOf(void* instance)
{
    return *static_cast<GratingSurface*>(instance);
}

}  // namespace

int GetPluginType(const wchar_t*& pluginType)
{
    pluginType = GratingSurface::PluginType.c_str();
    return 0;
}

int GetPluginGUID(const wchar_t*& pluginGuid)
{
    pluginGuid = GratingSurface::PluginGuid.c_str();
    return 0;
}

int GetPluginDescription(const wchar_t*& pluginDesc)
{
    pluginDesc = GratingSurface::PluginDescription.c_str();
    return 0;
}

int GetErrorDescription(const int error, const wchar_t*& description)
{
    try {
        description = errorDescription(error);
    } catch (...) {
        // Only a failing lock can end up here; the host still gets text.
        description = L"The error description could not be read.";
    }
    return 0;
}

int Interaction_V2(BsdfPluginInteraction_V2* ray)
{
    return throwOnlyErrorIndices("Interaction_V2 failed", [ray] {
        // A null here would crash the host; one test per ray is cheap.
        if (ray == nullptr || ray->instance == nullptr || ray->direction == nullptr)
            throw addErrorMessage("Interaction_V2 needs a ray record with a loaded surface and a direction.",
                                  false);
        // The host never asks for a specific order and passes no lens-design
        // parameters. Empty vectors do not allocate.
        const std::vector<int> anyOrder;
        const std::vector<double> noParameters;
        return surfaceOf(ray->instance).Interaction_V2(ray, anyOrder, true, true, noParameters);
    });
}

double BSDF_V2(BsdfPluginBSDF_V2* param)
{
    try {
        if (param == nullptr || param->instance == nullptr)
            return 0.0;
        return surfaceOf(param->instance).BSDF_V2(param);
    } catch (...) {
        return 0.0;
    }
}

int DataUpdate_V2(BsdfPluginData_V2* data)
{
    try {
        if (data == nullptr || data->instance == nullptr)
            return 0;
        return surfaceOf(data->instance).DataUpdate_V2(data);
    } catch (...) {
        return 0;
    }
}

int LoadFile(const wchar_t* filename, void*& instance)
{
    return loadInstance(filename, instance, [filename]() -> void* {
        if (filename == nullptr)
            throw addErrorMessage("No grating file name was given.", false);
        // Plain host mode: logging is configured from the environment, not here.
        auto surface = std::make_unique<GratingSurface>(filename, false, false, false);
        quelbrant::addLiveSurface(surface.get());
        return surface.release();
    });
}

int LoadFiles(const wchar_t* /*filename1*/, const wchar_t* /*filename2*/, void*& /*instance*/)
{
    return -1;
}

int Release(void* instance)
{
    // Hosts release whatever their slot holds, loaded or not: null stays a
    // quiet 0.
    if (instance == nullptr)
        return 0;
    try {
        // A second Release of one instance, or a pointer this library never
        // handed out, would free memory that is not a live surface.
        if (!quelbrant::removeLiveSurface(instance))
            return addErrorMessage(
                "Release was given an instance that is not a loaded surface (released before, or never "
                "returned by LoadFile); nothing was freed.",
                false);
        delete static_cast<GratingSurface*>(instance);
        return 0;
    } catch (...) {
        return registerCurrentException("Release failed");
    }
}
