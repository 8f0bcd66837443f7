// A load that runs out of memory, wherever that happens, gives the host an
// error index that says so, leaves its instance as it was, keeps nothing
// and lets a later load succeed. Every attempt runs in a forked child: the
// process ending (the JSON library's noexcept destructor allocating) is
// what these tests hunt, so they need fork and run on Linux only.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ErrorTable.h"
#include "ExportGuards.h"
#include "LiveHeap.h"
#include "ResourceTestSupport.h"
#include "orvik-plugin-exports.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quelbrant;
#endif

using namespace resourcetest;

namespace {

#if defined(__linux__)

// How one attempt in a child ended (its exit status).
enum Outcome : int {
    ReportedOutOfMemory = 0,
    Loaded = 1,  // the failed allocation was one the library copes with
    NoFailedAllocation = 2,
    OtherMessage = 3,
    InstanceChanged = 4,
    KeptMemory = 5,
    LaterLoadFailed = 6,
    ChildEndedAbnormally = 7,
    ParsedAndRefused = 8,  // a document the schema refuses, parsed in full
};

const char* describe(int outcome)
{
    static const char* const texts[] = {
        "reported out of memory", "loaded",          "no allocation failed", "another message",
        "instance changed",       "memory was kept", "a later load failed",  "child ended abnormally",
        "parsed and refused"};
    return outcome >= 0 && outcome <= ParsedAndRefused ? texts[outcome] : "unknown outcome";
}

// Runs attempt in a forked child; its exit status, or ChildEndedAbnormally
// when a signal (abort) ended it.
int inChild(const std::function<int()>& attempt)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0)
        _exit(attempt());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return ChildEndedAbnormally;
    return WEXITSTATUS(status);
}

bool saysOutOfMemory(int error)
{
    const wchar_t* text = nullptr;
    GetErrorDescription(error, text);
    const std::wstring message = text == nullptr ? L"" : text;
    if (message.find(L"out of memory") != std::wstring::npos)
        return true;
    std::fprintf(stderr, "message: %ls\n", message.c_str());
    return false;
}

// LoadFile with the n-th allocation from now failing; an instance it
// returns is released at once.
int loadWithFailure(const std::wstring& file, size_t n, bool& failed, bool& instanceKept)
{
    int unchanged = 0;
    void* instance = &unchanged;
    failHeapRequest(n);
    const int error = LoadFile(file.c_str(), instance);
    failed = heapRequestFailed();
    failHeapRequest(0);
    instanceKept = instance == &unchanged;
    if (error == 0)
        Release(instance);
    return error;
}

// One attempt: the load with its n-th allocation failing, then a plain load
// of a small file. The error table already holds both texts a failure may
// have (so a failure keeps nothing), and the logger's queue is full.
int failNthAllocation(const std::wstring& file, size_t n, const std::wstring& laterFile)
{
    const size_t heapBefore = liveHeapBytes();
    bool failed = false, instanceKept = false;
    const int error = loadWithFailure(file, n, failed, instanceKept);
    if (!failed)
        return NoFailedAllocation;
    if (error != 0 && !instanceKept)
        return InstanceChanged;
    if (error != 0 && !saysOutOfMemory(error))
        return OtherMessage;
    if (liveHeapBytes() != heapBefore)
        return KeptMemory;
    if (loadAndRelease(laterFile) != 0)
        return LaterLoadFailed;
    return error == 0 ? Loaded : ReportedOutOfMemory;
}

struct AttemptRecord {
    size_t n;
    int outcome;  // -1: started
};

struct AttemptSummary {
    size_t reported = 0, loaded = 0;
    size_t failedAt = 0;  // the n of an attempt that went wrong, 0: none
    int failure = 0;
};

// Runs the attempts for every n of ns in one forked child, which reports
// each attempt through a pipe and stops at the first that goes wrong. A
// clean failure leaves the process as it was, so the attempts need not
// each have a process of their own; an abort ends the child, and the
// attempt it was in is the one the pipe names last.
AttemptSummary attemptInChild(const std::wstring& file, const std::vector<size_t>& ns,
                              const std::wstring& laterFile)
{
    AttemptSummary summary;
    int fds[2];
    if (pipe(fds) != 0) {
        summary.failure = ChildEndedAbnormally;
        return summary;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        for (size_t n : ns) {
            AttemptRecord record{n, -1};
            if (write(fds[1], &record, sizeof record) != sizeof record)
                _exit(ChildEndedAbnormally);
            record.outcome = failNthAllocation(file, n, laterFile);
            if (write(fds[1], &record, sizeof record) != sizeof record)
                _exit(ChildEndedAbnormally);
            if (record.outcome != ReportedOutOfMemory && record.outcome != Loaded)
                _exit(record.outcome);
        }
        _exit(0);
    }
    close(fds[1]);
    AttemptRecord record{0, -1};
    size_t lastStarted = 0;
    while (read(fds[0], &record, sizeof record) == sizeof record) {
        if (record.outcome < 0) {
            lastStarted = record.n;
        } else if (record.outcome == ReportedOutOfMemory) {
            ++summary.reported;
        } else if (record.outcome == Loaded) {
            ++summary.loaded;
        } else {
            summary.failedAt = record.n;
            summary.failure = record.outcome;
        }
    }
    close(fds[0]);
    int status = 0;
    const bool exited = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    if (summary.failure == 0 && (!exited || WEXITSTATUS(status) != 0)) {
        summary.failedAt = lastStarted;
        summary.failure = ChildEndedAbnormally;
    }
    return summary;
}

// Allocations a load makes, counted on a second load (the first settles
// first-use statics); 0 when the file does not load.
size_t allocationsOfALoad(const std::wstring& file)
{
    if (loadAndRelease(file) != 0)
        return 0;
    const size_t before = heapRequests();
    return loadAndRelease(file) == 0 ? heapRequests() - before : 0;
}

// Fails the n-th allocation of a load of file for n = 1, 1 + stride, ...
// up to every allocation the load makes (stride 1: every n).
void expectEveryFailureReported(const std::filesystem::path& path, size_t stride,
                                const std::wstring& laterFile)
{
    const std::wstring file = wideName(path);
    // Where the load cannot even make its own message, the export does.
    (void)addErrorMessage(
        "Cannot load the grating file \"" + printablePath(file.c_str()) + "\": out of memory", false);
    const size_t requests = allocationsOfALoad(file);
    ASSERT_GT(requests, 0u) << path;
    std::vector<size_t> ns;
    for (size_t n = 1; n <= requests; n += stride)
        ns.push_back(n);
    const AttemptSummary summary = attemptInChild(file, ns, laterFile);
    ASSERT_EQ(summary.failure, 0) << path << ", allocation " << summary.failedAt << " of " << requests << ": "
                                  << describe(summary.failure);
    EXPECT_EQ(summary.reported + summary.loaded, ns.size()) << path;
    // Only the ray path's working copy of the tables may do without memory
    // (its rays then read the dense tables).
    EXPECT_GT(summary.reported, ns.size() * 9 / 10) << path;
}

// Under AddressSanitizer a load takes several times as long.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t SampleStride = 23;
#else
constexpr size_t SampleStride = 7;
#endif

#endif

}  // namespace

TEST(OutOfMemory, FailingAnyAllocationOfASampleLoadIsReported)
{
#if !defined(__linux__)
    GTEST_SKIP() << "needs fork";
#else
    fillBoundedBuffers();
    (void)addErrorMessage("Loading the grating data file failed: out of memory", false);
    TempDir dir;
    const std::filesystem::path small = dir.write("positions.json", positionsDocument().dump());
    const std::wstring laterFile = wideName(small);
    // The small file (every table converted between bases) has every
    // allocation failed; each shipped sample, about 2000 allocations a
    // load, every SampleStride-th one.
    expectEveryFailureReported(small, 1, laterFile);
    size_t samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUELBRANT_DATA_DIR)) {
        if (entry.path().extension() == ".json") {
            ++samples;
            expectEveryFailureReported(entry.path(), SampleStride, laterFile);
        }
    }
    EXPECT_EQ(samples, 6u);
#endif
}

TEST(OutOfMemory, LargeArrayUnderAddressSpaceLimitsLoadsOrIsReported)
{
#if !defined(__linux__)
    GTEST_SKIP() << "needs fork and setrlimit";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space for its shadow";
#else
    // 20 MB of zeros: as a document about 160 MB, plus what the array's
    // growth copies.
    std::string text = "[0";
    text.reserve(20u << 20);
    while (text.size() < (20u << 20))
        text += ",0";
    text += "]";
    TempDir dir;
    const std::wstring zeros = wideName(dir.write("zeros.json", text));
    text = std::string();
    const std::wstring sample = wideName(std::filesystem::path(QUELBRANT_DATA_DIR) / "grating-1d.json");
    const std::string refused = "Schema validation failed, here is why:";
    size_t reported = 0, refusedBySchema = 0;
    for (size_t extraMiB = 8; extraMiB <= 512; extraMiB *= 4) {
        const int outcome = inChild([&] {
            // Room for extraMiB more than the child holds now.
            std::FILE* statm = std::fopen("/proc/self/statm", "r");
            unsigned long pages = 0;
            if (statm == nullptr || std::fscanf(statm, "%lu", &pages) != 1)
                return static_cast<int>(ChildEndedAbnormally);
            std::fclose(statm);
            const rlim_t limit =
                static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (extraMiB << 20);
            const rlimit bounds{limit, limit};
            if (setrlimit(RLIMIT_AS, &bounds) != 0)
                return static_cast<int>(ChildEndedAbnormally);
            void* instance = nullptr;
            const int error = LoadFile(zeros.c_str(), instance);
            const wchar_t* message = nullptr;
            GetErrorDescription(error, message);
            const std::wstring wideRefused(refused.begin(), refused.end());
            const bool isRefused = error != 0 && std::wstring(message).rfind(wideRefused, 0) == 0;
            if (!isRefused && !(error != 0 && saysOutOfMemory(error)))
                return static_cast<int>(OtherMessage);
            if (loadAndRelease(sample) != 0)
                return static_cast<int>(LaterLoadFailed);
            return static_cast<int>(isRefused ? ParsedAndRefused : ReportedOutOfMemory);
        });
        ASSERT_TRUE(outcome == ReportedOutOfMemory || outcome == ParsedAndRefused)
            << extraMiB << " MiB more: " << describe(outcome);
        reported += outcome == ReportedOutOfMemory ? 1 : 0;
        refusedBySchema += outcome == ParsedAndRefused ? 1 : 0;
    }
    // Tight limits run out, the ample one parses the array and the schema
    // refuses it (it is no grating file).
    EXPECT_GT(reported, 0u);
    EXPECT_GT(refusedBySchema, 0u);
#endif
}
