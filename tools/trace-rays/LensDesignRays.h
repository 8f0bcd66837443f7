#pragma once

// One ray through the lens-design host's entry points, the way that host
// calls them, for trace-rays' --entry modes (Windows build). Each takes the
// ray as trace-rays holds it (a BsdfPluginInteraction_V2 record with its
// direction, wavelength in nm, S/P field and indices), writes the outgoing
// direction back into it and answers like Interaction_V2: negative
// reflected, positive transmitted, 0 no ray. A failing entry point throws
// std::runtime_error.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ExpectedOrders.h"
#include "LensDesignHost.h"
#include "orvik-plugin_V2.h"

using RayFunction = std::function<int(BsdfPluginInteraction_V2&)>;

// UserDiffraction2D on the grating file's folder and name, in the surface's
// stochastic mode: the library chooses the order by power.
RayFunction diffraction2dRays(const LensDesignEntries& dll, const std::string& gratingPathUtf8);

// UserDefinedSurface5 request 5 (real ray, plane surface) for each listed
// order, reflected ones with "reflecting" and the mirrored space after the
// surface (whose direction is turned back here); the host then chooses one
// order by the power its field carries (a uniform draw per ray, seeded per
// thread from `seed`). The file is found by name in the host's data folder.
RayFunction userSurfaceRays(const LensDesignEntries& dll, const std::string& fileNameUtf8,
                            const std::vector<ExpectedOrder>& orders, std::uint64_t seed);

// Request 2 (load only): throws naming the data folder when the DLL cannot
// load the file.
void loadUserSurface(const LensDesignEntries& dll, const std::string& fileNameUtf8);

// Sets the host's data folder as a user does (HKCU\SOFTWARE\Taldo, value
// TaldoRoot) and copies the grating file into its DLL\Surfaces subfolder.
void installInDataRoot(const std::string& dataRootUtf8, const std::string& gratingPathUtf8);
