#include "NearestNodeTies.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>

#include "GratingSurface.h"
#include "GratingSurfaceAccess.h"
#include "MathConstants.h"
#include "interpolation/InterpolationSwitch.h"
#include "ray/InteractionParameters.h"

namespace quelbrant {

namespace {

using Access = GratingSurfaceAccess;

// The cosine of the midpoint of each pair of neighbouring nodes of the
// ascending column nodes[0], ..., nodes[count - 1] (degrees).
void addTieCosines(const double* nodes, std::size_t count, std::vector<double>& cosines)
{
    for (std::size_t i = 1; i < count; ++i) {
        const double midpoint = nodes[i] - (nodes[i] - nodes[i - 1]) / 2.0;
        cosines.push_back(std::cos(midpoint * Pi / 180.0));
    }
}

std::vector<double> loadTieCosines(const std::string& name)
{
    std::vector<double> cosines;
    const std::wstring path = (std::filesystem::path(QUELBRANT_DATA_DIR) / name).wstring();
    std::unique_ptr<GratingSurface> surface;
    try {
        surface = std::make_unique<GratingSurface>(path.c_str(), false, false, true);
    } catch (int) {
        return cosines;
    }
    if (Access::mAngleDef(*surface) != GratingSurface::POLAR)
        return cosines;
    for (int side = 0; side < 2; ++side) {
        const std::vector<double>& theta = Access::mThetaOrUxOrKx(*surface)[side];
        addTieCosines(theta.data(), theta.size(), cosines);
        const NdArrayReal& perWavelength = Access::mTheta(*surface)[side];
        if (perWavelength.m_size.size() != 2)
            continue;
        for (std::size_t column = 0; column < perWavelength.m_size[1]; ++column)
            addTieCosines(perWavelength.data() + column * perWavelength.m_size[0], perWavelength.m_size[0],
                          cosines);
    }
    return cosines;
}

}  // namespace

const std::vector<double>& thetaTieCosines(const std::string& name)
{
    static std::map<std::string, std::vector<double>> loaded;
    auto found = loaded.find(name);
    if (found == loaded.end())
        found = loaded.emplace(name, loadTieCosines(name)).first;
    return found->second;
}

bool asksNearestAngleNodes(double noInterpolation)
{
    return decodeInterpolationSwitch(interpolationSwitchFromHostValue(noInterpolation)).angles;
}

}  // namespace quelbrant
