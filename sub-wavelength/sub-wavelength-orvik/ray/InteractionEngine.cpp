// One incident ray in, at most one outgoing diffraction order (or a
// Fresnel-refracted ray) out.
//
// The ray is copied out of the host's record and the record is written once,
// when there is an outgoing ray; a ray that ends without one, or with an
// error, leaves the record as the host gave it.

#include "ray/InteractionEngine.h"

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "ErrorTable.h"
#include "GratingSurfaceAccess.h"
#include "interpolation/InteractionSurfaceTables.h"
#include "interpolation/Interpolation.h"
#include "logger.h"
#include "orders/FieldBasisConversions.h"
#include "orders/PropagatingOrders.h"
#include "ray/FresnelFallback.h"
#include "ray/InteractionCoordinates.h"
#include "ray/InteractionNumerics.h"
#include "ray/InteractionOrderChoice.h"
#include "ray/InteractionParameters.h"
#include "ray/InteractionPosition.h"
#include "ray/InteractionRayRecord.h"
#include "ray/InteractionScratch.h"
#include "ray/InteractionSide.h"
#include "ray/InteractionVerbose.h"
#include "ray/RandomGenerator.h"

namespace quelbrant {

namespace {

using Access = GratingSurfaceAccess;

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

// x = y = 0, either sign: no azimuth of its own.
bool isAlongNormal(const double* direction)
{
    return direction[0] == 0.0 && direction[1] == 0.0;
}

void negateField(RayState& ray)
{
    ray.esr = -ray.esr;
    ray.esi = -ray.esi;
    ray.epr = -ray.epr;
    ray.epi = -ray.epi;
}

// One ray on one surface. Reads the surface only; all working storage is
// the calling thread's scratch.
class RayInteraction {
public:
    RayInteraction(const GratingSurface& surface, const InteractionTables* tables,
                   BsdfPluginInteraction_V2& record, const std::vector<int>& order, bool includeReflection,
                   bool includeTransmission, const std::vector<double>& params)
        : s(surface),
          mTables(tables),
          mRecord(record),
          mOrder(order),
          mIncludeR(includeReflection),
          mIncludeT(includeTransmission),
          mParams(params),
          mScratch(threadInteractionScratch()),
          mVerbose(getLogger().isVerbose()),
          mHostMode(Access::isCallByTaldo(surface)),
          mWithPosition(Access::mXyVarOrParScan(surface)),
          mAskSpecificOrder(order.size() == 2)
    {
    }

    int trace();

private:
    bool readsHitPoint() const;
    void readRay();
    void takeNormalIncidenceAtAzimuthZero();
    void turnFieldAlongNormal(double turn);
    void takeNormalOrderIntoHostBasis();
    void chooseSide();
    bool locateOnPositionGrid();
    void prepareIncidence();
    void logInputs() const;
    int interpolate();
    void applyPolarization();
    void buildOrders();
    void buildFamily(bool reflected, bool singleOrder);
    int writeLosslessSpecificOrder();
    int chooseAndWriteOrder();
    void takeOrder(size_t i);
    int refract();
    void commit();

    const GratingSurface& s;
    const InteractionTables* mTables;
    BsdfPluginInteraction_V2& mRecord;
    const std::vector<int>& mOrder;
    const bool mIncludeR;
    const bool mIncludeT;
    const std::vector<double>& mParams;
    InteractionScratch& mScratch;
    const bool mVerbose;
    const bool mHostMode;
    const bool mWithPosition;
    const bool mAskSpecificOrder;

    RayState mRay;
    HostRayParameters mHost;
    size_t mSide = 0;  // 0 lower, 1 upper
    // A requested order on a side found lossless by the ray's direction (the
    // side by indices may differ, see chooseSide).
    bool mLosslessSpecificOrder = false;
    int mNoInterp = 0;
    GridPosition mPosition;
    // In-plane rotation (radians) of the ray into the local frame of a polar
    // position grid; undone on every exit that writes a ray.
    bool mRotated = false;
    double mRotation = 0.0;
    // A ray along the normal whose S/P basis the signs of its zeros turn
    // over, traced as the +0 ray (see takeNormalIncidenceAtAzimuthZero).
    bool mBasisTurnedOver = false;
    double mIncidentZeros[2] = {0.0, 0.0};
    RayWaveNumbers mK;
    AngleCoordinates mAngles;
    std::complex<double> mESIn, mEPIn;  // incident field in the tables' basis
    size_t mReflectedCount = 0;         // reflected entries, first in the order list
    double mTotalPower = 0.0;
    double mInPower = 1.0;
};

bool RayInteraction::readsHitPoint() const
{
    const GratingSurface::PositionDefinition definition = Access::mPositionDef(s);
    return mWithPosition && (definition == GratingSurface::XY || definition == GratingSurface::RAD_POL);
}

void RayInteraction::readRay()
{
    mRay = readRayRecord(mRecord);
    const std::string fault = rayRecordFault(mRay, readsHitPoint());
    if (!fault.empty())
        throw addErrorMessage(fault, false);
    normaliseDirection(mRay.direction);
    takeNormalIncidenceAtAzimuthZero();
    if (mHostMode)
        mHost = readHostRayParameters(mParams);
}

// Along the normal the signs of the zeros name the azimuth of the field's
// S/P basis: x = -0 puts it at +-pi, where s and p are those of azimuth 0
// negated. Such a ray is traced as the +0 ray, its field taken into that
// ray's basis, so that it reads the tables where the +0 ray does (a phi axis
// need not reach 180 degrees); an order leaving along the normal gets the
// host's zeros and their basis back when it is written.
void RayInteraction::takeNormalIncidenceAtAzimuthZero()
{
    double* d = mRay.direction;
    if (!isAlongNormal(d) || !std::signbit(d[0]))
        return;
    mBasisTurnedOver = true;
    mIncidentZeros[0] = d[0];
    mIncidentZeros[1] = d[1];
    d[0] = d[1] = 0.0;
    negateField(mRay);
}

void RayInteraction::turnFieldAlongNormal(double turn)
{
    std::complex<double> es(mRay.esr, mRay.esi);
    std::complex<double> ep(mRay.epr, mRay.epi);
    turnNormalBasis(es, ep, mRay.direction[2], turn);
    mRay.esr = es.real();
    mRay.esi = es.imag();
    mRay.epr = ep.real();
    mRay.epi = ep.imag();
}

// An order leaving along the normal carries its field in the basis of the
// frame it was built in: out of a polar grid's frame, and into the basis the
// host's own zeros name.
void RayInteraction::takeNormalOrderIntoHostBasis()
{
    if (mRotated)
        turnFieldAlongNormal(-mRotation);
    if (mBasisTurnedOver) {
        negateField(mRay);
        mRay.direction[0] = mIncidentZeros[0];
        mRay.direction[1] = mIncidentZeros[1];
    }
}

// Side first by direction, then (unless the file says the direction
// decides) by which side's media the ray's indices match. Whether a
// requested order counts as lossless is fixed by the side by direction.
void RayInteraction::chooseSide()
{
    const double dirZ = mRay.direction[2];
    mSide = halfSpaceFromDirection(dirZ);
    mLosslessSpecificOrder = mAskSpecificOrder && Access::mLossless(s)[mSide];
    mNoInterp = mHostMode
                    ? mHost.interpolationSwitch
                    : interpolationSwitchFromFlags(Access::mInterpThetaUxKx(s), Access::mInterpPhiUyKy(s),
                                                   Access::mInterpWavelength(s), Access::mInterpPosition(s));
    const double nLower = Access::mNLower(s);
    const double nUpper = Access::mNUpper(s);
    if (mHostMode && mHost.indexCheck && !indicesMatchSurface(nLower, nUpper, mRay.n1, mRay.n2, dirZ))
        throw addErrorMessage(indexMismatchMessage(nLower, nUpper, mRay.n1, mRay.n2, dirZ), false);
    if (!Access::mUseSurfaceNormalToDetermineDirection(s))
        mSide = halfSpaceFromIndices(nLower, nUpper, mRay.n1, mRay.n2, mSide);
}

// The ray's place on the position grid; false when it lies outside the
// sampled region. On a polar grid the ray is turned into the grid's local
// frame.
bool RayInteraction::locateOnPositionGrid()
{
    const GratingSurface::PositionDefinition definition = Access::mPositionDef(s);
    const std::vector<double>& firstAxis = Access::mXOrRadOrPar1(s);
    const std::vector<double>& secondAxis = Access::mYOrPolOrPar2(s);
    if (hitPointOnPositionGrid(definition, mRay.x, mRay.y, mPosition)) {
        if (!placeHitPointOnPositionGrid(definition, firstAxis, secondAxis, mPosition))
            return false;
    } else {
        if (!mHostMode)
            throw addErrorMessage("This JSON file uses paramter scan, which is not supported by Orvik.",
                                  false);
        const std::string fault = scanParameterFault(mHost.scan);
        if (!fault.empty())
            throw addErrorMessage(fault, false);
        mPosition = mHost.scan;
        if (isOutsidePositionGrid(firstAxis, secondAxis, mPosition))
            return false;
    }
    if (definition == GratingSurface::RAD_POL) {
        rotateRay(mRay.direction, mPosition.second);
        mRotated = true;
        mRotation = mPosition.second;
        // A direction along the normal stays as it is, so its field is
        // turned instead: the frame's azimuth 0 is the hit point's angle.
        if (isAlongNormal(mRay.direction))
            turnFieldAlongNormal(mRotation);
    }
    return true;
}

void RayInteraction::prepareIncidence()
{
    const double* dir = mRay.direction;
    mK = rayWaveNumbers(mRay.lambdaNm, mRay.n1, mRay.n2, dir);
    const std::vector<double>& phiAxis = Access::mPhiOrUyOrKy(s)[mSide];
    if (!angleCoordinatesOfRay(Access::mAngleDef(s), dir, mK, phiAxis.empty() ? 0.0 : phiAxis.front(),
                               mAngles))
        throw addErrorMessage("Undefined angle type.", false);
    mESIn = {mRay.esr, mRay.esi};
    mEPIn = {mRay.epr, mRay.epi};
    if (Access::mInterpInXY(s))
        convertSPtoXY(mESIn, mEPIn, dir[0], dir[1], dir[2]);
    if (mVerbose)
        logInputs();

    // Lattice vectors at the ray: the surface's own, or (position data) the
    // interpolation's values at the ray's position.
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
}

void RayInteraction::logInputs() const
{
    RayInputsDump dump;
    dump.side = mSide;
    dump.n1 = mRay.n1;
    dump.n2 = mRay.n2;
    dump.angleDefinition = Access::mAngleDef(s);
    dump.angles = mAngles;
    dump.lambda = mK.lambda;
    dump.fieldInXY = Access::mInterpInXY(s);
    dump.ESIn = mESIn;
    dump.EPIn = mEPIn;
    dump.includeReflection = mIncludeR;
    dump.includeTransmission = mIncludeT;
    dump.askSpecificOrder = mAskSpecificOrder;
    dump.lossless = Access::mLossless(s)[mSide];
    dump.losslessSpecificOrder = mLosslessSpecificOrder;
    if (mAskSpecificOrder) {
        dump.orderN = mOrder[0];
        dump.orderM = mOrder[1];
    }
    dump.withPosition = mWithPosition;
    dump.positionDefinition = Access::mPositionDef(s);
    dump.position = mPosition;
    logRayInputs(dump);
}

// Interpolates the tables the ray needs (reflection when reflection is
// included, transmission likewise, both for a lossless requested order).
// Non-zero when the data have no answer at the ray.
int RayInteraction::interpolate()
{
    NdArrayComplex& Rinterp = mScratch.Rinterp;
    NdArrayComplex& Tinterp = mScratch.Tinterp;
    std::vector<double>& k1gk2g = mScratch.k1gk2g;
    Rinterp.clear();
    Rinterp.m_size.clear();
    Tinterp.clear();
    Tinterp.m_size.clear();
    const bool needR = mIncludeR || mLosslessSpecificOrder;
    const bool needT = mIncludeT || mLosslessSpecificOrder;
    if (!needR && !needT)
        return 0;

    GridPoint point;
    point.angle1 = mAngles.thetaOrUxOrKx;
    point.angle2 = mAngles.phiOrUyOrKy;
    point.lambda = mK.lambda;
    point.first = mPosition.first;
    point.second = mPosition.second;
    const size_t rd = mSide;

    // The working copy serves the ray whatever the log says (the log only
    // observes). A copy whose extents no longer match the surface's axes
    // (tables rewritten without a rebuild) is never read.
    const HalfSpaceGrid grid = halfSpaceGrid(s, rd);
    if (mTables && mTables->usable[rd] && tableExtentsMatchGrid(mTables->R[rd], grid) &&
        tableExtentsMatchGrid(mTables->T[rd], grid)) {
        InterpolationStencil stencil;
        if (!locateInterpolationStencil(grid, point, mNoInterp, stencil, k1gk2g.data(), mVerbose))
            return -1;
        if (needR)
            interpolateAtStencil(mTables->R[rd], stencil, Rinterp);
        if (needT)
            interpolateAtStencil(mTables->T[rd], stencil, Tinterp);
        return 0;
    }

    // A side without a usable copy (no memory for it, or tables the copy
    // refused, which the dense interpolation then reports) reads the dense
    // tables, located the same way.
    int status = 0;
    if (needR)
        status = interpGratingOrders(Rinterp, Access::mR(s)[rd], grid, point, k1gk2g, mNoInterp, mVerbose);
    if (status == 0 && needT)
        status = interpGratingOrders(Tinterp, Access::mT(s)[rd], grid, point, k1gk2g, mNoInterp, mVerbose);
    return status;
}

void RayInteraction::applyPolarization()
{
    if (mVerbose) {
        LogDebug("=== After interpolation of wavelength, theta, phi ===");
        logSurfaceTableDimensions(Access::mR(s), Access::mT(s));
        logInterpolatedTables(mScratch.Rinterp, mScratch.Tinterp);
    }
    if (mIncludeR || mLosslessSpecificOrder)
        applyInputPolarization(mScratch.Rinterp, mESIn, mEPIn);
    if (mIncludeT || mLosslessSpecificOrder)
        applyInputPolarization(mScratch.Tinterp, mESIn, mEPIn);
    if (mVerbose) {
        LogDebug("=== After applying input polarization ===");
        logInterpolatedTables(mScratch.Rinterp, mScratch.Tinterp);
    }
}

// Appends the propagating orders of one family (reflected: back into the
// incident medium; transmitted: into the other one) to the scratch list,
// from the full table and the side's order lists, or (singleOrder) from the
// table reduced to the requested order and its one-element lists.
void RayInteraction::buildFamily(bool reflected, bool singleOrder)
{
    const size_t rd = mSide;
    const std::vector<int>& nList =
        singleOrder ? mScratch.singleN
                    : (reflected ? Access::m_list_orders_Rn(s) : Access::m_list_orders_Tn(s))[rd];
    const std::vector<int>& mList =
        singleOrder ? mScratch.singleM
                    : (reflected ? Access::m_list_orders_Rm(s) : Access::m_list_orders_Tm(s))[rd];
    const double dirZ = mRay.direction[2];
    OrderFamilyInputs family;
    family.table = reflected ? &mScratch.Rinterp : &mScratch.Tinterp;
    family.n = &nList;
    family.m = &mList;
    family.k1gk2g = &mScratch.k1gk2g;
    family.kMaterial = reflected ? mK.kIn : mK.kOut;
    family.kInx = mK.kInx;
    family.kIny = mK.kIny;
    family.zDirSign = reflected ? -std::copysign(1.0, dirZ) : std::copysign(1.0, dirZ);
    family.specular = (reflected ? Access::mSpecularR(s) : Access::mSpecularT(s))[rd];
    family.tableInXY = Access::mInterpInXY(s);
    constructAllOrders(family, mScratch.orders);
}

// All orders of the included families (reflected first), or only the
// requested one. A requested order on a side that is not lossless is cut out
// of the tables and built alone; the one-element order lists go with the
// reduced tables, so that a table and its lists always agree even where the
// side by indices is not the side by direction.
void RayInteraction::buildOrders()
{
    const size_t rd = mSide;
    const bool singleOrder = mAskSpecificOrder && !mLosslessSpecificOrder;
    if (mAskSpecificOrder) {
        mScratch.singleN[0] = mOrder[0];
        mScratch.singleM[0] = mOrder[1];
    }
    if (singleOrder) {
        if (mIncludeR)
            reduceToSingleOrder(mScratch.Rinterp, Access::m_list_orders_Rn(s)[rd],
                                Access::m_list_orders_Rm(s)[rd], mOrder[0], mOrder[1]);
        if (mIncludeT)
            reduceToSingleOrder(mScratch.Tinterp, Access::m_list_orders_Tn(s)[rd],
                                Access::m_list_orders_Tm(s)[rd], mOrder[0], mOrder[1]);
    }
    if (mVerbose && mAskSpecificOrder)
        logSpecificOrderTables(mOrder[0], mOrder[1], mWithPosition, mScratch.k1gk2g, mScratch.Rinterp,
                               mScratch.Tinterp);

    PropagatingOrderList& orders = mScratch.orders;
    orders.clear();
    if (mIncludeR || mLosslessSpecificOrder) {
        buildFamily(true, singleOrder);
        if (mVerbose)
            logFamilyPower("* R power =,", orders.power);
    }
    mReflectedCount = orders.size();
    if (mIncludeT || mLosslessSpecificOrder) {
        buildFamily(false, singleOrder);
        if (mVerbose)
            logFamilyPower("* R+T power =,", orders.power);
    }
    mTotalPower = sum(orders.power);
    mInPower = mHostMode
                   ? mRay.esr * mRay.esr + mRay.esi * mRay.esi + mRay.epr * mRay.epr + mRay.epi * mRay.epi
                   : 1.0;
}

// A requested order on a lossless side: only that order is built (reflected
// when reflection is included, else transmitted) and carries its share of
// the total power of all orders, scaled to the incident power.
int RayInteraction::writeLosslessSpecificOrder()
{
    const size_t rd = mSide;
    PropagatingOrderList& orders = mScratch.orders;
    orders.clear();
    if (mIncludeR) {
        reduceToSingleOrder(mScratch.Rinterp, Access::m_list_orders_Rn(s)[rd],
                            Access::m_list_orders_Rm(s)[rd], mOrder[0], mOrder[1]);
        buildFamily(true, true);
    } else if (mIncludeT) {
        reduceToSingleOrder(mScratch.Tinterp, Access::m_list_orders_Tn(s)[rd],
                            Access::m_list_orders_Tm(s)[rd], mOrder[0], mOrder[1]);
        buildFamily(false, true);
    }
    // No share of nothing: orders without any power give no ray.
    if (orders.size() == 0 || !(mTotalPower > 0.0))
        return NoOutgoingRay;
    const double energy = mRay.energy;
    takeOrder(0);
    mRay.energy = energy * (orders.power[0] * (mInPower / mTotalPower));
    commit();
    return LosslessSpecificOrderWritten;
}

int RayInteraction::chooseAndWriteOrder()
{
    const PropagatingOrderList& orders = mScratch.orders;
    const bool lossless = Access::mLossless(s)[mSide];
    const double maxRandom = randomDrawLimit(lossless, mTotalPower, mInPower, mIncludeR, mIncludeT);
    if (!std::isfinite(maxRandom))
        throw addErrorMessage(
            "Ray not traced (Interaction_V2): the power to choose an order by is not a finite number.",
            false);
    // A requested order draws nothing: the first entry (reflected, when that
    // family is included and the order propagates) is taken.
    const double rand = mAskSpecificOrder ? 0.0 : drawUniform(0.0, maxRandom);
    if (mVerbose)
        logRandomChoice(mTotalPower, mHostMode, mInPower, maxRandom, lossless, rand, orders.size());
    if (rand > mTotalPower)
        return NoOutgoingRay;  // lost: absorbed share of a lossy side
    const size_t chosen = chooseOrderByPower(orders.power, rand);
    if (chosen == NoOrderChosen)
        return NoOutgoingRay;
    const double energy = mRay.energy;
    takeOrder(chosen);
    if (mAskSpecificOrder)
        mRay.energy = energy * orders.power[chosen];
    if (mVerbose)
        logChosenField(orders.ESOut[chosen], orders.EPOut[chosen]);
    commit();
    return orderResultCode(orders, chosen, mReflectedCount);
}

// Direction and field of entry i become the ray's.
void RayInteraction::takeOrder(size_t i)
{
    const PropagatingOrderList& orders = mScratch.orders;
    mRay.direction[0] = orders.Ux[i];
    mRay.direction[1] = orders.Uy[i];
    mRay.direction[2] = orders.Uz[i];
    mRay.esr = orders.ESOut[i].real();
    mRay.esi = orders.ESOut[i].imag();
    mRay.epr = orders.EPOut[i].real();
    mRay.epi = orders.EPOut[i].imag();
}

// Plain Fresnel refraction for a ray the data cannot answer. Result -1 when
// the ray leaves on the side it came from, +1 otherwise.
int RayInteraction::refract()
{
    const double u = drawUniform(0.0, 1.0);
    const double N1 = mRay.direction[2];
    refraction(mRay.n1, mRay.n2, mRay.direction[0], mRay.direction[1], mRay.direction[2], mRay.esr, mRay.esi,
               mRay.epr, mRay.epi, mRay.energy, mIncludeR, mIncludeT, u);
    commit();
    // Opposite signs of z mean reflected. Compared one by one: the product
    // of two tiny z components (grazing rays) underflows to zero.
    const double N = mRay.direction[2];
    return (N < 0.0 && N1 > 0.0) || (N > 0.0 && N1 < 0.0) ? -1 : 1;
}

void RayInteraction::commit()
{
    if (mRotated)
        rotateRay(mRay.direction, -mRotation);
    if (isAlongNormal(mRay.direction))
        takeNormalOrderIntoHostBasis();
    // Input values that are finite but far beyond any physical range (an
    // index of 1e308, a wavelength of 1e-300 nm) can overflow on the way;
    // the host never receives such a ray.
    if (!outgoingRayIsFinite(mRay))
        throw addErrorMessage(
            "Ray not traced (Interaction_V2): the outgoing ray is not a finite number; an index, the "
            "wavelength, the field or the energy is beyond the range the computation can hold.",
            false);
    writeRayRecord(mRay, mRecord);
}

int RayInteraction::trace()
{
    if (mVerbose)
        LogDebug("Interaction_V2()");
    readRay();
    chooseSide();
    if (mWithPosition && !locateOnPositionGrid()) {
        if (mVerbose)
            LogDebug("Outside of xy sampling region. Go refraction.");
        return refract();
    }
    prepareIncidence();
    if (interpolate() != 0)
        return refract();
    applyPolarization();
    buildOrders();
    if (mLosslessSpecificOrder)
        return writeLosslessSpecificOrder();
    return chooseAndWriteOrder();
}

}  // namespace

int traceRayOnSurface(const GratingSurface& surface, const InteractionTables* tables,
                      BsdfPluginInteraction_V2& record, const std::vector<int>& order, bool includeReflection,
                      bool includeTransmission, const std::vector<double>& params)
{
    RayInteraction interaction(surface, tables, record, order, includeReflection, includeTransmission,
                               params);
    return interaction.trace();
}

}  // namespace quelbrant
