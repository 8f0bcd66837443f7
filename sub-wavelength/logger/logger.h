#pragma once

// Process-wide asynchronous log: producers format a line on their own thread
// and queue it under a short lock; one writer thread drains the queue into a
// file named from the local date and time.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <iomanip>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

class Logger {
public:
    Logger();
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    bool start();
    void stop();
    bool isRunning() const { return mIsRunning.load(); }

    void setLogPath(const std::string& path);
    bool isLogPathDefined() const;
    void setEnabled(bool isEnabled) { mIsEnabled.store(isEnabled); }
    bool isEnabled() const { return mIsEnabled.load(); }
    void setVerbose(bool isVerbose) { mIsVerbose.store(isVerbose); }
    bool isVerbose() const { return mIsVerbose.load(); }
    void setLineCount(int lineCount) { mLineCount.store(lineCount); }
    bool stillHasLines() { return mLineCount.fetch_sub(1) > 0; }

    // Formats one line, "[0x<thread id, 16 hex digits>] " followed by the
    // arguments streamed back to back, and queues it.
    template <class... Args>
    void log(const Args&... args);

private:
    void run();
    void enqueue(std::string&& line);
    std::string popMessage();

    std::deque<std::string> mMessages;
    std::ofstream mFileStream;
    std::thread mThread;
    mutable std::mutex mMutex;
    std::condition_variable mCv;
    std::string mPath;
    std::atomic<int> mLineCount{-1};
    std::atomic<bool> mIsEnabled{false};
    std::atomic<bool> mIsRunning{false};
    std::atomic<bool> mIsVerbose{false};
};

// (enabled, verbose, line budget, directory) from the QUELBRANT_VREL_DEBUG_*
// environment variables.
std::tuple<bool, bool, int, std::string> getLogConfigurationFromEnvironment();

Logger& getLogger();

// "[YYYY-mm-dd HH:MM:SS] " in local time.
std::string makeTimeStamp();

// Numeric thread identifier printed at the head of every line: the native
// handle on Linux, the thread id on Windows.
unsigned long long currentThreadNumber();

template <class... Args>
void Logger::log(const Args&... args)
{
    start();
    std::ostringstream line;
    line << "[0x" << std::setw(16) << std::setfill('0') << std::hex << currentThreadNumber() << "] "
         << std::resetiosflags(std::ios_base::basefield);
    (line << ... << args);
    enqueue(line.str());
}

// Normal-level line, written when logging is enabled. Costs one atomic load
// when it is not.
template <class... Args>
void Log(Args&&... args)
{
    if (getLogger().isEnabled())
        getLogger().log(makeTimeStamp(), args...);
}

// Debug-level line, written when verbose output is on.
template <class... Args>
void LogDebug(Args&&... args)
{
    if (getLogger().isVerbose())
        getLogger().log(makeTimeStamp(), args...);
}

#if defined(_WIN32)
// Wide-text forms for the lens-design adapters: each UTF-16 unit keeps its
// low byte. Both return -1, which the adapters throw to abandon a host call.
int LogDebug(std::wstring message);
int Log(std::wstring message);
#endif
