#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <random>
#include <string>

#include "ErrorTable.h"
#include "allocation_counter.h"
#include "ray/FresnelFallback.h"

using namespace quelbrant;

namespace {

using Complex = std::complex<double>;
const double Pi = 3.141592653589793;
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// Textbook power reflectances and transmittances (Hecht, Optics, 4.4) for
// incidence angle theta from medium n1 onto n2, below the critical angle.
struct Textbook {
    double Rs, Rp, Ts, Tp;
};

Textbook textbook(double n1, double n2, double theta)
{
    const double ci = std::cos(theta);
    const double ct = std::sqrt(1.0 - std::pow(n1 / n2 * std::sin(theta), 2));
    const double rs = (n1 * ci - n2 * ct) / (n1 * ci + n2 * ct);
    const double rp = (n2 * ci - n1 * ct) / (n2 * ci + n1 * ct);
    const double ts = 2 * n1 * ci / (n1 * ci + n2 * ct);
    const double tp = 2 * n1 * ci / (n2 * ci + n1 * ct);
    const double beam = n2 * ct / (n1 * ci);
    return {rs * rs, rp * rp, beam * ts * ts, beam * tp * tp};
}

// One ray as the interaction hands it over.
struct Ray {
    double L = 0.0, M = 0.0, N = 1.0;
    double esr = 1.0, esi = 0.0, epr = 0.0, epi = 0.0;
    double energy = 1.0;

    void refract(double n1, double n2, bool isR, bool isT, double rand)
    {
        refraction(n1, n2, L, M, N, esr, esi, epr, epi, energy, isR, isT, rand);
    }
    Complex Es() const { return {esr, esi}; }
    Complex Ep() const { return {epr, epi}; }
    bool operator==(const Ray& o) const
    {
        auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
        return same(L, o.L) && same(M, o.M) && same(N, o.N) && same(esr, o.esr) && same(esi, o.esi) &&
               same(epr, o.epr) && same(epi, o.epi) && same(energy, o.energy);
    }
};

void PrintTo(const Ray& r, std::ostream* os)
{
    *os << "dir (" << r.L << ", " << r.M << ", " << r.N << ") Es (" << r.esr << ", " << r.esi << ") Ep ("
        << r.epr << ", " << r.epi << ") energy " << r.energy;
}

TEST(FresnelCoefficients, NormalIncidenceOnGlass)
{
    EXPECT_NEAR(Fresnel_rs<double>(1.0, 1.5, 1.0, 1.0), -0.2, 1e-15);
    EXPECT_NEAR(Fresnel_rp<double>(1.0, 1.5, 1.0, 1.0), 0.2, 1e-15);
    EXPECT_NEAR(Fresnel_ts(1.0, 1.5, 1.0, 1.0), 0.8 * std::sqrt(1.5), 1e-15);
    EXPECT_NEAR(Fresnel_tp(1.0, 1.5, 1.0, 1.0), 0.8 * std::sqrt(1.5), 1e-15);
}

TEST(FresnelCoefficients, MatchTheTextbookAndConserveEnergyAtEveryAngle)
{
    for (auto media : {std::pair<double, double>{1.0, 1.5}, {1.5, 1.0}, {1.33, 2.4}}) {
        const double n1 = media.first;
        const double n2 = media.second;
        const double critical = n1 > n2 ? std::asin(n2 / n1) : Pi / 2;
        for (double theta = 0.0; theta < critical - 1e-3; theta += 0.01) {
            const Textbook t = textbook(n1, n2, theta);
            const double N1 = std::cos(theta);
            const double N2 = std::sqrt(1.0 - std::pow(n1 / n2 * std::sin(theta), 2));
            // From above the surface both z components are negative.
            for (double sign : {1.0, -1.0}) {
                const double rs = Fresnel_rs<double>(n1, n2, sign * N1, sign * N2);
                const double rp = Fresnel_rp<double>(n1, n2, sign * N1, sign * N2);
                const double ts = Fresnel_ts(n1, n2, sign * N1, sign * N2);
                const double tp = Fresnel_tp(n1, n2, sign * N1, sign * N2);
                ASSERT_NEAR(rs * rs, t.Rs, 1e-12) << n1 << " -> " << n2 << " at " << theta;
                ASSERT_NEAR(rp * rp, t.Rp, 1e-12) << n1 << " -> " << n2 << " at " << theta;
                ASSERT_NEAR(ts * ts, t.Ts, 1e-12) << n1 << " -> " << n2 << " at " << theta;
                ASSERT_NEAR(tp * tp, t.Tp, 1e-12) << n1 << " -> " << n2 << " at " << theta;
                ASSERT_NEAR(rs * rs + ts * ts, 1.0, 1e-12);
                ASSERT_NEAR(rp * rp + tp * tp, 1.0, 1e-12);
            }
        }
    }
}

TEST(FresnelCoefficients, BrewstersAngleReflectsNoP)
{
    for (auto media : {std::pair<double, double>{1.0, 1.5}, {1.5, 1.0}}) {
        const double n1 = media.first;
        const double n2 = media.second;
        const double brewster = std::atan(n2 / n1);
        const double N1 = std::cos(brewster);
        const double N2 = std::sqrt(1.0 - std::pow(n1 / n2 * std::sin(brewster), 2));
        EXPECT_NEAR(Fresnel_rp<double>(n1, n2, N1, N2), 0.0, 1e-15);
        EXPECT_GT(std::fabs(Fresnel_rs<double>(n1, n2, N1, N2)), 0.1);
        EXPECT_NEAR(std::abs(Fresnel_rp<Complex>(n1, n2, N1, Complex(N2, 0.0))), 0.0, 1e-15);
    }
}

TEST(Refraction, NormalIncidenceOnGlassDrawsTheBranchAndKeepsTheEnergy)
{
    Ray transmitted;
    transmitted.energy = 0.7;
    transmitted.refract(1.0, 1.5, true, true, 0.5);
    EXPECT_EQ(transmitted.N, 1.0);
    EXPECT_EQ(transmitted.L, 0.0);
    EXPECT_NEAR(transmitted.esr, 1.0, 1e-15);
    EXPECT_EQ(transmitted.energy, 0.7);

    Ray reflected;
    reflected.energy = 0.7;
    reflected.refract(1.0, 1.5, true, true, 0.01);
    EXPECT_EQ(reflected.N, -1.0);
    EXPECT_NEAR(reflected.esr, -1.0, 1e-15);
    EXPECT_EQ(reflected.energy, 0.7);
}

TEST(Refraction, OneAllowedBranchCarriesItsPower)
{
    Ray r;
    r.energy = 0.7;
    r.refract(1.0, 1.5, true, false, 0.99);
    EXPECT_EQ(r.N, -1.0);
    EXPECT_NEAR(r.energy, 0.04, 1e-15);
    EXPECT_NEAR(r.esr, -1.0, 1e-15);

    Ray t;
    t.energy = 0.7;
    t.refract(1.0, 1.5, false, true, 0.0);
    EXPECT_EQ(t.N, 1.0);
    EXPECT_NEAR(t.energy, 0.96, 1e-15);
    EXPECT_NEAR(t.esr, 1.0, 1e-15);
}

TEST(Refraction, ADrawEqualToTheReflectanceReflects)
{
    const double R = std::norm(Complex(1.0, 0.0) * Fresnel_rs<double>(1.0, 1.5, 1.0, 1.0));
    Ray tie;
    tie.refract(1.0, 1.5, true, true, R);
    EXPECT_EQ(tie.N, -1.0);
    Ray above;
    above.refract(1.0, 1.5, true, true, std::nextafter(R, 1.0));
    EXPECT_EQ(above.N, 1.0);
}

TEST(Refraction, EqualIndicesPassStraightThrough)
{
    for (double rand : {0.0, 0.3, 0.999}) {
        Ray r;
        r.L = 0.6;
        r.N = 0.8;
        r.esr = 0.6;
        r.epi = 0.8;
        r.energy = 0.5;
        r.refract(1.2, 1.2, true, true, rand);
        // No reflected power, so the reflection is never drawn, not even
        // with a draw of 0.
        EXPECT_EQ(r.L, 0.6);
        EXPECT_EQ(r.N, 0.8);
        EXPECT_NEAR(r.esr, 0.6, 1e-15);
        EXPECT_NEAR(r.epi, 0.8, 1e-15);
        EXPECT_EQ(r.energy, 0.5);
    }
    // Reflection alone: a ray of no power.
    Ray r;
    r.refract(1.2, 1.2, true, false, 0.5);
    EXPECT_EQ(r.N, -1.0);
    EXPECT_EQ(r.energy, 0.0);
    EXPECT_EQ(r.Es(), Complex(0.0, 0.0));
}

// n1 = 1.5 onto n2 = 1 at sin(theta) = 0.8 (beyond the critical 41.8
// degrees), field S = 0.6, P = 0.8i.
Ray totalInternalReflectionRay()
{
    Ray r;
    r.L = 0.8;
    r.N = 0.6;
    r.esr = 0.6;
    r.epr = 0.0;
    r.epi = 0.8;
    r.energy = 0.3;
    return r;
}

TEST(Refraction, TotalInternalReflectionKeepsThePowerAndShiftsThePhases)
{
    for (bool isT : {true, false}) {
        Ray r = totalInternalReflectionRay();
        r.refract(1.5, 1.0, true, isT, 0.99);
        EXPECT_EQ(r.L, 0.8);
        EXPECT_EQ(r.M, 0.0);
        EXPECT_EQ(r.N, -0.6);
        EXPECT_NEAR(r.energy, 1.0, 1e-15);
        EXPECT_NEAR(std::abs(r.Es()), 0.6, 1e-15);
        EXPECT_NEAR(std::abs(r.Ep()), 0.8, 1e-15);
        // Textbook relative phase of p against s on total internal
        // reflection: tan(delta / 2) = cos(theta) sqrt(sin^2 - n^2) / sin^2.
        const double n = 1.0 / 1.5;
        const double expected = 2 * std::atan(0.6 * std::sqrt(0.64 - n * n) / 0.64);
        const double before = std::arg(Complex(0.0, 0.8) / Complex(0.6, 0.0));
        const double after = std::arg(r.Ep() / r.Es());
        EXPECT_NEAR(std::fabs(std::remainder(after - before, 2 * Pi)), expected, 1e-12);
    }
    // A field of power 2: the branch keeps it.
    Ray strong = totalInternalReflectionRay();
    strong.esr = 1.0;
    strong.epr = 1.0;
    strong.epi = 0.0;
    strong.refract(1.5, 1.0, true, true, 0.5);
    EXPECT_NEAR(strong.energy, 2.0, 1e-14);
    EXPECT_NEAR(std::norm(strong.Es()) + std::norm(strong.Ep()), 1.0, 1e-15);
}

TEST(Refraction, TotalInternalReflectionWithoutReflectionLosesTheRay)
{
    Ray r = totalInternalReflectionRay();
    r.refract(1.5, 1.0, false, true, 0.5);
    EXPECT_NEAR(r.L, 1.2, 1e-15);
    EXPECT_EQ(r.M, 0.0);
    EXPECT_EQ(r.N, 0.6);
    EXPECT_EQ(r.energy, 0.0);
    EXPECT_EQ(r.esr, 0.6);
    EXPECT_EQ(r.epi, 0.8);
}

TEST(Refraction, AZeroFieldCarriesNoEnergy)
{
    Ray r;
    r.L = 0.3;
    r.N = std::sqrt(1 - 0.09);
    r.esr = 0.0;
    Ray expected = r;
    expected.energy = 0.0;
    r.refract(1.0, 1.5, true, true, 0.5);
    EXPECT_EQ(r, expected);
}

TEST(Refraction, NeitherBranchAllowedIsAnErrorThatChangesNothing)
{
    Ray r;
    const Ray before = r;
    try {
        r.refract(1.0, 1.5, false, false, 0.5);
        FAIL() << "no error raised";
    } catch (int index) {
        EXPECT_EQ(std::wstring(errorDescription(index)), L"Unknwon error. (refraction)");
    }
    EXPECT_EQ(r, before);
}

struct Unanswerable {
    const char* name;
    double n1, n2;
    Ray ray;
};

void PrintTo(const Unanswerable& u, std::ostream* os)
{
    *os << u.name;
}

Ray rayWith(double L, double M, double N, double esr, double esi)
{
    Ray r;
    r.L = L;
    r.M = M;
    r.N = N;
    r.esr = esr;
    r.esi = esi;
    r.energy = 0.8;
    return r;
}

class RefractionUnanswerable : public ::testing::TestWithParam<Unanswerable> {};

TEST_P(RefractionUnanswerable, LosesTheEnergyAndLeavesTheRest)
{
    const Unanswerable& u = GetParam();
    for (int branches = 1; branches < 4; ++branches) {
        Ray r = u.ray;
        Ray expected = u.ray;
        expected.energy = 0.0;
        EXPECT_NO_THROW(r.refract(u.n1, u.n2, branches & 1, branches & 2, 0.5));
        EXPECT_EQ(r, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefractionUnanswerable,
    ::testing::Values(Unanswerable{"NaNDirection", 1.0, 1.5, rayWith(NaN, 0.0, 1.0, 1.0, 0.0)},
                      Unanswerable{"NaNNormalComponent", 1.0, 1.5, rayWith(0.0, 0.0, NaN, 1.0, 0.0)},
                      Unanswerable{"InfiniteDirection", 1.0, 1.5, rayWith(0.0, Inf, 1.0, 1.0, 0.0)},
                      Unanswerable{"NaNField", 1.0, 1.5, rayWith(0.0, 0.0, 1.0, 1.0, NaN)},
                      Unanswerable{"InfiniteField", 1.0, 1.5, rayWith(0.0, 0.0, 1.0, -Inf, 0.0)},
                      Unanswerable{"NaNIndex", NaN, 1.5, rayWith(0.0, 0.0, 1.0, 1.0, 0.0)},
                      Unanswerable{"InfiniteIndex", 1.0, Inf, rayWith(0.0, 0.0, 1.0, 1.0, 0.0)},
                      Unanswerable{"ZeroIndex", 0.0, 1.5, rayWith(0.0, 0.0, 1.0, 1.0, 0.0)},
                      Unanswerable{"NegativeIndex", 1.0, -1.5, rayWith(0.0, 0.0, 1.0, 1.0, 0.0)},
                      Unanswerable{"Grazing", 1.0, 1.0, rayWith(1.0, 0.0, 0.0, 1.0, 0.0)}),
    [](const ::testing::TestParamInfo<Unanswerable>& info) { return std::string(info.param.name); });

TEST(Refraction, OutputFieldHasUnitPowerAndDirectionObeysSnell)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 1000; ++i) {
        const double theta = u(rng) * 1.5;
        const double phi = u(rng) * 2 * Pi;
        Ray r;
        r.L = std::sin(theta) * std::cos(phi);
        r.M = std::sin(theta) * std::sin(phi);
        r.N = -std::cos(theta);
        r.esr = u(rng) - 0.5;
        r.esi = u(rng) - 0.5;
        r.epr = u(rng) - 0.5;
        r.epi = u(rng) - 0.5;
        const double L0 = r.L;
        r.refract(1.0, 1.7, true, true, u(rng));
        ASSERT_NEAR(std::norm(r.Es()) + std::norm(r.Ep()), 1.0, 1e-12);
        ASSERT_NEAR(r.L * r.L + r.M * r.M + r.N * r.N, 1.0, 1e-12);
        if (r.N < 0.0)
            ASSERT_NEAR(r.L * 1.7, L0, 1e-12);  // n1 sin = n2 sin
        else
            ASSERT_EQ(r.L, L0);
    }
}

// Monte Carlo: the branch is drawn with the reflectance as its probability,
// and the energy of the outgoing rays, averaged, is the incoming energy.
struct DrawStatistics {
    double reflectedFraction;
    double meanEnergy;
    double energyStandardError;
};

DrawStatistics drawMany(double n1, double n2, double theta, Complex Es, Complex Ep, int count)
{
    std::mt19937_64 rng(0x5eed1234);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int reflected = 0;
    double sum = 0.0;
    double sumSquares = 0.0;
    for (int i = 0; i < count; ++i) {
        Ray r;
        r.L = std::sin(theta);
        r.N = std::cos(theta);
        r.esr = Es.real();
        r.esi = Es.imag();
        r.epr = Ep.real();
        r.epi = Ep.imag();
        r.energy = 1.0;
        r.refract(n1, n2, true, true, u(rng));
        reflected += r.N < 0.0 ? 1 : 0;
        sum += r.energy;
        sumSquares += r.energy * r.energy;
    }
    const double mean = sum / count;
    const double variance = std::max(0.0, sumSquares / count - mean * mean);
    return {static_cast<double>(reflected) / count, mean, std::sqrt(variance / count)};
}

void expectDrawnWithProbability(const DrawStatistics& s, double R, int count)
{
    const double standardError = std::sqrt(R * (1.0 - R) / count);
    EXPECT_NEAR(s.reflectedFraction, R, 5.0 * standardError);
    EXPECT_NEAR(s.meanEnergy, 1.0, 5.0 * s.energyStandardError + 1e-12);
}

constexpr int Draws = 200000;

TEST(RefractionStatistics, GlassAtNormalIncidenceConservesTheEnergyOnAverage)
{
    // Reflectance 0.04. Weighting the drawn branch by its power as well
    // would return 0.04^2 + 0.96^2 = 0.9232 of the energy on average.
    const DrawStatistics s = drawMany(1.0, 1.5, 0.0, 1.0, 0.0, Draws);
    expectDrawnWithProbability(s, 0.04, Draws);
}

TEST(RefractionStatistics, ObliqueIncidenceFollowsTheTextbookReflectances)
{
    const double theta = Pi / 4;
    const Textbook t = textbook(1.0, 1.5, theta);
    expectDrawnWithProbability(drawMany(1.0, 1.5, theta, 1.0, 0.0, Draws), t.Rs, Draws);
    expectDrawnWithProbability(drawMany(1.0, 1.5, theta, 0.0, Complex(0.0, 1.0), Draws), t.Rp, Draws);
    const double h = std::sqrt(0.5);
    expectDrawnWithProbability(drawMany(1.0, 1.5, theta, h, Complex(0.0, h), Draws), 0.5 * (t.Rs + t.Rp),
                               Draws);
    // Internal side, below the critical angle.
    const Textbook inside = textbook(1.5, 1.0, 0.5);
    expectDrawnWithProbability(drawMany(1.5, 1.0, 0.5, 1.0, 0.0, Draws), inside.Rs, Draws);
}

TEST(RefractionStatistics, TheDrawDoesNotDependOnTheFieldsScale)
{
    // A field of power 4 reflects as often as a unit field.
    expectDrawnWithProbability(drawMany(1.0, 1.5, 0.0, 2.0, 0.0, Draws), 0.04, Draws);
    expectDrawnWithProbability(drawMany(1.0, 1.5, 0.0, 1e-160, 0.0, Draws), 0.04, Draws);
}

TEST(Refraction, AllocatesNothing)
{
    // The first call may set up the process-wide logger; later calls must
    // not allocate.
    Ray warmUp;
    warmUp.refract(1.0, 1.5, true, true, 0.5);
    Ray r;
    const AllocationCount count;
    r.refract(1.0, 1.5, true, true, 0.5);
    EXPECT_EQ(count.sinceStart(), 0u);
}

TEST(RotateRay, TurnsTheInPlanePartByMinusTheAngle)
{
    double d[3] = {1.0, 0.0, 0.25};
    rotateRay(d, Pi / 2);
    EXPECT_NEAR(d[0], 0.0, 1e-15);
    EXPECT_NEAR(d[1], -1.0, 1e-15);
    EXPECT_EQ(d[2], 0.25);

    double same[3] = {0.3, -0.4, 0.5};
    rotateRay(same, 0.0);
    EXPECT_EQ(same[0], 0.3);
    EXPECT_EQ(same[1], -0.4);
    EXPECT_EQ(same[2], 0.5);

    rotateRay(nullptr, 1.0);
}

TEST(RotateRay, RotatingBackRestoresTheDirection)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int i = 0; i < 200; ++i) {
        const double original[3] = {u(rng), u(rng), u(rng)};
        double d[3] = {original[0], original[1], original[2]};
        const double a = 4.0 * u(rng);
        rotateRay(d, a);
        rotateRay(d, -a);
        EXPECT_NEAR(d[0], original[0], 1e-15);
        EXPECT_NEAR(d[1], original[1], 1e-15);
        EXPECT_EQ(d[2], original[2]);
    }
}

}  // namespace
