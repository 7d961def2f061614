// Locates a slice of a raw audio capture (44100 Hz stereo signed 16-bit, as
// the disk output writes it) in the straight decode of an MP3 track.
//
// Usage:
//   ml_e2e_audio find <mp3> <raw> <start> <count>
//       The slice is <count> frames from frame <start> of the capture; a
//       negative start counts from the end (-1: the newest <count> frames).
//       Prints "<offset> <rawStart> <runFirst> <runEnd> <trackFrames> <matches>":
//       the first track frame offset where the slice matches exactly, the
//       slice's capture frame, the capture frames [runFirst, runEnd) over which
//       the exact match continues around the slice, the track length (frames)
//       and how many offsets match. Exit 0 on a match; otherwise prints
//       "none <rawStart>" (exit 1) or "silent <rawStart>" (all zero, exit 3).
//   ml_e2e_audio nonzero <raw> <start> <count>
//       Prints the number of frames with a non-zero sample in the slice.
//   ml_e2e_audio decode <mp3> <out>
//       Writes the straight decode as raw frames; find takes such a file in
//       place of the MP3 (any track name not ending in ".mp3").
// Exit 2 on bad arguments or unreadable files.
#include <mpg123.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Frames = std::vector<uint32_t>; // one stereo s16 frame per word, as stored

constexpr long kRate = 44100;

// Decodes the whole track the way the player does: gapless, forced stereo,
// signed 16-bit at 44100 Hz. Returns false when the file cannot be decoded.
bool DecodeTrack(const char *path, Frames &out) {
    mpg123_init();
    int error = MPG123_OK;
    mpg123_handle *handle = mpg123_new(nullptr, &error);
    if (handle == nullptr)
        return false;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET,
                 0.0);
    mpg123_format_none(handle);
    bool ok = mpg123_format(handle, kRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK &&
              mpg123_open(handle, path) == MPG123_OK;
    std::vector<unsigned char> buffer(1 << 16);
    while (ok) {
        size_t done = 0;
        const int result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
        const size_t frames = done / 4;
        const size_t old = out.size();
        out.resize(old + frames);
        std::memcpy(out.data() + old, buffer.data(), frames * 4);
        if (result == MPG123_OK || result == MPG123_NEW_FORMAT)
            continue;
        // Done, or junk near the end: the track ends here either way.
        break;
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return ok && !out.empty();
}

// Reads the capture as it stands now; a trailing partial frame is dropped.
bool ReadCapture(const char *path, Frames &out) {
    FILE *file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    std::vector<uint32_t> chunk(1 << 16);
    size_t got = 0;
    while ((got = std::fread(chunk.data(), 4, chunk.size(), file)) > 0)
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<long>(got));
    std::fclose(file);
    return true;
}

// Resolves <start> <count> against the capture; false when it does not fit.
bool SliceBounds(const Frames &raw, long start, long count, size_t &first) {
    const long size = static_cast<long>(raw.size());
    if (count <= 0 || count > size)
        return false;
    if (start < 0)
        start = size - count + 1 + start;
    if (start < 0 || start + count > size)
        return false;
    first = static_cast<size_t>(start);
    return true;
}

int16_t Left(uint32_t frame) {
    return static_cast<int16_t>(frame & 0xFFFFu);
}
int16_t Right(uint32_t frame) {
    return static_cast<int16_t>(frame >> 16);
}

// The loudest frame of the slice: the rarest value to scan the track for.
size_t AnchorIndex(const uint32_t *slice, size_t count) {
    size_t best = 0;
    int bestLevel = -1;
    for (size_t i = 0; i < count; ++i) {
        const int level = std::abs(Left(slice[i])) + std::abs(Right(slice[i]));
        if (level > bestLevel) {
            bestLevel = level;
            best = i;
        }
    }
    return best;
}

bool EndsWith(const std::string &text, const std::string &tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The track's frames, decoded from an MP3 or read from an earlier decode.
bool LoadTrack(const char *path, Frames &out) {
    if (EndsWith(path, ".mp3"))
        return DecodeTrack(path, out);
    return ReadCapture(path, out) && !out.empty();
}

int Decode(const char *mp3, const char *outPath) {
    Frames track;
    if (!DecodeTrack(mp3, track)) {
        std::fprintf(stderr, "cannot decode %s\n", mp3);
        return 2;
    }
    FILE *file = std::fopen(outPath, "wb");
    const bool ok =
        file != nullptr && std::fwrite(track.data(), 4, track.size(), file) == track.size();
    if (file != nullptr && std::fclose(file) != 0)
        return 2;
    return ok ? 0 : 2;
}

int Find(const char *mp3, const char *rawPath, long start, long count) {
    Frames track;
    Frames raw;
    if (!LoadTrack(mp3, track)) {
        std::fprintf(stderr, "cannot decode %s\n", mp3);
        return 2;
    }
    if (!ReadCapture(rawPath, raw)) {
        std::fprintf(stderr, "cannot read %s\n", rawPath);
        return 2;
    }
    size_t first = 0;
    if (!SliceBounds(raw, start, count, first)) {
        std::fprintf(stderr, "slice %ld+%ld outside the %zu captured frames\n", start, count,
                     raw.size());
        return 2;
    }
    const uint32_t *slice = raw.data() + first;
    const size_t n = static_cast<size_t>(count);
    const size_t anchor = AnchorIndex(slice, n);
    if (slice[anchor] == 0) {
        std::printf("silent %zu\n", first);
        return 3;
    }
    size_t matches = 0;
    size_t offset = 0;
    for (size_t p = anchor; p + (n - anchor) <= track.size(); ++p) {
        if (track[p] != slice[anchor])
            continue;
        const size_t candidate = p - anchor;
        if (std::memcmp(track.data() + candidate, slice, n * 4) != 0)
            continue;
        if (matches++ == 0)
            offset = candidate;
    }
    if (matches == 0) {
        std::printf("none %zu\n", first);
        return 1;
    }
    // Grow the exact run around the slice in both directions.
    size_t runFirst = first;
    size_t trackFirst = offset;
    while (runFirst > 0 && trackFirst > 0 && raw[runFirst - 1] == track[trackFirst - 1]) {
        --runFirst;
        --trackFirst;
    }
    size_t runEnd = first + n;
    size_t trackEnd = offset + n;
    while (runEnd < raw.size() && trackEnd < track.size() && raw[runEnd] == track[trackEnd]) {
        ++runEnd;
        ++trackEnd;
    }
    std::printf("%zu %zu %zu %zu %zu %zu\n", offset, first, runFirst, runEnd, track.size(),
                matches);
    return 0;
}

int NonZero(const char *rawPath, long start, long count) {
    Frames raw;
    size_t first = 0;
    if (!ReadCapture(rawPath, raw) || !SliceBounds(raw, start, count, first)) {
        std::fprintf(stderr, "cannot read %ld+%ld from %s\n", start, count, rawPath);
        return 2;
    }
    size_t nonZero = 0;
    for (size_t i = first; i < first + static_cast<size_t>(count); ++i)
        nonZero += raw[i] != 0;
    std::printf("%zu\n", nonZero);
    return 0;
}

bool ParseLong(const char *text, long &value) {
    char *end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0';
}

} // namespace

int main(int argc, char **argv) {
    long start = 0;
    long count = 0;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "find" && argc == 6 && ParseLong(argv[4], start) && ParseLong(argv[5], count))
        return Find(argv[2], argv[3], start, count);
    if (mode == "decode" && argc == 4)
        return Decode(argv[2], argv[3]);
    if (mode == "nonzero" && argc == 5 && ParseLong(argv[3], start) && ParseLong(argv[4], count))
        return NonZero(argv[2], start, count);
    std::fprintf(stderr,
                 "usage: %s find <mp3> <raw> <start> <count>\n"
                 "       %s nonzero <raw> <start> <count>\n",
                 argv[0], argv[0]);
    return 2;
}
