#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#if defined(__linux__)
#include <sys/resource.h>

#include <csignal>
#endif

#include "LogTestSupport.h"
#include "logger.h"

using namespace quelbrant;

namespace {

const std::string VerboseHeader = "Variable name, Value, Comment\n\n";

// A logger enabled by hand, with no variable set, writing into `directory`
// with the clock stopped at 2026-03-07 09:05.
class LoggerFile : public testing::Test {
protected:
    std::unique_ptr<Logger> makeLogger(bool verbose = false)
    {
        auto logger = std::make_unique<Logger>(&localMarch7th2026At0905);
        logger->setLogPath(mDirectory.path());
        logger->setEnabled(true);
        logger->setVerbose(verbose);
        return logger;
    }
    std::string fileName() const { return march7th2026At0905FileName(mDirectory.path()); }

    const ScopedLogEnvironment mEnvironment{{nullptr, nullptr, nullptr}};
    const TemporaryDirectory mDirectory;
};

// Bytes the disk takes before it is full: a write then gets out in part or
// not at all, as a real one does. Windows writes a line feed as CR LF, and
// the disk can fill between the two: once asked, a write cut just before a
// line feed gets its CR out.
std::atomic<std::size_t> roomOnDisk{SIZE_MAX};
std::atomic<bool> cutBetweenCrAndLf{false};

std::size_t writeWhileThereIsRoom(std::streambuf& file, const std::string& batch)
{
    const std::size_t room = std::min<std::size_t>(roomOnDisk, batch.size());
    const auto written =
        static_cast<std::size_t>(file.sputn(batch.data(), static_cast<std::streamsize>(room)));
    roomOnDisk -= written;
#if defined(_WIN32)
    if (written < batch.size() && batch[written] == '\n' && cutBetweenCrAndLf.exchange(false))
        file.sputn("\r", 1);
#endif
    return written;
}

std::string writeFailureReport(const std::string& fileName)
{
    return "Could not write to log file " + fileName + "; lines are counted until writing works again\n";
}

std::vector<std::string> messagesOf(const std::vector<std::string>& lines)
{
    std::vector<std::string> messages;
    for (const std::string& line : lines)
        messages.push_back(messageOf(line));
    return messages;
}

}  // namespace

TEST_F(LoggerFile, IsNamedFromTheLocalTimeTheWriterStarts)
{
    makeLogger()->log("one line");
    EXPECT_EQ(mDirectory.fileNames(), std::vector<std::string>{"2026_3_7_9-5_log.csv"});
    EXPECT_EQ(messagesOf(readLines(fileName())), std::vector<std::string>{"one line"});
}

TEST_F(LoggerFile, SecondStartReturnsFalseAndStartsNoSecondWriter)
{
    auto logger = makeLogger();
    EXPECT_TRUE(logger->start());
    EXPECT_TRUE(logger->isRunning());
    EXPECT_FALSE(logger->start());
    logger->stop();
    EXPECT_FALSE(logger->isRunning());
    // The file stays open after stop(): no new writer, no new file.
    EXPECT_FALSE(logger->start());
    EXPECT_EQ(mDirectory.fileNames().size(), 1u);
}

TEST_F(LoggerFile, VerboseLogBeginsWithTheHeaderAndAnEmptyLine)
{
    makeLogger(true)->log("after the header");
    const std::string text = readFile(fileName());
    ASSERT_EQ(text.compare(0, VerboseHeader.size(), VerboseHeader), 0) << text;
    EXPECT_EQ(messageOf(text.substr(VerboseHeader.size())), "after the header\n");
}

TEST_F(LoggerFile, NonVerboseLogHasNoHeader)
{
    makeLogger(false)->log("first");
    const std::string text = readFile(fileName());
    EXPECT_EQ(text.rfind("[0x", 0), 0u) << text;
}

TEST_F(LoggerFile, WritersStartedInTheSameMinuteAppendToOneFile)
{
    {
        std::ofstream earlier(fileName());
        earlier << "line of an earlier process\n";
    }
    makeLogger()->log("from the first logger");
    makeLogger()->log("from the second logger");
    const std::vector<std::string> lines = readLines(fileName());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "line of an earlier process");
    EXPECT_EQ(messageOf(lines[1]), "from the first logger");
    EXPECT_EQ(messageOf(lines[2]), "from the second logger");
}

TEST_F(LoggerFile, DestructionWritesEveryLineQueued)
{
    constexpr int lineCount = 5000;
    {
        auto logger = makeLogger();
        for (int i = 0; i < lineCount; ++i)
            logger->log("line ", i);
    }
    const std::vector<std::string> lines = readLines(fileName());
    ASSERT_EQ(lines.size(), static_cast<size_t>(lineCount));
    for (int i = 0; i < lineCount; ++i)
        ASSERT_EQ(messageOf(lines[i]), "line " + std::to_string(i));
}

TEST_F(LoggerFile, LinesQueuedAfterStopAreWrittenAtDestruction)
{
    {
        auto logger = makeLogger();
        logger->log("before stop");
        logger->stop();
        logger->log("after stop");
    }
    EXPECT_EQ(messagesOf(readLines(fileName())), (std::vector<std::string>{"before stop", "after stop"}));
}

TEST_F(LoggerFile, FlushReturnsWhenEveryEarlierLineIsInTheFile)
{
    auto logger = makeLogger();
    for (int i = 0; i < 100; ++i)
        logger->log("line ", i);
    logger->flush();
    const std::vector<std::string> lines = readLines(fileName());
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(messageOf(lines.back()), "line 99");
}

TEST_F(LoggerFile, FlushWithoutWriterReturnsAtOnce)
{
    auto logger = makeLogger();
    logger->setEnabled(false);
    logger->log("queued");
    logger->flush();
    EXPECT_TRUE(mDirectory.fileNames().empty());
}

TEST_F(LoggerFile, UnopenableFileIsReportedOnceAndTheLoggerKeepsWorking)
{
    const std::string missing = mDirectory.path() + PathSeparator + "missing";
    auto logger = makeLogger();
    logger->setLogPath(missing);

    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(logger->log("dropped one"));
    EXPECT_NO_THROW(logger->log("dropped two"));
    EXPECT_FALSE(logger->start());
    const std::string reported = testing::internal::GetCapturedStderr();

    EXPECT_EQ(reported, "Could not open file " + march7th2026At0905FileName(missing) + "\n");
    EXPECT_FALSE(logger->isRunning());
    EXPECT_EQ(logger->droppedLineCount(), 2u);

    // Every later line tries again.
    std::filesystem::create_directory(missing);
    logger->log("written");
    logger.reset();
    EXPECT_EQ(messagesOf(readLines(march7th2026At0905FileName(missing))),
              (std::vector<std::string>{"2 lines dropped before the log file was opened", "written"}));
}

TEST_F(LoggerFile, UnopenableFileInANewDirectoryIsReportedAgain)
{
    auto logger = makeLogger();
    const std::string first = mDirectory.path() + PathSeparator + "first";
    const std::string second = mDirectory.path() + PathSeparator + "second";
    testing::internal::CaptureStderr();
    logger->setLogPath(first);
    logger->log("a");
    logger->setLogPath(first);
    logger->log("b");
    logger->setLogPath(second);
    logger->log("c");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could not open file " + march7th2026At0905FileName(first) + "\nCould not open file " +
                  march7th2026At0905FileName(second) + "\n");
}

TEST_F(LoggerFile, LinesQueuedWithoutWriterAreWrittenOnceItStarts)
{
    auto logger = makeLogger(true);
    logger->setEnabled(false);
    logger->log("queued while disabled");
    EXPECT_FALSE(logger->isRunning());
    logger->setEnabled(true);
    logger->log("first line with a writer");
    logger.reset();
    const std::vector<std::string> lines = readLines(fileName());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Variable name, Value, Comment");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(messageOf(lines[2]), "queued while disabled");
    EXPECT_EQ(messageOf(lines[3]), "first line with a writer");
}

TEST_F(LoggerFile, LinesBeyondTheBoundWithoutWriterAreDroppedAndCounted)
{
    constexpr size_t bound = Logger::MaxLinesWithoutWriter;
    auto logger = makeLogger();
    logger->setEnabled(false);
    for (size_t i = 0; i < bound + 5; ++i)
        logger->log("queued ", i);
    EXPECT_EQ(logger->droppedLineCount(), 5u);
    logger->setEnabled(true);
    logger->log("writer started");
    logger.reset();

    const std::vector<std::string> lines = readLines(fileName());
    ASSERT_EQ(lines.size(), bound + 2);
    EXPECT_EQ(messageOf(lines.front()), "queued 0");
    EXPECT_EQ(messageOf(lines[bound - 1]), "queued " + std::to_string(bound - 1));
    EXPECT_EQ(messageOf(lines[bound]), "5 lines dropped before the log file was opened");
    EXPECT_EQ(messageOf(lines[bound + 1]), "writer started");
}

TEST_F(LoggerFile, QueueIsNotBoundedWhileTheWriterRuns)
{
    constexpr size_t lineCount = Logger::MaxLinesWithoutWriter + 1000;
    {
        auto logger = makeLogger();
        for (size_t i = 0; i < lineCount; ++i)
            logger->log("line ", i);
        EXPECT_EQ(logger->droppedLineCount(), 0u);
    }
    EXPECT_EQ(readLines(fileName()).size(), lineCount);
}

TEST_F(LoggerFile, WritingResumesAfterAFullDiskAndCountsTheLinesLost)
{
    auto logger = std::make_unique<Logger>(&localMarch7th2026At0905, &writeWhileThereIsRoom);
    logger->setLogPath(mDirectory.path());
    logger->setEnabled(true);
    const auto logWhile = [&logger](bool full, std::initializer_list<const char*> lines) {
        roomOnDisk = full ? 0 : SIZE_MAX;
        for (const char* line : lines)
            logger->log(line);
        logger->flush();
    };
    testing::internal::CaptureStderr();
    logWhile(false, {"before"});
    logWhile(true, {"lost 1", "lost 2", "lost 3"});
    logWhile(false, {"after the first"});
    logWhile(true, {"lost 4"});
    logWhile(false, {"after the second"});
    logger.reset();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), writeFailureReport(fileName()));
    EXPECT_EQ(messagesOf(readLines(fileName())),
              (std::vector<std::string>{"before", "3 lines could not be written", "after the first",
                                        "1 lines could not be written", "after the second"}));

#if defined(__linux__)
    // The real thing: a file already beyond the size the system lets files
    // grow to fails every write ("File too large"), as a full disk does. The
    // limit is the process's, so a child process of its own takes it.
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            {
                const TemporaryDirectory fullDisk;
                std::ofstream(march7th2026At0905FileName(fullDisk.path())) << std::string(8192, '\n');
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit size{};
                getrlimit(RLIMIT_FSIZE, &size);
                size.rlim_cur = 4096;
                setrlimit(RLIMIT_FSIZE, &size);
                auto full = std::make_unique<Logger>(&localMarch7th2026At0905);
                full->setLogPath(fullDisk.path());
                full->setEnabled(true);
                full->log("lost");
            }
            // The child ran this test afresh in a folder of its own; exit()
            // skips the fixture's destructor.
            std::filesystem::remove_all(mDirectory.path());
            std::exit(0);
        },
        testing::ExitedWithCode(0), "^" + writeFailureReport("[^\n]*/2026_3_7_9-5_log\\.csv") + "$");
#endif
}

// A disk that fills within a batch: every line is in the file whole (the
// one the disk cut is finished once there is room again) or counted.
TEST_F(LoggerFile, DiskFillingWithinABatchKeepsWholeLinesAndCountsTheRest)
{
    // Room per round of two lines of 28 bytes ("[0x<16 digits>] line N\n"):
    // none, in a thread tag, at a line's end, within a line; then in the rest
    // of a cut line, within the count of lost lines, just after it.
    const std::vector<std::vector<std::size_t>> cases = {{0},     {5},        {28},    {40},
                                                         {40, 3}, {40, 0, 9}, {0, 30}, {0, 73}};
    for (const std::vector<std::size_t>& rooms : cases) {
        const TemporaryDirectory directory;
        auto logger = std::make_unique<Logger>(&localMarch7th2026At0905, &writeWhileThereIsRoom);
        logger->setLogPath(directory.path());
        logger->setEnabled(true);
        testing::internal::CaptureStderr();
        int lines = 0;
        for (std::size_t room : rooms) {
            roomOnDisk = room;
            logger->log("line ", lines++);
            logger->log("line ", lines++);
            logger->flush();
        }
        roomOnDisk = SIZE_MAX;
        logger->log("line ", lines++);
        logger.reset();
        testing::internal::GetCapturedStderr();
        int kept = 0;
        int counted = 0;
        for (const std::string& line : readLines(march7th2026At0905FileName(directory.path()))) {
            const std::string message = messageOf(line);
            int n = -1;
            if (std::sscanf(message.c_str(), "line %d", &n) == 1 && message == "line " + std::to_string(n))
                EXPECT_EQ(n, kept++ + counted) << rooms.size() << " rounds, first " << rooms[0];
            else if (std::sscanf(message.c_str(), "%d", &n) == 1 &&
                     message == std::to_string(n) + " lines could not be written")
                counted += n;
            else
                ADD_FAILURE() << "not a whole line: " << line;
        }
        EXPECT_EQ(kept + counted, lines) << rooms.size() << " rounds, first " << rooms[0];
    }
}

// A logger that ends with a line the disk cut: the line is finished and the
// lost lines counted if the disk takes them now; otherwise the file is cut
// back to its last whole line. Once another writer has appended after the
// cut line, it stays cut and only whole lines follow the other's.
TEST_F(LoggerFile, EndingLoggerFinishesTheCutLineOrCutsTheFileBack)
{
    // Another writer appends a line after the cut, then the logger ends, or
    // first logs "line 2"; its line is never cut back.
    enum Other { none, thenEnd, thenBatch };
    struct Case {
        std::size_t room;  // for two lines of 28 bytes; 27: up to the first one's line feed
        std::size_t roomAtEnd;
        std::vector<std::string> messages;  // with another writer: those after its line
        Other other = none;
    };
    const Case cases[] = {{40, 5, {}, thenEnd},
                          {40, SIZE_MAX, {}, thenEnd},
                          {27, SIZE_MAX, {"1 lines could not be written"}, thenEnd},
                          {40, SIZE_MAX, {"line 2"}, thenBatch},
                          {27, SIZE_MAX, {"1 lines could not be written", "line 2"}, thenBatch},
                          {40, SIZE_MAX, {"line 0", "line 1"}},
                          {40, 0, {"line 0"}},
                          {40, 10, {"line 0"}},
                          {0, SIZE_MAX, {"2 lines could not be written"}},
                          {0, 10, {}},
                          {27, SIZE_MAX, {"line 0", "1 lines could not be written"}},
                          {27, 0, {}}};
    for (const Case& c : cases) {
        const TemporaryDirectory directory;
        auto logger = std::make_unique<Logger>(&localMarch7th2026At0905, &writeWhileThereIsRoom);
        logger->setLogPath(directory.path());
        logger->setEnabled(true);
        testing::internal::CaptureStderr();
        roomOnDisk = c.room;
        cutBetweenCrAndLf = true;
        logger->log("line ", 0);
        logger->log("line ", 1);
        logger->flush();
        if (c.other != none)
            std::ofstream(march7th2026At0905FileName(directory.path()), std::ios::app) << "another writer's line\n";
        roomOnDisk = c.roomAtEnd;
        if (c.other == thenBatch) {
            logger->log("line ", 2);
            logger->flush();
        }
        logger.reset();
        testing::internal::GetCapturedStderr();
        std::vector<std::string> lines = readLines(march7th2026At0905FileName(directory.path()));
        if (c.other != none) {
            const auto isOthers = [](const std::string& line) {
                return line.size() >= 21 && line.compare(line.size() - 21, 21, "another writer's line") == 0;
            };
            const auto others = std::find_if(lines.begin(), lines.end(), isOthers);
            ASSERT_NE(others, lines.end()) << c.room << " bytes, then " << c.roomAtEnd;
            lines.erase(lines.begin(), others + 1);
        }
        EXPECT_EQ(messagesOf(lines), c.messages) << c.room << " bytes, then " << c.roomAtEnd << ", " << c.other;
    }
    cutBetweenCrAndLf = false;
}
