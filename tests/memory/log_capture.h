// Test sink for the memory log: keeps the lines in fixed storage, because a
// sink runs under the tracker's lock and must not allocate.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Hides where a pointer came from, so the compiler neither warns about nor
// reasons over the deliberate guard damage and double releases of the tests.
template <typename T> T *Opaque(T *pointer)
{
    asm volatile("" : "+r"(pointer));
    return pointer;
}

// Installs the sink while alive; one capture at a time.
class CLogCapture {
  public:
    CLogCapture();
    ~CLogCapture();
    CLogCapture(const CLogCapture &) = delete;
    CLogCapture &operator=(const CLogCapture &) = delete;

    size_t Count() const;
    std::vector<std::string> Lines() const; // copies; call between tracker operations
    void Clear();
};
