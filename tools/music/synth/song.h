// A song: channels of timed notes with their mix settings, rendered as a seamless loop.
#pragma once

#include "drums.h"
#include "effects.h"
#include "voice.h"

#include <deque>
#include <string>
#include <vector>

namespace synth {

struct NoteEvent {
    double beat = 0.0;   // start, in beats from the song start
    double length = 0.25; // gate, in beats
    float pitch = 60.0f; // MIDI note; for drum channels the tuning factor (1 = as patched)
    float velocity = 0.8f;
};

// Piecewise-linear curve over beats; holds its first and last values outside the points.
class CAutomation {
  public:
    void Add(double beat, float value) { m_points.push_back({beat, value}); }
    bool Empty() const { return m_points.empty(); }
    float Eval(double beat) const;

  private:
    struct Point {
        double beat;
        float value;
    };
    std::vector<Point> m_points; // kept in the order added: callers add ascending beats
};

struct Channel {
    std::string name;
    bool isDrum = false;
    VoicePatch voice;
    DrumPatch drum;
    std::vector<NoteEvent> notes;

    float gainDb = 0.0f;
    float pan = 0.0f;         // -1 left .. +1 right
    float reverbSend = 0.0f;  // linear send level
    float delaySend = 0.0f;
    float duck = 0.0f;        // 0..1 depth of the kick-driven ducking
    bool sidechainSource = false; // this channel's hits drive the ducking
    bool chorus = false;
    ChorusParams chorusParams;

    float highPass = 0.0f; // Hz: 12 dB/octave high-pass in the channel strip, 0 = off

    // Channel low-pass sweep in Hz (empty = no filter) and level curve in dB (empty = 0).
    CAutomation cutoff;
    float cutoffQ = 0.9f;
    CAutomation levelDb;
};

struct Song {
    std::string title;
    float bpm = 120.0f;
    double lengthBeats = 64.0; // loop length
    std::deque<Channel> channels; // deque: references from Add() stay valid
    DelayParams delay;
    ReverbParams reverb;
    float duckAttack = 0.004f;  // seconds
    float duckRelease = 0.16f;  // seconds
    float targetLufs = -16.0f; // integrated loudness of the mastered loop
    // True-peak ceiling of the master (dBTP), below the -1 dBTP the tracks must keep after
    // MP3 encoding, which adds a few tenths of a dB to the peaks.
    float truePeakDb = -1.8f;
    double prerollSeconds = 10.0; // tail of the end rendered into the start

    double SecondsPerBeat() const { return 60.0 / bpm; }
    Channel &Add(const std::string &name) {
        channels.emplace_back();
        channels.back().name = name;
        return channels.back();
    }
};

// Frames of the loop: the length in beats at the tempo, rounded to whole samples.
size_t LoopFrames(const Song &song);

// Renders the song as one loop period: what follows the last frame is the first frame.
// Notes near the end ring on into the start (their tails and the echoes are rendered
// there), and the master bus is processed around the circle.
StereoBuffer RenderSong(const Song &song);

} // namespace synth
