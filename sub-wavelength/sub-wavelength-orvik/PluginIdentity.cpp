// The identity that the plug-in exports hand to the light-simulation host.
// The host keeps pointers to these characters, so the strings never change.

#include "GratingSurface.h"

namespace quelbrant {

const std::wstring GratingSurface::PluginType = L"BSDF";
const std::wstring GratingSurface::PluginGuid = L"{39428265-4B1A-4701-B0AE-DC9F60D514FE}";
const std::wstring GratingSurface::PluginDescription = L"Diffraction Grating Surface Plugin";

}  // namespace quelbrant
