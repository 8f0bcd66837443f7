#pragma once

// The table trace-rays prints: one row per outcome the library produced or
// the tables predict.

#include <string>
#include <vector>

#include "ExpectedOrders.h"
#include "RayTally.h"

struct OutcomeReport {
    std::string table;
    // Rows the expectation does not explain: rays where no order is expected,
    // or a share further than the given number of standard errors from it.
    std::vector<std::string> disagreements;
};

// orderCodes: the codes are the library's own (Interaction_V2); false for
// the lens-design host's entry points, whose rays show only their side.
OutcomeReport reportOutcomes(const RayTally& tally, const ExpectedOutcome& expected, double sigmas,
                             bool orderCodes);
