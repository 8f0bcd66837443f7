// Eight host threads trace rays through two surfaces while another thread
// loads and releases further surfaces (good and broken files) and a reader
// looks up error descriptions, all through the plug-in's C exports, with
// logging on. Run under ThreadSanitizer this shows the exports free of
// races; the log must hold every line that was logged, each whole.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "logger.h"
#include "orvik-plugin-exports.h"

using namespace quelbrant;

namespace {

namespace fs = std::filesystem;

constexpr int TracerThreads = 8;
constexpr int RaysPerTracer = 4000;
constexpr int BadRayEvery = 50;   // every 50th ray carries a NaN direction
constexpr int MarkerEvery = 100;  // and every 100th is announced in the log
constexpr int ChurnRounds = 20;

const std::string BadLoadMessage = "_data size and _size information not match.";

class ScratchDir {
public:
    ScratchDir()
        : mPath(fs::temp_directory_path() / ("quelbrant-stress-" + std::to_string(std::random_device{}())))
    {
        fs::create_directories(mPath);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        fs::remove_all(mPath, ignored);
    }
    const fs::path& path() const { return mPath; }

private:
    fs::path mPath;
};

std::wstring sample(const char* name)
{
    return (fs::path(QUELBRANT_DATA_DIR) / name).wstring();
}

void* load(const std::wstring& file)
{
    void* instance = nullptr;
    const int error = LoadFile(file.c_str(), instance);
    if (error != 0) {
        const wchar_t* text = nullptr;
        GetErrorDescription(error, text);
        ADD_FAILURE() << "LoadFile failed: " << std::string(text, text + std::wcslen(text));
    }
    return instance;
}

// A ray from either side with the surface's media, a random direction in
// the side's half space, a wavelength in the samples' range and a hit point
// inside or beyond the position grid.
struct StressRay {
    double direction[3];
    BsdfPluginInteraction_V2 record{};

    StressRay(void* instance, std::mt19937_64& rng, bool nanDirection)
    {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const bool fromLower = unit(rng) < 0.5;
        const double cosTheta = 0.05 + 0.95 * unit(rng);
        const double phi = 6.283185307179586 * unit(rng);
        const double sinTheta = std::sqrt(1.0 - cosTheta * cosTheta);
        direction[0] = nanDirection ? std::nan("") : sinTheta * std::cos(phi);
        direction[1] = sinTheta * std::sin(phi);
        direction[2] = fromLower ? cosTheta : -cosTheta;
        record.instance = instance;
        record.direction = direction;
        record.lambda = 450.0 + 200.0 * unit(rng);
        record.energy = 1.0;
        record.esr = std::cos(phi);
        record.epr = std::sin(phi);
        record.n1 = fromLower ? 1.5 : 1.0;
        record.n2 = fromLower ? 1.0 : 1.5;
        record.x = -6.0 + 12.0 * unit(rng);
        record.y = -4.0 + 8.0 * unit(rng);
    }
};

// What every traced ray must satisfy; counts the violations.
bool soundOutcome(int result, const StressRay& ray)
{
    if (!(result == 0 || result == 1 || result == -1 || result == 6 || result == -6))
        return false;
    const BsdfPluginInteraction_V2& r = ray.record;
    for (double v :
         {ray.direction[0], ray.direction[1], ray.direction[2], r.esr, r.esi, r.epr, r.epi, r.energy}) {
        if (!std::isfinite(v))
            return false;
    }
    const double length =
        std::sqrt(ray.direction[0] * ray.direction[0] + ray.direction[1] * ray.direction[1] +
                  ray.direction[2] * ray.direction[2]);
    return r.energy == 0.0 || std::fabs(length - 1.0) < 1e-9;
}

std::string narrow(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        out.push_back(static_cast<char>(*text));
    return out;
}

std::vector<std::string> logLines(const fs::path& dir)
{
    std::vector<std::string> lines;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream file(entry.path());
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
    }
    return lines;
}

bool contains(const std::string& line, const std::string& text)
{
    return line.find(text) != std::string::npos;
}

}  // namespace

TEST(PluginStressConcurrency, TracingLoadingReleasingAndLoggingAtOnce)
{
    ScratchDir logDir;
    ScratchDir files;
    getLogger().setLogPath(logDir.path().string());
    getLogger().setEnabled(true);
    getLogger().setVerbose(false);

    // A file the loader refuses after parsing and validating it.
    const fs::path broken = files.path() / "broken.json";
    {
        std::ifstream in(fs::path(QUELBRANT_DATA_DIR) / "bare-interface.json");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // One more extent in the lower side's R table: its element count
        // no longer matches.
        const std::string size = "\"_size\": [";
        const size_t at = text.find(size, text.find("\"R\": {"));
        ASSERT_NE(at, std::string::npos);
        text.insert(at + size.size(), "7, ");
        std::ofstream(broken) << text;
    }

    void* surfaces[2] = {load(sample("grating-1d.json")), load(sample("grating-2d-positions.json"))};
    ASSERT_NE(surfaces[0], nullptr);
    ASSERT_NE(surfaces[1], nullptr);

    std::atomic<bool> go{false};
    std::atomic<bool> tracersDone{false};
    std::atomic<int> unsound{0}, badRaysRejected{0}, unexpectedErrors{0}, badLoads{0}, wrongTexts{0};

    std::vector<std::thread> threads;
    for (int t = 0; t < TracerThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937_64 rng(1000 + t);
            while (!go.load()) {
            }
            for (int k = 0; k < RaysPerTracer; ++k) {
                if (k % MarkerEvery == 0)
                    Log("stress marker tracer ", t, " ray ", k);
                const bool bad = k % BadRayEvery == BadRayEvery - 1;
                StressRay ray(surfaces[k % 2], rng, bad);
                try {
                    const int result = Interaction_V2(&ray.record);
                    if (bad || !soundOutcome(result, ray))
                        ++unsound;
                } catch (int error) {
                    const wchar_t* text = nullptr;
                    GetErrorDescription(error, text);
                    if (bad && contains(narrow(text), "Ray not traced"))
                        ++badRaysRejected;
                    else
                        ++unexpectedErrors;
                }
            }
        });
    }
    threads.emplace_back([&] {
        std::mt19937_64 rng(7);
        while (!go.load()) {
        }
        for (int round = 0; round < ChurnRounds; ++round) {
            Log("stress marker churn ", round);
            void* extra = load(sample(round % 2 ? "grating-kvector.json" : "grating-unit-vectors-xy.json"));
            for (int k = 0; extra != nullptr && k < 20; ++k) {
                StressRay ray(extra, rng, false);
                try {
                    if (!soundOutcome(Interaction_V2(&ray.record), ray))
                        ++unsound;
                } catch (int) {
                    ++unexpectedErrors;
                }
            }
            Release(extra);
            void* never = nullptr;
            const int error = LoadFile(broken.wstring().c_str(), never);
            const wchar_t* text = nullptr;
            GetErrorDescription(error, text);
            if (error > 0 && never == nullptr && narrow(text) == BadLoadMessage)
                ++badLoads;
            else
                ++wrongTexts;
        }
    });
    threads.emplace_back([&] {
        // A host thread reading descriptions while others append.
        std::mt19937_64 rng(11);
        while (!go.load()) {
        }
        while (!tracersDone.load()) {
            const wchar_t* text = nullptr;
            GetErrorDescription(static_cast<int>(rng() % 4096) - 1, text);
            if (text == nullptr || text[0] == L'\0')
                ++wrongTexts;
        }
    });

    go.store(true);
    for (int t = 0; t <= TracerThreads; ++t)
        threads[t].join();
    tracersDone.store(true);
    threads.back().join();
    EXPECT_EQ(Release(surfaces[0]), 0);
    EXPECT_EQ(Release(surfaces[1]), 0);

    const int badRays = TracerThreads * (RaysPerTracer / BadRayEvery);
    EXPECT_EQ(unsound.load(), 0);
    EXPECT_EQ(unexpectedErrors.load(), 0);
    EXPECT_EQ(badRaysRejected.load(), badRays);
    EXPECT_EQ(badLoads.load(), ChurnRounds);
    EXPECT_EQ(wrongTexts.load(), 0);

    // Every line logged is in the file once, whole.
    getLogger().flush();
    std::map<std::string, int> markers;
    int rayErrorLines = 0, loadErrorLines = 0, malformed = 0;
    for (const std::string& line : logLines(logDir.path())) {
        if (line.rfind("[0x", 0) != 0)
            ++malformed;
        if (const size_t at = line.find("stress marker "); at != std::string::npos)
            ++markers[line.substr(at)];
        if (contains(line, "Ray not traced (Interaction_V2): direction x is nan"))
            ++rayErrorLines;
        if (contains(line, BadLoadMessage))
            ++loadErrorLines;
    }
    EXPECT_EQ(malformed, 0);
    EXPECT_EQ(markers.size(),
              static_cast<size_t>(TracerThreads * (RaysPerTracer / MarkerEvery) + ChurnRounds));
    for (const auto& [text, count] : markers)
        EXPECT_EQ(count, 1) << text;
    EXPECT_EQ(rayErrorLines, badRays);
    EXPECT_EQ(loadErrorLines, ChurnRounds);
    EXPECT_EQ(getLogger().droppedLineCount(), 0u);
}
