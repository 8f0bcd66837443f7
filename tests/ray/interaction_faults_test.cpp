// Rays the interaction must answer without undefined behaviour: records with
// values that are not numbers, powers that give no share, tables whose side
// by direction and side by indices disagree, and failures from below that
// are not the host's int convention.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "GratingSurfaceAccess.h"
#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"
#include "allocation_counter.h"

using namespace quelbrant;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// The int the interaction threw and the text it names, or "" when it
// returned normally.
std::string thrownText(GratingSurface& surface, TestRay& ray, const std::vector<int>& order = {})
{
    try {
        trace(surface, ray, order);
    } catch (int index) {
        return errorText(index);
    }
    return "";
}

struct Corruption {
    const char* what;
    void (*apply)(TestRay&);
};

const Corruption RecordCorruptions[] = {
    {"direction x NaN", [](TestRay& r) { r.direction[0] = NaN; }},
    {"direction y infinite", [](TestRay& r) { r.direction[1] = Inf; }},
    {"direction z NaN", [](TestRay& r) { r.direction[2] = NaN; }},
    {"direction z -infinite", [](TestRay& r) { r.direction[2] = -Inf; }},
    {"zero direction", [](TestRay& r) { r.towards(0.0, 0.0, 0.0); }},
    {"wavelength NaN", [](TestRay& r) { r.record.lambda = NaN; }},
    {"wavelength infinite", [](TestRay& r) { r.record.lambda = Inf; }},
    {"wavelength 0", [](TestRay& r) { r.record.lambda = 0.0; }},
    {"wavelength negative", [](TestRay& r) { r.record.lambda = -550.0; }},
    {"n1 NaN", [](TestRay& r) { r.record.n1 = NaN; }},
    {"n2 infinite", [](TestRay& r) { r.record.n2 = Inf; }},
    {"n1 zero", [](TestRay& r) { r.record.n1 = 0.0; }},
    {"n2 negative", [](TestRay& r) { r.record.n2 = -1.5; }},
    {"esr NaN", [](TestRay& r) { r.record.esr = NaN; }},
    {"epi infinite", [](TestRay& r) { r.record.epi = -Inf; }},
    {"energy NaN", [](TestRay& r) { r.record.energy = NaN; }},
};

TEST(RecordFaults, NonFiniteValuesEndInAnErrorAndLeaveTheRecord)
{
    for (const char* file : {"bare-interface.json", "grating-1d.json", "grating-2d-positions.json"}) {
        std::unique_ptr<GratingSurface> surface = loadSample(file);
        for (const Corruption& c : RecordCorruptions) {
            TestRay ray;
            ray.polar(10.0, 20.0, false).media(1.0, 1.5).at(-1.0, -1.0);
            c.apply(ray);
            const TestRay before = ray;
            const std::string text = thrownText(*surface, ray);
            EXPECT_NE(text.find("Ray not traced"), std::string::npos)
                << file << ": " << c.what << " -> " << text;
            EXPECT_TRUE(sameRecord(ray, before)) << file << ": " << c.what;
        }
    }
}

TEST(RecordFaults, HitPointIsCheckedOnlyWhereTheDataVaryWithIt)
{
    std::unique_ptr<GratingSurface> plain = loadSample("grating-1d.json");
    std::unique_ptr<GratingSurface> positions = loadSample("grating-2d-positions.json");
    for (double bad : {NaN, Inf, -Inf}) {
        for (int coordinate = 0; coordinate < 2; ++coordinate) {
            TestRay ray;
            ray.polar(10.0, 20.0, false)
                .media(1.0, 1.5)
                .at(coordinate == 0 ? bad : 1.0, coordinate == 1 ? bad : 1.0);
            TestRay other = ray;
            EXPECT_EQ(thrownText(*plain, ray), "");
            const TestRay before = other;
            EXPECT_NE(thrownText(*positions, other).find("hit point"), std::string::npos);
            EXPECT_TRUE(sameRecord(other, before));
        }
    }
}

TEST(RecordFaults, MissingRecordOrDirectionIsAnError)
{
    std::unique_ptr<GratingSurface> surface = loadSample("bare-interface.json");
    EXPECT_THROW(surface->Interaction_V2(nullptr, {}, true, true, {}), int);
    TestRay ray;
    ray.record.direction = nullptr;
    EXPECT_THROW(trace(*surface, ray), int);
}

// A lossless side asked for one order gives that order the share
// power / total power of all orders. With a zero lattice vector the full
// table only builds the order nearest 0, which here carries nothing, while
// the requested order alone is built from its own table entry: a share of
// nothing is no ray.
TEST(SpecificOrderFaults, LosslessOrderWithoutTotalPowerGivesNoRay)
{
    SyntheticGrating g;
    g.lossless[0] = g.lossless[1] = true;
    g.ordersR = {{0, 0}, {1, 0}};
    g.value = [](int, bool transmitted, size_t, size_t, size_t, size_t, size_t k, size_t o, size_t i) {
        return Complex(!transmitted && k == 1 && o == i ? 0.5 : 0.0, 0.0);
    };
    std::unique_ptr<GratingSurface> surface = loadFile(g.write("zero-total-power.json"));
    TestRay ray;
    ray.polar(10.0, 0.0, false).media(1.0, 1.5);
    const TestRay before = ray;
    EXPECT_EQ(trace(*surface, ray, {1, 0}, true, false), 0);
    EXPECT_TRUE(sameRecord(ray, before));
    EXPECT_TRUE(std::isfinite(ray.record.energy));
}

// The lower side is lossless, the upper one not. A ray travelling toward
// +z with the upper side's media is traced on the upper side; its requested
// order must be built from a table that matches the order lists it is
// built with.
TEST(SpecificOrderFaults, SideByIndicesDifferentFromSideByDirection)
{
    SyntheticGrating g;
    g.lossless[0] = true;
    g.lossless[1] = false;
    g.K1[0] = 2 * Pi / 1e-6;
    g.ordersR = g.ordersT = {{-1, 0}, {0, 0}, {1, 0}};
    g.value = [](int side, bool transmitted, size_t, size_t, size_t, size_t, size_t k, size_t o, size_t i) {
        const double a = (transmitted ? 0.5 : 0.3) * (k == 1 ? 1.0 : 0.5) * (side == 0 ? 1.0 : 0.9);
        return Complex(o == i ? a : 0.0, 0.0);
    };
    std::unique_ptr<GratingSurface> surface = loadFile(g.write("mixed-lossless.json"));
    for (bool towardPlusZ : {true, false}) {
        TestRay ray;
        // Media say "from the upper side" when travelling toward +z, and
        // "from the lower side" when travelling toward -z.
        ray.polar(10.0, 0.0, towardPlusZ).media(towardPlusZ ? 1.0 : 1.5, towardPlusZ ? 1.5 : 1.0);
        TestRay copy = ray;
        EXPECT_NO_THROW({
            const int result = trace(*surface, ray, {1, 0}, true, false);
            EXPECT_NE(result, 0);
        }) << towardPlusZ;
        EXPECT_NO_THROW(trace(*surface, copy, {-1, 0}, false, true)) << towardPlusZ;
    }
}

// Tables that do not match their order lists can only come from a broken
// rewrite; the host must still receive an int error.
TEST(LibraryFaults, OutOfRangeFromATableBecomesAnErrorIndex)
{
    std::unique_ptr<GratingSurface> surface = loadSample("grating-1d.json");
    auto& lists = const_cast<std::vector<int>(&)[2]>(GratingSurfaceAccess::m_list_orders_Rn(*surface));
    lists[1].push_back(2);
    TestRay ray;
    ray.polar(10.0, 0.0, false).media(1.0, 1.5);
    const TestRay before = ray;
    const std::string text = thrownText(*surface, ray);
    EXPECT_NE(text.find("internal error"), std::string::npos) << text;
    EXPECT_TRUE(sameRecord(ray, before));
}

// Allocation failure at every allocation a first ray on a fresh thread
// makes: the interaction either finishes (also where a layer below copes
// with the failure itself) or throws an int, leaving the record untouched.
TEST(LibraryFaults, AllocationFailureBecomesAnErrorIndex)
{
    std::unique_ptr<GratingSurface> surface = loadSample("grating-2d-positions.json");
    bool failed = false;
    bool completedWithoutFailure = false;
    for (size_t failAt = 1; failAt < 400 && !completedWithoutFailure; ++failAt) {
        std::string outcome;
        std::thread worker([&] {
            TestRay ray;
            ray.polar(10.0, 0.0, false).media(1.0, 1.5).at(-1.0, -1.0);
            const TestRay before = ray;
            FailingAllocation failure(failAt);
            try {
                trace(*surface, ray);
                outcome = failure.triggered() ? "completed after a failed allocation" : "completed";
            } catch (int) {
                outcome = sameRecord(ray, before) ? "int" : "int, record changed";
            } catch (...) {
                outcome = "other exception";
            }
        });
        worker.join();
        ASSERT_TRUE(outcome == "int" || outcome == "completed" ||
                    outcome == "completed after a failed allocation")
            << "allocation " << failAt << ": " << outcome;
        failed = failed || outcome == "int";
        completedWithoutFailure = outcome == "completed";
    }
    EXPECT_TRUE(failed);
    EXPECT_TRUE(completedWithoutFailure);
}

}  // namespace
