#pragma once
// Owners of tracked blocks in the diagnostics executable. Every block carries
// the return address into the code that asked for it (the tracker's caller
// record). Ours: the address lies in this executable's code. Outside: in a
// shared library (the GL driver's compiler, the C++ runtime on its own
// behalf), which the program neither controls nor frees.

#include <cstddef>

// Notes where this executable's code lies. Call once, before the first
// IsOurCode; allocation-free, so it may run in a static initialiser.
void FindOurCode();

// True when address is inside this executable's code.
bool IsOurCode(const void *address);

// "module+0xoffset" of a code address, or "??" outside every module, in out
// (at most outBytes - 1 characters); returns out. Allocation-free.
const char *CodeModuleOffset(const void *address, char *out, size_t outBytes);

// Describes code addresses (return addresses: the byte before each is looked
// up, so it lies in the calling line) for a reader: "function at file:line in module".
// The function and line come from addr2line (one run per module), falling
// back to the dynamic symbol table; a line reads "??:?" without debug info.
// Each text is at most textBytes - 1 characters, stored at texts + i *
// textBytes. Uses malloc and child processes: not for the tracker's lock.
void DescribeCode(const void *const *addresses, size_t count, char *texts, size_t textBytes);
