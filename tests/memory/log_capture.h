// Test sink for the memory log. The sink runs under the tracker's lock and
// must not allocate, so the lines go to fixed storage.
#pragma once

#include "memory/memory_tracker.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

// Hides where a pointer came from, so the compiler neither warns about nor
// reasons over the deliberate guard damage and double releases of the tests.
template <typename T> T *Opaque(T *pointer) {
    asm volatile("" : "+r"(pointer));
    return pointer;
}

// Installs the sink while alive; one capture at a time.
class CLogCapture {
  public:
    CLogCapture() {
        count_ = 0;
        SetMemoryLogSink(Capture);
    }
    ~CLogCapture() { SetMemoryLogSink(nullptr); }

    size_t Count() const { return count_; } // lines seen, may exceed the stored ones
    void Clear() { count_ = 0; }
    // Copies the stored lines; call between tracker operations.
    std::vector<std::string> Lines() const {
        return std::vector<std::string>(lines_, lines_ + std::min(count_, kMaxLines));
    }

  private:
    static constexpr size_t kMaxLines = 256;
    static void Capture(const char *line) {
        if (count_ < kMaxLines) {
            std::snprintf(lines_[count_], sizeof lines_[0], "%s", line);
        }
        ++count_;
    }
    static inline char lines_[kMaxLines][512];
    static inline size_t count_ = 0;
};
