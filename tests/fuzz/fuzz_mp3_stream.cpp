// Stream open and decode over arbitrary MP3 bytes, through the decoder the
// sound library uses, with file functions that read the input from memory (no
// output device involved). A stream that opens is decoded to its end (up to
// kMaxFrames), asked for its length and sought to the middle, the start,
// past the end and before the start.
#include "fuzz_target.h"

#include "audio/sound_decoder.h"
#include "audio/sound_library.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 4096;
constexpr int64_t kMaxFrames = 60 * kRate; // a minute of audio

// The input as a file; `open` hands out a cursor over it.
struct MemoryInput {
    const uint8_t *bytes = nullptr;
    size_t size = 0;
    int openFiles = 0;
};
MemoryInput s_input;

struct MemoryFile {
    size_t position;
};

void *OpenMemory(const char *) {
    ++s_input.openFiles;
    return new MemoryFile{0};
}

int CloseMemory(void *handle) {
    --s_input.openFiles;
    delete static_cast<MemoryFile *>(handle);
    return 0;
}

int ReadMemory(void *buffer, int size, void *handle) {
    FUZZ_CHECK(size >= 0);
    auto *file = static_cast<MemoryFile *>(handle);
    size_t n = s_input.size - file->position;
    if (size_t(size) < n)
        n = size_t(size);
    for (size_t i = 0; i < n; ++i)
        static_cast<uint8_t *>(buffer)[i] = s_input.bytes[file->position + i];
    file->position += n;
    return int(n);
}

int SeekMemory(void *handle, int position, signed char mode) {
    auto *file = static_cast<MemoryFile *>(handle);
    int64_t base = 0;
    if (mode == SEEK_CUR)
        base = int64_t(file->position);
    else if (mode == SEEK_END)
        base = int64_t(s_input.size);
    else if (mode != SEEK_SET)
        return -1;
    const int64_t target = base + position;
    if (target < 0 || target > int64_t(s_input.size))
        return -1;
    file->position = size_t(target);
    return 0;
}

int TellMemory(void *handle) {
    return int(static_cast<MemoryFile *>(handle)->position);
}

const SndFileFunctions kMemoryFiles = {OpenMemory, CloseMemory, ReadMemory, SeekMemory,
                                       TellMemory};

// Reads until the end or `limit` frames; returns the frames read.
int64_t ReadFrames(SndDecoder *decoder, std::vector<int16_t> &buffer, int64_t limit) {
    int64_t total = 0;
    bool ended = false;
    while (!ended && total < limit) {
        // A sentinel after the requested frames shows an overlong write.
        buffer[kChunkFrames * 2] = 0x1234;
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
    SndDecoder *decoder = SndDecoderOpen("input.mp3", kMemoryFiles, kRate);
    if (!decoder) {
        FUZZ_CHECK(s_input.openFiles == 0);
        return 0;
    }
    std::vector<int16_t> buffer(kChunkFrames * 2 + 1);
    const int64_t length = SndDecoderLength(decoder);
    FUZZ_CHECK(length >= -1);
    const int64_t decoded = ReadFrames(decoder, buffer, kMaxFrames);

    const int64_t middle = (length > 0 ? length : decoded) / 2;
    if (SndDecoderSeek(decoder, middle))
        ReadFrames(decoder, buffer, kChunkFrames);
    if (SndDecoderSeek(decoder, 0))
        ReadFrames(decoder, buffer, kChunkFrames);
    if (SndDecoderSeek(decoder, (length > 0 ? length : decoded) + kRate))
        ReadFrames(decoder, buffer, kChunkFrames);
    FUZZ_CHECK(!SndDecoderSeek(decoder, -1));

    SndDecoderClose(decoder);
    FUZZ_CHECK(s_input.openFiles == 0);
    return 0;
}
