#include "tables/BasisConversion.h"

#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>

#include "MathConstants.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

namespace {

// Smallest |uz| a conversion divides by.
constexpr double UzFloor = 1e-05;

// 2 x 2 blocks, element (r, c) at r + 2c like the table's [PolOut, PolIn].
struct Real2x2 {
    double e[4];
};
struct Complex2x2 {
    std::complex<double> e[4];
};

// Row-times-column sums accumulated from zero, in the order p = 0, 1.
template <typename A, typename B>
Complex2x2 multiply2x2(const A& a, const B& b)
{
    Complex2x2 result{};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            for (int p = 0; p < 2; ++p)
                result.e[i + 2 * j] += a.e[i + 2 * p] * b.e[p + 2 * j];
    return result;
}

// Rows are listed first row first: {r0c0, r0c1, r1c0, r1c1} -> flat r + 2c.
Real2x2 byRows(double r0c0, double r0c1, double r1c0, double r1c1)
{
    return {{r0c0, r1c0, r0c1, r1c1}};
}

// Takes target-basis components of a field along (sin phi, cos phi, uz) to
// the data basis. S/P -> X/Y of the table means X/Y -> S/P here.
Real2x2 targetToData(double sinPhi, double cosPhi, double uz, bool convertSPtoXY)
{
    if (convertSPtoXY)
        return byRows(sinPhi, -cosPhi, cosPhi / uz, sinPhi / uz);
    return byRows(sinPhi, cosPhi * uz, -cosPhi, sinPhi * uz);
}

// Takes data-basis components to the target basis: the inverse of
// targetToData for the same direction.
Real2x2 dataToTarget(double sinPhi, double cosPhi, double uz, bool convertSPtoXY)
{
    if (convertSPtoXY)
        return byRows(sinPhi, cosPhi * uz, -cosPhi, sinPhi * uz);
    return byRows(sinPhi, -cosPhi, cosPhi / uz, sinPhi / uz);
}

// What the outgoing orders need to know of one incident grid point.
struct Incidence {
    double sinPhi;
    double cosPhi;
    double uz;  // floored to +-UzFloor
    double kx;  // in-plane wave vector in the incident medium, 1/m
    double ky;
};

Incidence incidence(GratingSurface::AngleDefinition angleDef, double a1, double a2, double k0, double indexIn,
                    bool incidentFromUpper)
{
    Incidence in{};
    if (angleDef == GratingSurface::POLAR) {
        // a1 = theta, a2 = phi, degrees; theta is measured from the normal
        // on the incident side, so from above it is mirrored.
        in.sinPhi = std::sin(a2 * Pi / 180);
        in.cosPhi = std::cos(a2 * Pi / 180);
        const double theta2 = incidentFromUpper ? 180 - a1 : a1;
        in.uz = std::cos(theta2 * Pi / 180);
        in.kx = k0 * indexIn * std::sin(theta2 * Pi / 180) * in.cosPhi;
        in.ky = k0 * indexIn * std::sin(theta2 * Pi / 180) * in.sinPhi;
    } else {
        const double phi = std::atan2(a2, a1);
        in.sinPhi = std::sin(phi);
        in.cosPhi = std::cos(phi);
        const double s = incidentFromUpper ? -1 : 1;
        double w;
        if (angleDef == GratingSurface::UNIT_VECTOR) {
            // a1 = ux, a2 = uy.
            w = 1 - a1 * a1 - a2 * a2;
            in.kx = k0 * indexIn * a1;
            in.ky = k0 * indexIn * a2;
        } else {
            // a1 = kx, a2 = ky in 1/m.
            in.kx = a1;
            in.ky = a2;
            w = 1 - (a1 * a1 + a2 * a2) / (k0 * k0 * indexIn * indexIn);
        }
        in.uz = w > 0 ? s * std::sqrt(w) : 0;
    }
    if (std::abs(in.uz) < UzFloor)
        in.uz = incidentFromUpper ? -UzFloor : UzFloor;
    return in;
}

void checkLabels(size_t extent, size_t labels, const char* what)
{
    if (labels < extent)
        throw std::out_of_range(std::string("convertRTBetweenBases: ") + what + " is shorter than the table");
}

}  // namespace

void convertRTBetweenBases(NdArrayComplex& RT, const quelbrant::DenseTableAxes& axes,
                           const LatticeVectorsPerPosition& lattice,
                           const quelbrant::ConversionGeometry& geometry, bool convertSPtoXY,
                           const NdArrayReal* thetaPerWavelength)
{
    if (!axes.complete())
        throw std::invalid_argument("convertRTBetweenBases: axes or order vectors missing");
    const std::vector<double>& theta = *axes.angle1;
    const std::vector<double>& phi = *axes.angle2;
    const std::vector<double>& lambda = *axes.lambda;
    const std::vector<int>& nn = *axes.nOrders;
    const std::vector<int>& nm = *axes.mOrders;
    const std::vector<double>& nk1x = lattice.k1x;
    const std::vector<double>& nk1y = lattice.k1y;
    const std::vector<double>& nk2x = lattice.k2x;
    const std::vector<double>& nk2y = lattice.k2y;
    const GratingSurface::AngleDefinition angleDef = geometry.angleDef;
    const double indexIn = geometry.indexIn;
    const bool incidentFromUpper = geometry.incidentFromUpper;
    const double signOfOutputUz = geometry.signOfOutputUz;
    const std::optional<quelbrant::DenseTableShape> shape = quelbrant::denseTableShape(RT, axes.withPosition);
    if (!shape)
        throw std::out_of_range("convertRTBetweenBases: the table is not a dense R/T table");
    const size_t positions = shape->positions;
    const size_t a1 = shape->angle1, a2 = shape->angle2, wavelengths = shape->wavelengths;
    const size_t nCount = shape->nOrders, mCount = shape->mOrders;
    checkLabels(a1, theta.size(), "the first angle axis");
    checkLabels(a2, phi.size(), "the second angle axis");
    checkLabels(wavelengths, lambda.size(), "the wavelength axis");
    checkLabels(nCount, nn.size(), "the n order vector");
    checkLabels(mCount, nm.size(), "the m order vector");
    for (const std::vector<double>* list : {&nk1x, &nk1y, &nk2x, &nk2y})
        checkLabels(positions, list->size(), "a lattice-vector list");
    const bool thetaDependsOnWavelength = thetaPerWavelength != nullptr && !thetaPerWavelength->empty();
    size_t thetaRows = 0;
    if (thetaDependsOnWavelength) {
        const std::vector<size_t>& t = thetaPerWavelength->m_size;
        if (angleDef != GratingSurface::POLAR || t.size() != 2 ||
            !quelbrant::extentsDescribe(t, thetaPerWavelength->size()))
            throw std::out_of_range("convertRTBetweenBases: the theta-per-wavelength table is malformed");
        checkLabels(a1, t[0], "the theta-per-wavelength table's theta extent");
        checkLabels(wavelengths, t[1], "the theta-per-wavelength table's wavelength extent");
        thetaRows = t[0];
    }
    if (shape->elements() == 0)
        return;

    // The incident side depends on the grid point only: evaluate it once per
    // (i, j, k), in the order the table stores them.
    const size_t gridPoints = a1 * a2 * wavelengths;
    std::vector<Incidence> incident(gridPoints);
    std::vector<double> outDenominator(wavelengths);
    for (size_t k = 0; k < wavelengths; ++k) {
        const double k0 = TwoPi / lambda[k];
        outDenominator[k] = k0 * geometry.indexOut;
        for (size_t j = 0; j < a2; ++j)
            for (size_t i = 0; i < a1; ++i) {
                // Node (i, j, k) holds data for the angle it was computed at.
                const double a1Value =
                    thetaDependsOnWavelength ? (*thetaPerWavelength)[i + thetaRows * k] : theta[i];
                incident[i + a1 * (j + a2 * k)] =
                    incidence(angleDef, a1Value, phi[j], k0, indexIn, incidentFromUpper);
            }
    }

    // Walk the table in storage order: orders outermost, then grid points,
    // positions innermost; the four polarisation planes are four streams.
    const size_t planeSize = positions * gridPoints * nCount * mCount;
    std::complex<double>* const base = RT.data();
    std::complex<double>* const planes[4] = {base, base + planeSize, base + 2 * planeSize,
                                             base + 3 * planeSize};
    std::vector<double> n1x(positions), n1y(positions), m2x(positions), m2y(positions);
    size_t offset = 0;
    for (size_t q = 0; q < mCount; ++q) {
        for (size_t l = 0; l < nCount; ++l) {
            // Grating equation terms n*K1 and m*K2 of every position.
            for (size_t b = 0; b < positions; ++b) {
                n1x[b] = nk1x[b] * nn[l];
                n1y[b] = nk1y[b] * nn[l];
                m2x[b] = nk2x[b] * nm[q];
                m2y[b] = nk2y[b] * nm[q];
            }
            for (size_t g = 0; g < gridPoints; ++g) {
                const Incidence& in = incident[g];
                const double denominator = outDenominator[g / (a1 * a2)];
                for (size_t b = 0; b < positions; ++b, ++offset) {
                    Complex2x2 M{
                        {planes[0][offset], planes[1][offset], planes[2][offset], planes[3][offset]}};
                    double power = 0.0;
                    for (const std::complex<double>& v : M.e)
                        power += v.real() * v.real() + v.imag() * v.imag();
                    if (!(power > 0))
                        continue;

                    const double ux = (n1x[b] + in.kx + m2x[b]) / denominator;
                    const double uy = (n1y[b] + in.ky + m2y[b]) / denominator;
                    const double u2 = ux * ux + uy * uy;
                    // Beyond u2 = 1 the order is evanescent and uz is 0.
                    double uzOut = u2 <= 1 ? signOfOutputUz * std::sqrt(1 - u2) : 0;
                    double sinPhiOut, cosPhiOut;
                    if (std::abs(in.uz) == 1 && std::abs(uzOut) == 1) {
                        // Normal in, normal out: atan2 of the rounded (ux, uy)
                        // would be arbitrary, keep the incident plane.
                        sinPhiOut = in.sinPhi;
                        cosPhiOut = in.cosPhi;
                    } else {
                        const double phiOut = std::atan2(uy, ux);
                        sinPhiOut = std::sin(phiOut);
                        cosPhiOut = std::cos(phiOut);
                    }
                    if (std::abs(uzOut) < UzFloor)
                        uzOut = UzFloor * signOfOutputUz;

                    const Real2x2 aOut = dataToTarget(sinPhiOut, cosPhiOut, uzOut, convertSPtoXY);
                    const Real2x2 bIn = targetToData(in.sinPhi, in.cosPhi, in.uz, convertSPtoXY);
                    const Complex2x2 result = multiply2x2(multiply2x2(aOut, M), bIn);
                    for (int e = 0; e < 4; ++e)
                        planes[e][offset] = result.e[e];
                }
            }
        }
    }
}

}  // namespace quelbrant
