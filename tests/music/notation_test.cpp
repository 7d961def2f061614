#include "synth/notation.h"

#include <gtest/gtest.h>

namespace {

using synth::Channel;

struct NoteCase {
    const char *text;
    int midi;
};

class NoteNames : public ::testing::TestWithParam<NoteCase> {};

TEST_P(NoteNames, Parse) { EXPECT_EQ(synth::ParseNote(GetParam().text), GetParam().midi); }

INSTANTIATE_TEST_SUITE_P(Table, NoteNames,
                         ::testing::Values(NoteCase{"c4", 60}, NoteCase{"a4", 69},
                                           NoteCase{"f#3", 54}, NoteCase{"bb2", 46},
                                           NoteCase{"C5", 72}, NoteCase{"cb4", 59},
                                           NoteCase{"b#3", 60}, NoteCase{"e0", 16},
                                           NoteCase{"x4", -1}, NoteCase{"c", -1},
                                           NoteCase{"", -1}, NoteCase{"g#9", -1}));

struct ChordCase {
    const char *symbol;
    int root, bass;
    std::vector<int> intervals;
};

class ChordSymbols : public ::testing::TestWithParam<ChordCase> {};

TEST_P(ChordSymbols, Parse) {
    const synth::Chord c = synth::ParseChord(GetParam().symbol);
    EXPECT_EQ(c.root, GetParam().root);
    EXPECT_EQ(c.bass, GetParam().bass);
    EXPECT_EQ(c.intervals, GetParam().intervals);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChordSymbols,
    ::testing::Values(ChordCase{"C", 0, 0, {0, 4, 7}}, ChordCase{"Em", 4, 4, {0, 3, 7}},
                      ChordCase{"F#m7", 6, 6, {0, 3, 7, 10}},
                      ChordCase{"Bbmaj7", 10, 10, {0, 4, 7, 11}},
                      ChordCase{"C/E", 0, 4, {0, 4, 7}}, ChordCase{"A7sus4", 9, 9, {0, 5, 7, 10}},
                      ChordCase{"B7", 11, 11, {0, 4, 7, 10}}, ChordCase{"Q", 0, 0, {0, 4, 7}},
                      ChordCase{"Gweird", 7, 7, {0, 4, 7}}));

TEST(Melody, TokensPlaceNotesRestsAndTies) {
    Channel ch;
    const double span = synth::AddMelody(ch, 8.0, "c4:2 . r:3 e4! - g4? zz:2 a4", 0.25, 0.5f, 1.0f, 2);
    EXPECT_DOUBLE_EQ(span, (2 + 1 + 3 + 1 + 1 + 1 + 2 + 1) * 0.25);
    ASSERT_EQ(ch.notes.size(), 4u);
    EXPECT_DOUBLE_EQ(ch.notes[0].beat, 8.0);
    EXPECT_FLOAT_EQ(ch.notes[0].pitch, 62.0f);
    EXPECT_DOUBLE_EQ(ch.notes[0].length, 0.5);
    EXPECT_DOUBLE_EQ(ch.notes[1].beat, 8.0 + 6 * 0.25);
    EXPECT_DOUBLE_EQ(ch.notes[1].length, 0.5); // tied over one more step
    EXPECT_FLOAT_EQ(ch.notes[1].velocity, 0.65f);
    EXPECT_FLOAT_EQ(ch.notes[2].velocity, 0.25f);
    EXPECT_DOUBLE_EQ(ch.notes[3].beat, 8.0 + 11 * 0.25); // the bad token still takes its time
}

TEST(Drums, GridVelocitiesAndTiming) {
    Channel ch;
    EXPECT_DOUBLE_EQ(synth::AddDrums(ch, 0.0, "X.x. o|-.. ", 0.5), 4.0);
    ASSERT_EQ(ch.notes.size(), 3u);
    EXPECT_DOUBLE_EQ(ch.notes[1].beat, 1.0);
    EXPECT_DOUBLE_EQ(ch.notes[2].beat, 2.0);
    EXPECT_GT(ch.notes[0].velocity, ch.notes[1].velocity);
    EXPECT_GT(ch.notes[1].velocity, ch.notes[2].velocity);
}

TEST(Bass, RhythmLettersPickChordTones) {
    Channel ch;
    synth::AddBass(ch, 0.0, synth::ParseChord("Am7"), "R-O.FTS.", 36, 0.25, 1.0f, 1.0f);
    ASSERT_EQ(ch.notes.size(), 5u);
    EXPECT_FLOAT_EQ(ch.notes[0].pitch, 45.0f); // A2
    EXPECT_DOUBLE_EQ(ch.notes[0].length, 0.5);
    EXPECT_FLOAT_EQ(ch.notes[1].pitch, 57.0f);
    EXPECT_FLOAT_EQ(ch.notes[2].pitch, 52.0f); // fifth
    EXPECT_FLOAT_EQ(ch.notes[3].pitch, 48.0f); // minor third
    EXPECT_FLOAT_EQ(ch.notes[4].pitch, 55.0f); // seventh
}

TEST(Voicing, TonesFallInsideTheWindowAscending) {
    const std::vector<int> v = synth::Voicing(synth::ParseChord("Dmaj7"), 57, 2);
    ASSERT_EQ(v.size(), 6u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_GE(v[i], 57);
        EXPECT_LT(v[i], 69);
    }
    for (size_t i = 1; i < v.size(); ++i)
        EXPECT_LT(v[i - 1], v[i]);
    EXPECT_EQ(v[4], v[0] + 12);
}

TEST(Arpeggio, CyclesTheOrderForTheLength) {
    Channel ch;
    synth::AddArp(ch, 4.0, synth::ParseChord("C"), 2.0, "0 1 2", 60, 0.25);
    ASSERT_EQ(ch.notes.size(), 8u);
    EXPECT_FLOAT_EQ(ch.notes[0].pitch, 60.0f);
    EXPECT_FLOAT_EQ(ch.notes[1].pitch, 64.0f);
    EXPECT_FLOAT_EQ(ch.notes[2].pitch, 67.0f);
    EXPECT_FLOAT_EQ(ch.notes[3].pitch, 60.0f);
    EXPECT_DOUBLE_EQ(ch.notes[7].beat, 5.75);
    Channel none;
    synth::AddArp(none, 0.0, synth::ParseChord("C"), 2.0, "", 60);
    EXPECT_TRUE(none.notes.empty());
}

} // namespace
