// CMOS rewrite and verification report over synthetic polar tables with
// 5 x 5 orders in R and T: the rewrite on a realistic grid of 46 theta x 73
// phi x 11 wavelengths, the report (about 150 bytes per order and node) on
// 10 theta x 19 phi x 3 wavelengths.

#include <benchmark/benchmark.h>

#include <complex>
#include <ostream>
#include <random>
#include <streambuf>
#include <vector>

#include "report/VerificationReport.h"
#include "tables/CmosRewrite.h"

using namespace quelbrant;

namespace {

constexpr size_t Orders = 5;

NdArrayComplex randomTable(std::mt19937_64& random, size_t theta, size_t phi, size_t wavelengths)
{
    NdArrayComplex table;
    table.m_size = {theta, phi, wavelengths, Orders, Orders, 2, 2};
    std::uniform_real_distribution<double> amplitude(-0.2, 0.2);
    table.resize(theta * phi * wavelengths * Orders * Orders * 4);
    for (auto& value : table)
        value = {amplitude(random), amplitude(random)};
    return table;
}

std::vector<double> axis(size_t count, double first, double step)
{
    std::vector<double> values(count);
    for (size_t i = 0; i < count; ++i)
        values[i] = first + step * static_cast<double>(i);
    return values;
}

struct Fixture {
    Fixture(size_t thetaCount, size_t phiCount, size_t wavelengths)
        : theta(axis(thetaCount, 0.0, 90.0 / static_cast<double>(thetaCount))),
          phi(axis(phiCount, 0.0, 360.0 / static_cast<double>(phiCount - 1))),
          lambda(axis(wavelengths, 4e-7, 3e-8)),
          R(randomTable(random, thetaCount, phiCount, wavelengths)),
          T(randomTable(random, thetaCount, phiCount, wavelengths))
    {
    }
    std::mt19937_64 random{7};
    std::vector<double> theta, phi, lambda;
    std::vector<int> orders{-2, -1, 0, 1, 2};
    NdArrayComplex R, T;
};

// Counts what is written and keeps nothing.
class CountingBuffer : public std::streambuf {
public:
    size_t count = 0;

protected:
    int_type overflow(int_type c) override
    {
        ++count;
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char*, std::streamsize n) override
    {
        count += static_cast<size_t>(n);
        return n;
    }
};

void BM_CmosRewrite(benchmark::State& state)
{
    Fixture f(46, 73, 11);
    for (auto _ : state) {
        moveTransmittedPowerToZerothOrder(f.R, f.orders, f.orders, f.T, f.orders, f.orders, false);
        benchmark::DoNotOptimize(f.T.data());
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * (f.R.size() + f.T.size()) * sizeof(std::complex<double>)));
}
BENCHMARK(BM_CmosRewrite)->Unit(benchmark::kMillisecond);

void BM_VerificationReport(benchmark::State& state)
{
    Fixture f(10, 19, 3);
    const ReportHalfSpace half{f.lambda, f.theta, f.phi, f.orders, f.orders, f.orders, f.orders, f.R, f.T};
    const ReportInput input{"/data/bench.json",    1.0,  1.5, {1e7, 0, 0, 1e7, 1e7, 1e7}, nullptr,
                            GratingSurface::POLAR, half, half};
    size_t bytes = 0;
    for (auto _ : state) {
        CountingBuffer buffer;
        std::ostream out(&buffer);
        benchmark::DoNotOptimize(writeVerificationReport(out, input));
        bytes += buffer.count;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_VerificationReport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
