// The tracker under threads: concurrent allocation, and fork while another
// thread holds the tracker's lock.
#include "log_capture.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

namespace {

constexpr int kWorkers = 4;
constexpr int kHeld = 64;
// Allocations every worker makes at least; all keep going until the slowest
// has made them (and the deadline has passed), so the workers overlap however
// slowly the machine runs them.
constexpr uint64_t kQuota = 2000;

struct WorkerResult {
    uint64_t operations;
    uint64_t dirtyBlocks; // blocks that did not arrive zero-filled
};

// Until the deadline and until every worker has made its quota of
// allocations, releases or allocates a block of a random size in a random one
// of kHeld slots, and scribbles over every block it gets.
void Work(uint32_t state, std::chrono::steady_clock::time_point deadline,
          std::atomic<int> *belowQuota, WorkerResult *result) {
    unsigned char *held[kHeld] = {};
    for (uint64_t n = 0;
         (n & 255) != 0 || belowQuota->load() > 0 || std::chrono::steady_clock::now() < deadline;
         ++n) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        unsigned char *&slot = held[state % kHeld];
        if (slot != nullptr) {
            ::operator delete[](slot);
            slot = nullptr;
            continue;
        }
        const size_t size = (state >> 8) % 700;
        slot = static_cast<unsigned char *>(::operator new[](size));
        result->dirtyBlocks += std::count(slot, slot + size, 0) != static_cast<long>(size);
        std::memset(slot, 0xA5, size);
        if (++result->operations == kQuota) {
            --*belowQuota;
        }
    }
    for (unsigned char *block : held) {
        ::operator delete[](block);
    }
}

TEST(ThreadStress, ConcurrentAllocationKeepsTheTrackerConsistent) {
    WorkerResult results[kWorkers] = {};
    std::atomic<int> validationProblems{0};
    std::atomic<bool> stop{false};
    const uint32_t units = GetLiveUnitCount();
    const uint64_t bytes = GetLiveBytes();
    CLogCapture log;

    std::thread threads[kWorkers];
    std::atomic<int> belowQuota{kWorkers};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (int i = 0; i < kWorkers; ++i) {
        threads[i] = std::thread(Work, 0x9E3779B9u * (i + 1), deadline, &belowQuota, &results[i]);
    }
    // Walks every chain while the workers change them.
    std::thread validator([&validationProblems, &stop] {
        while (!stop.load()) {
            validationProblems += ValidateAllUnits() ? 1 : 0;
            std::this_thread::yield();
        }
    });
    for (std::thread &thread : threads) {
        thread.join();
    }
    stop = true;
    validator.join();

    EXPECT_EQ(validationProblems.load(), 0);
    EXPECT_FALSE(ValidateAllUnits());
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(GetLiveUnitCount(), units);
    EXPECT_EQ(GetLiveBytes(), bytes);
    for (const WorkerResult &result : results) {
        EXPECT_EQ(result.dirtyBlocks, 0u);
    }
}

#ifndef _WIN32 // no fork there
TEST(ThreadStress, ChildOfAForkCanAllocateWhileAnotherThreadDoes) {
    std::atomic<bool> stop{false};
    std::thread churn([&stop] {
        while (!stop.load()) {
            ::operator delete(::operator new(64));
        }
    });
    int clean = 0;
    for (int i = 0; i < 50 && clean == i; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            alarm(10); // a child that deadlocks is killed
            ::operator delete(::operator new(32));
            _exit(ValidateAllUnits() ? 1 : 0);
        }
        ASSERT_GT(child, 0);
        int status = 0;
        waitpid(child, &status, 0);
        clean += WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    stop = true;
    churn.join();
    EXPECT_EQ(clean, 50);
}
#endif

} // namespace
