#include "load/RefractiveIndexCheck.h"

#include <cmath>
#include <sstream>

#include "ErrorTable.h"

namespace quelbrant {

void refuseImpossibleIndex(const char* key, double value)
{
    if (std::isfinite(value) && value > 0.0)
        return;
    std::ostringstream message;
    message << "Schema Validation failed: " << key << " is " << value
            << ", expected a refractive index: a finite number above 0.";
    throw addErrorMessage(message.str(), false);
}

}  // namespace quelbrant
