#pragma once
// For tests of the diagnostics tracker variant: the caller it recorded for a
// live block.
#include "memory/memory_tracker.h"

#include <vector>

// The return address recorded with block; null when block is not live.
inline const void *CallerOf(const void *block) {
    std::vector<LiveUnitInfo> units(GetLiveUnitCount() + 64);
    const size_t count = GetLiveUnits(units.data(), units.size());
    for (size_t i = 0; i < count && i < units.size(); ++i) {
        if (units[i].address == block)
            return units[i].caller;
    }
    return nullptr;
}
