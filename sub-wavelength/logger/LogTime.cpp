#include "LogTime.h"

#include <chrono>

#include "logger.h"

namespace quelbrant {

std::tm localTime(std::time_t t)
{
    std::tm out{};
#if defined(_WIN32)
    localtime_s(&out, &t);
#else
    localtime_r(&t, &out);
#endif
    return out;
}

std::string makeLogFileName(const std::string& directory, const std::tm& local)
{
#if defined(_WIN32)
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    return directory + separator + std::to_string(local.tm_year + 1900) + "_" +
           std::to_string(local.tm_mon + 1) + "_" + std::to_string(local.tm_mday) + "_" +
           std::to_string(local.tm_hour) + "-" + std::to_string(local.tm_min) + "_log.csv";
}

std::string formatTimeStamp(const std::tm& local)
{
    // 2 + 19 characters of date and time + 2, with room for a year beyond 9999.
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "[%Y-%m-%d %H:%M:%S] ", &local);
    return std::string(text, length);
}

std::string makeTimeStamp()
{
    return formatTimeStamp(localTime(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now())));
}

}  // namespace quelbrant
