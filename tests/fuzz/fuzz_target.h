#pragma once
// What every fuzz harness shares: the entry point, the check for the contracts
// of the code under test (a failed check aborts, so libFuzzer keeps the input
// as a crash and the replay test fails) and the resource the input becomes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Makes resource (typeName, id) the given bytes (typeName null: raw data) in
// the one-entry table of fuzz_resource_table.cpp. The bytes must outlive
// every lookup of the run.
void SetFuzzResource(const char *typeName, int id, const uint8_t *bytes, size_t size);
