// The per-ray engine: one incident ray in, at most one outgoing diffraction
// order (or a Fresnel-refracted ray) out.
//
// The ray is copied out of the host's record and the record is written once,
// when there is an outgoing ray; a ray that ends without one, or with an
// error, leaves the record as the host gave it.

#include <cmath>
#include <complex>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "ErrorTable.h"
#include "FieldBasisConversions.h"
#include "FresnelFallback.h"
#include "GratingSurfaceAccess.h"
#include "InteractionCoordinates.h"
#include "InteractionNumerics.h"
#include "InteractionOrderChoice.h"
#include "InteractionParameters.h"
#include "InteractionPosition.h"
#include "InteractionRayRecord.h"
#include "InteractionScratch.h"
#include "InteractionSide.h"
#include "InteractionSurfaceTables.h"
#include "InteractionVerbose.h"
#include "Interpolation.h"
#include "PropagatingOrders.h"
#include "RandomGenerator.h"
#include "logger.h"
#include "sub-wavelength-orvik.h"

namespace {

using Access = GratingSurfaceAccess;

// The error-table index of text. Registering the text can itself fail (no
// memory left); the host then reads the table's last entry (index -1).
int errorIndexFor(const std::string& text) noexcept
{
    try {
        return addErrorMessage(text, false);
    } catch (...) {
        return -1;
    }
}

std::string scanParameterFault(const GridPosition& scan)
{
    const double value[2] = {scan.first, scan.second};
    for (int i = 0; i < 2; ++i) {
        if (!std::isfinite(value[i]))
            return "Ray not traced (Interaction_V2): scan parameter params[" + std::to_string(i + 1) +
                   "] is not a finite number.";
    }
    return std::string();
}

// One ray on one surface. Reads the surface only; all working storage is
// the calling thread's scratch.
class RayInteraction {
public:
    RayInteraction(const GratingSurface& surface, const InteractionTables* tables,
                   const std::vector<int>& order, bool includeReflection, bool includeTransmission,
                   const std::vector<double>& params)
        : s(surface),
          mTables(tables),
          mOrder(order),
          mIncludeR(includeReflection),
          mIncludeT(includeTransmission),
          mParams(params),
          mScratch(threadInteractionScratch()),
          mVerbose(getLogger().isVerbose()),
          mHostMode(Access::isCallByTaldo(surface)),
          mWithPosition(Access::mXyVarOrParScan(surface))
    {
    }

    int trace(BsdfPluginInteraction_V2& record);

private:
    bool readsHitPoint() const;
    GridPosition positionOnGrid(const HostRayParameters& host) const;
    int interpolate(size_t rd, bool needR, bool needT, const GridPoint& point, int noInterp);
    void buildFamily(bool reflected, size_t rd, bool singleOrder, const RayWaveNumbers& k, double dirZ);
    int refract(BsdfPluginInteraction_V2& record);
    void commit(BsdfPluginInteraction_V2& record);

    const GratingSurface& s;
    const InteractionTables* mTables;
    const std::vector<int>& mOrder;
    const bool mIncludeR;
    const bool mIncludeT;
    const std::vector<double>& mParams;
    InteractionScratch& mScratch;
    const bool mVerbose;
    const bool mHostMode;
    const bool mWithPosition;

    RayState mRay;
    // In-plane rotation (radians) of the ray into the local frame of a polar
    // position grid; undone on every exit that writes a ray.
    bool mRotated = false;
    double mRotation = 0.0;
};

bool RayInteraction::readsHitPoint() const
{
    const GratingSurface::PositionDefinition definition = Access::mPositionDef(s);
    return mWithPosition && (definition == GratingSurface::XY || definition == GratingSurface::RAD_POL);
}

GridPosition RayInteraction::positionOnGrid(const HostRayParameters& host) const
{
    GridPosition position;
    if (hitPointOnPositionGrid(Access::mPositionDef(s), mRay.x, mRay.y, position))
        return position;
    if (!mHostMode)
        throw addErrorMessage("This JSON file uses paramter scan, which is not supported by Orvik.", false);
    const std::string fault = scanParameterFault(host.scan);
    if (!fault.empty())
        throw addErrorMessage(fault, false);
    return host.scan;
}

int RayInteraction::interpolate(size_t rd, bool needR, bool needT, const GridPoint& point, int noInterp)
{
    NdArrayComplex& Rinterp = mScratch.Rinterp;
    NdArrayComplex& Tinterp = mScratch.Tinterp;
    std::vector<double>& k1gk2g = mScratch.k1gk2g;
    if (!needR && !needT)
        return 0;

    // The working copy serves the ray unless the verbose dump is on, which
    // the reference interpolators write; both give the same tables.
    if (!mVerbose && mTables && mTables->usable[rd]) {
        NodeStencil stencil;
        if (!locateNodeStencil(halfSpaceGrid(s, rd), point, noInterp, stencil, k1gk2g.data()))
            return -1;
        if (needR)
            interpolateAtStencil(mTables->R[rd], stencil, Rinterp);
        if (needT)
            interpolateAtStencil(mTables->T[rd], stencil, Tinterp);
        return 0;
    }

    const NdArrayReal& theta = Access::mTheta(s)[rd];
    auto interpolateTable = [&](NdArrayComplex& result, const NdArrayComplex& table) {
        if (theta.empty())
            return interpGratingOrders(
                result, table, Access::mThetaOrUxOrKx(s)[rd], point.angle1, Access::mPhiOrUyOrKy(s)[rd],
                point.angle2, Access::mLambda(s)[rd], point.lambda, mWithPosition, Access::mIndexMap(s),
                Access::mXOrRadOrPar1(s), point.first, Access::mYOrPolOrPar2(s), point.second, k1gk2g,
                Access::mK1Gxv2(s), Access::mK1Gyv2(s), Access::mK2Gxv2(s), Access::mK2Gyv2(s), noInterp);
        return interpGratingOrdersWithFrequencyDependentTheta(
            result, table, theta, point.angle1, Access::mPhiOrUyOrKy(s)[rd], point.angle2,
            Access::mLambda(s)[rd], point.lambda, mWithPosition, Access::mIndexMap(s),
            Access::mXOrRadOrPar1(s), point.first, Access::mYOrPolOrPar2(s), point.second, k1gk2g,
            Access::mK1Gxv2(s), Access::mK1Gyv2(s), Access::mK2Gxv2(s), Access::mK2Gyv2(s), noInterp);
    };
    int status = 0;
    if (needR)
        status = interpolateTable(Rinterp, Access::mR(s)[rd]);
    if (status == 0 && needT)
        status = interpolateTable(Tinterp, Access::mT(s)[rd]);
    return status;
}

// Appends the propagating orders of one family (reflected: back into the
// incident medium; transmitted: into the other one) to the scratch list.
void RayInteraction::buildFamily(bool reflected, size_t rd, bool singleOrder, const RayWaveNumbers& k,
                                 double dirZ)
{
    const std::vector<int>& nList =
        singleOrder ? mScratch.singleN
                    : (reflected ? Access::m_list_orders_Rn(s) : Access::m_list_orders_Tn(s))[rd];
    const std::vector<int>& mList =
        singleOrder ? mScratch.singleM
                    : (reflected ? Access::m_list_orders_Rm(s) : Access::m_list_orders_Tm(s))[rd];
    PropagatingOrderList& o = mScratch.orders;
    constructAllOrders(
        o.Ux, o.Uy, o.Uz, o.power, o.specOrDirac, o.ESOut, o.EPOut, reflected ? k.kIn : k.kOut, k.kInx,
        k.kIny, mScratch.k1gk2g, nList, mList, reflected ? mScratch.Rinterp : mScratch.Tinterp,
        reflected ? -std::copysign(1.0, dirZ) : std::copysign(1.0, dirZ),
        (reflected ? Access::mSpecularR(s) : Access::mSpecularT(s))[rd], Access::mInterpInXY(s));
}

// Plain Fresnel refraction for a ray the data cannot answer. Result -1 when
// the ray leaves on the side it came from, +1 otherwise.
int RayInteraction::refract(BsdfPluginInteraction_V2& record)
{
    const double u = drawUniform(0.0, 1.0);
    const double N1 = mRay.direction[2];
    refraction(mRay.n1, mRay.n2, mRay.direction[0], mRay.direction[1], mRay.direction[2], mRay.esr, mRay.esi,
               mRay.epr, mRay.epi, mRay.energy, mIncludeR, mIncludeT, u);
    commit(record);
    return mRay.direction[2] * N1 < 0 ? -1 : 1;
}

void RayInteraction::commit(BsdfPluginInteraction_V2& record)
{
    if (mRotated)
        rotateRay(mRay.direction, -mRotation);
    writeRayRecord(mRay, record);
}

int RayInteraction::trace(BsdfPluginInteraction_V2& record)
{
    if (mVerbose)
        LogDebug("Interaction_V2()");
    mRay = readRayRecord(record);
    const std::string fault = rayRecordFault(mRay, readsHitPoint());
    if (!fault.empty())
        throw addErrorMessage(fault, false);
    const HostRayParameters host = mHostMode ? readHostRayParameters(mParams) : HostRayParameters();
    double* dir = mRay.direction;

    // Side: first by direction, then (unless the file says the direction
    // decides) by which side's media the ray's indices match.
    const bool askSpecificOrder = mOrder.size() == 2;
    size_t rd = halfSpaceFromDirection(dir[2]);
    const bool losslessSpecificOrder = askSpecificOrder && Access::mLossless(s)[rd];
    const int noInterp =
        mHostMode ? host.interpolationSwitch
                  : interpolationSwitchFromFlags(Access::mInterpThetaUxKx(s), Access::mInterpPhiUyKy(s),
                                                 Access::mInterpWavelength(s), Access::mInterpPosition(s));
    const double nLower = Access::mNLower(s);
    const double nUpper = Access::mNUpper(s);
    if (mHostMode && host.indexCheck && !indicesMatchSurface(nLower, nUpper, mRay.n1, mRay.n2, dir[2]))
        throw addErrorMessage(indexMismatchMessage(nLower, nUpper, mRay.n1, mRay.n2, dir[2]), false);
    if (!Access::mUseSurfaceNormalToDetermineDirection(s))
        rd = halfSpaceFromIndices(nLower, nUpper, mRay.n1, mRay.n2, rd);

    GridPosition position;
    if (mWithPosition) {
        position = positionOnGrid(host);
        if (isOutsidePositionGrid(Access::mXOrRadOrPar1(s), Access::mYOrPolOrPar2(s), position)) {
            if (mVerbose)
                LogDebug("Outside of xy sampling region. Go refraction.");
            return refract(record);
        }
        if (Access::mPositionDef(s) == GratingSurface::RAD_POL) {
            rotateRay(dir, position.second);
            mRotated = true;
            mRotation = position.second;
        }
    }

    const RayWaveNumbers k = rayWaveNumbers(mRay.lambdaNm, mRay.n1, mRay.n2, dir);
    const std::vector<double>& phiAxis = Access::mPhiOrUyOrKy(s)[rd];
    AngleCoordinates angles;
    if (!angleCoordinatesOfRay(Access::mAngleDef(s), dir, k, phiAxis.empty() ? 0.0 : phiAxis.front(), angles))
        throw addErrorMessage("Undefined angle type.", false);

    // Incident field, in the basis the tables are held in.
    std::complex<double> ESIn(mRay.esr, mRay.esi);
    std::complex<double> EPIn(mRay.epr, mRay.epi);
    const bool tablesInXY = Access::mInterpInXY(s);
    if (tablesInXY)
        convertSPtoXY(ESIn, EPIn, dir[0], dir[1], dir[2]);

    if (mVerbose) {
        RayInputsDump dump;
        dump.side = rd;
        dump.n1 = mRay.n1;
        dump.n2 = mRay.n2;
        dump.angleDefinition = Access::mAngleDef(s);
        dump.angles = angles;
        dump.lambda = k.lambda;
        dump.fieldInXY = tablesInXY;
        dump.ESIn = ESIn;
        dump.EPIn = EPIn;
        dump.includeReflection = mIncludeR;
        dump.includeTransmission = mIncludeT;
        dump.askSpecificOrder = askSpecificOrder;
        dump.lossless = Access::mLossless(s)[rd];
        dump.losslessSpecificOrder = losslessSpecificOrder;
        if (askSpecificOrder) {
            dump.orderN = mOrder[0];
            dump.orderM = mOrder[1];
        }
        dump.withPosition = mWithPosition;
        dump.positionDefinition = Access::mPositionDef(s);
        dump.position = position;
        logRayInputs(dump);
    }

    // Lattice vectors at the ray: the surface's own, or (position data) the
    // interpolators' values at the ray's position.
    std::vector<double>& k1gk2g = mScratch.k1gk2g;
    k1gk2g.assign(6, 0.0);
    if (!mWithPosition) {
        k1gk2g[0] = Access::mK1Gx(s);
        k1gk2g[1] = Access::mK1Gy(s);
        k1gk2g[2] = Access::mK1GNorm(s);
        k1gk2g[3] = Access::mK2Gx(s);
        k1gk2g[4] = Access::mK2Gy(s);
        k1gk2g[5] = Access::mK2GNorm(s);
    }

    NdArrayComplex& Rinterp = mScratch.Rinterp;
    NdArrayComplex& Tinterp = mScratch.Tinterp;
    Rinterp.clear();
    Rinterp.m_size.clear();
    Tinterp.clear();
    Tinterp.m_size.clear();
    const bool needR = mIncludeR || losslessSpecificOrder;
    const bool needT = mIncludeT || losslessSpecificOrder;
    GridPoint point;
    point.angle1 = angles.thetaOrUxOrKx;
    point.angle2 = angles.phiOrUyOrKy;
    point.lambda = k.lambda;
    point.first = position.first;
    point.second = position.second;
    if (interpolate(rd, needR, needT, point, noInterp) != 0)
        return refract(record);

    if (mVerbose) {
        LogDebug("=== After interpolation of wavelength, theta, phi ===");
        logSurfaceTableDimensions(Access::mR(s), Access::mT(s));
        logInterpolatedTables(Rinterp, Tinterp);
    }
    if (needR)
        applyInputPolarization(Rinterp, ESIn, EPIn);
    if (needT)
        applyInputPolarization(Tinterp, ESIn, EPIn);
    if (mVerbose) {
        LogDebug("=== After applying input polarization ===");
        logInterpolatedTables(Rinterp, Tinterp);
    }

    // A requested order on a side that is not lossless is cut out of the
    // tables here and built alone. The one-element order lists go with the
    // reduced tables, so that a table and its lists always agree even when
    // the side by indices differs from the side by direction.
    const bool singleOrder = askSpecificOrder && !losslessSpecificOrder;
    if (askSpecificOrder) {
        mScratch.singleN[0] = mOrder[0];
        mScratch.singleM[0] = mOrder[1];
    }
    if (singleOrder) {
        if (mIncludeR)
            reduceToSingleOrder(Rinterp, Access::m_list_orders_Rn(s)[rd], Access::m_list_orders_Rm(s)[rd],
                                mOrder[0], mOrder[1]);
        if (mIncludeT)
            reduceToSingleOrder(Tinterp, Access::m_list_orders_Tn(s)[rd], Access::m_list_orders_Tm(s)[rd],
                                mOrder[0], mOrder[1]);
    }
    if (mVerbose && askSpecificOrder)
        logSpecificOrderTables(mOrder[0], mOrder[1], mWithPosition, k1gk2g, Rinterp, Tinterp);

    PropagatingOrderList& orders = mScratch.orders;
    orders.clear();
    if (needR) {
        buildFamily(true, rd, singleOrder, k, dir[2]);
        if (mVerbose)
            logFamilyPower("* R power =,", orders.power);
    }
    const size_t Rmax = orders.size();
    if (needT) {
        buildFamily(false, rd, singleOrder, k, dir[2]);
        if (mVerbose)
            logFamilyPower("* R+T power =,", orders.power);
    }
    const double totalPower = sum(orders.power);
    const double inPower =
        mHostMode ? mRay.esr * mRay.esr + mRay.esi * mRay.esi + mRay.epr * mRay.epr + mRay.epi * mRay.epi
                  : 1.0;

    if (losslessSpecificOrder) {
        // Only the requested order is built (reflected when reflection is
        // included, else transmitted); its energy share is its part of the
        // total power of all orders, scaled to the incident power.
        orders.clear();
        if (mIncludeR) {
            reduceToSingleOrder(Rinterp, Access::m_list_orders_Rn(s)[rd], Access::m_list_orders_Rm(s)[rd],
                                mOrder[0], mOrder[1]);
            buildFamily(true, rd, true, k, dir[2]);
        } else if (mIncludeT) {
            reduceToSingleOrder(Tinterp, Access::m_list_orders_Tn(s)[rd], Access::m_list_orders_Tm(s)[rd],
                                mOrder[0], mOrder[1]);
            buildFamily(false, rd, true, k, dir[2]);
        }
        // No share can be given when the orders carry no power at all.
        if (orders.size() == 0 || !(totalPower > 0.0))
            return NoOutgoingRay;
        dir[0] = orders.Ux[0];
        dir[1] = orders.Uy[0];
        dir[2] = orders.Uz[0];
        mRay.esr = orders.ESOut[0].real();
        mRay.esi = orders.ESOut[0].imag();
        mRay.epr = orders.EPOut[0].real();
        mRay.epi = orders.EPOut[0].imag();
        mRay.energy = mRay.energy * (orders.power[0] * (inPower / totalPower));
        commit(record);
        return LosslessSpecificOrderWritten;
    }

    const bool lossless = Access::mLossless(s)[rd];
    const double maxRandom = randomDrawLimit(lossless, totalPower, inPower, mIncludeR, mIncludeT);
    if (!std::isfinite(maxRandom))
        throw addErrorMessage(
            "Ray not traced (Interaction_V2): the power to choose an order by is not a finite "
            "number.",
            false);
    const double rand = askSpecificOrder ? 0.0 : drawUniform(0.0, maxRandom);
    if (mVerbose)
        logRandomChoice(totalPower, mHostMode, inPower, maxRandom, lossless, rand, orders.size());
    if (rand > totalPower)
        return NoOutgoingRay;
    const size_t chosen = chooseOrderByPower(orders.power, rand);
    if (chosen == NoOrderChosen)
        return NoOutgoingRay;

    dir[0] = orders.Ux[chosen];
    dir[1] = orders.Uy[chosen];
    dir[2] = orders.Uz[chosen];
    mRay.esr = orders.ESOut[chosen].real();
    mRay.esi = orders.ESOut[chosen].imag();
    mRay.epr = orders.EPOut[chosen].real();
    mRay.epi = orders.EPOut[chosen].imag();
    if (askSpecificOrder)
        mRay.energy = mRay.energy * orders.power[chosen];
    if (mVerbose)
        logChosenField(orders.ESOut[chosen], orders.EPOut[chosen]);
    commit(record);
    return orderResultCode(orders, chosen, Rmax);
}

}  // namespace

int GratingSurface::Interaction_V2(BsdfPluginInteraction_V2* ray, const std::vector<int>& order,
                                   bool includeReflection, bool includeTransmission,
                                   const std::vector<double>& params)
{
    // The host knows one failure convention, a thrown int: whatever else a
    // table or the allocator throws is turned into one.
    try {
        if (!ray || !ray->direction)
            throw addErrorMessage("Ray not traced (Interaction_V2): no ray record or no direction.", false);
        RayInteraction interaction(*this, mInteractionTables.get(), order, includeReflection,
                                   includeTransmission, params);
        return interaction.trace(*ray);
    } catch (int) {
        throw;
    } catch (const std::bad_alloc&) {
        throw errorIndexFor("Ray not traced (Interaction_V2): out of memory.");
    } catch (const std::exception& e) {
        throw errorIndexFor(std::string("Ray not traced (Interaction_V2): internal error: ") + e.what());
    } catch (...) {
        throw errorIndexFor("Ray not traced (Interaction_V2): unknown internal error.");
    }
}

double GratingSurface::BSDF_V2(BsdfPluginBSDF_V2* /*param*/)
{
    return 0.0;
}

int GratingSurface::DataUpdate_V2(BsdfPluginData_V2* /*data*/)
{
    return 0;
}
