#include "load/RepeatedOrders.h"

#include <set>
#include <utility>

#include "ErrorTable.h"

namespace quelbrant {

void refuseRepeatedOrders(const NdArrayInt& list, const std::string& listName)
{
    const size_t rows = list.size() / 2;
    std::set<std::pair<int, int>> seen;
    for (size_t k = 0; k < rows; ++k) {
        const int n = list[k];
        const int m = list[rows + k];
        if (!seen.emplace(n, m).second)
            throw addErrorMessage("Schema Validation failed: " + listName + " lists the grating order (" +
                                      std::to_string(n) + ", " + std::to_string(m) + ") more than once.",
                                  false);
    }
}

}  // namespace quelbrant
