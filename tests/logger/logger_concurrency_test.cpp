#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <regex>
#include <thread>

#include "LogTestSupport.h"
#include "logger.h"

using namespace quelbrant;

namespace {

constexpr int ThreadCount = 8;

// Runs body(t) on ThreadCount threads released together.
template <class Body>
void runTogether(Body body)
{
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < ThreadCount; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < ThreadCount)
                std::this_thread::yield();
            body(t);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
}

class LoggerConcurrency : public testing::Test {
protected:
    std::unique_ptr<Logger> makeLogger()
    {
        auto logger = std::make_unique<Logger>(&localMarch7th2026At0905);
        logger->setLogPath(mDirectory.path());
        logger->setEnabled(true);
        return logger;
    }
    std::vector<std::string> lines() const
    {
        return readLines(march7th2026At0905FileName(mDirectory.path()));
    }

    const ScopedLogEnvironment mEnvironment{{nullptr, nullptr, nullptr}};
    const TemporaryDirectory mDirectory;
};

// Checks that `lines` hold "worker <t> line <i>" for every worker t and every
// i below linesPerThread, in order per worker and under one thread tag each.
void expectEveryWorkerLineInOrder(const std::vector<std::string>& lines, int linesPerThread)
{
    const std::regex workerLine(R"((\[0x[0-9a-f]{16}\] )worker (\d+) line (\d+))");
    std::map<int, int> nextLine;
    std::map<int, std::string> tagOf;
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, workerLine)) << line;
        const int worker = std::stoi(match[2]);
        ASSERT_EQ(std::stoi(match[3]), nextLine[worker]) << "worker " << worker << " out of order";
        ++nextLine[worker];
        if (tagOf.count(worker) == 0)
            tagOf[worker] = match[1];
        ASSERT_EQ(match[1].str(), tagOf[worker]);
    }
    ASSERT_EQ(nextLine.size(), static_cast<size_t>(ThreadCount));
    for (const auto& [worker, count] : nextLine)
        EXPECT_EQ(count, linesPerThread) << "worker " << worker;
}

}  // namespace

TEST_F(LoggerConcurrency, EveryLineOfEveryThreadIsWrittenInThreadOrder)
{
    constexpr int linesPerThread = 2000;
    {
        auto logger = makeLogger();
        runTogether([&](int t) {
            for (int i = 0; i < linesPerThread; ++i)
                logger->log("worker ", t, " line ", i);
        });
    }
    const std::vector<std::string> written = lines();
    ASSERT_EQ(written.size(), static_cast<size_t>(ThreadCount * linesPerThread));
    expectEveryWorkerLineInOrder(written, linesPerThread);
}

TEST_F(LoggerConcurrency, ThreadsRacingToStartStartOneWriter)
{
    auto logger = makeLogger();
    std::atomic<int> started{0};
    runTogether([&](int) {
        if (logger->start())
            ++started;
    });
    EXPECT_EQ(started.load(), 1);
    EXPECT_TRUE(logger->isRunning());
    EXPECT_EQ(mDirectory.fileNames().size(), 1u);
}

TEST_F(LoggerConcurrency, LinesWithoutWriterStayWithinTheBoundAcrossThreads)
{
    constexpr int linesPerThread = 2000;
    constexpr size_t total = ThreadCount * linesPerThread;
    auto logger = makeLogger();
    logger->setEnabled(false);
    runTogether([&](int t) {
        for (int i = 0; i < linesPerThread; ++i)
            logger->log("worker ", t, " line ", i);
    });
    EXPECT_EQ(logger->droppedLineCount(), total - Logger::MaxLinesWithoutWriter);
    logger->setEnabled(true);
    logger->log("writer started");
    logger.reset();
    // Kept: the bound's worth, then the note, then the line that started the writer.
    EXPECT_EQ(lines().size(), Logger::MaxLinesWithoutWriter + 2);
}

TEST_F(LoggerConcurrency, FlushWhileOtherThreadsLogSeesItsOwnLines)
{
    auto logger = makeLogger();
    std::atomic<int> missing{0};
    runTogether([&](int t) {
        for (int i = 0; i < 20; ++i) {
            const std::string message = "worker " + std::to_string(t) + " flush " + std::to_string(i);
            logger->log(message);
            logger->flush();
            const std::vector<std::string> written = lines();
            const bool found = std::any_of(written.begin(), written.end(), [&](const std::string& line) {
                return messageOf(line) == message;
            });
            if (!found)
                ++missing;
        }
    });
    EXPECT_EQ(missing.load(), 0);
}

TEST_F(LoggerConcurrency, FlagsChangeWhileThreadsLogAndTheWriterStops)
{
    auto logger = makeLogger();
    runTogether([&](int t) {
        for (int i = 0; i < 500; ++i) {
            if (t == 0 && i == 250)
                logger->stop();
            if (t == 1) {
                logger->setVerbose(i % 2 == 0);
                logger->setLineCount(i);
            }
            if (t == 2)
                logger->setLogPath(mDirectory.path());
            logger->stillHasLines();
            (void)logger->isLogPathDefined();
            logger->log("worker ", t, " line ", i);
        }
    });
    logger.reset();
    // Lines after stop() wait in the queue and are written at destruction.
    // Whether the header leads depends on the verbose flag when the writer started.
    std::vector<std::string> written = lines();
    if (!written.empty() && written.front() == "Variable name, Value, Comment") {
        ASSERT_GE(written.size(), 2u);
        EXPECT_EQ(written[1], "");
        written.erase(written.begin(), written.begin() + 2);
    }
    expectEveryWorkerLineInOrder(written, 500);
}

TEST(LogFrontEndsConcurrency, LogAndLogDebugFromManyThreads)
{
    processLogDirectory();
    getLogger().setEnabled(true);
    runTogether([](int t) {
        for (int i = 0; i < 200; ++i) {
            if (t == 0)
                getLogger().setVerbose(i % 2 == 0);
            Log("front ends: worker ", t, " line ", i, " value ", 0.5 * i);
            LogDebug("front ends debug: worker ", t, " line ", i);
        }
    });
    const std::vector<std::string> lines = processLogLines();
    const std::regex frontEndLine(R"(front ends: worker (\d+) line (\d+) value .*)");
    std::map<int, int> nextLine;
    for (const std::string& line : lines) {
        std::smatch match;
        const std::string message = messageOf(line);
        if (!std::regex_match(message, match, frontEndLine))
            continue;
        const int worker = std::stoi(match[1]);
        ASSERT_EQ(std::stoi(match[2]), nextLine[worker]);
        ++nextLine[worker];
    }
    EXPECT_EQ(nextLine.size(), static_cast<size_t>(ThreadCount));
    for (const auto& [worker, count] : nextLine)
        EXPECT_EQ(count, 200) << "worker " << worker;
}
