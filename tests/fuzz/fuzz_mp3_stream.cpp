// Stream open and decode over arbitrary MP3 bytes, through the sound library's
// decoder with file functions that read the input from memory (no output
// device). A stream that opens is decoded to its end (at most a minute),
// asked for its length and sought to the middle, the start, past the end and
// before the start.
#include "fuzz_target.h"

#include "audio/sound_decoder.h"
#include "audio/sound_library.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 4096;

struct MemoryInput {
    const uint8_t *bytes = nullptr;
    size_t size = 0;
    int openFiles = 0;
} s_input;

// A file handle is its read position.
void *OpenMemory(const char *) {
    ++s_input.openFiles;
    return new size_t(0);
}

int CloseMemory(void *handle) {
    --s_input.openFiles;
    delete static_cast<size_t *>(handle);
    return 0;
}

int ReadMemory(void *buffer, int size, void *handle) {
    FUZZ_CHECK(size >= 0);
    size_t &position = *static_cast<size_t *>(handle);
    const size_t n = std::min(size_t(size), s_input.size - position);
    std::copy_n(s_input.bytes + position, n, static_cast<uint8_t *>(buffer));
    position += n;
    return int(n);
}

int SeekMemory(void *handle, int offset, signed char mode) {
    size_t &position = *static_cast<size_t *>(handle);
    if (mode != SEEK_SET && mode != SEEK_CUR && mode != SEEK_END)
        return -1;
    const int64_t target = offset + int64_t(mode == SEEK_CUR   ? position
                                            : mode == SEEK_END ? s_input.size
                                                               : 0);
    if (target < 0 || target > int64_t(s_input.size))
        return -1;
    position = size_t(target);
    return 0;
}

int TellMemory(void *handle) {
    return int(*static_cast<size_t *>(handle));
}

// Reads until the end or `limit` frames; returns the frames read.
int64_t ReadFrames(SndDecoder *decoder, std::vector<int16_t> &buffer, int64_t limit) {
    int64_t total = 0;
    bool ended = false;
    while (!ended && total < limit) {
        buffer[kChunkFrames * 2] = 0x1234; // shows a write past the frames asked for
        const int got = SndDecoderRead(decoder, buffer.data(), kChunkFrames, &ended);
        FUZZ_CHECK(got >= 0 && got <= kChunkFrames);
        FUZZ_CHECK(buffer[kChunkFrames * 2] == 0x1234);
        FUZZ_CHECK(ended || got == kChunkFrames);
        total += got;
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 0x7FFFFFFF)
        return 0;
    s_input.bytes = data;
    s_input.size = size;
    const SndFileFunctions files = {OpenMemory, CloseMemory, ReadMemory, SeekMemory, TellMemory};
    SndDecoder *decoder = SndDecoderOpen("input.mp3", files, kRate);
    if (decoder) {
        std::vector<int16_t> buffer(kChunkFrames * 2 + 1);
        const int64_t length = SndDecoderLength(decoder);
        FUZZ_CHECK(length >= -1);
        const int64_t decoded = ReadFrames(decoder, buffer, 60 * kRate);
        const int64_t end = length > 0 ? length : decoded;
        for (int64_t frame : {end / 2, int64_t(0), end + kRate})
            if (SndDecoderSeek(decoder, frame))
                ReadFrames(decoder, buffer, kChunkFrames);
        FUZZ_CHECK(!SndDecoderSeek(decoder, -1));
        SndDecoderClose(decoder);
    }
    FUZZ_CHECK(s_input.openFiles == 0);
    return 0;
}
