// Charges a block to the code that wanted it, past the C++ runtime's frames.
#include "memory/allocation_caller.h"

#include <link.h>
#include <unwind.h>

#include <cstdint>
#include <cstring>

namespace {

// The executable segments of the C++ runtime library.
struct CodeRanges {
    static constexpr int kMax = 4;
    uintptr_t begin[kMax];
    uintptr_t end[kMax];
    int count;

    bool Holds(uintptr_t address) const
    {
        for (int i = 0; i < count; ++i) {
            if (address >= begin[i] && address < end[i]) {
                return true;
            }
        }
        return false;
    }
};

int FindRuntime(dl_phdr_info *info, size_t, void *data)
{
    if (info->dlpi_name == nullptr || std::strstr(info->dlpi_name, "/libstdc++.so") == nullptr) {
        return 0;
    }
    CodeRanges *ranges = static_cast<CodeRanges *>(data);
    for (int i = 0; i < info->dlpi_phnum && ranges->count < CodeRanges::kMax; ++i) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0) {
            ranges->begin[ranges->count] = info->dlpi_addr + segment.p_vaddr;
            ranges->end[ranges->count] = info->dlpi_addr + segment.p_vaddr + segment.p_memsz;
            ++ranges->count;
        }
    }
    return 1;
}

// The runtime is a start-up dependency: it is loaded before any allocation.
CodeRanges FindRuntimeRanges()
{
    CodeRanges ranges{};
    dl_iterate_phdr(FindRuntime, &ranges);
    return ranges;
}

struct Walk {
    const CodeRanges *runtime;
    uintptr_t start; // the operator's return address, a runtime frame
    bool started;
    int frames;
    uintptr_t found;
};

_Unwind_Reason_Code VisitFrame(_Unwind_Context *context, void *data)
{
    Walk *walk = static_cast<Walk *>(data);
    const uintptr_t ip = _Unwind_GetIP(context);
    if (++walk->frames > 64) {
        return _URC_END_OF_STACK;
    }
    if (!walk->started) {
        walk->started = ip == walk->start;
        return _URC_NO_REASON;
    }
    if (walk->runtime->Holds(ip)) {
        return _URC_NO_REASON;
    }
    walk->found = ip;
    return _URC_END_OF_STACK;
}

} // namespace

const void *AllocationCaller(const void *operatorReturn)
{
    static const CodeRanges runtime = FindRuntimeRanges();
    const uintptr_t address = reinterpret_cast<uintptr_t>(operatorReturn);
    if (!runtime.Holds(address)) {
        return operatorReturn;
    }
    Walk walk{&runtime, address, false, 0, 0};
    _Unwind_Backtrace(VisitFrame, &walk);
    return walk.found != 0 ? reinterpret_cast<const void *>(walk.found) : operatorReturn;
}
