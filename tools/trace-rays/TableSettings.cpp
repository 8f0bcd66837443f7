#include "TableSettings.h"

#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace {

using json = nlohmann::json;

const char* const BasisKey = "polarization_interpolation_basis";
const char* const ThetaKey = "polarization_interpolate_over_theta_ux_kx";
const char* const PhiKey = "polarization_interpolate_over_phi_uy_ky";
const char* const WavelengthKey = "polarization_interpolate_over_wavelength";

// The settings are values at the top level of the document: the tables
// below it are read past without being kept, so a large file costs no second
// copy. An object or array at the top level is kept empty.
struct TopLevelValues : nlohmann::json_sax<json> {
    json root = json::object();
    std::string lastKey;
    int depth = 0;

    bool keep(json value)
    {
        if (depth == 1)
            root[lastKey] = std::move(value);
        return true;
    }
    bool enter(json empty)
    {
        keep(std::move(empty));
        ++depth;
        return true;
    }
    bool leave()
    {
        --depth;
        return true;
    }
    bool null() override { return keep(nullptr); }
    bool boolean(bool value) override { return keep(value); }
    bool number_integer(number_integer_t value) override { return keep(value); }
    bool number_unsigned(number_unsigned_t value) override { return keep(value); }
    bool number_float(number_float_t value, const string_t&) override { return keep(value); }
    bool string(string_t& value) override { return keep(value); }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return enter(json::object()); }
    bool end_object() override { return leave(); }
    bool start_array(std::size_t) override { return enter(json::array()); }
    bool end_array() override { return leave(); }
    bool key(string_t& value) override
    {
        if (depth == 1)
            lastKey = value;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override
    {
        throw std::runtime_error(e.what());
    }
};

// The value the loader reads for key, or null where it takes the default:
// a JSON number, for a flag also true or false; any other value but an
// object gives the default. An object is read as a one-element matrix,
// which is not restated here: it leaves the settings unknown.
const json* settingOf(const json& root, const char* key, bool flag, std::string& unknownReason)
{
    const auto it = root.find(key);
    if (it == root.end() || !(it->is_number() || it->is_object() || (flag && it->is_boolean())))
        return nullptr;
    if (it->is_object()) {
        unknownReason = std::string(key) + " is a matrix object, which trace-rays does not read";
        return nullptr;
    }
    return &*it;
}

// getbool: true and false as they stand, a number by whether it is 0.
bool flagOf(const json& root, const char* key, TableSettings& settings)
{
    const json* value = settingOf(root, key, true, settings.switchesUnknownReason);
    if (value == nullptr)
        return true;
    return value->is_boolean() ? value->get<bool>() : value->get<double>() != 0.0;
}

}  // namespace

TableSettings readTableSettings(const std::string& pathUtf8)
{
    TableSettings settings;
    json root;
    try {
        // Read as the library reads it: one JSON value, any text after it
        // left unread.
        std::ifstream file(std::filesystem::u8path(pathUtf8), std::ios::binary);
        TopLevelValues values;
        json::sax_parse(file, &values, json::input_format_t::json, false);
        root = std::move(values.root);
    } catch (const std::exception& e) {
        settings.unknownReason = std::string("the file cannot be read again (") + e.what() + ")";
        return settings;
    }
    // getint: the number rounded, halves away from zero (the loader refuses
    // a file whose value is then not 1, 2 or 3).
    if (const json* basis = settingOf(root, BasisKey, false, settings.unknownReason))
        settings.interpolationBasis = static_cast<int>(std::round(basis->get<double>()));
    const bool theta = flagOf(root, ThetaKey, settings);
    const bool phi = flagOf(root, PhiKey, settings);
    settings.nearestAngleNodes = !theta || !phi;
    settings.nearestWavelengthNode = !flagOf(root, WavelengthKey, settings);
    return settings;
}

bool tablesHeldInXY(int interpolationBasis, const dirtyGratingWrapper& view)
{
    const bool polar = view.mAngleDef == 0;
    if (interpolationBasis == 3 || !polar)
        return true;
    if (interpolationBasis == 2)
        return false;
    for (const dirtyGratingWrapper::HalfSpace& side : view.mHalfSpaces) {
        if (side.mPhiOrUyOrKy.mSize > 1)
            return true;
        for (const auto* orders : {&side.m_list_orders_Rn, &side.m_list_orders_Rm, &side.m_list_orders_Tn,
                                   &side.m_list_orders_Tm}) {
            if (orders->mSize != 1 || orders->mData[0] != 0)
                return true;
        }
    }
    return false;
}
