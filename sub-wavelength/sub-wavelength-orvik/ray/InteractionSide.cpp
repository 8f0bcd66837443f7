#include "ray/InteractionSide.h"

#include <cmath>
#include <sstream>

namespace quelbrant {

namespace {

constexpr double IndexTolerance = 1e-6;

bool differ(double a, double b)
{
    return std::fabs(a - b) > IndexTolerance;
}

}  // namespace

size_t halfSpaceFromDirection(double dirZ)
{
    return dirZ > 0 ? 0 : 1;
}

size_t halfSpaceFromIndices(double nLower, double nUpper, double n1, double n2, size_t sideByDirection)
{
    if (nLower == nUpper || n1 == n2)
        return sideByDirection;
    const double fromBelow = (nLower - n1) * (nLower - n1) + (nUpper - n2) * (nUpper - n2);
    const double fromAbove = (nUpper - n1) * (nUpper - n1) + (nLower - n2) * (nLower - n2);
    if (fromBelow == fromAbove)
        return sideByDirection;
    return fromAbove > fromBelow ? 0 : 1;
}

bool indicesMatchSurface(double nLower, double nUpper, double n1, double n2, double dirZ)
{
    if (dirZ > 0)
        return !differ(nLower, n1) && !differ(nUpper, n2);
    if (dirZ < 0)
        return !differ(nLower, n2) && !differ(nUpper, n1);
    return true;
}

std::string indexMismatchMessage(double nLower, double nUpper, double n1, double n2, double dirZ)
{
    const double rayLower = dirZ > 0 ? n1 : n2;
    const double rayUpper = dirZ > 0 ? n2 : n1;
    std::ostringstream text;
    text << "Index not match and stop tracing."
         << "In JSON: " << nLower << " at -z and " << nUpper << " at +z."
         << "In Taldo setting: " << rayLower << " at -z and " << rayUpper << " at +z.";
    return text.str();
}

}  // namespace quelbrant
