#include "LogTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "logger.h"

using namespace quelbrant;

namespace fs = std::filesystem;

namespace {

const char* const VariableNames[] = {"QUELBRANT_VREL_DEBUG_PATH", "QUELBRANT_VREL_DEBUG_MAX",
                                     "QUELBRANT_VREL_DEBUG_VERBOSE"};

void setVariable(const std::string& name, const std::optional<std::string>& value)
{
#if defined(_WIN32)
    // An empty value removes the variable.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
#endif
}

std::optional<std::string> currentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

ScopedLogEnvironment::ScopedLogEnvironment(const Values& values)
{
    const char* const wanted[] = {values.path, values.maxLines, values.verbose};
    for (int i = 0; i < 3; ++i) {
        mSaved.emplace_back(VariableNames[i], currentValue(VariableNames[i]));
        setVariable(VariableNames[i], wanted[i] ? std::optional<std::string>(wanted[i]) : std::nullopt);
    }
}

ScopedLogEnvironment::~ScopedLogEnvironment()
{
    for (const auto& [name, value] : mSaved)
        setVariable(name, value);
}

TemporaryDirectory::TemporaryDirectory()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("quelbrant-logger-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            mPath = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no temporary directory could be made");
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    fs::remove_all(mPath, ignored);
}

std::vector<std::string> TemporaryDirectory::fileNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(mPath))
        names.push_back(entry.path().filename().string());
    return names;
}

std::tm makeLocalTm(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
}

std::time_t localMarch7th2026At0905()
{
    std::tm tm = makeLocalTm(2026, 3, 7, 9, 5, 30);
    return std::mktime(&tm);
}

std::string march7th2026At0905FileName(const std::string& directory)
{
    return directory + PathSeparator + "2026_3_7_9-5_log.csv";
}

std::string readFile(const std::string& name)
{
    // Text mode: the Windows build's line ends read as '\n'.
    std::ifstream in(name);
    if (!in)
        throw std::runtime_error("cannot read " + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> readLines(const std::string& name)
{
    std::istringstream text(readFile(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

std::string expectedThreadTag(unsigned long long threadNumber)
{
    char tag[40];
    std::snprintf(tag, sizeof tag, "[0x%016llx] ", threadNumber);
    return tag;
}

const std::string& processLogDirectory()
{
    // Made before the logger so that it is removed after the logger has
    // closed its file at exit.
    static const TemporaryDirectory directory;
    static const bool configured = [] {
        Logger& logger = getLogger();
        logger.setLogPath(directory.path());
        logger.setEnabled(true);
        return true;
    }();
    (void)configured;
    return directory.path();
}

std::vector<std::string> processLogLines()
{
    const std::string& directory = processLogDirectory();
    getLogger().flush();
    std::vector<std::string> lines;
    for (const auto& entry : fs::directory_iterator(directory)) {
        const std::vector<std::string> fileLines = readLines(entry.path().string());
        lines.insert(lines.end(), fileLines.begin(), fileLines.end());
    }
    return lines;
}

std::string messageOf(const std::string& line)
{
    // "[0x" + 16 digits + "] " is 21 characters; "[date time] " 22 more.
    std::string message = line.size() >= 21 ? line.substr(21) : std::string();
    if (message.size() >= 22 && message[0] == '[' && message[20] == ']' && message[21] == ' ')
        message.erase(0, 22);
    return message;
}
