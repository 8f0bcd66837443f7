#include "ray/InteractionRayRecord.h"

#include <cmath>
#include <sstream>

namespace quelbrant {

namespace {

std::string describe(const char* what, double value, const char* requirement)
{
    std::ostringstream text;
    text << "Ray not traced (Interaction_V2): " << what << " is " << value << ", expected " << requirement
         << ".";
    return text.str();
}

}  // namespace

RayState readRayRecord(const BsdfPluginInteraction_V2& ray)
{
    RayState state;
    for (int i = 0; i < 3; ++i)
        state.direction[i] = ray.direction[i];
    state.lambdaNm = ray.lambda;
    state.energy = ray.energy;
    state.esr = ray.esr;
    state.esi = ray.esi;
    state.epr = ray.epr;
    state.epi = ray.epi;
    state.n1 = ray.n1;
    state.n2 = ray.n2;
    state.x = ray.x;
    state.y = ray.y;
    return state;
}

bool outgoingRayIsFinite(const RayState& state)
{
    for (double value : {state.direction[0], state.direction[1], state.direction[2], state.esr, state.esi,
                         state.epr, state.epi, state.energy}) {
        if (!std::isfinite(value))
            return false;
    }
    return true;
}

void writeRayRecord(const RayState& state, BsdfPluginInteraction_V2& ray)
{
    for (int i = 0; i < 3; ++i)
        ray.direction[i] = state.direction[i];
    ray.esr = state.esr;
    ray.esi = state.esi;
    ray.epr = state.epr;
    ray.epi = state.epi;
    ray.energy = state.energy;
}

std::string rayRecordFault(const RayState& ray, bool readsHitPoint)
{
    static const char* const axisName[3] = {"direction x", "direction y", "direction z"};
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(ray.direction[i]))
            return describe(axisName[i], ray.direction[i], "a finite number");
    }
    if (ray.direction[0] == 0.0 && ray.direction[1] == 0.0 && ray.direction[2] == 0.0)
        return "Ray not traced (Interaction_V2): the direction is the zero vector.";
    if (!(std::isfinite(ray.lambdaNm) && ray.lambdaNm > 0.0))
        return describe("the wavelength (nm)", ray.lambdaNm, "a finite number above 0");
    if (!(std::isfinite(ray.n1) && ray.n1 > 0.0))
        return describe("n1", ray.n1, "a finite number above 0");
    if (!(std::isfinite(ray.n2) && ray.n2 > 0.0))
        return describe("n2", ray.n2, "a finite number above 0");
    const double field[4] = {ray.esr, ray.esi, ray.epr, ray.epi};
    static const char* const fieldName[4] = {"esr", "esi", "epr", "epi"};
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(field[i]))
            return describe(fieldName[i], field[i], "a finite number");
    }
    // Each part finite is not enough: the power |Es|^2 + |Ep|^2 weighs the
    // orders and becomes the outgoing energy, and must not overflow.
    if (!std::isfinite(ray.esr * ray.esr + ray.esi * ray.esi + ray.epr * ray.epr + ray.epi * ray.epi))
        return "Ray not traced (Interaction_V2): the power of the field (esr, esi, epr, epi) is not a finite "
               "number.";
    if (!std::isfinite(ray.energy))
        return describe("the energy", ray.energy, "a finite number");
    if (readsHitPoint) {
        if (!std::isfinite(ray.x))
            return describe("the hit point x (mm)", ray.x, "a finite number");
        if (!std::isfinite(ray.y))
            return describe("the hit point y (mm)", ray.y, "a finite number");
    }
    return std::string();
}

void normaliseDirection(double* direction)
{
    const double lengthSquared =
        direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2];
    if (std::fabs(lengthSquared - 1.0) <= 1e-9)
        return;
    // Divided by the largest component first, the components' squares lie
    // in [0, 1] and neither overflow nor vanish.
    const double scale =
        std::fmax(std::fabs(direction[0]), std::fmax(std::fabs(direction[1]), std::fabs(direction[2])));
    double scaled[3];
    for (int i = 0; i < 3; ++i)
        scaled[i] = direction[i] / scale;
    const double length = std::sqrt(scaled[0] * scaled[0] + scaled[1] * scaled[1] + scaled[2] * scaled[2]);
    for (int i = 0; i < 3; ++i)
        direction[i] = scaled[i] / length;
}

}  // namespace quelbrant
