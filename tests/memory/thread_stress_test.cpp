#include "log_capture.h"

#include "memory/memory_tracker.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

namespace {

constexpr int kWorkers = 4;
constexpr int kHeld = 64;

struct WorkerResult {
    uint64_t operations;
    uint64_t dirtyBlocks; // blocks that did not arrive zero-filled
};

// Allocates and releases blocks of mixed sizes and forms until the deadline,
// holding up to kHeld at a time and scribbling over each one it owns.
void Work(uint32_t seed, std::chrono::steady_clock::time_point deadline, WorkerResult *result)
{
    unsigned char *held[kHeld] = {};
    bool isArray[kHeld] = {};
    uint32_t state = seed;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    while (std::chrono::steady_clock::now() < deadline) {
        for (int round = 0; round < 256; ++round) {
            const int slot = static_cast<int>(next() % kHeld);
            if (held[slot] != nullptr) {
                if (isArray[slot]) {
                    ::operator delete[](held[slot]);
                } else {
                    ::operator delete(held[slot]);
                }
                held[slot] = nullptr;
                continue;
            }
            const size_t size = next() % 700;
            isArray[slot] = (next() & 1) != 0;
            held[slot] = static_cast<unsigned char *>(isArray[slot] ? ::operator new[](size)
                                                                    : ::operator new(size));
            for (size_t i = 0; i < size; ++i) {
                if (held[slot][i] != 0) {
                    ++result->dirtyBlocks;
                    break;
                }
            }
            std::memset(held[slot], 0xA5, size);
            ++result->operations;
        }
    }
    for (int slot = 0; slot < kHeld; ++slot) {
        ::operator delete(held[slot]);
    }
}

TEST(ThreadStress, ConcurrentAllocationKeepsTheTrackerConsistent)
{
    std::vector<std::thread> threads;
    threads.reserve(kWorkers + 1);
    WorkerResult results[kWorkers] = {};
    std::atomic<int> validationProblems{0};
    std::atomic<bool> stop{false};
    const uint32_t units = GetLiveUnitCount();
    const uint64_t bytes = GetLiveBytes();
    CLogCapture log;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (int i = 0; i < kWorkers; ++i) {
        threads.emplace_back(Work, 0x9E3779B9u * (i + 1), deadline, &results[i]);
    }
    // Walks every chain while the workers change them.
    threads.emplace_back([&validationProblems, &stop] {
        while (!stop.load()) {
            validationProblems += ValidateAllUnits() ? 1 : 0;
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < kWorkers; ++i) {
        threads[i].join();
    }
    stop = true;
    threads.back().join();

    EXPECT_EQ(validationProblems.load(), 0);
    EXPECT_FALSE(ValidateAllUnits());
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(GetLiveBytes(), bytes);
    for (const WorkerResult &result : results) {
        EXPECT_GT(result.operations, 1000u);
        EXPECT_EQ(result.dirtyBlocks, 0u);
    }
}

// Windows has no fork.
#ifndef _WIN32
// Waits up to ten seconds for a child; kills it when it hangs. True when it
// exited with status 0.
bool ChildExitedCleanly(pid_t child)
{
    int status = 0;
    for (int tries = 0; tries < 1000; ++tries) {
        if (waitpid(child, &status, WNOHANG) == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

TEST(ThreadStress, ChildOfAForkCanAllocateWhileAnotherThreadDoes)
{
    std::atomic<bool> stop{false};
    std::thread churn([&stop] {
        while (!stop.load()) {
            ::operator delete(::operator new(64));
        }
    });
    int clean = 0;
    for (int i = 0; i < 50; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            void *block = ::operator new(32);
            ::operator delete(block);
            _exit(ValidateAllUnits() ? 1 : 0);
        }
        ASSERT_GT(child, 0);
        if (!ChildExitedCleanly(child)) {
            break; // a hung child already costs ten seconds
        }
        ++clean;
    }
    stop = true;
    churn.join();
    EXPECT_EQ(clean, 50);
}

#endif

} // namespace
