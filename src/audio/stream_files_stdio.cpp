// The stream player's stdio file functions.
#include "audio/stream_files.h"

#include <cstdio>
#include <string>

namespace {

// Track paths use '\' as separator; this platform wants '/'.
void *OpenFile(const char *name) {
    std::string path(name);
    for (char &c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return std::fopen(path.c_str(), "rb");
}

int CloseFile(void *handle) {
    return std::fclose(static_cast<FILE *>(handle));
}

int ReadFile(void *buffer, int size, void *handle) {
    if (size <= 0) {
        return 0;
    }
    return static_cast<int>(
        std::fread(buffer, 1, static_cast<size_t>(size), static_cast<FILE *>(handle)));
}

int SeekFile(void *handle, int position, signed char mode) {
    return std::fseek(static_cast<FILE *>(handle), position, mode);
}

int TellFile(void *handle) {
    return static_cast<int>(std::ftell(static_cast<FILE *>(handle)));
}

} // namespace

SndFileFunctions StreamFileFunctions() {
    return SndFileFunctions{OpenFile, CloseFile, ReadFile, SeekFile, TellFile};
}
