#include "TraceOptions.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace {

constexpr double Pi = 3.141592653589793;

double parseNumber(const std::string& option, const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        throw std::invalid_argument(option + " expects a number, not \"" + text + "\"");
    return value;
}

// Plain decimal digits only: a sign, a space or any other character is
// refused, and so is a value above `largest` (strtoull would wrap a minus
// sign round and clamp an overflow without a word).
std::uint64_t parseCount(const std::string& option, const std::string& text, std::uint64_t largest)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument(option + " expects a whole number, not \"" + text + "\"");
    std::uint64_t value = 0;
    for (const char c : text) {
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (largest - digit) / 10)
            throw std::invalid_argument(option + " expects a whole number no larger than " +
                                        std::to_string(largest) + ", not \"" + text + "\"");
        value = value * 10 + digit;
    }
    return value;
}

// A bare file name names a file in the working folder: handed on as it
// stands, the system would look it up on its library search path instead.
// Made absolute rather than given a "./", which Windows may still search for.
std::string libraryPathFrom(const std::string& text)
{
    if (text.empty())
        throw std::invalid_argument("--library expects a path, not an empty name");
    const std::filesystem::path path = std::filesystem::u8path(text);
    if (path.has_parent_path() || path.has_root_path())
        return text;
    return std::filesystem::absolute(path).u8string();
}

std::vector<double> parseList(const std::string& option, const std::string& text, size_t count)
{
    std::vector<double> values;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ','))
        values.push_back(parseNumber(option, item));
    if (values.size() != count)
        throw std::invalid_argument(option + " expects " + std::to_string(count) +
                                    " comma-separated numbers");
    return values;
}

void parsePolarisation(TraceOptions& options, const std::string& text)
{
    options.unpolarised = false;
    if (text == "s") {
        options.es = 1.0;
        options.ep = 0.0;
    } else if (text == "p") {
        options.es = 0.0;
        options.ep = 1.0;
    } else if (text == "u" || text == "unpolarised" || text == "unpolarized") {
        options.unpolarised = true;
    } else {
        const std::vector<double> v = parseList("--pol", text, 4);
        const double power = v[0] * v[0] + v[1] * v[1] + v[2] * v[2] + v[3] * v[3];
        if (power == 0.0)
            throw std::invalid_argument("--pol needs a field that is not zero");
        const double scale = 1.0 / std::sqrt(power);
        options.es = {v[0] * scale, v[1] * scale};
        options.ep = {v[2] * scale, v[3] * scale};
    }
}

}  // namespace

TraceOptions parseTraceOptions(const std::vector<std::string>& arguments, TraceOptions options)
{
    bool fileGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size())
                throw std::invalid_argument(option + " needs a value");
            return arguments[++i];
        };
        if (option == "-h" || option == "--help") {
            options.help = true;
        } else if (option == "--library") {
            options.libraryPath = libraryPathFrom(value());
        } else if (option == "--file") {
            options.gratingPath = value();
            fileGiven = true;
        } else if (option == "--rays" || option == "-n") {
            options.rays = parseCount(option, value(), std::numeric_limits<size_t>::max());
        } else if (option == "--threads") {
            options.threads =
                static_cast<unsigned>(parseCount(option, value(), std::numeric_limits<unsigned>::max()));
        } else if (option == "--theta") {
            options.thetaDegrees = parseNumber(option, value());
            if (options.thetaDegrees < 0.0 || options.thetaDegrees >= 90.0)
                throw std::invalid_argument("--theta must lie in [0, 90) degrees");
            options.direction.reset();
        } else if (option == "--phi") {
            options.phiDegrees = parseNumber(option, value());
            options.direction.reset();
        } else if (option == "--direction") {
            const std::vector<double> d = parseList(option, value(), 3);
            const double norm = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            if (d[2] == 0.0 || norm == 0.0)
                throw std::invalid_argument("--direction needs a z component that is not zero");
            options.direction = std::array<double, 3>{d[0] / norm, d[1] / norm, d[2] / norm};
        } else if (option == "--side") {
            const std::string& side = value();
            if (side == "below")
                options.side = Side::Below;
            else if (side == "above")
                options.side = Side::Above;
            else
                throw std::invalid_argument("--side is below or above, not \"" + side + "\"");
            options.direction.reset();
        } else if (option == "--wavelength") {
            options.wavelengthNm = parseNumber(option, value());
            if (options.wavelengthNm <= 0.0)
                throw std::invalid_argument("--wavelength must be positive (nm)");
        } else if (option == "--pol") {
            parsePolarisation(options, value());
        } else if (option == "--n1") {
            options.n1 = parseNumber(option, value());
        } else if (option == "--n2") {
            options.n2 = parseNumber(option, value());
        } else if (option == "--x") {
            options.xMm = parseNumber(option, value());
        } else if (option == "--y") {
            options.yMm = parseNumber(option, value());
        } else if (option == "--table-basis") {
            const std::string& basis = value();
            if (basis == "sp")
                options.tablesInXY = false;
            else if (basis == "xy")
                options.tablesInXY = true;
            else
                throw std::invalid_argument("--table-basis is sp or xy, not \"" + basis + "\"");
        } else if (option == "--check") {
            options.checkSigmas = parseNumber(option, value());
            if (*options.checkSigmas <= 0.0)
                throw std::invalid_argument("--check needs a positive number of standard errors");
        } else if (option == "--entry") {
            const std::string& entry = value();
            if (entry == "bsdf")
                options.entry = HostEntry::Bsdf;
            else if (entry == "diffraction2d")
                options.entry = HostEntry::Diffraction2D;
            else if (entry == "user-surface")
                options.entry = HostEntry::UserSurface;
            else
                throw std::invalid_argument("--entry is bsdf, diffraction2d or user-surface, not \"" + entry + "\"");
        } else if (option == "--data-root") {
            options.dataRoot = value();
        } else if (option == "--seed") {
            options.seed = parseCount(option, value(), std::numeric_limits<std::uint64_t>::max());
        } else if (!option.empty() && option[0] != '-' && !fileGiven) {
            options.gratingPath = option;
            fileGiven = true;
        } else {
            throw std::invalid_argument("unknown argument \"" + option + "\" (see --help)");
        }
    }
    if (options.rays == 0)
        throw std::invalid_argument("--rays must be at least 1");
    return options;
}

std::string usageText(const TraceOptions& d)
{
    std::ostringstream text;
    text << "trace-rays: loads the grating plug-in as the light-simulation host does and traces rays\n"
            "through one grating file, then tallies where they went.\n\n"
            "usage: trace-rays [options] [grating-file]\n\n"
            "  --file PATH          grating file (default: "
         << d.gratingPath
         << ")\n"
            "  --library PATH       plug-in library (default: "
         << d.libraryPath
         << ")\n"
            "  -n, --rays N         number of rays (default "
         << d.rays
         << ")\n"
            "  --threads N          tracing threads (default, and 0: one per hardware thread)\n"
            "  --theta DEG          polar angle of incidence, degrees in [0, 90) (default "
         << d.thetaDegrees
         << ")\n"
            "  --phi DEG            azimuth of incidence, degrees (default "
         << d.phiDegrees
         << ")\n"
            "  --side below|above   half space the light comes from (default below: it travels toward +z)\n"
            "  --direction X,Y,Z    incident direction instead of angles and side\n"
            "  --wavelength NM      vacuum wavelength in nm (default "
         << d.wavelengthNm
         << ")\n"
            "  --pol s|p|u|ESr,ESi,EPr,EPi\n"
            "                       polarisation: s, p, unpolarised (random linear per ray) or a\n"
            "                       complex S/P pair (normalised); default s\n"
            "  --n1 N, --n2 N       index of the incident medium and of the other side\n"
            "                       (default: the file's indices for that side)\n"
            "  --x MM, --y MM       hit point on the surface in mm (default 0, 0)\n"
            "  --seed N             seed for the random polarisations of unpolarised light\n"
            "  --table-basis sp|xy  basis the loaded tables are held in, for the expected column\n"
            "                       (default: as the file's polarization_interpolation_basis gives it)\n"
            "  --check SIGMAS       fail (exit 3) when a share differs from the tables' expectation by\n"
            "                       more than SIGMAS standard errors, or rays go where none are expected;\n"
            "                       exit 4 when trace-rays cannot predict the shares (position data,\n"
            "                       a theta grid per wavelength)\n"
            "  --entry bsdf|diffraction2d|user-surface\n"
            "                       entry point the rays go through (default bsdf, Interaction_V2);\n"
            "                       Windows build: diffraction2d is UserDiffraction2D in stochastic mode,\n"
            "                       user-surface is UserDefinedSurface5 request 5 on a plane for each\n"
            "                       order, one chosen per ray by the power it carries\n"
            "  --data-root DIR      user-surface: first set DIR as the host's data folder (registry\n"
            "                       HKCU\\SOFTWARE\\Taldo TaldoRoot) and copy the file to DIR\\DLL\\Surfaces\n"
            "  -h, --help           this text\n\n"
            "exit status: 0 done (and the check passed), 1 the library failed to load or trace,\n"
            "2 usage error, 3 the check failed, 4 the check is not possible for this file\n";
    return text.str();
}

std::array<double, 3> incidentDirection(const TraceOptions& options)
{
    if (options.direction)
        return *options.direction;
    const double theta = options.thetaDegrees * Pi / 180.0;
    const double phi = options.phiDegrees * Pi / 180.0;
    const double zSign = options.side == Side::Below ? 1.0 : -1.0;
    return {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), zSign * std::cos(theta)};
}

Side incidentSide(const TraceOptions& options)
{
    return incidentDirection(options)[2] > 0.0 ? Side::Below : Side::Above;
}
