#include "JsonReadersTesting.h"

#include <limits>

#include "ErrorTable.h"
#include "json/JsonReaders.h"

namespace quelbrant {

void getintvector(std::vector<int>& result, const std::string& name, const nlohmann::json& j)
{
    result.clear();
    bool allIntegers = true;
    try {
        std::vector<double> values;
        getdoublevector(values, name, j, false, {});
        for (double value : values) {
            // Range first: converting a double beyond int is undefined.
            const bool fits =
                value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
            if (!fits || static_cast<double>(static_cast<int>(value)) != value) {
                addNote("... not an integer.");
                allIntegers = false;
                break;
            }
            result.push_back(static_cast<int>(value));
        }
    } catch (...) {
        allIntegers = false;
    }
    if (!allIntegers)
        throw addErrorMessage(
            "Schema Validation failed for: " + name + ", int expected but non integer values found.", true);
}

}  // namespace quelbrant
