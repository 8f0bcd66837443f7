#include "ray/InteractionVerbose.h"

#include <sstream>
#include <string>

#include "logger.h"
#include "ray/InteractionNumerics.h"

namespace quelbrant {

namespace {

const char* trueFalse(bool value)
{
    return value ? "True" : "False";
}

std::string extentsText(const NdArrayComplex& table)
{
    std::ostringstream text;
    for (size_t extent : table.m_size)
        text << extent << ",";
    return text.str();
}

void logTable(const char* name, const NdArrayComplex& table)
{
    LogDebug(name, ".m_size.size() = ", table.m_size.size(), ": ", extentsText(table));
    std::ostringstream elements;
    for (const std::complex<double>& value : table)
        elements << value << ",";
    LogDebug(name, " = ", elements.str());
}

const char* positionDataLine(GratingSurface::PositionDefinition definition)
{
    switch (definition) {
        case GratingSurface::XY:
            return "Position data (pos_x, pos_y) are defined.";
        case GratingSurface::RAD_POL:
            return "Position data (pos_rad, pos_pol) are defined.";
        default:
            return "Position data (par_1, par_2) are defined.";
    }
}

}  // namespace

void logRayInputs(const RayInputsDump& ray)
{
    LogDebug("*** Ray Direction =, ", ray.side == 0 ? "from lower half space" : "from upper half space");
    LogDebug("n1 =, ", ray.n1);
    LogDebug("n2 =,", ray.n2);
    LogDebug("angle definition (0 for polar, 1 for unit vector, 2 for k vector) =,",
             static_cast<int>(ray.angleDefinition));
    LogDebug("thetaIn, uxIn, or kxIn =,", ray.angles.thetaOrUxOrKx);
    LogDebug("phiIn, uyIn, or kyIn =,", ray.angles.phiOrUyOrKy);
    LogDebug("lambda =,", ray.lambda);
    LogDebug("Interpolate in XY basis =,", ray.fieldInXY ? 1 : 0);
    LogDebug(ray.fieldInXY ? "EXin = " : "ESIn =,", ray.ESIn);
    LogDebug(ray.fieldInXY ? "EYin = " : "EPIn =,", ray.EPIn);
    LogDebug("includeReflection =,", trueFalse(ray.includeReflection));
    LogDebug("includeTransmission =,", trueFalse(ray.includeTransmission));
    LogDebug("ask_specific_order =,", trueFalse(ray.askSpecificOrder));
    LogDebug("mLossless =,", trueFalse(ray.lossless));
    LogDebug("lossless_specific_order =,", trueFalse(ray.losslessSpecificOrder));
    if (ray.askSpecificOrder)
        LogDebug("order =,", ray.orderN, ", ", ray.orderM);
    if (ray.withPosition) {
        LogDebug(positionDataLine(ray.positionDefinition));
        LogDebug("XOrRadOrPar1: ", ray.position.first);
        LogDebug("YOrPolOrPar2: ", ray.position.second);
    }
}

void logSurfaceTableDimensions(const NdArrayComplex (&R)[2], const NdArrayComplex (&T)[2])
{
    LogDebug("mR[0].size() = ", extentsText(R[0]));
    LogDebug("mR[1].size() = ", extentsText(R[1]));
    LogDebug("mT[0].size() = ", extentsText(T[0]));
    LogDebug("mT[1].size() = ", extentsText(T[1]));
}

void logInterpolatedTables(const NdArrayComplex& Rinterp, const NdArrayComplex& Tinterp)
{
    logTable("Rinterp", Rinterp);
    logTable("Tinterp", Tinterp);
}

void logSpecificOrderTables(int n, int m, bool withPosition, const std::vector<double>& k1gk2g,
                            const NdArrayComplex& Rinterp, const NdArrayComplex& Tinterp)
{
    LogDebug("=== Specific order applied (", n, ",", m, ") ===");
    if (withPosition) {
        LogDebug("k1 = ", k1gk2g[0], ",", k1gk2g[1]);
        LogDebug("k2 = ", k1gk2g[3], ",", k1gk2g[4]);
    }
    logTable("Rinterp", Rinterp);
    logTable("Tinterp", Tinterp);
}

void logFamilyPower(const char* label, const std::vector<double>& power)
{
    LogDebug(label, sum(power), ", power.size() = ", power.size());
}

void logRandomChoice(double totalPower, bool hostMode, double inPower, double maxRandom, bool lossless,
                     double rand, size_t entries)
{
    LogDebug("* total power=,", totalPower);
    if (hostMode)
        LogDebug("* inPower=,", inPower);
    LogDebug("* maxRandom=,", maxRandom);
    LogDebug("* lossless=,", trueFalse(lossless));
    LogDebug("* rand =,", rand);
    LogDebug("* Ux.size() =,", entries);
}

void logChosenField(const std::complex<double>& ES, const std::complex<double>& EP)
{
    LogDebug("ESOut =,", ES);
    LogDebug("EPOut =,", EP);
}

}  // namespace quelbrant
