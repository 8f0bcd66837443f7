// The typed getters. Each failed attempt is noted in the error table (the
// notes say, in verbose logs, which forms a key was tried in); only the
// final failure of a required member is thrown.

#include <cmath>
#include <limits>
#include <new>

#include "ErrorTable.h"
#include "json/JsonReaders.h"
#include "json/JsonValueConversion.h"

namespace quelbrant {

using json = nlohmann::json;

namespace {

// Member name of j, or null when j is no object or lacks the member.
const json* findMember(const json& j, const std::string& name)
{
    if (!j.is_object())
        return nullptr;
    const auto it = j.find(name);
    return it == j.end() ? nullptr : &*it;
}

[[noreturn]] void throwNotOptional(const std::string& name)
{
    throw addErrorMessage("Fail to load " + name + " and it's not optional.", true);
}

// {"_type": "cell", "_data": [numbers]}; an empty list is a valid cell.
bool readCell(std::vector<double>& result, const json* member)
{
    try {
        if (member == nullptr || !member->is_object())
            return false;
        const json& type = member->at("_type");
        if (!type.is_string() || type.get_ref<const std::string&>() != "cell") {
            addNote("...type is not cell.");
            return false;
        }
        for (const json& entry : jsonArrayMember(*member, "_data"))
            result.push_back(jsonNumberToDouble(entry));
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        result.clear();
        return false;
    }
}

// A real matrix with at least one element, in flat order.
bool readRealMatrix(std::vector<double>& result, const json* member)
{
    try {
        if (member == nullptr)
            return false;
        NdArrayReal matrix;
        makeNdArrayReal(matrix, *member);
        if (matrix.empty()) {
            addNote("...size is zero.");
            return false;
        }
        result.assign(matrix.begin(), matrix.end());
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        return false;
    }
}

// The values of an array, or of an object's members in key order; null is
// an empty list. Every value must be a number.
bool readNumericArray(std::vector<double>& result, const json* member)
{
    try {
        if (member == nullptr || !(member->is_array() || member->is_object() || member->is_null()))
            return false;
        for (const json& entry : *member)
            result.push_back(jsonNumberToDouble(entry));
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        result.clear();
        return false;
    }
}

}  // namespace

double getdouble(const std::string& name, const json& j, bool optional, double defaultValue)
{
    const json* member = findMember(j, name);
    if (member != nullptr && member->is_number())
        return member->get<double>();
    addNote("Cannot load " + name + " as a single number.");
    try {
        if (member != nullptr) {
            NdArrayReal matrix;
            makeNdArrayReal(matrix, *member);
            if (matrix.size() == 1)
                return matrix[0];
            if (optional)
                return defaultValue;
            addNote("... size is not 1.");
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
    }
    addNote("Failed to load " + name + ": detected a real matrix with size > 1.");
    if (optional)
        return defaultValue;
    throwNotOptional(name);
}

bool getbool(const std::string& name, const json& j, bool optional, bool defaultValue)
{
    // JSON true and false are read as they stand: the schema admits them
    // for every flag, and "lossless": true must not load as lossy.
    const json* member = findMember(j, name);
    if (member != nullptr && member->is_boolean())
        return member->get<bool>();
    return getdouble(name, j, optional, defaultValue ? 1.0 : 0.0) != 0.0;
}

int getint(const std::string& name, const json& j, bool optional, int defaultValue)
{
    const double rounded = std::round(getdouble(name, j, optional, defaultValue));
    if (!(rounded > std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (rounded >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(rounded);
}

void getdoublevector(std::vector<double>& result, const std::string& name, const json& j, bool optional,
                     const std::vector<double>& defaultValue)
{
    result.clear();
    const json* member = findMember(j, name);
    if (member != nullptr && member->is_number()) {
        result.push_back(member->get<double>());
        return;
    }
    addNote("Cannot load " + name + " as a single number.");
    if (readCell(result, member))
        return;
    addNote("Cannot load " + name + " as a cell.");
    if (readRealMatrix(result, member))
        return;
    addNote("Cannot load " + name + " as a matrix.");
    if (readNumericArray(result, member))
        return;
    addNote("Cannot load " + name + " as a numeric array.");
    if (!optional)
        throwNotOptional(name);
    result = defaultValue;
}

}  // namespace quelbrant
