// Writes the straight decode of an MP3 track as raw frames (44100 Hz stereo
// signed 16-bit), decoded the way the player does: gapless, forced stereo.
// Usage: ml_e2e_audio decode <mp3> <out>. Exit 0 when written, 2 otherwise.
#include <mpg123.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool Decode(const char *path, FILE *out) {
    mpg123_init();
    int error = MPG123_OK;
    mpg123_handle *handle = mpg123_new(nullptr, &error);
    if (handle == nullptr)
        return false;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET,
                 0.0);
    mpg123_format_none(handle);
    bool ok = mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK &&
              mpg123_open(handle, path) == MPG123_OK;
    std::vector<unsigned char> buffer(1 << 16);
    size_t total = 0;
    int result = MPG123_OK;
    while (ok && (result == MPG123_OK || result == MPG123_NEW_FORMAT)) {
        size_t done = 0;
        // Done, or junk near the end: the track ends there either way.
        result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
        ok = std::fwrite(buffer.data(), 1, done, out) == done;
        total += done;
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return ok && total > 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4 || std::strcmp(argv[1], "decode") != 0) {
        std::fprintf(stderr, "usage: %s decode <mp3> <out>\n", argv[0]);
        return 2;
    }
    FILE *out = std::fopen(argv[3], "wb");
    if (out == nullptr)
        return 2;
    const bool ok = Decode(argv[2], out);
    if (std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "cannot decode %s to %s\n", argv[2], argv[3]);
        return 2;
    }
    return 0;
}
