// The constructor of GratingSurface: loads one grating characterisation file,
// checks it, prepares the dense tables and brings them into the polarisation
// basis they are interpolated in. Every failure leaves as a thrown int, the
// index of its message in the error table.

#include <exception>
#include <filesystem>
#include <new>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "BasisConversion.h"
#include "DataFilePath.h"
#include "ErrorTable.h"
#include "GratingDocument.h"
#include "HalfSpaceLoader.h"
#include "JsonReaders.h"
#include "JsonTeardown.h"
#include "LatticeVectorReader.h"
#include "PolarisationBasisChoice.h"
#include "PositionGridReader.h"
#include "RefractiveIndexCheck.h"
#include "logger.h"
#include "sub-wavelength-orvik.h"

using json = nlohmann::json;

namespace {

// Host-program mode takes all log settings from its caller (the last load
// wins); otherwise the data file's folder only stands in for a log folder
// that nobody has chosen.
void configureLog(GratingSurface& surface, const std::filesystem::path& fs, bool isLog, bool isVerboseLog,
                  bool hostProgramMode)
{
    if (hostProgramMode) {
        surface.setLogPath(narrowPathText(fs.parent_path())).enableLog(isLog).setVerboseLog(isVerboseLog);
        getLogger().setLineCount(99999);
    } else if (!getLogger().isLogPathDefined()) {
        surface.setLogPath(narrowPathText(fs.parent_path()));
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
        mXyVarOrParScan = j.contains("spatial_variation_or_parameter_scan");
        LogDebug(mXyVarOrParScan ? "Has position/parm scan data." : "Has no position/parm scan data.");
        if (mXyVarOrParScan) {
            PositionGrid grid = readPositionGrid(j.at("spatial_variation_or_parameter_scan"), isCallByTaldo);
            mIndexMap = std::move(grid.indexMap);
            mXOrRadOrPar1 = std::move(grid.axis1);
            mYOrPolOrPar2 = std::move(grid.axis2);
            mPositionDef = grid.definition;
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

        if (mXyVarOrParScan) {
            LatticeVectorsPerPosition k = readLatticeVectorsPerPosition(j);
            mK1Gxv2 = std::move(k.k1x);
            mK1Gyv2 = std::move(k.k1y);
            mK2Gxv2 = std::move(k.k2x);
            mK2Gyv2 = std::move(k.k2y);
            mK1GNormv2 = std::move(k.k1Norm);
            mK2GNormv2 = std::move(k.k2Norm);
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

        for (int side = 0; side < 2; ++side) {
            HalfSpace hs = loadHalfSpace(j, side, *this, side == 0 ? A_NONE : mAngleDef);
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

        const PolarisationBasisSettings bases = readPolarisationBasisSettings(j);
        mInterpInXY = interpolateInXY(bases.interpFlag, *this);

        const bool mustConvert =
            (mInterpInXY && bases.dataBasis == 1) || (!mInterpInXY && bases.dataBasis == 2);
        if (mustConvert) {
            const bool convertSPtoXY = mInterpInXY;
            getLogger().log("converting data, convertSPtoXY = ", convertSPtoXY);
            // One lattice entry without position data, one per position with it.
            const std::vector<double> k1xSingle{mK1Gx}, k1ySingle{mK1Gy}, k2xSingle{mK2Gx}, k2ySingle{mK2Gy};
            const std::vector<double>& k1x = mXyVarOrParScan ? mK1Gxv2 : k1xSingle;
            const std::vector<double>& k1y = mXyVarOrParScan ? mK1Gyv2 : k1ySingle;
            const std::vector<double>& k2x = mXyVarOrParScan ? mK2Gxv2 : k2xSingle;
            const std::vector<double>& k2y = mXyVarOrParScan ? mK2Gyv2 : k2ySingle;
            // Light from below (side 0) travels towards +z: its reflected
            // orders leave downwards, its transmitted ones upwards; side 1
            // mirrors that.
            struct Conversion {
                NdArrayComplex& table;
                int side;
                const std::vector<int>& nn;
                const std::vector<int>& nm;
                double indexIn;
                double indexOut;
                bool incidentFromUpper;
                double signOfOutputUz;
            };
            const Conversion conversions[] = {
                {mR[0], 0, m_list_orders_Rn[0], m_list_orders_Rm[0], mNLower, mNLower, false, -1.0},
                {mT[0], 0, m_list_orders_Tn[0], m_list_orders_Tm[0], mNLower, mNUpper, false, +1.0},
                {mR[1], 1, m_list_orders_Rn[1], m_list_orders_Rm[1], mNUpper, mNUpper, true, +1.0},
                {mT[1], 1, m_list_orders_Tn[1], m_list_orders_Tm[1], mNUpper, mNLower, true, -1.0},
            };
            // A side with "f_conversion" holds each wavelength's data at the
            // angles of its theta-per-wavelength table (empty otherwise).
            for (const Conversion& c : conversions) {
                convertRTBetweenBases(c.table, mThetaOrUxOrKx[c.side], mPhiOrUyOrKy[c.side], mLambda[c.side],
                                      c.nn, c.nm, mXyVarOrParScan, k1x, k1y, k2x, k2y, mAngleDef, c.indexIn,
                                      c.indexOut, c.incidentFromUpper, c.signOfOutputUz, convertSPtoXY,
                                      &mTheta[c.side]);
            }
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
