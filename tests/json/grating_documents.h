#pragma once

// Small grating characterisation documents for the schema tests, and what
// the validation reports on a document.

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>

#include "json/GratingSchema.h"

namespace quelbrant {

namespace grating_documents {

using json = nlohmann::json;

// A matrix object; "_data" in flat order, first index fastest, real and
// imaginary part in turn when isComplex.
inline json matrix(bool isComplex, json size, json data)
{
    return {{"_type", "matrix"}, {"_complex", isComplex}, {"_size", size}, {"_data", data}};
}

inline json realMatrix(json size, json data)
{
    return matrix(false, std::move(size), std::move(data));
}

// An order list is a real matrix; the name says what a test means by it.
inline json orders(json size, json data)
{
    return realMatrix(std::move(size), std::move(data));
}

inline json cell(json data)
{
    return {{"_type", "cell"}, {"_data", data}};
}

// One half space: the (0, 0) order only, two polar angles, one phi, one
// wavelength; R and T hold [theta, phi, wavelength, order, PolOut, PolIn].
inline json halfSpace()
{
    json table = {{"_type", "matrix"}, {"_complex", true}, {"_size", {2, 1, 1, 1, 2, 2}}};
    table["_data"] = json::array();
    for (int k = 0; k < 16; ++k)
        table["_data"].push_back(k % 3 == 0 ? 0.5 : 0.0);
    return {{"R", table},
            {"T", table},
            {"list_orders_R", orders({1, 2}, {0, 0})},
            {"list_orders_T", orders({1, 2}, {0, 0})},
            {"wavelength", {5.5e-7}},
            {"angle_definition", {{"theta", {0, 30}}, {"phi", {0}}}}};
}

// The smallest document the schema accepts.
inline json minimalDocument()
{
    return {{"n_lower", 1.5},
            {"n_upper", 1.0},
            {"grat_results_lower", halfSpace()},
            {"grat_results_upper", halfSpace()}};
}

inline json indexMap()
{
    return realMatrix({1, 2}, {1, 2});
}

// what() of the validation, or "" when the document passes.
inline std::string validationMessage(const json& document)
{
    try {
        validateAgainstGratingSchema(document);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "";
}

}  // namespace grating_documents

}  // namespace quelbrant
