#pragma once

// Read-only window on a loaded surface for the library's free functions and
// for tests. Each accessor carries the name of the member it exposes and
// returns a const reference to it, so `GratingSurfaceAccess::mR(s)[side]`
// reads exactly what `s.mR[side]` would inside the class. The arrays of two
// are indexed by half space: 0 = lower (z < 0), 1 = upper (z > 0).

#include <vector>

#include "GratingSurface.h"
#include "NdArray.h"

namespace quelbrant {

struct GratingSurfaceAccess {
    using S = GratingSurface;
    using DoublePair = std::vector<double>[2];
    using IntPair = std::vector<int>[2];
    using BoolPair = bool[2];
    using ComplexTablePair = NdArrayComplex[2];
    using RealTablePair = NdArrayReal[2];

    // Refractive indices of the lower and upper half space.
    static const double& mNLower(const S& s) { return s.mNLower; }
    static const double& mNUpper(const S& s) { return s.mNUpper; }

    // Reciprocal lattice vectors in 1/m, files without position data.
    static const double& mK1Gx(const S& s) { return s.mK1Gx; }
    static const double& mK1Gy(const S& s) { return s.mK1Gy; }
    static const double& mK2Gx(const S& s) { return s.mK2Gx; }
    static const double& mK2Gy(const S& s) { return s.mK2Gy; }
    static const double& mK1GNorm(const S& s) { return s.mK1GNorm; }
    static const double& mK2GNorm(const S& s) { return s.mK2GNorm; }

    static const BoolPair& mSpecularR(const S& s) { return s.mSpecularR; }
    static const BoolPair& mSpecularT(const S& s) { return s.mSpecularT; }
    static const BoolPair& mLossless(const S& s) { return s.mLossless; }

    // Angular grid: one kind for both half spaces; axis 1 is theta (degrees),
    // ux or kx, axis 2 phi (degrees), uy or ky.
    static const S::AngleDefinition& mAngleDef(const S& s) { return s.mAngleDef; }
    static const DoublePair& mPhiOrUyOrKy(const S& s) { return s.mPhiOrUyOrKy; }
    static const DoublePair& mThetaOrUxOrKx(const S& s) { return s.mThetaOrUxOrKx; }
    // Theta per wavelength [theta index, wavelength index] in degrees; no
    // elements unless the half space asked for frequency conversion.
    static const RealTablePair& mTheta(const S& s) { return s.mTheta; }
    static const DoublePair& mLambda(const S& s) { return s.mLambda; }

    // Consecutive order numbers labelling the dense tables' order dimensions.
    static const IntPair& m_list_orders_Rn(const S& s) { return s.m_list_orders_Rn; }
    static const IntPair& m_list_orders_Rm(const S& s) { return s.m_list_orders_Rm; }
    static const IntPair& m_list_orders_Tn(const S& s) { return s.m_list_orders_Tn; }
    static const IntPair& m_list_orders_Tm(const S& s) { return s.m_list_orders_Tm; }

    // Dense tables [position] x A1 x A2 x L x Nn x Nm x PolOut x PolIn, in the
    // X/Y basis when mInterpInXY is true, else in the S/P basis.
    static const ComplexTablePair& mR(const S& s) { return s.mR; }
    static const ComplexTablePair& mT(const S& s) { return s.mT; }

    static const bool& mInterpInXY(const S& s) { return s.mInterpInXY; }
    static const bool& mInterpThetaUxKx(const S& s) { return s.mInterpThetaUxKx; }
    static const bool& mInterpPhiUyKy(const S& s) { return s.mInterpPhiUyKy; }
    static const bool& mInterpWavelength(const S& s) { return s.mInterpWavelength; }
    static const bool& mInterpPosition(const S& s) { return s.mInterpPosition; }
    static const bool& mUseSurfaceNormalToDetermineDirection(const S& s)
    {
        return s.mUseSurfaceNormalToDetermineDirection;
    }
    static const bool& isCallByTaldo(const S& s) { return s.isCallByTaldo; }
    static const bool& mXyVarOrParScan(const S& s) { return s.mXyVarOrParScan; }

    // Per position row: lattice vectors (1/m) and their lengths.
    static const std::vector<double>& mK1Gxv2(const S& s) { return s.mK1Gxv2; }
    static const std::vector<double>& mK1Gyv2(const S& s) { return s.mK1Gyv2; }
    static const std::vector<double>& mK2Gxv2(const S& s) { return s.mK2Gxv2; }
    static const std::vector<double>& mK2Gyv2(const S& s) { return s.mK2Gyv2; }
    static const std::vector<double>& mK1GNormv2(const S& s) { return s.mK1GNormv2; }
    static const std::vector<double>& mK2GNormv2(const S& s) { return s.mK2GNormv2; }

    // Position grid: pos_x, pos_rad or par_1 / pos_y, pos_pol (radians) or
    // par_2; the index map is addressed (second axis index, first axis index).
    static const std::vector<double>& mXOrRadOrPar1(const S& s) { return s.mXOrRadOrPar1; }
    static const std::vector<double>& mYOrPolOrPar2(const S& s) { return s.mYOrPolOrPar2; }
    static const NdArrayInt& mIndexMap(const S& s) { return s.mIndexMap; }
    static const S::PositionDefinition& mPositionDef(const S& s) { return s.mPositionDef; }
    static const bool& mVerifyDataExported(const S& s) { return s.mVerifyDataExported; }
};

}  // namespace quelbrant
