#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ErrorTable.h"

using namespace quelbrant;

namespace {

std::wstring wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

std::string messageOf(int thread, int k)
{
    return "thread " + std::to_string(thread) + " message " + std::to_string(k);
}

}  // namespace

TEST(ErrorTableConcurrency, ConcurrentAppendsGetDistinctIndicesNamingTheirOwnMessages)
{
    constexpr int Threads = 8;
    constexpr int PerThread = 2000;
    std::vector<std::vector<int>> indices(Threads);
    std::atomic<bool> done{false};
    std::atomic<int> garbled{0};
    // A reader walks the table while it grows, as GetErrorDescription may:
    // every entry it sees from the writers is one of their messages, whole.
    const size_t first = errorTableSize();
    std::thread reader([&] {
        while (!done.load()) {
            const size_t size = errorTableSize();
            if (size <= first)
                continue;
            const std::wstring text = errorDescription(static_cast<int>(size - 1));
            if (text.rfind(L"thread ", 0) != 0 || text.find(L" message ") == std::wstring::npos)
                ++garbled;
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < Threads; ++t) {
        writers.emplace_back([t, &indices] {
            for (int k = 0; k < PerThread; ++k)
                indices[t].push_back(addErrorMessage(messageOf(t, k), (k % 2) == 0));
        });
    }
    for (auto& writer : writers)
        writer.join();
    done.store(true);
    reader.join();
    EXPECT_EQ(garbled.load(), 0);

    std::vector<int> all;
    for (int t = 0; t < Threads; ++t) {
        for (int k = 0; k < PerThread; ++k) {
            EXPECT_EQ(std::wstring(errorDescription(indices[t][k])), wide(messageOf(t, k)));
            if (k > 0) {
                EXPECT_GT(indices[t][k], indices[t][k - 1]);
            }
        }
        all.insert(all.end(), indices[t].begin(), indices[t].end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_STREQ(errorDescription(0), L"Success");
}

TEST(ErrorTableConcurrency, ConcurrentNotesAreKeptWholeOrDropped)
{
    constexpr int Threads = 4;
    constexpr int PerThread = 500;
    std::vector<std::thread> writers;
    std::vector<std::vector<int>> indices(Threads);
    const size_t before = errorTableSize();
    for (int t = 0; t < Threads; ++t) {
        writers.emplace_back([t, &indices] {
            for (int k = 0; k < PerThread; ++k)
                indices[t].push_back(addNote(messageOf(t, k)));
        });
    }
    for (auto& writer : writers)
        writer.join();
    size_t kept = 0;
    for (int t = 0; t < Threads; ++t) {
        for (int k = 0; k < PerThread; ++k) {
            if (indices[t][k] >= 0) {
                EXPECT_EQ(std::wstring(errorDescription(indices[t][k])), wide(messageOf(t, k)));
                ++kept;
            }
        }
    }
    // Below the note limit nothing is dropped.
    if (before + Threads * PerThread <= NoteLimit) {
        EXPECT_EQ(kept, static_cast<size_t>(Threads * PerThread));
    }
}
