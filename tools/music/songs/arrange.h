// Small helpers shared by the song files: bar arithmetic, chord charts and drum rolls.
#pragma once

#include "synth/notation.h"

#include <string>
#include <vector>

namespace music {

constexpr double kBeatsPerBar = 4.0;
inline double Bar(double n) { return n * kBeatsPerBar; }

// A chord chart: one chord symbol per bar, cycled to fill `bars` bars.
inline std::vector<std::string> Chart(const std::vector<std::string> &progression, int bars) {
    std::vector<std::string> out;
    for (int i = 0; i < bars && !progression.empty(); ++i)
        out.push_back(progression[i % progression.size()]);
    return out;
}

// Calls fn(bar, chord) for each bar of a chart that starts at bar `first`.
template <typename Fn>
void ForBars(int first, const std::vector<std::string> &chart, Fn fn) {
    for (size_t i = 0; i < chart.size(); ++i)
        fn(first + static_cast<int>(i), synth::ParseChord(chart[i]));
}

// Evenly spaced hits whose velocity moves from v0 to v1 (a roll or a crescendo fill).
inline void AddRoll(synth::Channel &ch, double beat, int steps, double stepBeats, float v0,
                    float v1, float tune = 1.0f) {
    for (int i = 0; i < steps; ++i) {
        synth::NoteEvent ev;
        ev.beat = beat + i * stepBeats;
        ev.length = stepBeats;
        ev.pitch = tune;
        ev.velocity = steps > 1 ? v0 + (v1 - v0) * i / (steps - 1) : v1;
        ch.notes.push_back(ev);
    }
}

// Removes the notes that start in [fromBeat, toBeat): a dropout.
inline void Clear(synth::Channel &ch, double fromBeat, double toBeat) {
    std::vector<synth::NoteEvent> kept;
    for (const synth::NoteEvent &ev : ch.notes)
        if (ev.beat < fromBeat - 1e-9 || ev.beat >= toBeat - 1e-9)
            kept.push_back(ev);
    ch.notes.swap(kept);
}

} // namespace music
