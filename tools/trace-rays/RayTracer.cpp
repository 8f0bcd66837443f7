#include "RayTracer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double Pi = 3.141592653589793;
constexpr std::uint64_t ProgressBatch = 1024;

struct SharedState {
    std::atomic<std::uint64_t> done{0};
    std::mutex finishMutex;  // with `finished`: wakes the reporting thread
    std::condition_variable finished;
    unsigned finishedThreads = 0;
    std::atomic<bool> stop{false};
    std::mutex mutex;  // guards the failure fields below
    std::optional<int> errorIndex;
    std::string failure;
};

void traceShare(const PluginExports& plugin, const TraceSetup& setup, std::uint64_t first, std::uint64_t last,
                unsigned threadIndex, RayTally& tally, SharedState& shared)
{
    std::mt19937_64 generator(setup.seed + threadIndex);
    std::uniform_real_distribution<double> angle(0.0, Pi);
    std::uint64_t sinceReport = 0;
    for (std::uint64_t r = first; r < last && !shared.stop.load(std::memory_order_relaxed); ++r) {
        double direction[3] = {setup.direction[0], setup.direction[1], setup.direction[2]};
        std::complex<double> es = setup.es, ep = setup.ep;
        if (setup.unpolarised) {
            const double psi = angle(generator);
            es = std::cos(psi);
            ep = std::sin(psi);
        }
        BsdfPluginInteraction_V2 ray{};
        ray.instance = setup.instance;
        ray.direction = direction;
        ray.lambda = setup.wavelengthNm;
        ray.energy = 1.0;
        ray.esr = es.real();
        ray.esi = es.imag();
        ray.epr = ep.real();
        ray.epi = ep.imag();
        ray.n1 = setup.n1;
        ray.n2 = setup.n2;
        ray.x = setup.xMm;
        ray.y = setup.yMm;
        try {
            const int code = setup.traceRay ? setup.traceRay(ray) : plugin.Interaction_V2(&ray);
            tally.add(code, direction, ray.energy);
        } catch (int errorIndex) {
            std::lock_guard<std::mutex> lock(shared.mutex);
            if (!shared.errorIndex)
                shared.errorIndex = errorIndex;
            shared.stop = true;
        } catch (const std::exception& e) {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.failure = e.what();
            shared.stop = true;
        } catch (...) {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.failure = "Interaction_V2 let an exception other than an error index escape";
            shared.stop = true;
        }
        if (++sinceReport == ProgressBatch) {
            shared.done += sinceReport;
            sinceReport = 0;
        }
    }
    shared.done += sinceReport;
    {
        std::lock_guard<std::mutex> lock(shared.finishMutex);
        ++shared.finishedThreads;
    }
    shared.finished.notify_one();
}

}  // namespace

TraceRun traceRays(const PluginExports& plugin, const TraceSetup& setup,
                   const std::function<void(std::uint64_t done, double seconds)>& progress)
{
    using Clock = std::chrono::steady_clock;
    const unsigned threads = std::max(1u, setup.threads);
    std::vector<RayTally> tallies;
    std::vector<std::thread> workers;
    try {
        tallies.resize(threads);
        workers.reserve(threads);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("cannot keep the tallies of " + std::to_string(threads) +
                                 " tracing threads (out of memory); try fewer --threads");
    }
    SharedState shared;

    const Clock::time_point start = Clock::now();
    for (unsigned t = 0; t < threads; ++t) {
        // Shares differ by at most one ray.
        auto boundary = [&](std::uint64_t k) {
            return setup.rays / threads * k + std::min<std::uint64_t>(k, setup.rays % threads);
        };
        const std::uint64_t first = boundary(t);
        const std::uint64_t last = boundary(t + 1);
        try {
            workers.emplace_back(traceShare, std::cref(plugin), std::cref(setup), first, last, t,
                                 std::ref(tallies[t]), std::ref(shared));
        } catch (const std::exception& e) {
            // The threads already running stop and are joined below: a
            // joinable std::thread must not be destroyed.
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.failure = "cannot start tracing thread " + std::to_string(t + 1) + " of " +
                             std::to_string(threads) + " (" + e.what() + "); try fewer --threads";
            shared.stop = true;
            break;
        }
    }
    const size_t started = workers.size();
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    {
        std::unique_lock<std::mutex> lock(shared.finishMutex);
        while (!shared.finished.wait_for(lock, std::chrono::milliseconds(100),
                                         [&] { return shared.finishedThreads == started; }))
            progress(shared.done.load(), elapsed());
    }
    for (std::thread& worker : workers)
        worker.join();

    TraceRun run;
    run.seconds = elapsed();
    for (const RayTally& tally : tallies)
        run.tally.merge(tally);
    run.errorIndex = shared.errorIndex;
    run.failure = shared.failure;
    return run;
}
