// Side C, "Pixel Ferry": the uptempo chip-flavoured track. C major, 144 BPM, 104 bars.
//
// Bars   0- 7 intro     fast 32nd-note chord arpeggios and a bouncing triangle bass; beat from bar 4
// Bars   8-23 verse     a low pulse-wave tune over F G Em Am with a skipping kick; the
//                       second half adds a square-wave echo of the tune on the right
// Bars  24-39 chorus    the hook on a 25% pulse, doubled an octave down the second time
//                       over a driving octave bass
// Bars  40-47 break     drums and bass out: the arpeggio alone, quiet and filtered, under
//                       a slow echoing line
// Bars  48-55 build     kick on every beat, the filter opens, the line doubled below, a
//                       snare roll on E7
// Bars  56-71 verse     again with a syncopated bass and a rocking arpeggio; bar 71 turns
//                       to A7 and drops out
// Bars  72-87 chorus    up a whole step in D major, full drums; the second half with the
//                       low double, galloping bass and tom fills
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
    s.delay.monoIn = true;
    s.reverb.decaySeconds = 1.2f;
    s.reverb.size = 0.7f;
    s.duckRelease = 0.1f;

    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    // Tuned to C2, the key note, with a short chip-style decay.
    kick.drum = {DrumKind::Kick, 65.41f, 330.0f, 0.016f, 0.11f, 0.5f, 0.0f, 0.6f, 1.0f};
    kick.sidechainSource = true;
    kick.gainDb = -4.0f;

    Channel &snare = s.Add("snare");
    snare.isDrum = true;
    snare.drum = {DrumKind::Snare, 220.0f, 0, 0, 0.09f, 0.95f, 0, 0.5f, 1.0f};
    snare.gainDb = -7.0f;
    snare.reverbSend = 0.25f;

    Channel &hat = s.Add("hat");
    hat.isDrum = true;
    hat.drum = {DrumKind::ClosedHat, 0, 0, 0, 0.022f, 1.0f, 0, 0, 1.0f};
    hat.gainDb = -12.0f;
    hat.pan = 0.6f;

    Channel &tom = s.Add("tom");
    tom.isDrum = true;
    tom.drum = {DrumKind::Tom, 110.0f, 260.0f, 0.03f, 0.12f, 0.2f, 0, 0, 1.0f};
    tom.gainDb = -7.0f;
    tom.pan = -0.35f;

    Channel &bass = s.Add("bass");
    bass.voice.osc1 = Waveform::Triangle;
    bass.voice.amp = {0.002f, 0.1f, 0.9f, 0.02f};
    bass.voice.velocitySense = 0.3f;
    bass.gainDb = -7.0f;
    bass.duck = 0.3f;
    bass.highPass = 35.0f;

    Channel &arp = s.Add("arp");
    arp.voice.osc1 = Waveform::Pulse;
    arp.voice.pulseWidth = 0.5f;
    arp.voice.amp = {0.001f, 0.05f, 0.7f, 0.01f};
    arp.voice.velocitySense = 0.2f;
    arp.gainDb = -15.0f;
    arp.pan = -0.85f;
    arp.delaySend = 0.15f;
    arp.duck = 0.3f;
    arp.reverbSend = 0.1f;

    // The arpeggio's echo: the same figure three 32nds late on the other side, the old
    // trick of a spare sound channel for width.
    Channel &arpEcho = s.Add("arp echo");
    arpEcho.voice = arp.voice;
    arpEcho.gainDb = -17.0f;
    arpEcho.pan = 0.85f;
    arpEcho.duck = 0.3f;
    arpEcho.reverbSend = 0.15f;

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
    lead.pan = 0.0f;
    lead.delaySend = 0.25f;
    lead.reverbSend = 0.22f;
    // A slow, shallow, fully wet chorus spreads the lead without a dry centre.
    lead.chorus = true;
    lead.chorusParams = {0.4f, 0.0015f, 0.009f, 1.0f};

    Channel &low = s.Add("lead double");
    low.voice.osc1 = Waveform::Pulse;
    low.voice.pulseWidth = 0.125f;
    low.voice.pwmDepth = 0.05f;
    low.voice.pwmRate = 3.0f;
    low.voice.amp = {0.002f, 0.15f, 0.7f, 0.04f};
    low.gainDb = -15.0f;
    low.pan = 0.6f;
    low.reverbSend = 0.15f;
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
        const bool verse2 = bar >= 56 && bar < 72;
        // The chip "chord": one voice racing through the triad in 32nds.
        AddArp(arp, b, chord, 4.0, breakBar ? "0123" : verse2 ? "0121" : "012", 64, 0.125, 0.75f,
               0.95f, t);
        // Triangle bass: octave bounce, a new rhythm in every section.
        const char *rhythm = "R-O-R-O-R-O-R-O-";
        if (bar >= 16 && bar < 24)
            rhythm = "R.ORR.ORR.ORR.OF";
        else if ((bar >= 24 && bar < 32) || (bar >= 72 && bar < 80))
            rhythm = "R-O-R-OFR-O-R-OF";
        else if (bar >= 32 && bar < 40)
            rhythm = "RORRORORRORRORFO";
        else if (bar >= 80 && bar < 88)
            rhythm = "R.RRO.OOR.RRO.OF";
        else if (bar >= 40 && bar < 48)
            rhythm = "";
        else if (bar >= 48 && bar < 56)
            rhythm = "R---R---R---R-O-";
        else if (bar >= 56 && bar < 64)
            rhythm = "R..OR..OR.O.R..O";
        else if (bar >= 64 && bar < 72)
            rhythm = "R-OOR-OOR-OOR-OF";
        else if (bar >= 100)
            rhythm = "R-------R-------";
        AddBass(bass, b, chord, rhythm, 36, 0.25, bar >= 100 ? 0.7f : 0.85f, 0.75f, t);
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
            // The first half keeps only a ticking hat; the build brings the kick back.
            if (bar >= 48)
                AddDrums(kick, b, "X...X...X...X...");
            AddDrums(hat, b, bar >= 48 ? "x.o.x.o.x.o.x.o." : "o...o...o...o...", 0.6f);
            continue;
        }
        if (bar >= 96) {
            // Outro: the groove falls away two bars at a time.
            AddDrums(kick, b, bar < 100 ? "X.......X.......": "X...............");
            AddDrums(hat, b, "x.x.x.x.x.x.x.x.", bar < 100 ? 0.8f : 0.55f);
            continue;
        }
        const bool late = bar >= 80 && bar < 88;
        AddDrums(kick, b, chorus ? (late ? "X...X...X..xX..." : "X...X...X...X...") : "X.....x.X.......");
        AddDrums(hat, b, chorus ? "xoxoXoxoxoxoXoxo" : bar >= 16 ? "x.xox.xox.xox.xo" : "x.x.x.x.x.x.x.x.",
                 0.8f);
        if (late && bar % 2 == 1)
            AddDrums(tom, b + 2.0, "..X.x.X.", 1.0f, 1.1f);
        if (phraseEnd) {
            AddDrums(snare, b, "....X.......X.X.");
            AddDrums(tom, b + 3.0, "X.x.", 1.0f, 1.3f);
            AddDrums(tom, b + 3.25, "X.x", 1.0f, 0.8f);
        } else {
            AddDrums(snare, b, chorus ? "....X..x....X..." : "....X.......X...");
        }
    }
    AddRoll(snare, Bar(50), 8, 0.5, 0.2f, 0.3f);
    AddRoll(snare, Bar(52), 8, 0.5, 0.3f, 0.5f);
    AddRoll(snare, Bar(54), 16, 0.25, 0.5f, 0.75f);
    AddRoll(snare, Bar(55), 16, 0.25, 0.75f, 1.0f);

    // Tunes.
    for (int start : {8, 16, 56, 64})
        AddMelody(lead, Bar(start), kVerseTune, 0.25, 0.8f, 0.85f);
    // The echo of the tune: a sixteenth late, on the right.
    AddMelody(low, Bar(16) + 0.25, kVerseTune, 0.25, 0.6f, 0.6f);
    for (int start : {24, 32}) {
        AddMelody(lead, Bar(start), kHook, 0.25, 0.85f, 0.85f);
        if (start == 32)
            AddMelody(low, Bar(start), kHook, 0.25, 0.8f, 0.85f, -12);
    }
    AddMelody(lead, Bar(72), kHook, 0.25, 0.85f, 0.85f, 2);
    AddMelody(lead, Bar(80), kHook, 0.25, 0.85f, 0.85f, 2);
    AddMelody(low, Bar(80), kHook, 0.25, 0.8f, 0.85f, -10);
    AddMelody(lead, Bar(40), kBreakTune, 0.25, 0.75f, 0.9f);
    AddMelody(low, Bar(48), kBreakTune, 0.25, 0.7f, 0.9f, -12);
    // The break: arpeggio down and filtered, opening through the build.
    arp.levelDb.Add(Bar(39.5), 0.0f);
    arp.levelDb.Add(Bar(40), -8.0f);
    arp.levelDb.Add(Bar(48), -8.0f);
    arp.levelDb.Add(Bar(56), 0.0f);
    arp.cutoff.Add(Bar(39.9), 16000.0f);
    arp.cutoff.Add(Bar(40), 900.0f);
    arp.cutoff.Add(Bar(48), 1200.0f);
    arp.cutoff.Add(Bar(55.9), 16000.0f);
    for (const NoteEvent &ev : arp.notes)
        arpEcho.notes.push_back({ev.beat + 0.375, ev.length, ev.pitch, ev.velocity});
    arpEcho.levelDb = arp.levelDb;
    arpEcho.cutoff = arp.cutoff;
    // The intro and the end of the outro sit back, so the beat arrives.
    for (Channel *ch : {&arp, &arpEcho, &bass}) {
        CAutomation &lv = ch->levelDb;
        CAutomation shaped;
        shaped.Add(Bar(0), -6.0f);
        shaped.Add(Bar(4), -6.0f);
        shaped.Add(Bar(4.25), 0.0f);
        for (double beat = Bar(4.5); beat < Bar(100); beat += 1.0)
            shaped.Add(beat, lv.Eval(beat));
        shaped.Add(Bar(100), 0.0f);
        shaped.Add(Bar(104), -6.0f);
        lv = shaped;
    }
    lead.levelDb.Add(Bar(39.5), 0.0f);
    lead.levelDb.Add(Bar(40), -6.0f);
    lead.levelDb.Add(Bar(48), -6.0f);
    lead.levelDb.Add(Bar(52), 0.0f);
    // Bar 71 (A7) drops out before the chorus comes back up a step.
    for (Channel *ch : {&kick, &snare, &hat, &tom, &bass, &lead, &low})
        Clear(*ch, Bar(71), Bar(72));
    // Outro: the hook's first half once more, then only the arpeggio and bass remain.
    AddMelody(lead, Bar(88), kHook, 0.25, 0.75f, 0.85f);
    return s;
}

} // namespace music
