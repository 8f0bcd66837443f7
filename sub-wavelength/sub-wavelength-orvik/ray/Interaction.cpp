// The ray members of GratingSurface: the boundary between the host's failure
// convention (a thrown int naming an error-table entry) and the engine.

#include <new>
#include <stdexcept>
#include <string>

#include "ErrorTable.h"
#include "GratingSurface.h"
#include "ray/InteractionEngine.h"

namespace quelbrant {

namespace {

// The error-table index of text. Registering the text can itself fail (no
// memory left); the host then reads the table's last entry (index -1).
int errorIndexFor(const std::string& text) noexcept
{
    try {
        return addErrorMessage(text, false);
    } catch (...) {
        return -1;
    }
}

}  // namespace

int GratingSurface::Interaction_V2(BsdfPluginInteraction_V2* ray, const std::vector<int>& order,
                                   bool includeReflection, bool includeTransmission,
                                   const std::vector<double>& params)
{
    // The host knows one failure convention: whatever else a table or the
    // allocator throws is turned into an error index.
    try {
        if (!ray || !ray->direction)
            throw addErrorMessage("Ray not traced (Interaction_V2): no ray record or no direction.", false);
        return traceRayOnSurface(*this, mInteractionTables.get(), *ray, order, includeReflection,
                                 includeTransmission, params);
    } catch (int) {
        throw;
    } catch (const std::bad_alloc&) {
        throw errorIndexFor("Ray not traced (Interaction_V2): out of memory.");
    } catch (const std::exception& e) {
        throw errorIndexFor(std::string("Ray not traced (Interaction_V2): internal error: ") + e.what());
    } catch (...) {
        throw errorIndexFor("Ray not traced (Interaction_V2): unknown internal error.");
    }
}

// The host's BSDF and data queries are not served by a grating surface.
double GratingSurface::BSDF_V2(BsdfPluginBSDF_V2* /*param*/)
{
    return 0.0;
}

int GratingSurface::DataUpdate_V2(BsdfPluginData_V2* /*data*/)
{
    return 0;
}

}  // namespace quelbrant
