// The generated tracks as the player reads them: decoded with gapless trimming.
#include "songs/songs.h"
#include "synth/loudness.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Track {
    bool ok = false;              // opened and decoded to the end as 16-bit stereo at 44100 Hz
    std::vector<int16_t> samples; // interleaved stereo
};

Track DecodeTrack(char side) {
    Track out;
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
    return out;
}

TEST(GeneratedTracks, AreValidMp3LoopsAtTheTargetLoudnessWithHeadroom) {
    for (char side : {'A', 'B', 'C', 'D'}) {
        SCOPED_TRACE(std::string("side ") + side);
        const Track t = DecodeTrack(side);
        ASSERT_TRUE(t.ok);
        const size_t frames = t.samples.size() / 2;
        EXPECT_GE(frames, 150u * 44100u);
        EXPECT_LE(frames, 240u * 44100u);
        // Gapless decoding gives back exactly the rendered loop: no encoder delay or padding.
        synth::Song song;
        ASSERT_TRUE(music::MakeSide(side, song));
        ASSERT_EQ(frames, synth::LoopFrames(song));

        synth::StereoBuffer audio;
        audio.Resize(frames);
        double sum[2] = {0.0, 0.0};
        for (size_t i = 0; i < frames; ++i) {
            audio.left[i] = t.samples[2 * i] / 32768.0f;
            audio.right[i] = t.samples[2 * i + 1] / 32768.0f;
            sum[0] += audio.left[i];
            sum[1] += audio.right[i];
        }
        for (double channelSum : sum)
            EXPECT_LT(std::fabs(channelSum / frames), 0.002) << "DC offset";
        // Every side plays at the same loudness with a true-peak margin, as decoded.
        EXPECT_NEAR(synth::IntegratedLoudness(synth::KWeightedSegments(audio)), -16.0, 0.5);
        EXPECT_LE(synth::GainToDb(synth::TruePeak(audio)), -1.0);

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
                << "loop seam jumps in channel " << ch;
        }
    }
}

} // namespace
