// The generated tracks as the player reads them: decoded with gapless trimming.
#include "songs/songs.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Track {
    char side = '?';
    bool ok = false;              // opened and decoded as 16-bit stereo at 44100 Hz
    std::vector<int16_t> samples; // interleaved stereo
    double rmsDb = -200.0;
    size_t Frames() const { return samples.size() / 2; }
};

Track DecodeTrack(char side) {
    Track out;
    out.side = side;
    const std::string path = std::string(ML_MUSIC_DATA_DIR) + "/Track" + side + ".mp3";
    mpg123_handle *mh = mpg123_init() == MPG123_OK ? mpg123_new(nullptr, nullptr) : nullptr;
    if (!mh)
        return out;
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
        std::vector<unsigned char> buf(65536);
        int rc = MPG123_OK;
        while (rc == MPG123_OK || rc == MPG123_NEW_FORMAT) {
            size_t done = 0;
            rc = mpg123_read(mh, buf.data(), buf.size(), &done);
            const int16_t *pcm = reinterpret_cast<const int16_t *>(buf.data());
            out.samples.insert(out.samples.end(), pcm, pcm + done / sizeof(int16_t));
        }
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_getformat(mh, &rate, &channels, &encoding);
        out.ok =
            rc == MPG123_DONE && rate == 44100 && channels == 2 && encoding == MPG123_ENC_SIGNED_16;
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    double sum = 0.0;
    for (int16_t s : out.samples)
        sum += static_cast<double>(s) * s;
    if (!out.samples.empty())
        out.rmsDb = 10.0 * std::log10(sum / out.samples.size() / (32768.0 * 32768.0));
    return out;
}

// Decodes each side once for the whole suite.
const std::vector<Track> &Tracks() {
    static const std::vector<Track> tracks = {DecodeTrack('A'), DecodeTrack('B'), DecodeTrack('C'),
                                              DecodeTrack('D')};
    return tracks;
}

class GeneratedTrack : public ::testing::TestWithParam<int> {};

TEST_P(GeneratedTrack, IsAValidMp3OfExactlyOneLoop) {
    const Track &t = Tracks()[GetParam()];
    ASSERT_TRUE(t.ok) << "side " << t.side;
    const double seconds = static_cast<double>(t.Frames()) / 44100.0;
    EXPECT_GE(seconds, 150.0);
    EXPECT_LE(seconds, 240.0);
    // Gapless decoding gives back exactly the rendered loop: no encoder delay or padding.
    synth::Song song;
    ASSERT_TRUE(music::MakeSide(t.side, song));
    EXPECT_EQ(t.Frames(), synth::LoopFrames(song));
}

TEST_P(GeneratedTrack, LevelsMatchAndLeaveHeadroom) {
    const Track &t = Tracks()[GetParam()];
    ASSERT_FALSE(t.samples.empty()) << "side " << t.side;
    int peak = 0;
    double sum[2] = {0.0, 0.0};
    for (size_t i = 0; i < t.samples.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(t.samples[i])));
        sum[i % 2] += t.samples[i];
    }
    EXPECT_LT(20.0 * std::log10(peak / 32768.0), -1.0);
    for (double channelSum : sum)
        EXPECT_LT(std::fabs(channelSum / t.Frames() / 32768.0), 0.002) << "DC offset";
    EXPECT_GT(t.rmsDb, -20.0);
    EXPECT_LT(t.rmsDb, -12.0);
    for (const Track &other : Tracks())
        EXPECT_LE(std::fabs(t.rmsDb - other.rmsDb), 1.0) << "against side " << other.side;
}

TEST_P(GeneratedTrack, LoopSeamHasNoJump) {
    const Track &t = Tracks()[GetParam()];
    const size_t frames = t.Frames();
    ASSERT_GT(frames, 44100u) << "side " << t.side;
    // The step from the last frame to the first, as the player loops, against the
    // 99.9th percentile of all sample-to-sample steps of that channel.
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<int> steps;
        steps.reserve(frames);
        for (size_t i = 1; i < frames; ++i)
            steps.push_back(std::abs(t.samples[2 * i + ch] - t.samples[2 * (i - 1) + ch]));
        const size_t p999 = steps.size() * 999 / 1000;
        std::nth_element(steps.begin(), steps.begin() + p999, steps.end());
        EXPECT_LE(std::abs(t.samples[ch] - t.samples[2 * (frames - 1) + ch]), steps[p999])
            << "channel " << ch;
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, GeneratedTrack, ::testing::Range(0, 4),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string("Side") + static_cast<char>('A' + info.param);
                         });

TEST(Sides, OnlyTheFourLettersHaveASong) {
    synth::Song song;
    EXPECT_FALSE(music::MakeSide('E', song));
    EXPECT_FALSE(music::MakeSide('a', song));
}

} // namespace
