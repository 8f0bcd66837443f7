#include "logger.h"

#include <cstdlib>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

// Minimal first cut; hardened separately.

namespace {

std::string getEnvVar(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

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

}  // namespace

std::tuple<bool, bool, int, std::string> getLogConfigurationFromEnvironment()
{
    const std::string debugPath = getEnvVar("QUELBRANT_VREL_DEBUG_PATH");
    const std::string debugMaxLines = getEnvVar("QUELBRANT_VREL_DEBUG_MAX");
    const std::string debugVerboseMode = getEnvVar("QUELBRANT_VREL_DEBUG_VERBOSE");
    int lineCount = -1;
    if (!debugMaxLines.empty()) {
        try {
            lineCount = std::stoi(debugMaxLines, nullptr, 10);
        } catch (const std::exception&) {
            lineCount = -1;
        }
    }
    const bool verbose = !debugVerboseMode.empty();
    const bool enabled = !debugPath.empty() || !debugMaxLines.empty() || verbose;
    return {enabled, verbose, lineCount, debugPath};
}

Logger::Logger()
{
    bool enabled = false;
    bool verbose = false;
    int lineCount = -1;
    std::tie(enabled, verbose, lineCount, mPath) = getLogConfigurationFromEnvironment();
    mIsEnabled = enabled;
    mIsVerbose = verbose;
    mLineCount = lineCount;
}

Logger::~Logger()
{
    stop();
}

void Logger::setLogPath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mPath = path;
}

bool Logger::isLogPathDefined() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return !mPath.empty();
}

bool Logger::start()
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (!isEnabled() || mFileStream.is_open())
        return false;
    const std::tm tm = localTime(std::time(nullptr));
#if defined(_WIN32)
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    const std::string name = mPath + separator + std::to_string(tm.tm_year + 1900) + "_" +
                             std::to_string(tm.tm_mon + 1) + "_" + std::to_string(tm.tm_mday) + "_" +
                             std::to_string(tm.tm_hour) + "-" + std::to_string(tm.tm_min) + "_log.csv";
    mFileStream.open(name, std::ios::out | std::ios::app);
    if (!mFileStream.is_open())
        return false;
    if (isEnabled() && isVerbose())
        mMessages.push_back("Variable name, Value, Comment\n");
    mIsRunning = true;
    try {
        mThread = std::thread(&Logger::run, this);
    } catch (...) {
        mIsRunning = false;
        mFileStream.close();
        return false;
    }
    return true;
}

void Logger::stop()
{
    bool wasRunning = false;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        wasRunning = mIsRunning.exchange(false);
    }
    if (wasRunning) {
        mCv.notify_one();
        mThread.join();
    }
}

void Logger::run()
{
    while (isRunning()) {
        const std::string line = popMessage();
        if (!line.empty())
            mFileStream << line << std::endl;
    }
    mFileStream.flush();
}

void Logger::enqueue(std::string&& line)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mMessages.push_back(std::move(line));
    mCv.notify_one();
}

std::string Logger::popMessage()
{
    std::unique_lock<std::mutex> lock(mMutex);
    mCv.wait_for(lock, std::chrono::milliseconds(100));
    if (mMessages.empty())
        return {};
    std::string result = std::move(mMessages.front());
    mMessages.pop_front();
    while (!mMessages.empty()) {
        result += "\n" + mMessages.front();
        mMessages.pop_front();
    }
    return result;
}

Logger& getLogger()
{
    static Logger logger;
    return logger;
}

std::string makeTimeStamp()
{
    const std::tm tm = localTime(std::time(nullptr));
    std::ostringstream out;
    out << "[" << std::put_time(&tm, "%Y-%m-%d %H:%M:%S") << "] ";
    return out.str();
}

unsigned long long currentThreadNumber()
{
#if defined(_WIN32)
    return static_cast<unsigned long long>(GetCurrentThreadId());
#else
    return static_cast<unsigned long long>(pthread_self());
#endif
}
