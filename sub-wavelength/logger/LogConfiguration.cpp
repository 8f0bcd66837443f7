#include <cstdlib>
#include <stdexcept>

#include "logger.h"

namespace quelbrant {

namespace {

// Unset and empty read the same.
std::string getEnvVar(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

// Leading blanks and a sign are accepted and whatever follows the digits is
// ignored ("25abc" is 25). Text that does not start with a number, or a
// number beyond int, leaves the budget unset (-1) rather than failing: the
// logger is built on the first log call of any host call, which must not
// throw because of a mistyped variable.
int parseLineBudget(const std::string& text)
{
    if (text.empty())
        return -1;
    try {
        return std::stoi(text, nullptr, 10);
    } catch (const std::invalid_argument&) {
        return -1;
    } catch (const std::out_of_range&) {
        return -1;
    }
}

}  // namespace

std::tuple<bool, bool, int, std::string> getLogConfigurationFromEnvironment()
{
    const std::string debugPath = getEnvVar("QUELBRANT_VREL_DEBUG_PATH");
    const std::string debugMaxLines = getEnvVar("QUELBRANT_VREL_DEBUG_MAX");
    const std::string debugVerboseMode = getEnvVar("QUELBRANT_VREL_DEBUG_VERBOSE");
    // Any text switches verbose output on, "0" and "false" included; any of
    // the three variables switches logging on.
    const bool verbose = !debugVerboseMode.empty();
    const bool enabled = !debugPath.empty() || !debugMaxLines.empty() || verbose;
    return {enabled, verbose, parseLineBudget(debugMaxLines), debugPath};
}

}  // namespace quelbrant
