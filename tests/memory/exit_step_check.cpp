// The exit step with blocks live (leak report) keeps the unit reservoirs; with
// nothing live it returns them all to the heap, and the tracker keeps working.
// Needs a process whose blocks can all be released, hence no GoogleTest.
#include "memory/memory_tracker.h"
#include "memory/tracker_internal.h"

#include <cstdio>
#include <new>

namespace {

int g_failures = 0;

void Check(bool ok, const char *what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++g_failures;
    }
}

} // namespace

int main() {
    Check(GetLiveUnitCount() == 0, "no block is live when main starts");
    void *blocks[300];
    for (void *&block : blocks) {
        block = ::operator new(24);
    }
    Check(GetReservoirBlockCount() >= 2, "300 blocks take two reservoir blocks");

    RunMemoryExitStep();
    Check(GetReservoirBlockCount() >= 2, "reservoirs kept while blocks are live");
    Check(!ValidateAllUnits(), "live blocks intact after the leak report");

    for (void *block : blocks) {
        ::operator delete(block);
    }
    RunMemoryExitStep();
    Check(GetReservoirBlockCount() == 0, "reservoirs freed once nothing is live");

    void *again = ::operator new(10);
    Check(again != nullptr && GetReservoirBlockCount() == 1,
          "a fresh reservoir after the exit step");
    ::operator delete(again);
    Check(GetLiveUnitCount() == 0 && !ValidateAllUnits(), "nothing live, nothing damaged");

    std::printf("%d passed, %d failed\n", g_failures == 0 ? 1 : 0, g_failures == 0 ? 0 : 1);
    return g_failures == 0 ? 0 : 1;
}
