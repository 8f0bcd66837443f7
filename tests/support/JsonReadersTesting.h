#pragma once

// For tests only: a list of integers read through the library's typed
// getters; the library itself reads none this way.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace quelbrant {

// A required list read by getdoublevector whose values must all be integers
// that fit an int.
void getintvector(std::vector<int>& result, const std::string& name, const nlohmann::json& j);

}  // namespace quelbrant
