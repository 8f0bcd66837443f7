// Once a thread has traced a ray of a surface, further rays allocate
// nothing: no table, list or text is built per ray while verbose logging is
// off.

#include <gtest/gtest.h>

#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"
#include "allocation_counter.h"

using namespace quelbrant;

namespace {

TEST(InteractionAllocations, WarmRaysAllocateNothing)
{
    struct Case {
        const char* file;
        double theta;
        bool fromLower;
        double x, y;
    };
    const Case cases[] = {
        {"bare-interface.json", 30.0, false, 0.0, 0.0},
        {"grating-1d.json", 20.0, true, 0.0, 0.0},
        {"grating-unit-vectors-xy.json", 25.0, true, 0.0, 0.0},
        {"grating-2d-positions.json", 10.0, false, -1.0, 1.0},
        {"grating-2d-positions.json", 10.0, false, 3.9, 2.9},  // hole: refraction
        {"grating-1d-fconversion.json", 35.0, false, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<GratingSurface> surface = loadSample(c.file);
        auto ray = [&] {
            TestRay r;
            r.polar(c.theta, 30.0, c.fromLower)
                .media(c.fromLower ? 1.5 : 1.0, c.fromLower ? 1.0 : 1.5)
                .at(c.x, c.y);
            return r;
        };
        const std::vector<int> zeroth = {0, 0};
        seedCallingThreadGenerator(17);
        for (int i = 0; i < 20; ++i) {
            TestRay warm = ray();
            trace(*surface, warm);
            TestRay warmOrder = ray();
            trace(*surface, warmOrder, zeroth);
        }
        const size_t before = allocationsOnThisThread();
        for (int i = 0; i < 200; ++i) {
            TestRay r = ray();
            trace(*surface, r);
            TestRay o = ray();
            trace(*surface, o, zeroth);
        }
        EXPECT_EQ(allocationsOnThisThread() - before, 0u) << c.file;
    }
}

}  // namespace
