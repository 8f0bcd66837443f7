#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

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

// A disk that is full while this is set: a write then fails as a real one
// does, leaving the stream in its failed state.
std::atomic<bool> diskIsFull{false};

void writeUnlessDiskIsFull(std::ostream& file, const std::string& batch)
{
    if (diskIsFull)
        file.setstate(std::ios::badbit);
    else
        writeLogBatch(file, batch);
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
    auto logger = std::make_unique<Logger>(&localMarch7th2026At0905, &writeUnlessDiskIsFull);
    logger->setLogPath(mDirectory.path());
    logger->setEnabled(true);
    const auto logWhile = [&logger](bool full, std::initializer_list<const char*> lines) {
        diskIsFull = full;
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
    // The real thing: every write to /dev/full fails with "no space left".
    const TemporaryDirectory fullDisk;
    const std::string fullFile = march7th2026At0905FileName(fullDisk.path());
    std::filesystem::create_symlink("/dev/full", fullFile);
    auto full = std::make_unique<Logger>(&localMarch7th2026At0905);
    full->setLogPath(fullDisk.path());
    full->setEnabled(true);
    testing::internal::CaptureStderr();
    full->log("lost");
    full.reset();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), writeFailureReport(fullFile));
#endif
}
