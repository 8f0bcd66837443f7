#include "TableSettings.h"

#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

const char* const BasisKey = "polarization_interpolation_basis";
const char* const ThetaKey = "polarization_interpolate_over_theta_ux_kx";
const char* const PhiKey = "polarization_interpolate_over_phi_uy_ky";
const char* const WavelengthKey = "polarization_interpolate_over_wavelength";

// The loader reads a setting as a JSON number, a flag also as true or false,
// and falls back to the default for any other value except a one-element
// matrix object, whose reading is not restated here.
struct Setting {
    const json* value = nullptr;  // null: the default applies
    bool readable = true;
};

Setting settingOf(const json& root, const char* key, bool flag)
{
    const auto it = root.find(key);
    if (it == root.end() || !(it->is_number() || it->is_object() || (flag && it->is_boolean())))
        return {};
    return {&*it, !it->is_object()};
}

// getbool: true and false as they stand, a number by whether it is 0.
bool flagOf(const json& root, const char* key, TableSettings& settings)
{
    const Setting s = settingOf(root, key, true);
    if (!s.readable)
        settings.unknownReason = std::string(key) + " is a matrix object, which trace-rays does not read";
    if (s.value == nullptr || !s.readable)
        return true;
    return s.value->is_boolean() ? s.value->get<bool>() : s.value->get<double>() != 0.0;
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
        file >> root;
    } catch (const std::exception& e) {
        settings.unknownReason = std::string("the file cannot be read again (") + e.what() + ")";
        return settings;
    }
    // getint: the number rounded, halves away from zero (the loader refuses
    // a file whose value is then not 1, 2 or 3).
    const Setting basis = settingOf(root, BasisKey, false);
    if (!basis.readable)
        settings.unknownReason =
            std::string(BasisKey) + " is a matrix object, which trace-rays does not read";
    else if (basis.value != nullptr)
        settings.interpolationBasis = static_cast<int>(std::round(basis.value->get<double>()));
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
