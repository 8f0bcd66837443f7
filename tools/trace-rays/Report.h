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

OutcomeReport reportOutcomes(const RayTally& tally, const ExpectedOutcome& expected, double sigmas);
