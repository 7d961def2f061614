// The one lock around all memory tracker state (units, counters, log buffers).
#pragma once

#include <mutex>

// Usable from the first static initialiser on: std::mutex is constant-initialised.
std::mutex &MemoryTrackerLock();
