// The ray work of the two-dimensional diffraction entry: the host's ray is
// taken into the grating's frame, traced by Interaction_V2 and its outgoing
// ray taken back into the host's frame.

#include <array>
#include <cmath>
#include <complex>
#include <vector>

#include "orders/FieldBasisConversions.h"
#include "cache/CachedSurface.h"
#include "diffraction/DiffractionData.h"
#include "diffraction/DiffractionRequest.h"
#include "geometry/Geometry.h"
#include "logger.h"
#include "GratingSurface.h"

namespace quelbrant {

namespace {

using D = DiffractionData;
using Complex = std::complex<double>;
using Matrix = std::array<std::array<double, 3>, 3>;  // rows

// A normal this close to +-z counts as the grating's own z axis.
constexpr double untiltedTolerance = 1e-8;

// Global to local for a tilted unit normal n (turned to +z): rows
// v = w x n, w = n x X (unit, or Y when n lies along X), n. A normal a hair
// off X leaves w too short to square without scaling it first.
Matrix tiltedFrame(std::array<double, 3> n)
{
    if (n[2] < 0.0)
        n = {-n[0], -n[1], -n[2]};
    std::array<double, 3> w = cross(n, {1.0, 0.0, 0.0});
    if (scaleForNorm(w))
        vectorNorm(w);
    else
        w = {0.0, 1.0, 0.0};
    return {cross(w, n), w, n};
}

template <class T>
std::array<T, 3> toLocal(const Matrix& m, const std::array<T, 3>& a)
{
    std::array<T, 3> r;
    for (int i = 0; i < 3; ++i)
        r[i] = m[i][0] * a[0] + m[i][1] * a[1] + m[i][2] * a[2];
    return r;
}

template <class T>
std::array<T, 3> toHost(const Matrix& m, const std::array<T, 3>& a)
{
    std::array<T, 3> r;
    for (int i = 0; i < 3; ++i)
        r[i] = m[0][i] * a[0] + m[1][i] * a[1] + m[2][i] * a[2];
    return r;
}

bool allFinite(const std::array<Complex, 3>& a)
{
    for (const Complex& c : a)
        if (!std::isfinite(c.real()) || !std::isfinite(c.imag()))
            return false;
    return true;
}

double parameterIfGiven(const double* block, int paramCount, int index)
{
    return paramCount >= index + 2 ? block[D::paramValues + index] : 0.0;
}

void logInputRay(const double* d, const DiffractionRequest& request)
{
    LogDebug("Taldo interaction()\ninput ray data:", "\nray.approachIndex() = ", d[D::approachIndex],
             "\nray.exitIndex() = ", d[D::exitIndex], "\nray.cosine().x = ", d[D::cosine],
             "\nray.cosine().y = ", d[D::cosine + 1], "\nray.cosine().z = ", d[D::cosine + 2],
             "\nray.position().x = ", d[D::position], "\nray.position().y = ", d[D::position + 1],
             "\nray.position().z = ", d[D::position + 2], "\nray.requestedType() = ", request.requestedType,
             "\nray.type() = data[11] = ", request.type, "\nray.traceOrder() = ", request.traceOrderX, ",",
             request.traceOrderY, "\nray.wavelength() = ", d[D::wavelength]);
}

void logFrame(const Matrix& r)
{
    LogDebug("Taldo interaction() rotation matrix:\n", r[0][0], "\t", r[0][1], "\t", r[0][2], "\n", r[1][0], "\t",
             r[1][1], "\t", r[1][2], "\n", r[2][0], "\t", r[2][1], "\t", r[2][2], "\t");
}

}  // namespace

void CachedSurface::interaction(double* d) const
{
    const std::optional<DiffractionRequest> request = readDiffractionRequest(d);
    if (!request)
        throw -1;
    logInputRay(d, *request);
    // A normal of any length names its direction; one that names none
    // (0, NaN, infinite) fails the call with the block untouched.
    std::array<double, 3> normal{d[D::normal], d[D::normal + 1], d[D::normal + 2]};
    if (!makeUnit(normal)) {
        LogDebug("Taldo interaction() the surface normal is 0 or not finite.");
        throw -1;
    }
    // Checked before any request is answered: a direction that names none
    // fails every call, also one a stochastic surface answers with no ray.
    std::array<double, 3> dir{d[D::cosine], d[D::cosine + 1], d[D::cosine + 2]};
    if (!allFinite(dir)) {
        LogDebug("Taldo interaction() the ray direction is not finite.");
        throw -1;
    }

    std::vector<int> orders;
    if (!stochastic) {
        orders = {request->traceOrderX, request->traceOrderY};
    } else if (request->expectedOrderX != request->traceOrderX ||
               request->expectedOrderY != request->traceOrderY || request->type != 0) {
        // The host asks a stochastic surface once per order; only the call
        // for the order it expects (as a transmitted ray) is served.
        d[D::outputPower] = 0.0;
        LogDebug("Taldo interaction() Zero output.");
        return;
    }

    // The grating's frame: a tilted normal defines it (the grating rotation
    // is then not applied to the ray); otherwise the host's frame turned by
    // the rotation.
    const bool tilted = std::abs(std::abs(normal[2]) - 1.0) > untiltedTolerance;
    const bool rotated = rotationDegrees != 0.0;
    const double* f = d + D::field;
    std::array<Complex, 3> field{Complex(f[0], f[1]), Complex(f[2], f[3]), Complex(f[4], f[5])};
    Matrix frame{};
    if (tilted) {
        frame = tiltedFrame(normal);
        dir = toLocal(frame, dir);
        field = toLocal(frame, field);
        logFrame(frame);
    } else if (rotated) {
        rotateDegrees(dir[0], dir[1], rotationDegrees);
        rotateDegrees(field[0], field[1], rotationDegrees);
    }
    if (!prepareIncidentDirection(dir)) {
        LogDebug("Taldo interaction() the ray direction is 0 or not finite in the grating's frame.");
        throw -1;
    }
    const double incidentZ = dir[2];
    double x = d[D::position];
    double y = d[D::position + 1];
    if (rotated)
        rotateDegrees(x, y, rotationDegrees);

    Complex es, ep;
    convertXYZtoSPfromUnitVector(field[0], field[1], field[2], es, ep, dir[0], dir[1], dir[2]);
    const double incidentPower = std::norm(es) + std::norm(ep);

    BsdfPluginInteraction_V2 record{};
    record.instance = surface;
    record.direction = dir.data();
    record.lambda = d[D::wavelength] * 1000.0;
    record.energy = 1.0;
    record.esr = es.real();
    record.esi = es.imag();
    record.epr = ep.real();
    record.epi = ep.imag();
    record.n1 = d[D::approachIndex];
    record.n2 = d[D::exitIndex];
    record.x = x;
    record.y = y;  // u, v and z stay 0.0: never read, never undefined

    const int n = request->paramCount;
    const std::vector<double> interactionParams{parameterIfGiven(d, n, 6), parameterIfGiven(d, n, 8),
                                                parameterIfGiven(d, n, 10), parameterIfGiven(d, n, 12)};
    const bool includeReflection = stochastic || request->type == 1;
    const bool includeTransmission = stochastic || request->type == 0;
    const int result =
        surface->Interaction_V2(&record, orders, includeReflection, includeTransmission, interactionParams);
    // A stochastic surface passes the incident power on, so a ray that the
    // plain interface sends on without energy (no field, or no answer off the
    // characterised region) is no ray, as the orders give none for no field.
    if (result == 0 || (stochastic && !(record.energy > 0.0)) || !isOutgoingDirection(dir.data())) {
        d[D::outputPower] = 0.0;
        LogDebug("Taldo interaction() Zero output 2.");
        return;
    }

    // A stochastic surface has already chosen the order by its power: the
    // ray carries the incident amplitude. Otherwise the order's energy is
    // the power factor; no incident power means no power to pass on.
    Complex esOut(record.esr, record.esi);
    Complex epOut(record.epr, record.epi);
    double scale = 0.0;
    double power = 1.0;
    if (stochastic) {
        scale = std::sqrt(incidentPower);
    } else {
        scale = record.energy > 0.0 ? std::sqrt(record.energy) : 0.0;
        const double outgoingPower = std::norm(scale * esOut) + std::norm(scale * epOut);
        power = incidentPower > 0.0 ? outgoingPower / incidentPower : 0.0;
    }
    esOut *= scale;
    epOut *= scale;
    std::array<Complex, 3> fieldOut;
    convertSPtoXYZfromUnitVector(esOut, epOut, fieldOut[0], fieldOut[1], fieldOut[2], dir[0], dir[1], dir[2]);

    std::array<double, 3> dirOut = dir;
    if (tilted) {
        dirOut = toHost(frame, dir);
        fieldOut = toHost(frame, fieldOut);
    } else if (rotated) {
        rotateDegrees(dirOut[0], dirOut[1], -rotationDegrees);
        rotateDegrees(fieldOut[0], fieldOut[1], -rotationDegrees);
    }
    // Garbage in the host's block must not come back as NaN in its ray.
    if (!std::isfinite(power) || !allFinite(dirOut) || !allFinite(fieldOut)) {
        LogDebug("Taldo interaction() non-finite output.");
        throw -1;
    }

    d[D::outputPower] = power;
    d[D::servedMarker] = 2.0;
    d[D::servedZero] = 0.0;
    for (int i = 0; i < 3; ++i) {
        d[D::outCosine + i] = dirOut[i];
        d[D::outField + 2 * i] = fieldOut[i].real();
        d[D::outField + 2 * i + 1] = fieldOut[i].imag();
    }
    LogDebug("Taldo interaction() output direction (", tilted ? 1 : 2, "): ", dirOut[0], ", ", dirOut[1], ", ",
             dirOut[2]);
    // Reflected: the ray leaves on the side it came from. Both z cosines in
    // the grating's frame; the host's own z is another axis under a tilted
    // normal.
    if (stochastic && (dir[2] > 0.0) != (incidentZ > 0.0))
        d[D::type] = 1.0;
}

}  // namespace quelbrant
