#pragma once

// The surface parameters of the user-defined surface as the host's editor
// lists them, and the numbers the surface requests read.

#include <string>

namespace quelbrant {

namespace SurfaceParam {
constexpr int OrderX = 1;
constexpr int OrderY = 2;
constexpr int Rotate = 3;
constexpr int Log = 4;
constexpr int FlipYZ = 5;
constexpr int FlipXZ = 6;
constexpr int CheckIndex = 7;  // first of the four values handed to Interaction_V2
constexpr int FirstAsphere = 15;  // "A2"; "A4" to "A20" follow
constexpr int AsphereCount = 10;
}  // namespace SurfaceParam

// The name of parameter `number`; "" for the unused and unknown numbers.
std::string getSurfaceParamName(int number);

}  // namespace quelbrant
