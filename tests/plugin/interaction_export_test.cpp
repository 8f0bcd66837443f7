// Rays through the Interaction_V2 export on small surfaces whose answer is
// known from the grating equation and the tables' powers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <thread>
#include <vector>

#include "PluginTestSupport.h"

using namespace quelbrant;

namespace {

struct Ray {
    double direction[3];
    BsdfPluginInteraction_V2 record;
};

// An s-polarised ray of unit energy at 500 nm with n1 = n2 = 1.
void prepare(Ray& ray, void* instance, double dx, double dy, double dz)
{
    ray.direction[0] = dx;
    ray.direction[1] = dy;
    ray.direction[2] = dz;
    ray.record = BsdfPluginInteraction_V2{};
    ray.record.instance = instance;
    ray.record.direction = ray.direction;
    ray.record.lambda = 500.0;
    ray.record.energy = 1.0;
    ray.record.esr = 1.0;
    ray.record.n1 = 1.0;
    ray.record.n2 = 1.0;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(PluginInteraction, NeverTouchesUVOrZ)
{
    LoadedSurface surface("plugin-straight-through.json");
    ASSERT_TRUE(surface.loaded()) << surface.failure();
    const double s = std::sqrt(0.5);
    const double fillers[][3] = {{0.0, 0.0, 0.0},
                                 {std::numeric_limits<double>::quiet_NaN(), -1e300, 7.0},
                                 {std::numeric_limits<double>::infinity(), 3.5, -0.0}};
    for (const auto& filler : fillers) {
        Ray ray;
        prepare(ray, surface.instance(), s, 0.0, s);
        ray.record.u = filler[0];
        ray.record.v = filler[1];
        ray.record.z = filler[2];
        // Every ray passes straight through: the same answer whatever u, v, z hold.
        EXPECT_EQ(Interaction_V2(&ray.record), 6);
        EXPECT_DOUBLE_EQ(ray.direction[0], s);
        EXPECT_DOUBLE_EQ(ray.direction[1], 0.0);
        EXPECT_DOUBLE_EQ(ray.direction[2], s);
        EXPECT_DOUBLE_EQ(ray.record.energy, 1.0);
        EXPECT_NEAR(std::hypot(ray.record.esr, ray.record.esi), 1.0, 1e-12);
        EXPECT_NEAR(std::hypot(ray.record.epr, ray.record.epi), 0.0, 1e-12);
        EXPECT_TRUE(sameBits(ray.record.u, filler[0]));
        EXPECT_TRUE(sameBits(ray.record.v, filler[1]));
        EXPECT_TRUE(sameBits(ray.record.z, filler[2]));
    }
}

TEST(PluginInertExports, LeaveTheirRecordsUnchangedOnALoadedSurface)
{
    LoadedSurface surface("plugin-straight-through.json");
    ASSERT_TRUE(surface.loaded()) << surface.failure();

    BsdfPluginBSDF_V2 query;
    std::memset(&query, 0x3C, sizeof query);
    query.instance = surface.instance();
    const BsdfPluginBSDF_V2 queryBefore = query;
    EXPECT_EQ(BSDF_V2(&query), 0.0);
    EXPECT_EQ(std::memcmp(&query, &queryBefore, sizeof query), 0);

    BsdfPluginData_V2 data;
    std::memset(&data, 0x3C, sizeof data);
    data.instance = surface.instance();
    const BsdfPluginData_V2 dataBefore = data;
    EXPECT_EQ(DataUpdate_V2(&data), 0);
    EXPECT_EQ(std::memcmp(&data, &dataBefore, sizeof data), 0);
}

// Grating of period 2 um at 500 nm, normal incidence from below: orders
// leave at sin(theta_m) = m * 0.25 and carry 0.2, 0.5 and 0.3 of the power.
struct OrderCounts {
    std::map<long, int> byOrder;  // order number from the direction's x component
    int other = 0;
};

void traceThreeOrders(void* instance, int rays, OrderCounts& counts)
{
    for (int i = 0; i < rays; ++i) {
        Ray ray;
        prepare(ray, instance, 0.0, 0.0, 1.0);
        const int code = Interaction_V2(&ray.record);
        const double order = ray.direction[0] / 0.25;
        const bool onGratingEquation =
            std::fabs(order - std::round(order)) < 1e-9 && std::fabs(ray.direction[1]) < 1e-12 &&
            std::fabs(ray.direction[2] - std::sqrt(1.0 - std::pow(ray.direction[0], 2))) < 1e-9;
        if (code == 6 && onGratingEquation)
            ++counts.byOrder[std::lround(order)];
        else
            ++counts.other;
    }
}

void expectOrderShares(const OrderCounts& counts, int rays)
{
    EXPECT_EQ(counts.other, 0);
    const std::map<long, double> expected = {{-1, 0.2}, {0, 0.5}, {1, 0.3}};
    for (const auto& [order, share] : expected) {
        const auto found = counts.byOrder.find(order);
        const int count = found == counts.byOrder.end() ? 0 : found->second;
        const double sigma = std::sqrt(share * (1.0 - share) / rays);
        // Five standard errors: a correct library fails this about once in
        // two million runs.
        EXPECT_NEAR(static_cast<double>(count) / rays, share, 5.0 * sigma) << "order " << order;
    }
    EXPECT_EQ(counts.byOrder.size(), expected.size());
}

TEST(PluginInteraction, OrdersFollowTheGratingEquationAndTheTablePowers)
{
    LoadedSurface surface("plugin-three-orders.json");
    ASSERT_TRUE(surface.loaded()) << surface.failure();
    const int rays = 20000;
    OrderCounts counts;
    traceThreeOrders(surface.instance(), rays, counts);
    expectOrderShares(counts, rays);
}

TEST(PluginInteractionConcurrency, ManyThreadsShareOneSurface)
{
    LoadedSurface surface("plugin-three-orders.json");
    ASSERT_TRUE(surface.loaded()) << surface.failure();
    const int threads = 8;
    const int raysPerThread = 2500;
    std::vector<OrderCounts> counts(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] { traceThreeOrders(surface.instance(), raysPerThread, counts[t]); });
    for (std::thread& worker : workers)
        worker.join();
    OrderCounts total;
    for (const OrderCounts& c : counts) {
        total.other += c.other;
        for (const auto& [order, count] : c.byOrder)
            total.byOrder[order] += count;
    }
    expectOrderShares(total, threads * raysPerThread);
}

}  // namespace
