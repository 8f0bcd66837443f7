#pragma once

// The host's DiffractionData block: an array of doubles, d[i] at byte offset
// 8 i. Integers (type, orders, counts) arrive as doubles; the file name and
// folder are UTF-16 text laid over the doubles from index 100 on. Nothing
// outside the indices named here is read or written.

#include <cstddef>

namespace quelbrant {

struct DiffractionData {
    static constexpr std::size_t byteOffset(std::size_t index) { return index * sizeof(double); }

    static constexpr std::size_t position = 1;       // x, y, z (z only logged)
    static constexpr std::size_t cosine = 4;         // incident direction, 3
    static constexpr std::size_t normal = 7;         // surface normal, 3
    static constexpr std::size_t wavelength = 10;    // micrometres
    static constexpr std::size_t type = 11;          // int: 0 transmitted, 1 reflected; out for stochastic
    static constexpr std::size_t approachIndex = 12;
    static constexpr std::size_t exitIndex = 13;
    static constexpr std::size_t traceOrderX = 14;     // int
    static constexpr std::size_t traceOrderY = 15;     // int
    static constexpr std::size_t expectedOrderX = 16;  // int
    static constexpr std::size_t expectedOrderY = 18;  // int
    static constexpr std::size_t field = 20;           // Ex, Ey, Ez as (re, im) pairs, 6
    static constexpr std::size_t requestedType = 29;   // int
    static constexpr std::size_t outputPower = 30;     // out: 0.0 means no outgoing ray
    static constexpr std::size_t servedMarker = 31;    // out: 2.0 for a served ray
    static constexpr std::size_t servedZero = 32;      // out: 0.0 for a served ray
    static constexpr std::size_t outCosine = 35;       // out, 3
    static constexpr std::size_t outField = 40;        // out, 6
    static constexpr std::size_t keyFirst = 100;       // 100 doubles hashed into the cache key
    static constexpr std::size_t keyCount = 100;
    static constexpr std::size_t paramCount = 200;     // int N
    static constexpr std::size_t paramValues = 201;    // N doubles
    // Of the N parameters only the first 14 mean anything: 7 host parameters
    // at even positions.
    static constexpr std::size_t paramsUsed = 14;

    static constexpr std::size_t fileNameBytes = 800;   // UTF-16, NUL-terminated or 65 units
    static constexpr std::size_t fileNameUnits = 65;
    static constexpr std::size_t directoryBytes = 1040;  // UTF-16, NUL-terminated or 265 units
    static constexpr std::size_t directoryUnits = 265;

    // Doubles a block must hold for every field above and the 14 parameters.
    static constexpr std::size_t minimumDoubles = paramValues + paramsUsed;
};

static_assert(DiffractionData::byteOffset(DiffractionData::position) == 8);
static_assert(DiffractionData::byteOffset(DiffractionData::cosine) == 32);
static_assert(DiffractionData::byteOffset(DiffractionData::normal) == 56);
static_assert(DiffractionData::byteOffset(DiffractionData::wavelength) == 80);
static_assert(DiffractionData::byteOffset(DiffractionData::type) == 88);
static_assert(DiffractionData::byteOffset(DiffractionData::approachIndex) == 96);
static_assert(DiffractionData::byteOffset(DiffractionData::exitIndex) == 104);
static_assert(DiffractionData::byteOffset(DiffractionData::traceOrderX) == 112);
static_assert(DiffractionData::byteOffset(DiffractionData::traceOrderY) == 120);
static_assert(DiffractionData::byteOffset(DiffractionData::expectedOrderX) == 128);
static_assert(DiffractionData::byteOffset(DiffractionData::expectedOrderY) == 144);
static_assert(DiffractionData::byteOffset(DiffractionData::field) == 160);
static_assert(DiffractionData::byteOffset(DiffractionData::requestedType) == 232);
static_assert(DiffractionData::byteOffset(DiffractionData::outputPower) == 240);
static_assert(DiffractionData::byteOffset(DiffractionData::servedMarker) == 248);
static_assert(DiffractionData::byteOffset(DiffractionData::servedZero) == 256);
static_assert(DiffractionData::byteOffset(DiffractionData::outCosine) == 280);
static_assert(DiffractionData::byteOffset(DiffractionData::outField) == 320);
static_assert(DiffractionData::byteOffset(DiffractionData::keyFirst) == 800);
static_assert(DiffractionData::byteOffset(DiffractionData::paramCount) == 1600);
static_assert(DiffractionData::byteOffset(DiffractionData::paramValues) == 1608);
// Both strings lie inside the hashed doubles, so the key follows the file.
static_assert(DiffractionData::fileNameBytes == DiffractionData::byteOffset(DiffractionData::keyFirst));
static_assert(DiffractionData::fileNameBytes + 2 * DiffractionData::fileNameUnits == 930);
static_assert(DiffractionData::directoryBytes + 2 * DiffractionData::directoryUnits == 1570);
static_assert(DiffractionData::directoryBytes + 2 * DiffractionData::directoryUnits <=
              DiffractionData::byteOffset(DiffractionData::keyFirst + DiffractionData::keyCount));

}  // namespace quelbrant
