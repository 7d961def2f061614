// Texts the memory log is built from: owner, size and grouped numbers.
#include "memory/memory_tracker.h"

#include <cstdio>
#include <cstring>

namespace {

// The part of a path after its last backslash, else after its last slash.
const char *StripDirectories(const char *path)
{
    const char *cut = std::strrchr(path, '\\');
    if (cut == nullptr) {
        cut = std::strrchr(path, '/');
    }
    return cut != nullptr ? cut + 1 : path;
}

// Inserts a comma before the last `tail` characters of text (length len,
// capacity cap); returns the new length. Does nothing when it would not fit.
size_t InsertCommaBefore(char *text, size_t len, size_t cap, size_t tail)
{
    if (len + 2 > cap) {
        return len;
    }
    std::memmove(text + len - tail + 1, text + len - tail, tail + 1);
    text[len - tail] = ',';
    return len + 1;
}

} // namespace

const char *OwnerText(char *out, size_t outBytes, const char *file, int line,
                      const char *function)
{
    if (out == nullptr || outBytes == 0) {
        return out;
    }
    std::snprintf(out, outBytes, "%s(%05d)::%s", file ? StripDirectories(file) : "??", line,
                  function ? function : "??");
    return out;
}

const char *GroupedNumber(char *out, size_t outBytes, uint32_t number)
{
    if (out == nullptr || outBytes == 0) {
        return out;
    }
    char text[kGroupedNumberBytes];
    size_t len = static_cast<size_t>(std::snprintf(text, sizeof text, "%u", number));
    if (len > 3) {
        len = InsertCommaBefore(text, len, sizeof text, 3);
    }
    if (len > 7) {
        len = InsertCommaBefore(text, len, sizeof text, 7);
    }
    if (len > 11) {
        InsertCommaBefore(text, len, sizeof text, 11);
    }
    std::snprintf(out, outBytes, "%s", text);
    return out;
}

const char *SizeText(char *out, size_t outBytes, uint32_t size)
{
    if (out == nullptr || outBytes == 0) {
        return out;
    }
    char grouped[kGroupedNumberBytes];
    GroupedNumber(grouped, sizeof grouped, size);
    if (size <= 1024) {
        std::snprintf(out, outBytes, "%10s bytes     ", grouped);
    } else if (size <= 1048576) {
        std::snprintf(out, outBytes, "%10s (%7.2fK)", grouped, static_cast<double>(size) / 1024.0);
    } else {
        std::snprintf(out, outBytes, "%10s (%7.2fM)", grouped,
                      static_cast<double>(size) / 1048576.0);
    }
    return out;
}
