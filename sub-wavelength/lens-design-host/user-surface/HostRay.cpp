#include "user-surface/HostRay.h"

#include <stdexcept>
#include <string>

namespace quelbrant {

Vector3 HostRay::cosine() const
{
    const double sign = mirrorSpaceBeforeSurface() ? -1.0 : 1.0;
    return {sign * mOut->l, sign * mOut->m, sign * mOut->n};
}

Field3 HostRay::E() const
{
    const double* e = mIn->E;
    return {std::complex<double>(e[0], e[1]), std::complex<double>(e[2], e[3]),
            std::complex<double>(e[4], e[5])};
}

double HostRay::parameter(int index) const
{
    // Compared as unsigned: a negative index wraps far beyond the table.
    if (static_cast<unsigned>(index) < static_cast<unsigned>(UserSurfaceParamCount))
        return mIn->param[index];
    return 0.0;
}

std::vector<double> HostRay::parameterRange(int from, int to) const
{
    if (from < 0 || to > UserSurfaceParamCount || to < from)
        throw std::invalid_argument("Unkown error. Wrong parameters number. (" + std::to_string(from) + "," +
                                    std::to_string(to) + ")");
    return std::vector<double>(mIn->param + from, mIn->param + to);
}

void HostRay::writeBack(const Vector3& position, const Vector3& direction, const Field3& field, double path,
                        double transmission)
{
    const double sign = mirrorSpaceAfterSurface() ? -1.0 : 1.0;
    mOut->l = sign * direction[0];
    mOut->m = sign * direction[1];
    mOut->n = sign * direction[2];
    mOut->x = position[0];
    mOut->y = position[1];
    mOut->z = position[2];
    mOut->transmission = transmission;
    mOut->path = path;
    mIn->traceState = 2;
    for (int i = 0; i < 3; ++i) {
        mIn->E[2 * i] = field[i].real();
        mIn->E[2 * i + 1] = field[i].imag();
    }
}

}  // namespace quelbrant
