// The user-defined surface's requests other than the real ray, called as
// the lens-design host calls them.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "UserSurfaceCall.h"
#include "cache/CachedSequentialSurface.h"
#include "cache/SurfaceCache.h"
#include "logger.h"
#include "user-surface/HostRay.h"

namespace quelbrant::testing {
namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

struct TextCase {
    int type;
    int item;
    const char* expected;  // nullptr: the text is left as it was
};

TEST(UserSurfaceText, DescriptionAndParameterNamesNeedNoFile)
{
    const TextCase cases[] = {
        {0, 0, "---"},        {0, 1, ""},    {0, 2, ""},     {0, 3, nullptr},         {1, 10, "No Interpolation"},
        {1, 0, ""},           {1, 11, ""},   {1, 14, ""},    {1, 25, ""},             {1, -1, ""},
        {1, 15, "A2"},        {1, 24, "A20"}, {1, 1, "Order X"}, {1, 4, "Log"},       {1, 7, "Check Index"},
    };
    dataRootValue().clear();  // nothing may be loaded
    for (const TextCase& c : cases) {
        UserSurfaceCall call(c.type, "");
        call.in->item = c.item;
        std::strcpy(call.out->text, "unchanged");
        EXPECT_EQ(call.run(), 0) << c.type << "/" << c.item;
        EXPECT_STREQ(call.out->text, c.expected ? c.expected : "unchanged") << c.type << "/" << c.item;
    }
}

struct SagCase {
    double x, y, c, k;
    int coefficient;  // parameter number of the one non-zero coefficient, 0 for none
    double value;
    double expected;  // NaN: the request fails
};

TEST(UserSurfaceSag, EvenAsphereOnConicBase)
{
    const SagCase cases[] = {
        {0.0, 0.0, 0.3, -2.0, 15, 1.0, 0.0},             // the vertex, whatever the shape
        {3.0, 4.0, 0.1, 0.0, 0, 0.0, 10.0 - std::sqrt(75.0)},  // sphere of radius 10 at r = 5
        {2.0, 0.0, 0.5, -1.0, 0, 0.0, 1.0},              // paraboloid: c r^2 / 2
        {1.0, 1.0, 0.0, 0.0, 15, 0.5, 1.0},              // A2 r^2 alone
        {1.0, 1.0, 0.0, 0.0, 24, 1.0, 1024.0},           // A20 r^20 = 2^10
        {2.0, 0.0, 1.0, 0.0, 0, 0.0, NaN},               // beyond the sphere's rim
        {1e200, 0.0, 0.0, 0.0, 15, 1.0, NaN},            // overflows: no infinite sag
    };
    DataFolder folder;
    folder.install("grating-1d.json", "sag.json");
    for (const SagCase& c : cases) {
        UserSurfaceCall call(3, "sag.json");
        call.out->x = c.x;
        call.out->y = c.y;
        call.out->sag = -7.0;
        call.out->sagSecond = -7.0;
        call.in->curvature = c.c;
        call.in->conic = c.k;
        if (c.coefficient)
            call.in->param[c.coefficient] = c.value;
        const int result = call.run();
        if (std::isnan(c.expected)) {
            EXPECT_EQ(result, -1) << c.x;
            EXPECT_EQ(call.out->sag, -7.0) << c.x;
        } else {
            EXPECT_EQ(result, 0) << c.x;
            EXPECT_NEAR(call.out->sag, c.expected, 1e-12) << c.x;
            EXPECT_EQ(call.out->sagSecond, 0.0);
        }
    }
}

struct ParaxialCase {
    double l, m, n, x, y, n1, n2, c, a2;
    int reflecting, mirrorAfter;
    double expected[3];  // NaN in [0]: only the normal is written
};

TEST(UserSurfaceParaxial, ThinSurfaceRefraction)
{
    const double s = 1.0 / std::sqrt(1.25);
    const double n3 = 1.0 / std::sqrt(1.0 + 0.04 / 2.25 + 0.01 / 2.25);
    const ParaxialCase cases[] = {
        // Along the vertex plane: no slope to refract.
        {1.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.5, 0.1, 0.0, 0, 0, {NaN, 0, 0}},
        // No power: the slopes scale by n1/n2 (0.75 / 1.5 = 0.5).
        {0.6, 0.0, 0.8, 3.0, 0.0, 1.0, 1.5, 0.0, 0.0, 0, 0, {0.5 * s, 0.0, s}},
        // Power (2 A2 + c)(n2 - n1) = 0.1 at height (2, -1).
        {0.0, 0.0, 1.0, 2.0, -1.0, 1.0, 1.5, 0.1, 0.05, 0, 0, {-0.2 / 1.5 * n3, 0.1 / 1.5 * n3, n3}},
        // Mirror space after the surface negates the result.
        {0.0, 0.0, 1.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0, 1, 1, {0.0, 0.0, -1.0}},
        // Mirror space before: the host's direction is negated first.
        {0.0, 0.0, -1.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0, 1, 0, {0.0, 0.0, 1.0}},
        // Grazing: slopes whose squares overflow still give a unit direction.
        {1.0, 0.0, 1e-300, 0.0, 0.0, 1.0, 1.5, 0.0, 0.0, 0, 0, {1.0, 0.0, 0.0}},
        {1.0, 0.0, -1e-300, 0.0, 0.0, 1.0, 1.5, 0.0, 0.0, 0, 0, {-1.0, 0.0, 0.0}},
        {1.0, 0.0, 1e-160, 0.0, 0.0, 1.0, 1.5, 0.0, 0.0, 0, 0, {1.0, 0.0, 0.0}},
    };
    DataFolder folder;
    folder.install("grating-1d.json", "paraxial.json");
    for (const ParaxialCase& c : cases) {
        UserSurfaceCall call(4, "paraxial.json");
        *call.out = UserSurfaceOutput{c.x, c.y, 5.0, c.l, c.m, c.n, 9.0, 9.0, 9.0, -7.0, 0, 0, {}, -7.0, {}, {}};
        call.in->approachIndex = c.n1;
        call.in->exitIndex = c.n2;
        call.in->curvature = c.c;
        call.in->param[15] = c.a2;
        call.in->reflecting = c.reflecting;
        call.in->mirrorSpaceAfter = c.mirrorAfter;
        ASSERT_EQ(call.run(), 0);
        EXPECT_EQ(call.out->normalL, 0.0);
        EXPECT_EQ(call.out->normalM, 0.0);
        EXPECT_EQ(call.out->normalN, -1.0);
        EXPECT_EQ(call.out->x, c.x);
        EXPECT_EQ(call.out->z, 5.0);
        if (std::isnan(c.expected[0])) {
            EXPECT_EQ(call.out->l, c.l);
            EXPECT_EQ(call.out->transmission, -7.0);
            continue;
        }
        EXPECT_NEAR(call.out->l, c.expected[0], 1e-12);
        EXPECT_NEAR(call.out->m, c.expected[1], 1e-12);
        EXPECT_NEAR(call.out->n, c.expected[2], 1e-12);
        EXPECT_EQ(call.out->transmission, 1.0);
        EXPECT_EQ(call.out->path, 0.0);
    }
}

TEST(UserSurfaceResets, ExtraValuesAndParameters)
{
    DataFolder folder;
    folder.install("grating-1d.json", "resets.json");
    UserSurfaceCall extra(6, "resets.json");
    for (double& value : extra.out->extra)
        value = 3.0;
    ASSERT_EQ(extra.run(), 0);
    for (double value : extra.out->extra)
        EXPECT_EQ(value, 0.0);

    UserSurfaceCall params(7, "resets.json");
    for (double& value : params.in->param)
        value = 2.0;
    ASSERT_EQ(params.run(), 0);
    for (double value : params.in->param)
        EXPECT_EQ(value, 0.0);
}

TEST(UserSurfaceLoad, MissingFileFailsEveryLoadingRequestWithRecordsUntouched)
{
    DataFolder folder;
    for (int type : {2, 3, 4, 5, 6, 7, 8, 42}) {
        UserSurfaceCall call(type, "not-there.json");
        for (double& value : call.in->param)
            value = 2.0;
        call.out->n = 1.0;
        call.in->wavelength = 0.55;
        const UserSurfaceCall before = call.copy();
        EXPECT_EQ(call.run(), -1) << type;
        EXPECT_TRUE(call.recordsEqual(before)) << type;
    }
    // No data folder at all (registry and Documents both failed).
    dataRootValue().clear();
    UserSurfaceCall call(2, "not-there.json");
    EXPECT_EQ(call.run(), -1);
}

TEST(UserSurfaceLoad, OnlyFileNameAndLogMakeNewEntries)
{
    DataFolder folder;
    folder.install("grating-1d.json", "keys.json");
    folder.install("grating-1d.json", "keys-other.json");
    auto load = [](const char* name, int parameter, double value) {
        UserSurfaceCall call(2, name);
        call.in->param[parameter] = value;
        EXPECT_EQ(call.run(), 0);
    };
    auto& cache = sequentialSurfaceCache();
    const std::size_t start = cache.size();
    load("keys.json", 4, 0.0);
    EXPECT_EQ(cache.size(), start + 1);
    load("keys.json", 3, 45.0);   // "Rotate" shares
    load("keys.json", 15, 1e-3);  // "A2" shares
    load("keys.json", 4, -0.0);   // -0.0 is 0.0
    EXPECT_EQ(cache.size(), start + 1);
    load("keys.json", 4, 1.0);
    load("keys-other.json", 4, 0.0);
    EXPECT_EQ(cache.size(), start + 3);
}

TEST(UserSurfaceLoad, LogParameterSetsTheLoggerAsTheLoadAsks)
{
    struct LogCase {
        double log;
        bool enabled, verbose;
    };
    // A "Log" no int holds counts as logging on, not verbose.
    const LogCase cases[] = {{0.0, false, false}, {1.0, true, false},  {99.0, true, true},   {99.5, true, true},
                             {NaN, true, false},  {1e12, true, false}, {-1e12, true, false}, {0.5, false, false}};
    DataFolder folder;
    int file = 0;
    for (const LogCase& c : cases) {
        // A file of its own per case, so that each one loads.
        const std::string name = "log-" + std::to_string(file++) + ".json";
        folder.install("grating-1d.json", name);
        UserSurfaceCall call(2, name);
        call.in->param[4] = c.log;
        ASSERT_EQ(call.run(), 0) << c.log;
        EXPECT_EQ(getLogger().isEnabled(), c.enabled) << c.log;
        EXPECT_EQ(getLogger().isVerbose(), c.verbose) << c.log;
    }
    getLogger().setEnabled(false);
    getLogger().setVerbose(false);
}

TEST(UserSurfaceHostRay, ParameterRangeAndParameter)
{
    UserSurfaceCall call(5, "");
    for (int i = 0; i < UserSurfaceParamCount; ++i)
        call.in->param[i] = i;
    HostRay ray(call.out.get(), call.in.get());
    const std::vector<double> all = ray.parameterRange(0, 256);
    ASSERT_EQ(all.size(), 256u);
    EXPECT_EQ(all[255], 255.0);
    EXPECT_EQ(ray.parameter(255), 255.0);
    EXPECT_EQ(ray.parameter(256), 0.0);
    EXPECT_EQ(ray.parameter(-1), 0.0);
    for (auto range : {std::pair{-1, 5}, std::pair{3, 2}, std::pair{0, 257}})
        EXPECT_THROW(ray.parameterRange(range.first, range.second), std::invalid_argument);
    try {
        ray.parameterRange(-1, 5);
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Unkown error. Wrong parameters number. (-1,5)");
    }
}

}  // namespace
}  // namespace quelbrant::testing
