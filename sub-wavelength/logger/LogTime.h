#pragma once

// Local calendar time for the log file's name and the lines' time stamps.

#include <ctime>
#include <string>

namespace quelbrant {

// t broken down in local time, with a conversion that other threads may run
// at the same time.
std::tm localTime(std::time_t t);

// The log file of a writer started at local time `local`:
// directory + separator + "<year>_<month>_<day>_<hour>-<minute>_log.csv",
// numbers without leading zeros ('\\' separates on Windows, '/' elsewhere).
// Writers started in the same minute share, and append to, one file.
std::string makeLogFileName(const std::string& directory, const std::tm& local);

// "[YYYY-mm-dd HH:MM:SS] " for local time `local`.
std::string formatTimeStamp(const std::tm& local);

}  // namespace quelbrant
