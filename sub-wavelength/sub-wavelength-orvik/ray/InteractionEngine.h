#pragma once

// The per-ray engine behind GratingSurface::Interaction_V2.

#include <vector>

#include "GratingSurface.h"
#include "HostRecords.h"

namespace quelbrant {

struct InteractionTables;

// Traces one incident ray on surface: decides the half space it comes from,
// locates it in the surface's data, interpolates the tables there (through
// the working tables when given and usable), builds the propagating orders
// and writes one of them (or a Fresnel-refracted ray where the data have no
// answer) into the record. Returns the host's result code (see
// InteractionOrderChoice.h). The record is written only together with a
// non-zero result. Failures leave as a thrown int (error-table index), or as
// whatever the layers below throw.
int traceRayOnSurface(const GratingSurface& surface, const InteractionTables* tables,
                      BsdfPluginInteraction_V2& record, const std::vector<int>& order, bool includeReflection,
                      bool includeTransmission, const std::vector<double>& params);

}  // namespace quelbrant
