// The constructor of GratingSurface: loads one grating characterisation file,
// checks it, prepares the dense tables and brings them into the polarisation
// basis they are interpolated in. Every failure leaves as a thrown int, the
// index of its message in the error table.

#include <exception>
#include <filesystem>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ErrorTable.h"
#include "GratingSurface.h"
#include "json/DataFilePath.h"
#include "json/GratingDocument.h"
#include "json/JsonReaders.h"
#include "json/JsonTeardown.h"
#include "load/HalfSpaceLoader.h"
#include "load/LatticeVectorReader.h"
#include "load/PolarisationBasisChoice.h"
#include "load/PositionData.h"
#include "load/PositionGridReader.h"
#include "load/RefractiveIndexCheck.h"
#include "logger.h"
#include "tables/BasisConversion.h"

namespace quelbrant {

using json = nlohmann::json;

namespace {

// The data file's folder. A name without one is in the working folder, and
// one with only a drive ("C:g.json") in that drive's: the folder alone ("",
// "C:") would put the log at the root.
std::string logFolderOf(const std::filesystem::path& fs)
{
    const std::filesystem::path folder = fs.parent_path();
    const bool namesNoFolder = folder.relative_path().empty() && !folder.has_root_directory();
    return narrowPathText(folder) + (namesNoFolder ? "." : "");
}

// Host-program mode takes all log settings from its caller (the last load
// wins); otherwise the data file's folder only stands in for a log folder
// that nobody has chosen.
void configureLog(GratingSurface& surface, const std::filesystem::path& fs, bool isLog, bool isVerboseLog,
                  bool hostProgramMode)
{
    if (hostProgramMode) {
        surface.setLogPath(logFolderOf(fs)).enableLog(isLog).setVerboseLog(isVerboseLog);
        getLogger().setLineCount(99999);
    } else if (!getLogger().isLogPathDefined()) {
        surface.setLogPath(logFolderOf(fs));
    }
    if (getLogger().isVerbose())
        LogDebug("Loading for json file: ", narrowPathText(fs));
}

std::filesystem::path openablePath(const wchar_t* filename)
{
    try {
        return dataFilePath(filename);
    } catch (const std::range_error& e) {
        throw addErrorMessage(std::string("Unable to open or access file (") + e.what() + ")", false);
    }
}

}  // namespace

GratingSurface::GratingSurface(const wchar_t* filename, bool isLog, bool isVerboseLog, bool taldocall)
{
    isCallByTaldo = taldocall;
    try {
        const std::filesystem::path fs = openablePath(filename);
        configureLog(*this, fs, isLog, isVerboseLog, isCallByTaldo);
        json j;
        const quelbrant::TakeApartAtScopeEnd teardown(j);
        readGratingDocument(fs, j);

        // Position grid: tables then carry a leading position dimension.
        // The position data stay here until the tables are checked and
        // converted against them.
        mXyVarOrParScan = j.contains("spatial_variation_or_parameter_scan");
        LogDebug(mXyVarOrParScan ? "Has position/parm scan data." : "Has no position/parm scan data.");
        std::optional<quelbrant::PositionData> positions;
        if (mXyVarOrParScan) {
            positions.emplace();
            positions->grid = readPositionGrid(j.at("spatial_variation_or_parameter_scan"), isCallByTaldo);
            mPositionDef = positions->grid.definition;
        }

        try {
            mNLower = getdouble("n_lower", j, false, 0.0);
            mNUpper = getdouble("n_upper", j, false, 0.0);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
            throw addErrorMessage("Schema validation failed when loading n_lower and n_upper.", false);
        }
        quelbrant::refuseImpossibleIndex("n_lower", mNLower);
        quelbrant::refuseImpossibleIndex("n_upper", mNUpper);

        if (positions) {
            positions->lattice = readLatticeVectorsPerPosition(j);
        } else {
            const LatticeVectors k = readLatticeVectors(j);
            mK1Gx = k.k1x;
            mK1Gy = k.k1y;
            mK2Gx = k.k2x;
            mK2Gy = k.k2y;
            mK1GNorm = k.k1Norm;
            mK2GNorm = k.k2Norm;
        }

        // The light-simulation host's option; never read in host-program mode.
        mUseSurfaceNormalToDetermineDirection = false;
        try {
            const json& orvik_specific = j.at("orvik");
            if (!isCallByTaldo) {
                mUseSurfaceNormalToDetermineDirection =
                    getbool("detect_ray_direction_from_surface_normal", orvik_specific, true, false);
            }
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
        }

        HalfSpace halves[2];
        for (int side = 0; side < 2; ++side)
            halves[side] = loadHalfSpace(j, side, isCallByTaldo, positions ? &*positions : nullptr,
                                         side == 0 ? A_NONE : halves[0].angleDef);
        const PolarisationBasisSettings bases = readPolarisationBasisSettings(j);
        mInterpInXY = interpolateInXY(bases.interpFlag, halves);
        for (int side = 0; side < 2; ++side) {
            HalfSpace& hs = halves[side];
            m_list_orders_Rn[side] = std::move(hs.ordersRn);
            m_list_orders_Rm[side] = std::move(hs.ordersRm);
            m_list_orders_Tn[side] = std::move(hs.ordersTn);
            m_list_orders_Tm[side] = std::move(hs.ordersTm);
            mR[side] = std::move(hs.R);
            mT[side] = std::move(hs.T);
            mThetaOrUxOrKx[side] = std::move(hs.axis1);
            mPhiOrUyOrKy[side] = std::move(hs.axis2);
            mLambda[side] = std::move(hs.lambda);
            mTheta[side] = std::move(hs.theta);
            mAngleDef = hs.angleDef;
            mLossless[side] = hs.lossless;
            mSpecularR[side] = hs.specularR;
            mSpecularT[side] = hs.specularT;
        }

        const bool mustConvert =
            (mInterpInXY && bases.dataBasis == 1) || (!mInterpInXY && bases.dataBasis == 2);
        if (mustConvert) {
            const bool convertSPtoXY = mInterpInXY;
            getLogger().log("converting data, convertSPtoXY = ", convertSPtoXY);
            // One lattice entry without position data, one per position with it.
            LatticeVectorsPerPosition single;
            if (!positions) {
                single.k1x = {mK1Gx};
                single.k1y = {mK1Gy};
                single.k2x = {mK2Gx};
                single.k2y = {mK2Gy};
            }
            const LatticeVectorsPerPosition& lattice = positions ? positions->lattice : single;
            // Light from below (side 0) travels towards +z: its reflected
            // orders leave downwards, its transmitted ones upwards; side 1
            // mirrors that.
            struct Conversion {
                NdArrayComplex& table;
                int side;
                const std::vector<int>& nn;
                const std::vector<int>& nm;
                quelbrant::ConversionGeometry geometry;
            };
            const auto geometry = [&](double indexIn, double indexOut, bool fromUpper, double signOut) {
                return quelbrant::ConversionGeometry{mAngleDef, indexIn, indexOut, fromUpper, signOut};
            };
            const Conversion conversions[] = {
                {mR[0], 0, m_list_orders_Rn[0], m_list_orders_Rm[0], geometry(mNLower, mNLower, false, -1.0)},
                {mT[0], 0, m_list_orders_Tn[0], m_list_orders_Tm[0], geometry(mNLower, mNUpper, false, +1.0)},
                {mR[1], 1, m_list_orders_Rn[1], m_list_orders_Rm[1], geometry(mNUpper, mNUpper, true, +1.0)},
                {mT[1], 1, m_list_orders_Tn[1], m_list_orders_Tm[1], geometry(mNUpper, mNLower, true, -1.0)},
            };
            // A side with "f_conversion" holds each wavelength's data at the
            // angles of its theta-per-wavelength table (empty otherwise).
            for (const Conversion& c : conversions) {
                const quelbrant::DenseTableAxes axes =
                    quelbrant::denseTableAxes(mThetaOrUxOrKx[c.side], mPhiOrUyOrKy[c.side], mLambda[c.side],
                                              c.nn, c.nm, mXyVarOrParScan);
                convertRTBetweenBases(c.table, axes, lattice, c.geometry, convertSPtoXY, &mTheta[c.side]);
            }
        }
        if (positions) {
            mIndexMap = std::move(positions->grid.indexMap);
            mXOrRadOrPar1 = std::move(positions->grid.axis1);
            mYOrPolOrPar2 = std::move(positions->grid.axis2);
            mK1Gxv2 = std::move(positions->lattice.k1x);
            mK1Gyv2 = std::move(positions->lattice.k1y);
            mK2Gxv2 = std::move(positions->lattice.k2x);
            mK2Gyv2 = std::move(positions->lattice.k2y);
            mK1GNormv2 = std::move(positions->lattice.k1Norm);
            mK2GNormv2 = std::move(positions->lattice.k2Norm);
        }

        mInterpThetaUxKx = getbool("polarization_interpolate_over_theta_ux_kx", j, true, true);
        mInterpPhiUyKy = getbool("polarization_interpolate_over_phi_uy_ky", j, true, true);
        mInterpWavelength = getbool("polarization_interpolate_over_wavelength", j, true, true);
        mInterpPosition = getbool("polarization_interpolate_over_spatial_parameter", j, true, true);
    } catch (int) {
        throw;
    } catch (const std::bad_alloc&) {
        // The document is gone by now (taken apart leaves first, which needs
        // no memory), so the message most likely finds room; if not, the
        // export reports the bad_alloc itself.
        throw addErrorMessage("Loading the grating data file failed: out of memory", false);
    } catch (const std::exception& e) {
        // Whatever the steps above do not report themselves (allocation
        // failure, a log file that cannot be opened, an inconsistency caught
        // by bounds checking) still reaches the host as an error index.
        throw addErrorMessage(std::string("Loading the grating data file failed: ") + e.what(), false);
    } catch (...) {
        throw addErrorMessage("Loading the grating data file failed: unknown exception", false);
    }
    // The ray path's working copy of the finished tables, made once the
    // parsed document is gone (it never throws).
    rebuildInteractionTables();
}

}  // namespace quelbrant
