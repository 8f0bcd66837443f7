#include "ExpectedOrders.h"

#include <algorithm>
#include <cmath>

#include "UnpolarisedShares.h"

namespace {

constexpr double Pi = 3.141592653589793;
using Complex = std::complex<double>;
using View = dirtyGratingWrapper;

// Two nodes and weights along one ascending axis, clamped at both ends.
struct Bracket {
    size_t p1 = 0, p2 = 0;
    double w1 = 1.0, w2 = 0.0;
};

Bracket bracketOn(const View::view<double>& axis, double x0, bool nearest)
{
    Bracket b;
    const size_t count = axis.mSize;
    if (count <= 1 || axis.mData[0] >= x0)
        return b;
    if (x0 >= axis.mData[count - 1]) {
        b.p1 = b.p2 = count - 1;
        return b;
    }
    b.p2 = static_cast<size_t>(std::lower_bound(axis.mData, axis.mData + count, x0) - axis.mData);
    b.p1 = b.p2 - 1;
    const double delta = axis.mData[b.p2] - axis.mData[b.p1];
    b.w1 = delta != 0.0 ? (axis.mData[b.p2] - x0) / delta : 0.5;
    b.w2 = 1.0 - b.w1;
    if (nearest) {
        b.w1 = b.w1 > b.w2 ? 1.0 : 0.0;
        b.w2 = 1.0 - b.w1;
    }
    return b;
}

// Position of order 0 in a list, clamped to its ends (a zero lattice vector
// keeps only that order along its direction).
size_t positionOfZeroOrder(const View::view<int>& orders)
{
    for (size_t i = 0; i < orders.mSize; ++i)
        if (orders.mData[i] >= 0)
            return i;
    return orders.mSize - 1;
}

struct Family {
    bool reflected;
    const View::view_nd<View::dirtyComplex>* table;
    const View::view<int>* n;
    const View::view<int>* m;
};

struct Point {
    Bracket a1, a2, wavelength;
    double kInx, kIny;
};

// Interpolated Jones block (out, in) of one order.
std::array<std::array<Complex, 2>, 2> jonesAt(const View::view_nd<View::dirtyComplex>& table, const Point& at,
                                              size_t i, size_t j)
{
    const size_t* d = table.mDims.mData;
    std::array<std::array<Complex, 2>, 2> jones{};
    for (int c = 0; c < 8; ++c) {
        const double w = ((c & 1) ? at.a1.w2 : at.a1.w1) * ((c & 2) ? at.a2.w2 : at.a2.w1) *
                         ((c & 4) ? at.wavelength.w2 : at.wavelength.w1);
        if (w == 0.0)
            continue;
        const size_t a1 = (c & 1) ? at.a1.p2 : at.a1.p1;
        const size_t a2 = (c & 2) ? at.a2.p2 : at.a2.p1;
        const size_t l = (c & 4) ? at.wavelength.p2 : at.wavelength.p1;
        for (size_t o = 0; o < 2; ++o)
            for (size_t p = 0; p < 2; ++p) {
                const size_t index =
                    a1 + d[0] * (a2 + d[1] * (l + d[2] * (i + d[3] * (j + d[4] * (o + 2 * p)))));
                const View::dirtyComplex& z = table.mData.mData[index];
                jones[o][p] += w * Complex(z.r, z.i);
            }
    }
    return jones;
}

using Direction = std::array<double, 3>;

// S/P to X/Y for a direction: s = (sin phi, -cos phi, 0) and
// p = (cos theta cos phi, cos theta sin phi, -sin theta), phi = atan2(uy, ux).
void spToXY(Complex& first, Complex& second, const Direction& u)
{
    const double phi = std::atan2(u[1], u[0]);
    const double s = std::sin(phi), c = std::cos(phi);
    const Complex x = s * first + (c * u[2]) * second;
    const Complex y = -c * first + (s * u[2]) * second;
    first = x;
    second = y;
}

// The inverse, for a direction that is not grazing.
void xyToSP(Complex& first, Complex& second, const Direction& u)
{
    const double phi = std::atan2(u[1], u[0]);
    const double s = std::sin(phi), c = std::cos(phi);
    const Complex sAmplitude = s * first - c * second;
    const Complex pAmplitude = (c * first + s * second) / u[2];
    first = sAmplitude;
    second = pAmplitude;
}

// Power of an order leaving along `out` for the incident S/P field (es, ep)
// arriving along `in`.
double powerOf(const std::array<std::array<Complex, 2>, 2>& jones, Complex es, Complex ep,
               const Direction& in, const Direction& out, bool inXY)
{
    if (inXY)
        spToXY(es, ep, in);
    Complex first = jones[0][0] * es + jones[0][1] * ep;
    Complex second = jones[1][0] * es + jones[1][1] * ep;
    if (inXY)
        xyToSP(first, second, out);
    return std::norm(first) + std::norm(second);
}

std::string checkShape(const View::HalfSpace& side, const Family& family)
{
    const auto& dims = family.table->mDims;
    if (dims.mSize == 8)
        return "the tables depend on the position on the surface";
    if (dims.mSize != 7)
        return "the surface holds no tables of the expected shape";
    const size_t* d = dims.mData;
    if (d[0] != side.mThetaOrUxOrKx.mData.mSize || d[1] != side.mPhiOrUyOrKy.mSize ||
        d[2] != side.mLambda.mSize || d[3] != family.n->mSize || d[4] != family.m->mSize || d[5] != 2 ||
        d[6] != 2 || d[3] == 0 || d[4] == 0)
        return "the table extents do not match the axes";
    return {};
}

}  // namespace

ExpectedOutcome expectedOutcome(const dirtyGratingWrapper& view, const IncidentLight& light)
{
    ExpectedOutcome outcome;
    outcome.tablesInXY = light.tablesInXY;
    outcome.nearestAngleNodes = light.nearestAngleNodes;
    outcome.nearestWavelengthNode = light.nearestWavelengthNode;
    const std::array<double, 3>& dir = light.direction;

    // Side the ray comes from, as the library decides it: by the direction,
    // then by which pairing of the file's indices the ray's indices match.
    size_t rd = dir[2] > 0.0 ? 0 : 1;
    if (!view.mUseSurfaceNormal && view.mNLower != view.mNUpper && light.n1 != light.n2) {
        const double diff1 = std::pow(view.mNLower - light.n1, 2) + std::pow(view.mNUpper - light.n2, 2);
        const double diff2 = std::pow(view.mNUpper - light.n1, 2) + std::pow(view.mNLower - light.n2, 2);
        if (diff1 != diff2)
            rd = diff2 > diff1 ? 0 : 1;
    }
    const View::HalfSpace& side = view.mHalfSpaces[rd];
    const Family families[2] = {{true, &side.mR, &side.m_list_orders_Rn, &side.m_list_orders_Rm},
                                {false, &side.mT, &side.m_list_orders_Tn, &side.m_list_orders_Tm}};

    if (side.mThetaOrUxOrKx.mDims.mSize != 0) {
        outcome.unknownReason = "the angle grid depends on the wavelength";
        return outcome;
    }
    for (const Family& family : families) {
        outcome.unknownReason = checkShape(side, family);
        if (!outcome.known())
            return outcome;
    }

    const double lambda = light.wavelengthNm * 1e-9;
    const double kIn = 2.0 * Pi * light.n1 / lambda;
    const double kOut = 2.0 * Pi * light.n2 / lambda;
    Point at;
    at.kInx = dir[0] * kIn;
    at.kIny = dir[1] * kIn;
    double c1 = 0.0, c2 = 0.0;
    switch (view.mAngleDef) {
        case 0: {  // polar, degrees; azimuth turned into the range the axis starts
            c1 = std::acos(std::min(std::fabs(dir[2]), 1.0)) * 180.0 / Pi;
            c2 = std::atan2(dir[1], dir[0]) * 180.0 / Pi;
            if (side.mPhiOrUyOrKy.mSize > 0) {
                const double phi0 = side.mPhiOrUyOrKy.mData[0];
                c2 -= 360.0 * std::floor((1e-12 + (c2 - phi0)) / 360.0);
            }
            break;
        }
        case 1:
            c1 = dir[0];
            c2 = dir[1];
            break;
        case 2:
            c1 = at.kInx;
            c2 = at.kIny;
            break;
        default:
            outcome.unknownReason = "the angle definition is not set";
            return outcome;
    }
    at.a1 = bracketOn(side.mThetaOrUxOrKx.mData, c1, light.nearestAngleNodes);
    at.a2 = bracketOn(side.mPhiOrUyOrKy, c2, light.nearestAngleNodes);
    at.wavelength = bracketOn(side.mLambda, lambda, light.nearestWavelengthNode);

    const double k1[3] = {view.mK1Gx, view.mK1Gy, view.mK1GNorm};
    const double k2[3] = {view.mK2Gx, view.mK2Gy, view.mK2GNorm};
    const double zSign = std::copysign(1.0, dir[2]);
    double total = 0.0;
    std::vector<PolarisationPower> unpolarised;
    for (const Family& family : families) {
        const size_t nCount = family.n->mSize, mCount = family.m->mSize;
        const size_t iFirst = k1[2] == 0.0 ? positionOfZeroOrder(*family.n) : 0;
        const size_t iLast = k1[2] == 0.0 ? iFirst : nCount - 1;
        const size_t jFirst = k2[2] == 0.0 ? positionOfZeroOrder(*family.m) : 0;
        const size_t jLast = k2[2] == 0.0 ? jFirst : mCount - 1;
        const double kMaterial = family.reflected ? kIn : kOut;
        for (size_t j = jFirst; j <= jLast; ++j) {
            for (size_t i = iFirst; i <= iLast; ++i) {
                const int n = family.n->mData[i], m = family.m->mData[j];
                const double ux = (k2[0] * m + (k1[0] * n + at.kInx)) / kMaterial;
                const double uy = (k2[1] * m + (k1[1] * n + at.kIny)) / kMaterial;
                const double u2 = ux * ux + uy * uy;
                if (!(u2 < 1.0))
                    continue;  // evanescent
                const double uz = std::sqrt(1.0 - u2) * (family.reflected ? -zSign : zSign);
                const Direction out = {ux, uy, uz};
                const auto jones = jonesAt(*family.table, at, i, j);
                auto powerFor = [&](Complex es, Complex ep) {
                    return powerOf(jones, es, ep, dir, out, light.tablesInXY);
                };
                // Unpolarised: the power over the angle psi of es = cos psi,
                // ep = sin psi, from S, P and the diagonal psi = 45 degrees.
                PolarisationPower overAngle{0.0, 0.0, 0.0};
                if (light.unpolarised) {
                    const double s = powerFor(1.0, 0.0), p = powerFor(0.0, 1.0);
                    overAngle = {0.5 * (s + p), 0.5 * (s - p), 0.0};
                    overAngle.sin2 = powerFor(std::sqrt(0.5), std::sqrt(0.5)) - overAngle.mean;
                }
                const double power = light.unpolarised ? overAngle.mean : powerFor(light.es, light.ep);
                if (power <= 0.0)
                    continue;
                outcome.orders.push_back({family.reflected, n, m, out, power});
                total += power;
                unpolarised.push_back(overAngle);
            }
        }
    }

    // A ray draws in [0, 1) of its incident power and is lost above the
    // orders' total, unless the side is lossless or the orders carry more
    // than came in: then the draw spans just the orders. Each ray of
    // unpolarised light makes that choice with its own powers.
    if (light.unpolarised) {
        const UnpolarisedShares mean = unpolarisedShares(unpolarised, side.mLossless);
        for (size_t k = 0; k < outcome.orders.size(); ++k)
            outcome.orders[k].share = mean.shares[k];
        outcome.lostShare = mean.lostShare;
    } else if (side.mLossless || total > 1.0) {
        for (ExpectedOrder& order : outcome.orders)
            order.share /= total;
    } else {
        outcome.lostShare = 1.0 - total;
    }
    return outcome;
}
