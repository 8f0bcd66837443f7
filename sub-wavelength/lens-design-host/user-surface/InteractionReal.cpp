#include "user-surface/InteractionReal.h"

#include <cmath>
#include <ostream>
#include <vector>

#include "orders/FieldBasisConversions.h"
#include "cache/CachedSequentialSurface.h"
#include "cache/HostLog.h"
#include "geometry/Geometry.h"
#include "geometry/HostNumbers.h"
#include "logger.h"
#include "GratingSurface.h"
#include "user-surface/AsphericSurface.h"
#include "user-surface/LocalFrame.h"
#include "user-surface/RaySurfaceIntersection.h"
#include "user-surface/SurfaceParamNames.h"

namespace quelbrant {

namespace {

// Streams the three components of a vector joined by a separator; only
// formatted when a debug line is actually written.
template <class T>
struct Joined {
    const std::array<T, 3>& values;
    const char* separator;
};

template <class T>
std::ostream& operator<<(std::ostream& stream, const Joined<T>& joined)
{
    return stream << joined.values[0] << joined.separator << joined.values[1] << joined.separator
                  << joined.values[2];
}

Joined<double> joined(const Vector3& v)
{
    return {v, ","};
}

Joined<std::complex<double>> joined(const Field3& v, const char* separator = ",")
{
    return {v, separator};
}

double norm(const Field3& field)
{
    return std::norm(field[0]) + std::norm(field[1]) + std::norm(field[2]);
}

bool isFinite(const Field3& v)
{
    for (const auto& component : v) {
        if (!std::isfinite(component.real()) || !std::isfinite(component.imag()))
            return false;
    }
    return true;
}

const char* trueFalse(bool value)
{
    return value ? "True" : "False";
}

// Step 1: verbose only for "Log" 99 and only past the banner when the host
// gave a field. The flag is process-wide and stays as left here.
bool configureVerbosity(const HostRay& ray)
{
    Logger& logger = getLogger();
    // The flag is stored only when it changes: a ray after ray of the same
    // setting costs loads, not stores other cores must see.
    auto setVerbose = [&logger](bool verbose) {
        if (logger.isVerbose() != verbose)
            logger.setVerbose(verbose);
    };
    const bool verboseAsked = ray.parameter(SurfaceParam::Log) == 99.0;
    setVerbose(verboseAsked);
    LogDebug("=================== interactionReal ===================");
    const double* e = ray.in().E;
    bool hasE = false;
    for (int i = 0; i < 6; ++i)
        hasE = hasE || e[i] != 0.0;  // a NaN counts as given
    LogDebug(hasE ? "hasE: Yes" : "hasE: No");
    setVerbose(verboseAsked && hasE);
    return hasE;
}

void logInputRay(const HostRay& ray)
{
    LogDebug("input ray data:", "\nray.approachIndex() = ", ray.approachIndex(), "\nray.exitIndex() = ",
             ray.exitIndex(), "\nray.cosine() = ", joined(ray.cosine()), "\nray.position() = ",
             joined(ray.position()), "\nray.wavelength() = ", ray.wavelength(),
             "\nray.mirrorSpaceAfterSurface() = ", ray.mirrorSpaceAfterSurface(),
             "\nray.mirrorSpaceBeforeSurface() = ", ray.mirrorSpaceBeforeSurface(), "\nray.E() = ",
             joined(ray.E(), ", "));
}

void logFrame(const LocalFrame& frame)
{
    const Vector3(&r)[3] = frame.rows;
    LogDebug("Rotation Matrix\n", r[0][0], "\t", r[0][1], "\t", r[0][2], "\n", r[1][0], "\t", r[1][1], "\t",
             r[1][2], "\n", r[2][0], "\t", r[2][1], "\t", r[2][2], "\t");
}

// "Order X" and "Order Y" truncated toward zero; a value no int holds
// cannot name an order.
std::vector<int> requestedOrder(const HostRay& ray)
{
    const auto n = hostDoubleAsInt(ray.parameter(SurfaceParam::OrderX));
    const auto m = hostDoubleAsInt(ray.parameter(SurfaceParam::OrderY));
    if (!n || !m)
        throw logHostFailureDebug(L"Order X and Order Y must be whole numbers that an int holds.");
    return {*n, *m};
}

}  // namespace

void interactionReal(const CachedSequentialSurface* entry, HostRay* ray)
{
    interactionReal(*entry->surface, *ray);
}

void interactionReal(GratingSurface& surface, HostRay& ray)
{
    // 1. Verbosity.
    const bool hasE = configureVerbosity(ray);
    // Read once: the debug lines below cost one branch each when it is off.
    const bool verbose = getLogger().isVerbose();
    if (verbose)
        logInputRay(ray);

    // 2. Ray. A direction that names none is refused before anything reads
    // it: a plane's hit point does not depend on it.
    const Vector3 d = ray.cosine();
    if (!allFinite(d))
        throw logHostFailureDebug(L"Ray missed.");
    const UserSurfaceInput& in = ray.in();
    const double c = in.curvature;
    const double k = in.conic;
    const double rotate2d = ray.parameter(SurfaceParam::Rotate);

    // 3. Plane test ("is_plane" is logged from c alone).
    if (verbose) {
        LogDebug("is_plane: ", trueFalse(c == 0.0));
        LogDebug("rotate2d = ", rotate2d);
    }
    // The shape is read straight from the record's parameters: a ray copies
    // none of them.
    const EvenAsphere shape(c, k, in.param, UserSurfaceParamCount);
    const bool isPlane = shape.isPlane();

    // 4. Intersection; 5. normal.
    SurfaceIntersection hit{ray.position(), 0.0, 0};
    Vector3 normal = {0.0, 0.0, -1.0};
    if (isPlane) {
        if (!allFinite(hit.position))
            throw logHostFailureDebug(L"Ray missed.");
    } else {
        hit = intersectSurface(hit.position, d, shape);
        normal = surfaceNormal(hit.position[0], hit.position[1], shape);
    }

    // 6. Order request.
    const std::vector<int> order = requestedOrder(ray);

    // 7. Local frame.
    const LocalFrame frame = buildLocalFrame(normal, isPlane, rotate2d, ray.parameter(SurfaceParam::FlipYZ) != 0.0,
                                             ray.parameter(SurfaceParam::FlipXZ) != 0.0);
    if (verbose && !frame.identity)
        logFrame(frame);
    const Field3 hostE = ray.E();
    double direction[3];
    {
        Vector3 local = frame.toLocal(d);
        if (!prepareIncidentDirection(local))
            throw logHostFailureDebug(L"Ray missed.");
        direction[0] = local[0];
        direction[1] = local[1];
        direction[2] = local[2];
    }
    const Vector3 inputDirection = {direction[0], direction[1], direction[2]};
    const Field3 localE = frame.toLocal(hostE);

    // 8. Incident field: S and P about the local direction, or both 1 + 0i
    // when the host gave none.
    std::complex<double> es(1.0, 0.0);
    std::complex<double> ep(1.0, 0.0);
    if (hasE)
        convertXYZtoSPfromUnitVector(localE[0], localE[1], localE[2], es, ep, direction[0], direction[1],
                                     direction[2]);
    if (verbose) {
        LogDebug("ray.E(): ", joined(hostE), ", norm = ", norm(hostE));
        LogDebug("inputExyz: ", joined(localE), ", norm = ", norm(localE));
        LogDebug("inputEsp: ", es, ",", ep, ", norm = ", std::norm(es) + std::norm(ep));
    }

    // 9. The interaction record. Its position is the intersection point
    // turned by "Rotate", as the diffraction entry turns its position, so
    // that a file with a position grid is read at a defined place.
    BsdfPluginInteraction_V2 record{};
    record.instance = &surface;
    record.direction = direction;
    record.lambda = ray.wavelength() * 1000.0;
    record.energy = 1.0;
    record.esr = es.real();
    record.esi = es.imag();
    record.epr = ep.real();
    record.epi = ep.imag();
    record.n1 = ray.approachIndex();
    record.n2 = ray.exitIndex();
    record.x = hit.position[0];
    record.y = hit.position[1];
    if (rotate2d != 0.0)
        rotateDegrees(record.x, record.y, rotate2d);
    if (verbose)
        LogDebug("Start interpolation.");
    const std::vector<double> interactionParams = {
        ray.parameter(SurfaceParam::CheckIndex), ray.parameter(SurfaceParam::CheckIndex + 1),
        ray.parameter(SurfaceParam::CheckIndex + 2), ray.parameter(SurfaceParam::CheckIndex + 3)};

    // 10. The requested order, of the family the host asks for.
    const bool reflecting = ray.reflecting();
    if (surface.Interaction_V2(&record, order, reflecting, !reflecting, interactionParams) == 0 ||
        !isOutgoingDirection(direction))
        throw logHostFailureDebug(L"Cannot diffract rays.");

    // 11. Outgoing field: the order's unit-power field carries its power
    // in its amplitude.
    const double scale = record.energy > 0.0 ? std::sqrt(record.energy) : 0.0;
    const std::complex<double> esOut = scale * std::complex<double>(record.esr, record.esi);
    const std::complex<double> epOut = scale * std::complex<double>(record.epr, record.epi);
    const Vector3 outDirection = {direction[0], direction[1], direction[2]};
    Field3 outE;
    convertSPtoXYZfromUnitVector(esOut, epOut, outE[0], outE[1], outE[2], outDirection[0], outDirection[1],
                                 outDirection[2]);
    if (verbose) {
        LogDebug("input_dir: ", joined(inputDirection));
        LogDebug("orvik_dir: ", joined(outDirection));
        LogDebug("outputEsp: ", esOut, ",", epOut, ", norm = ", std::norm(esOut) + std::norm(epOut));
        LogDebug("orvikRay.direction: ", joined(outDirection));
        LogDebug("outputExyz: ", joined(outE), ", norm = ", norm(outE));
    }

    // 12. Back to the host frame.
    const Vector3 hostDirection = frame.toHost(outDirection);
    const Field3 hostOutE = frame.toHost(outE);
    if (verbose) {
        LogDebug("out_dir: ", joined(hostDirection));
        LogDebug("outputExyz2: ", joined(hostOutE), ", norm = ", norm(hostOutE));
        LogDebug("k*E = ", hostDirection[0] * hostOutE[0] + hostDirection[1] * hostOutE[1] +
                               hostDirection[2] * hostOutE[2]);
    }

    // 13. Write-back, only of finite values: the host's records never see a
    // NaN, and a failure leaves them as they were.
    if (!allFinite(hostDirection) || !isFinite(hostOutE) || !allFinite(hit.position) || !std::isfinite(hit.path))
        throw logHostFailureDebug(L"Cannot diffract rays.");
    ray.writeBack(hit.position, hostDirection, hostOutE, hit.path, 1.0);
    if (verbose)
        LogDebug("interactionReal end");
}

}  // namespace quelbrant
