#include "user-surface/SurfaceParamNames.h"

#include <array>

namespace quelbrant {

namespace {

// Numbers 0 to 24; 0 and 11 to 14 are unused.
const std::array<const char*, 25> surfaceParamNames = {
    "",           "Order X",     "Order Y",     "Rotate", "Log", "Flip YZ", "Flip XZ", "Check Index",
    "Par. Scan 1", "Par. Scan 2", "No Interpolation", "",   "",    "",        "",        "A2",
    "A4",         "A6",          "A8",          "A10",    "A12", "A14",     "A16",     "A18",
    "A20"};

}  // namespace

std::string getSurfaceParamName(int number)
{
    if (number < 0 || number >= static_cast<int>(surfaceParamNames.size()))
        return "";
    return surfaceParamNames[static_cast<std::size_t>(number)];
}

}  // namespace quelbrant
