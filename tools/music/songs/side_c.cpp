// Side C, "Pixel Ferry": the uptempo chip-flavoured track. C major, 144 BPM, 104 bars.
//
// Bars   0- 7 intro     fast 32nd-note chord arpeggios and a bouncing triangle bass; beat from bar 4
// Bars   8-23 verse     a low pulse-wave tune over F G Em Am with a skipping kick
// Bars  24-39 chorus    the hook on a 25% pulse, doubled an octave down the second time
// Bars  40-55 break     half-time drums, a slow echoing line, a snare build on E7
// Bars  56-71 verse     again, its last bar turning to A7
// Bars  72-87 chorus    up a whole step in D major, full drums
// Bars  88-103 outro    back home in C (the D chorus ends on G, the dominant); the beat
//                       thins out bar by bar into the intro
#include "arrange.h"
#include "songs.h"

namespace music {

using namespace synth;

namespace {

const std::vector<std::string> kChorus = {"C", "G", "Am", "F"};
const std::vector<std::string> kVerse = {"F", "G", "Em", "Am"};
const std::vector<std::string> kBreak = {"Dm", "G", "C", "Am", "F", "G", "E7", "E7"};

const char *kHook =
    "e5:2 g5:2 c6:3 b5:1 c6:2 d6:2 e6:4 "
    "d6:2 b5:2 g5:4 d6:2 b5:2 g5:2 a5:2 "
    "c6:2 a5:2 e5:3 a5:1 c6:2 e6:2 d6:2 c6:2 "
    "a5:6 g5:2 f5:2 a5:2 c6:4 "
    "e5:2 g5:2 c6:3 b5:1 c6:2 d6:2 e6:2 g6:2! "
    "f6:2 e6:2 d6:4 b5:2 d6:2 g6:4 "
    "e6:3 d6:1 c6:2 a5:2 e6:3 d6:1 c6:2 e6:2 "
    "f6:4 e6:2 d6:2 c6:8";

const char *kVerseTune =
    "a4:2 c5:2 f5:2 a4:2 c5:2 f5:2 g5:2 a5:2 "
    "g5:4 d5:2 b4:2 d5:4 g5:2 f5:2 "
    "e5:2 g5:2 b5:4 a5:2 g5:2 e5:4 "
    "a4:6 c5:2 e5:4 r:4 "
    "a4:2 c5:2 f5:2 a5:2 c6:4 a5:2 f5:2 "
    "b5:2 g5:2 d5:4 g5:2 a5:2 b5:4 "
    "b5:2 a5:2 g5:2 e5:2 g5:2 b5:2 e6:4! "
    "c6:2 b5:2 a5:4 e5:4 r:4";

const char *kBreakTune =
    "f5:8 a5:8 g5:8 d5:8 e5:8 g5:4 c6:4 c6:8 a5:8 "
    "a5:8 c6:8 b5:8 d6:8 g#5:8 b5:8 d6:4 b5:4 g#5:4 e5:4";

} // namespace

Song MakeSideC() {
    Song s;
    s.title = "Pixel Ferry";
    s.bpm = 144.0f;
    s.lengthBeats = Bar(104);
    const double beat = s.SecondsPerBeat();
    s.delay.leftSeconds = static_cast<float>(0.75 * beat);
    s.delay.rightSeconds = static_cast<float>(0.5 * beat);
    s.delay.feedback = 0.3f;
    s.delay.pingPong = 0.5f;
    s.delay.damping = 5000.0f;
    s.reverb.decaySeconds = 1.2f;
    s.reverb.size = 0.7f;
    s.duckRelease = 0.1f;

    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    kick.drum = {DrumKind::Kick, 55.0f, 320.0f, 0.018f, 0.14f, 0.5f, 0.0f, 0.6f, 1.0f};
    kick.sidechainSource = true;
    kick.gainDb = -3.0f;

    Channel &snare = s.Add("snare");
    snare.isDrum = true;
    snare.drum = {DrumKind::Snare, 220.0f, 0, 0, 0.09f, 0.95f, 0, 0.5f, 1.0f};
    snare.gainDb = -7.0f;
    snare.reverbSend = 0.12f;

    Channel &hat = s.Add("hat");
    hat.isDrum = true;
    hat.drum = {DrumKind::ClosedHat, 0, 0, 0, 0.022f, 1.0f, 0, 0, 1.0f};
    hat.gainDb = -12.0f;
    hat.pan = 0.2f;

    Channel &tom = s.Add("tom");
    tom.isDrum = true;
    tom.drum = {DrumKind::Tom, 110.0f, 260.0f, 0.03f, 0.12f, 0.2f, 0, 0, 1.0f};
    tom.gainDb = -7.0f;
    tom.pan = -0.15f;

    Channel &bass = s.Add("bass");
    bass.voice.osc1 = Waveform::Triangle;
    bass.voice.amp = {0.002f, 0.1f, 0.9f, 0.02f};
    bass.voice.velocitySense = 0.3f;
    bass.gainDb = -1.0f;
    bass.duck = 0.3f;

    Channel &arp = s.Add("arp");
    arp.voice.osc1 = Waveform::Pulse;
    arp.voice.pulseWidth = 0.5f;
    arp.voice.amp = {0.001f, 0.05f, 0.7f, 0.01f};
    arp.voice.velocitySense = 0.2f;
    arp.gainDb = -19.0f;
    arp.pan = -0.3f;
    arp.duck = 0.3f;
    arp.reverbSend = 0.1f;

    Channel &lead = s.Add("lead");
    lead.voice.osc1 = Waveform::Pulse;
    lead.voice.pulseWidth = 0.25f;
    lead.voice.amp = {0.002f, 0.15f, 0.75f, 0.04f};
    lead.voice.vibratoDepth = 0.25f;
    lead.voice.vibratoRate = 6.0f;
    lead.voice.vibratoDelay = 0.2f;
    lead.voice.pitchDrop = 0.6f;
    lead.voice.pitchDropTime = 0.012f;
    lead.gainDb = -11.0f;
    lead.pan = 0.1f;
    lead.delaySend = 0.25f;
    lead.reverbSend = 0.1f;

    Channel &low = s.Add("lead double");
    low.voice.osc1 = Waveform::Pulse;
    low.voice.pulseWidth = 0.125f;
    low.voice.pwmDepth = 0.05f;
    low.voice.pwmRate = 3.0f;
    low.voice.amp = {0.002f, 0.15f, 0.7f, 0.04f};
    low.gainDb = -17.0f;
    low.pan = -0.25f;
    low.delaySend = 0.15f;

    std::vector<std::string> chart;
    std::vector<int> shift; // semitones per bar (the last chorus is up a whole step)
    auto put = [&](const std::vector<std::string> &p, int bars, int semis) {
        for (const auto &c : Chart(p, bars)) {
            chart.push_back(c);
            shift.push_back(semis);
        }
    };
    put(kChorus, 8, 0);  // intro
    put(kVerse, 16, 0);  // verse
    put(kChorus, 16, 0); // chorus
    put(kBreak, 16, 0);  // break
    put(kVerse, 15, 0);  // verse
    put({"A7"}, 1, 0);   // turn to D
    put(kChorus, 16, 2); // chorus in D
    put(kChorus, 16, 0); // outro

    ForBars(0, chart, [&](int bar, const Chord &chord) {
        const double b = Bar(bar);
        const int t = shift[bar];
        const bool breakBar = bar >= 40 && bar < 56;
        // The chip "chord": one voice racing through the triad in 32nds.
        AddArp(arp, b, chord, 4.0, breakBar ? "0123" : "012", 64, 0.125, 0.75f, 0.95f, t);
        // Triangle bass: octave bounce, busier in the choruses.
        const bool chorus = (bar >= 24 && bar < 40) || (bar >= 72 && bar < 88);
        const char *rhythm = breakBar ? "R-------R---O---"
                             : chorus ? "R-O-R-OFR-O-R-OF"
                                      : "R-O-R-O-R-O-R-O-";
        if (!(bar >= 100))
            AddBass(bass, b, chord, rhythm, 36, 0.25, 0.85f, 0.75f, t);
        else
            AddBass(bass, b, chord, "R-------R-------", 36, 0.25, 0.7f, 0.75f, t);
    });

    // Drums.
    for (int bar = 4; bar < 102; ++bar) {
        const double b = Bar(bar);
        const bool chorus = (bar >= 24 && bar < 40) || (bar >= 72 && bar < 88);
        const bool breakBar = bar >= 40 && bar < 56;
        const bool phraseEnd = bar % 8 == 7;
        if (bar < 8) {
            AddDrums(kick, b, "X.......X.......");
            AddDrums(hat, b, "x.x.x.x.x.x.x.x.", 0.8f);
            if (bar == 7)
                AddDrums(snare, b, "........X.X.XXXX", 0.8f);
            continue;
        }
        if (breakBar) {
            AddDrums(kick, b, bar >= 52 ? "X...X...X...X..." : "X.........X.....");
            AddDrums(hat, b, "x.o.x.o.x.o.x.o.", 0.6f);
            if (bar < 52)
                AddDrums(snare, b, "........X.......");
            continue;
        }
        if (bar >= 96) {
            // Outro: the groove falls away two bars at a time.
            AddDrums(kick, b, bar < 100 ? "X.......X.......": "X...............");
            AddDrums(hat, b, "x.x.x.x.x.x.x.x.", bar < 100 ? 0.8f : 0.55f);
            continue;
        }
        AddDrums(kick, b, chorus ? "X...X...X...X..." : "X.....x.X.......");
        AddDrums(hat, b, chorus ? "xoxoXoxoxoxoXoxo" : "x.x.x.x.x.x.x.x.", 0.8f);
        if (phraseEnd) {
            AddDrums(snare, b, "....X.......X.X.");
            AddDrums(tom, b + 3.0, "X.x.", 1.0f, 1.3f);
            AddDrums(tom, b + 3.25, "X.x", 1.0f, 0.8f);
        } else {
            AddDrums(snare, b, chorus ? "....X..x....X..." : "....X.......X...");
        }
    }
    AddRoll(snare, Bar(52), 8, 0.5, 0.3f, 0.5f);
    AddRoll(snare, Bar(54), 16, 0.25, 0.5f, 0.75f);
    AddRoll(snare, Bar(55), 16, 0.25, 0.75f, 1.0f);

    // Tunes.
    for (int start : {8, 16, 56, 64})
        AddMelody(lead, Bar(start), kVerseTune, 0.25, 0.8f, 0.85f);
    for (int start : {24, 32}) {
        AddMelody(lead, Bar(start), kHook, 0.25, 0.85f, 0.85f);
        if (start == 32)
            AddMelody(low, Bar(start), kHook, 0.25, 0.8f, 0.85f, -12);
    }
    for (int start : {72, 80}) {
        AddMelody(lead, Bar(start), kHook, 0.25, 0.85f, 0.85f, 2);
        AddMelody(low, Bar(start), kHook, 0.25, 0.8f, 0.85f, -10);
    }
    AddMelody(lead, Bar(40), kBreakTune, 0.25, 0.75f, 0.9f);
    AddMelody(low, Bar(48), kBreakTune, 0.25, 0.7f, 0.9f, -12);
    // Outro: the hook's first half once more, then only the arpeggio and bass remain.
    AddMelody(lead, Bar(88), kHook, 0.25, 0.75f, 0.85f);
    return s;
}

} // namespace music
