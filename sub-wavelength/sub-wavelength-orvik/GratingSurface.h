#pragma once

// The shared types of the library: one loaded grating surface and the
// tables it holds.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "CacheLinePad.h"
#include "HostRecords.h"
#include "NdArray.h"

namespace quelbrant {

struct InteractionTables;

// One loaded grating characterisation file. Built (and validated) by its
// constructor, optionally rewritten once for CMOS mode, then only read by any
// number of ray threads at once.
//
// Half-space index everywhere: 0 = lower side (z < 0, "_lower", light
// arriving from below), 1 = upper side (z > 0, "_upper").
class GratingSurface {
public:
    enum AngleDefinition : unsigned int { POLAR = 0, UNIT_VECTOR = 1, K_VECTOR = 2, A_NONE = 3 };
    enum PositionDefinition : unsigned int { XY = 0, RAD_POL = 1, PAR_SCAN = 2, P_NONE = 3 };

    static const std::wstring PluginType;
    static const std::wstring PluginGuid;
    static const std::wstring PluginDescription;
    static std::deque<std::wstring> ErrorDescriptions;  // see ErrorTable.h

    // Loads and checks the file; throws the int index of an error-table entry
    // on any failure. taldocall selects host-program mode (the lens-design
    // adapters), in which isLog/isVerboseLog configure the logger.
    GratingSurface(const wchar_t* filename, bool isLog, bool isVerboseLog, bool taldocall);

    GratingSurface(const GratingSurface&) = delete;
    GratingSurface& operator=(const GratingSurface&) = delete;
    GratingSurface(GratingSurface&&) = delete;
    GratingSurface& operator=(GratingSurface&&) = delete;

    int Interaction_V2(BsdfPluginInteraction_V2* ray, const std::vector<int>& order, bool includeReflection,
                       bool includeTransmission, const std::vector<double>& params);
    double BSDF_V2(BsdfPluginBSDF_V2* param);
    int DataUpdate_V2(BsdfPluginData_V2* data);

    bool restore_Tpower_to_T00();
    bool export_verify_data(const std::wstring& filename);
    // The same; on failure `failure` says why, for the caller's log line.
    bool export_verify_data(const std::wstring& filename, std::string& failure);

    // These act on the process-wide logger, not on this surface; they return
    // the surface so the loader can chain them.
    GratingSurface& setLogPath(const std::string& path);
    GratingSurface& enableLog(bool isEnabled);
    GratingSurface& setVerboseLog(bool isVerbose);

private:
    // Read-only window for the library's own free functions, the GPU view
    // and the tests.
    friend struct GratingSurfaceAccess;

    // Rebuilds the ray path's working copy of mR and mT. The constructor
    // calls it last; every later rewrite of the tables must call it too.
    // Without a copy (no memory for it) rays read the dense tables.
    void rebuildInteractionTables() noexcept;

    // Every ray reads the fields between the pads (CacheLinePad.h).
    CacheLinePad mLeadingPad;
    double mNLower = 1.0;
    double mNUpper = 1.0;
    // Reciprocal lattice vectors in 1/m (files without position data).
    double mK1Gx = 0.0;
    double mK1Gy = 0.0;
    double mK2Gx = 0.0;
    double mK2Gy = 0.0;
    double mK1GNorm = 0.0;
    double mK2GNorm = 0.0;
    bool mSpecularR[2] = {false, false};
    bool mSpecularT[2] = {false, false};
    bool mLossless[2] = {false, false};
    AngleDefinition mAngleDef = A_NONE;
    std::vector<double> mPhiOrUyOrKy[2];    // phi in degrees, uy or ky
    std::vector<double> mThetaOrUxOrKx[2];  // theta in degrees, ux or kx
    NdArrayReal mTheta[2];                  // theta per wavelength [theta index, wavelength], degrees
    std::vector<double> mLambda[2];
    std::vector<int> m_list_orders_Rn[2];
    std::vector<int> m_list_orders_Rm[2];
    std::vector<int> m_list_orders_Tn[2];
    std::vector<int> m_list_orders_Tm[2];
    // Dense tables: [position] x A1 x A2 x L x Nn x Nm x PolOut x PolIn.
    NdArrayComplex mR[2];
    NdArrayComplex mT[2];
    bool mInterpInXY = false;
    bool mInterpThetaUxKx = true;
    bool mInterpPhiUyKy = true;
    bool mInterpWavelength = true;
    bool mInterpPosition = true;
    bool mUseSurfaceNormalToDetermineDirection = false;
    bool isCallByTaldo = false;
    bool mXyVarOrParScan = false;
    // Per position row: lattice vectors and their lengths.
    std::vector<double> mK1Gxv2;
    std::vector<double> mK1Gyv2;
    std::vector<double> mK2Gxv2;
    std::vector<double> mK2Gyv2;
    std::vector<double> mK1GNormv2;
    std::vector<double> mK2GNormv2;
    std::vector<double> mXOrRadOrPar1;
    std::vector<double> mYOrPolOrPar2;  // pos_pol is held in radians
    NdArrayInt mIndexMap;  // addressed (second axis index, first axis index); 1-based, <= 0 = hole
    PositionDefinition mPositionDef = P_NONE;
    bool mVerifyDataExported = false;
    // Working copy of mR and mT laid out for the ray path (one grid node's
    // orders and polarisations contiguous); see InteractionWorkingTables.h.
    std::shared_ptr<const InteractionTables> mInteractionTables;
    CacheLinePad mTrailingPad;
};

}  // namespace quelbrant
