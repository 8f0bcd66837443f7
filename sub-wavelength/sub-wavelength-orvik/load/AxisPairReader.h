#pragma once

// The data file gives a grid's two axes in one of several forms (theta/phi,
// ux/uy or kx/ky for the incidence; pos_x/pos_y, pos_rad/pos_pol or
// par_1/par_2 for positions), tried in a fixed order.

#include <nlohmann/json.hpp>
#include <vector>

namespace quelbrant {

// Reads the required lists name1 and name2 of block (getdoublevector) into
// axis1 and axis2. When either cannot be read: registers note and returns
// false, axis1 possibly already overwritten.
bool readAxisPair(const nlohmann::json& block, const char* name1, const char* name2,
                  std::vector<double>& axis1, std::vector<double>& axis2, const char* note);

}  // namespace quelbrant
