#include "synth/master.h"
#include "synth/notation.h"
#include "synth/song.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using namespace synth;

// Two bars with a kick, a ducked pad, a bass and an echoing lead whose last note rings
// over the loop point.
Song ShortSong() {
    Song s;
    s.bpm = 130.0f;
    s.lengthBeats = 8.0;
    s.prerollSeconds = 3.0;
    s.reverb.decaySeconds = 1.0f;
    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    kick.sidechainSource = true;
    AddDrums(kick, 0.0, "X...X...X...X...X...X...X...X...");
    Channel &pad = s.Add("pad");
    pad.voice.unison = 3;
    pad.voice.unisonDetune = 20.0f;
    pad.voice.amp = {0.2f, 0.5f, 0.8f, 0.5f};
    pad.duck = 0.6f;
    pad.reverbSend = 0.4f;
    pad.chorus = true;
    AddChord(pad, 0.0, ParseChord("Am"), 4.0, 57);
    AddChord(pad, 4.0, ParseChord("F"), 4.0, 57);
    Channel &lead = s.Add("lead");
    lead.voice.osc1 = Waveform::Pulse;
    lead.delaySend = 0.5f;
    lead.cutoff.Add(0.0, 500.0f);
    lead.cutoff.Add(8.0, 4000.0f);
    AddMelody(lead, 0.0, "a4:4 c5:4 e5:4 g5:4 f5:4 e5:4 c5:4 e5:4");
    s.delay.leftSeconds = 0.3f;
    s.delay.rightSeconds = 0.45f;
    return s;
}

TEST(Song, LoopFramesFollowTempoAndLength) {
    Song s;
    s.bpm = 120.0f;
    s.lengthBeats = 16.0;
    EXPECT_EQ(LoopFrames(s), static_cast<size_t>(8 * kSampleRate));
}

TEST(Song, RenderIsBitIdenticalOnEveryRun) {
    const StereoBuffer a = RenderSong(ShortSong());
    const StereoBuffer b = RenderSong(ShortSong());
    ASSERT_EQ(a.Frames(), LoopFrames(ShortSong()));
    ASSERT_EQ(a.Frames(), b.Frames());
    EXPECT_EQ(std::memcmp(a.left.data(), b.left.data(), a.Frames() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(a.right.data(), b.right.data(), a.Frames() * sizeof(float)), 0);
}

TEST(Song, RenderMeetsLevelTargetsAndLoopsWithoutAClick) {
    const Song song = ShortSong();
    const StereoBuffer a = RenderSong(song);
    EXPECT_NEAR(GainToDb(MeasureRms(a)), song.targetRmsDb, 0.1f);
    EXPECT_LE(MeasurePeak(a), DbToGain(song.ceilingDb) * 1.00001f);
    float largest = 0.0f;
    for (size_t i = 1; i < a.Frames(); ++i)
        largest = std::max(largest, std::fabs(a.left[i] - a.left[i - 1]));
    const float seam = std::fabs(a.left.front() - a.left.back());
    EXPECT_LT(seam, largest * 0.5f);
    // The tail of the last notes is heard at the start: the loop does not begin silent.
    float head = 0.0f;
    for (size_t i = 0; i < 64; ++i)
        head = std::max(head, std::fabs(a.left[i]));
    EXPECT_GT(head, 1e-3f);
}

TEST(Song, EmptySongRendersSilenceOfTheRightLength) {
    Song s;
    s.lengthBeats = 4.0;
    s.prerollSeconds = 0.5;
    const StereoBuffer a = RenderSong(s);
    EXPECT_EQ(a.Frames(), LoopFrames(s));
    EXPECT_EQ(MeasurePeak(a), 0.0f);
}

TEST(Automation, InterpolatesAndHoldsTheEnds) {
    CAutomation a;
    EXPECT_TRUE(a.Empty());
    a.Add(4.0, 100.0f);
    a.Add(8.0, 300.0f);
    EXPECT_FLOAT_EQ(a.Eval(0.0), 100.0f);
    EXPECT_FLOAT_EQ(a.Eval(6.0), 200.0f);
    EXPECT_FLOAT_EQ(a.Eval(20.0), 300.0f);
}

} // namespace
