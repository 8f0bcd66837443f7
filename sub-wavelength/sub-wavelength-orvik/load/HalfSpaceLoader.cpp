#include "load/HalfSpaceLoader.h"

#include <new>
#include <string>

#include "ErrorTable.h"
#include "GratingSurfaceAccess.h"
#include "json/JsonReaders.h"
#include "load/AxisPairReader.h"
#include "load/PositionData.h"
#include "load/RepeatedOrders.h"
#include "tables/TablePreparation.h"
#include "tables/ThetaPerWavelength.h"

namespace quelbrant {

using json = nlohmann::json;

namespace {

const char* sideName(int side)
{
    return side == 0 ? "grat_results_lower" : "grat_results_upper";
}

// Angle axes in the forms polar, unit vector, k vector, tried in that order;
// each failed form leaves a note.
GratingSurface::AngleDefinition readAngleGrid(const json& angle_definition, HalfSpace& hs)
{
    struct Form {
        const char* axis1;
        const char* axis2;
        GratingSurface::AngleDefinition definition;
        const char* note;
    };
    static const Form forms[] = {
        {"theta", "phi", GratingSurface::POLAR, "...cannot load theta/phi."},
        {"ux", "uy", GratingSurface::UNIT_VECTOR, "...cannot load ux/uy."},
        {"kx", "ky", GratingSurface::K_VECTOR, "...cannot load kx/ky."},
    };
    for (const Form& form : forms) {
        if (readAxisPair(angle_definition, form.axis1, form.axis2, hs.axis1, hs.axis2, form.note))
            return form.definition;
    }
    throw addErrorMessage(
        "The input angle definition is not correctly defined by either polar angles, unit vectors or "
        "in-plane k-vectors:\n",
        false);
}

// The light-simulation host's per-side options; anything unreadable leaves
// them false.
void readSpecularFlags(const json& grat_results, HalfSpace& hs)
{
    try {
        const json& orvik_specific = grat_results.at("orvik");
        hs.specularR = getbool("specular_R", orvik_specific, true, false);
        hs.specularT = getbool("specular_T", orvik_specific, true, false);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
    }
}

// Steps that read the file: order lists, tables, axes, flags. Returns the
// side's "f_conversion" (0 when absent).
double readHalfSpace(const json& root, int side, bool hostProgramMode, bool hasPositionData,
                     GratingSurface::AngleDefinition requiredAngleDef, HalfSpace& hs)
{
    double fConversion = 0.0;
    try {
        const json& grat_results = root.at(sideName(side));

        NdArrayInt loR;
        NdArrayInt loT;
        makeNdArrayInt(loR, grat_results.at("list_orders_R"));
        makeNdArrayInt(loT, grat_results.at("list_orders_T"));
        constructOrderVectors(loR, hs.ordersRn, hs.ordersRm);
        constructOrderVectors(loT, hs.ordersTn, hs.ordersTm);
        quelbrant::refuseRepeatedOrders(loR, std::string(sideName(side)) + "/list_orders_R");
        quelbrant::refuseRepeatedOrders(loT, std::string(sideName(side)) + "/list_orders_T");

        // The file tables are released as soon as their dense forms exist:
        // the peak is the document plus one file table and the dense ones.
        NdArrayComplex R;
        NdArrayComplex T;
        makeNdArrayComplex(R, grat_results.at("R"));
        makeNdArrayComplex(T, grat_results.at("T"));
        populateRTMatrices(R, hs.ordersRn, hs.ordersRm, loR, hs.R, hasPositionData);
        R = NdArrayComplex();
        populateRTMatrices(T, hs.ordersTn, hs.ordersTm, loT, hs.T, hasPositionData);
        T = NdArrayComplex();

        getdoublevector(hs.lambda, "wavelength", grat_results, false, {});
        hs.lossless = getbool("lossless", grat_results, true, false);

        const json& angle_definition = grat_results.at("angle_definition");
        hs.angleDef = readAngleGrid(angle_definition, hs);
        fConversion = getdouble("f_conversion", angle_definition, true, 0.0);
        if (fConversion > 0.0 && hs.angleDef != GratingSurface::POLAR) {
            throw addErrorMessage(
                "The frequency conversion flag to indicate that theta depends on frequency can only be used "
                "with a polar theta/phi grid. If theta does not depend on frequency, use a unit vector grid. "
                "If it does depend on frequency, use a k vector grid.",
                false);
        }
        // Both half spaces are interpolated and converted with one angle
        // definition; a side in other units would be read as if in these.
        if (requiredAngleDef != GratingSurface::A_NONE && hs.angleDef != requiredAngleDef) {
            throw addErrorMessage(
                "Schema validation failed: grat_results_lower and grat_results_upper must give their angles "
                "in the same form (both theta/phi, both ux/uy or both kx/ky).",
                false);
        }

        if (!hostProgramMode)
            readSpecularFlags(grat_results, hs);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const json::type_error& e) {
        throw addErrorMessage(std::string("Schema validation failed (R/T data), here is why:\n") + e.what(),
                              false);
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Schema validation failed: File is valid JSON but data did not "
                                          "pass the schema validation. Check file format:\n") +
                                  e.what(),
                              false);
    }
    return fConversion;
}

void validateTable(const NdArrayComplex& table, const HalfSpace& hs, const std::vector<int>& nn,
                   const std::vector<int>& nm, const quelbrant::PositionData* positions)
{
    validateDimensions(table,
                       quelbrant::denseTableAxes(hs.axis1, hs.axis2, hs.lambda, nn, nm, positions != nullptr),
                       positions);
}

}  // namespace

HalfSpace loadHalfSpace(const json& root, int side, bool hostProgramMode,
                        const quelbrant::PositionData* positions,
                        GratingSurface::AngleDefinition requiredAngleDef)
{
    const bool hasPositionData = positions != nullptr;
    HalfSpace hs;
    const double fConversion =
        readHalfSpace(root, side, hostProgramMode, hasPositionData, requiredAngleDef, hs);

    validateTable(hs.R, hs, hs.ordersRn, hs.ordersRm, positions);
    validateTable(hs.T, hs, hs.ordersTn, hs.ordersTm, positions);

    try {
        sortAngleAndWavelength(hs.R, hs.T, hs.axis1, hs.axis2, hs.lambda, hasPositionData);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw addErrorMessage(
            std::string("Sorting Angle, Wavelength, [XY/RAD_POL/PAR1PAR2] failed: ") + e.what(), false);
    }

    if (fConversion > 0.0) {
        // The reference wavelength comes from the first and last wavelength.
        if (hs.lambda.empty()) {
            throw addErrorMessage(std::string("The frequency conversion flag (f_conversion) of ") +
                                      sideName(side) +
                                      " needs at least one wavelength, but its wavelength list is empty.",
                                  false);
        }
        hs.theta = thetaPerWavelength(hs.axis1, hs.lambda);
    }
    return hs;
}

}  // namespace quelbrant
