#pragma once
// The fuzz executables' resource table: a single entry that the harness points
// at its input before each run, in place of the table the build generates.
#include <cstddef>
#include <cstdint>

// Makes resource (typeName, id) the given bytes; typeName null is raw data.
// The bytes must outlive every lookup of the run.
void SetFuzzResource(const char *typeName, int id, const uint8_t *bytes, size_t size);
