// Text notation for writing songs: note names, chord symbols, melody lines, drum grids,
// bass rhythms, arpeggios and chord voicings. Malformed tokens are skipped, never fatal.
#pragma once

#include "song.h"

#include <string>
#include <vector>

namespace synth {

// "c4" = 60, "f#3" = 54, "bb2" = 46; returns -1 when the text is not a note.
int ParseNote(const std::string &text);

struct Chord {
    int root = 0;               // pitch class 0 (C) .. 11 (B)
    int bass = 0;               // pitch class of the bass note ("/E" slash chords)
    std::vector<int> intervals; // semitones above the root, ascending, starting with 0
};

// Chord symbols: root (C, F#, Bb) + quality ("", m, 7, m7, maj7, sus2, sus4, 7sus4, add9,
// m9, maj9, 6, m6, dim, aug) + optional "/bass". Unknown symbols give a major triad.
Chord ParseChord(const std::string &symbol);

// Melody line: space-separated tokens, each a note with an optional length in steps
// ("e5:4"), a rest ("r:2" or "."), or "-" to extend the previous note by one step.
// A trailing '!' accents a note, '?' softens it. Returns the beats the line spans.
double AddMelody(Channel &ch, double beat, const std::string &line, double stepBeats = 0.25,
                 float velocity = 0.8f, float gate = 0.92f, int transpose = 0);

// Drum grid: one character per step: 'X' accent, 'x' normal, 'o' ghost, '.' or '-' rest;
// spaces and '|' are ignored. `tune` scales the drum's pitch. Returns beats spanned.
double AddDrums(Channel &ch, double beat, const std::string &grid, double stepBeats = 0.25,
                float velocity = 1.0f, float tune = 1.0f);

// Bass rhythm over a chord: 'R' root, 'r' soft root, 'O' octave up, 'F' fifth, 'T' third,
// 'S' seventh (or octave when the chord has none), '-' holds the previous note, '.' rest.
// `octaveBase` is the MIDI note of C in the bass octave (36 = C2).
double AddBass(Channel &ch, double beat, const Chord &chord, const std::string &rhythm,
               int octaveBase = 36, double stepBeats = 0.25, float velocity = 0.85f,
               float gate = 0.85f, int transpose = 0);

// Chord tones placed in [low, low + 12), ascending; `extraTop` adds tones an octave up.
std::vector<int> Voicing(const Chord &chord, int low, int extraTop = 0, int transpose = 0);

// Sustained chord: every tone of Voicing(chord, low, extraTop) for `length` beats.
void AddChord(Channel &ch, double beat, const Chord &chord, double length, int low,
              float velocity = 0.7f, int extraTop = 0, int transpose = 0);

// Arpeggio over Voicing(chord, low, 2 octaves): `order` is a string of digits indexing the
// voiced tones (0 = lowest), cycled for `length` beats, one per step.
void AddArp(Channel &ch, double beat, const Chord &chord, double length, const std::string &order,
            int low, double stepBeats = 0.25, float velocity = 0.7f, float gate = 0.5f,
            int transpose = 0);

} // namespace synth
