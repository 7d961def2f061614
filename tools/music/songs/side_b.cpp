// Side B, "Dusk Over Marrowlake": the calm, spacious piece. D major, 72 BPM, 60 bars.
//
// Bars  0- 7 intro    slow pad swells and an FM bell arpeggio echoing across the water,
//                     one bell a beat at first, then eighths
// Bars  8-15 build    a round sub bass joins, a shaker starts to breathe from bar 12
// Bars 16-31 theme    a soft breathy lead sings the tune over a gentle kick, rim and
//                     a whispering hat on the right
// Bars 32-39 break    drums and bass rest, the pad sinks back; an electric piano breaks
//                     the chords and the bells answer across the stereo field; from bar
//                     36 the pad and shaker swell back, and bar 39 drops out
// Bars 40-55 return   the tune an octave lower over a low string line, the piano now in
//                     half notes; from bar 48 back up, doubled by bells an octave above
//                     and pushed along by a busier kick
// Bars 56-59 outro    back to pad and bells, settling on A sus4 so the loop lands on D
#include "arrange.h"
#include "songs.h"

namespace music {

using namespace synth;

namespace {

const std::vector<std::string> kHome = {"Dmaj7", "F#m7", "Gmaj7", "Asus4"};
const std::vector<std::string> kAway = {"Bm7", "Gmaj7", "Em7", "A7sus4"};
const std::vector<std::string> kOutro = {"Dmaj7", "Gmaj7", "Dmaj7", "Asus4"};

const char *kTune =
    "a5:6 f#5:2 e5:4 d5:4 c#5:8 e5:4 a5:4 b5:6 a5:2 f#5:4 d5:4 e5:12 r:4 "
    "a5:6 f#5:2 e5:4 a5:4 c#6:8 b5:4 a5:4 b5:4 d6:4 f#5:4 g5:2 a5:2 a5:12 r:4 "
    "f#5:6 d5:2 b4:4 d5:4 d5:6 b4:2 f#5:8 g5:4 e5:4 b5:4 a5:2 g5:2 a5:8 g5:4 e5:4 "
    "f#5:6 a5:2 b5:4 d6:4 d6:6 c#6:2 b5:4 f#5:4 g5:4 b5:4 e6:4 d6:4 e6:8 d6:4 c#6:4";

const char *kStrings =
    "f#4:16 a4:16 b4:16 e4:16 f#4:16 e4:16 d4:16 e4:16 "
    "d4:16 d4:16 e4:16 e4:16 f#4:16 g4:16 g4:16 a4:16";

const char *kBreakBells =
    "f#5:8 d5:8 b4:16 g5:8 e5:4 d5:4 e5:16 "
    "a5:8 f#5:8 d5:8 b4:8 b5:8 g5:8 a5:16";

} // namespace

Song MakeSideB() {
    Song s;
    s.title = "Dusk Over Marrowlake";
    s.bpm = 72.0f;
    s.lengthBeats = Bar(60);
    const double beat = s.SecondsPerBeat();
    s.delay.leftSeconds = static_cast<float>(0.75 * beat);
    s.delay.rightSeconds = static_cast<float>(1.0 * beat);
    s.delay.feedback = 0.45f;
    s.delay.pingPong = 0.7f;
    s.delay.damping = 4500.0f;
    s.delay.monoIn = true;
    s.reverb.decaySeconds = 4.2f;
    s.reverb.preDelay = 0.04f;
    s.reverb.size = 1.4f;
    s.reverb.damping = 7500.0f;
    s.duckRelease = 0.3f;

    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    // Tuned to A1, the fifth of D major; a soft, short thump under the tune.
    kick.drum = {DrumKind::Kick, 55.0f, 120.0f, 0.035f, 0.2f, 0.5f, 0.1f, 0.1f, 1.0f};
    kick.sidechainSource = true;
    kick.gainDb = -6.0f;

    Channel &rim = s.Add("rim");
    rim.isDrum = true;
    rim.drum = {DrumKind::Rim, 420.0f, 0, 0, 0.05f, 0.5f, 0, 0, 1.0f};
    rim.gainDb = -17.0f;
    rim.pan = -0.2f;
    rim.reverbSend = 0.5f;

    Channel &shaker = s.Add("shaker");
    shaker.isDrum = true;
    shaker.drum = {DrumKind::Shaker, 0, 0, 0, 0.05f, 0.5f, 0, 0, 1.0f};
    shaker.gainDb = -14.0f;
    shaker.pan = -0.5f;
    shaker.reverbSend = 0.3f;

    Channel &hat = s.Add("hat");
    hat.isDrum = true;
    hat.drum = {DrumKind::ClosedHat, 0, 0, 0, 0.04f, 0.9f, 0, 0, 1.0f};
    hat.gainDb = -17.0f;
    hat.pan = 0.55f;
    hat.reverbSend = 0.3f;

    Channel &pad = s.Add("pad");
    pad.voice.osc1 = Waveform::Saw;
    pad.voice.unison = 3;
    pad.voice.unisonDetune = 12.0f;
    pad.voice.osc2 = Waveform::Triangle;
    pad.voice.osc2Level = 0.8f;
    pad.voice.osc2Semis = -12.0f;
    pad.voice.filterOn = true;
    pad.voice.cutoff = 1100.0f;
    pad.voice.q = 0.8f;
    pad.voice.keyTrack = 0.4f;
    pad.voice.amp = {1.6f, 2.0f, 0.9f, 2.4f};
    pad.voice.velocitySense = 0.3f;
    pad.voice.noiseLevel = 0.05f; // breath on top of the strings of the pad
    pad.gainDb = -12.0f;
    pad.reverbSend = 0.55f;
    pad.duck = 0.15f;
    pad.highPass = 90.0f;
    pad.chorus = true;
    pad.chorusParams = {0.18f, 0.006f, 0.016f, 1.0f};

    Channel &bells = s.Add("bells");
    bells.voice.osc1Level = 0.0f;
    bells.voice.fmLevel = 1.0f;
    bells.voice.fmRatio = 2.0f;
    bells.voice.fmIndex = 1.8f;
    bells.voice.fmSustain = 0.1f;
    bells.voice.fmDecay = 0.5f;
    bells.voice.amp = {0.003f, 2.2f, 0.0f, 1.5f};
    bells.gainDb = -15.0f;
    bells.pan = 0.5f;
    bells.highPass = 200.0f;
    bells.delaySend = 0.45f;
    bells.reverbSend = 0.5f;

    Channel &bass = s.Add("sub bass");
    bass.voice.osc1 = Waveform::Sine;
    bass.voice.osc2 = Waveform::Triangle;
    bass.voice.osc2Level = 0.25f;
    bass.voice.amp = {0.06f, 0.5f, 0.9f, 0.5f};
    bass.voice.velocitySense = 0.3f;
    bass.gainDb = -6.0f;
    bass.duck = 0.3f;
    bass.highPass = 35.0f;

    Channel &lead = s.Add("lead");
    lead.voice.osc1 = Waveform::Triangle;
    lead.voice.osc2 = Waveform::Sine;
    lead.voice.osc2Level = 0.3f;
    lead.voice.osc2Semis = 12.0f;
    lead.voice.noiseLevel = 0.07f;
    lead.voice.filterOn = true;
    lead.voice.cutoff = 2600.0f;
    lead.voice.q = 0.7f;
    lead.voice.amp = {0.09f, 0.4f, 0.85f, 0.5f};
    lead.voice.vibratoDepth = 0.18f;
    lead.voice.vibratoRate = 4.8f;
    lead.voice.vibratoDelay = 0.45f;
    lead.gainDb = -8.0f;
    lead.pan = -0.1f;
    lead.reverbSend = 0.45f;
    lead.delaySend = 0.18f;

    Channel &strings = s.Add("strings");
    strings.voice.osc1 = Waveform::Saw;
    strings.voice.unison = 5;
    strings.voice.unisonDetune = 18.0f;
    strings.voice.filterOn = true;
    strings.voice.cutoff = 1300.0f;
    strings.voice.q = 0.7f;
    strings.voice.amp = {0.7f, 1.0f, 1.0f, 1.2f};
    strings.voice.vibratoDepth = 0.06f;
    strings.voice.vibratoRate = 5.2f;
    strings.gainDb = -14.0f;
    strings.pan = -0.45f;
    strings.highPass = 120.0f;
    strings.reverbSend = 0.5f;

    Channel &piano = s.Add("electric piano");
    piano.voice.osc1 = Waveform::Triangle;
    piano.voice.osc1Level = 0.35f;
    piano.voice.fmLevel = 1.0f;
    piano.voice.fmRatio = 1.0f;
    piano.voice.fmIndex = 1.4f;
    piano.voice.fmSustain = 0.25f;
    piano.voice.fmDecay = 0.6f;
    piano.voice.amp = {0.003f, 2.5f, 0.0f, 0.7f};
    piano.gainDb = -12.0f;
    piano.pan = -0.35f;
    piano.reverbSend = 0.4f;
    piano.delaySend = 0.2f;

    std::vector<std::string> chart;
    auto put = [&chart](const std::vector<std::string> &p, int bars) {
        for (const auto &c : Chart(p, bars))
            chart.push_back(c);
    };
    put(kHome, 16); // intro, build
    put(kHome, 8);  // theme
    put(kAway, 8);
    put(kAway, 8);  // break
    put(kHome, 8);  // return
    put(kAway, 8);
    put(kOutro, 4);

    ForBars(0, chart, [&](int bar, const Chord &chord) {
        const double b = Bar(bar);
        AddChord(pad, b, chord, 4.0, 57, 0.6f + 0.1f * (bar % 2));
        // Bells: a slow eighth-note figure, thinner while the tune sings.
        const bool tune = (bar >= 16 && bar < 32) || (bar >= 40 && bar < 56);
        if (bar < 4)
            AddArp(bells, b, chord, 4.0, bar % 2 ? "4320" : "0235", 69, 1.0, 0.6f, 0.6f);
        else if (!tune)
            AddArp(bells, b, chord, 4.0, bar % 2 ? "4320" : "0235", 69, 0.5, 0.65f, 0.6f);
        else if (bar % 2 == 1)
            AddArp(bells, b + 2.0, chord, 2.0, "5420", 69, 0.5, 0.45f, 0.6f);
        // Sub bass from the build on, resting in the outro.
        if (bar >= 8 && bar < 56 && !(bar >= 32 && bar < 40)) {
            const char *rhythm = bar >= 16 ? "R-----------R-F-" : "R---------------";
            AddBass(bass, b, chord, rhythm, 36, 0.25, 0.8f, 0.95f);
        }
        // The piano breaks the chords in the break and lends warmth to the return.
        if (bar >= 32 && bar < 40)
            AddArp(piano, b, chord, 4.0, "0123", 57, 1.0, 0.7f, 0.9f);
        else if (bar >= 40 && bar < 56)
            AddArp(piano, b, chord, 4.0, "02", 57, 2.0, 0.5f, 0.95f);
    });
    // The pad opens from the intro into the theme and closes again at the end.
    pad.cutoff.Add(Bar(0), 900.0f);
    pad.cutoff.Add(Bar(16), 4000.0f);
    pad.cutoff.Add(Bar(32), 2500.0f);
    pad.cutoff.Add(Bar(40), 4000.0f);
    pad.cutoff.Add(Bar(56), 3000.0f);
    pad.cutoff.Add(Bar(60), 900.0f);
    pad.cutoffQ = 0.9f;
    // The break sinks back and swells into the return.
    pad.levelDb.Add(Bar(31.5), 0.0f);
    pad.levelDb.Add(Bar(32.5), -11.0f);
    pad.levelDb.Add(Bar(36), -11.0f);
    pad.levelDb.Add(Bar(39), 0.0f);

    // Drums: shaker first, then the gentle groove.
    for (int bar = 12; bar < 56; ++bar) {
        if (bar >= 32 && bar < 40)
            continue;
        const double b = Bar(bar);
        AddDrums(shaker, b, bar < 16 ? "o.x.o.x.o.x.o.x." : "oxoxoxoxoxoxoxxo", 0.8f);
        if (bar < 16)
            continue;
        AddDrums(hat, b, bar >= 40 ? "..x...x...x...xo" : "..o...x...o...x.", 0.8f);
        if (bar >= 48)
            AddDrums(kick, b, bar % 4 == 3 ? "X.....x...x.x.x." : "X.....x...x.....");
        else
            AddDrums(kick, b, bar % 4 == 3 ? "X.........x...x." : "X.........x.....");
        AddDrums(rim, b, bar % 8 == 7 ? "....x.......x.oo" : "....x.......x...");
    }

    // The shaker swells back through the end of the break.
    AddRoll(shaker, Bar(36), 24, 0.5, 0.15f, 0.8f);
    AddMelody(lead, Bar(16), kTune, 0.25, 0.8f, 0.96f);
    // The return: the first half of the tune an octave down, the second half back up
    // with the bells above it.
    Channel retune;
    AddMelody(retune, Bar(40), kTune, 0.25, 0.85f, 0.96f);
    for (NoteEvent ev : retune.notes) {
        if (ev.beat < Bar(48))
            ev.pitch -= 12.0f;
        else
            bells.notes.push_back({ev.beat, ev.length, ev.pitch + 12.0f, 0.5f});
        lead.notes.push_back(ev);
    }
    AddMelody(strings, Bar(40), kStrings, 0.25, 0.7f, 1.0f);
    AddMelody(bells, Bar(32), kBreakBells, 0.25, 0.75f, 0.8f);
    // Bar 39 drops out: the last echoes of the bells hang before the tune returns.
    for (Channel *ch : {&shaker, &piano, &bells})
        Clear(*ch, Bar(39), Bar(40));
    return s;
}

} // namespace music
