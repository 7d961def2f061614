// Side A, "Undertow Lights": the driving opener. E minor, 124 BPM, 96 bars.
//
// Bars  0- 7 intro      arpeggio and pad behind a closed filter that opens; kick from bar 4
// Bars  8-15 build      offbeat bass, claps, noise riser and snare roll into the theme
// Bars 16-31 theme A    rolling bass, supersaw chords, the lead's main tune; the second
//                       pass adds a low countermelody on the left and open-hat sixteenths
// Bars 32-47 theme B    the lift: C D Bm Em, higher lead line, busier hats; the second
//                       pass answers the lead with the countermelody and a climbing arp
// Bars 48-63 break      kick and claps out, soft hats and held bass notes: FM bells over
//                       wide, quieter chords; from bar 56 the kick, riser and rolls
//                       build back; bar 63 drops to the pad and the riser
// Bars 64-79 return     theme A with bells doubling the lead an octave up over a high
//                       eighth-note arp, then the countermelody, a low rippling arp and
//                       a pushing kick
// Bars 80-87 theme B    once more, bells in unison with the lead and the arp in eighths,
//                       ending on E minor
// Bars 88-95 outro      drums thin out and the filter closes back into the intro
#include "arrange.h"
#include "songs.h"

namespace music {

using namespace synth;

namespace {

const std::vector<std::string> kMain = {"Em", "C", "G", "D"};
const std::vector<std::string> kBuild = {"Am", "Em", "C", "B7"};
const std::vector<std::string> kLift = {"C", "D", "Bm", "Em", "C", "D", "B7", "Em"};
const std::vector<std::string> kBreak = {"Cmaj7", "Am7", "Em7", "D", "Cmaj7", "Am7", "B7", "B7"};

// Main tune over Em C G D, two 4-bar phrases (steps are sixteenths).
const char *kThemeA =
    "e5:2 g5:2 b5:4 a5:2 g5:2 f#5:2 g5:2 "
    "e5:6 d5:2 e5:2 g5:2 c6:4 "
    "b5:4 a5:2 g5:2 d5:4 g5:2 a5:2 "
    "f#5:8 e5:2 f#5:2 a5:4 "
    "e5:2 g5:2 b5:4 a5:2 g5:2 b5:2 e6:2! "
    "d6:4 c6:4 b5:2 a5:2 g5:4 "
    "b5:2 a5:2 g5:2 d5:2 g5:4 a5:4 "
    "f#5:12 r:4";

// The lift over C D Bm Em / C D B7 Em.
const char *kThemeB =
    "g5:4 e6:6! d6:2 c6:4 "
    "d6:4 a5:6 f#5:2 a5:4 "
    "b5:6 d6:2 f#6:4! e6:2 d6:2 "
    "e6:8 d6:2 b5:2 g5:4 "
    "g5:4 e6:6! d6:2 e6:4 "
    "f#6:4 e6:4 d6:4 a5:4 "
    "f#6:4 d#6:4 b5:4 a5:4 "
    "g5:4 e5:12";

// Low countermelody under theme A (Em C G D, twice).
const char *kCounterA =
    "b4:8 g4:8 c5:8 e5:4 g4:4 d5:8 b4:8 a4:12 f#4:4 "
    "g4:8 b4:8 e5:8 c5:8 b4:4 d5:4 g5:8 f#5:8 a4:8";

// Countermelody of the lift (C D Bm Em C D B7 Em).
const char *kCounterB =
    "e5:8 g5:8 f#5:8 a5:8 d5:8 f#5:8 e5:8 b4:8 "
    "c5:8 e5:8 d5:8 f#5:8 d#5:8 f#5:8 e5:16";

// Bell line of the break, over Cmaj7 Am7 Em7 D.
const char *kBells =
    "b5:4 g5:4 e5:8 c6:4 a5:4 e5:8 d6:4 b5:4 g5:4 e5:4 f#5:8 a5:8 "
    "b5:4 g5:4 e6:8 e6:4 c6:4 a5:8 d#6:4 b5:4 f#5:4 a5:4 b5:16";

} // namespace

Song MakeSideA() {
    Song s;
    s.title = "Undertow Lights";
    s.bpm = 124.0f;
    s.lengthBeats = Bar(96);
    const double beat = s.SecondsPerBeat();
    s.delay.leftSeconds = static_cast<float>(0.75 * beat);
    s.delay.rightSeconds = static_cast<float>(0.75 * beat);
    s.delay.feedback = 0.42f;
    s.delay.pingPong = 0.9f;
    s.delay.damping = 3500.0f;
    s.delay.monoIn = true;
    s.reverb.decaySeconds = 2.2f;
    s.reverb.damping = 5000.0f;
    s.duckRelease = 0.14f;

    Channel &kick = s.Add("kick");
    kick.isDrum = true;
    // Tuned to B1, the fifth of E minor, and short enough to stay out of the bass's way.
    kick.drum = {DrumKind::Kick, 61.74f, 190.0f, 0.028f, 0.15f, 0.5f, 0.4f, 0.45f, 1.0f};
    kick.sidechainSource = true;
    kick.gainDb = -2.0f;

    Channel &clap = s.Add("clap");
    clap.isDrum = true;
    clap.drum = {DrumKind::Clap, 0, 0, 0, 0.13f, 0.45f, 0, 0, 1.0f};
    clap.gainDb = -8.0f;
    clap.reverbSend = 0.3f;

    Channel &snare = s.Add("snare");
    snare.isDrum = true;
    snare.drum = {DrumKind::Snare, 185.0f, 0, 0, 0.12f, 0.55f, 0, 0.3f, 1.0f};
    snare.gainDb = -8.0f;
    snare.reverbSend = 0.25f;
    snare.pan = 0.05f;

    Channel &hat = s.Add("closed hat");
    hat.isDrum = true;
    hat.drum = {DrumKind::ClosedHat, 0, 0, 0, 0.03f, 0.45f, 0, 0, 1.0f};
    hat.gainDb = -12.0f;
    hat.pan = 0.55f;

    Channel &open = s.Add("open hat");
    open.isDrum = true;
    open.drum = {DrumKind::OpenHat, 0, 0, 0, 0.18f, 0.5f, 0, 0, 1.0f};
    open.gainDb = -14.0f;
    open.pan = -0.55f;
    open.reverbSend = 0.1f;

    Channel &crash = s.Add("crash");
    crash.isDrum = true;
    crash.drum = {DrumKind::OpenHat, 0, 0, 0, 0.9f, 0.85f, 0, 0, 1.0f};
    crash.gainDb = -17.0f;
    crash.pan = -0.1f;
    crash.reverbSend = 0.3f;

    Channel &bass = s.Add("bass");
    bass.voice.osc1 = Waveform::Saw;
    bass.voice.osc2 = Waveform::Pulse;
    bass.voice.osc2Level = 0.5f;
    bass.voice.osc2Cents = 6.0f;
    bass.voice.subLevel = 0.45f;
    bass.voice.filterOn = true;
    bass.voice.cutoff = 260.0f;
    bass.voice.q = 1.3f;
    bass.voice.envOctaves = 2.6f;
    bass.voice.filterEnv = {0.001f, 0.16f, 0.0f, 0.05f};
    bass.voice.amp = {0.002f, 0.2f, 0.8f, 0.04f};
    bass.voice.drive = 0.3f;
    bass.voice.velocitySense = 0.5f;
    bass.gainDb = -6.0f;
    bass.duck = 0.55f;
    bass.highPass = 35.0f;

    Channel &pad = s.Add("pad");
    pad.voice.osc1 = Waveform::Saw;
    pad.voice.unison = 5;
    pad.voice.unisonDetune = 30.0f;
    pad.voice.filterOn = true;
    pad.voice.cutoff = 3500.0f;
    pad.voice.q = 0.8f;
    pad.voice.keyTrack = 0.3f;
    pad.voice.amp = {0.25f, 1.0f, 0.8f, 0.7f};
    pad.gainDb = -12.0f;
    pad.duck = 0.75f;
    pad.reverbSend = 0.35f;
    pad.highPass = 140.0f;
    // Fully wet chorus: the two opposed taps make the pad wide while its mono sum stays
    // a plain chorus.
    pad.chorus = true;
    pad.chorusParams = {0.3f, 0.006f, 0.016f, 1.0f};

    Channel &arp = s.Add("arp");
    arp.voice.osc1 = Waveform::Pulse;
    arp.voice.pulseWidth = 0.3f;
    arp.voice.osc2 = Waveform::Saw;
    arp.voice.osc2Level = 0.4f;
    arp.voice.osc2Cents = 7.0f;
    arp.voice.filterOn = true;
    arp.voice.cutoff = 1000.0f;
    arp.voice.q = 2.2f;
    arp.voice.envOctaves = 3.0f;
    arp.voice.filterEnv = {0.001f, 0.12f, 0.0f, 0.1f};
    arp.voice.amp = {0.001f, 0.22f, 0.25f, 0.08f};
    arp.gainDb = -15.0f;
    arp.pan = 0.6f;
    arp.highPass = 120.0f;
    arp.duck = 0.45f;
    arp.delaySend = 0.35f;
    arp.reverbSend = 0.1f;

    Channel &lead = s.Add("lead");
    lead.voice.osc1 = Waveform::Saw;
    lead.voice.unison = 3;
    lead.voice.unisonDetune = 14.0f;
    lead.voice.osc2 = Waveform::Pulse;
    lead.voice.osc2Level = 0.35f;
    lead.voice.osc2Semis = 12.0f;
    lead.voice.filterOn = true;
    lead.voice.cutoff = 3000.0f;
    lead.voice.q = 1.4f;
    lead.voice.envOctaves = 1.4f;
    lead.voice.filterEnv = {0.005f, 0.3f, 0.35f, 0.3f};
    lead.voice.amp = {0.008f, 0.3f, 0.85f, 0.22f};
    lead.voice.vibratoDepth = 0.14f;
    lead.voice.vibratoRate = 5.4f;
    lead.voice.vibratoDelay = 0.3f;
    lead.gainDb = -10.0f;
    lead.delaySend = 0.26f;
    lead.reverbSend = 0.18f;
    lead.duck = 0.2f;

    Channel &bell = s.Add("bell");
    bell.voice.osc1Level = 0.0f;
    bell.voice.fmLevel = 1.0f;
    bell.voice.fmRatio = 3.5f;
    bell.voice.fmIndex = 2.6f;
    bell.voice.fmSustain = 0.15f;
    bell.voice.fmDecay = 0.35f;
    bell.voice.amp = {0.002f, 1.4f, 0.0f, 0.9f};
    bell.gainDb = -12.0f;
    bell.pan = -0.5f;
    bell.delaySend = 0.35f;
    bell.reverbSend = 0.4f;

    Channel &counter = s.Add("counter");
    counter.voice.osc1 = Waveform::Pulse;
    counter.voice.pulseWidth = 0.4f;
    counter.voice.pwmRate = 0.7f;
    counter.voice.pwmDepth = 0.15f;
    counter.voice.filterOn = true;
    counter.voice.cutoff = 1400.0f;
    counter.voice.q = 1.2f;
    counter.voice.envOctaves = 1.0f;
    counter.voice.filterEnv = {0.02f, 0.4f, 0.3f, 0.3f};
    counter.voice.amp = {0.02f, 0.3f, 0.8f, 0.3f};
    counter.gainDb = -12.0f;
    counter.pan = -0.7f;
    counter.delaySend = 0.3f;
    counter.reverbSend = 0.25f;
    counter.duck = 0.3f;
    counter.highPass = 150.0f;

    Channel &riser = s.Add("riser");
    riser.voice.osc1Level = 0.0f;
    riser.voice.noiseLevel = 1.0f;
    riser.voice.amp = {0.05f, 0.1f, 1.0f, 0.05f};
    riser.gainDb = -15.0f;
    riser.reverbSend = 0.3f;
    riser.cutoffQ = 2.5f;

    // --- Harmony bed: pad chords and arpeggios across the whole song ---
    const std::vector<std::string> song = [] {
        std::vector<std::string> c;
        auto put = [&c](const std::vector<std::string> &p, int bars) {
            for (const auto &x : Chart(p, bars))
                c.push_back(x);
        };
        put(kMain, 8);   // intro
        put(kBuild, 8);  // build
        put(kMain, 16);  // theme A
        put(kLift, 16);  // theme B
        put(kBreak, 16); // break
        put(kMain, 16);  // return
        put(kLift, 8);   // theme B
        put(kMain, 8);   // outro
        return c;
    }();
    ForBars(0, song, [&](int bar, const Chord &chord) {
        const double b = Bar(bar);
        const bool inBreak = bar >= 48 && bar < 64;
        AddChord(pad, b, chord, 3.9, 55, inBreak ? 0.85f : 0.7f, 1);
        // Arp: up-down sixteenths; the break plays it in eighths for air.
        if (inBreak && bar < 56)
            AddArp(arp, b, chord, 4.0, "0246", 64, 0.5, 0.6f, 0.6f);
        else if (bar >= 64 && bar < 72)
            AddArp(arp, b, chord, 4.0, "0246", 72, 0.5, 0.65f, 0.6f);
        else if (bar >= 72 && bar < 80)
            AddArp(arp, b, chord, 4.0, "0123", 67, 0.25, 0.6f);
        else if (bar >= 80 && bar < 88)
            AddArp(arp, b, chord, 4.0, "02461357", 60, 0.5, 0.7f, 0.7f);
        else if (bar >= 40 && bar < 48)
            AddArp(arp, b, chord, 4.0, "0123456543210123", 60, 0.25, 0.65f);
        else
            AddArp(arp, b, chord, 4.0, "02140314", 60, 0.25, bar < 16 || bar >= 88 ? 0.75f : 0.6f);
    });
    // Filter moves: intro opens, outro closes, the break breathes.
    for (Channel *ch : {&pad, &arp}) {
        ch->cutoffQ = 1.1f;
        ch->cutoff.Add(Bar(0), 380.0f);
        ch->cutoff.Add(Bar(8), 5000.0f);
        ch->cutoff.Add(Bar(48), 9000.0f);
        ch->cutoff.Add(Bar(50), 1400.0f);
        ch->cutoff.Add(Bar(56), 1800.0f);
        ch->cutoff.Add(Bar(64), 9000.0f);
        ch->cutoff.Add(Bar(90), 9000.0f);
        ch->cutoff.Add(Bar(96), 380.0f);
    }

    // The break falls back: quieter, darker chords while the bells speak.
    for (Channel *ch : {&pad, &arp}) {
        ch->levelDb.Add(Bar(47.5), 0.0f);
        ch->levelDb.Add(Bar(48), -9.0f);
        ch->levelDb.Add(Bar(56), -9.0f);
        ch->levelDb.Add(Bar(63), 0.0f);
    }

    // --- Drums ---
    const char *four = "X...X...X...X...";
    for (int bar = 4; bar < 92; ++bar) {
        const double b = Bar(bar);
        const bool breakQuiet = bar >= 48 && bar < 56;
        if (breakQuiet)
            continue;
        const bool sectionEnd = bar == 15 || bar == 31 || bar == 47 || bar == 63 || bar == 79 ||
                                bar == 87;
        if (bar == 7 || bar == 15 || bar == 63)
            AddDrums(kick, b, "X...X...X...X.X.");
        else if (sectionEnd)
            AddDrums(kick, b, "X...X...X.......");
        else
            AddDrums(kick, b, four);
    }
    // Claps on two and four from the middle of the build.
    for (int bar = 12; bar < 90; ++bar) {
        if (bar >= 48 && bar < 64)
            continue;
        AddDrums(clap, Bar(bar), bar % 8 == 7 ? "....X.......X.o." : "....X.......X...");
    }
    // Second pass of theme A: open hats on the sixteenths between the offbeats.
    for (int bar = 24; bar < 32; ++bar)
        AddDrums(open, Bar(bar), "...o...o...o..xo", 0.8f);
    // Late in the return the kick pushes into the next bar.
    for (int bar = 72; bar < 79; ++bar)
        AddDrums(kick, Bar(bar) + 3.75, "o", 0.8f);
    // Hats: offbeat opens, sixteenth closed hats in the themes.
    for (int bar = 6; bar < 92; ++bar) {
        const double b = Bar(bar);
        if (bar >= 48 && bar < 56) {
            AddDrums(hat, b, "x.o.x.o.x.o.x.o.", 0.7f);
            continue;
        }
        if (bar >= 16)
            AddDrums(hat, b, bar >= 32 && bar < 48 ? "xoxxxoxoxoxxxoxo" : "xoxoxoxoxoxoxoxo", 0.75f);
        if (bar >= 8)
            AddDrums(open, b, "..x...x...x...x.");
        else
            AddDrums(open, b, "..o...o...o...o.");
    }
    // Fills at phrase ends and rolls into the big sections.
    for (int bar : {23, 39, 71, 83})
        AddDrums(snare, Bar(bar), "............X.xX");
    for (int bar : {31, 47, 79, 87})
        AddDrums(snare, Bar(bar), "........X.x.XxXX");
    AddRoll(snare, Bar(14), 8, 0.5, 0.3f, 0.55f);
    AddRoll(snare, Bar(15), 16, 0.25, 0.55f, 1.0f);
    AddRoll(snare, Bar(60), 8, 0.5, 0.2f, 0.4f);
    AddRoll(snare, Bar(62), 16, 0.25, 0.4f, 0.7f);
    AddRoll(snare, Bar(63), 16, 0.25, 0.7f, 1.0f);
    for (int bar : {16, 32, 56, 64, 72, 80, 88})
        AddDrums(crash, Bar(bar), "X");

    // --- Bass ---
    ForBars(0, song, [&](int bar, const Chord &chord) {
        const double b = Bar(bar);
        if (bar < 8 || bar >= 92)
            return;
        if (bar < 16)
            AddBass(bass, b, chord, "..R-..R-..R-..R-", 36);
        else if (bar >= 48 && bar < 56)
            AddBass(bass, b, chord, "R---------------", 36, 0.25, 0.7f, 0.98f);
        else if (bar >= 56 && bar < 64)
            AddBass(bass, b, chord, "..R-..R-..R-..O-", 36);
        else if (bar >= 32 && bar < 40)
            AddBass(bass, b, chord, bar % 4 == 3 ? ".RRO.RRR.RRO.OFT" : ".RRO.RRR.RRO.RRF", 36);
        else if (bar >= 40 && bar < 48)
            AddBass(bass, b, chord, bar % 4 == 3 ? "R-.RO-.RR-.RO-FT" : "R-.RO-.RR-.RO-RF", 36);
        else if (bar >= 64 && bar < 72)
            AddBass(bass, b, chord, "R-.RR-.RR-.RR-OF", 36);
        else if (bar >= 72 && bar < 80)
            AddBass(bass, b, chord, bar % 4 == 3 ? "ROROROROROROFOTO" : "ROROROROROROROFO", 36);
        else if (bar >= 80 && bar < 88)
            AddBass(bass, b, chord, "R-R-O-R-R-R-O-T-", 36);
        else
            AddBass(bass, b, chord, bar % 8 == 7 ? ".RRO.RRR.RRO.ROF" : ".RRO.RRR.RRO.RRO", 36);
    });

    // --- Melodies ---
    for (int start : {16, 24})
        AddMelody(lead, Bar(start), kThemeA);
    AddMelody(lead, Bar(32), kThemeB);
    AddMelody(lead, Bar(40), kThemeB);
    AddMelody(lead, Bar(80), kThemeB);
    AddMelody(bell, Bar(80), kThemeB, 0.25, 0.55f, 0.9f);
    AddMelody(counter, Bar(24), kCounterA);
    AddMelody(counter, Bar(40), kCounterB);
    AddMelody(counter, Bar(72), kCounterA, 0.25, 0.85f);
    for (int start : {64, 72}) {
        AddMelody(lead, Bar(start), kThemeA);
        AddMelody(bell, Bar(start), kThemeA, 0.25, 0.5f, 0.9f, 12);
    }
    AddMelody(bell, Bar(48), kBells, 0.25, 0.8f);

    // --- Risers: noise through an opening filter before the theme and the return ---
    for (int start : {8, 56}) {
        NoteEvent ev;
        ev.beat = Bar(start);
        ev.length = Bar(8) - 0.05;
        ev.velocity = 1.0f;
        riser.notes.push_back(ev);
        riser.cutoff.Add(Bar(start), 250.0f);
        riser.cutoff.Add(Bar(start + 8) - 0.01, 9000.0f);
        riser.levelDb.Add(Bar(start), -30.0f);
        riser.levelDb.Add(Bar(start + 8) - 0.01, 0.0f);
        riser.levelDb.Add(Bar(start + 8), -30.0f);
    }
    // Bar 63 drops out: only the pad, the top of the riser and the echoes carry into the
    // return.
    for (Channel *ch : {&kick, &clap, &snare, &hat, &open, &bass, &arp})
        Clear(*ch, Bar(63), Bar(64));
    return s;
}

} // namespace music
