#pragma once

// Where a nearest-node lookup on the theta axis ties. The engine reads a
// polar table at theta = acos(|incidence cosine|) in degrees, and in nearest
// mode a theta midway between two nodes takes the upper node: a ray a
// rounding either side of that midpoint reads another node of the table,
// which is the tie rule working, not a fault.

#include <string>
#include <vector>

namespace quelbrant {

// The incidence cosines, cos(midpoint), of every pair of neighbouring theta
// nodes of the sample `name` (both half spaces, and every wavelength's
// column of a file that converts theta per wavelength). Empty for a sample
// whose angle axes are not polar, or that does not load. Each sample is
// loaded once.
const std::vector<double>& thetaTieCosines(const std::string& name);

// True when the lens-design host's "No Interpolation" value asks for the
// nearest node on the angle axes (switch word 2, 3, 6 or 7).
bool asksNearestAngleNodes(double noInterpolation);

}  // namespace quelbrant
