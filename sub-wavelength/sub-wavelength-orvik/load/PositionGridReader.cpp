#include "load/PositionGridReader.h"

#include <new>
#include <string>

#include "ErrorTable.h"
#include "json/JsonReaders.h"
#include "load/AxisPairReader.h"
#include "tables/TablePreparation.h"

namespace quelbrant {

using json = nlohmann::json;

namespace {

constexpr double DEG2RAD = 0.017453292519943295;

NdArrayInt readIndexMap(const json& block)
{
    NdArrayInt indexMap;
    try {
        makeNdArrayInt(indexMap, block.at("index_map"));
        if (indexMap.m_size.size() != 2)
            throw addErrorMessage("Schema validation failed. Number of dimension of index_map is not 2.:",
                                  false);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        // The JSON library's type errors and missing members alike; the
        // dimension count's own index passes through.
        throw addErrorMessage(std::string("Schema validation failed (index_map), here is why:\n") + e.what(),
                              false);
    }
    return indexMap;
}

}  // namespace

PositionGrid readPositionGrid(const json& block, bool hostProgramMode)
{
    PositionGrid grid;
    grid.indexMap = readIndexMap(block);

    if (readAxisPair(block, "pos_x", "pos_y", grid.axis1, grid.axis2, "...cannot load pox_x/pos_y.")) {
        grid.definition = GratingSurface::XY;
    } else if (readAxisPair(block, "pos_rad", "pos_pol", grid.axis1, grid.axis2,
                            "...cannot load pox_rad/pos_pol.")) {
        grid.definition = GratingSurface::RAD_POL;
        for (double& angle : grid.axis2)
            angle *= DEG2RAD;  // the file gives the polar angle in degrees
    } else if (readAxisPair(block, "par_1", "par_2", grid.axis1, grid.axis2, "...cannot load par_1/par_2.")) {
        grid.definition = GratingSurface::PAR_SCAN;
        if (!hostProgramMode) {
            throw addErrorMessage(
                "This JSON file uses paramter scan (par_1/par_2), which is not supported by Orvik.", false);
        }
    } else {
        throw addErrorMessage(
            "Schema validation failed: Cannot successfully load pox_x/pos_y, pos_rad/pos_pol, or par_1/par_2 "
            "data:\n",
            false);
    }

    if (!isMonotonicallyIncreasingOrEqual(grid.axis1) || !isMonotonicallyIncreasingOrEqual(grid.axis2)) {
        throw addErrorMessage(
            "Error: The vector pox_x/pos_y, pos_rad/pos_pol, or par_1/par_2 must be monotonically "
            "increasing.\n",
            false);
    }
    return grid;
}

}  // namespace quelbrant
