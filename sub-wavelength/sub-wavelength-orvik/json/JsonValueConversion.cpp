#include "json/JsonValueConversion.h"

#include <cmath>
#include <limits>
#include <string>

#include "ErrorTable.h"

namespace quelbrant {

namespace {

using json = nlohmann::json;

[[noreturn]] void throwTypeError(const json& value, const char* expected)
{
    throw json::type_error::create(
        302, std::string("type must be ") + expected + ", but is " + value.type_name(), &value);
}

}  // namespace

double jsonNumberToDouble(const json& value)
{
    if (!value.is_number())
        throwTypeError(value, "number");
    return value.get<double>();
}

int jsonValueToInt(const json& value)
{
    constexpr int Lowest = std::numeric_limits<int>::min();
    constexpr int Highest = std::numeric_limits<int>::max();
    switch (value.type()) {
        case json::value_t::boolean:
            return value.get<bool>() ? 1 : 0;
        case json::value_t::number_integer: {
            const auto v = value.get<json::number_integer_t>();
            if (v >= Lowest && v <= Highest)
                return static_cast<int>(v);
            break;
        }
        case json::value_t::number_unsigned: {
            const auto v = value.get<json::number_unsigned_t>();
            if (v <= static_cast<json::number_unsigned_t>(Highest))
                return static_cast<int>(v);
            break;
        }
        case json::value_t::number_float: {
            // Truncation first: -0.9 and 2147483647.5 are still in range.
            const double v = std::trunc(value.get<double>());
            if (v >= Lowest && v <= Highest)
                return static_cast<int>(v);
            break;
        }
        default:
            throwTypeError(value, "number");
    }
    throw addErrorMessage("Integer matrix value " + value.dump() + " is out of the range of int.", false);
}

const json& jsonArrayMember(const json& object, const char* key)
{
    const json& member = object.at(key);
    if (!member.is_array())
        throwTypeError(member, "array");
    return member;
}

bool jsonNumberToExtent(const json& value, size_t& extent)
{
    switch (value.type()) {
        case json::value_t::number_integer: {
            const auto v = value.get<json::number_integer_t>();
            if (v < 0)
                return false;
            extent = static_cast<size_t>(v);
            return true;
        }
        case json::value_t::number_unsigned: {
            const auto v = value.get<json::number_unsigned_t>();
            if (v > std::numeric_limits<size_t>::max())
                return false;
            extent = static_cast<size_t>(v);
            return true;
        }
        case json::value_t::number_float: {
            // 2^64 is the first double beyond size_t on a 64-bit platform;
            // comparing against the halved limit keeps the test exact.
            const double v = value.get<double>();
            const double limit = 2.0 * static_cast<double>(std::numeric_limits<size_t>::max() / 2 + 1);
            if (!(v >= 0.0 && v < limit) || std::trunc(v) != v)
                return false;
            extent = static_cast<size_t>(v);
            return true;
        }
        default:
            throwTypeError(value, "number");
    }
}

}  // namespace quelbrant
