#include "audio/audio_fixture.h"

#include <lame/lame.h>
#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace audio_test {

namespace {

struct TempDirectory {
    std::string path;
    TempDirectory() {
        char pattern[] = "/tmp/ml_audio_test_XXXXXX";
        const char *made = mkdtemp(pattern);
        path = made != nullptr ? made : "/tmp";
    }
    ~TempDirectory() {
        std::error_code ignored;
        if (path != "/tmp") {
            std::filesystem::remove_all(path, ignored);
        }
    }
};

} // namespace

const std::string &TempDir() {
    static TempDirectory dir;
    return dir.path;
}

std::string MakeSweepMp3(const std::string &name, double seconds, int rate, int channels) {
    const int frames = static_cast<int>(seconds * rate);
    std::vector<short> left(static_cast<size_t>(frames));
    std::vector<short> right(static_cast<size_t>(frames));
    double phaseLeft = 0.0;
    double phaseRight = 0.0;
    for (int i = 0; i < frames; i++) {
        double t = static_cast<double>(i) / frames;
        phaseLeft += 2.0 * M_PI * (300.0 + 1700.0 * t) / rate;
        phaseRight += 2.0 * M_PI * (2000.0 - 1500.0 * t) / rate;
        left[static_cast<size_t>(i)] = static_cast<short>(9000.0 * std::sin(phaseLeft));
        right[static_cast<size_t>(i)] = static_cast<short>(7000.0 * std::sin(phaseRight));
    }
    lame_global_flags *lame = lame_init();
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 5);
    lame_init_params(lame);

    std::string path = TempDir() + "/" + name;
    FILE *file = std::fopen(path.c_str(), "wb+");
    std::vector<unsigned char> out(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    int bytes = lame_encode_buffer(lame, left.data(), channels == 1 ? left.data() : right.data(),
                                   frames, out.data(), static_cast<int>(out.size()));
    std::fwrite(out.data(), 1, static_cast<size_t>(bytes), file);
    bytes = lame_encode_flush(lame, out.data(), static_cast<int>(out.size()));
    std::fwrite(out.data(), 1, static_cast<size_t>(bytes), file);
    // The tag lets the decoder trim the encoder delay and padding exactly.
    lame_mp3_tags_fid(lame, file);
    std::fclose(file);
    lame_close(lame);
    return path;
}

std::string WriteFile(const std::string &name, const std::string &bytes) {
    std::string path = TempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ReadFileBytes(const std::string &path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

Frames ReferenceDecode(const std::string &path) {
    Frames frames;
    mpg123_init();
    mpg123_handle *handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET,
                 0.0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    int result = mpg123_open(handle, path.c_str());
    while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
        std::int16_t buffer[4608];
        size_t done = 0;
        result = mpg123_read(handle, buffer, sizeof buffer, &done);
        frames.insert(frames.end(), buffer, buffer + done / sizeof(std::int16_t));
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return frames;
}

} // namespace audio_test
