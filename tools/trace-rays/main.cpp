// trace-rays: a stand-in for the light-simulation host. It loads the plug-in
// library by path, finds its exports by name, loads one grating file, sends
// rays through Interaction_V2 from several threads and prints where they went
// next to what the surface's tables predict.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "ExpectedOrders.h"
#include "LensDesignHost.h"
#include "LensDesignRays.h"
#include "PluginLibrary.h"
#include "RayTracer.h"
#include "Report.h"
#include "TableSettings.h"
#include "TraceOptions.h"
#include "Utf8Conversion.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

enum ExitCode { Success = 0, LibraryFailure = 1, UsageError = 2, CheckFailed = 3, CannotPredict = 4 };

// Deviation beyond which the table's rows are reported without --check.
constexpr double DefaultSigmas = 5.0;

std::string identityLine(const PluginExports& plugin)
{
    const wchar_t* type = nullptr;
    const wchar_t* guid = nullptr;
    const wchar_t* description = nullptr;
    plugin.GetPluginType(type);
    plugin.GetPluginGUID(guid);
    plugin.GetPluginDescription(description);
    return "plug-in: " + utf8FromWide(description) + ", type " + utf8FromWide(type) + ", GUID " +
           utf8FromWide(guid);
}

// A line on stderr that rewrites itself on a terminal; appears once a run
// has taken a second.
class ProgressLine {
public:
    explicit ProgressLine(std::uint64_t total) : mTotal(total), mTerminal(isatty(fileno(stderr)) != 0) {}
    void update(std::uint64_t done, double seconds)
    {
        if (seconds < 1.0 || seconds < mNextReport)
            return;
        mNextReport = seconds + (mTerminal ? 0.5 : 5.0);
        std::fprintf(stderr, "%straced %llu of %llu rays (%.0f%%)%s", mTerminal ? "\r" : "",
                     static_cast<unsigned long long>(done), static_cast<unsigned long long>(mTotal),
                     100.0 * static_cast<double>(done) / static_cast<double>(mTotal), mTerminal ? "" : "\n");
        mShown = true;
    }
    ~ProgressLine()
    {
        if (mShown && mTerminal)
            std::fputc('\n', stderr);
    }

private:
    std::uint64_t mTotal;
    bool mTerminal;
    bool mShown = false;
    double mNextReport = 0.0;
};

int run(const TraceOptions& options)
{
    PluginLibrary library(options.libraryPath);
    const PluginExports& plugin = library.exports();
    std::cout << identityLine(plugin) << "\n";

    void* instance = nullptr;
    const int loaded = plugin.LoadFile(wideFromUtf8(options.gratingPath).c_str(), instance);
    if (loaded != 0) {
        std::cerr << "trace-rays: cannot load " << options.gratingPath << " (error " << loaded << "):\n"
                  << library.errorText(loaded) << "\n";
        return LibraryFailure;
    }
    std::cout << "grating file: " << options.gratingPath << "\n";

    dirtyGratingWrapper view{};
    if (plugin.gpuWrapGratingSurface(view, instance) != 0) {
        std::cerr << "trace-rays: gpuWrapGratingSurface refused the loaded surface\n";
        plugin.Release(instance);
        return LibraryFailure;
    }

    TraceSetup setup;
    setup.instance = instance;
    setup.direction = incidentDirection(options);
    const bool fromBelow = incidentSide(options) == Side::Below;
    setup.n1 = options.n1.value_or(fromBelow ? view.mNLower : view.mNUpper);
    setup.n2 = options.n2.value_or(fromBelow ? view.mNUpper : view.mNLower);
    setup.wavelengthNm = options.wavelengthNm;
    setup.xMm = options.xMm;
    setup.yMm = options.yMm;
    setup.unpolarised = options.unpolarised;
    setup.es = options.es;
    setup.ep = options.ep;
    setup.seed = options.seed;
    setup.rays = options.rays;
    setup.threads =
        options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());

    // The expectation, for the lens-design host's entry points also the
    // orders its user-defined surface is asked for. The basis the tables
    // are held in and the interpolation switches come from the file, but for
    // the lens-design host's entry points, which load it in host mode.
    TableSettings settings = readTableSettings(options.gratingPath);
    if (options.entry != HostEntry::Bsdf)
        settings.takeHostSwitches();
    const IncidentLight light{setup.direction,
                              setup.wavelengthNm,
                              setup.n1,
                              setup.n2,
                              setup.unpolarised,
                              setup.es,
                              setup.ep,
                              options.tablesInXY.value_or(tablesHeldInXY(settings.interpolationBasis, view)),
                              settings.nearestAngleNodes,
                              settings.nearestWavelengthNode};
    ExpectedOutcome expected = expectedOutcome(view, light);
    if (!settings.known()) {
        expected = ExpectedOutcome{};
        expected.unknownReason = settings.reason();
    }
    std::unique_ptr<LensDesignLibrary> lensDesign;
    if (options.entry != HostEntry::Bsdf) {
        lensDesign = std::make_unique<LensDesignLibrary>(options.libraryPath);
        const LensDesignEntries& dll = lensDesign->entries();
        if (options.entry == HostEntry::Diffraction2D) {
            setup.traceRay = diffraction2dRays(dll, options.gratingPath);
            std::cout << "entry: UserDiffraction2D (stochastic mode)\n";
        } else {
            if (!options.dataRoot.empty())
                installInDataRoot(options.dataRoot, options.gratingPath);
            const std::string name = std::filesystem::u8path(options.gratingPath).filename().u8string();
            loadUserSurface(dll, name);
            setup.traceRay = userSurfaceRays(dll, name, expected.orders, setup.seed);
            std::cout << "entry: UserDefinedSurface5 request 5, one call per order\n";
        }
    }

    char line[512];
    std::snprintf(line, sizeof line,
                  "incident: direction (%+.4f, %+.4f, %+.4f) from %s, %.2f nm, n1 %.4f, n2 %.4f, hit point "
                  "(%g, %g) mm\n",
                  setup.direction[0], setup.direction[1], setup.direction[2], fromBelow ? "below" : "above",
                  setup.wavelengthNm, setup.n1, setup.n2, setup.xMm, setup.yMm);
    std::cout << line;
    if (setup.unpolarised)
        std::snprintf(line, sizeof line, "polarisation: unpolarised (random linear per ray, seed %llu)\n",
                      static_cast<unsigned long long>(setup.seed));
    else
        std::snprintf(line, sizeof line, "polarisation: Es (%+.4f, %+.4f), Ep (%+.4f, %+.4f)\n",
                      setup.es.real(), setup.es.imag(), setup.ep.real(), setup.ep.imag());
    std::cout << line << std::flush;

    TraceRun result;
    {
        ProgressLine progress(setup.rays);
        result = traceRays(plugin, setup, [&progress](std::uint64_t done, double seconds) {
            progress.update(done, seconds);
        });
    }
    if (result.errorIndex || !result.failure.empty()) {
        std::cerr << "trace-rays: tracing failed after " << result.tally.rays()
                  << " rays: " << (result.errorIndex ? library.errorText(*result.errorIndex) : result.failure)
                  << "\n";
        plugin.Release(instance);
        return LibraryFailure;
    }

    const OutcomeReport report =
        reportOutcomes(result.tally, expected, options.checkSigmas.value_or(DefaultSigmas),
                       options.entry == HostEntry::Bsdf);
    std::cout << "\n" << report.table << "\n";
    std::snprintf(line, sizeof line, "%llu rays in %.3f s on %u threads: %.0f rays per second\n",
                  static_cast<unsigned long long>(result.tally.rays()), result.seconds, setup.threads,
                  static_cast<double>(result.tally.rays()) / std::max(result.seconds, 1e-9));
    std::cout << line;
    plugin.Release(instance);
    if (options.checkSigmas && !expected.known()) {
        std::cout << "cannot check: trace-rays cannot predict the shares, " << expected.unknownReason << "\n";
        return CannotPredict;
    }
    if (options.checkSigmas) {
        for (const std::string& problem : report.disagreements)
            std::cout << "check failed: " << problem << "\n";
        if (!report.disagreements.empty())
            return CheckFailed;
        std::cout << "check passed: every share within " << *options.checkSigmas
                  << " standard errors of the tables\n";
    }
    return Success;
}

}  // namespace

int main(int argc, char** argv)
{
    TraceOptions defaults;
    defaults.libraryPath = QUELBRANT_TRACE_RAYS_LIBRARY;
    defaults.gratingPath = QUELBRANT_TRACE_RAYS_SAMPLE;
    TraceOptions options;
    try {
        std::vector<std::string> arguments = utf8Arguments(argc, argv);
        if (!arguments.empty())
            arguments.erase(arguments.begin());
        options = parseTraceOptions(arguments, defaults);
    } catch (const std::exception& e) {
        std::cerr << "trace-rays: " << e.what() << "\n";
        return UsageError;
    }
    if (options.help) {
        std::cout << usageText(defaults);
        return Success;
    }
    try {
        return run(options);
    } catch (const std::exception& e) {
        std::cerr << "trace-rays: " << e.what() << "\n";
        return LibraryFailure;
    }
}
