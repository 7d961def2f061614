// The song notation the sides are written in, and the loop render they go through.
#include "synth/master.h"
#include "synth/notation.h"
#include "synth/song.h"

#include <gtest/gtest.h>

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

// A render of the same song is the same on every run: the tracks build reproducibly.
TEST(Song, RenderIsOneReproducibleLoop) {
    Song s;
    s.bpm = 130.0f;
    s.lengthBeats = 8.0;
    s.prerollSeconds = 3.0;
    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    kick.sidechainSource = true;
    AddDrums(kick, 0.0, "X...X...X...X...X...X...X...X...");
    Channel &lead = s.Add("lead");
    lead.duck = 0.6f;
    lead.reverbSend = 0.4f;
    lead.delaySend = 0.5f;
    lead.chorus = true;
    AddMelody(lead, 0.0, "a4:4 c5:4 e5:4 g5:4 f5:4 e5:4 c5:4 e5:4");
    const StereoBuffer a = RenderSong(s);
    const StereoBuffer b = RenderSong(s);
    ASSERT_EQ(a.Frames(), LoopFrames(s));
    ASSERT_EQ(b.Frames(), a.Frames());
    EXPECT_EQ(std::memcmp(a.left.data(), b.left.data(), a.Frames() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(a.right.data(), b.right.data(), a.Frames() * sizeof(float)), 0);
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
