#include "logger.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>

#include "KeepLibraryLoaded.h"
#include "LogTime.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quelbrant {

namespace {

// Longest a writer sleeps between passes when nothing wakes it.
constexpr std::chrono::milliseconds WriterWakeInterval{100};

// Largest batch storage the writer keeps for its next pass; one burst of
// lines does not hold its memory for good.
constexpr std::size_t MaxKeptBatchBytes = std::size_t{1} << 20;

// Starts a verbose log: a header line, then an empty line.
const char* const VerboseHeader = "Variable name, Value, Comment\n";

std::time_t systemTime()
{
    return std::time(nullptr);
}

}  // namespace

Logger::Logger() : Logger(&systemTime) {}

Logger::Logger(Clock clock) : Logger(clock, &writeLogBatch) {}

Logger::Logger(Clock clock, BatchWriter writeBatch) : mClock(clock), mWriteBatch(writeBatch)
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
    writeLeftoverLines();
}

void Logger::setLogPath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (path != mPath)
        mOpenFailureReported = false;
    mPath = path;
}

bool Logger::isLogPathDefined() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return !mPath.empty();
}

bool Logger::start()
{
    return startWriter() == StartResult::started;
}

Logger::StartResult Logger::startWriter()
{
    // A running writer implies an open file: no lock on the common path.
    if (mIsRunning.load())
        return StartResult::startedBefore;
    std::lock_guard<std::mutex> lock(mMutex);
    if (!isEnabled())
        return StartResult::disabled;
    if (mFile.isOpen())
        return StartResult::startedBefore;

    const std::string name = makeLogFileName(mPath, localTime(mClock()));
    // Unbuffered, so that a write the disk refuses leaves nothing behind in
    // the stream to come out later, out of order, once space is back; each
    // batch goes to the system in one piece all the same. Append: a writer
    // started earlier in the same minute, by this process or another, keeps
    // its lines. A name that is no regular file (a pipe would block every
    // thread that logs) counts as one that cannot be opened.
    if (!mFile.openNarrow(name, RegularFileWriter::Mode::append, 0)) {
        // The host call that logs goes on; the failure is told once per
        // directory, and every later line tries the file again.
        if (!mOpenFailureReported) {
            std::fprintf(stderr, "Could not open file %s\n", name.c_str());
            std::fflush(stderr);
            mOpenFailureReported = true;
        }
        return StartResult::fileNotOpened;
    }
    mOpenFailureReported = false;
    mFileName = name;

    mIsRunning = true;
    try {
        mThread = std::thread(&Logger::run, this);
    } catch (...) {
        mIsRunning = false;
        mFile.close();
        return StartResult::writerNotCreated;
    }
    mWriterActive = true;
    // Once a writer runs, the library stays loaded until the process ends. A
    // DLL's static objects are destroyed in the loader's unload notification,
    // under the loader lock, and a thread cannot end while another holds that
    // lock: joining the writer there would hang the host's FreeLibrary for
    // ever. What becomes of the logger at process exit: see getLogger.
    keepLibraryLoaded();
    // The writer cannot take the queue before this lock is released. Lines
    // queued while no writer ran come after the header; the count of those
    // that did not fit stands where they would have been.
    if (isVerbose()) {
        mMessages.push_front(VerboseHeader);
        ++mQueuedLines;
    }
    if (const std::size_t dropped = mDroppedLines.load(); dropped > 0) {
        std::ostringstream note;
        streamThreadTag(note);
        note << makeTimeStamp() << dropped << " lines dropped before the log file was opened";
        mMessages.push_back(note.str());
        ++mQueuedLines;
    }
    return StartResult::started;
}

bool Logger::admitsLine()
{
    if (startWriter() != StartResult::fileNotOpened)
        return true;
    ++mDroppedLines;
    return false;
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

void Logger::flush()
{
    std::unique_lock<std::mutex> lock(mMutex);
    const std::uint64_t target = mQueuedLines;
    mWrittenCv.wait(lock, [&] { return mWrittenLines >= target || !mWriterActive; });
}

void Logger::run()
{
    bool isLastPass = false;
    while (!isLastPass) {
        const std::deque<std::string> lines = popMessage(isLastPass);
        if (!lines.empty())
            writeLines(lines);
        markWritten(lines.size(), isLastPass);
    }
}

void Logger::enqueue(std::string&& line)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mIsRunning && mMessages.size() >= MaxLinesWithoutWriter) {
        ++mDroppedLines;
        return;
    }
    mMessages.push_back(std::move(line));
    ++mQueuedLines;
    mCv.notify_one();
}

// Every queued line, oldest first, after waiting up to WriterWakeInterval
// for a line or for stop(). The queue is swapped out, so producers wait only
// for the swap, not for the writing. Once stop() was called this pass takes
// everything queued before it and is the writer's last.
std::deque<std::string> Logger::popMessage(bool& isLastPass)
{
    std::deque<std::string> lines;
    std::unique_lock<std::mutex> lock(mMutex);
    mCv.wait_for(lock, WriterWakeInterval, [this] { return !mMessages.empty() || !mIsRunning; });
    isLastPass = !mIsRunning;
    lines.swap(mMessages);
    return lines;
}

void Logger::markWritten(std::size_t lineCount, bool isLastPass)
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mWrittenLines += lineCount;
        if (isLastPass)
            mWriterActive = false;
    }
    mWrittenCv.notify_all();
}

// After the writer has ended: lines queued after its last pass, i.e. after
// stop(), reach the file when the logger goes. Then the file ends in whole
// lines: a line a write cut is finished (unless another writer appended
// after it) and the lines lost are counted if the disk takes them now; where
// it does not, the file is cut back to its last whole line.
void Logger::writeLeftoverLines()
{
    std::deque<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        lines.swap(mMessages);
    }
    if (!mFile.isOpen())
        return;
    writeLines(lines);
    mFile.dropUnfinishedLine();
}

// Each line followed by its line feed, the batch in one write. A write that
// fails (a full disk) costs the lines it did not begin, which are counted;
// the next batch tries again, and the first one that gets through starts
// with the count of the lines lost before it. A line the disk took only in
// part is finished first by the next write, so that every line in the file
// is whole. With no lines, only what is left of that line and the count.
void Logger::writeLines(const std::deque<std::string>& lines)
{
    // The rest of a cut line belongs right after its head. Once another
    // writer has appended to the file (room came back for it first), the
    // rest there would be a broken line of its own after the other's: the
    // head stays cut and the batch begins with whole lines. One that appends
    // between this check and the write is a race no file lock rules out.
    if (mCutLineRest > 0 && !mFile.endsWhereItsLastWriteLeftIt())
        mCutLineRest = 0;
    if (lines.empty() && mCutLineRest == 0 && mUnwrittenLines == 0)
        return;
    // The batch keeps its storage from one pass to the next, so a writer in
    // its steady state allocates nothing here; when memory runs out the lines
    // are lost like those of a failed write, and the writer thread lives on.
    std::size_t noteBytes = 0;
    std::size_t written = 0;
    try {
        mBatch.resize(mCutLineRest);
        if (mUnwrittenLines > 0) {
            std::ostringstream note;
            streamThreadTag(note);
            note << makeTimeStamp() << mUnwrittenLines << " lines could not be written\n";
            mBatch += note.str();
            noteBytes = mBatch.size() - mCutLineRest;
        }
        for (const std::string& line : lines) {
            mBatch += line;
            mBatch += '\n';
        }
        written = mWriteBatch(mFile, mBatch);
    } catch (const std::bad_alloc&) {
        written = 0;
    }
    // The batch piece by piece: what of the cut line's rest is still to go,
    // then the count and the lines, each whole, begun (its rest kept to be
    // finished) or lost.
    std::size_t restStart = std::min(written, mCutLineRest);
    std::size_t restEnd = mCutLineRest;
    std::size_t offset = mCutLineRest;
    const auto begun = [&](std::size_t bytes) {
        const bool isBegun = written > offset;
        if (isBegun && written < offset + bytes) {
            restStart = written;
            restEnd = offset + bytes;
        }
        offset += bytes;
        return isBegun;
    };
    if (noteBytes > 0 && begun(noteBytes))
        mUnwrittenLines = 0;
    for (const std::string& line : lines)
        mUnwrittenLines += begun(line.size() + 1) ? 0 : 1;
    // Moved within the storage, which a full disk must not make grow.
    mBatch.erase(0, restStart);
    mBatch.resize(restEnd - restStart);
    mCutLineRest = mBatch.size();
    if (mBatch.capacity() > MaxKeptBatchBytes)
        mBatch.shrink_to_fit();
    if (written < offset)
        reportFirstWriteFailure();
}

// Told once for the logger's file: a disk that fills and empties again must
// not fill the host's standard error instead.
void Logger::reportFirstWriteFailure()
{
    if (mWriteFailureReported)
        return;
    mWriteFailureReported = true;
    std::fprintf(stderr, "Could not write to log file %s; lines are counted until writing works again\n",
                 mFileName.c_str());
    std::fflush(stderr);
}

std::size_t writeLogBatch(std::streambuf& file, const std::string& batch)
{
    return static_cast<std::size_t>(file.sputn(batch.data(), static_cast<std::streamsize>(batch.size())));
}

#if defined(_WIN32)

namespace {

// True while the process ends (ExitProcess): the system has then already
// ended every other thread.
bool processIsEnding()
{
    using Query = BOOLEAN(WINAPI*)();
    // Through void(*)(), the generic function pointer type, as FARPROC's
    // declared signature differs.
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlDllShutdownInProgress")));
    return query != nullptr && query();
}

// Once a writer ran, the library stays loaded (keepLibraryLoaded) and the
// logger is destroyed only when the process ends. The system has ended the
// writer by then, possibly in the middle of its work with the mutex, the
// condition variables or the file buffer; stopping or destroying them could
// hang the exit, so that logger is left as it is. The writer normally takes
// each line within microseconds of its queuing.
struct ProcessLogger {
    Logger* logger = new Logger;
    ~ProcessLogger()
    {
        if (!(processIsEnding() && logger->isRunning()))
            delete logger;
    }
};

}  // namespace

Logger& getLogger()
{
    static ProcessLogger processLogger;
    return *processLogger.logger;
}

#else

Logger& getLogger()
{
    static Logger logger;
    return logger;
}

#endif

}  // namespace quelbrant
