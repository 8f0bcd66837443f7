#pragma once

// Conversions of single JSON values shared by the readers of the data file.
// A value of the wrong JSON type raises the JSON library's own type_error,
// as the library's get<>() does, so that callers see one kind of failure.

#include <cstddef>
#include <nlohmann/json.hpp>

namespace quelbrant {

// A JSON integer or floating-point number; anything else (true and false
// included) is a type error.
double jsonNumberToDouble(const nlohmann::json& value);

// A number truncated toward zero, or true/false as 1/0. A number beyond the
// range of int is an error of its own (a thrown error-table index): it
// cannot be an order or an index-map entry.
int jsonValueToInt(const nlohmann::json& value);

// Member key of object, which must be an array.
const nlohmann::json& jsonArrayMember(const nlohmann::json& object, const char* key);

// A JSON number that is a whole number from 0 to SIZE_MAX gives true and
// its value in extent; any other number gives false. A value that is not a
// number is a type error.
bool jsonNumberToExtent(const nlohmann::json& value, size_t& extent);

}  // namespace quelbrant
