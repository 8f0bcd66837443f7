#pragma once

// Grating files the benchmarks write: glass below, air above, a polar grid
// with the same orders and random coefficients on both sides.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace benchfiles {

constexpr double Pi = 3.141592653589793;
constexpr double Glass = 1.5;
constexpr double Air = 1.0;

// Streams one grating file: glass below, air above, polar grid, both half
// spaces with the same grid, orders and random coefficients.
struct GratingFileSpec {
    std::vector<double> theta, phi, lambda;
    int nMax = 0, mMax = 0;  // orders -nMax..nMax x -mMax..mMax
    double K1[2] = {0, 0};   // rad/m
    double K2[2] = {0, 0};
    size_t positionsX = 0, positionsY = 0;  // 0: no position data
    double positionStep = 0.001;            // m
};

inline void writeNumbers(std::FILE* f, const std::vector<double>& values)
{
    std::fputc('[', f);
    for (size_t i = 0; i < values.size(); ++i)
        std::fprintf(f, i ? ",%.9g" : "%.9g", values[i]);
    std::fputc(']', f);
}

inline void writeRealMatrix(std::FILE* f, size_t rows, size_t columns, const std::vector<double>& data)
{
    std::fprintf(f, "{\"_type\":\"matrix\",\"_complex\":false,\"_size\":[%zu,%zu],\"_data\":", rows, columns);
    writeNumbers(f, data);
    std::fputc('}', f);
}

inline void writeGratingFile(const std::string& path, const GratingFileSpec& g)
{
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    const bool withPosition = g.positionsX > 0;
    const size_t P = withPosition ? g.positionsX * g.positionsY : 1;
    std::fprintf(f, "{\"n_lower\":%g,\"n_upper\":%g,", Glass, Air);
    if (withPosition) {
        std::vector<double> xs, ys, map;
        for (size_t i = 0; i < g.positionsX; ++i)
            xs.push_back((i - 0.5 * (g.positionsX - 1)) * g.positionStep);
        for (size_t j = 0; j < g.positionsY; ++j)
            ys.push_back((j - 0.5 * (g.positionsY - 1)) * g.positionStep);
        for (size_t i = 0; i < g.positionsX; ++i)
            for (size_t j = 0; j < g.positionsY; ++j)
                map.push_back(static_cast<double>(1 + i + g.positionsX * j));
        std::fprintf(f, "\"spatial_variation_or_parameter_scan\":{\"pos_x\":");
        writeNumbers(f, xs);
        std::fprintf(f, ",\"pos_y\":");
        writeNumbers(f, ys);
        std::fprintf(f, ",\"index_map\":");
        writeRealMatrix(f, g.positionsY, g.positionsX, map);
        std::fprintf(f, "},");
        // Lattice vectors turning slowly over the surface.
        std::vector<double> k1, k2;
        for (int c = 0; c < 2; ++c)
            for (size_t p = 0; p < P; ++p) {
                const double turn = 0.002 * static_cast<double>(p);
                k1.push_back(c == 0 ? g.K1[0] * std::cos(turn) : g.K1[0] * std::sin(turn));
                k2.push_back(c == 0 ? -g.K2[1] * std::sin(turn) : g.K2[1] * std::cos(turn));
            }
        std::fprintf(f, "\"reciprocal_lattice_vector_1\":");
        writeRealMatrix(f, P, 2, k1);
        std::fprintf(f, ",\"reciprocal_lattice_vector_2\":");
        writeRealMatrix(f, P, 2, k2);
        std::fputc(',', f);
    } else {
        std::fprintf(
            f, "\"reciprocal_lattice_vector_1\":[%.9g,%.9g],\"reciprocal_lattice_vector_2\":[%.9g,%.9g],",
            g.K1[0], g.K1[1], g.K2[0], g.K2[1]);
    }

    std::vector<double> orderData;
    for (int column = 0; column < 2; ++column)
        for (int m = -g.mMax; m <= g.mMax; ++m)
            for (int n = -g.nMax; n <= g.nMax; ++n)
                orderData.push_back(column == 0 ? n : m);
    const size_t K = orderData.size() / 2;
    // Random amplitudes with about 0.9 of the power over all orders.
    const double scale = std::sqrt(0.9 / (2.0 * static_cast<double>(K)));
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int side = 0; side < 2; ++side) {
        std::fprintf(f,
                     "\"%s\":{\"list_orders_R\":", side == 0 ? "grat_results_lower" : "grat_results_upper");
        writeRealMatrix(f, K, 2, orderData);
        std::fprintf(f, ",\"list_orders_T\":");
        writeRealMatrix(f, K, 2, orderData);
        for (const char* table : {"R", "T"}) {
            std::fprintf(f, ",\"%s\":{\"_type\":\"matrix\",\"_complex\":true,\"_size\":[", table);
            if (withPosition)
                std::fprintf(f, "%zu,", P);
            std::fprintf(f, "%zu,%zu,%zu,%zu,2,2],\"_data\":[", g.theta.size(), g.phi.size(), g.lambda.size(),
                         K);
            const size_t count = P * g.theta.size() * g.phi.size() * g.lambda.size() * K * 4;
            for (size_t i = 0; i < count; ++i)
                std::fprintf(f, i ? ",%.6g,%.6g" : "%.6g,%.6g", scale * u(random), scale * u(random));
            std::fprintf(f, "]}");
        }
        std::fprintf(f, ",\"wavelength\":");
        writeNumbers(f, g.lambda);
        std::fprintf(f, ",\"angle_definition\":{\"theta\":");
        writeNumbers(f, g.theta);
        std::fprintf(f, ",\"phi\":");
        writeNumbers(f, g.phi);
        std::fprintf(f, "},\"lossless\":0}%s", side == 0 ? "," : "");
    }
    std::fprintf(f, "}");
    if (std::fclose(f) != 0)
        throw std::runtime_error("cannot write " + path);
}

inline std::string temporaryFile(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

// (b): period 20 um along x, so that all 21 orders propagate at moderate
// incidence.
inline GratingFileSpec grating1d21Orders()
{
    GratingFileSpec g;
    for (int t = 0; t <= 80; t += 10)
        g.theta.push_back(t);
    for (int p = 0; p <= 360; p += 45)
        g.phi.push_back(p);
    g.lambda = {450e-9, 550e-9, 650e-9};
    g.nMax = 10;
    g.K1[0] = 2 * Pi / 20e-6;
    return g;
}

}  // namespace benchfiles
