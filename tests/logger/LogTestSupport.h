#pragma once

// Helpers shared by the logger's tests: environment, scratch directories,
// a fixed clock and reading the log back.

#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
constexpr char PathSeparator = '\\';
#else
constexpr char PathSeparator = '/';
#endif

// Sets (a text) or clears (nullptr) the three logging variables for its
// lifetime, then puts back what was there.
class ScopedLogEnvironment {
public:
    struct Values {
        const char* path;
        const char* maxLines;
        const char* verbose;
    };
    explicit ScopedLogEnvironment(const Values& values);
    ~ScopedLogEnvironment();
    ScopedLogEnvironment(const ScopedLogEnvironment&) = delete;
    ScopedLogEnvironment& operator=(const ScopedLogEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> mSaved;
};

// A fresh empty directory below the system's temporary one, removed with
// everything in it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::string& path() const { return mPath; }
    // The names of the files in it.
    std::vector<std::string> fileNames() const;

private:
    std::string mPath;
};

// Local time 2026-03-07 09:05:30, a Clock for Logger.
std::time_t localMarch7th2026At0905();
// The name a logger with that clock gives its file in `directory`.
std::string march7th2026At0905FileName(const std::string& directory);

// Local calendar time from its fields (month 1-12).
std::tm makeLocalTm(int year, int month, int day, int hour, int minute, int second);

std::string readFile(const std::string& name);
std::vector<std::string> readLines(const std::string& name);

// "[0x" + number as 16 lowercase hex digits + "] ".
std::string expectedThreadTag(unsigned long long threadNumber);

// The log file the process-wide logger writes, in a directory of its own
// set on first use (together with enabled logging). Lines reach it after
// getLogger().flush().
const std::string& processLogDirectory();
std::vector<std::string> processLogLines();

// Text of `line` after the thread tag and, when present, the time stamp.
std::string messageOf(const std::string& line);
