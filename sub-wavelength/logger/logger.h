#pragma once

// Process-wide asynchronous log. Producers format a line on their own thread
// and queue it under a short lock; one writer thread drains the queue into a
// file named from the local date and time.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <deque>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <tuple>
#include <type_traits>

#include "RegularFileWriter.h"

namespace quelbrant {

class Logger {
public:
    // Source of the calendar time that names the log file.
    using Clock = std::time_t (*)();
    // Puts one batch of lines into the open file and returns how many of its
    // bytes got there: fewer when the disk fills part way, none when it is
    // full. The writer tries again with the next batch. Tests put a failing
    // one in.
    using BatchWriter = std::size_t (*)(std::streambuf& file, const std::string& batch);

    // Lines kept while no writer runs (logging disabled, file not open yet);
    // any further line is dropped and counted.
    static constexpr std::size_t MaxLinesWithoutWriter = 10000;

    // Configured from the QUELBRANT_VREL_DEBUG_* environment variables.
    Logger();
    explicit Logger(Clock clock);
    Logger(Clock clock, BatchWriter writeBatch);
    // Writes every line still queued before the file closes.
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Opens the file and starts the writer: true only for the call that did.
    bool start();
    // Ends the writer after it has written every line queued so far. The
    // file stays open, so a later start() does not reopen it.
    void stop();
    // Blocks until every line queued before the call is in the file; returns
    // at once when no writer runs.
    void flush();
    bool isRunning() const { return mIsRunning.load(); }

    void setLogPath(const std::string& path);
    bool isLogPathDefined() const;
    void setEnabled(bool isEnabled) { mIsEnabled.store(isEnabled); }
    bool isEnabled() const { return mIsEnabled.load(); }
    void setVerbose(bool isVerbose) { mIsVerbose.store(isVerbose); }
    bool isVerbose() const { return mIsVerbose.load(); }
    void setLineCount(int lineCount) { mLineCount.store(lineCount); }
    bool stillHasLines() { return mLineCount.fetch_sub(1) > 0; }

    // Lines that never reached the queue: beyond MaxLinesWithoutWriter while
    // no writer ran, or made while the file could not be opened.
    std::size_t droppedLineCount() const { return mDroppedLines.load(); }

    // Formats one line, "[0x<thread number, 16 hex digits>] " followed by
    // the arguments streamed back to back, and queues it. A line made while
    // the log file cannot be opened is dropped.
    template <class... Args>
    void log(const Args&... args);

private:
    enum class StartResult { started, startedBefore, disabled, fileNotOpened, writerNotCreated };

    StartResult startWriter();
    bool admitsLine();
    void run();
    void enqueue(std::string&& line);
    std::deque<std::string> popMessage(bool& isLastPass);
    void markWritten(std::size_t lineCount, bool isLastPass);
    void writeLeftoverLines();
    void writeLines(const std::deque<std::string>& lines);
    void reportFirstWriteFailure();

    std::deque<std::string> mMessages;
    RegularFileWriter mFile;
    std::thread mThread;
    mutable std::mutex mMutex;
    std::condition_variable mCv;
    std::string mPath;
    std::atomic<int> mLineCount{-1};
    std::atomic<bool> mIsEnabled{false};
    std::atomic<bool> mIsRunning{false};
    std::atomic<bool> mIsVerbose{false};

    Clock mClock;
    BatchWriter mWriteBatch;
    std::atomic<std::size_t> mDroppedLines{0};
    // Guarded by mMutex: the writer has not yet finished its last pass;
    // lines ever queued and lines written, for flush().
    bool mWriterActive = false;
    std::uint64_t mQueuedLines = 0;
    std::uint64_t mWrittenLines = 0;
    std::condition_variable mWrittenCv;
    // Guarded by mMutex: the failure to open a file in mPath was reported.
    bool mOpenFailureReported = false;
    // Touched only by whoever writes the file (the writer, or the destructor
    // after it): the opened file's name, lines lost to failed writes since
    // the last write that worked, whether standard error was told, and the
    // storage a batch is gathered in, which starts with the rest of a line a
    // write cut (mCutLineRest bytes), to be finished first.
    std::string mFileName;
    std::string mBatch;
    std::size_t mCutLineRest = 0;
    std::size_t mUnwrittenLines = 0;
    bool mWriteFailureReported = false;
};

// The writer's own BatchWriter: the batch in one write.
std::size_t writeLogBatch(std::streambuf& file, const std::string& batch);

// (enabled, verbose, line budget, directory) from the QUELBRANT_VREL_DEBUG_*
// environment variables.
std::tuple<bool, bool, int, std::string> getLogConfigurationFromEnvironment();

Logger& getLogger();

// "[YYYY-mm-dd HH:MM:SS] " in local time.
std::string makeTimeStamp();

// Numeric identifier of the calling thread printed at the head of every
// line: the native pthread handle on Linux, the thread id on Windows.
unsigned long long currentThreadNumber();

// Streams "[0x" + currentThreadNumber() as 16 lowercase hex digits + "] ",
// then puts the stream back to decimal (the fill stays '0').
void streamThreadTag(std::ostream& line);

// Wide text streamed into a narrow line would print as a pointer or a
// number; the Windows build narrows it through the std::wstring overloads.
template <class T>
struct IsWideText
    : std::bool_constant<std::is_same_v<std::remove_cv_t<std::remove_pointer_t<std::decay_t<T>>>, wchar_t> ||
                         std::is_same_v<std::decay_t<T>, std::wstring>> {
};

template <class... Args>
void Logger::log(const Args&... args)
{
    static_assert(
        !(IsWideText<Args>::value || ...),
        "wide text cannot be streamed into a log line; pass a std::wstring alone to Log or LogDebug");
    if (!admitsLine())
        return;
    std::ostringstream line;
    streamThreadTag(line);
    (line << ... << args);
    enqueue(line.str());
}

// Normal-level line, made when logging is enabled. When it is not, the call
// costs one atomic load: nothing is formatted or allocated.
template <class... Args>
void Log(Args&&... args)
{
    Logger& logger = getLogger();
    if (logger.isEnabled())
        logger.log(makeTimeStamp(), args...);
}

// Debug-level line, made when verbose output is on (whether or not logging is
// enabled). Same cost as Log when it is off.
template <class... Args>
void LogDebug(Args&&... args)
{
    Logger& logger = getLogger();
    if (logger.isVerbose())
        logger.log(makeTimeStamp(), args...);
}

#if defined(_WIN32)
// Wide-text forms for the lens-design adapters: each UTF-16 unit keeps its
// low byte. Both return -1, logged or not, which the adapters throw to
// abandon a host call.
int LogDebug(std::wstring message);
int Log(std::wstring message);
#endif

}  // namespace quelbrant
