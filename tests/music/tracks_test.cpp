// The generated tracks as the player reads them: decoded with gapless trimming.
#include "songs/songs.h"
#include "synth/song.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Decoded {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved stereo
    size_t Frames() const { return samples.size() / 2; }
};

Decoded DecodeTrack(const std::string &path) {
    Decoded out;
    if (mpg123_init() != MPG123_OK)
        return out;
    int err = 0;
    mpg123_handle *mh = mpg123_new(nullptr, &err);
    if (!mh)
        return out;
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
        mpg123_delete(mh);
        return out;
    }
    std::vector<unsigned char> buf(65536);
    for (;;) {
        size_t done = 0;
        const int rc = mpg123_read(mh, buf.data(), buf.size(), &done);
        const size_t count = done / sizeof(int16_t);
        const int16_t *pcm = reinterpret_cast<const int16_t *>(buf.data());
        out.samples.insert(out.samples.end(), pcm, pcm + count);
        if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT)
            continue;
        break; // MPG123_DONE, or an error at the end of the stream
    }
    int encoding = 0;
    mpg123_getformat(mh, &out.rate, &out.channels, &encoding);
    mpg123_close(mh);
    mpg123_delete(mh);
    out.ok = encoding == MPG123_ENC_SIGNED_16;
    return out;
}

struct Track {
    char side;
    Decoded audio;
    double rmsDb = -200.0;
};

// Decodes each side once for the whole suite.
const std::vector<Track> &Tracks() {
    static const std::vector<Track> tracks = [] {
        std::vector<Track> t;
        for (char side : {'A', 'B', 'C', 'D'}) {
            Track track;
            track.side = side;
            track.audio = DecodeTrack(std::string(ML_MUSIC_DATA_DIR) + "/Track" + side + ".mp3");
            double sum = 0.0;
            for (int16_t s : track.audio.samples)
                sum += static_cast<double>(s) * s;
            if (!track.audio.samples.empty())
                track.rmsDb =
                    10.0 * std::log10(sum / track.audio.samples.size() / (32768.0 * 32768.0));
            t.push_back(std::move(track));
        }
        return t;
    }();
    return tracks;
}

class GeneratedTrack : public ::testing::TestWithParam<int> {
  protected:
    const Track &T() const { return Tracks()[GetParam()]; }
};

TEST_P(GeneratedTrack, DecodesAsStereoAt44100) {
    ASSERT_TRUE(T().audio.ok) << "side " << T().side;
    EXPECT_EQ(T().audio.rate, 44100);
    EXPECT_EQ(T().audio.channels, 2);
}

TEST_P(GeneratedTrack, LengthIsInRangeAndExactlyTheLoop) {
    const double seconds = static_cast<double>(T().audio.Frames()) / 44100.0;
    EXPECT_GE(seconds, 150.0) << "side " << T().side;
    EXPECT_LE(seconds, 240.0) << "side " << T().side;
    // Gapless decoding gives back exactly the rendered loop: no encoder delay or padding.
    synth::Song song;
    ASSERT_TRUE(music::MakeSide(T().side, song));
    EXPECT_EQ(T().audio.Frames(), synth::LoopFrames(song)) << "side " << T().side;
}

TEST_P(GeneratedTrack, PeaksStayBelowMinusOneDbfsWithoutDcOffset) {
    const auto &s = T().audio.samples;
    ASSERT_FALSE(s.empty());
    int peak = 0;
    double sumL = 0.0, sumR = 0.0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        peak = std::max({peak, std::abs(static_cast<int>(s[i])), std::abs(static_cast<int>(s[i + 1]))});
        sumL += s[i];
        sumR += s[i + 1];
    }
    const double peakDb = 20.0 * std::log10(peak / 32768.0);
    EXPECT_LT(peakDb, -1.0) << "side " << T().side;
    const double frames = static_cast<double>(T().audio.Frames());
    EXPECT_LT(std::fabs(sumL / frames / 32768.0), 0.002) << "side " << T().side;
    EXPECT_LT(std::fabs(sumR / frames / 32768.0), 0.002) << "side " << T().side;
}

TEST_P(GeneratedTrack, LoudnessMatchesTheOtherSides) {
    EXPECT_GT(T().rmsDb, -20.0) << "side " << T().side;
    EXPECT_LT(T().rmsDb, -12.0) << "side " << T().side;
    for (const Track &other : Tracks())
        EXPECT_LE(std::fabs(T().rmsDb - other.rmsDb), 1.0)
            << "sides " << T().side << " and " << other.side;
}

TEST_P(GeneratedTrack, LoopSeamHasNoJump) {
    const auto &s = T().audio.samples;
    const size_t frames = T().audio.Frames();
    ASSERT_GT(frames, 44100u);
    // Typical and largest sample-to-sample change over the whole track, per channel.
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<int> steps;
        steps.reserve(frames);
        for (size_t i = 1; i < frames; ++i)
            steps.push_back(std::abs(s[2 * i + ch] - s[2 * (i - 1) + ch]));
        std::vector<int> sorted = steps;
        const size_t p999 = sorted.size() * 999 / 1000;
        std::nth_element(sorted.begin(), sorted.begin() + p999, sorted.end());
        const int typicalHigh = sorted[p999];
        const int largest = *std::max_element(steps.begin(), steps.end());
        // Last 50 ms then first 50 ms, as the player plays them when it loops.
        const size_t window = 44100 / 20;
        std::vector<int> seam;
        for (size_t i = frames - window; i < frames; ++i)
            seam.push_back(s[2 * i + ch]);
        for (size_t i = 0; i < window; ++i)
            seam.push_back(s[2 * i + ch]);
        int seamLargest = 0;
        for (size_t i = 1; i < seam.size(); ++i)
            seamLargest = std::max(seamLargest, std::abs(seam[i] - seam[i - 1]));
        const int jump = std::abs(seam[window] - seam[window - 1]);
        EXPECT_LE(jump, typicalHigh) << "side " << T().side << " channel " << ch;
        EXPECT_LE(seamLargest, largest) << "side " << T().side << " channel " << ch;
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, GeneratedTrack, ::testing::Range(0, 4),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string("Side") + static_cast<char>('A' + info.param);
                         });

} // namespace
