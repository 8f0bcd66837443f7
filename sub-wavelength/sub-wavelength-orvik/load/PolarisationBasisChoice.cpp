#include "load/PolarisationBasisChoice.h"

#include <vector>

#include "ErrorTable.h"
#include "GratingSurfaceAccess.h"
#include "json/JsonReaders.h"

namespace quelbrant {

using json = nlohmann::json;

namespace {

bool onlyZerothOrder(const std::vector<int>& orders)
{
    return orders.size() == 1 && orders.front() == 0;
}

// Automatic choice: S/P suits only a single plane of incidence with the
// specular order alone.
bool automaticChoiceIsXY(const HalfSpace (&sides)[2])
{
    if (sides[1].angleDef != GratingSurface::POLAR)
        return true;
    for (const HalfSpace& side : sides) {
        if (side.axis2.size() > 1)
            return true;
    }
    for (const HalfSpace& side : sides) {
        for (const auto* orders : {&side.ordersRn, &side.ordersRm, &side.ordersTn, &side.ordersTm}) {
            if (!onlyZerothOrder(*orders))
                return true;
        }
    }
    return false;
}

}  // namespace

PolarisationBasisSettings readPolarisationBasisSettings(const nlohmann::json& root)
{
    PolarisationBasisSettings settings;
    settings.dataBasis = getint("polarization_data_basis", root, true, 1);
    if (settings.dataBasis <= 0 || settings.dataBasis > 2)
        throw addErrorMessage("Polarization data basis for R and T must be 1 for SP, or 2 for XY", false);
    settings.interpFlag = getint("polarization_interpolation_basis", root, true, 2);
    if (settings.interpFlag <= 0 || settings.interpFlag > 3) {
        throw addErrorMessage(
            "Polarizatin interpolation basis for R and T must be 1, 2 or 3 for Auto, SP and XY", false);
    }
    return settings;
}

bool interpolateInXY(int interpFlag, const HalfSpace (&sides)[2])
{
    // Both sides share one angle definition; the surface keeps the last.
    const GratingSurface::AngleDefinition angleDef = sides[1].angleDef;
    switch (interpFlag) {
        case 3:
            return true;
        case 2:
            if (angleDef == GratingSurface::POLAR)
                return false;
            addNote(
                "...Interpolation cannot be SP when angular data is provided with ux, uy or kx and ky. "
                "Interpolation is being forced to XY");
            return true;
        default:
            return automaticChoiceIsXY(sides);
    }
}

}  // namespace quelbrant
