#include "user-surface/LocalFrame.h"

#include "geometry/Geometry.h"

namespace quelbrant {

namespace {

template <class T>
std::array<T, 3> multiply(const Vector3 (&m)[3], const std::array<T, 3>& v)
{
    std::array<T, 3> result;
    for (int i = 0; i < 3; ++i)
        result[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return result;
}

template <class T>
std::array<T, 3> multiplyTransposed(const Vector3 (&m)[3], const std::array<T, 3>& w)
{
    std::array<T, 3> result;
    for (int i = 0; i < 3; ++i)
        result[i] = m[0][i] * w[0] + m[1][i] * w[1] + m[2][i] * w[2];
    return result;
}

}  // namespace

Vector3 LocalFrame::toLocal(const Vector3& v) const
{
    return identity ? v : multiply(rows, v);
}

Field3 LocalFrame::toLocal(const Field3& v) const
{
    return identity ? v : multiply(rows, v);
}

Vector3 LocalFrame::toHost(const Vector3& w) const
{
    return identity ? w : multiplyTransposed(rows, w);
}

Field3 LocalFrame::toHost(const Field3& w) const
{
    return identity ? w : multiplyTransposed(rows, w);
}

LocalFrame buildLocalFrame(const Vector3& normal, bool isPlane, double rotateDegrees, bool flipYZ,
                           bool flipXZ)
{
    LocalFrame frame;
    if (isPlane && rotateDegrees == 0.0)
        return frame;
    frame.identity = false;
    Vector3 x0 = {1.0, 0.0, 0.0};
    if (rotateDegrees != 0.0)
        quelbrant::rotateDegrees(x0[0], x0[1], rotateDegrees);
    Vector3 n = normal;
    if (!(n[2] > 0.0)) {
        for (double& component : n)
            component = -component;
    }
    Vector3 y = cross(n, x0);
    if (vectorNorm(y) == 0.0) {
        // The grating's x axis along the normal: y is its turned y axis.
        y = {0.0, 1.0, 0.0};
        quelbrant::rotateDegrees(y[0], y[1], rotateDegrees);
    }
    Vector3 x = cross(y, n);
    if (flipYZ) {
        for (int i = 0; i < 3; ++i) {
            y[i] = -y[i];
            n[i] = -n[i];
        }
    }
    if (flipXZ) {
        for (int i = 0; i < 3; ++i) {
            x[i] = -x[i];
            n[i] = -n[i];
        }
    }
    frame.rows[0] = x;
    frame.rows[1] = y;
    frame.rows[2] = n;
    return frame;
}

}  // namespace quelbrant
