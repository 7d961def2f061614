// Diagnostics build only (ML_TRACK_CALLERS): which code asked for a block.
#pragma once

// The return address into the code that asked for a block, given the return
// address of the allocation operator. Frames of the C++ runtime library (a
// std::string growing, a locale facet) are passed over to the first frame
// outside it, so a block is charged to the code that wanted it, ours or a
// library's. Allocation-free; any thread. Returns operatorReturn when the
// stack cannot be walked.
const void *AllocationCaller(const void *operatorReturn);
