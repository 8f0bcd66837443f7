#pragma once

// The two records the lens-design host passes to UserDefinedSurface5 on every
// call. They are a binary contract with the host (little-endian, 32-bit ints,
// IEEE doubles, a complex value as real then imaginary part): the members sit
// at fixed byte offsets, pinned by the static_asserts below, and the bytes in
// the reserved gaps are neither read nor written.

#include <cstddef>
#include <cstdint>

namespace quelbrant {

// Surface parameters the host edits per surface; see SurfaceParamNames.h.
constexpr int UserSurfaceParamCount = 256;
// The file name field holds a name without folder. Windows paths are at most
// MAX_PATH units long, so this many bytes hold every name the host can open;
// a name with no NUL inside them ends at the field's end.
constexpr std::size_t UserSurfaceFileNameCapacity = 260;
// The longest answer of the text requests ("No Interpolation") and its NUL.
constexpr std::size_t UserSurfaceTextCapacity = 17;

// Second argument: what the host asks for and the ray's incoming state.
struct UserSurfaceInput {
    std::int32_t type;  // request type, see UserSurfaceRequests.h
    std::int32_t item;  // requests 0 and 1: which text
    std::uint8_t reserved0[16];
    std::int32_t reflecting;        // real ray: nonzero asks for reflected orders only
    std::int32_t mirrorSpaceAfter;  // nonzero: the written direction is negated
    std::uint8_t reserved1[404];
    std::int32_t traceState;  // set to 2 by a traced real ray
    std::uint8_t reserved2[8];
    double E[6];  // Ex, Ey, Ez in the host frame, each real then imaginary part
    std::uint8_t reserved3[816];
    double wavelength;  // micrometres
    std::uint8_t reserved4[8];
    double approachIndex;  // n1
    double exitIndex;      // n2
    double curvature;      // base curvature c
    std::uint8_t reserved5[16];
    double conic;  // conic constant k
    double param[UserSurfaceParamCount];
    std::uint8_t reserved6[200];
    char fileName[UserSurfaceFileNameCapacity];  // UTF-8, without folder, NUL-terminated
};

// First argument: the ray's position and direction in and out, and the
// answers.
struct UserSurfaceOutput {
    double x, y, z;        // ray position; after a real ray the intersection point
    double l, m, n;        // direction cosines
    double normalL, normalM, normalN;
    double path;
    double sag;
    double sagSecond;
    double extra[4];
    double transmission;
    std::uint8_t reserved0[32];
    char text[UserSurfaceTextCapacity];  // answer of requests 0 and 1, NUL-terminated
};

static_assert(offsetof(UserSurfaceInput, type) == 0, "type");
static_assert(offsetof(UserSurfaceInput, item) == 4, "item");
static_assert(offsetof(UserSurfaceInput, reflecting) == 24, "reflecting");
static_assert(offsetof(UserSurfaceInput, mirrorSpaceAfter) == 28, "mirrorSpaceAfter");
static_assert(offsetof(UserSurfaceInput, traceState) == 436, "traceState");
static_assert(offsetof(UserSurfaceInput, E) == 448, "E");
static_assert(offsetof(UserSurfaceInput, wavelength) == 1312, "wavelength");
static_assert(offsetof(UserSurfaceInput, approachIndex) == 1328, "approachIndex");
static_assert(offsetof(UserSurfaceInput, exitIndex) == 1336, "exitIndex");
static_assert(offsetof(UserSurfaceInput, curvature) == 1344, "curvature");
static_assert(offsetof(UserSurfaceInput, conic) == 1368, "conic");
static_assert(offsetof(UserSurfaceInput, param) == 1376, "param");
static_assert(offsetof(UserSurfaceInput, fileName) == 3624, "fileName");

static_assert(offsetof(UserSurfaceOutput, x) == 0, "x");
static_assert(offsetof(UserSurfaceOutput, y) == 8, "y");
static_assert(offsetof(UserSurfaceOutput, z) == 16, "z");
static_assert(offsetof(UserSurfaceOutput, l) == 24, "l");
static_assert(offsetof(UserSurfaceOutput, m) == 32, "m");
static_assert(offsetof(UserSurfaceOutput, n) == 40, "n");
static_assert(offsetof(UserSurfaceOutput, normalL) == 48, "normalL");
static_assert(offsetof(UserSurfaceOutput, normalM) == 56, "normalM");
static_assert(offsetof(UserSurfaceOutput, normalN) == 64, "normalN");
static_assert(offsetof(UserSurfaceOutput, path) == 72, "path");
static_assert(offsetof(UserSurfaceOutput, sag) == 80, "sag");
static_assert(offsetof(UserSurfaceOutput, sagSecond) == 88, "sagSecond");
static_assert(offsetof(UserSurfaceOutput, extra) == 96, "extra");
static_assert(offsetof(UserSurfaceOutput, transmission) == 128, "transmission");
static_assert(offsetof(UserSurfaceOutput, text) == 168, "text");

}  // namespace quelbrant
