// The song notation the sides are written in, and the loop render they go through.
#include "synth/master.h"
#include "synth/notation.h"
#include "synth/song.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace synth;

TEST(Notation, NoteNamesAndBadNotes) {
    const std::pair<const char *, int> cases[] = {
        {"c4", 60},  {"a4", 69}, {"f#3", 54}, {"bb2", 46}, {"C5", 72}, {"cb4", 59},
        {"b#3", 60}, {"e0", 16}, {"x4", -1},  {"c", -1},   {"", -1},   {"g#9", -1}};
    for (const auto &[text, midi] : cases)
        EXPECT_EQ(ParseNote(text), midi) << '"' << text << '"';
}

TEST(Notation, ChordSymbolsAndUnknownQualities) {
    const struct {
        const char *symbol;
        int root, bass;
        std::vector<int> intervals;
    } cases[] = {{"C", 0, 0, {0, 4, 7}},
                 {"F#m7", 6, 6, {0, 3, 7, 10}},
                 {"Bbmaj7", 10, 10, {0, 4, 7, 11}},
                 {"C/E", 0, 4, {0, 4, 7}},
                 {"A7sus4", 9, 9, {0, 5, 7, 10}},
                 {"Q", 0, 0, {0, 4, 7}},
                 {"Gweird", 7, 7, {0, 4, 7}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.symbol);
        const Chord chord = ParseChord(c.symbol);
        EXPECT_EQ(chord.root, c.root);
        EXPECT_EQ(chord.bass, c.bass);
        EXPECT_EQ(chord.intervals, c.intervals);
    }
}

TEST(Notation, MelodyPlacesNotesRestsTiesAndSkipsBadTokens) {
    Channel ch;
    const double span = AddMelody(ch, 8.0, "c4:2 . r:3 e4! - g4? zz:2 a4", 0.25, 0.5f, 1.0f, 2);
    EXPECT_DOUBLE_EQ(span, 12 * 0.25);
    ASSERT_EQ(ch.notes.size(), 4u);
    EXPECT_DOUBLE_EQ(ch.notes[0].beat, 8.0);
    EXPECT_FLOAT_EQ(ch.notes[0].pitch, 62.0f); // transposed
    EXPECT_DOUBLE_EQ(ch.notes[1].beat, 8.0 + 6 * 0.25);
    EXPECT_DOUBLE_EQ(ch.notes[1].length, 0.5);           // tied over one more step
    EXPECT_GT(ch.notes[1].velocity, 0.5f);               // accent
    EXPECT_LT(ch.notes[2].velocity, 0.5f);               // softened
    EXPECT_DOUBLE_EQ(ch.notes[3].beat, 8.0 + 11 * 0.25); // the bad token still takes its time
}

TEST(Notation, DrumGridSkipsSpacesAndBars) {
    Channel ch;
    EXPECT_DOUBLE_EQ(AddDrums(ch, 0.0, "X.x. o|-.. ", 0.5), 4.0);
    ASSERT_EQ(ch.notes.size(), 3u);
    EXPECT_DOUBLE_EQ(ch.notes[1].beat, 1.0);
    EXPECT_DOUBLE_EQ(ch.notes[2].beat, 2.0);
    EXPECT_GT(ch.notes[0].velocity, ch.notes[1].velocity);
    EXPECT_GT(ch.notes[1].velocity, ch.notes[2].velocity);
}

// Two bars whose echoing, reverberant last notes ring over the loop point.
Song ShortSong() {
    Song s;
    s.bpm = 130.0f;
    s.lengthBeats = 8.0;
    s.prerollSeconds = 3.0;
    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    kick.sidechainSource = true;
    AddDrums(kick, 0.0, "X...X...X...X...X...X...X...X...");
    Channel &pad = s.Add("pad");
    pad.duck = 0.6f;
    pad.reverbSend = 0.4f;
    pad.chorus = true;
    AddChord(pad, 0.0, ParseChord("Am"), 8.0, 57);
    Channel &lead = s.Add("lead");
    lead.delaySend = 0.5f;
    AddMelody(lead, 0.0, "a4:4 c5:4 e5:4 g5:4 f5:4 e5:4 c5:4 e5:4");
    return s;
}

TEST(Song, RenderIsOneReproducibleLoopAtTheTargetLevel) {
    const Song song = ShortSong();
    const StereoBuffer a = RenderSong(song);
    const StereoBuffer b = RenderSong(song);
    ASSERT_EQ(a.Frames(), LoopFrames(song));
    ASSERT_EQ(b.Frames(), a.Frames());
    EXPECT_EQ(std::memcmp(a.left.data(), b.left.data(), a.Frames() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(a.right.data(), b.right.data(), a.Frames() * sizeof(float)), 0);
    EXPECT_NEAR(GainToDb(MeasureRms(a)), song.targetRmsDb, 0.1f);
    EXPECT_LE(MeasurePeak(a), DbToGain(song.ceilingDb) * 1.00001f);
    // The tail of the last notes is heard at the start: the loop does not begin silent.
    float head = 0.0f;
    for (size_t i = 0; i < 64; ++i)
        head = std::max(head, std::fabs(a.left[i]));
    EXPECT_GT(head, 1e-3f);
}

TEST(Song, EmptySongRendersSilenceOfTheLoopLength) {
    Song s;
    s.lengthBeats = 4.0;
    s.prerollSeconds = 0.5;
    const StereoBuffer a = RenderSong(s);
    EXPECT_EQ(a.Frames(), static_cast<size_t>(2 * kSampleRate));
    EXPECT_EQ(MeasurePeak(a), 0.0f);
}

} // namespace
